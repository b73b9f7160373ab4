// The alarm window: a modeless dialog from template 114, one per due appointment.
#pragma once

#include <windows.h>

#include "app/alarm_record.h"

constexpr UINT_PTR AUTO_END_TIMER_ID = 21;
constexpr UINT_PTR SNOOZE_TIMER_ID = 22;

// Creates the window for a record (CreateDialogParamA, owner the main window);
// the caller shows it. The record is read only during creation. nullptr on failure.
HWND openAlarmWindow(HINSTANCE instance, HWND owner, const AlarmRecord& record);

// Places the window by the position setting (1 right top, 2 right middle,
// 3 right bottom, 4 left top, 5 left middle, 6 left bottom, else centre),
// visible and topmost.
void placeAlarmWindow(HWND window, int position);

// Moves the window 20 pixels so that a returning window does not hide another.
void nudgeAlarmWindow(HWND window);
