// The notification-area icon: add, change, remove, re-add, and its mouse clicks.
#include "tray/csytemtry.h"

#include <cstddef>
#include <cstring>
#include <memory>
#include <type_traits>

namespace {

constexpr char className[] = "TrayIconClass";
constexpr UINT addFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;

// The one object whose own window the window procedure serves.
TrayIcon* current = nullptr;

// Sent to every top-level window when the taskbar is (re-)created. Registered
// before the entry runs, so that the broadcast is known from the first message.
const UINT taskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");

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
constexpr std::size_t tooltipCapacity = 64;
static_assert(NOTIFYICONDATAA_V1_SIZE == offsetof(NOTIFYICONDATAA, szTip) + tooltipCapacity);

// Copies text into the tooltip, zero-filled; a longer text is cut to 63 characters.
void copyTooltip(char* tip, const char* text) {
    std::strncpy(tip, text != nullptr ? text : "", tooltipCapacity - 1);
    tip[tooltipCapacity - 1] = '\0';
}

} // namespace

TrayShell& trayShell() {
    static TrayShell shell;
    return shell;
}

TrayIcon::TrayIcon(HINSTANCE module, HWND notifyWindow, UINT notifyMessage, const char* tooltip,
                   HICON icon, UINT iconId, bool startHidden) {
    current = this;
    enabled = LOBYTE(LOWORD(trayShell().version())) >= 4;
    if (!enabled) {
        return;
    }
    instance = module;

    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = module;
    windowClass.lpszClassName = className;
    RegisterClassExA(&windowClass); // fails harmlessly when already registered

    // A top-level window, never shown: only those receive "TaskbarCreated".
    ownWindow = CreateWindowExA(0, className, "", WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, module, nullptr);
    // The shell runs with less privilege than a program started as administrator,
    // whose windows would not hear the taskbar's return without this.
    ChangeWindowMessageFilterEx(ownWindow, taskbarCreatedMessage, MSGFLT_ALLOW, nullptr);

    notifyData.cbSize = NOTIFYICONDATAA_V1_SIZE;
    notifyData.hWnd = notifyWindow != nullptr ? notifyWindow : ownWindow;
    notifyData.uID = iconId;
    notifyData.hIcon = icon;
    notifyData.uCallbackMessage = notifyMessage;
    copyTooltip(notifyData.szTip, tooltip);

    targetWindow = notifyData.hWnd;
    hidden = startHidden;
    creationFlags = addFlags;
    if (startHidden) {
        return;
    }
    const bool added = callShell(NIM_ADD, addFlags);
    removed = hidden = addPending = !added;
}

TrayIcon::~TrayIcon() {
    remove();
    if (ownWindow != nullptr) {
        DestroyWindow(ownWindow);
    }
    if (current == this) {
        current = nullptr;
    }
}

bool TrayIcon::callShell(DWORD message, UINT flags) {
    notifyData.uFlags = flags;
    return trayShell().notifyIcon(message, &notifyData) != FALSE;
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
    SendMessageA(receiver, menuMessage, 0, reinterpret_cast<LPARAM>(popup));

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
    TrayIcon* const icon = current;
    if (icon != nullptr && window == icon->ownWindow) {
        if (message == taskbarCreatedMessage) {
            icon->addAgain();
            return 0;
        }
        if (message == icon->notifyData.uCallbackMessage) {
            return icon->onNotification(wParam, lParam);
        }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
