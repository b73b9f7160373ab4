// Patterns of repetition rules for tests, to be made at a date with makeRecurrence.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "core/recurrence.h"

enum TestWeekday : int { SUNDAY, MONDAY, TUESDAY, WEDNESDAY, THURSDAY, FRIDAY, SATURDAY };

// Every `interval` days, weeks, months or years; a weekly one on `days` (none: the
// weekday of the date it is made at).
inline Recurrence every(RepeatKind kind, int interval = 1, std::initializer_list<int> days = {}) {
    Recurrence pattern{kind};
    pattern.interval = static_cast<std::uint8_t>(interval);
    for (const int day : days) {
        pattern.weekdays |= weekdayBit(day);
    }
    return pattern;
}

// Monthly on a weekday of a week of the month (1-4 or LAST_WEEK).
inline Recurrence onWeek(int week, int weekday, int interval = 1) {
    Recurrence pattern = every(RepeatKind::Monthly, interval, {weekday});
    pattern.week = static_cast<std::int8_t>(week);
    return pattern;
}

// Monthly or yearly on a day (and month).
inline Recurrence onDay(RepeatKind kind, int day, int interval = 1, int month = 0) {
    Recurrence pattern = every(kind, interval);
    pattern.day = static_cast<std::uint8_t>(day);
    pattern.month = static_cast<std::uint8_t>(month);
    return pattern;
}

// With an end: a number of occurrences, or a last date (yyyymmdd).
inline Recurrence ending(Recurrence pattern, int count, std::uint32_t until = 0) {
    pattern.count = static_cast<std::uint16_t>(count);
    pattern.until = until;
    return pattern;
}
