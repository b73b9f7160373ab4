// What the dialog "Wiederholung" shows and the user chooses there, as plain values:
// filled from a rule, and read back into one. The dialog only carries them to and
// from its controls.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/recurrence.h"

// The dialog's kinds, in the order of RepeatKind from Daily on.
constexpr std::array<const char*, 5> REPEAT_KIND_WORDS{"täglich", "werktags", "wöchentlich",
                                                       "monatlich", "jährlich"};
// The unit of the interval for each kind ("alle 2 Wochen"); working days have none.
constexpr std::array<const char*, 5> INTERVAL_UNITS{"Tage", "", "Wochen", "Monate", "Jahre"};
// The week of the month for a monthly rule on a weekday: the 1st to 4th, the last.
constexpr std::array<const char*, 5> WEEK_OF_MONTH_WORDS{"1.", "2.", "3.", "4.", "letzten"};
// The weekdays of the checkboxes and of the list, from Monday: days counted from Sunday.
constexpr std::array<int, 7> WEEKDAYS_FROM_MONDAY{1, 2, 3, 4, 5, 6, 0};
constexpr int DEFAULT_COUNT = 10;

enum class RepeatEnd : std::uint8_t { Never, AfterCount, OnDate };

struct RepeatChoices {
    int kind = 2;            // index of REPEAT_KIND_WORDS
    int interval = 1;        // 1-99
    WeekdaySet weekdays = 0; // weekly
    bool onWeekday = false;  // monthly: on a weekday of a week, not on a day
    int day = 1;             // monthly on a day, yearly: 1-31
    int week = 0;            // index of WEEK_OF_MONTH_WORDS
    int weekday = 1;         // monthly on a weekday: counted from Sunday
    int month = 1;           // yearly: 1-12
    RepeatEnd end = RepeatEnd::Never;
    int count = DEFAULT_COUNT; // 1-9999
    LocalDateTime until;       // the date of the end (its time is not used)

    bool operator==(const RepeatChoices&) const = default;
};

// The choices that show a rule, for a series set at `picked`. What the rule does not
// say comes from `picked`: a weekly rule on its weekday, a monthly one on its day, or
// on its weekday in its week (the last for a fifth one), a yearly one on its day and
// month, and an end date a year later. A rule that does not repeat shows a weekly one.
RepeatChoices choicesFor(const Recurrence& rule, const LocalDateTime& picked);

// The rule the choices make for a series set at `picked`: numbers beyond their range
// are brought into it (a yearly 31 February is the 29th), a weekly rule without a day
// takes the weekday of `picked`.
Recurrence ruleOfChoices(const RepeatChoices& choices, const LocalDateTime& picked);
