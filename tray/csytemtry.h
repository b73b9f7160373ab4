// The notification-area icon with its tooltip and pop-up menu.
#pragma once

#include <windows.h>
#include <shellapi.h>

// The platform calls through which the component meets the shell. The program
// uses the platform's own; tests hand in theirs to script the shell's answers.
struct TrayShell {
    BOOL(WINAPI* notifyIcon)(DWORD message, PNOTIFYICONDATAA data) = Shell_NotifyIconA;
    DWORD(WINAPI* version)() = GetVersion;
};

class TrayIcon {
  public:
    // Sent (not posted) to the target window just before the pop-up menu opens,
    // wParam 0, lParam the menu: the receiver may still change its items.
    static constexpr UINT MENU_MESSAGE = WM_APP + 11; // 32779

    // Adds the icon (unless startHidden); a refused add is recorded in the
    // flags, not reported. notifyWindow may be nullptr: then the component's
    // own window receives the notifications. The pop-up menu is the menu
    // resource whose id is iconId.
    TrayIcon(HINSTANCE module, HWND notifyWindow, UINT notifyMessage, const char* tooltip,
             HICON icon, UINT iconId, bool startHidden, TrayShell platformShell = {});
    // Removes the icon if it is shown and destroys the own window.
    virtual ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // True when the icon is (now) removed from the notification area.
    bool remove();
    // True when the icon is (now) hidden; hiding removes it.
    bool hide();
    // False when the component is disabled, true when the change is only
    // stored (hidden icon), otherwise the shell's answer.
    bool setIcon(HICON icon);
    bool setTooltip(const char* text);

    // One notification of the icon: wParam the icon id, lParam the mouse message.
    // 0 when not for this icon or nothing to do, 1 when handled.
    virtual LRESULT onNotification(WPARAM wParam, LPARAM lParam);

  private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam,
                                       LPARAM lParam) noexcept;
    bool callShell(DWORD message, UINT flags);
    void addAgain();
    LRESULT showMenu(HWND receiver);
    LRESULT sendDefaultCommand(HWND receiver);

    TrayShell shell; // the calls through which the shell is reached
    // The record handed to the shell, in its first form (cbSize
    // NOTIFYICONDATAA_V1_SIZE); uFlags is set anew before every call.
    NOTIFYICONDATAA notifyData{};
    HINSTANCE instance = nullptr;  // where the pop-up menu is loaded from
    HWND ownWindow = nullptr;      // hidden "TrayIconClass" window, owned
    HWND targetWindow = nullptr;   // receives the menu message and the commands
    bool enabled = false;          // the shell knows notification icons
    bool hidden = true;            // not shown now: changes are only stored
    bool removed = true;           // not in the notification area
    bool addPending = false;       // an add failed: repeat it when the taskbar returns
    UINT defaultMenuItem = 0;      // the pop-up menu's default item...
    bool defaultByPosition = true; // ...given by position, not by command id
    UINT creationFlags = 0;        // the flags of the first add, kept for adding again
};
