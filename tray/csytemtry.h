// The notification-area icon with its tooltip and pop-up menu.
#pragma once

#include <windows.h>

class TrayIcon {
  public:
    // Adds the icon (unless startHidden); a refused add is recorded in the
    // flags, not reported. notifyWindow may be nullptr: then the component's
    // own window receives the notifications.
    TrayIcon(HINSTANCE instance, HWND notifyWindow, UINT notifyMessage, const char* tooltip,
             HICON icon, UINT iconId, bool startHidden);
    // Removes the icon if it is shown and destroys the own window.
    virtual ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    bool remove();
    bool hide();
    bool setIcon(HICON icon);
    bool setTooltip(const char* text);

    // One notification of the icon: wParam the icon id, lParam the mouse message.
    // 0 when not for this icon or nothing to do, 1 when handled.
    virtual LRESULT onNotification(WPARAM wParam, LPARAM lParam);

    // Further members (the fields and flags) are the tray component's own.
};
