// The appointment list's rows: filling from the book, committing back, and the
// moment of the editor's pickers; Europe/Berlin with a fixed clock.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/fixed_clock.h"
#include "tests/support/book_contents.h"
#include "ui/appointment_rows.h"

namespace {

constexpr TimeValue minute = 60;
constexpr TimeValue day = 24 * 60 * minute;

class AppointmentRows : public FixedClockTest {};

TEST_F(AppointmentRows, FillInBookOrderWithTodayAsHt) {
    AppointmentBook book;
    book.insert(sunday1430 + day, "Zahnarzt");
    book.insert(sunday1430, "Bäcker");
    const auto rows = rowsFromBook(book, LIST_CELL_CHARS, sunday1430Date);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].text, "B\xE4"
                            "cker");
    EXPECT_EQ(rows[0].display, "ht., 06.12.2026 14:30");
    EXPECT_EQ(rows[1].text, "Zahnarzt");
    EXPECT_EQ(rows[1].display, "Mo., 07.12.2026 14:30");
}

TEST_F(AppointmentRows, FillCutsTextsToTheCellBuffer) {
    AppointmentBook book;
    book.insert(sunday1430, std::string(200, 'x'));
    EXPECT_EQ(rowsFromBook(book, LIST_CELL_CHARS, sunday1430Date)[0].text, std::string(127, 'x'));
    EXPECT_EQ(rowsFromBook(book, MISSED_CELL_CHARS, sunday1430Date)[0].text, std::string(63, 'x'));
}

TEST_F(AppointmentRows, CommitReplacesTheBookAndReversesEqualTimes) {
    AppointmentBook book;
    book.insert(sunday1430 - day, "alt");
    commitRows({{"erster", "So., 06.12.2026 16:00"},
                {"früh", "Mo., 07.12.2026 08:00"},
                {"zweiter", "So., 06.12.2026 16:00"},
                {"zweiter", "So., 06.12.2026 16:00"}},
               book);
    const auto all = contents(book);
    ASSERT_EQ(all.size(), 4u);
    // From the last row up: of equal times the lower row comes first.
    EXPECT_EQ(all[0].text, "zweiter");
    EXPECT_EQ(all[1].text, "zweiter");
    EXPECT_EQ(all[2].text, "erster");
    EXPECT_EQ(all[0].alarmTime, sunday1430 + 90 * minute);
    EXPECT_EQ(all[3].text, "fr\xFCh");
    EXPECT_EQ(all[3].alarmTime, sunday1430 + day - 390 * minute);
}

TEST_F(AppointmentRows, CommitCutsTextsAndKeepsPastAndEmptyOnes) {
    AppointmentBook book;
    commitRows({{std::string(80, 'a'), "Sa., 05.12.2026 14:30"}, {"", "ht., 06.12.2026 14:31"}},
               book);
    const auto all = contents(book);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].text, std::string(63, 'a'));
    EXPECT_EQ(all[0].alarmTime, sunday1430 - day);
    EXPECT_EQ(all[1].text, "");
    EXPECT_EQ(all[1].alarmTime, sunday1430 + minute);
}

TEST_F(AppointmentRows, CommitLeavesOutRowsWithoutAValidAlarmTime) {
    AppointmentBook book;
    commitRows({{"vorher", "Fr., 00.01.2000 12:00"},
                {"leer", ""},
                {"gut", "Sa., 01.01.2000 00:00"},
                {"danach", "Do., 31.12.2099 24:00"}},
               book);
    const auto all = contents(book);
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].text, "gut");
    EXPECT_EQ(all[0].alarmTime, earliestAlarmTime());
}

TEST_F(AppointmentRows, FillThenCommitKeepsTheBook) {
    AppointmentBook book;
    book.insert(sunday1430 + 2 * day, "b");
    book.insert(sunday1430 - 3 * day, "a");
    book.insert(latestAlarmTime(), "c");
    AppointmentBook again;
    commitRows(rowsFromBook(book, LIST_CELL_CHARS, sunday1430Date), again);
    const auto before = contents(book);
    const auto after = contents(again);
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(after[i].alarmTime, before[i].alarmTime);
        EXPECT_EQ(after[i].text, before[i].text);
    }
}

TEST_F(AppointmentRows, PickedMomentTakesTheDateAndTheTimesHourAndMinute) {
    CalendarFields date{2026, 12, 3, 13, 9, 15, 42, 500}; // Wednesday given for a Sunday
    CalendarFields time{2025, 1, 0, 1, 18, 5, 59, 999};
    const CalendarFields moment = pickedMoment(date, time);
    EXPECT_EQ(moment.year, 2026);
    EXPECT_EQ(moment.month, 12);
    EXPECT_EQ(moment.day, 13);
    EXPECT_EQ(moment.hour, 18);
    EXPECT_EQ(moment.minute, 5);
    EXPECT_EQ(moment.second, 0);
    EXPECT_EQ(moment.dayOfWeek, 0);
    EXPECT_EQ(calendarToDisplay(moment), "So., 13.12.2026 18:05");
}

} // namespace
