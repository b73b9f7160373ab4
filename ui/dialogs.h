// The dialogs of the reminder, one function each: every one opens its dialog
// modally, owned by the given window, works on what it is given, and returns
// when it is closed. Saving and refreshing are the caller's.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "core/appointment_book.h"
#include "core/clock.h"
#include "core/settings.h"
#include "store/services.h"

// What the appointment list needs to carry appointments in and out as iCalendar files:
// the files, and the alarm offset the reminders of exported events get.
struct CalendarExchange {
    FileSystem& files;
    int alarmOffsetMinutes = 0;
};

// The user's appointments: the rows are edited with the editor and, on OK,
// replace the book. The clock gives "ht" for today and places a series picked
// in the past. With an exchange, "Importieren…" and "Exportieren…" read and
// write iCalendar files (without, they are hidden). True after OK.
bool editAppointments(HWND owner, AppointmentBook& book, const Clock& clock,
                      CalendarExchange* exchange = nullptr);

// The read-only list of the appointments that fell due while the program was
// not running; only OK (or Enter) closes it.
void showMissedAppointments(HWND owner, const AppointmentBook& missed, const LocalDate& today);

// What OK of the configuration dialog changed besides the record.
struct ConfigurationResult {
    bool confirmed = false;
    // The standard sound event chosen in the standard sound dialog, to be stored.
    std::optional<std::string> standardSoundEvent;
};

// The settings of the program: on OK the record holds what the dialog shows.
// The sound scheme is read and, on "Abbrechen", restored through the services.
ConfigurationResult editSettings(HWND owner, Settings& settings, Services& services);

// Program name, purpose, version and copyright; Escape leaves it open.
void showAbout(HWND owner);
