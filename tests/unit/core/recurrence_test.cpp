// Repeating appointments: occurrences across daylight saving, month ends, leap
// years and the range's ends; the start-up split; the file attribute.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

#include "core/calendar.h"
#include "core/recurrence.h"
#include "tests/support/in_zone.h"

namespace {

using enum RepeatKind;

// Times are written as file keys YYMMDDhhmm of Europe/Berlin wall-clock time.
TimeValue at(std::string_view key) {
    return fileKeyToTime(key);
}

// The key of an occurrence, "" for none.
std::string key(std::optional<TimeValue> time) {
    return time ? timeToFileKey(*time) : "";
}

std::string key(const std::optional<SeriesStep>& step) {
    return step ? timeToFileKey(step->time) : "";
}

// A rule chosen at a wall-clock time, read without mktime, so that a time the
// clock skips stays what the user chose.
Recurrence rule(RepeatKind kind, std::string_view chosen) {
    const auto field = [chosen](std::size_t offset) {
        return std::stoi(std::string(chosen.substr(offset, 2)));
    };
    return makeRecurrence(kind,
                          LocalDateTime{2000 + field(0), field(2), field(4), field(6), field(8)});
}

namespace chr = std::chrono;

// The local date and the minute of the day of a time value.
struct Local {
    chr::year_month_day date;
    int minuteOfDay;
};

Local local(TimeValue time) {
    std::tm fields{};
    EXPECT_TRUE(timeToLocal(time, fields));
    return {chr::year{fields.tm_year + 1900} / (fields.tm_mon + 1) / fields.tm_mday,
            fields.tm_hour * 60 + fields.tm_min};
}

struct NextCase {
    RepeatKind kind;
    const char* chosen;
    const char* after;
    const char* expected;
};

TEST(Recurrence, NextOccurrence) {
    const NextCase cases[] = {
        // Daily keeps its wall-clock time over both changes of daylight saving.
        {Daily, "2603200800", "2603280800", "2603290800"},
        {Daily, "2603200800", "2610240800", "2610250800"},
        {Daily, "2603200800", "2610250759", "2610250800"},
        {Daily, "2603200800", "2610250800", "2610260800"},
        // 02:30 does not exist on 29 March 2026: 03:30 that day, 02:30 the next.
        {Daily, "2603200230", "2603280230", "2603290330"},
        {Daily, "2603200230", "2603290330", "2603300230"},
        // Working days: Friday to Monday, and from anywhere in the weekend.
        {Workdays, "2612010800", "2612040800", "2612070800"},
        {Workdays, "2612010800", "2612051200", "2612070800"},
        {Workdays, "2612010800", "2612062330", "2612070800"},
        {Workdays, "2612010800", "2612070700", "2612070800"},
        {Workdays, "2612010800", "2612070800", "2612080800"},
        // Weekly on a Thursday, over the spring change; the same day if still to come.
        {Weekly, "2603121900", "2603261900", "2604021900"},
        {Weekly, "2603121900", "2610291859", "2610291900"},
        // Monthly on the 31st through February, April and back, over a year's end.
        {Monthly, "2601311000", "2601311000", "2602281000"},
        {Monthly, "2601311000", "2602281000", "2603311000"},
        {Monthly, "2601311000", "2603311000", "2604301000"},
        {Monthly, "2601311000", "2604301000", "2605311000"},
        {Monthly, "2601311000", "2612311000", "2701311000"},
        {Monthly, "2601301000", "2602281000", "2603301000"},
        {Monthly, "2601311000", "2801311000", "2802291000"},
        // Yearly on 29 February: 28 February in common years.
        {Yearly, "2802290900", "2802290900", "2902280900"},
        {Yearly, "2802290900", "3102280900", "3202290900"},
        // A birthday stored in 2003, asked for after 7 December 2026.
        {Yearly, "0305170900", "2612071000", "2705170900"},
        // The last alarm time is 2099-12-31 23:59; nothing follows it.
        {Daily, "2603202359", "9912310000", "9912312359"},
        {Daily, "2603202359", "9912312359", ""},
        {Yearly, "2606010900", "9906010900", ""},
    };
    for (const NextCase& c : cases) {
        EXPECT_EQ(key(nextOccurrence(rule(c.kind, c.chosen), at(c.after))), c.expected)
            << "chosen " << c.chosen << ", after " << c.after;
    }
    // Before the first alarm time: the first occurrence in 2000.
    EXPECT_EQ(key(nextOccurrence(rule(Daily, "2603200800"), 0)), "0001010800");
}

TEST(Recurrence, RepeatedHourGivesOneOccurrenceAtItsFirstMoment) {
    // 02:30 happens twice on 25 October 2026; the series alarms once, at the first.
    const Recurrence daily = rule(Daily, "2610200230");
    const auto first = nextOccurrence(daily, at("2610240230"));
    EXPECT_EQ(first, at("2610250130") + 3600);
    ASSERT_TRUE(first);
    EXPECT_EQ(key(nextOccurrence(daily, *first)), "2610260230");
}

TEST(Recurrence, NoDriftOverManyOccurrences) {
    // Every occurrence of each series, followed one by one over years of daylight
    // saving changes, lies on the chosen day (or the month's last) at the chosen time.
    struct Sweep {
        RepeatKind kind;
        const char* chosen;
        int count;
        int apart; // days, or months for a monthly or yearly series
    };
    const Sweep sweeps[] = {{Daily, "2601010230", 800, 1},
                            {Weekly, "2601050230", 200, 7},
                            {Monthly, "2601310230", 120, 1},
                            {Yearly, "2802290230", 40, 12}};
    for (const Sweep& s : sweeps) {
        const Recurrence r = rule(s.kind, s.chosen);
        std::optional<TimeValue> occurrence = at(s.chosen);
        for (int i = 0; i < s.count && occurrence; ++i) {
            const auto next = nextOccurrence(r, *occurrence);
            ASSERT_TRUE(next) << s.chosen;
            const Local was = local(*occurrence);
            const Local is = local(*next);
            // 02:30 is skipped on the last Sunday of March only; it is 03:30 then.
            const bool skipped = is.date.month() == chr::March && is.date.day() >= chr::day{25} &&
                                 chr::weekday{is.date} == chr::Sunday;
            EXPECT_EQ(is.minuteOfDay, skipped ? 210 : 150) << key(next);
            if (s.kind == Daily || s.kind == Weekly) {
                EXPECT_EQ((chr::sys_days{is.date} - chr::sys_days{was.date}).count(), s.apart)
                    << key(next);
            } else {
                const auto months = [](chr::year_month_day d) {
                    return int{d.year()} * 12 + static_cast<int>(unsigned{d.month()});
                };
                EXPECT_EQ(months(is.date) - months(was.date), s.apart) << key(next);
                const chr::day last = (is.date.year() / is.date.month() / chr::last).day();
                EXPECT_EQ(is.date.day(), std::min(chr::day{s.kind == Monthly ? 31u : 29u}, last))
                    << key(next);
            }
            occurrence = next;
        }
    }
}

TEST(Recurrence, PreviousOccurrence) {
    EXPECT_EQ(key(previousOccurrence(rule(Daily, "2603200800"), at("2612060800"))), "2612060800");
    EXPECT_EQ(key(previousOccurrence(rule(Daily, "2603200800"), at("2612060759"))), "2612050800");
    EXPECT_EQ(key(previousOccurrence(rule(Workdays, "2612010800"), at("2612061200"))),
              "2612040800");
    EXPECT_EQ(key(previousOccurrence(rule(Weekly, "2612031900"), at("2612091200"))), "2612031900");
    EXPECT_EQ(key(previousOccurrence(rule(Monthly, "2601311000"), at("2605051000"))), "2604301000");
    EXPECT_EQ(key(previousOccurrence(rule(Monthly, "2601311000"), at("2601151000"))), "2512311000");
    EXPECT_EQ(key(previousOccurrence(rule(Yearly, "2802290900"), at("2702270900"))), "2602280900");
    EXPECT_EQ(key(previousOccurrence(rule(Daily, "2603200230"), at("2603291200"))), "2603290330");
    // Nothing before the first alarm time, 2000-01-01 00:00.
    EXPECT_EQ(key(previousOccurrence(rule(Daily, "2603200800"), at("0001010759"))), "");
    EXPECT_EQ(key(previousOccurrence(rule(Daily, "2603200000"), at("0001010000"))), "0001010000");
}

TEST(Recurrence, ChosenFieldsCarryOverLikeMktime) {
    EXPECT_EQ(makeRecurrence(Monthly, LocalDateTime{2026, 4, 31, 8, 0}),
              rule(Monthly, "2605010800"));
    EXPECT_EQ(makeRecurrence(Weekly, LocalDateTime{2026, 13, 0, 24, 5}),
              rule(Weekly, "2701010005"));
    EXPECT_EQ(makeRecurrence(Yearly, at("2802290900")), rule(Yearly, "2802290900"));
}

TEST(Recurrence, OneOffHasNoOccurrences) {
    EXPECT_EQ(makeRecurrence(None, at("2612061430")), Recurrence{});
    EXPECT_FALSE(nextOccurrence(Recurrence{}, at("2612061430")));
    EXPECT_FALSE(previousOccurrence(Recurrence{}, at("2612061430")));
}

TEST(Recurrence, FirstAlarmTime) {
    // Working days chosen on a Saturday start on Monday.
    EXPECT_EQ(key(firstAlarmTime(rule(Workdays, "2612050800"), at("2612050800"))), "2612070800");
    EXPECT_EQ(key(firstAlarmTime(rule(Monthly, "2601311000"), at("2601311000"))), "2601311000");
    // A skipped time chosen in the editor: mktime may name 01:30 or 03:30; both give 03:30.
    const Recurrence skipped = rule(Daily, "2603290230");
    EXPECT_EQ(key(firstAlarmTime(skipped, at("2603290130"))), "2603290330");
    EXPECT_EQ(key(firstAlarmTime(skipped, at("2603290330"))), "2603290330");
    EXPECT_EQ(firstAlarmTime(Recurrence{}, at("2612050800")), at("2612050800"));
    // 02:30 on 25 October 2026 chosen as its second pass (mktime may name either):
    // the series starts that day at the first pass, not a day, week or year later.
    const TimeValue firstPass = at("2610250130") + 3600;
    for (const RepeatKind kind : {Daily, Weekly, Monthly, Yearly}) {
        EXPECT_EQ(firstAlarmTime(rule(kind, "2610250230"), firstPass + 3600), firstPass)
            << static_cast<int>(kind);
    }
}

TEST(Recurrence, OccurrenceAfterAlarm) {
    const Recurrence daily = rule(Daily, "2612010800");
    // Due ten minutes early by the alarm offset: tomorrow, not the same 08:00 again.
    EXPECT_EQ(key(occurrenceAfterAlarm(daily, at("2612060800"), at("2612060750"))), "2612070800");
    // Found due days late: the first after now.
    EXPECT_EQ(key(occurrenceAfterAlarm(daily, at("2612010800"), at("2612061430"))), "2612070800");
}

TEST(Recurrence, SplitAtStartUp) {
    const TimeValue now = at("2612061430");
    struct SplitCase {
        Recurrence rule;
        const char* alarm;
        const char* missed;
        const char* next;
    };
    const SplitCase cases[] = {
        // Three weeks of holiday: one missed row, and tomorrow stays in the book.
        {rule(Daily, "2611150800"), "2611150800", "2612060800", "2612070800"},
        {rule(Yearly, "0305170900"), "0305170900", "2605170900", "2705170900"},
        // Stored on a Saturday, no working day passed since: that alarm is missed.
        {rule(Workdays, "2612050800"), "2612050800", "2612050800", "2612070800"},
        // A one-off that passed, and an alarm exactly now, count as missed.
        {Recurrence{}, "2612010800", "2612010800", ""},
        {Recurrence{}, "2612061430", "2612061430", ""},
        // Still to come: nothing missed, the appointment stays as it is.
        {rule(Weekly, "2612061431"), "2612061431", "", "2612061431"},
    };
    for (const SplitCase& c : cases) {
        const StartUpSplit split = splitAtStartUp(c.rule, at(c.alarm), now);
        EXPECT_EQ(key(split.missed), c.missed) << c.alarm;
        EXPECT_EQ(key(split.next), c.next) << c.alarm;
    }
    // A series past the last alarm time: the last occurrence is missed, none follows.
    const StartUpSplit ended =
        splitAtStartUp(rule(Daily, "2603202359"), at("9912302359"), at("9912312359") + 60);
    EXPECT_EQ(key(ended.missed), "9912312359");
    EXPECT_FALSE(ended.next);
}

TEST(RecurrenceAttribute, WritesShortestValueAndReadsItBack) {
    struct AttributeCase {
        Recurrence rule;
        const char* alarm;
        const char* value;
    };
    const AttributeCase cases[] = {
        {Recurrence{}, "2612061430", ""},
        {rule(Daily, "2612060800"), "2612070800", "tag"},
        {rule(Workdays, "2612050800"), "2612070800", "werktag"},
        {rule(Weekly, "2612030800"), "2612100800", "woche"},
        {rule(Monthly, "2601311000"), "2603311000", "monat"},
        {rule(Monthly, "2601311000"), "2604301000", "monat 31"},
        {rule(Yearly, "0305170900"), "2705170900", "jahr"},
        {rule(Yearly, "2802290900"), "2902280900", "jahr 29"},
        {rule(Daily, "2603200230"), "2603290330", "tag 02:30"},
        {rule(Monthly, "2601290230"), "2602280230", "monat 29"},
        {rule(Monthly, "3001310230"), "3003310330", "monat 02:30"},
        {rule(Monthly, "2601310230"), "2603290330", "monat 31 02:30"},
    };
    for (const AttributeCase& c : cases) {
        const std::string value = recurrenceToAttribute(c.rule, at(c.alarm));
        EXPECT_EQ(value, c.value) << c.alarm;
        EXPECT_EQ(recurrenceFromAttribute(value, at(c.alarm)), c.rule) << c.value;
    }
    // The rule of a value comes from "zeit" where the value does not say it.
    EXPECT_EQ(recurrenceFromAttribute("woche", at("2612031900")), rule(Weekly, "2612031900"));
    EXPECT_EQ(recurrenceFromAttribute("monat 05", at("2612151900")), rule(Monthly, "2612051900"));
}

TEST(RecurrenceAttribute, DamagedValueReadsAsOneOff) {
    const TimeValue alarm = at("2602281000");
    for (const char* value :
         {"", "Jahr", "jahrx", "keine", "jahr ", " jahr", "monat  31", "monat 32", "monat 0",
          "monat -1", "monat +5", "jahr 30", "tag 29", "tag 24:00", "tag 2:30", "tag 02-30",
          "tag 02:30 x", "monat 31 31", "woche 02:30:00"}) {
        EXPECT_EQ(recurrenceFromAttribute(value, alarm), Recurrence{}) << '"' << value << '"';
    }
    EXPECT_EQ(recurrenceFromAttribute("jahr", 0), Recurrence{}) << "no usable zeit";
    EXPECT_EQ(recurrenceFromAttribute("jahr", -1), Recurrence{}) << "no usable zeit";
}

TEST(RecurrenceAttribute, TheRepeatedHourReadsOnItsOwnDate) {
    // 02:30 on Sunday 25 October 2026 happens twice; "zeit" may name either pass.
    const TimeValue firstPass = at("2610250130") + 3600;
    for (const TimeValue pass : {firstPass, firstPass + 3600}) {
        for (const auto& [value, kind] : {std::pair<const char*, RepeatKind>{"tag", Daily},
                                          {"woche", Weekly},
                                          {"monat", Monthly},
                                          {"jahr", Yearly}}) {
            EXPECT_EQ(recurrenceFromAttribute(value, pass), rule(kind, "2610250230")) << pass;
            EXPECT_EQ(recurrenceToAttribute(rule(kind, "2610250230"), pass), value) << pass;
        }
    }
}

// Lord Howe Island moves its clock by half an hour: 02:00 to 02:30 on 4 October 2026.
TEST(RecurrenceAttribute, AHalfHourChangeKeepsTheChosenTime) {
    const InZone zone("Australia/Lord_Howe");
    const Recurrence daily = rule(Daily, "2610030215");
    const TimeValue skipped = at("2610040245");
    EXPECT_EQ(nextOccurrence(daily, at("2610031200")), skipped);
    EXPECT_EQ(recurrenceToAttribute(daily, skipped), "tag 02:15");
    EXPECT_EQ(recurrenceFromAttribute("tag 02:15", skipped), daily);
    EXPECT_EQ(key(nextOccurrence(daily, skipped)), "2610050215");
}

// A year of occurrences of a few rules, each written into the file (its key and
// attribute) and read back as the next start reads it: the rule comes back exactly,
// and the series goes on as it would have, always later than the occurrence before.
TEST(RecurrenceAttribute, AYearThroughTheFileKeepsEverySeries) {
    for (const char* zone : {"Europe/Berlin", "Australia/Lord_Howe"}) {
        const InZone inZone(zone);
        for (const Recurrence& r :
             {rule(Daily, "2609010215"), rule(Daily, "2609010145"), rule(Daily, "2609010230"),
              rule(Workdays, "2609010215"), rule(Weekly, "2609060215"), rule(Monthly, "2608310215"),
              rule(Yearly, "2802290215")}) {
            auto occurrence = nextOccurrence(r, at("2609010000"));
            for (int steps = 0; occurrence && *occurrence < at("2709010000"); ++steps) {
                const TimeValue read = at(timeToFileKey(*occurrence));
                const Recurrence back =
                    recurrenceFromAttribute(recurrenceToAttribute(r, *occurrence), read);
                ASSERT_EQ(back, r) << zone << ' ' << key(occurrence);
                const auto next = nextOccurrence(back, read);
                ASSERT_TRUE(next) << zone << ' ' << key(occurrence);
                EXPECT_EQ(next, nextOccurrence(r, *occurrence)) << zone << ' ' << key(occurrence);
                EXPECT_GT(*next, *occurrence) << zone << ' ' << key(occurrence);
                occurrence = next;
                ASSERT_LT(steps, 400) << zone;
            }
        }
    }
}

TEST(LateSpringChange, SkippedTimePushedOverMidnightKeepsItsDay) {
    // A zone whose clock jumps from 23:30 to 00:30 on the last Sunday of March.
    const InZone zone("LST-1LDT,M3.5.0/23:30,M10.5.0/3");
    // Sunday 29 March 2026, 23:45 is skipped: it falls on Monday 00:45.
    const Recurrence daily = rule(Daily, "2603272345");
    const auto skipped = nextOccurrence(daily, at("2603282345"));
    EXPECT_EQ(key(skipped), "2603300045");
    EXPECT_EQ(key(nextOccurrence(daily, at("2603300030"))), "2603300045");
    ASSERT_TRUE(skipped);
    EXPECT_EQ(key(nextOccurrence(daily, *skipped)), "2603302345");
    // A weekly Sunday series read back from the file stays on Sunday.
    const Recurrence weekly = rule(Weekly, "2603222345");
    EXPECT_EQ(recurrenceToAttribute(weekly, *skipped), "woche 23:45");
    EXPECT_EQ(recurrenceFromAttribute("woche 23:45", *skipped), weekly);
    EXPECT_EQ(key(nextOccurrence(weekly, *skipped)), "2604052345");
}

} // namespace
