// What the user sees of a rule and does with it: the German sentence, its shortening
// with "…", the choices of the dialog "Wiederholung", the editor's choice and the skip.
#include <gtest/gtest.h>

#include <string>

#include "core/calendar.h"
#include "tests/support/rule_patterns.h"
#include "ui/appointment_rows.h"
#include "ui/recurrence_text.h"
#include "ui/repeat_choices.h"

namespace {

using enum RepeatKind;

// Tuesday 8 December 2026, 08:00.
constexpr LocalDateTime PICKED{2026, 12, 8, 8, 0};

Recurrence at(const Recurrence& pattern, LocalDateTime picked = PICKED) {
    return makeRecurrence(pattern, picked);
}

// What the editor's pickers give for a local date and time.
CalendarFields fields(LocalDateTime picked) {
    const auto field = [](int value) { return static_cast<std::uint16_t>(value); };
    return pickedMoment({field(picked.year), field(picked.month), 0, field(picked.day)},
                        {0, 0, 0, 0, field(picked.hour), field(picked.minute)});
}

TEST(RecurrenceText, SentenceOfEachRule) {
    const struct {
        Recurrence rule;
        const char* list;   // in the list's column
        const char* inFull; // in the dialog, where it differs
    } cases[] = {
        {{}, "", nullptr},
        {at(every(Workdays)), "werktags", nullptr},
        {at(every(Weekly)),
         "w\xF6"
         "chentlich",
         "jeden Dienstag"},
        {at(every(Monthly)), "monatlich", "monatlich am 8."},
        {at(every(Yearly)), "j\xE4hrlich", "j\xE4hrlich am 8. Dezember"},
        {at(ending(every(Weekly, 2, {TUESDAY, THURSDAY}), 0, 20271231)),
         "alle 2 Wochen am Dienstag und Donnerstag, bis 31.12.2027", nullptr},
        {at(ending(onWeek(LAST_WEEK, FRIDAY), 10)), "jeden letzten Freitag im Monat, noch 10-mal",
         nullptr},
        {at(onWeek(2, TUESDAY, 3)), "alle 3 Monate am 2. Dienstag", nullptr},
        {at(ending(every(Daily, 14), 1)), "alle 14 Tage, noch einmal", nullptr},
        {at(every(Weekly, 1, {MONDAY, TUESDAY, WEDNESDAY, FRIDAY, SATURDAY})),
         "jeden Montag bis Mittwoch, Freitag und Samstag", nullptr},
        {at(onDay(Monthly, 31, 2)), "alle 2 Monate am 31.", nullptr},
        {at(onDay(Yearly, 29, 2, 2)), "alle 2 Jahre am 29. Februar", nullptr},
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
    EXPECT_EQ(shortenToWidth(sentence, 0, letters), "\x85");
}

// The dialog shows a rule by its choices and makes it again from them; what a rule does
// not say comes from the picked date; numbers beyond their range come into it.
TEST(RepeatChoices, ShowAndMakeEveryRule) {
    for (const Recurrence& rule :
         {at(ending(every(Weekly, 2, {TUESDAY, THURSDAY}), 0, 20271231)),
          at(ending(onWeek(LAST_WEEK, FRIDAY), 10)), at(onDay(Monthly, 31, 3)),
          at(onDay(Yearly, 29, 2, 2)), at(every(Workdays)), at(onWeek(3, WEDNESDAY, 4))}) {
        EXPECT_EQ(ruleOfChoices(choicesFor(rule, PICKED), PICKED), rule)
            << describeRecurrence(rule);
    }
    // A fifth Friday is the last; the end a year later, 28 February after a 29th.
    const auto until = [](const RepeatChoices& c) {
        return c.until.year * 10000 + c.until.month * 100 + c.until.day;
    };
    const LocalDateTime fifth{2027, 1, 29, 9, 0};
    EXPECT_EQ(ruleOfChoices(choicesFor({}, fifth), fifth), at(every(Weekly), fifth));
    EXPECT_EQ(choicesFor({}, fifth).week, 4);
    EXPECT_EQ(until(choicesFor({}, fifth)), 20280129);
    EXPECT_EQ(until(choicesFor({}, LocalDateTime{2028, 2, 29, 9, 0})), 20290228);
    RepeatChoices wild;
    wild.kind = 4;
    wild.interval = 150;
    wild.day = 31;
    wild.month = 2;
    wild.end = RepeatEnd::AfterCount;
    wild.count = 0;
    EXPECT_EQ(ruleOfChoices(wild, PICKED), at(ending(onDay(Yearly, 29, 99, 2), 1)));
    const RepeatChoices zero{.interval = 0, .end = RepeatEnd::OnDate, .until = {2027, 2, 29}};
    EXPECT_EQ(ruleOfChoices(zero, PICKED), at(ending(every(Weekly), 0, 20270228)));
}

TEST(RepeatRows, TheEditorTakesTheDialogsRuleAndTheSkip) {
    const Recurrence custom = at(every(Weekly, 2, {TUESDAY, THURSDAY}));
    EXPECT_TRUE(sameChoice(at(every(Monthly)), Recurrence{Monthly}));
    EXPECT_FALSE(sameChoice(at(every(Monthly)), at(onDay(Monthly, 20))));
    EXPECT_TRUE(
        sameChoice(custom, at(every(Weekly, 2, {TUESDAY, THURSDAY}), {2026, 12, 15, 18, 0})));
    EXPECT_FALSE(sameChoice(custom, Recurrence{Weekly}));

    const TimeValue now = fileKeyToTime("2612010000");
    const AppointmentRow monthly{"Miete", "Di., 08.12.2026 08:00", at(every(Monthly)), 7};
    // The dialog's monthly 20th for a monthly 8th left at its date: the 20th.
    AppointmentRow row = editedRow("Miete", fields(PICKED), at(onDay(Monthly, 20)), &monthly, now);
    EXPECT_EQ(row.display + " " + describeRecurrence(row.recurrence, false),
              "So., 20.12.2026 08:00 monatlich am 20.");
    EXPECT_EQ(row.id, 7u);
    // A rule that ended before the picked date is no series.
    row = editedRow("Kurs", fields(PICKED), at(ending(every(Daily), 0, 20261207)), nullptr, now);
    EXPECT_EQ(row.recurrence, Recurrence{});
    EXPECT_EQ(row.display, "Di., 08.12.2026 08:00");
    // Every 2 weeks on Tuesday and Thursday, picked on a Wednesday: Thursday.
    row = editedRow("M\xFCll", fields({2026, 12, 9, 7, 0}), custom, nullptr, now);
    EXPECT_EQ(upcomingDisplays(row.recurrence, displayToTime(row.display), 3),
              (std::vector<std::string>{"Do., 10.12.2026 07:00", "Di., 22.12.2026 07:00",
                                        "Do., 24.12.2026 07:00"}));

    // Skipped: the following occurrence, one fewer left; none at the last or for a one-off.
    const AppointmentRow twice{"Kurs", "ht., 08.12.2026 08:00", at(ending(every(Daily, 2), 2)), 9};
    const auto skipped = skippedRow(twice);
    ASSERT_TRUE(skipped);
    EXPECT_EQ(skipped->display + " " + std::to_string(skipped->recurrence.count),
              "Do., 10.12.2026 08:00 1");
    EXPECT_EQ(skipped->id, 9u);
    EXPECT_FALSE(skippedRow(*skipped));
    EXPECT_FALSE(skippedRow(AppointmentRow{"Post", "Di., 08.12.2026 08:00", {}, 3}));
}

} // namespace
