// Conversions between time values and their text forms: the 10-character file
// key YYMMDDhhmm and the 21-character display form "Mo., 07.12.2026 09:05".
// All calendar values are local time.
#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

#include "core/appointment_book.h"
#include "core/clock.h"

// What the date and time pickers exchange (the layout of SYSTEMTIME).
struct CalendarFields {
    std::uint16_t year = 0;
    std::uint16_t month = 0;
    std::uint16_t dayOfWeek = 0; // 0 = Sunday
    std::uint16_t day = 0;
    std::uint16_t hour = 0;
    std::uint16_t minute = 0;
    std::uint16_t second = 0;
    std::uint16_t millisecond = 0;
};

// The local calendar values of a time value, as localtime gives them; false
// when the C library cannot convert it.
bool timeToLocal(TimeValue time, std::tm& local);

// Two-letter German weekday for a day of the week counted from Sunday;
// any other index gives two blanks.
std::string_view weekdayName(int dayOfWeek);

// An alarm time must lie within what the file key can name:
// 2000-01-01 00:00 to 2099-12-31 23:59 local time.
TimeValue earliestAlarmTime();
TimeValue latestAlarmTime();

// 0 for a key whose length is not exactly 10, -1 for a date outside the
// valid range; fields are read like atoi and normalised like mktime.
TimeValue fileKeyToTime(std::string_view key);

// "YYMMDDhhmm"; empty for a time outside the valid range.
std::string timeToFileKey(TimeValue time);

// The display form; "ht" instead of the weekday on today's local date.
// Empty when the time cannot be converted to local time.
std::string timeToDisplay(TimeValue time, const LocalDate& today);

// Reads day, month, two-digit year, hour and minute of a display form;
// -1 for a date outside the valid range.
TimeValue displayToTime(std::string_view display);

// Fills year, month, day, hour and minute from a display form; day of week,
// second and millisecond stay as the caller set them.
void displayToCalendar(std::string_view display, CalendarFields& fields);

// The display form of calendar fields, with the weekday of their day of week
// (never "ht").
std::string calendarToDisplay(const CalendarFields& fields);
