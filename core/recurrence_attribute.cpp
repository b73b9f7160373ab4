// The file attribute "wdh" of a series: its words and what they say.
#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <vector>

#include "core/calendar.h"
#include "core/local_days.h"
#include "core/recurrence.h"

namespace {

namespace chr = std::chrono;

constexpr std::array<std::string_view, 6> KIND_WORDS{"",      "tag",   "werktag",
                                                     "woche", "monat", "jahr"};
// Counted from Sunday, as the rule's weekday bits.
constexpr std::array<std::string_view, 7> DAY_WORDS{"so", "mo", "di", "mi", "do", "fr", "sa"};
constexpr std::string_view LAST_WEEK_WORD = "letzter";
constexpr std::string_view COUNT_WORD = "noch";
constexpr std::string_view UNTIL_WORD = "bis";

bool usesDayOfMonth(const Recurrence& rule) {
    return (rule.kind == RepeatKind::Monthly && rule.week == 0) || rule.kind == RepeatKind::Yearly;
}

// A whole number of 1 to `digits` decimal digits, nothing else.
std::optional<int> readDigits(std::string_view text, std::size_t digits) {
    int value = 0;
    const char* end = text.data() + text.size();
    if (text.empty() || text.size() > digits || text.front() < '0' || text.front() > '9' ||
        std::from_chars(text.data(), end, value).ptr != end) {
        return std::nullopt;
    }
    return value;
}

// "hh:mm" as minutes since midnight.
std::optional<int> readTimeOfDay(std::string_view text) {
    if (text.size() != 5 || text[2] != ':') {
        return std::nullopt;
    }
    const auto hour = readDigits(text.substr(0, 2), 2);
    const auto minute = readDigits(text.substr(3), 2);
    if (!hour || !minute || *hour > 23 || *minute > 59) {
        return std::nullopt;
    }
    return *hour * 60 + *minute;
}

// The weekday counted from Sunday of "mo" ... "so".
std::optional<int> readDayWord(std::string_view text) {
    const auto found = std::find(DAY_WORDS.begin(), DAY_WORDS.end(), text);
    if (found == DAY_WORDS.end()) {
        return std::nullopt;
    }
    return static_cast<int>(found - DAY_WORDS.begin());
}

// "mo,mi,fr": at least one day, from Monday to Sunday, each once.
std::optional<WeekdaySet> readDayList(std::string_view text) {
    WeekdaySet days = 0;
    int lastFromMonday = -1;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const auto day = readDayWord(text.substr(start, comma - start));
        const int fromMonday = day ? (*day + 6) % 7 : -1;
        if (!day || fromMonday <= lastFromMonday) {
            return std::nullopt;
        }
        lastFromMonday = fromMonday;
        days |= weekdayBit(*day);
        start = comma + 1;
    }
    return days;
}

// "2.di" or "letzter.fr": the week of the month and the weekday.
std::optional<std::pair<std::int8_t, int>> readWeekOfMonth(std::string_view text) {
    const std::size_t dot = text.find('.');
    if (dot == std::string_view::npos) {
        return std::nullopt;
    }
    const auto day = readDayWord(text.substr(dot + 1));
    const std::string_view week = text.substr(0, dot);
    const auto number = readDigits(week, 1);
    if (!day || (week != LAST_WEEK_WORD && (!number || *number < 1 || *number > 4))) {
        return std::nullopt;
    }
    return std::pair{static_cast<std::int8_t>(number ? *number : LAST_WEEK), *day};
}

// "2027-12-31" as yyyymmdd.
std::optional<std::uint32_t> readEndDate(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') {
        return std::nullopt;
    }
    const auto year = readDigits(text.substr(0, 4), 4);
    const auto month = readDigits(text.substr(5, 2), 2);
    const auto day = readDigits(text.substr(8, 2), 2);
    if (!year || !month || !day) {
        return std::nullopt;
    }
    const auto value = static_cast<std::uint32_t>(*year * 10000 + *month * 100 + *day);
    return dayOfDateNumber(value) ? std::optional(value) : std::nullopt;
}

// Splits at single blanks; an empty part (a doubled, leading or trailing blank) stays
// empty and so reads as damaged.
std::vector<std::string_view> words(std::string_view value) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t blank = value.find(' ', start);
        parts.push_back(value.substr(start, blank - start));
        if (blank == std::string_view::npos) {
            return parts;
        }
        start = blank + 1;
    }
}

// The kind's word with an optional interval: "woche" or "woche/2".
std::optional<std::pair<RepeatKind, int>> readKindWord(std::string_view text) {
    const std::size_t slash = text.find('/');
    const auto word = std::find(KIND_WORDS.begin() + 1, KIND_WORDS.end(), text.substr(0, slash));
    if (word == KIND_WORDS.end()) {
        return std::nullopt;
    }
    const auto kind = static_cast<RepeatKind>(word - KIND_WORDS.begin());
    if (slash == std::string_view::npos) {
        return std::pair{kind, 1};
    }
    const auto interval = readDigits(text.substr(slash + 1), 2);
    if (!interval || *interval < 1 || kind == RepeatKind::Workdays) {
        return std::nullopt;
    }
    return std::pair{kind, *interval};
}

} // namespace

std::string recurrenceToAttribute(const Recurrence& rule, TimeValue alarmTime) {
    if (!rule.repeats()) {
        return {};
    }
    std::string value{KIND_WORDS[static_cast<std::size_t>(rule.kind)]};
    if (rule.interval > 1) {
        value += '/' + std::to_string(rule.interval);
    }
    const auto date = occurrenceDate(alarmTime, rule.hour, rule.minute);
    if (usesDayOfMonth(rule) &&
        (!date || static_cast<unsigned>(chr::year_month_day{*date}.day()) != rule.day)) {
        value += ' ' + std::to_string(rule.day);
    }
    const auto wall = wallOf(alarmTime);
    if (!wall || wall->hour != rule.hour || wall->minute != rule.minute) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, " %02d:%02d", rule.hour, rule.minute);
        value += buffer;
    }
    if (rule.kind == RepeatKind::Weekly &&
        (!date || rule.weekdays != weekdayBit(weekdayOf(*date)))) {
        value += ' ' + weekdayList(rule.weekdays, DAY_WORDS);
    }
    if (rule.kind == RepeatKind::Monthly && rule.week != 0) {
        value += ' ';
        value += rule.week == LAST_WEEK ? std::string(LAST_WEEK_WORD) : std::to_string(rule.week);
        value += '.' + weekdayList(rule.weekdays, DAY_WORDS);
    }
    if (rule.count != 0) {
        value += ' ' + std::string(COUNT_WORD) + ' ' + std::to_string(rule.count);
    }
    if (rule.until != 0) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, " %04u-%02u-%02u", rule.until / 10000,
                      rule.until / 100 % 100, rule.until % 100);
        value += ' ' + std::string(UNTIL_WORD) + buffer;
    }
    return value;
}

Recurrence recurrenceFromAttribute(std::string_view value, TimeValue alarmTime) {
    const std::vector<std::string_view> parts = words(value);
    const auto kindWord = readKindWord(parts.front());
    const auto wall = wallOf(alarmTime);
    if (!kindWord || !wall || alarmTime < earliestAlarmTime() || alarmTime > latestAlarmTime()) {
        return {};
    }
    Recurrence pattern{kindWord->first};
    pattern.interval = static_cast<std::uint8_t>(kindWord->second);
    std::size_t next = 1;
    const auto at = [&](std::size_t index) {
        return index < parts.size() ? parts[index] : std::string_view{};
    };
    std::optional<int> chosenDay;
    if (pattern.kind == RepeatKind::Monthly || pattern.kind == RepeatKind::Yearly) {
        chosenDay = next < parts.size() ? readDigits(parts[next], 2) : std::nullopt;
        next += chosenDay ? 1 : 0;
    }
    int minuteOfDay = wall->hour * 60 + wall->minute;
    if (const auto time = readTimeOfDay(at(next))) {
        minuteOfDay = *time;
        ++next;
    }
    if (pattern.kind == RepeatKind::Weekly && next < parts.size()) {
        if (const auto days = readDayList(parts[next])) {
            pattern.weekdays = *days;
            ++next;
        }
    }
    if (pattern.kind == RepeatKind::Monthly && !chosenDay && next < parts.size()) {
        if (const auto week = readWeekOfMonth(parts[next])) {
            pattern.week = week->first;
            pattern.weekdays = weekdayBit(week->second);
            ++next;
        }
    }
    if (at(next) == COUNT_WORD) {
        const auto count = readDigits(at(next + 1), 4);
        if (!count || *count < 1) {
            return {};
        }
        pattern.count = static_cast<std::uint16_t>(*count);
        next += 2;
    } else if (at(next) == UNTIL_WORD) {
        const auto until = readEndDate(at(next + 1));
        if (!until) {
            return {};
        }
        pattern.until = *until;
        next += 2;
    }
    const int hour = minuteOfDay / 60;
    const int minute = minuteOfDay % 60;
    const auto date = occurrenceDate(alarmTime, hour, minute);
    if (next != parts.size() || !date) {
        return {};
    }
    const chr::year_month_day calendar{*date};
    if (chosenDay) {
        // The chosen day must exist in the chosen month of some year.
        const unsigned month = pattern.kind == RepeatKind::Yearly ? unsigned{calendar.month()} : 1u;
        const auto longest = chr::year{2000} / chr::month{month} / chr::last;
        if (*chosenDay < 1 || *chosenDay > static_cast<int>(unsigned{longest.day()})) {
            return {};
        }
        pattern.day = static_cast<std::uint8_t>(*chosenDay);
    }
    return makeRecurrence(pattern,
                          LocalDateTime{static_cast<int>(calendar.year()),
                                        static_cast<int>(unsigned{calendar.month()}),
                                        static_cast<int>(unsigned{calendar.day()}), hour, minute});
}
