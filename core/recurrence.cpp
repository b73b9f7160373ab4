// The calendar of repeating appointments, in local time.
#include "core/recurrence.h"

#include <algorithm>
#include <bit>
#include <chrono>

#include "core/calendar.h"
#include "core/local_days.h"

namespace {

namespace chr = std::chrono;

// A search starts one day before the given one, so no kind needs more than
// three candidate days (working days: Thursday, Friday, Monday).
constexpr int MAX_CANDIDATES = 4;
// Weeks run from Monday to Sunday; the week numbered 0 began on Monday 1969-12-29,
// three days before day 0.
constexpr std::int64_t WEEK_START_OFFSET = 3;

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    return a / b - (a % b != 0 && (a < 0) != (b < 0) ? 1 : 0);
}

std::int64_t floorMod(std::int64_t a, std::int64_t b) {
    return a - floorDiv(a, b) * b;
}

std::int64_t dayNumber(Day date) {
    return date.time_since_epoch().count();
}

std::int64_t weekNumber(Day date) {
    return floorDiv(dayNumber(date) + WEEK_START_OFFSET, 7);
}

Day mondayOfWeek(std::int64_t week) {
    return Day{chr::days{week * 7 - WEEK_START_OFFSET}};
}

// 0 = Monday ... 6 = Sunday.
int dayInWeek(Day date) {
    return (weekdayOf(date) + 6) % 7;
}

// The weekdays counted from Monday: bit 0 Monday ... bit 6 Sunday.
unsigned fromMonday(WeekdaySet days) {
    return ((days >> 1u) | ((days & 1u) << 6u)) & EVERY_WEEKDAY;
}

std::int64_t monthNumber(Day date) {
    const chr::year_month_day ymd{date};
    return static_cast<std::int64_t>(static_cast<int>(ymd.year())) * 12 +
           static_cast<unsigned>(ymd.month()) - 1;
}

chr::year_month monthOfNumber(std::int64_t number) {
    return chr::year{static_cast<int>(floorDiv(number, 12))} /
           chr::month{static_cast<unsigned>(floorMod(number, 12) + 1)};
}

std::int64_t yearNumber(Day date) {
    return static_cast<int>(chr::year_month_day{date}.year());
}

// The number of the period (day, week, month, year) a date lies in, for the
// kinds that have an interval.
std::int64_t periodNumber(RepeatKind kind, Day date) {
    switch (kind) {
    case RepeatKind::Weekly:
        return weekNumber(date);
    case RepeatKind::Monthly:
        return monthNumber(date);
    case RepeatKind::Yearly:
        return yearNumber(date);
    default:
        return dayNumber(date);
    }
}

// The chosen day of the month, or the month's last day when it is shorter.
Day dayInMonth(chr::year_month month, unsigned chosenDay) {
    const unsigned last = static_cast<unsigned>((month / chr::last).day());
    return Day{month / chr::day{std::min(chosenDay, last)}};
}

// The date of a monthly rule in a month: its day, or its weekday in its week.
Day monthlyDate(const Recurrence& rule, chr::year_month month) {
    if (rule.week == 0) {
        return dayInMonth(month, rule.day);
    }
    const int weekday = std::countr_zero(static_cast<unsigned>(rule.weekdays));
    if (rule.week == LAST_WEEK) {
        const Day last{month / chr::last};
        return last - chr::days{(weekdayOf(last) - weekday + 7) % 7};
    }
    const Day first{month / 1};
    return first + chr::days{(weekday - weekdayOf(first) + 7) % 7 + 7 * (rule.week - 1)};
}

Day yearlyDate(const Recurrence& rule, std::int64_t year) {
    return dayInMonth(chr::year{static_cast<int>(year)} / chr::month{rule.month}, rule.day);
}

// The occurrence dates of a rule are numbered in order, one apart, so that counting
// them and finding one far away are sums, not walks. The number of the first
// occurrence date on or after `date`:
std::int64_t ordinalFrom(const Recurrence& rule, Day date) {
    const std::int64_t interval = rule.interval;
    const auto inPeriods = [&](std::int64_t period, bool onOrAfter) {
        const std::int64_t k = floorDiv(period - rule.phase, interval);
        const bool ours = floorMod(period - rule.phase, interval) == 0;
        return ours && onOrAfter ? k : k + 1;
    };
    switch (rule.kind) {
    case RepeatKind::Daily:
        return -floorDiv(rule.phase - dayNumber(date), interval);
    case RepeatKind::Workdays:
        return weekNumber(date) * 5 + std::min(dayInWeek(date), 5);
    case RepeatKind::Weekly: {
        const unsigned days = fromMonday(rule.weekdays);
        const int perWeek = std::popcount(days);
        const std::int64_t week = weekNumber(date);
        if (floorMod(week - rule.phase, interval) != 0) {
            return (floorDiv(week - rule.phase, interval) + 1) * perWeek;
        }
        const unsigned before = days & ((1u << dayInWeek(date)) - 1u);
        return floorDiv(week - rule.phase, interval) * perWeek + std::popcount(before);
    }
    case RepeatKind::Monthly: {
        const std::int64_t month = monthNumber(date);
        return inPeriods(month, monthlyDate(rule, monthOfNumber(month)) >= date);
    }
    case RepeatKind::Yearly: {
        const std::int64_t year = yearNumber(date);
        return inPeriods(year, yearlyDate(rule, year) >= date);
    }
    case RepeatKind::None:
        break;
    }
    return 0;
}

// The occurrence date with that number.
Day dateOfOrdinal(const Recurrence& rule, std::int64_t ordinal) {
    const std::int64_t period = ordinal * rule.interval + rule.phase;
    switch (rule.kind) {
    case RepeatKind::Daily:
        return Day{chr::days{period}};
    case RepeatKind::Workdays:
        return mondayOfWeek(floorDiv(ordinal, 5)) + chr::days{floorMod(ordinal, 5)};
    case RepeatKind::Weekly: {
        const unsigned days = fromMonday(rule.weekdays);
        const int perWeek = std::popcount(days);
        const std::int64_t week = floorDiv(ordinal, perWeek) * rule.interval + rule.phase;
        unsigned left = days;
        for (std::int64_t skip = floorMod(ordinal, perWeek); skip > 0; --skip) {
            left &= left - 1u; // drops the lowest day
        }
        return mondayOfWeek(week) + chr::days{std::countr_zero(left)};
    }
    case RepeatKind::Monthly:
        return monthlyDate(rule, monthOfNumber(period));
    case RepeatKind::Yearly:
        return yearlyDate(rule, period);
    case RepeatKind::None:
        break;
    }
    return Day{};
}

// The nearest date on which the rule falls, on or after `from` (direction +1)
// or on or before it (direction -1).
Day occurrenceDay(const Recurrence& rule, Day from, int direction) {
    if (direction > 0) {
        return dateOfOrdinal(rule, ordinalFrom(rule, from));
    }
    return dateOfOrdinal(rule, ordinalFrom(rule, from + chr::days{1}) - 1);
}

bool isValid(const Recurrence& rule) {
    if (!rule.repeats() || rule.hour > 23 || rule.minute > 59 || rule.interval < 1 ||
        rule.interval > MOST_INTERVAL || rule.phase >= rule.interval || rule.count > MOST_COUNT ||
        (rule.count != 0 && rule.until != 0) || (rule.until != 0 && !dayOfDateNumber(rule.until))) {
        return false;
    }
    const bool oneWeekday =
        std::popcount(static_cast<unsigned>(rule.weekdays)) == 1 && rule.weekdays <= EVERY_WEEKDAY;
    switch (rule.kind) {
    case RepeatKind::Workdays:
        return rule.interval == 1;
    case RepeatKind::Weekly:
        return rule.weekdays != 0 && rule.weekdays <= EVERY_WEEKDAY;
    case RepeatKind::Monthly:
        return rule.week == 0
                   ? rule.day >= 1 && rule.day <= 31
                   : oneWeekday && (rule.week == LAST_WEEK || (rule.week >= 1 && rule.week <= 4));
    case RepeatKind::Yearly:
        return rule.month >= 1 && rule.month <= 12 && rule.day >= 1 && rule.day <= 31;
    default:
        return true;
    }
}

struct Occurrence {
    Day date;
    TimeValue moment = 0;
};

// The occurrence nearest to `limit`: strictly after it (direction +1) or at or
// before it (direction -1), within the rule's end date.
std::optional<Occurrence> occurrenceBeyond(const Recurrence& rule, TimeValue limit, int direction) {
    const auto wall = wallOf(limit);
    if (!isValid(rule) || !wall) {
        return std::nullopt;
    }
    const auto lastDate = rule.until != 0 ? dayOfDateNumber(rule.until) : std::nullopt;
    // One day beyond the limit's date on the far side, for an occurrence that a
    // skipped hour pushed over midnight.
    Day from = wall->date - chr::days{direction};
    if (lastDate && direction < 0) {
        from = std::min(from, *lastDate);
    }
    Day date = occurrenceDay(rule, from, direction);
    for (int candidate = 0; candidate < MAX_CANDIDATES; ++candidate) {
        if (lastDate && date > *lastDate) {
            return std::nullopt;
        }
        const auto moment = momentOf(date, rule.hour, rule.minute);
        if (!moment) {
            return std::nullopt;
        }
        if (direction > 0 ? *moment > limit : *moment <= limit) {
            return Occurrence{date, *moment};
        }
        date = occurrenceDay(rule, date + chr::days{direction}, direction);
    }
    return std::nullopt;
}

// How many occurrences fall after `from` and at or before `to`.
std::int64_t occurrencesBetween(const Recurrence& rule, TimeValue from, TimeValue to) {
    const auto first = occurrenceBeyond(rule, from, +1);
    const auto last = occurrenceBeyond(rule, to, -1);
    if (!first || !last || first->moment > to) {
        return 0;
    }
    return ordinalFrom(rule, last->date) - ordinalFrom(rule, first->date) + 1;
}

// The occurrence `steps` after the one at `alarmTime` (its alarm time for 0), with
// its count lowered by as many; none beyond the series' end or the alarm times.
std::optional<SeriesStep> stepsAfter(const Recurrence& rule, TimeValue alarmTime,
                                     std::int64_t steps) {
    if (steps == 0) {
        return SeriesStep{alarmTime, rule};
    }
    if (rule.count != 0 && steps >= rule.count) {
        return std::nullopt;
    }
    const auto first = occurrenceBeyond(rule, alarmTime, +1);
    if (!first) {
        return std::nullopt;
    }
    const Day date = dateOfOrdinal(rule, ordinalFrom(rule, first->date) + steps - 1);
    const auto lastDate = rule.until != 0 ? dayOfDateNumber(rule.until) : std::nullopt;
    const auto moment = momentOf(date, rule.hour, rule.minute);
    if ((lastDate && date > *lastDate) || !moment || *moment > latestAlarmTime()) {
        return std::nullopt;
    }
    SeriesStep step{*moment, rule};
    step.rule.count = static_cast<std::uint16_t>(rule.count != 0 ? rule.count - steps : 0);
    return step;
}

// The rule of a pattern for a series chosen at a local date and time.
Recurrence ruleAt(const Recurrence& pattern, Day date, int hour, int minute) {
    if (!pattern.repeats()) {
        return {};
    }
    const chr::year_month_day calendar{date};
    Recurrence rule = pattern;
    rule.hour = static_cast<std::uint8_t>(hour);
    rule.minute = static_cast<std::uint8_t>(minute);
    const auto dateWeekday = weekdayBit(weekdayOf(date));
    if (rule.kind == RepeatKind::Weekly && rule.interval == 1 &&
        (rule.weekdays == MONDAY_TO_FRIDAY || rule.weekdays == EVERY_WEEKDAY)) {
        rule.kind = rule.weekdays == EVERY_WEEKDAY ? RepeatKind::Daily : RepeatKind::Workdays;
    }
    if (rule.kind != RepeatKind::Weekly && rule.kind != RepeatKind::Monthly) {
        rule.weekdays = 0;
    }
    if (rule.kind != RepeatKind::Monthly) {
        rule.week = 0;
    }
    if (rule.kind != RepeatKind::Monthly && rule.kind != RepeatKind::Yearly) {
        rule.day = 0;
    }
    if (rule.kind != RepeatKind::Yearly) {
        rule.month = 0;
    }
    switch (rule.kind) {
    case RepeatKind::Workdays:
        rule.interval = 1;
        break;
    case RepeatKind::Weekly:
        rule.weekdays = rule.weekdays != 0 ? rule.weekdays : dateWeekday;
        break;
    case RepeatKind::Monthly:
        if (rule.week == 0) {
            rule.weekdays = 0;
            rule.day =
                rule.day != 0 ? rule.day : static_cast<std::uint8_t>(unsigned{calendar.day()});
        } else {
            rule.day = 0;
            rule.weekdays = rule.weekdays != 0 ? rule.weekdays : dateWeekday;
        }
        break;
    case RepeatKind::Yearly:
        rule.day = rule.day != 0 ? rule.day : static_cast<std::uint8_t>(unsigned{calendar.day()});
        rule.month =
            rule.month != 0 ? rule.month : static_cast<std::uint8_t>(unsigned{calendar.month()});
        break;
    default:
        break;
    }
    rule.interval = std::max<std::uint8_t>(rule.interval, 1);
    rule.phase = static_cast<std::uint8_t>(
        rule.interval > 1 ? floorMod(periodNumber(rule.kind, date), rule.interval) : 0);
    return rule;
}

} // namespace

Recurrence makeRecurrence(const Recurrence& pattern, const LocalDateTime& chosen) {
    // Every field carries over into the next larger one, as in mktime.
    const chr::year_month month =
        chr::year{chosen.year} / chr::January + chr::months{chosen.month - 1};
    const chr::sys_time<chr::minutes> moment = Day{month / 1} + chr::days{chosen.day - 1} +
                                               chr::hours{chosen.hour} +
                                               chr::minutes{chosen.minute};
    const Day date = chr::floor<chr::days>(moment);
    const auto minuteOfDay = static_cast<int>((moment - date).count());
    return ruleAt(pattern, date, minuteOfDay / 60, minuteOfDay % 60);
}

Recurrence makeRecurrence(RepeatKind kind, const LocalDateTime& chosen) {
    return makeRecurrence(Recurrence{kind}, chosen);
}

Recurrence makeRecurrence(const Recurrence& pattern, TimeValue chosen) {
    const auto wall = wallOf(chosen);
    return wall ? ruleAt(pattern, wall->date, wall->hour, wall->minute) : Recurrence{};
}

Recurrence makeRecurrence(RepeatKind kind, TimeValue chosen) {
    return makeRecurrence(Recurrence{kind}, chosen);
}

bool isPlainRule(const Recurrence& rule) {
    return rule.repeats() && rule.interval == 1 && rule.count == 0 && rule.until == 0 &&
           rule.week == 0 &&
           (rule.kind != RepeatKind::Weekly ||
            std::popcount(static_cast<unsigned>(rule.weekdays)) == 1);
}

std::optional<TimeValue> nextOccurrence(const Recurrence& rule, TimeValue after) {
    const auto next = occurrenceBeyond(rule, std::max(after, earliestAlarmTime() - 1), +1);
    if (!next || next->moment > latestAlarmTime()) {
        return std::nullopt;
    }
    return next->moment;
}

std::optional<TimeValue> previousOccurrence(const Recurrence& rule, TimeValue atOrBefore) {
    const auto previous = occurrenceBeyond(rule, std::min(atOrBefore, latestAlarmTime()), -1);
    if (!previous || previous->moment < earliestAlarmTime()) {
        return std::nullopt;
    }
    return previous->moment;
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

std::optional<SeriesStep> seriesAfter(const Recurrence& rule, TimeValue alarmTime,
                                      TimeValue after) {
    const auto next = nextOccurrence(rule, std::max(alarmTime, after));
    if (!next) {
        return std::nullopt;
    }
    if (rule.count == 0) {
        return SeriesStep{*next, rule};
    }
    return stepsAfter(rule, alarmTime, occurrencesBetween(rule, alarmTime, *next));
}

std::optional<SeriesStep> seriesBefore(const Recurrence& rule, TimeValue alarmTime) {
    const auto previous = previousOccurrence(rule, alarmTime - 1);
    if (!previous || rule.count >= MOST_COUNT) {
        return std::nullopt;
    }
    SeriesStep step{*previous, rule};
    step.rule.count = static_cast<std::uint16_t>(rule.count != 0 ? rule.count + 1 : 0);
    return step;
}

std::vector<TimeValue> upcomingOccurrences(const Recurrence& rule, TimeValue first, int most) {
    std::vector<TimeValue> times;
    std::optional<SeriesStep> step = SeriesStep{first, rule};
    while (step && static_cast<int>(times.size()) < most) {
        times.push_back(step->time);
        step = seriesAfter(step->rule, step->time, step->time);
    }
    return times;
}

std::optional<SeriesStep> occurrenceAfterAlarm(const Recurrence& rule, TimeValue alarmTime,
                                               TimeValue now) {
    return seriesAfter(rule, alarmTime, std::max(alarmTime, now));
}

StartUpSplit splitAtStartUp(const Recurrence& rule, TimeValue alarmTime, TimeValue now) {
    if (alarmTime > now) {
        return {std::nullopt, alarmTime, rule, rule};
    }
    StartUpSplit split{alarmTime, std::nullopt, rule, rule};
    if (!rule.repeats()) {
        return split;
    }
    if (const auto last = previousOccurrence(rule, now); last && *last > alarmTime) {
        // Of a series whose count ran out meanwhile, its last occurrence.
        std::int64_t passed = occurrencesBetween(rule, alarmTime, *last);
        if (rule.count != 0) {
            passed = std::min<std::int64_t>(passed, rule.count - 1);
        }
        if (const auto missed = stepsAfter(rule, alarmTime, passed)) {
            split.missed = missed->time;
            split.missedRule = missed->rule;
        }
    }
    if (const auto next = seriesAfter(rule, alarmTime, now)) {
        split.next = next->time;
        split.nextRule = next->rule;
    }
    return split;
}
