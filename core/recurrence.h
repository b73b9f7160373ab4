// How an appointment repeats, and the calendar of a series: its next and last
// occurrences, where it stands after an alarm, the split at start-up and the value
// of its file attribute. An appointment that does not repeat (the default) behaves
// and is stored exactly as every appointment did before repetition.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/time_value.h"

enum class RepeatKind : std::uint8_t {
    None,
    Daily,
    Workdays, // Monday to Friday
    Weekly,
    Monthly,
    Yearly,
};

// Weekdays as bits: bit n for the day n counted from Sunday (bit 0 Sunday, bit 1
// Monday, ... bit 6 Saturday).
using WeekdaySet = std::uint8_t;
constexpr WeekdaySet weekdayBit(int dayOfWeek) {
    return static_cast<WeekdaySet>(1u << dayOfWeek);
}
constexpr WeekdaySet MONDAY_TO_FRIDAY = 0b0111110;
constexpr WeekdaySet EVERY_WEEKDAY = 0b1111111;

// The week of the month of a monthly rule on a weekday: the 1st to 4th, or the last.
constexpr std::int8_t LAST_WEEK = -1;
constexpr int MOST_INTERVAL = 99;
constexpr int MOST_COUNT = 9999;

// The rule of a series: its kind and the local wall-clock moment the user chose,
// kept as far as the kind needs it, so that the series never drifts from it. A
// monthly 31st falls on the last day of shorter months and returns to the 31st;
// a yearly 29 February falls on 28 February in other years; a daily 02:30 on a
// day the clock skips 02:30 is 03:30 that day and 02:30 again the next. Fields
// the kind does not use are 0 (the interval 1), so equal rules compare equal.
//
// Every 2 to 99 days, weeks, months or years: `interval`, with `phase` telling
// which of them. Periods are numbered on: days since 1970-01-01, weeks (Monday to
// Sunday) since the one of 1970-01-01, months and years since year 0; a period
// with number p is one of the series' when p modulo interval is its phase.
//
// An end: after a number of occurrences (`count`, how many are left where the
// series stands, this one included: it falls by one each time the series moves on)
// or on a date (`until`, inclusive). A series whose end has come leaves the book
// after its last occurrence, as a one-off does after its alarm.
struct Recurrence {
    RepeatKind kind = RepeatKind::None;
    std::uint8_t month = 0;    // Yearly: 1-12
    std::uint8_t day = 0;      // Monthly on a day of the month, Yearly: 1-31
    WeekdaySet weekdays = 0;   // Weekly: its days; Monthly on a weekday: that day's bit
    std::int8_t week = 0;      // Monthly on a weekday: 1-4 or LAST_WEEK; 0 on a day
    std::uint8_t hour = 0;     // every repeating kind: 0-23
    std::uint8_t minute = 0;   // every repeating kind: 0-59
    std::uint8_t interval = 1; // Daily, Weekly, Monthly, Yearly: 1-99
    std::uint8_t phase = 0;    // 0 to interval - 1
    std::uint16_t count = 0;   // occurrences left, this one included, 1-9999; 0 no count
    std::uint32_t until = 0;   // last date, yyyymmdd (20271231); 0 none

    bool repeats() const { return kind != RepeatKind::None; }
    auto operator<=>(const Recurrence&) const = default;
};

// A local date and time as the user chose it.
struct LocalDateTime {
    int year = 0; // four digits
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
};

// The rule of a series the user sets at the given local date and time (fields
// out of range are carried over like mktime does: 31 April is 1 May), from a
// pattern: its kind, interval, weekdays, week of the month, day, month and end.
// The time of day and the phase come from `chosen`, and so does what the pattern
// leaves 0: the weekday of a weekly rule, the day of a monthly one, the day and
// month of a yearly one. A weekly rule on Monday to Friday every week is the
// working days; one on every day every week is daily. None gives Recurrence{}.
Recurrence makeRecurrence(const Recurrence& pattern, const LocalDateTime& chosen);
Recurrence makeRecurrence(RepeatKind kind, const LocalDateTime& chosen);

// The same at the local wall-clock time of a time value; Recurrence{} when it
// has none.
Recurrence makeRecurrence(const Recurrence& pattern, TimeValue chosen);
Recurrence makeRecurrence(RepeatKind kind, TimeValue chosen);

// Whether the rule is one that its kind alone names (as "täglich" ... "jährlich"
// did before rules had more): every period, a weekly one on one day, a monthly one
// on a day of the month, and no end. Everything it says comes from the date and
// time it was set at.
bool isPlainRule(const Recurrence& rule);

// The first occurrence strictly after `after`, on or before the rule's end date.
// The count is not looked at: it tells how many are left from where the series
// stands (seriesAfter follows it). Occurrences exist only within the program's
// alarm times, earliestAlarmTime() to latestAlarmTime(): there is none for a rule
// that does not repeat, none once the series has passed 2099-12-31 23:59, and
// none when the C library cannot convert local time.
std::optional<TimeValue> nextOccurrence(const Recurrence& rule, TimeValue after);

// The last occurrence at or before `atOrBefore`; none before 2000-01-01 00:00.
std::optional<TimeValue> previousOccurrence(const Recurrence& rule, TimeValue atOrBefore);

// The alarm time of a series the user has just set at `chosen`: its first
// occurrence at or after it (a working-days series chosen on a Saturday starts
// on Monday); of a wall-clock time the clock shows twice, its first pass.
// `chosen` itself for a rule that does not repeat or that has no occurrence left.
TimeValue firstAlarmTime(const Recurrence& rule, TimeValue chosen);

// Where a series stands: the alarm time of one of its occurrences and the rule
// there (its count one lower for every occurrence it moved past).
struct SeriesStep {
    TimeValue time = 0;
    Recurrence rule;
    bool operator==(const SeriesStep&) const = default;
};

// A series that stands at `alarmTime`, moved on to its first occurrence after
// `after` (not before alarmTime); none when its end comes first. Computed, not
// counted out: a series set decades ago costs no more than one set yesterday.
std::optional<SeriesStep> seriesAfter(const Recurrence& rule, TimeValue alarmTime, TimeValue after);

// The occurrence before `alarmTime` of a series that stands there, with the rule it
// had there (one more left); none before 2000.
std::optional<SeriesStep> seriesBefore(const Recurrence& rule, TimeValue alarmTime);

// Up to `most` alarm times of a series that stands at `first`: `first` and the
// occurrences after it, as far as its end allows.
std::vector<TimeValue> upcomingOccurrences(const Recurrence& rule, TimeValue first, int most);

// The occurrence that takes the place of one that falls due at `now`: the first
// after both its alarm time and now. An alarm offset makes an appointment fall
// due before its alarm time, so `now` alone would give that same occurrence.
std::optional<SeriesStep> occurrenceAfterAlarm(const Recurrence& rule, TimeValue alarmTime,
                                               TimeValue now);

// What start-up does with an appointment of the file, given the current time.
struct StartUpSplit {
    std::optional<TimeValue> missed; // the one passed occurrence to show (or drop)
    std::optional<TimeValue> next;   // what stays in the book
    Recurrence missedRule;           // the rule at `missed`
    Recurrence nextRule;             // the rule at `next`
};

// For an alarm time still to come: nothing missed, the appointment stays. For
// one at or before now: missed is the last passed occurrence (the alarm time
// itself for a one-off, or when no later occurrence has passed; the last one of
// a series that ended meanwhile); next is the first occurrence after now, none
// for a one-off or an ended series.
StartUpSplit splitAtStartUp(const Recurrence& rule, TimeValue alarmTime, TimeValue now);

// The attribute of a "date" element that holds the rule, written after "text"
// and "zeit" and only for a rule that repeats. Its value is the kind's word,
// "tag", "werktag", "woche", "monat" or "jahr", followed only where "zeit" cannot
// tell them by the chosen day of the month ("monat 31" in April) and the chosen
// time of day ("tag 02:30" on a day the clock skips 02:30). Rules that these
// words cannot say add, in this order: the interval to the word ("woche/2"), the
// weekdays of a weekly rule ("mo,mi,fr"), the week of a monthly one ("2.di",
// "letzter.fr"), and the end ("noch 10" occurrences, "bis 2027-12-31"). A program
// that knows only the words reads such a value as an unknown or damaged one.
constexpr std::string_view RECURRENCE_ATTRIBUTE = "wdh";

// The attribute's value for a rule and its appointment's alarm time; empty for
// a rule that does not repeat (no attribute is written then).
std::string recurrenceToAttribute(const Recurrence& rule, TimeValue alarmTime);

// The rule that an attribute value and the alarm time read from "zeit" describe.
// An empty, unknown or damaged value gives Recurrence{}: the appointment is kept
// as a one-off.
Recurrence recurrenceFromAttribute(std::string_view value, TimeValue alarmTime);
