// Conversions between time values and their text forms.
#include "core/calendar.h"

#include <cctype>
#include <climits>
#include <cstdio>
#include <ctime>

namespace {

constexpr std::array<std::string_view, 7> WEEKDAY_NAMES{"So", "Mo", "Di", "Mi", "Do", "Fr", "Sa"};

// Reads a number the way atoi does (leading blanks, one sign, digits up to the
// first other character, 0 without digits), saturating instead of overflowing.
int readNumber(std::string_view field) {
    std::size_t i = 0;
    while (i < field.size() && std::isspace(static_cast<unsigned char>(field[i]))) {
        ++i;
    }
    bool negative = false;
    if (i < field.size() && (field[i] == '+' || field[i] == '-')) {
        negative = field[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i) {
        value = value * 10 + (field[i] - '0');
        if (value > INT_MAX) {
            value = INT_MAX;
        }
    }
    return static_cast<int>(negative ? -value : value);
}

// The field at [offset, offset + length) of a text; the part that exists.
std::string_view field(std::string_view text, std::size_t offset, std::size_t length) {
    if (offset >= text.size()) {
        return {};
    }
    return text.substr(offset, length);
}

// mktime of local calendar values with seconds 0, or -1. With inRangeOnly, a
// date that mktime normalises to outside 2000-2099 also gives -1.
TimeValue localToTime(int year, int month, int day, int hour, int minute, bool inRangeOnly) {
    useSystemTimeZone();
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = 0;
    local.tm_isdst = -1;
    const std::time_t result = std::mktime(&local);
    if (result == -1) {
        return -1;
    }
    // mktime has normalised the fields: they name the year the time falls in.
    if (inRangeOnly && (local.tm_year < 100 || local.tm_year > 199)) {
        return -1;
    }
    return static_cast<TimeValue>(result);
}

std::string formatDisplay(std::string_view weekday, int day, int month, int year, int hour,
                          int minute) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*s., %02d.%02d.%04d %02d:%02d",
                  static_cast<int>(weekday.size()), weekday.data(), day, month, year, hour, minute);
    return buffer;
}

} // namespace

bool timeToLocal(TimeValue time, std::tm& local) {
    useSystemTimeZone();
    const std::time_t value = static_cast<std::time_t>(time);
#ifdef _WIN32
    return localtime_s(&local, &value) == 0;
#else
    return localtime_r(&value, &local) != nullptr;
#endif
}

std::string_view weekdayName(int dayOfWeek) {
    if (dayOfWeek < 0 || dayOfWeek >= static_cast<int>(WEEKDAY_NAMES.size())) {
        return "  ";
    }
    return WEEKDAY_NAMES[static_cast<std::size_t>(dayOfWeek)];
}

// The bounds follow the time zone, so they are computed at each call.
TimeValue earliestAlarmTime() {
    return localToTime(2000, 1, 1, 0, 0, false);
}

TimeValue latestAlarmTime() {
    return localToTime(2099, 12, 31, 23, 59, false);
}

TimeValue fileKeyToTime(std::string_view key) {
    if (key.size() != 10) {
        return 0;
    }
    const int year = 2000 + readNumber(key.substr(0, 2));
    const int month = readNumber(key.substr(2, 2));
    const int day = readNumber(key.substr(4, 2));
    const int hour = readNumber(key.substr(6, 2));
    const int minute = readNumber(key.substr(8));
    return localToTime(year, month, day, hour, minute, true);
}

std::string timeToFileKey(TimeValue time) {
    std::tm local{};
    if (!timeToLocal(time, local) || local.tm_year < 100 || local.tm_year > 199) {
        return {};
    }
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02d%02d%02d%02d%02d", local.tm_year - 100,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min);
    return buffer;
}

std::string timeToDisplay(TimeValue time, const LocalDate& today) {
    std::tm local{};
    if (!timeToLocal(time, local)) {
        return {};
    }
    const bool isToday = today.dayOfWeek == local.tm_wday && today.day == local.tm_mday &&
                         today.month == local.tm_mon + 1 && today.year == local.tm_year + 1900;
    return formatDisplay(isToday ? std::string_view("ht") : weekdayName(local.tm_wday),
                         local.tm_mday, local.tm_mon + 1, local.tm_year + 1900, local.tm_hour,
                         local.tm_min);
}

TimeValue displayToTime(std::string_view display) {
    const int day = readNumber(field(display, 5, 2));
    const int month = readNumber(field(display, 8, 2));
    const int year = 2000 + readNumber(field(display, 13, 2));
    const int hour = readNumber(field(display, 16, 2));
    const int minute = readNumber(field(display, 19, std::string_view::npos));
    return localToTime(year, month, day, hour, minute, true);
}

void displayToCalendar(std::string_view display, CalendarFields& fields) {
    fields.year = static_cast<std::uint16_t>(readNumber(field(display, 11, 4)));
    fields.month = static_cast<std::uint16_t>(readNumber(field(display, 8, 2)));
    fields.day = static_cast<std::uint16_t>(readNumber(field(display, 5, 2)));
    fields.hour = static_cast<std::uint16_t>(readNumber(field(display, 16, 2)));
    fields.minute =
        static_cast<std::uint16_t>(readNumber(field(display, 19, std::string_view::npos)));
}

std::string calendarToDisplay(const CalendarFields& fields) {
    return formatDisplay(weekdayName(fields.dayOfWeek), fields.day, fields.month, fields.year,
                         fields.hour, fields.minute);
}
