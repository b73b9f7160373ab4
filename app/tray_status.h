// The tray status: the status table and showStatus.
#pragma once

#include <string>

// Sets the tray icon and tooltip to a status row (0 to 7), or to the snooze row
// while an alarm window is snoozed. With a detail, the tooltip names it.
void showStatus(int row, const std::string* detail = nullptr);
