// What the user sees of a rule and does with it: the German sentence, its shortening
// with "…", the choices of the dialog "Wiederholung", the editor's choice and the
// skip of one occurrence.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "core/calendar.h"
#include "ui/appointment_rows.h"
#include "ui/recurrence_text.h"
#include "ui/repeat_choices.h"

namespace {

using enum RepeatKind;

constexpr int SUNDAY = 0, MONDAY = 1, TUESDAY = 2, WEDNESDAY = 3, THURSDAY = 4, FRIDAY = 5,
              SATURDAY = 6;
// Tuesday 8 December 2026, 08:00.
constexpr LocalDateTime PICKED{2026, 12, 8, 8, 0};

Recurrence pattern(RepeatKind kind, int interval = 1, std::initializer_list<int> days = {}) {
    Recurrence p{kind};
    p.interval = static_cast<std::uint8_t>(interval);
    for (const int day : days) {
        p.weekdays |= weekdayBit(day);
    }
    return p;
}

Recurrence onWeek(int week, int weekday, int interval = 1) {
    Recurrence p = pattern(Monthly, interval, {weekday});
    p.week = static_cast<std::int8_t>(week);
    return p;
}

Recurrence onDay(RepeatKind kind, int day, int interval = 1, int month = 0) {
    Recurrence p = pattern(kind, interval);
    p.day = static_cast<std::uint8_t>(day);
    p.month = static_cast<std::uint8_t>(month);
    return p;
}

Recurrence ending(Recurrence p, int count, std::uint32_t until = 0) {
    p.count = static_cast<std::uint16_t>(count);
    p.until = until;
    return p;
}

Recurrence at(const Recurrence& p, LocalDateTime picked = PICKED) {
    return makeRecurrence(p, picked);
}

TEST(RecurrenceText, SentenceOfEachRule) {
    const struct {
        Recurrence rule;
        const char* list;   // in the list's column
        const char* inFull; // in the dialog
    } cases[] = {
        {{}, "", ""},
        {at(pattern(Daily)), "t\xE4glich", "t\xE4glich"},
        {at(pattern(Workdays)), "werktags", "werktags"},
        {at(pattern(Weekly)),
         "w\xF6"
         "chentlich",
         "jeden Dienstag"},
        {at(pattern(Monthly)), "monatlich", "monatlich am 8."},
        {at(pattern(Yearly)), "j\xE4hrlich", "j\xE4hrlich am 8. Dezember"},
        {at(ending(pattern(Weekly, 2, {TUESDAY, THURSDAY}), 0, 20271231)),
         "alle 2 Wochen am Dienstag und Donnerstag, bis 31.12.2027", nullptr},
        {at(ending(onWeek(LAST_WEEK, FRIDAY), 10)), "jeden letzten Freitag im Monat, noch 10-mal",
         nullptr},
        {at(onWeek(2, TUESDAY, 3)), "alle 3 Monate am 2. Dienstag", nullptr},
        {at(pattern(Daily, 14)), "alle 14 Tage", nullptr},
        {at(ending(pattern(Daily), 1)), "t\xE4glich, noch einmal", nullptr},
        {at(pattern(Weekly, 1, {MONDAY, TUESDAY, WEDNESDAY, FRIDAY, SATURDAY})),
         "jeden Montag bis Mittwoch, Freitag und Samstag", nullptr},
        {at(pattern(Weekly, 3, {SATURDAY, SUNDAY})), "alle 3 Wochen am Samstag und Sonntag",
         nullptr},
        {at(onDay(Monthly, 31, 2)), "alle 2 Monate am 31.", nullptr},
        {at(onDay(Yearly, 29, 2, 2)), "alle 2 Jahre am 29. Februar", nullptr},
        {at(ending(pattern(Workdays), 0, 20270630)), "werktags, bis 30.06.2027", nullptr},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(describeRecurrence(c.rule), c.list);
        EXPECT_EQ(describeRecurrence(c.rule, false), c.inFull ? c.inFull : c.list);
    }
}

TEST(RecurrenceText, ShortenedToItsRoomWithAnEllipsis) {
    const auto letters = [](std::string_view text) { return static_cast<int>(text.size()); };
    const std::string sentence = "alle 2 Wochen am Dienstag, bis 31.12.2027";
    EXPECT_EQ(shortenToWidth(sentence, 41, letters), sentence);
    // The cut leaves no comma or blank before the "…".
    EXPECT_EQ(shortenToWidth(sentence, 27, letters), "alle 2 Wochen am Dienstag\x85");
    EXPECT_EQ(shortenToWidth(sentence, 29, letters), "alle 2 Wochen am Dienstag, b\x85");
    EXPECT_EQ(shortenToWidth(sentence, 1, letters), "\x85");
    EXPECT_EQ(shortenToWidth(sentence, 0, letters), "\x85");
}

// The dialog shows a rule by its choices and makes it again from them.
TEST(RepeatChoices, ShowAndMakeEveryRule) {
    for (const Recurrence& rule :
         {at(ending(pattern(Weekly, 2, {TUESDAY, THURSDAY}), 0, 20271231)),
          at(ending(onWeek(LAST_WEEK, FRIDAY), 10)), at(onDay(Monthly, 31, 3)),
          at(onDay(Yearly, 29, 2, 2)), at(pattern(Daily, 14)), at(pattern(Workdays)),
          at(onWeek(3, WEDNESDAY, 4))}) {
        EXPECT_EQ(ruleOfChoices(choicesFor(rule, PICKED), PICKED), rule)
            << describeRecurrence(rule);
    }
    // Nothing chosen yet: weekly on the picked weekday; a fifth Friday is the last; the
    // end a year later (28 February after a 29th).
    const RepeatChoices fifthFriday = choicesFor({}, LocalDateTime{2027, 1, 29, 9, 0});
    EXPECT_EQ(fifthFriday.kind, 2);
    EXPECT_EQ(fifthFriday.weekdays, weekdayBit(FRIDAY));
    EXPECT_EQ(fifthFriday.week, 4);
    EXPECT_EQ(fifthFriday.weekday, FRIDAY);
    EXPECT_EQ(fifthFriday.end, RepeatEnd::Never);
    EXPECT_EQ(fifthFriday.until.year * 10000 + fifthFriday.until.month * 100 +
                  fifthFriday.until.day,
              20280129);
    const RepeatChoices leapDay = choicesFor({}, LocalDateTime{2028, 2, 29, 9, 0});
    EXPECT_EQ(leapDay.until.year * 10000 + leapDay.until.month * 100 + leapDay.until.day, 20290228);
    // Numbers beyond their range come into it.
    RepeatChoices wild = choicesFor({}, PICKED);
    wild.kind = 4;
    wild.interval = 150;
    wild.day = 31;
    wild.month = 2;
    wild.end = RepeatEnd::AfterCount;
    wild.count = 0;
    EXPECT_EQ(ruleOfChoices(wild, PICKED), at(ending(onDay(Yearly, 29, 99, 2), 1)));
    wild.kind = 2;
    wild.weekdays = 0;
    wild.interval = 0;
    wild.end = RepeatEnd::OnDate;
    wild.until = LocalDateTime{2027, 2, 29};
    EXPECT_EQ(ruleOfChoices(wild, PICKED), at(ending(pattern(Weekly), 0, 20270228)));
}

TEST(RepeatChoices, TheEditorsChoiceOfARule) {
    const Recurrence plainMonthly = at(pattern(Monthly));
    const Recurrence custom = at(pattern(Weekly, 2, {TUESDAY, THURSDAY}));
    EXPECT_TRUE(sameChoice(plainMonthly, Recurrence{Monthly}));
    EXPECT_FALSE(sameChoice(plainMonthly, Recurrence{Yearly}));
    EXPECT_FALSE(sameChoice(plainMonthly, at(onDay(Monthly, 20))));
    // A custom rule is the same choice at another time of day and in another week.
    EXPECT_TRUE(sameChoice(
        custom, at(pattern(Weekly, 2, {TUESDAY, THURSDAY}), LocalDateTime{2026, 12, 15, 18, 30})));
    EXPECT_FALSE(sameChoice(custom, Recurrence{Weekly}));
    EXPECT_FALSE(sameChoice(Recurrence{}, Recurrence{Weekly}));
}

// What the editor's pickers give for a local date and time.
CalendarFields fields(LocalDateTime picked) {
    const auto field = [](int value) { return static_cast<std::uint16_t>(value); };
    return pickedMoment({field(picked.year), field(picked.month), 0, field(picked.day)},
                        {0, 0, 0, 0, field(picked.hour), field(picked.minute)});
}

TEST(RepeatRows, TheEditorTakesTheDialogsRule) {
    const TimeValue now = fileKeyToTime("2612010000");
    const AppointmentRow monthly{"Miete", "Di., 08.12.2026 08:00", at(pattern(Monthly)), 7};
    // The dialog's monthly 20th for a monthly 8th left at its date: the 20th.
    AppointmentRow row = editedRow("Miete", fields(PICKED), at(onDay(Monthly, 20)), &monthly, now);
    EXPECT_EQ(row.display, "So., 20.12.2026 08:00");
    EXPECT_EQ(row.recurrence, at(onDay(Monthly, 20)));
    EXPECT_EQ(row.id, 7u);
    // Unchanged, the row keeps its rule.
    row = editedRow("Miete", fields(PICKED), Recurrence{Monthly}, &monthly, now);
    EXPECT_EQ(row.recurrence, monthly.recurrence);
    // A rule that ended before the picked date is no series.
    row = editedRow("Kurs", fields(PICKED), at(ending(pattern(Daily), 0, 20261207)), nullptr, now);
    EXPECT_EQ(row.recurrence, Recurrence{});
    EXPECT_EQ(row.display, "Di., 08.12.2026 08:00");
    // Every 2 weeks on Tuesday and Thursday, picked on a Wednesday: Thursday.
    row = editedRow("M\xFCll", fields({2026, 12, 9, 7, 0}),
                    at(pattern(Weekly, 2, {TUESDAY, THURSDAY})), nullptr, now);
    EXPECT_EQ(row.display, "Do., 10.12.2026 07:00");
    EXPECT_EQ(upcomingDisplays(row.recurrence, displayToTime(row.display), 3),
              (std::vector<std::string>{"Do., 10.12.2026 07:00", "Di., 22.12.2026 07:00",
                                        "Do., 24.12.2026 07:00"}));
}

TEST(RepeatRows, SkippingMovesTheRowToTheFollowingOccurrence) {
    const AppointmentRow twice{"Kurs", "ht., 08.12.2026 08:00", at(ending(pattern(Daily, 2), 2)),
                               9};
    const auto skipped = skippedRow(twice);
    ASSERT_TRUE(skipped);
    EXPECT_EQ(skipped->display, "Do., 10.12.2026 08:00");
    EXPECT_EQ(skipped->recurrence.count, 1);
    EXPECT_EQ(skipped->text, "Kurs");
    EXPECT_EQ(skipped->id, 9u);
    EXPECT_FALSE(skippedRow(*skipped)) << "the last occurrence";
    EXPECT_FALSE(skippedRow(AppointmentRow{"Post", "Di., 08.12.2026 08:00", {}, 3}));
}

} // namespace
