// showStatus: the status row carried out on the tray icon.
#include "app/tray_status.h"

#include "app/program.h"
#include "tray/csytemtry.h"

namespace {
TrayStatus shownStatus;
}

HICON loadTrayIcon(HINSTANCE instance, int iconId) {
    return static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(iconId), IMAGE_ICON,
                                         GetSystemMetrics(SM_CXSMICON),
                                         GetSystemMetrics(SM_CYSMICON), LR_SHARED));
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
