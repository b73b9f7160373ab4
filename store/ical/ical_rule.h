// The repetition rules of iCalendar (RRULE): read and expanded into occurrences, to find
// where a series of a file stands. What a rule is in the program's own rules is
// readRRule's (core/rrule.h) to say.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/ical/ical_time.h"

enum class Frequency { Secondly, Minutely, Hourly, Daily, Weekly, Monthly, Yearly };

// A weekday of BYDAY with its ordinal: "2TU" the second Tuesday, "-1FR" the last Friday,
// "MO" every Monday (ordinal 0).
struct WeekdayNum {
    int ordinal = 0;
    int weekday = 0; // 0 = Sunday
    bool operator==(const WeekdayNum&) const = default;
};

struct RecurrenceRule {
    Frequency frequency = Frequency::Daily;
    int interval = 1;
    std::optional<std::uint32_t> count;
    std::optional<IcalTime> until;
    std::vector<WeekdayNum> byDay;
    std::vector<int> byMonthDay; // -31 to 31 but 0
    std::vector<int> byMonth;    // 1 to 12
    std::vector<int> bySetPos;   // -366 to 366 but 0
    int weekStart = 1;           // WKST, 0 = Sunday
    // Parts the rule has that are not expanded (BYWEEKNO, BYYEARDAY, BYHOUR, ...).
    std::vector<std::string> unsupported;
};

// Reads an RRULE value; none when it is damaged (no FREQ, a part out of range).
std::optional<RecurrenceRule> parseRecurrenceRule(std::string_view value);

// What expanding rules may cost at most, shared by every rule of one file: a damaged or
// hostile file ends in time. Expanding one period of a rule (a day, week, month or year)
// costs one.
struct RuleBudget {
    std::int64_t left = 20'000'000;
};

// The occurrences of a rule from `start` (the first occurrence, whether the rule names it
// or not) in ascending wall-clock time, up to `until` (inclusive), its count, or the
// year 2200. Periods before `from` are passed over without counting when the rule has no
// COUNT, so that a series set decades ago costs no more than one set yesterday.
class RuleOccurrences {
  public:
    RuleOccurrences(const RecurrenceRule& rule, WallTime start, std::optional<WallTime> until,
                    WallTime from, RuleBudget& budget);
    std::optional<WallTime> next();
    // The budget ran out before the rule ended.
    bool exhausted() const { return exhausted_; }
    // How many occurrences next() gave, counted from the start when the rule has a COUNT.
    std::uint32_t counted() const { return counted_; }

  private:
    void fillPeriod();

    const RecurrenceRule& rule_;
    WallTime start_;
    std::optional<WallTime> until_;
    RuleBudget& budget_;
    std::int64_t period_ = 0;
    std::vector<WallTime> pending_; // of the current period, descending
    std::uint32_t counted_ = 0;
    bool startGiven_ = false;
    bool ended_ = false;
    bool exhausted_ = false;
};
