// The clock seam: the current time and today's local date. The program asks the
// platform's clock; tests hand in one that stands still.
#pragma once

#include "core/appointment_book.h"

struct LocalDate {
    int year = 0;      // four digits
    int month = 0;     // 1-12
    int day = 0;       // 1-31
    int dayOfWeek = 0; // 0 = Sunday
};

class Clock {
  public:
    virtual ~Clock() = default;
    // The current time value, as time() gives it.
    virtual TimeValue currentTime() const = 0;
    // Today's local date, as the platform reports it.
    virtual LocalDate today() const = 0;
};

// The platform's clock: time() and, on Windows, GetLocalTime.
const Clock& systemClock();

// Makes the C library's local time the system's own before the first conversion. On
// Windows the C runtime would read a TZ variable that Unix-like shells and Wine pass on
// ("Europe/Berlin"), misread it as UTC and apply US daylight-saving dates; elsewhere TZ
// is the system's own setting and stays.
void useSystemTimeZone();
