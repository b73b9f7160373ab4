// The clock seam: the current time and today's local date, settable by tests.
#pragma once

#include "core/appointment_book.h"

struct LocalDate {
    int year = 0;      // four digits
    int month = 0;     // 1-12
    int day = 0;       // 1-31
    int dayOfWeek = 0; // 0 = Sunday
};

struct ClockSource {
    TimeValue (*now)() = nullptr;
    LocalDate (*today)() = nullptr;
};

// The platform's clock: time() and, on Windows, GetLocalTime.
ClockSource systemClock();

// Replaces the clock for every helper; returns the one that was in use.
ClockSource setClock(ClockSource clock);

// The current time value, as time() gives it.
TimeValue currentTime();

// Today's local date, as the platform reports it.
LocalDate todayLocalDate();

// Makes the C library's local time the system's own before the first conversion. On
// Windows the C runtime would read a TZ variable that Unix-like shells and Wine pass on
// ("Europe/Berlin"), misread it as UTC and apply US daylight-saving dates; elsewhere TZ
// is the system's own setting and stays.
void useSystemTimeZone();
