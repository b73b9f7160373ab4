// The tray status: showStatus over the status table, and the tray icons.
#pragma once

#include <windows.h>

#include <string>

#include "app/scheduler.h"

// Sets the tray icon and tooltip to a status row (0 to 7), or to the snooze row
// while an alarm window is snoozed. With a detail, the tooltip names it.
void showStatus(int row, const std::string* detail = nullptr);

// What showStatus last gave the tray.
const TrayStatus& currentTrayStatus();

// A status icon at the small-icon size of the notification area's DPI. Shared
// handle: never destroyed by the caller.
HICON loadTrayIcon(HINSTANCE instance, int iconId);

// The display scale changed (dpi: the main window's new DPI) or the taskbar came
// back: the shown status icon is loaded again at the small-icon size of dpi, and
// so is every later one.
void reloadTrayIcon(int dpi);
