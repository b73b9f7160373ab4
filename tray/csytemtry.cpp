// The notification-area icon: add, change, remove, re-add, and its mouse clicks.
#include "tray/csytemtry.h"

#include <cstddef>
#include <cstring>
#include <memory>
#include <type_traits>

#include "core/no_throw.h"

namespace {

constexpr char CLASS_NAME[] = "TrayIconClass";
constexpr UINT ADD_FLAGS = NIF_MESSAGE | NIF_ICON | NIF_TIP;

// Sent to every top-level window when the taskbar is (re-)created. Registered
// before the entry runs, so that the broadcast is known from the first message.
const UINT TASKBAR_CREATED_MESSAGE = RegisterWindowMessageA("TaskbarCreated");

struct MenuDestroyer {
    void operator()(HMENU menu) const noexcept { DestroyMenu(menu); }
};
using MenuHandle = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDestroyer>;

// The pop-up menu is the first submenu of the menu resource named by the icon id.
MenuHandle loadMenu(HINSTANCE instance, UINT iconId) {
    return MenuHandle{LoadMenuA(instance, MAKEINTRESOURCEA(LOWORD(iconId)))};
}

HMENU firstSubmenu(const MenuHandle& menu) {
    return menu ? GetSubMenu(menu.get(), 0) : nullptr;
}

// The record's first form holds a tooltip of 64 bytes: 63 characters and a zero.
constexpr std::size_t TOOLTIP_CAPACITY = 64;
static_assert(NOTIFYICONDATAA_V1_SIZE == offsetof(NOTIFYICONDATAA, szTip) + TOOLTIP_CAPACITY);

// Copies text into the tooltip, zero-filled; a longer text is cut to 63 characters.
void copyTooltip(char* tip, const char* text) {
    std::strncpy(tip, text != nullptr ? text : "", TOOLTIP_CAPACITY - 1);
    tip[TOOLTIP_CAPACITY - 1] = '\0';
}

} // namespace

TrayIcon::TrayIcon(HINSTANCE module, HWND notifyWindow, UINT notifyMessage, const char* tooltip,
                   HICON icon, UINT iconId, bool startHidden, TrayShell platformShell)
    : shell(platformShell) {
    enabled = LOBYTE(LOWORD(shell.version())) >= 4;
    if (!enabled) {
        return;
    }
    instance = module;

    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = module;
    windowClass.lpszClassName = CLASS_NAME;
    RegisterClassExA(&windowClass); // fails harmlessly when already registered

    // A top-level window, never shown: only those receive "TaskbarCreated". It
    // finds this object through its window data.
    ownWindow = CreateWindowExA(0, CLASS_NAME, "", WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, module, this);
    // The shell runs with less privilege than a program started as administrator,
    // whose windows would not hear the taskbar's return without this.
    ChangeWindowMessageFilterEx(ownWindow, TASKBAR_CREATED_MESSAGE, MSGFLT_ALLOW, nullptr);

    notifyData.cbSize = NOTIFYICONDATAA_V1_SIZE;
    notifyData.hWnd = notifyWindow != nullptr ? notifyWindow : ownWindow;
    notifyData.uID = iconId;
    notifyData.hIcon = icon;
    notifyData.uCallbackMessage = notifyMessage;
    copyTooltip(notifyData.szTip, tooltip);

    targetWindow = notifyData.hWnd;
    hidden = startHidden;
    creationFlags = ADD_FLAGS;
    if (startHidden) {
        return;
    }
    const bool added = callShell(NIM_ADD, ADD_FLAGS);
    removed = hidden = addPending = !added;
}

TrayIcon::~TrayIcon() {
    remove();
    if (ownWindow != nullptr) {
        DestroyWindow(ownWindow);
    }
}

bool TrayIcon::callShell(DWORD message, UINT flags) {
    notifyData.uFlags = flags;
    return shell.notifyIcon(message, &notifyData) != FALSE;
}

bool TrayIcon::remove() {
    addPending = false;
    if (!enabled || removed) {
        return true;
    }
    if (callShell(NIM_DELETE, 0)) {
        hidden = removed = true;
    }
    return removed;
}

bool TrayIcon::hide() {
    if (!enabled) {
        return true;
    }
    // Hiding is deleting the icon; it also cancels an add still pending.
    remove();
    return hidden;
}

bool TrayIcon::setIcon(HICON icon) {
    if (!enabled) {
        return false;
    }
    notifyData.hIcon = icon;
    return hidden || callShell(NIM_MODIFY, NIF_ICON);
}

bool TrayIcon::setTooltip(const char* text) {
    if (!enabled) {
        return false;
    }
    copyTooltip(notifyData.szTip, text);
    return hidden || callShell(NIM_MODIFY, NIF_TIP);
}

// The taskbar was (re-)created and has forgotten every icon: add ours again if
// it was shown, or if its add failed (then this is the first chance to show it;
// without its icon the program cannot be reached).
void TrayIcon::addAgain() {
    if (!enabled || !(addPending || !hidden)) {
        return;
    }
    const bool wasShown = !hidden;
    bool shown = callShell(NIM_ADD, creationFlags);
    if (!shown && wasShown) {
        // The shell may have kept the icon (the message also comes without a
        // restart of the taskbar); then bring it up to date instead.
        shown = callShell(NIM_MODIFY, creationFlags);
    }
    removed = hidden = addPending = !shown;
}

LRESULT TrayIcon::onNotification(WPARAM wParam, LPARAM lParam) {
    if (wParam != notifyData.uID) {
        return 0;
    }
    const HWND receiver = targetWindow != nullptr ? targetWindow : notifyData.hWnd;
    if (receiver == nullptr) {
        return 0;
    }
    switch (LOWORD(lParam)) {
    case WM_RBUTTONUP:
        return showMenu(receiver);
    case WM_LBUTTONDBLCLK:
        return sendDefaultCommand(receiver);
    default:
        return 1;
    }
}

LRESULT TrayIcon::showMenu(HWND receiver) {
    const MenuHandle menu = loadMenu(instance, notifyData.uID);
    const HMENU popup = firstSubmenu(menu);
    if (popup == nullptr) {
        return 0;
    }
    SetMenuDefaultItem(popup, defaultMenuItem, defaultByPosition);
    SendMessageA(receiver, MENU_MESSAGE, 0, reinterpret_cast<LPARAM>(popup));

    POINT cursor{};
    GetCursorPos(&cursor);
    // The menu closes when it loses the focus only if its window is in front;
    // the WM_NULL afterwards lets the next click on the icon open it again.
    SetForegroundWindow(notifyData.hWnd);
    TrackPopupMenu(popup, 0, cursor.x, cursor.y, 0, receiver, nullptr);
    PostMessageA(notifyData.hWnd, WM_NULL, 0, 0);
    return 1;
}

LRESULT TrayIcon::sendDefaultCommand(HWND receiver) {
    SetForegroundWindow(notifyData.hWnd);
    UINT command = defaultMenuItem;
    if (defaultByPosition) {
        const MenuHandle menu = loadMenu(instance, notifyData.uID);
        const HMENU popup = firstSubmenu(menu);
        if (popup == nullptr) {
            return 0;
        }
        command = GetMenuItemID(popup, static_cast<int>(defaultMenuItem));
        if (command == static_cast<UINT>(-1)) {
            return 0; // no command at that position (a submenu or no item)
        }
    }
    SendMessageA(receiver, WM_COMMAND, command, 0);
    return 1;
}

LRESULT CALLBACK TrayIcon::windowProc(HWND window, UINT message, WPARAM wParam,
                                      LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto* const icon = reinterpret_cast<TrayIcon*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (icon == nullptr || window != icon->ownWindow) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    return noThrow<LRESULT>(0, [&]() -> LRESULT {
        if (message == TASKBAR_CREATED_MESSAGE) {
            icon->addAgain();
            return 0;
        }
        if (message == icon->notifyData.uCallbackMessage) {
            return icon->onNotification(wParam, lParam);
        }
        return DefWindowProcA(window, message, wParam, lParam);
    });
}
