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
