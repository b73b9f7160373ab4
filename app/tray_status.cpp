// showStatus: the status row carried out on the tray icon, and the tray's icons
// at the size of the display's scale.
#include "app/tray_status.h"

#include "app/program.h"
#include "ui/dpi.h"

HICON loadTrayIcon(HINSTANCE instance, int iconId, int dpi) {
    return smallIconForDpi(instance, iconId, dpi);
}

HICON Program::statusIcon(int iconId) const {
    return loadTrayIcon(instance, iconId, trayDpi_ != 0 ? trayDpi_ : windowDpi(mainWindow));
}

void Program::showStatus(StatusRow row, const std::string* detail) {
    shown_ = composeStatus(row, detail, snoozeCount);
    if (!tray) {
        return;
    }
    const HICON icon = statusIcon(shown_.iconId);
    // The snooze row sets the icon first; every other row the tooltip first.
    if (snoozeCount > 0) {
        tray->setIcon(icon);
        tray->setTooltip(shown_.tooltip.c_str());
    } else {
        tray->setTooltip(shown_.tooltip.c_str());
        tray->setIcon(icon);
    }
}

void Program::reloadTrayIcon(int dpi) {
    trayDpi_ = dpi;
    if (tray && shown_.iconId != 0) {
        tray->setIcon(statusIcon(shown_.iconId));
    }
}
