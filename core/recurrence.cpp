// The calendar of repeating appointments, in local time.
#include "core/recurrence.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <vector>

#include "core/calendar.h"

namespace {

namespace chr = std::chrono;

using Day = chr::sys_days; // a local calendar date, counted like a UTC one

constexpr TimeValue SECONDS_PER_DAY = 86400;
// How far before and after a wall-clock time the zone's offsets are looked up:
// beyond any change of offset that happens on that day, and too near for a
// second change to fall in between.
constexpr TimeValue OFFSET_PROBE = 2 * SECONDS_PER_DAY;
// A search starts one day before the given one, so no kind needs more than
// three candidate days (working days: Thursday, Friday, Monday).
constexpr int MAX_CANDIDATES = 4;

constexpr std::array<std::string_view, 6> KIND_WORDS{"",      "tag",   "werktag",
                                                     "woche", "monat", "jahr"};

struct Wall {
    Day date;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

Day dateOf(int year, int month, int day) {
    return Day{chr::year{year} / chr::month{static_cast<unsigned>(month)} / 1} + chr::days{day - 1};
}

int weekdayOf(Day date) {
    return static_cast<int>(chr::weekday{date}.c_encoding());
}

// The wall-clock time counted in seconds as if local time were UTC.
TimeValue wallSeconds(Day date, int hour, int minute) {
    return static_cast<TimeValue>(date.time_since_epoch().count()) * SECONDS_PER_DAY + hour * 3600 +
           minute * 60;
}

std::optional<Wall> wallOf(TimeValue time) {
    std::tm local{};
    if (!timeToLocal(time, local)) {
        return std::nullopt;
    }
    return Wall{dateOf(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday), local.tm_hour,
                local.tm_min, local.tm_sec};
}

// How far local time is ahead of UTC at a moment.
std::optional<TimeValue> utcOffset(TimeValue time) {
    const auto wall = wallOf(time);
    if (!wall) {
        return std::nullopt;
    }
    return wallSeconds(wall->date, wall->hour, wall->minute) + wall->second - time;
}

// The moment a local date and time names. Of a time that happens twice when the
// clock goes back, the first; a time the clock skips going forward is read with
// the offset before the change, so 02:30 becomes 03:30 when 02:00 jumps to 03:00.
std::optional<TimeValue> momentOf(Day date, int hour, int minute) {
    const TimeValue wall = wallSeconds(date, hour, minute);
    const auto before = utcOffset(wall - OFFSET_PROBE);
    const auto after = utcOffset(wall + OFFSET_PROBE);
    if (!before || !after) {
        return std::nullopt;
    }
    const auto names = [wall](TimeValue offset) { return utcOffset(wall - offset) == offset; };
    const bool beforeNames = names(*before);
    const bool afterNames = names(*after);
    if (beforeNames && afterNames) {
        return wall - std::max(*before, *after);
    }
    return afterNames ? wall - *after : wall - *before;
}

// The date an occurrence at the given time of day that falls at `time` belongs
// to: its own date, or the day before when a skipped hour pushed it over midnight.
std::optional<Day> occurrenceDate(TimeValue time, int hour, int minute) {
    const auto wall = wallOf(time);
    if (!wall) {
        return std::nullopt;
    }
    const Day dayBefore = wall->date - chr::days{1};
    if (momentOf(wall->date, hour, minute) != time && momentOf(dayBefore, hour, minute) == time) {
        return dayBefore;
    }
    return wall->date;
}

// The chosen day of the month, or the month's last day when it is shorter.
Day dayInMonth(chr::year_month month, unsigned chosenDay) {
    const unsigned last = static_cast<unsigned>((month / chr::last).day());
    return Day{month / chr::day{std::min(chosenDay, last)}};
}

bool isWeekend(Day date) {
    const int weekday = weekdayOf(date);
    return weekday == 0 || weekday == 6;
}

// The nearest date on which the rule falls, on or after `from` (direction +1)
// or on or before it (direction -1).
Day occurrenceDay(const Recurrence& rule, Day from, int direction) {
    const chr::year_month_day date{from};
    const auto onWrongSide = [&](Day candidate) {
        return (candidate - from).count() * direction < 0;
    };
    switch (rule.kind) {
    case RepeatKind::Workdays:
        while (isWeekend(from)) {
            from += chr::days{direction};
        }
        return from;
    case RepeatKind::Weekly: {
        const int distance = (direction * (rule.weekday - weekdayOf(from)) + 7) % 7;
        return from + chr::days{direction * distance};
    }
    case RepeatKind::Monthly: {
        const chr::year_month month = date.year() / date.month();
        const Day candidate = dayInMonth(month, rule.day);
        return onWrongSide(candidate) ? dayInMonth(month + chr::months{direction}, rule.day)
                                      : candidate;
    }
    case RepeatKind::Yearly: {
        const chr::month chosenMonth{rule.month};
        const Day candidate = dayInMonth(date.year() / chosenMonth, rule.day);
        return onWrongSide(candidate)
                   ? dayInMonth((date.year() + chr::years{direction}) / chosenMonth, rule.day)
                   : candidate;
    }
    case RepeatKind::None:
    case RepeatKind::Daily:
        break;
    }
    return from;
}

bool isValid(const Recurrence& rule) {
    if (!rule.repeats() || rule.hour > 23 || rule.minute > 59) {
        return false;
    }
    switch (rule.kind) {
    case RepeatKind::Weekly:
        return rule.weekday < 7;
    case RepeatKind::Yearly:
        return rule.month >= 1 && rule.month <= 12 && rule.day >= 1 && rule.day <= 31;
    case RepeatKind::Monthly:
        return rule.day >= 1 && rule.day <= 31;
    default:
        return true;
    }
}

// The occurrence nearest to `limit`: strictly after it (direction +1) or at or
// before it (direction -1). Candidate dates are computed, never counted out, so
// a series set decades ago costs no more than one set yesterday.
std::optional<TimeValue> occurrenceBeyond(const Recurrence& rule, TimeValue limit, int direction) {
    const auto wall = wallOf(limit);
    if (!isValid(rule) || !wall) {
        return std::nullopt;
    }
    // One day beyond the limit's date on the far side, for an occurrence that a
    // skipped hour pushed over midnight.
    Day date = occurrenceDay(rule, wall->date - chr::days{direction}, direction);
    for (int candidate = 0; candidate < MAX_CANDIDATES; ++candidate) {
        const auto moment = momentOf(date, rule.hour, rule.minute);
        if (!moment) {
            return std::nullopt;
        }
        if (direction > 0 ? *moment > limit : *moment <= limit) {
            return moment;
        }
        date = occurrenceDay(rule, date + chr::days{direction}, direction);
    }
    return std::nullopt;
}

bool usesDayOfMonth(RepeatKind kind) {
    return kind == RepeatKind::Monthly || kind == RepeatKind::Yearly;
}

// The rule of a kind for a series chosen at a local date and time.
Recurrence ruleAt(RepeatKind kind, Day date, int hour, int minute) {
    if (kind == RepeatKind::None) {
        return {};
    }
    const chr::year_month_day calendar{date};
    Recurrence rule{kind};
    rule.hour = static_cast<std::uint8_t>(hour);
    rule.minute = static_cast<std::uint8_t>(minute);
    if (kind == RepeatKind::Weekly) {
        rule.weekday = static_cast<std::uint8_t>(weekdayOf(date));
    }
    if (usesDayOfMonth(kind)) {
        rule.day = static_cast<std::uint8_t>(static_cast<unsigned>(calendar.day()));
    }
    if (kind == RepeatKind::Yearly) {
        rule.month = static_cast<std::uint8_t>(static_cast<unsigned>(calendar.month()));
    }
    return rule;
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

} // namespace

Recurrence makeRecurrence(RepeatKind kind, const LocalDateTime& chosen) {
    // Every field carries over into the next larger one, as in mktime.
    const chr::year_month month =
        chr::year{chosen.year} / chr::January + chr::months{chosen.month - 1};
    const chr::sys_time<chr::minutes> moment = Day{month / 1} + chr::days{chosen.day - 1} +
                                               chr::hours{chosen.hour} +
                                               chr::minutes{chosen.minute};
    const Day date = chr::floor<chr::days>(moment);
    const auto minuteOfDay = static_cast<int>((moment - date).count());
    return ruleAt(kind, date, minuteOfDay / 60, minuteOfDay % 60);
}

Recurrence makeRecurrence(RepeatKind kind, TimeValue chosen) {
    const auto wall = wallOf(chosen);
    return wall ? ruleAt(kind, wall->date, wall->hour, wall->minute) : Recurrence{};
}

std::optional<TimeValue> nextOccurrence(const Recurrence& rule, TimeValue after) {
    const auto next = occurrenceBeyond(rule, std::max(after, earliestAlarmTime() - 1), +1);
    if (!next || *next > latestAlarmTime()) {
        return std::nullopt;
    }
    return next;
}

std::optional<TimeValue> previousOccurrence(const Recurrence& rule, TimeValue atOrBefore) {
    const auto previous = occurrenceBeyond(rule, std::min(atOrBefore, latestAlarmTime()), -1);
    if (!previous || *previous < earliestAlarmTime()) {
        return std::nullopt;
    }
    return previous;
}

TimeValue firstAlarmTime(const Recurrence& rule, TimeValue chosen) {
    // A wall-clock time the clock shows twice may come from mktime as its second
    // pass; the occurrence at that wall-clock time is the first pass, an hour
    // earlier, and the one after `chosen` would be a day, a week or a year later.
    if (const auto previous = previousOccurrence(rule, chosen); previous && *previous != chosen) {
        const auto was = wallOf(*previous);
        const auto is = wallOf(chosen);
        if (was && is && was->date == is->date && was->hour == is->hour &&
            was->minute == is->minute) {
            return *previous;
        }
    }
    return nextOccurrence(rule, chosen - 1).value_or(chosen);
}

std::optional<TimeValue> occurrenceAfterAlarm(const Recurrence& rule, TimeValue alarmTime,
                                              TimeValue now) {
    return nextOccurrence(rule, std::max(alarmTime, now));
}

StartUpSplit splitAtStartUp(const Recurrence& rule, TimeValue alarmTime, TimeValue now) {
    if (alarmTime > now) {
        return {std::nullopt, alarmTime};
    }
    StartUpSplit split{alarmTime, std::nullopt};
    if (!rule.repeats()) {
        return split;
    }
    if (const auto last = previousOccurrence(rule, now); last && *last > alarmTime) {
        split.missed = *last;
    }
    split.next = nextOccurrence(rule, now);
    return split;
}

std::string recurrenceToAttribute(const Recurrence& rule, TimeValue alarmTime) {
    if (!rule.repeats()) {
        return {};
    }
    std::string value{KIND_WORDS[static_cast<std::size_t>(rule.kind)]};
    if (usesDayOfMonth(rule.kind)) {
        const auto date = occurrenceDate(alarmTime, rule.hour, rule.minute);
        if (!date || static_cast<unsigned>(chr::year_month_day{*date}.day()) != rule.day) {
            value += ' ' + std::to_string(rule.day);
        }
    }
    const auto wall = wallOf(alarmTime);
    if (!wall || wall->hour != rule.hour || wall->minute != rule.minute) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, " %02d:%02d", rule.hour, rule.minute);
        value += buffer;
    }
    return value;
}

Recurrence recurrenceFromAttribute(std::string_view value, TimeValue alarmTime) {
    const std::vector<std::string_view> parts = words(value);
    const auto word = std::find(KIND_WORDS.begin() + 1, KIND_WORDS.end(), parts.front());
    const auto wall = wallOf(alarmTime);
    if (word == KIND_WORDS.end() || !wall || alarmTime < earliestAlarmTime() ||
        alarmTime > latestAlarmTime()) {
        return {};
    }
    const auto kind = static_cast<RepeatKind>(word - KIND_WORDS.begin());
    std::size_t next = 1;
    std::optional<int> chosenDay;
    if (next < parts.size() && usesDayOfMonth(kind)) {
        chosenDay = readDigits(parts[next], 2);
        next += chosenDay ? 1 : 0;
    }
    int minuteOfDay = wall->hour * 60 + wall->minute;
    if (next < parts.size()) {
        const auto time = readTimeOfDay(parts[next++]);
        if (!time) {
            return {};
        }
        minuteOfDay = *time;
    }
    const int hour = minuteOfDay / 60;
    const int minute = minuteOfDay % 60;
    const auto date = occurrenceDate(alarmTime, hour, minute);
    if (next != parts.size() || !date) {
        return {};
    }
    Recurrence rule = ruleAt(kind, *date, hour, minute);
    if (chosenDay) {
        // The chosen day must exist in the chosen month of some year.
        const auto longest = chr::year{2000} / chr::month{rule.month ? rule.month : 1u} / chr::last;
        if (*chosenDay < 1 || *chosenDay > static_cast<int>(static_cast<unsigned>(longest.day()))) {
            return {};
        }
        rule.day = static_cast<std::uint8_t>(*chosenDay);
    }
    return rule;
}
