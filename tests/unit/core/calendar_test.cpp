// The time text forms, in the Europe/Berlin time zone with a fixed clock.
#include <gtest/gtest.h>

#include <ctime>

#include "core/calendar.h"
#include "tests/support/fixed_clock.h"

namespace {

class Calendar : public FixedClockTest {};

TEST_F(Calendar, TestZoneIsBerlin) {
    // Every expectation below assumes Europe/Berlin.
    std::time_t t = static_cast<std::time_t>(sunday1430);
    std::tm local{};
    localtime_r(&t, &local);
    ASSERT_EQ(local.tm_hour, 14) << "run the tests with TZ=Europe/Berlin";
}

TEST_F(Calendar, FileKeyRoundTrip) {
    EXPECT_EQ(fileKeyToTime("2612061430"), sunday1430);
    EXPECT_EQ(timeToFileKey(sunday1430), "2612061430");
    EXPECT_EQ(timeToFileKey(sunday1430 + 59), "2612061430"); // seconds are dropped
}

TEST_F(Calendar, FileKeyOfWrongLengthIsZero) {
    EXPECT_EQ(fileKeyToTime(""), 0);
    EXPECT_EQ(fileKeyToTime("261206143"), 0);
    EXPECT_EQ(fileKeyToTime("26120614300"), 0);
}

TEST_F(Calendar, FileKeyFieldsAreNormalisedLikeMktime) {
    // Month 13 names January of the following year.
    EXPECT_EQ(timeToFileKey(fileKeyToTime("2613061430")), "2701061430");
    // Letters read as 0: month 0 names December of the year before.
    EXPECT_EQ(timeToFileKey(fileKeyToTime("26xx061430")), "2512061430");
    // 31 April becomes 1 May.
    EXPECT_EQ(timeToFileKey(fileKeyToTime("2604310800")), "2605010800");
    // atoi-like fields: a leading blank and a sign are read.
    EXPECT_EQ(timeToFileKey(fileKeyToTime("26 1061430")), "2601061430");
}

TEST_F(Calendar, ValidRangeIsWhatTheFileKeyCanHold) {
    const TimeValue first = fileKeyToTime("0001010000");
    const TimeValue last = fileKeyToTime("9912312359");
    EXPECT_EQ(first, 946681200); // 2000-01-01 00:00 CET
    EXPECT_EQ(last, 4102441140); // 2099-12-31 23:59 CET, beyond 2038
    EXPECT_EQ(timeToFileKey(first), "0001010000");
    EXPECT_EQ(timeToFileKey(last), "9912312359");
    // One minute outside either end cannot be represented.
    EXPECT_EQ(fileKeyToTime("0001000000"), -1); // day 0: 31.12.1999
    EXPECT_EQ(fileKeyToTime("9912312400"), -1); // 24:00 on the last day: 2100
    EXPECT_EQ(timeToFileKey(first - 60), "");
    EXPECT_EQ(timeToFileKey(last + 60), "");
}

TEST_F(Calendar, DaylightSavingChanges) {
    // 2026-03-29 02:30 does not exist in Berlin; mktime moves it by an hour.
    const TimeValue skipped = fileKeyToTime("2603290230");
    ASSERT_GT(skipped, 0);
    const std::string key = timeToFileKey(skipped);
    EXPECT_TRUE(key == "2603290330" || key == "2603290130") << key;
    // 2026-10-25 02:30 happens twice; either moment reads back as the same key.
    const TimeValue repeated = fileKeyToTime("2610250230");
    ASSERT_GT(repeated, 0);
    EXPECT_EQ(timeToFileKey(repeated), "2610250230");
    // The hour before and after the changes are an hour apart as wall clocks say.
    EXPECT_EQ(fileKeyToTime("2603290300") - fileKeyToTime("2603290100"), 3600);
    EXPECT_EQ(fileKeyToTime("2610250400") - fileKeyToTime("2610250100"), 4 * 3600);
}

TEST_F(Calendar, DisplayShowsTodayAsHt) {
    EXPECT_EQ(timeToDisplay(sunday1430, sunday1430Date), "ht., 06.12.2026 14:30");
    EXPECT_EQ(timeToDisplay(sunday1430 + 7 * 86400, sunday1430Date), "So., 13.12.2026 14:30");
    EXPECT_EQ(timeToDisplay(sunday1430 + 86400 - 5 * 60, sunday1430Date), "Mo., 07.12.2026 14:25");
    EXPECT_EQ(timeToDisplay(sunday1430, sunday1430Date).size(), 21u);
    // Also a Sunday, 6 December: only the year tells it from today.
    EXPECT_EQ(timeToDisplay(fileKeyToTime("2012061430"), sunday1430Date), "So., 06.12.2020 14:30");
}

TEST_F(Calendar, DisplayToTimeIgnoresWeekdayLetters) {
    const TimeValue expected = fileKeyToTime("2612070905");
    EXPECT_EQ(displayToTime("Mo., 07.12.2026 09:05"), expected);
    EXPECT_EQ(displayToTime("ht., 07.12.2026 09:05"), expected);
    EXPECT_EQ(displayToTime("Xy., 07.12.2026 09:05"), expected);
    // Only the last two digits of the year count.
    EXPECT_EQ(displayToTime("Mo., 07.12.1926 09:05"), expected);
    EXPECT_EQ(displayToTime(""), -1); // day 0, month 0 of 2000: before the range
}

TEST_F(Calendar, DisplayToCalendarReadsFieldsAndKeepsTheRest) {
    CalendarFields fields{};
    fields.dayOfWeek = 3;
    fields.second = 17;
    fields.millisecond = 4;
    displayToCalendar("Mo., 07.12.2026 09:05", fields);
    EXPECT_EQ(fields.year, 2026);
    EXPECT_EQ(fields.month, 12);
    EXPECT_EQ(fields.day, 7);
    EXPECT_EQ(fields.hour, 9);
    EXPECT_EQ(fields.minute, 5);
    EXPECT_EQ(fields.dayOfWeek, 3);
    EXPECT_EQ(fields.second, 17);
    EXPECT_EQ(fields.millisecond, 4);
}

TEST_F(Calendar, CalendarToDisplayNeverSaysHt) {
    CalendarFields sunday{2026, 12, 0, 6, 14, 30, 0, 0};
    EXPECT_EQ(calendarToDisplay(sunday), "So., 06.12.2026 14:30");
    CalendarFields odd{2026, 1, 9, 2, 3, 4, 0, 0};
    EXPECT_EQ(calendarToDisplay(odd), "  ., 02.01.2026 03:04");
}

TEST(WeekdayNames, SundayFirstAndBlanksOutside) {
    EXPECT_EQ(weekdayName(0), "So");
    EXPECT_EQ(weekdayName(6), "Sa");
    EXPECT_EQ(weekdayName(7), "  ");
    EXPECT_EQ(weekdayName(-1), "  ");
}

} // namespace
