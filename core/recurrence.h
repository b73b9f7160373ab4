// How an appointment repeats, and the calendar of a series: its next and last
// occurrences, the split at start-up and the value of its file attribute. An
// appointment that does not repeat (the default) behaves and is stored exactly
// as every appointment did before repetition.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/time_value.h"

enum class RepeatKind : std::uint8_t {
    None,
    Daily,
    Workdays, // Monday to Friday
    Weekly,
    Monthly,
    Yearly,
};

// The rule of a series: its kind and the local wall-clock moment the user chose,
// kept as far as the kind needs it, so that the series never drifts from it. A
// monthly 31st falls on the last day of shorter months and returns to the 31st;
// a yearly 29 February falls on 28 February in other years; a daily 02:30 on a
// day the clock skips 02:30 is 03:30 that day and 02:30 again the next. Fields
// the kind does not use are 0, so equal rules compare equal.
struct Recurrence {
    RepeatKind kind = RepeatKind::None;
    std::uint8_t month = 0;   // Yearly: 1-12
    std::uint8_t day = 0;     // Monthly, Yearly: 1-31
    std::uint8_t weekday = 0; // Weekly: 0 = Sunday
    std::uint8_t hour = 0;    // every repeating kind: 0-23
    std::uint8_t minute = 0;  // every repeating kind: 0-59

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
// out of range are carried over like mktime does: 31 April is 1 May); None
// gives Recurrence{}.
Recurrence makeRecurrence(RepeatKind kind, const LocalDateTime& chosen);

// The same at the local wall-clock time of a time value; Recurrence{} when it
// has none.
Recurrence makeRecurrence(RepeatKind kind, TimeValue chosen);

// The first occurrence strictly after `after`. Occurrences exist only within
// the program's alarm times, earliestAlarmTime() to latestAlarmTime(): there is
// none for a rule that does not repeat, none once the series has passed
// 2099-12-31 23:59, and none when the C library cannot convert local time.
std::optional<TimeValue> nextOccurrence(const Recurrence& rule, TimeValue after);

// The last occurrence at or before `atOrBefore`; none before 2000-01-01 00:00.
std::optional<TimeValue> previousOccurrence(const Recurrence& rule, TimeValue atOrBefore);

// The alarm time of a series the user has just set at `chosen`: its first
// occurrence at or after it (a working-days series chosen on a Saturday starts
// on Monday); of a wall-clock time the clock shows twice, its first pass.
// `chosen` itself for a rule that does not repeat or that has no occurrence left.
TimeValue firstAlarmTime(const Recurrence& rule, TimeValue chosen);

// The occurrence that takes the place of one that falls due at `now`: the first
// after both its alarm time and now. An alarm offset makes an appointment fall
// due before its alarm time, so `now` alone would give that same occurrence.
std::optional<TimeValue> occurrenceAfterAlarm(const Recurrence& rule, TimeValue alarmTime,
                                              TimeValue now);

// What start-up does with an appointment of the file, given the current time.
struct StartUpSplit {
    std::optional<TimeValue> missed; // the one passed occurrence to show (or drop)
    std::optional<TimeValue> next;   // what stays in the book
};

// For an alarm time still to come: nothing missed, the appointment stays. For
// one at or before now: missed is the last passed occurrence (the alarm time
// itself for a one-off, or when no later occurrence has passed); next is the
// first occurrence after now, none for a one-off or an ended series.
StartUpSplit splitAtStartUp(const Recurrence& rule, TimeValue alarmTime, TimeValue now);

// The attribute of a "date" element that holds the rule, written after "text"
// and "zeit" and only for a rule that repeats. Its value is one word, "tag",
// "werktag", "woche", "monat" or "jahr", followed only where "zeit" cannot tell
// them by the chosen day of the month ("monat 31" in April) and the chosen time
// of day ("tag 02:30" on a day the clock skips 02:30).
constexpr std::string_view RECURRENCE_ATTRIBUTE = "wdh";

// The attribute's value for a rule and its appointment's alarm time; empty for
// a rule that does not repeat (no attribute is written then).
std::string recurrenceToAttribute(const Recurrence& rule, TimeValue alarmTime);

// The rule that an attribute value and the alarm time read from "zeit" describe.
// An empty, unknown or damaged value gives Recurrence{}: the appointment is kept
// as a one-off.
Recurrence recurrenceFromAttribute(std::string_view value, TimeValue alarmTime);
