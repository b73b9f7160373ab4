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
    if (TrayIcon* tray = program::tray()) {
        tray->setTooltip(shownStatus.tooltip.c_str());
        tray->setIcon(loadTrayIcon(program::instance(), shownStatus.iconId));
    }
}

const TrayStatus& currentTrayStatus() {
    return shownStatus;
}
