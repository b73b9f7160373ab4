// The rules beyond the kind: intervals, several weekdays, the week of the month and the
// ends, across daylight saving (Berlin, Sydney), month, year and leap-year ends; series
// set long ago against a day-by-day count; the attribute's new words, and what the
// version before makes of them; the RRULE mapping.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/calendar.h"
#include "core/recurrence.h"
#include "core/rrule.h"
#include "tests/support/in_zone.h"
#include "tests/support/older_reader.h"

namespace {

using enum RepeatKind;
namespace chr = std::chrono;

constexpr int SUNDAY = 0, MONDAY = 1, TUESDAY = 2, WEDNESDAY = 3, THURSDAY = 4, FRIDAY = 5,
              SATURDAY = 6;

// Times are file keys YYMMDDhhmm of local wall-clock time.
TimeValue at(std::string_view key) {
    return fileKeyToTime(key);
}

std::string key(std::optional<TimeValue> time) {
    return time ? timeToFileKey(*time) : "";
}

LocalDateTime local(std::string_view key) {
    const auto field = [key](std::size_t offset) {
        return std::stoi(std::string(key.substr(offset, 2)));
    };
    return {2000 + field(0), field(2), field(4), field(6), field(8)};
}

// A pattern set at a wall-clock time (read without mktime: a skipped time stays).
Recurrence rule(const Recurrence& pattern, std::string_view chosen) {
    return makeRecurrence(pattern, local(chosen));
}

Recurrence every(RepeatKind kind, int interval) {
    Recurrence pattern{kind};
    pattern.interval = static_cast<std::uint8_t>(interval);
    return pattern;
}

Recurrence weekly(int interval, std::initializer_list<int> days) {
    Recurrence pattern = every(Weekly, interval);
    for (const int day : days) {
        pattern.weekdays |= weekdayBit(day);
    }
    return pattern;
}

Recurrence monthlyOn(int week, int weekday, int interval = 1) {
    Recurrence pattern = every(Monthly, interval);
    pattern.week = static_cast<std::int8_t>(week);
    pattern.weekdays = weekdayBit(weekday);
    return pattern;
}

Recurrence counted(Recurrence pattern, int count) {
    pattern.count = static_cast<std::uint16_t>(count);
    return pattern;
}

Recurrence until(Recurrence pattern, std::uint32_t last) {
    pattern.until = last;
    return pattern;
}

struct SequenceCase {
    const char* zone;
    Recurrence pattern;
    const char* chosen;
    // The first alarm time and the occurrences after it; "" where the series ends.
    std::vector<const char*> occurrences;
};

// Each series from its first alarm, moved on occurrence by occurrence as alarms move
// it; every occurrence is also the previous occurrence at its own time, and the one
// before it is the previous one just before.
TEST(RecurrenceRules, OccurrencesOfEachKind) {
    const SequenceCase cases[] = {
        // Every 14 days, at 08:00 across the spring change.
        {"Europe/Berlin",
         every(Daily, 14),
         "2603200800",
         {"2603200800", "2604030800", "2604170800"}},
        // Every 3 days at 02:30: 03:30 on the day the clock skips it.
        {"Europe/Berlin",
         every(Daily, 3),
         "2603260230",
         {"2603260230", "2603290330", "2604010230"}},
        // Every 2 weeks on Tuesday and Thursday, set on a Wednesday, over the autumn change.
        {"Europe/Berlin",
         weekly(2, {TUESDAY, THURSDAY}),
         "2610211900",
         {"2610221900", "2611031900", "2611051900", "2611171900"}},
        // Saturday and Sunday over a year's end.
        {"Europe/Berlin",
         weekly(1, {SATURDAY, SUNDAY}),
         "2612261000",
         {"2612261000", "2612271000", "2701021000", "2701031000"}},
        // The second Tuesday, set on the first; the last Friday every 2 months.
        {"Europe/Berlin",
         monthlyOn(2, TUESDAY),
         "2612010900",
         {"2612080900", "2701120900", "2702090900"}},
        {"Europe/Berlin",
         monthlyOn(LAST_WEEK, FRIDAY, 2),
         "2701011800",
         {"2701291800", "2703261800", "2705281800"}},
        // The 31st every 3 months: the last day of shorter months.
        {"Europe/Berlin",
         every(Monthly, 3),
         "2601311000",
         {"2601311000", "2604301000", "2607311000", "2610311000", "2701311000"}},
        // 29 February every 2 years: 28 February in common years.
        {"Europe/Berlin",
         every(Yearly, 2),
         "2802290900",
         {"2802290900", "3002280900", "3202290900"}},
        // Three times; on Monday and Friday until Monday 14 December, that day included.
        {"Europe/Berlin",
         counted(Recurrence{Daily}, 3),
         "2612070800",
         {"2612070800", "2612080800", "2612090800", ""}},
        {"Europe/Berlin",
         until(weekly(1, {MONDAY, FRIDAY}), 20261214),
         "2612070800",
         {"2612070800", "2612110800", "2612140800", ""}},
        // Sydney's clock skips 02:00-03:00 on 4 October 2026 and shows 02:00-03:00 twice
        // on 4 April 2027: the skipped 02:30 is 03:30, the repeated one its first pass.
        {"Australia/Sydney",
         weekly(2, {SUNDAY}),
         "2609200230",
         {"2609200230", "2610040330", "2610180230"}},
        {"Australia/Sydney",
         monthlyOn(1, SUNDAY),
         "2703010230",
         {"2703070230", "2704040230", "2705020230"}},
    };
    for (const SequenceCase& c : cases) {
        const InZone zone(c.zone);
        const Recurrence r = rule(c.pattern, c.chosen);
        std::optional<SeriesStep> step = SeriesStep{firstAlarmTime(r, at(c.chosen)), r};
        std::optional<TimeValue> before;
        for (const char* expected : c.occurrences) {
            ASSERT_EQ(key(step ? std::optional(step->time) : std::nullopt), expected)
                << c.zone << " " << c.chosen;
            if (!step) {
                break;
            }
            EXPECT_EQ(previousOccurrence(step->rule, step->time), step->time) << expected;
            if (before) {
                EXPECT_EQ(previousOccurrence(step->rule, step->time - 1), before) << expected;
            }
            before = step->time;
            step = seriesAfter(step->rule, step->time, step->time);
        }
    }
    // The repeated hour's first pass: an hour before its second.
    const InZone sydney("Australia/Sydney");
    const Recurrence firstSunday = rule(monthlyOn(1, SUNDAY), "2703010230");
    EXPECT_EQ(nextOccurrence(firstSunday, at("2703310000")), at("2704040130") + 3600);
}

// Whether a local date is one of the rule's, said without the program's period
// numbers: counted from the date it was set on.
bool onDate(const Recurrence& r, chr::year_month_day date, chr::year_month_day start) {
    const chr::sys_days day{date};
    const auto monday = [](chr::sys_days d) { return d - (chr::weekday{d} - chr::Monday); };
    const auto months = [](chr::year_month_day d) {
        return int{d.year()} * 12 + static_cast<int>(unsigned{d.month()});
    };
    const int last = static_cast<int>(unsigned{(date.year() / date.month() / chr::last).day()});
    const int dayOfMonth = static_cast<int>(unsigned{date.day()});
    const int weekday = static_cast<int>(chr::weekday{day}.c_encoding());
    long periods = 0;
    switch (r.kind) {
    case Daily:
        periods = (day - chr::sys_days{start}).count();
        break;
    case Weekly:
        periods = (monday(day) - monday(chr::sys_days{start})).count() / 7;
        break;
    case Monthly:
        periods = months(date) - months(start);
        break;
    default:
        periods = int{date.year()} - int{start.year()};
        break;
    }
    if (periods % r.interval != 0) {
        return false;
    }
    switch (r.kind) {
    case Daily:
        return true;
    case Weekly:
        return (r.weekdays & weekdayBit(weekday)) != 0;
    case Monthly:
        if (r.week == 0) {
            return dayOfMonth == std::min<int>(r.day, last);
        }
        return (r.weekdays & weekdayBit(weekday)) != 0 &&
               (r.week == LAST_WEEK ? dayOfMonth + 7 > last : (dayOfMonth - 1) / 7 + 1 == r.week);
    default:
        return unsigned{date.month()} == r.month && dayOfMonth == std::min<int>(r.day, last);
    }
}

chr::year_month_day dateOf(TimeValue time) {
    std::tm fields{};
    EXPECT_TRUE(timeToLocal(time, fields));
    return chr::year{fields.tm_year + 1900} / (fields.tm_mon + 1) / fields.tm_mday;
}

// Series set in 2003, followed to 2035: every occurrence lies on a date the day-by-day
// count names, and none is left out. From 2030 the next one, what a count has left
// then, and the last occurrence of a count that ran out, come in one step each.
TEST(RecurrenceRules, SeriesSetLongAgoAgreeWithADayByDayCount) {
    Recurrence yearly = every(Yearly, 3);
    yearly.month = 2;
    yearly.day = 29;
    Recurrence monthly31 = every(Monthly, 7);
    monthly31.day = 31;
    const Recurrence patterns[] = {every(Daily, 3),
                                   weekly(3, {MONDAY, FRIDAY, SUNDAY}),
                                   monthlyOn(LAST_WEEK, SUNDAY, 5),
                                   monthlyOn(3, WEDNESDAY),
                                   monthly31,
                                   yearly};
    const chr::year_month_day start = chr::year{2003} / 5 / 6;
    const chr::year_month_day end = chr::year{2035} / 12 / 31;
    const TimeValue later = at("3006151200");
    for (const Recurrence& pattern : patterns) {
        const Recurrence r = rule(pattern, "0305061200");
        std::vector<chr::year_month_day> expected;
        for (chr::sys_days day{start}; day <= chr::sys_days{end}; day += chr::days{1}) {
            if (onDate(r, chr::year_month_day{day}, start)) {
                expected.push_back(chr::year_month_day{day});
            }
        }
        std::vector<chr::year_month_day> found;
        std::optional<TimeValue> t = firstAlarmTime(r, at("0305061200"));
        const TimeValue first = *t;
        int upToLater = 0;
        for (; t && dateOf(*t) <= end; t = nextOccurrence(r, *t)) {
            found.push_back(dateOf(*t));
            upToLater += *t <= later ? 1 : 0;
        }
        ASSERT_EQ(found, expected) << recurrenceToAttribute(r, first);
        const auto afterLater = std::find_if(expected.begin(), expected.end(), [&](auto d) {
            return chr::sys_days{d} > chr::sys_days{dateOf(later)};
        });
        EXPECT_EQ(dateOf(*nextOccurrence(r, later)), *afterLater);
        // A count of 9999 from 2003 has as many fewer left as occurrences passed.
        const auto moved = seriesAfter(counted(r, 9999), first, later);
        ASSERT_TRUE(moved);
        EXPECT_EQ(moved->rule.count, 9999 - upToLater);
        // A count that ran out before 2030: its last occurrence is missed, none follows.
        const StartUpSplit split = splitAtStartUp(counted(r, upToLater), first, later);
        ASSERT_TRUE(split.missed);
        EXPECT_EQ(dateOf(*split.missed), expected[static_cast<std::size_t>(upToLater - 1)]);
        EXPECT_EQ(split.missedRule.count, 1);
        EXPECT_FALSE(split.next);
    }
}

TEST(RecurrenceRules, StartUpAndTheNextDatesKeepTheEnd) {
    const TimeValue now = at("2612071200");
    // Every 2 weeks, 5 left on 2 November: 16 and 30 November passed; the last of them
    // is missed with 3 left, and 14 December stays with 2.
    const Recurrence fiveLeft = rule(counted(every(Weekly, 2), 5), "2611020800");
    StartUpSplit split = splitAtStartUp(fiveLeft, at("2611020800"), now);
    EXPECT_EQ(key(split.missed), "2611300800");
    EXPECT_EQ(split.missedRule.count, 3);
    EXPECT_EQ(key(split.next), "2612140800");
    EXPECT_EQ(split.nextRule.count, 2);
    // Twice from 2 November, weekly: its second, 9 November, is missed; then it is gone.
    split =
        splitAtStartUp(rule(counted(Recurrence{Weekly}, 2), "2611020800"), at("2611020800"), now);
    EXPECT_EQ(key(split.missed), "2611090800");
    EXPECT_EQ(split.missedRule.count, 1);
    EXPECT_FALSE(split.next);
    // Until 1 December: its last day is missed, and the series is gone.
    split = splitAtStartUp(rule(until(Recurrence{Daily}, 20261201), "2611200800"), at("2611200800"),
                           now);
    EXPECT_EQ(key(split.missed), "2612010800");
    EXPECT_FALSE(split.next);
    // The next dates stop at the end.
    const std::vector<TimeValue> two =
        upcomingOccurrences(rule(counted(Recurrence{Daily}, 2), "2612080800"), at("2612080800"), 5);
    EXPECT_EQ(two, (std::vector<TimeValue>{at("2612080800"), at("2612090800")}));
    // The alarm of the last one leaves nothing; the one before leaves the last.
    const Recurrence last = rule(counted(Recurrence{Daily}, 1), "2612080800");
    EXPECT_FALSE(occurrenceAfterAlarm(last, at("2612080800"), at("2612080800")));
    const auto toLast = seriesBefore(last, at("2612080800"));
    ASSERT_TRUE(toLast);
    EXPECT_EQ(key(toLast->time), "2612070800");
    EXPECT_EQ(toLast->rule.count, 2);
    EXPECT_EQ(occurrenceAfterAlarm(toLast->rule, toLast->time, toLast->time),
              (SeriesStep{at("2612080800"), last}));
}

struct AttributeCase {
    Recurrence rule;
    const char* alarm;
    const char* value;
};

TEST(RecurrenceRulesAttribute, NewWordsReadBackAndAreAOneOffToTheVersionBefore) {
    Recurrence monthly31 = every(Monthly, 3);
    monthly31.day = 31;
    const AttributeCase cases[] = {
        {rule(every(Daily, 14), "2612070800"), "2612070800", "tag/14"},
        {rule(weekly(2, {TUESDAY, THURSDAY}), "2612080800"), "2612080800", "woche/2 di,do"},
        {rule(weekly(1, {SATURDAY, SUNDAY}), "2612120800"), "2612130800", "woche sa,so"},
        {rule(monthlyOn(2, TUESDAY), "2612080800"), "2612080800", "monat 2.di"},
        {rule(counted(monthlyOn(LAST_WEEK, FRIDAY), 10), "2612250800"), "2612250800",
         "monat letzter.fr noch 10"},
        {rule(monthly31, "2601311000"), "2604301000", "monat/3 31"},
        {rule(every(Yearly, 2), "2802290900"), "3002280900", "jahr/2 29"},
        {rule(until(Recurrence{Daily}, 20271231), "2612070800"), "2612070800",
         "tag bis 2027-12-31"},
        {rule(counted(Recurrence{Workdays}, 5), "2612070800"), "2612070800", "werktag noch 5"},
        {rule(counted(Recurrence{Daily}, 3), "2603280230"), "2603290330", "tag 02:30 noch 3"},
        {rule(until(Recurrence{Weekly}, 20270131), "2612070800"), "2612140800",
         "woche bis 2027-01-31"},
    };
    for (const AttributeCase& c : cases) {
        const std::string value = recurrenceToAttribute(c.rule, at(c.alarm));
        EXPECT_EQ(value, c.value);
        EXPECT_EQ(recurrenceFromAttribute(value, at(c.alarm)), c.rule) << value;
        EXPECT_FALSE(olderReaderSeesASeries(value)) << value;
    }
    // The words of before still read as series to it.
    for (const char* value : {"tag", "werktag", "woche", "monat 31", "jahr 29", "tag 02:30"}) {
        EXPECT_TRUE(olderReaderSeesASeries(value)) << value;
    }
}

TEST(RecurrenceRulesAttribute, DamagedNewWordsReadAsAOneOff) {
    for (const char* value : {"tag/0",
                              "tag/100",
                              "tag/",
                              "werktag/2",
                              "woche mo,mo",
                              "woche di,mo",
                              "woche xx",
                              "woche mo,",
                              "monat 5.di",
                              "monat 0.di",
                              "monat letzter",
                              "monat 2.xx",
                              "monat 31 2.di",
                              "tag noch",
                              "tag noch 0",
                              "tag noch 10000",
                              "tag bis 2027-02-30",
                              "tag bis 1999-12-31",
                              "tag bis 27-12-31",
                              "tag noch 3 bis 2027-01-01",
                              "woche/2 di,do x",
                              "tag 2.di"}) {
        EXPECT_EQ(recurrenceFromAttribute(value, at("2612080800")), Recurrence{}) << value;
    }
}

struct RRuleCase {
    Recurrence rule;
    const char* rrule;
};

TEST(RecurrenceRRule, EveryRuleGoesAndComesBack) {
    const InZone berlin("Europe/Berlin");
    Recurrence monthly29 = every(Monthly, 1);
    monthly29.day = 29;
    Recurrence monthly30 = monthly29;
    monthly30.day = 30;
    const LocalDateTime start = local("2612080900"); // a Tuesday
    const RRuleCase cases[] = {
        {makeRecurrence(Daily, start), "FREQ=DAILY"},
        {makeRecurrence(every(Daily, 14), start), "FREQ=DAILY;INTERVAL=14"},
        {makeRecurrence(Workdays, start), "FREQ=WEEKLY;BYDAY=MO,TU,WE,TH,FR"},
        {makeRecurrence(Weekly, start), "FREQ=WEEKLY;BYDAY=TU"},
        {makeRecurrence(weekly(2, {TUESDAY, SUNDAY}), start), "FREQ=WEEKLY;INTERVAL=2;BYDAY=TU,SU"},
        {makeRecurrence(Monthly, start), "FREQ=MONTHLY;BYMONTHDAY=8"},
        {makeRecurrence(monthly29, start), "FREQ=MONTHLY;BYMONTHDAY=28,29;BYSETPOS=-1"},
        {makeRecurrence(monthly30, start), "FREQ=MONTHLY;BYMONTHDAY=28,29,30;BYSETPOS=-1"},
        {rule(every(Monthly, 3), "2612310900"), "FREQ=MONTHLY;INTERVAL=3;BYMONTHDAY=-1"},
        {makeRecurrence(monthlyOn(2, TUESDAY), start), "FREQ=MONTHLY;BYDAY=2TU"},
        {makeRecurrence(monthlyOn(LAST_WEEK, FRIDAY, 2), start),
         "FREQ=MONTHLY;INTERVAL=2;BYDAY=-1FR"},
        {makeRecurrence(Yearly, start), "FREQ=YEARLY;BYMONTH=12;BYMONTHDAY=8"},
        {rule(every(Yearly, 4), "2802290900"), "FREQ=YEARLY;INTERVAL=4;BYMONTH=2;BYMONTHDAY=-1"},
        {makeRecurrence(counted(Recurrence{Daily}, 10), start), "FREQ=DAILY;COUNT=10"},
        // 09:00 in Berlin in winter is 08:00 UTC.
        {makeRecurrence(until(weekly(1, {TUESDAY, THURSDAY}), 20271231), start),
         "FREQ=WEEKLY;BYDAY=TU,TH;UNTIL=20271231T080000Z"},
    };
    for (const RRuleCase& c : cases) {
        EXPECT_EQ(recurrenceToRRule(c.rule), c.rrule);
        const std::optional<Recurrence> back = recurrenceFromRRule(
            c.rrule, c.rule.kind == Yearly && c.rule.month == 2 ? local("2802290900")
                     : c.rule.day == 31                         ? local("2612310900")
                                                                : start);
        EXPECT_EQ(back, c.rule) << c.rrule;
    }
    const Recurrence last = makeRecurrence(until(Recurrence{Daily}, 20271231), start);
    EXPECT_EQ(recurrenceToRRule(last, UntilForm::LocalTime), "FREQ=DAILY;UNTIL=20271231T090000");
    EXPECT_EQ(recurrenceToRRule(last, UntilForm::Date), "FREQ=DAILY;UNTIL=20271231");
    EXPECT_EQ(recurrenceToRRule(Recurrence{}), "");
}

TEST(RecurrenceRRule, OtherSpellingsAndWhatTheRulesCannotSay) {
    const InZone berlin("Europe/Berlin");
    const LocalDateTime start = local("2612080900");
    const auto read = [&start](const char* text) { return recurrenceFromRRule(text, start); };
    EXPECT_EQ(read("FREQ=DAILY;BYDAY=MO,TU,WE,TH,FR"), makeRecurrence(Workdays, start));
    Recurrence on31 = every(Monthly, 1);
    on31.day = 31;
    EXPECT_EQ(read("freq=monthly;bymonthday=31"), makeRecurrence(on31, start));
    EXPECT_EQ(read("FREQ=MONTHLY;BYMONTHDAY=28,29,30,31;BYSETPOS=-1"), makeRecurrence(on31, start));
    EXPECT_EQ(read("FREQ=WEEKLY"), makeRecurrence(Weekly, start));
    // UNTIL: the last date whose occurrence (09:00, 08:00 UTC) is not later than it.
    EXPECT_EQ(read("FREQ=DAILY;UNTIL=20271231")->until, 20271231u);
    EXPECT_EQ(read("FREQ=DAILY;UNTIL=20271231T075959Z")->until, 20271230u);
    EXPECT_EQ(read("FREQ=DAILY;UNTIL=20271231T080000Z")->until, 20271231u);
    EXPECT_EQ(read("FREQ=DAILY;UNTIL=20271231T085900")->until, 20271230u);
    EXPECT_EQ(read("FREQ=DAILY;UNTIL=21000101")->until, 0u) << "beyond every alarm time";
    for (const char* text : {"FREQ=HOURLY", "FREQ=WEEKLY;BYDAY=2TU", "FREQ=MONTHLY;BYDAY=TU",
                             "FREQ=MONTHLY;BYDAY=1MO,3MO", "FREQ=DAILY;BYHOUR=9",
                             "FREQ=DAILY;COUNT=3;UNTIL=20270101", "FREQ=DAILY;INTERVAL=100",
                             "FREQ=DAILY;COUNT=0", "FREQ=WEEKLY;INTERVAL=2;BYDAY=SU,MO;WKST=SU",
                             "FREQ=YEARLY;BYMONTHDAY=1", "FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=30",
                             "FREQ=DAILY;FREQ=DAILY", "FREQ=DAILY;UNTIL=19991231",
                             "FREQ=MONTHLY;BYMONTHDAY=28,29;BYSETPOS=1", "INTERVAL=2", ""}) {
        EXPECT_FALSE(read(text)) << text;
    }
}

} // namespace
