// showStatus: the status row carried out on the tray icon.
#include "app/tray_status.h"

#include "app/program.h"
#include "tray/csytemtry.h"
#include "ui/dpi.h"

namespace {
TrayStatus shownStatus;
// The DPI the notification area shows icons at; 0 until a change was reported,
// then the main window's DPI counts.
int trayDpi = 0;
} // namespace

HICON loadTrayIcon(HINSTANCE instance, int iconId) {
    const int dpi = trayDpi != 0 ? trayDpi : windowDpi(program::mainWindow());
    return smallIconForDpi(instance, iconId, dpi);
}

void reloadTrayIcon(int dpi) {
    trayDpi = dpi;
    if (TrayIcon* tray = program::tray(); tray != nullptr && shownStatus.iconId != 0) {
        tray->setIcon(loadTrayIcon(program::instance(), shownStatus.iconId));
    }
}

void showStatus(int row, const std::string* detail) {
    shownStatus = composeStatus(row, detail, program::snoozeCount());
    TrayIcon* tray = program::tray();
    if (tray == nullptr) {
        return;
    }
    const HICON icon = loadTrayIcon(program::instance(), shownStatus.iconId);
    // The snooze row sets the icon first; every other row the tooltip first.
    if (program::snoozeCount() > 0) {
        tray->setIcon(icon);
        tray->setTooltip(shownStatus.tooltip.c_str());
    } else {
        tray->setTooltip(shownStatus.tooltip.c_str());
        tray->setIcon(icon);
    }
}

const TrayStatus& currentTrayStatus() {
    return shownStatus;
}
