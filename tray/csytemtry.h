// The notification-area icon with its tooltip and pop-up menu.
#pragma once

#include <windows.h>
#include <shellapi.h>

// The platform calls through which the component meets the shell. The program
// uses the platform's own; tests hand in theirs to script the shell's answers.
struct TrayShell {
    BOOL(WINAPI* notifyIcon)(DWORD message, PNOTIFYICONDATAA data) = Shell_NotifyIconA;
    DWORD(WINAPI* version)() = GetVersion;
    // Milliseconds since the system started: tells a repeated key apart from a new one.
    DWORD(WINAPI* tickCount)() = GetTickCount;
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
    // An empty text (or none) shows the tooltip the icon was created with: the
    // tooltip, which screen readers read as the icon's name, is never empty.
    bool setTooltip(const char* text);
    // A balloon notification from the shown icon, title and text cut to what the
    // record holds (63 and 255 characters). False when the component is disabled,
    // the icon is not shown or the shell refused it.
    bool showBalloon(const char* title, const char* text);

    // The shell talks to the icon in the form of version 4 (keyboard selection,
    // context menu key, anchor coordinates): it accepted NOTIFYICON_VERSION_4.
    bool speaksVersion4() const { return version4; }

    // One notification of the icon. In the first form wParam is the icon id and
    // lParam the mouse message; in the form of version 4 the low word of lParam is
    // the event, its high word the icon id, and wParam the icon's anchor point.
    // 0 when not for this icon or nothing to do, 1 when handled.
    virtual LRESULT onNotification(WPARAM wParam, LPARAM lParam);

  private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam,
                                       LPARAM lParam) noexcept;
    bool callShell(DWORD message, UINT flags);
    // Adds the icon with the creation flags and asks for version 4; true when added.
    bool add();
    void addAgain();
    LRESULT showMenu(HWND receiver, POINT at);
    LRESULT sendDefaultCommand(HWND receiver);
    // A second NIN_KEYSELECT that the shell sends for one key press.
    bool repeatedKeySelect();

    TrayShell shell; // the calls through which the shell is reached
    // The record handed to the shell, in its full form (balloons, version 4);
    // uFlags is set anew before every call.
    NOTIFYICONDATAA notifyData{};
    char createdTooltip[64]{};     // the tooltip of create, shown instead of an empty one
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
    bool version4 = false;         // the shell accepted NOTIFYICON_VERSION_4
    DWORD lastKeySelect = 0;       // when the last NIN_KEYSELECT came (tickCount)
    bool keySelected = false;      // ...and whether one came at all
};
