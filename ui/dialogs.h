// The dialogs of the reminder, one function each: every one opens its dialog
// modally, owned by the given window, and returns when it is closed.
#pragma once

#include <windows.h>

#include "core/appointment_book.h"

// The user's appointments: edits rows with the editor and, on OK, replaces the
// book with them, saves it and wakes the alarm.
void showAppointmentList(HWND owner);

// The read-only list of the appointments that fell due while the program was
// not running; only OK (or Enter) closes it.
void showMissedAppointments(HWND owner, const AppointmentBook& missed);

// The settings of the program, written to the registry on OK.
void showConfiguration(HWND owner);

// Program name, purpose, version and copyright; Escape leaves it open.
void showAbout(HWND owner);
