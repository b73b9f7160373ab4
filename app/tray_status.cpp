// showStatus: the status row carried out on the tray icon, and the tray's icons.
#include "app/tray_status.h"

#include "app/program.h"

HICON loadTrayIcon(HINSTANCE instance, int iconId) {
    return static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(iconId), IMAGE_ICON,
                                         GetSystemMetrics(SM_CXSMICON),
                                         GetSystemMetrics(SM_CYSMICON), LR_SHARED));
}

void Program::showStatus(StatusRow row, const std::string* detail) {
    shown_ = composeStatus(row, detail, snoozeCount);
    if (!tray) {
        return;
    }
    const HICON icon = loadTrayIcon(instance, shown_.iconId);
    // The snooze row sets the icon first; every other row the tooltip first.
    if (snoozeCount > 0) {
        tray->setIcon(icon);
        tray->setTooltip(shown_.tooltip.c_str());
    } else {
        tray->setTooltip(shown_.tooltip.c_str());
        tray->setIcon(icon);
    }
}
