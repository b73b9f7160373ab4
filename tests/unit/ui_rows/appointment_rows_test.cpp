// The appointment list's rows: filling from the book, committing back, and the
// moment of the editor's pickers; Europe/Berlin with a fixed clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/appointment_words.h"
#include "tests/support/book_contents.h"
#include "tests/support/fixed_clock.h"
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
    commitRows({{"erster", "So., 06.12.2026 16:00", {}},
                {"früh", "Mo., 07.12.2026 08:00", {}},
                {"zweiter", "So., 06.12.2026 16:00", {}},
                {"zweiter", "So., 06.12.2026 16:00", {}}},
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
    commitRows(
        {{std::string(80, 'a'), "Sa., 05.12.2026 14:30", {}}, {"", "ht., 06.12.2026 14:31", {}}},
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
    commitRows({{"vorher", "Fr., 00.01.2000 12:00", {}},
                {"leer", "", {}},
                {"gut", "Sa., 01.01.2000 00:00", {}},
                {"danach", "Do., 31.12.2099 24:00", {}}},
               book);
    const auto all = contents(book);
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].text, "gut");
    EXPECT_EQ(all[0].alarmTime, earliestAlarmTime());
}

TEST_F(AppointmentRows, FillThenCommitKeepsTheBookWithItsRules) {
    AppointmentBook book;
    book.insert(sunday1430 + 2 * day, "b");
    book.insert(sunday1430 - 3 * day, "a");
    book.insert(latestAlarmTime(), "c");
    // A monthly 31st that stands on 30 April comes back as the 31st.
    book.insert({displayToTime("Fr., 30.04.2027 09:00"), "Miete",
                 makeRecurrence(RepeatKind::Monthly, {2027, 3, 31, 9, 0})});
    book.insert({sunday1430, "Pille", makeRecurrence(RepeatKind::Daily, sunday1430)});
    const auto rows = rowsFromBook(book, LIST_CELL_CHARS, sunday1430Date);
    AppointmentBook again;
    commitRows(rows, again);
    EXPECT_EQ(contents(again), contents(book));
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

// What OK of the editor writes into a row, for a new appointment and a changed one.
TEST_F(AppointmentRows, EditedRowKeepsOrRemakesTheRule) {
    // Working days picked on a Saturday start on Monday.
    const CalendarFields saturday{2026, 12, 6, 5, 8, 0, 0, 0};
    AppointmentRow row = editedRow("Arbeit", saturday, RepeatKind::Workdays, nullptr, sunday1430);
    EXPECT_EQ(row.display, "Mo., 07.12.2026 08:00");
    EXPECT_EQ(row.recurrence, makeRecurrence(RepeatKind::Workdays, {2026, 12, 5, 8, 0}));

    // A monthly 31st on 30 April and a yearly 29 February on 28 February keep their
    // chosen day while only the time changes; a new date or kind makes the rule anew.
    using enum RepeatKind;
    const auto on31st = [](int hour, int minutes) {
        return makeRecurrence(Monthly, {2027, 3, 31, hour, minutes});
    };
    const AppointmentRow april{"Miete", "Fr., 30.04.2027 09:00", on31st(9, 0)};
    const AppointmentRow february{"Oma", "So., 28.02.2027 09:00",
                                  makeRecurrence(Yearly, {2028, 2, 29, 9, 0})};
    const AppointmentRow oneOff{"Post", "Fr., 30.04.2027 09:00", Recurrence{}};
    const TimeValue april30At0930 = 1809070200;
    struct ChangeCase {
        const AppointmentRow& original;
        const char* picked; // as the pickers give it, "DD.MM.YYYY hh:mm"
        RepeatKind kind;
        TimeValue now;
        const char* display;
        Recurrence rule;
    };
    const ChangeCase changes[] = {
        {april, "30.04.2027 09:00", Monthly, sunday1430, "Fr., 30.04.2027 09:00", on31st(9, 0)},
        {april, "30.04.2027 10:00", Monthly, sunday1430, "Fr., 30.04.2027 10:00", on31st(10, 0)},
        // The new time has passed on that date: the series' next occurrence, on the 31st.
        {april, "30.04.2027 08:00", Monthly, april30At0930, "Mo., 31.05.2027 08:00", on31st(8, 0)},
        {february, "28.02.2027 10:15", Yearly, sunday1430, "So., 28.02.2027 10:15",
         makeRecurrence(Yearly, {2028, 2, 29, 10, 15})},
        {april, "29.04.2027 10:00", Monthly, sunday1430, "Do., 29.04.2027 10:00",
         makeRecurrence(Monthly, {2027, 4, 29, 10, 0})},
        {april, "30.04.2027 10:00", Yearly, sunday1430, "Fr., 30.04.2027 10:00",
         makeRecurrence(Yearly, {2027, 4, 30, 10, 0})},
        {april, "30.04.2027 09:00", None, sunday1430, "Fr., 30.04.2027 09:00", Recurrence{}},
        {oneOff, "30.04.2027 10:00", None, sunday1430, "Fr., 30.04.2027 10:00", Recurrence{}},
    };
    for (const ChangeCase& c : changes) {
        CalendarFields picked;
        displayToCalendar(std::string("xx., ") + c.picked, picked);
        row = editedRow(c.original.text, pickedMoment(picked, picked), c.kind, &c.original, c.now);
        EXPECT_EQ(row.display, c.display) << c.original.display << " to " << c.picked;
        EXPECT_EQ(row.recurrence, c.rule) << c.original.display << " to " << c.picked;
    }

    // 02:30 on the day the clock skips it: the rule keeps 02:30 for the other days.
    row = editedRow("Nacht", {2027, 3, 0, 28, 2, 30, 0, 0}, RepeatKind::Daily, nullptr, sunday1430);
    EXPECT_EQ(row.recurrence, makeRecurrence(RepeatKind::Daily, {2027, 3, 28, 2, 30}));
    EXPECT_EQ(displayToTime(row.display), displayToTime("So., 28.03.2027 03:30"));

    // A series picked in the past starts at its next occurrence, not at once: the
    // birthday given with its year, the daily pill entered after its hour.
    row = editedRow("Oma", {2003, 5, 6, 10, 9, 0, 0, 0}, RepeatKind::Yearly, nullptr, sunday1430);
    EXPECT_EQ(row.display, "Mo., 10.05.2027 09:00");
    EXPECT_EQ(row.recurrence, makeRecurrence(RepeatKind::Yearly, {2003, 5, 10, 9, 0}));
    row = editedRow("Pille", {2026, 12, 0, 6, 8, 0, 0, 0}, RepeatKind::Daily, nullptr, sunday1430);
    EXPECT_EQ(row.display, "Mo., 07.12.2026 08:00");
    // The current minute, at which the editor opens, is not past.
    row = editedRow("Jetzt", {2026, 12, 0, 6, 14, 30, 0, 0}, RepeatKind::Weekly, nullptr,
                    sunday1430 + 59);
    EXPECT_EQ(row.display, "So., 06.12.2026 14:30");
}

// The list's OK against the book as it is now: what the rows changed, by identity, over
// what arrived, changed or went meanwhile (a sync, an alarm while the list was open).
TEST_F(AppointmentRows, ListEditsMeetTheBookAsItIsNow) {
    const struct {
        const char* opened;
        const char* now;
        const char* rows;
        const char* alarmed;
        const char* result; // sorted
        const char* back;   // brought back on purpose, above any deletion
    } cases[] = {
        {"A B", "A B", "A B", "", "A B", ""},
        {"A B", "A B", "Ax B", "", "Ax1 B", ""}, // an edit raises the revision
        {"A B", "A B", "B", "", "B", ""},        // a row deleted
        {"A", "A", "A _N", "", "A _N", ""},
        {"A", "A", "A I", "", "A I",
         "I"}, // an imported row with an identity      // a new row, without identity yet
        {"A", "A C _M", "A", "", "A C _M", ""}, // arrived meanwhile
        {"A", "Ay2", "A", "", "Ay2", ""},       // changed meanwhile, row as it was
        {"A", "Ay2", "Ax", "", "Ax3", ""},      // ... and edited here: the edit wins
        {"A B", "B", "A B", "", "B", ""},       // gone meanwhile, row as it was
        {"A B", "B", "A B", "A", "A1 B", "A"},  // alarmed here, row kept: it stays
    };
    for (const auto& c : cases) {
        std::vector<AppointmentId> alarmed;
        for (const char id : std::string(c.alarmed)) {
            alarmed.push_back(static_cast<AppointmentId>(id));
        }
        const AppointmentBook result = applyListEdits(bookFromWords(c.opened), bookFromWords(c.now),
                                                      bookFromWords(c.rows), alarmed);
        std::vector<std::string> words;
        result.forEach([&words](const Appointment& a) { words.push_back(wordOf(a)); });
        std::sort(words.begin(), words.end());
        std::string all;
        for (const std::string& w : words) {
            all += (all.empty() ? "" : " ") + w;
        }
        EXPECT_EQ(all, c.result) << c.opened << " | " << c.now << " | " << c.rows;
        std::string back;
        for (const AppointmentId id :
             broughtBack(bookFromWords(c.opened), bookFromWords(c.rows), alarmed)) {
            back += idWord(id);
        }
        EXPECT_EQ(back, c.back) << c.opened << " | " << c.rows;
    }
}

// A list 386 pixels wide whose text column was made 250 wide.
TEST_F(AppointmentRows, ColumnsShareTheListWithoutCuttingTextsOrWords) {
    // `repeat` whole sentences, `words` the words of rules that their kind names.
    const auto fit = [](int text, int time, int repeat, bool anySeries, int words = 0) {
        return fitColumnWidths(386, 250,
                               ColumnNeeds{text, time, repeat, anySeries, words ? words : repeat});
    };
    // Short texts: the text takes what the others leave.
    EXPECT_EQ(fit(170, 115, 85, true), (ColumnWidths{186, 115, 85}));
    // A text that needs more keeps it, up to its first width, and the words of
    // series stay whole: the list scrolls; without series the repetition gets
    // only what is left.
    EXPECT_EQ(fit(220, 115, 85, true), (ColumnWidths{220, 115, 85}));
    EXPECT_EQ(fit(700, 115, 85, true), (ColumnWidths{250, 115, 85}));
    EXPECT_EQ(fit(700, 115, 85, false), (ColumnWidths{250, 115, 21}));
    // A long sentence takes what the texts leave and is shortened to it, never below
    // the words.
    EXPECT_EQ(fit(170, 115, 300, true, 85), (ColumnWidths{170, 115, 101}));
    EXPECT_EQ(fit(230, 115, 300, true, 85), (ColumnWidths{230, 115, 85}));
}

} // namespace
