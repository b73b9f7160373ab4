// The rules beyond the kind: intervals, several weekdays, the week of the month and the
// ends, across daylight saving (Berlin, Sydney); series set long ago against a day-by-day
// count; the attribute's new words and what the version before makes of them; RRULE.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "core/calendar.h"
#include "core/rrule.h"
#include "tests/support/in_zone.h"
#include "tests/support/older_reader.h"
#include "tests/support/rule_patterns.h"

namespace {

using enum RepeatKind;
namespace chr = std::chrono;

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

// Each series moved on occurrence by occurrence as alarms move it; every occurrence is
// the previous one at its own time, and the one before it just before.
TEST(RecurrenceRules, OccurrencesOfEachKind) {
    const struct {
        const char* zone;
        Recurrence pattern;
        const char* chosen;
        const char* occurrences; // from the first alarm; "-" where it ends
    } cases[] = {
        // 08:00 across the spring change; 02:30 is 03:30 on the day the clock skips it.
        {"Europe/Berlin", every(Daily, 14), "2603200800", "2603200800 2604030800 2604170800"},
        {"Europe/Berlin", every(Daily, 3), "2603260230", "2603260230 2603290330 2604010230"},
        // Every 2 weeks on Tuesday and Thursday, set on a Wednesday, over the autumn change.
        {"Europe/Berlin", every(Weekly, 2, {TUESDAY, THURSDAY}), "2610211900",
         "2610221900 2611031900 2611051900 2611171900"},
        // Three times; on Monday and Friday until Monday 14 December, that day included.
        {"Europe/Berlin", ending(every(Daily), 3), "2612070800",
         "2612070800 2612080800 2612090800 -"},
        {"Europe/Berlin", ending(every(Weekly, 1, {MONDAY, FRIDAY}), 0, 20261214), "2612070800",
         "2612070800 2612110800 2612140800 -"},
        // Sydney skips 02:00-03:00 on 4 October 2026 and shows it twice on 4 April 2027.
        {"Australia/Sydney", every(Weekly, 2, {SUNDAY}), "2609200230",
         "2609200230 2610040330 2610180230"},
        {"Australia/Sydney", onWeek(1, SUNDAY), "2703010230", "2703070230 2704040230 2705020230"},
    };
    for (const auto& c : cases) {
        const InZone zone(c.zone);
        const Recurrence r = rule(c.pattern, c.chosen);
        std::optional<SeriesStep> step = SeriesStep{firstAlarmTime(r, at(c.chosen)), r};
        std::optional<TimeValue> before;
        std::istringstream occurrences(c.occurrences);
        for (std::string expected; occurrences >> expected;) {
            ASSERT_EQ(step ? key(step->time) : "-", expected) << c.chosen;
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
    EXPECT_EQ(nextOccurrence(rule(onWeek(1, SUNDAY), "2703010230"), at("2703310000")),
              at("2704040130") + 3600);
}

// Whether a local date is one of the rule's, said without the program's period numbers:
// counted from the date the rule was set on.
bool onDate(const Recurrence& r, chr::year_month_day date, chr::year_month_day start) {
    const chr::sys_days day{date};
    const auto monday = [](chr::sys_days d) { return d - (chr::weekday{d} - chr::Monday); };
    const auto months = [](chr::year_month_day d) {
        return int{d.year()} * 12 + static_cast<int>(unsigned{d.month()});
    };
    const int last = static_cast<int>(unsigned{(date.year() / date.month() / chr::last).day()});
    const int dayOfMonth = static_cast<int>(unsigned{date.day()});
    const bool weekday = (r.weekdays & weekdayBit(chr::weekday{day}.c_encoding())) != 0;
    const long periods = r.kind == Daily ? (day - chr::sys_days{start}).count()
                         : r.kind == Weekly
                             ? (monday(day) - monday(chr::sys_days{start})).count() / 7
                         : r.kind == Monthly ? months(date) - months(start)
                                             : int{date.year()} - int{start.year()};
    if (periods % r.interval != 0) {
        return false;
    }
    switch (r.kind) {
    case Daily:
        return true;
    case Weekly:
        return weekday;
    case Monthly:
        return r.week == 0 ? dayOfMonth == std::min<int>(r.day, last)
                           : weekday && (r.week == LAST_WEEK ? dayOfMonth + 7 > last
                                                             : (dayOfMonth - 1) / 7 + 1 == r.week);
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
// count names, and none is left out. From 2030 the next one, what a count has left then,
// and the last occurrence of a count that ran out, come in one step each.
TEST(RecurrenceRules, SeriesSetLongAgoAgreeWithADayByDayCount) {
    const chr::year_month_day start = chr::year{2003} / 5 / 6;
    const chr::year_month_day end = chr::year{2035} / 12 / 31;
    const TimeValue later = at("3006151200");
    for (const Recurrence& pattern :
         {every(Daily, 3), every(Weekly, 3, {MONDAY, FRIDAY, SUNDAY}), onWeek(LAST_WEEK, SUNDAY, 5),
          onWeek(3, WEDNESDAY), onDay(Monthly, 31, 7), onDay(Yearly, 29, 3, 2)}) {
        const Recurrence r = rule(pattern, "0305061200");
        std::vector<chr::year_month_day> expected;
        for (chr::sys_days day{start}; day <= chr::sys_days{end}; day += chr::days{1}) {
            if (onDate(r, chr::year_month_day{day}, start)) {
                expected.push_back(chr::year_month_day{day});
            }
        }
        std::vector<chr::year_month_day> found;
        const TimeValue first = firstAlarmTime(r, at("0305061200"));
        int upToLater = 0;
        for (std::optional<TimeValue> t = first; t && dateOf(*t) <= end;
             t = nextOccurrence(r, *t)) {
            found.push_back(dateOf(*t));
            upToLater += *t <= later ? 1 : 0;
        }
        ASSERT_EQ(found, expected) << recurrenceToAttribute(r, first);
        EXPECT_EQ(dateOf(*nextOccurrence(r, later)), expected[static_cast<std::size_t>(upToLater)]);
        const auto moved = seriesAfter(ending(r, 9999), first, later);
        ASSERT_TRUE(moved);
        EXPECT_EQ(moved->rule.count, 9999 - upToLater);
        const StartUpSplit split = splitAtStartUp(ending(r, upToLater), first, later);
        EXPECT_EQ(dateOf(split.missed.value_or(0)),
                  expected[static_cast<std::size_t>(upToLater - 1)]);
        EXPECT_EQ(split.missedRule.count, 1);
        EXPECT_FALSE(split.next);
    }
}

TEST(RecurrenceRules, StartUpAndTheNextDatesKeepTheEnd) {
    const TimeValue now = at("2612071200");
    // Every 2 weeks, 5 left on 2 November: 16 and 30 November passed, 14 December stays.
    StartUpSplit split =
        splitAtStartUp(rule(ending(every(Weekly, 2), 5), "2611020800"), at("2611020800"), now);
    EXPECT_EQ(key(split.missed) + " " + key(split.next), "2611300800 2612140800");
    EXPECT_EQ(split.missedRule.count * 10 + split.nextRule.count, 32);
    // Twice, weekly: its second is missed; until 1 December: that day is missed. Both end.
    split = splitAtStartUp(rule(ending(every(Weekly), 2), "2611020800"), at("2611020800"), now);
    EXPECT_EQ(key(split.missed) + key(split.next), "2611090800");
    EXPECT_EQ(split.missedRule.count, 1);
    split = splitAtStartUp(rule(ending(every(Daily), 0, 20261201), "2611200800"), at("2611200800"),
                           now);
    EXPECT_EQ(key(split.missed) + key(split.next), "2612010800");
    // The next dates stop at the end; the last occurrence's alarm leaves nothing.
    const Recurrence last = rule(ending(every(Daily), 1), "2612080800");
    EXPECT_EQ(upcomingOccurrences(ending(last, 2), at("2612080800"), 5),
              (std::vector<TimeValue>{at("2612080800"), at("2612090800")}));
    EXPECT_FALSE(occurrenceAfterAlarm(last, at("2612080800"), at("2612080800")));
    const auto toLast = seriesBefore(last, at("2612080800"));
    ASSERT_TRUE(toLast);
    EXPECT_EQ(toLast->rule.count, 2);
    EXPECT_EQ(occurrenceAfterAlarm(toLast->rule, toLast->time, toLast->time),
              (SeriesStep{at("2612080800"), last}));
}

TEST(RecurrenceRulesAttribute, NewWordsReadBackAndAreAOneOffToTheVersionBefore) {
    const struct {
        Recurrence rule;
        const char* alarm;
        const char* value;
    } cases[] = {
        {rule(every(Daily, 14), "2612070800"), "2612070800", "tag/14"},
        {rule(every(Weekly, 2, {TUESDAY, THURSDAY}), "2612080800"), "2612080800", "woche/2 di,do"},
        {rule(every(Weekly, 1, {SATURDAY, SUNDAY}), "2612120800"), "2612130800", "woche sa,so"},
        {rule(onWeek(2, TUESDAY), "2612080800"), "2612080800", "monat 2.di"},
        {rule(ending(onWeek(LAST_WEEK, FRIDAY), 10), "2612250800"), "2612250800",
         "monat letzter.fr noch 10"},
        {rule(onDay(Monthly, 31, 3), "2601311000"), "2604301000", "monat/3 31"},
        {rule(every(Yearly, 2), "2802290900"), "3002280900", "jahr/2 29"},
        {rule(ending(every(Daily), 0, 20271231), "2612070800"), "2612070800", "tag bis 2027-12-31"},
        {rule(ending(every(Workdays), 5), "2612070800"), "2612070800", "werktag noch 5"},
        {rule(ending(every(Daily), 3), "2603280230"), "2603290330", "tag 02:30 noch 3"},
    };
    for (const auto& c : cases) {
        const std::string value = recurrenceToAttribute(c.rule, at(c.alarm));
        EXPECT_EQ(value, c.value);
        EXPECT_EQ(recurrenceFromAttribute(value, at(c.alarm)), c.rule) << value;
        EXPECT_FALSE(olderReaderSeesASeries(value)) << value;
    }
    for (const char* value : {"tag", "werktag", "woche", "monat 31", "jahr 29", "tag 02:30"}) {
        EXPECT_TRUE(olderReaderSeesASeries(value)) << value;
    }
    for (const char* damaged :
         {"tag/0", "tag/100", "tag/", "werktag/2", "woche mo,mo", "woche di,mo", "woche mo,",
          "monat 5.di", "monat letzter", "monat 2.xx", "monat 31 2.di", "tag noch", "tag noch 0",
          "tag noch 10000", "tag bis 2027-02-30", "tag bis 1999-12-31", "tag noch 3 bis 2027-01-01",
          "woche/2 di,do x", "tag 2.di"}) {
        EXPECT_EQ(recurrenceFromAttribute(damaged, at("2612080800")), Recurrence{}) << damaged;
    }
}

TEST(RecurrenceRRule, EveryRuleGoesAndComesBack) {
    const InZone berlin("Europe/Berlin");
    const char* const tuesday = "2612080900";
    const struct {
        Recurrence rule;
        const char* chosen;
        const char* rrule;
    } cases[] = {
        {every(Daily), tuesday, "FREQ=DAILY"},
        {every(Daily, 14), tuesday, "FREQ=DAILY;INTERVAL=14"},
        {every(Workdays), tuesday, "FREQ=WEEKLY;BYDAY=MO,TU,WE,TH,FR"},
        {every(Weekly), tuesday, "FREQ=WEEKLY;BYDAY=TU"},
        {every(Weekly, 2, {TUESDAY, SUNDAY}), tuesday, "FREQ=WEEKLY;INTERVAL=2;BYDAY=TU,SU"},
        {every(Monthly), tuesday, "FREQ=MONTHLY;BYMONTHDAY=8"},
        {onDay(Monthly, 29), tuesday, "FREQ=MONTHLY;BYMONTHDAY=28,29;BYSETPOS=-1"},
        {onDay(Monthly, 30), tuesday, "FREQ=MONTHLY;BYMONTHDAY=28,29,30;BYSETPOS=-1"},
        {every(Monthly, 3), "2612310900", "FREQ=MONTHLY;INTERVAL=3;BYMONTHDAY=-1"},
        {onWeek(2, TUESDAY), tuesday, "FREQ=MONTHLY;BYDAY=2TU"},
        {onWeek(LAST_WEEK, FRIDAY, 2), tuesday, "FREQ=MONTHLY;INTERVAL=2;BYDAY=-1FR"},
        {every(Yearly), tuesday, "FREQ=YEARLY;BYMONTH=12;BYMONTHDAY=8"},
        {every(Yearly, 4), "2802290900", "FREQ=YEARLY;INTERVAL=4;BYMONTH=2;BYMONTHDAY=-1"},
        {ending(every(Daily), 10), tuesday, "FREQ=DAILY;COUNT=10"},
        // 09:00 in Berlin in winter is 08:00 UTC.
        {ending(every(Weekly, 1, {TUESDAY, THURSDAY}), 0, 20271231), tuesday,
         "FREQ=WEEKLY;BYDAY=TU,TH;UNTIL=20271231T080000Z"},
    };
    for (const auto& c : cases) {
        const Recurrence r = rule(c.rule, c.chosen);
        EXPECT_EQ(recurrenceToRRule(r), c.rrule);
        EXPECT_EQ(readRRule(c.rrule, local(c.chosen)).rule, r) << c.rrule;
    }
    const Recurrence last = rule(ending(every(Daily), 0, 20271231), tuesday);
    EXPECT_EQ(recurrenceToRRule(last, UntilForm::LocalTime), "FREQ=DAILY;UNTIL=20271231T090000");
    EXPECT_EQ(recurrenceToRRule(last, UntilForm::Date), "FREQ=DAILY;UNTIL=20271231");
    EXPECT_EQ(recurrenceToRRule(Recurrence{}), "");
}

// Each RRULE read at Tuesday 8 December 2026, 09:00: the rule as its attribute value and
// how many differences it has, or why the rules cannot say it.
TEST(RecurrenceRRule, OtherSpellingsAndWhatTheRulesCannotSay) {
    const InZone berlin("Europe/Berlin");
    const struct {
        const char* rrule;
        int passed; // occurrences before the one the series stands at
        const char* read;
    } cases[] = {
        {"FREQ=DAILY;BYDAY=MO,TU,WE,TH,FR", 0, "werktag +0"},
        {"FREQ=DAILY;BYDAY=MO,WE,FR;", 0, "woche mo,mi,fr +0"},
        {"FREQ=MONTHLY;BYDAY=TU,TH", 0, "woche di,do +0"},
        {"FREQ=WEEKLY;BYDAY=TU;WKST=SU", 0, "woche +0"},
        {"FREQ=MONTHLY;BYDAY=TU;BYSETPOS=2", 0, "monat 2.di +0"},
        {"FREQ=MONTHLY;INTERVAL=3;BYDAY=TU;BYSETPOS=-1", 0, "monat/3 letzter.di +0"},
        {"freq=monthly;bymonthday=31", 0, "monat 31 +1"},
        {"FREQ=MONTHLY;BYMONTHDAY=29", 0, "monat 29 +1"},
        {"FREQ=MONTHLY;BYMONTHDAY=28,29,30,31;BYSETPOS=-1", 0, "monat 31 +0"},
        {"FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=28,29;BYSETPOS=-1", 0, "jahr 29 +0"},
        {"FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=29", 0, "jahr 29 +1"},
        {"FREQ=YEARLY;BYMONTH=4;BYMONTHDAY=-1", 0, "jahr 30 +0"},
        {"FREQ=WEEKLY;INTERVAL=2;COUNT=10", 0, "woche/2 noch 10 +0"},
        {"FREQ=WEEKLY;INTERVAL=2;COUNT=10", 7, "woche/2 noch 3 +0"},
        {"FREQ=DAILY;COUNT=20000", 0, "tag +1"},
        {"FREQ=DAILY;COUNT=3", 3, "Regel unlesbar"},
        {"FREQ=HOURLY", 0, "öfter als täglich"},
        {"FREQ=WEEKLY;BYDAY=2TU", 0, "Regel unlesbar"},
        {"FREQ=MONTHLY;BYDAY=1MO,3MO", 0, "an mehreren Wochentagen im Monat"},
        {"FREQ=MONTHLY;BYDAY=5TU", 0, "am 5. Wochentag im Monat"},
        {"FREQ=MONTHLY;BYDAY=-2FR", 0, "am 2.-letzten Wochentag im Monat"},
        {"FREQ=MONTHLY;BYDAY=MO,TU,WE,TH,FR;BYSETPOS=-1", 0, "mit BYSETPOS"},
        {"FREQ=MONTHLY;INTERVAL=2;BYDAY=TU", 0, "an allen solchen Wochentagen im Monat"},
        {"FREQ=MONTHLY;BYDAY=FR;BYMONTHDAY=13", 0, "an Wochentagen, die auf bestimmte"},
        {"FREQ=DAILY;INTERVAL=2;BYDAY=MO", 0, "alle 2 Tage an bestimmten Wochentagen"},
        {"FREQ=YEARLY;BYDAY=20MO", 0, "am n-ten Wochentag des Jahres"},
        {"FREQ=DAILY;BYHOUR=9", 0, "mit BYHOUR"},
        {"FREQ=DAILY;COUNT=3;UNTIL=20270101", 0, "Regel unlesbar"},
        {"FREQ=DAILY;INTERVAL=100", 0, "alle 100 Tage"},
        {"FREQ=DAILY;COUNT=0", 0, "Regel unlesbar"},
        {"FREQ=WEEKLY;INTERVAL=2;BYDAY=SU,MO;WKST=SU", 0, "mit einer Woche, die nicht"},
        {"FREQ=YEARLY;BYMONTHDAY=1", 0, "an Tagen jedes Monats im Jahresrhythmus"},
        {"FREQ=YEARLY;BYMONTH=1,7", 0, "in mehreren Monaten"},
        {"FREQ=MONTHLY;BYMONTH=3", 0, "nur in bestimmten Monaten"},
        {"FREQ=MONTHLY;BYMONTHDAY=1,15", 0, "an mehreren Tagen des Monats"},
        {"FREQ=MONTHLY;BYMONTHDAY=-2", 0, "vom Monatsende gezählt"},
        {"FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=30", 0, "an einem Tag, den es nicht gibt"},
        {"FREQ=DAILY;FREQ=DAILY", 0, "Regel unlesbar"},
        {"FREQ=DAILY;UNTIL=19991231", 0, "Regel unlesbar"},
        {"FREQ=MONTHLY;BYMONTHDAY=28,29;BYSETPOS=1", 0, "mit BYSETPOS"},
        {"", 0, "Regel unlesbar"},
    };
    for (const auto& c : cases) {
        const RRuleReading r = readRRule(c.rrule, local("2612080900"), c.passed);
        const std::string got = r.rule ? recurrenceToAttribute(*r.rule, at("2612080900")) + " +" +
                                             std::to_string(r.differences.size())
                                       : r.reason;
        EXPECT_TRUE(got.starts_with(c.read)) << c.rrule << " gave " << got;
    }
    const auto until = [](const char* text) {
        return readRRule(text, local("2612080900")).rule.value().until;
    };
    // UNTIL: the last date whose occurrence (09:00, 08:00 UTC) is not later than it.
    EXPECT_EQ(until("FREQ=DAILY;UNTIL=20271231"), 20271231u);
    EXPECT_EQ(until("FREQ=DAILY;UNTIL=20271231T075959Z"), 20271230u);
    EXPECT_EQ(until("FREQ=DAILY;UNTIL=20271231T080000Z"), 20271231u);
    EXPECT_EQ(until("FREQ=DAILY;UNTIL=20271231T085900"), 20271230u);
    EXPECT_EQ(until("FREQ=DAILY;UNTIL=21000101"), 0u) << "beyond every alarm time";
}

} // namespace
