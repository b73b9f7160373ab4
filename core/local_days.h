// Local calendar dates and the moments they name, for the calendar of series: what
// the rules, their file attribute and their RRULE form share.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/time_value.h"

using Day = std::chrono::sys_days; // a local calendar date, counted like a UTC one

// A local date and wall-clock time.
struct Wall {
    Day date;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The date of a year, month and day; a day beyond the month's end carries over.
Day dateOf(int year, int month, int day);

// 0 = Sunday.
int weekdayOf(Day date);

// The local date and time of a moment; none when the C library cannot convert it.
std::optional<Wall> wallOf(TimeValue time);

// The moment a local date and time names. Of a time that happens twice when the
// clock goes back, the first; a time the clock skips going forward is read with
// the offset before the change, so 02:30 becomes 03:30 when 02:00 jumps to 03:00.
std::optional<TimeValue> momentOf(Day date, int hour, int minute);

// The date an occurrence at the given time of day that falls at `time` belongs
// to: its own date, or the day before when a skipped hour pushed it over midnight.
std::optional<Day> occurrenceDate(TimeValue time, int hour, int minute);

// An end date as a rule keeps it, yyyymmdd, and back; none for a value that names
// no date from 2000-01-01 to 2099-12-31.
std::uint32_t dateNumber(Day date);
std::optional<Day> dayOfDateNumber(std::uint32_t value);

// The days of a set of weekday bits (bit 0 Sunday) from Monday to Sunday, each by its
// name in `names` (counted from Sunday), with commas between: "mo,mi,fr".
std::string weekdayList(std::uint8_t days, const std::array<std::string_view, 7>& names);
