// RRULE expanded into occurrences; zones from VTIMEZONE
// definitions and the PC's own rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>

#include "core/calendar.h"
#include "store/ical/ical_rule.h"

namespace {

WallTime wall(std::string_view text) {
    return readIcalTime(text).value().wall;
}

// The occurrences from `from` on, at most `most`, as "20261208T1830 20270112T1830".
std::string occurrences(std::string_view ruleText, std::string_view start, std::string_view from,
                        std::size_t most) {
    const auto rule = parseRecurrenceRule(ruleText);
    if (!rule) {
        return "damaged";
    }
    std::optional<WallTime> until;
    if (rule->until) {
        until = rule->until->wall;
    }
    RuleBudget budget;
    RuleOccurrences all(*rule, wall(start), until, wall(from), budget);
    std::string seen;
    for (std::size_t n = 0; n < most;) {
        const auto next = all.next();
        if (!next) {
            break;
        }
        if (*next >= wall(from)) {
            seen += (n++ == 0 ? "" : " ") + icalDateTime(*next, false).substr(0, 13);
        }
    }
    return seen;
}

TEST(IcalRule, RulesExpandAsTheStandardSays) {
    // Rule, start, from, and the occurrences from then on (as many as there are words).
    const struct {
        const char* rule;
        const char* start;
        const char* from;
        std::string expected;
    } cases[] = {
        {"FREQ=MONTHLY;BYDAY=2TU", "20261208T183000", "20261208T000000",
         "20261208T1830 20270112T1830 20270209T1830"},
        {"FREQ=MONTHLY;BYMONTHDAY=-1", "20261130T090000", "20261130T000000",
         "20261130T0900 20261231T0900 20270131T0900 20270228T0900"},
        {"FREQ=MONTHLY;BYDAY=MO,TU,WE,TH,FR;BYSETPOS=-1", "20260130T160000", "20260101T000000",
         "20260130T1600 20260227T1600 20260331T1600"},
        {"FREQ=MONTHLY;BYMONTHDAY=31", "20270131T080000", "20270101T000000",
         "20270131T0800 20270331T0800 20270531T0800"},
        // RFC 5545: the week start decides which weeks every other one counts.
        {"FREQ=WEEKLY;INTERVAL=2;COUNT=4;BYDAY=TU,SU;WKST=MO", "19970805T090000", "19970101T000000",
         "19970805T0900 19970810T0900 19970819T0900 19970824T0900"},
        {"FREQ=WEEKLY;INTERVAL=2;COUNT=4;BYDAY=TU,SU;WKST=SU", "19970805T090000", "19970101T000000",
         "19970805T0900 19970817T0900 19970819T0900 19970831T0900"},
        {"FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=28,29;BYSETPOS=-1", "20270228T070000", "20270101T000000",
         "20270228T0700 20280229T0700 20290228T0700"},
        {"FREQ=YEARLY;BYDAY=20MO", "19970519T090000", "19970101T000000",
         "19970519T0900 19980518T0900 19990517T0900"},
        {"FREQ=DAILY;UNTIL=20261205T073000", "20261203T073000", "20261201T000000",
         "20261203T0730 20261204T0730 20261205T0730"},
        {"freq=daily;count=2", "20261203T073000", "20261201T000000", "20261203T0730 20261204T0730"},
        // Decades later without counting them out.
        {"FREQ=DAILY;INTERVAL=3", "20030101T090000", "20261201T000000",
         "20261202T0900 20261205T0900"},
        {"FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU", "16010325T020000", "20270101T000000",
         "20270328T0200 20280326T0200"},
        {"FREQ=DAILY;BYDAY=SA", "20261201T100000", "20261202T000000", "20261205T1000"},
        // A week that begins on Monday holds the Sunday at its end.
        {"FREQ=WEEKLY;BYDAY=SU", "20261206T100000", "20261213T000000", "20261213T1000"},
        {"FREQ=WEEKLY;BYDAY=XX", "20261201T100000", "20261201T000000", "damaged"},
        {"INTERVAL=2", "20261201T100000", "20261201T000000", "damaged"},
    };
    for (const auto& c : cases) {
        const auto count =
            static_cast<std::size_t>(std::count(c.expected.begin(), c.expected.end(), ' '));
        EXPECT_EQ(occurrences(c.rule, c.start, c.from, count + 1 + (c.rule[0] == 'f')), c.expected)
            << c.rule;
    }
}

TEST(IcalRule, AHostileRuleEndsWithinItsBudget) {
    const auto rule = parseRecurrenceRule("FREQ=DAILY;COUNT=5;BYMONTH=2;BYMONTHDAY=30");
    ASSERT_TRUE(rule);
    RuleBudget budget{1000};
    RuleOccurrences all(*rule, wall("20000101T000000"), std::nullopt, 0, budget);
    EXPECT_TRUE(all.next()); // the start itself
    EXPECT_FALSE(all.next());
    EXPECT_TRUE(all.exhausted());
}

// The zone's rules with the changes that RFC 5545's New York definition has had: its
// offsets before, in and after each change, and the wall-clock times the clock skips or
// shows twice.
TEST(IcalZone, DefinedZonesGiveTheMomentsOfWallClockTimes) {
    const std::vector<Observance> newYork{
        {wall("19671029T020000"),
         -4 * 3600,
         -5 * 3600,
         "FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU;UNTIL=20061029T060000Z",
         {}},
        {wall("19740106T020000"), -5 * 3600, -4 * 3600, "", {wall("19750223T020000")}},
        {wall("19870405T020000"),
         -5 * 3600,
         -4 * 3600,
         "FREQ=YEARLY;BYMONTH=4;BYDAY=1SU;UNTIL=20060402T070000Z",
         {}},
        {wall("20070311T020000"), -5 * 3600, -4 * 3600, "FREQ=YEARLY;BYMONTH=3;BYDAY=2SU", {}},
        {wall("20071104T020000"), -4 * 3600, -5 * 3600, "FREQ=YEARLY;BYMONTH=11;BYDAY=1SU", {}},
    };
    const auto zone = definedZone(newYork);
    ASSERT_TRUE(zone);
    struct Case {
        const char* local;
        const char* utc;
    };
    for (const Case& c : std::vector<Case>{
             {"20270320T090000", "20270320T130000"}, // EDT
             {"20261207T090000", "20261207T140000"}, // EST
             {"19750301T120000", "19750301T160000"}, // after the RDATE
             {"19990404T013000", "19990404T063000"}, // first Sunday of April, before 02:00
             {"19990404T023000", "19990404T073000"}, // skipped: read with EST
             {"20271107T013000", "20271107T053000"}, // shown twice: the first pass
         }) {
        const auto moment = momentOf(*zone, wall(c.local));
        ASSERT_TRUE(moment) << c.local;
        EXPECT_EQ(icalDateTime(*moment, true), std::string(c.utc) + "Z") << c.local;
    }
    EXPECT_FALSE(sameClock(*zone, systemZone(), wall("20261201T000000")));
    EXPECT_FALSE(definedZone({}));
}

// The PC's rules as the C library applies them, for zones of both hemispheres.
TEST(IcalZone, ThePcsZoneIsDescribedByItsYearlyRules) {
    const std::string was = std::getenv("TZ") ? std::getenv("TZ") : "";
    struct Case {
        const char* zone;
        const char* expected;
    };
    for (const Case& c : std::vector<Case>{
             {"Europe/Berlin", "3600 7200 3/-1/0/120 10/-1/0/180"},
             {"America/New_York", "-18000 -14400 3/2/0/120 11/1/0/120"},
             {"Australia/Sydney", "36000 39600 10/1/0/120 4/1/0/180"},
             {"Asia/Tokyo", "32400"},
         }) {
        setenv("TZ", c.zone, 1);
        tzset();
        const auto rules = systemZoneRules(wall("20261201T000000"));
        ASSERT_TRUE(rules) << c.zone;
        std::string got = std::to_string(rules->standardOffset);
        const auto change = [](const ZoneChange& z) {
            return std::to_string(z.month) + "/" + std::to_string(z.week) + "/" +
                   std::to_string(z.weekday) + "/" + std::to_string(z.minuteOfDay);
        };
        if (rules->daylightOffset) {
            got += " " + std::to_string(*rules->daylightOffset) + " " + change(rules->toDaylight) +
                   " " + change(rules->toStandard);
        }
        EXPECT_EQ(got, c.expected) << c.zone;
    }
    setenv("TZ", was.c_str(), 1);
    tzset();
}

} // namespace
