// The notification-area icon: add, change, remove, re-add, and its mouse clicks.
#include "tray/csytemtry.h"

#include <cstddef>
#include <cstring>
#include <memory>
#include <type_traits>

#include <windowsx.h>

#include "core/no_throw.h"

namespace {

constexpr char CLASS_NAME[] = "TrayIconClass";
// Under version 4 the shell shows the standard tooltip only with NIF_SHOWTIP.
constexpr UINT TIP_FLAGS = NIF_TIP | NIF_SHOWTIP;
constexpr UINT ADD_FLAGS = NIF_MESSAGE | NIF_ICON | TIP_FLAGS;

// Sent to every top-level window when the taskbar is (re-)created. Registered
// before the entry runs, so that the broadcast is known from the first message.
const UINT TASKBAR_CREATED_MESSAGE = RegisterWindowMessageA("TaskbarCreated");

POINT cursorPosition() {
    POINT cursor{};
    GetCursorPos(&cursor);
    return cursor;
}

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

// The tooltip keeps to 63 characters and a zero, as in the record's first form,
// whose field held 64 bytes; the rest of the larger field stays zero.
constexpr std::size_t TOOLTIP_CAPACITY = 64;
static_assert(sizeof(NOTIFYICONDATAA::szTip) >= TOOLTIP_CAPACITY);

// Copies text into a field of the record, zero-filled, cut to capacity - 1 bytes.
template <std::size_t Size>
void copyField(char (&field)[Size], const char* text, std::size_t capacity = Size) {
    std::memset(field, 0, Size);
    if (text != nullptr) {
        std::memcpy(field, text, strnlen(text, capacity - 1));
    }
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

    // The icon is known to the shell by its window and id, never by a GUID: the
    // shell remembers the user's "always show" choice by the program's path and
    // the id, so an update in place keeps it and a copy in any folder is shown.
    notifyData.cbSize = sizeof notifyData;
    notifyData.hWnd = notifyWindow != nullptr ? notifyWindow : ownWindow;
    notifyData.uID = iconId;
    notifyData.hIcon = icon;
    notifyData.uCallbackMessage = notifyMessage;
    copyField(createdTooltip, tooltip);
    copyField(notifyData.szTip, tooltip, TOOLTIP_CAPACITY);

    targetWindow = notifyData.hWnd;
    hidden = startHidden;
    creationFlags = ADD_FLAGS;
    if (startHidden) {
        return;
    }
    const bool added = add();
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

bool TrayIcon::add() {
    if (!callShell(NIM_ADD, creationFlags)) {
        return false;
    }
    // Asked anew with every add: the shell forgets it with the icon. Without it
    // the notifications keep their first form.
    notifyData.uVersion = NOTIFYICON_VERSION_4;
    version4 = callShell(NIM_SETVERSION, 0);
    return true;
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
    const bool empty = text == nullptr || *text == '\0';
    copyField(notifyData.szTip, empty ? createdTooltip : text, TOOLTIP_CAPACITY);
    return hidden || callShell(NIM_MODIFY, TIP_FLAGS);
}

bool TrayIcon::showBalloon(const char* title, const char* text) {
    if (!enabled || hidden) {
        return false;
    }
    copyField(notifyData.szInfoTitle, title);
    copyField(notifyData.szInfo, text);
    notifyData.dwInfoFlags = NIIF_INFO;
    return callShell(NIM_MODIFY, NIF_INFO);
}

// The taskbar was (re-)created and has forgotten every icon: add ours again if
// it was shown, or if its add failed (then this is the first chance to show it;
// without its icon the program cannot be reached).
void TrayIcon::addAgain() {
    if (!enabled || !(addPending || !hidden)) {
        return;
    }
    const bool wasShown = !hidden;
    bool shown = add();
    if (!shown && wasShown) {
        // The shell may have kept the icon (the message also comes without a
        // restart of the taskbar); then bring it up to date instead.
        shown = callShell(NIM_MODIFY, creationFlags);
    }
    removed = hidden = addPending = !shown;
}

LRESULT TrayIcon::onNotification(WPARAM wParam, LPARAM lParam) {
    const UINT iconOfMessage = version4 ? HIWORD(lParam) : static_cast<UINT>(wParam);
    if (iconOfMessage != notifyData.uID) {
        return 0;
    }
    const HWND receiver = targetWindow != nullptr ? targetWindow : notifyData.hWnd;
    if (receiver == nullptr) {
        return 0;
    }
    const UINT event = LOWORD(lParam);
    if (!version4) {
        switch (event) {
        case WM_RBUTTONUP:
            return showMenu(receiver, cursorPosition());
        case WM_LBUTTONDBLCLK:
            return sendDefaultCommand(receiver);
        default:
            return 1;
        }
    }
    // Version 4: the right button and Shift+F10 or the context-menu key give
    // WM_CONTEXTMENU at the icon's anchor (a right click also still gives its
    // button messages, which must not open a second menu); Enter and Space give
    // NIN_KEYSELECT, the keyboard's double click. NIN_SELECT is a single left
    // click, which does nothing, as in the first form.
    switch (event) {
    case WM_CONTEXTMENU:
        return showMenu(receiver, POINT{GET_X_LPARAM(wParam), GET_Y_LPARAM(wParam)});
    case NIN_KEYSELECT:
        return repeatedKeySelect() ? 1 : sendDefaultCommand(receiver);
    case WM_LBUTTONDBLCLK:
        return sendDefaultCommand(receiver);
    default:
        return 1;
    }
}

// Enter sends NIN_KEYSELECT twice, Space once: a second one within the
// double-click time belongs to the same key press.
bool TrayIcon::repeatedKeySelect() {
    const DWORD now = shell.tickCount();
    const bool repeated = keySelected && now - lastKeySelect < GetDoubleClickTime();
    keySelected = true;
    lastKeySelect = now;
    return repeated;
}

LRESULT TrayIcon::showMenu(HWND receiver, POINT at) {
    const MenuHandle menu = loadMenu(instance, notifyData.uID);
    const HMENU popup = firstSubmenu(menu);
    if (popup == nullptr) {
        return 0;
    }
    SetMenuDefaultItem(popup, defaultMenuItem, defaultByPosition);
    SendMessageA(receiver, MENU_MESSAGE, 0, reinterpret_cast<LPARAM>(popup));

    // The menu closes when it loses the focus only if its window is in front;
    // the WM_NULL afterwards lets the next click on the icon open it again.
    SetForegroundWindow(notifyData.hWnd);
    const UINT command =
        static_cast<UINT>(TrackPopupMenu(popup, TPM_RETURNCMD, at.x, at.y, 0, receiver, nullptr));
    PostMessageA(notifyData.hWnd, WM_NULL, 0, 0);
    if (command != 0) {
        // As the menu itself would: the choice arrives after the menu has closed.
        PostMessageA(receiver, WM_COMMAND, command, 0);
    } else if (version4 && GetForegroundWindow() == notifyData.hWnd) {
        // Closed with Escape: the keyboard focus goes back to the notification
        // area. (A click elsewhere moved the foreground; that stays where it went.)
        callShell(NIM_SETFOCUS, 0);
    }
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
