// A series' rule as an iCalendar recurrence rule (RFC 5545, RRULE), and back: what
// the calendar import and export carry. Every rule the program has maps to an RRULE
// and comes back from it unchanged, together with the occurrence it stands at as
// DTSTART:
//
// | rule                                 | RRULE                                          |
// |--------------------------------------|------------------------------------------------|
// | täglich; alle N Tage                 | FREQ=DAILY[;INTERVAL=N]                        |
// | werktags                             | FREQ=WEEKLY;BYDAY=MO,TU,WE,TH,FR               |
// | wöchentlich; alle N Wochen, its days | FREQ=WEEKLY[;INTERVAL=N];BYDAY=TU[,TH...]      |
// | monatlich am 1. bis 28.              | FREQ=MONTHLY[;INTERVAL=N];BYMONTHDAY=d         |
// | monatlich am 29. (Feb.: 28.)         | FREQ=MONTHLY[;...];BYMONTHDAY=28,29;BYSETPOS=-1 |
// | monatlich am 30. (Feb.: 28./29.)     | ...;BYMONTHDAY=28,29,30;BYSETPOS=-1            |
// | monatlich am 31. (the month's last)  | FREQ=MONTHLY[;INTERVAL=N];BYMONTHDAY=-1        |
// | am 1. to 4. Dienstag of the month    | FREQ=MONTHLY[;INTERVAL=N];BYDAY=2TU            |
// | am letzten Freitag of the month      | FREQ=MONTHLY[;INTERVAL=N];BYDAY=-1FR           |
// | jährlich am d.m.                     | FREQ=YEARLY[;INTERVAL=N];BYMONTH=m;BYMONTHDAY=d |
// | jährlich am 29. Februar (28. Feb.)   | FREQ=YEARLY[;INTERVAL=N];BYMONTH=2;BYMONTHDAY=-1 |
// | noch N-mal                           | ;COUNT=N (from DTSTART, the occurrence it stands at) |
// | bis 31.12.2027 (inclusive)           | ;UNTIL=20271231T090000Z (the rule's time that day) |
//
// INTERVAL counts from DTSTART's day, week (Monday to Sunday, WKST=MO, the default),
// month or year, as the rule's phase does; DTSTART is the alarm time of the
// appointment (an occurrence of its rule), at the rule's wall-clock time. COUNT is
// what is left where the series stands, DTSTART's occurrence included: a series of
// ten that has moved on past seven (or skipped some) writes its present occurrence as
// DTSTART and COUNT=3, not the ten from its first; the occurrences it passed are not
// in the file.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/recurrence.h"

// How UNTIL is written. RFC 5545: UTC (…T090000Z) when DTSTART is in UTC or has a
// TZID; local time (…T090000) when DTSTART is a floating local time; a date
// (20271231) when DTSTART is a date.
enum class UntilForm { Utc, LocalTime, Date };

// The RRULE value (without "RRULE:") of a rule that repeats; empty for one that does
// not. The parts in the order FREQ, INTERVAL, BYMONTH, BYMONTHDAY, BYDAY, BYSETPOS,
// COUNT, UNTIL.
std::string recurrenceToRRule(const Recurrence& rule, UntilForm untilForm = UntilForm::Utc);

// What an RRULE says in the program's rules: the rule, with where it differs from the
// RRULE, or why the rules cannot say it (both in German, as the import's summary shows
// them).
struct RRuleReading {
    std::optional<Recurrence> rule;
    std::vector<std::string> differences; // with a rule
    std::string reason;                   // without one
};

// The rule of an RRULE value whose series stands at `start` (local wall-clock time), an
// occurrence of the RRULE (its DTSTART, or a later one with `passed` occurrences before
// it): the time of day, the phase of an interval and what the RRULE leaves out (the
// weekday of FREQ=WEEKLY, the day of FREQ=MONTHLY, day and month of FREQ=YEARLY) come
// from it. COUNT counts from DTSTART; the rule's count is what is left at `start`,
// COUNT - passed (a series that moved on, or skipped an occurrence, counts what
// remains). Also read exactly: FREQ=DAILY or FREQ=MONTHLY with BYDAY and no ordinal
// (every week on those days; MO to FR the working days), BYDAY=TU;BYSETPOS=2 (as 2TU),
// BYMONTHDAY=28,29,30,31;BYSETPOS=-1 and, for February, BYMONTHDAY=28,29;BYSETPOS=-1,
// and UNTIL in any of the three forms (the last date whose occurrence is not later than
// it). Read with a difference: BYMONTHDAY=29, 30 or 31 alone, or a monthly DTSTART on
// such a day (the program's month-end rule: the last day of shorter months, where
// iCalendar skips them), a yearly 29 February (28 February in other years), and more
// than 9999 occurrences left (no end). No rule for what the rules cannot say: other
// frequencies, several ordinals or an ordinal beyond the 4th or the last, BYDAY with
// BYMONTHDAY, several BYMONTH or BYMONTHDAY values, BYDAY in a yearly rule, BYHOUR and
// the other BY parts, an INTERVAL above 99, COUNT with UNTIL, WKST other than MO where
// it matters. Part names and values are read without regard to case.
RRuleReading readRRule(std::string_view rrule, const LocalDateTime& start, int passed = 0);
