// The rows of the appointment list as texts with their rule: filled from a book,
// committed back into it, and what the editor's pickers and its repetition give.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/appointment_book.h"
#include "core/calendar.h"

struct AppointmentRow {
    std::string text;
    std::string display; // the display form of the alarm time
    // The whole rule, not only its word: a monthly 31st shown on 30 April stays the 31st.
    Recurrence recurrence;
    AppointmentId id = NO_ID; // the appointment the row shows; none for a new row
};

// What the list keeps of a row besides its texts. The list view holds the index of
// its record as each row's item data.
struct RowRecord {
    Recurrence recurrence;
    AppointmentId id = NO_ID;
};
using RowRecords = std::vector<RowRecord>;

// The editor's choices of repetition, in the order of RepeatKind; a seventh stands for
// a rule that only the dialog "Wiederholung" can say.
constexpr std::array<const char*, 6> REPEAT_WORDS{"keine",       "täglich",   "werktags",
                                                  "wöchentlich", "monatlich", "jährlich"};
constexpr char CUSTOM_REPEAT_WORD[] = "benutzerdefiniert";

// What the list shows of a row's rule: the sentence of a series (its word for a rule
// its kind alone names), nothing for a one-off.
std::string repeatLabel(const Recurrence& rule);

// Whether the editor's choice of repetition (Recurrence{kind} for a word of its
// drop-down list, the rule itself for "benutzerdefiniert") is the one it shows for
// `rule`: the word for a rule that its kind alone names, otherwise the rule. The time
// of day and the phase do not count: they come from the editor's date and time.
bool sameChoice(const Recurrence& rule, const Recurrence& choice);

// The widths of the list's three columns in pixels.
struct ColumnWidths {
    int text = 0;
    int time = 0;
    int repeat = 0;
    bool operator==(const ColumnWidths&) const = default;
};

// What the columns need to show their cells (and, for the time and the
// repetition, their headers) whole, and whether any row repeats. `repeatWords`:
// what the repetition needs for its header and the words of the rules its kind
// alone names ("wöchentlich"), which are never shortened.
struct ColumnNeeds {
    int text = 0;
    int time = 0;
    int repeat = 0;
    bool anySeries = false;
    int repeatWords = 0;
};

// Shares the list's width out. The time gets what it needs; the text what the
// time and the repetition leave, at least what its cells need, but never more
// than textLimit (its first width, so a long text is cut where it always was);
// the repetition the rest. When rows repeat, the repetition keeps at least its
// words even if the three then exceed the list's width (it scrolls sideways); a
// longer sentence is shortened to the column with "…". Without series the
// repetition takes only what is left.
ColumnWidths fitColumnWidths(int listWidth, int textLimit, const ColumnNeeds& needs);

// Cell limits: the list dialog fills through 128-byte cells, the missed variant
// through 64-byte ones; a committed text or a text typed in the editor keeps 63.
constexpr std::size_t LIST_CELL_CHARS = 127;
constexpr std::size_t MISSED_CELL_CHARS = 63;
constexpr std::size_t APPOINTMENT_TEXT_CHARS = 63;

// At most the first maxChars bytes of a text.
std::string cutText(std::string_view text, std::size_t maxChars);

// One row per appointment in book order, cells cut to cellChars; today's
// appointments show "ht" for their weekday.
std::vector<AppointmentRow> rowsFromBook(const AppointmentBook& book, std::size_t cellChars,
                                         const LocalDate& today);

// Replaces the book with the rows, their rules and identities, inserting from the
// last row up, so that rows of equal time come out of the book in reverse list
// order. Texts are cut to 63 characters; a row whose display form names no valid
// alarm time is left out.
void commitRows(const std::vector<AppointmentRow>& rows, AppointmentBook& book);

// The book after an OK of the list: `current` (the book now, with what happened while
// the list was open: alarms here, changes from other programs) changed by what the
// user did to the rows, told by the list as it was `opened` and as it was `committed`.
// A row deleted deletes its appointment (a series whole, wherever it stands now). A
// row changed replaces its appointment with a higher revision. A row left as it was
// leaves the appointment as it is now: a series that moved on meanwhile stays moved
// on, one deleted elsewhere stays deleted. A one-off this program alarmed meanwhile
// (`alarmedMeanwhile`) comes back as the row shows it, and falls due again. A new
// row is a new appointment.
AppointmentBook applyListEdits(const AppointmentBook& opened, const AppointmentBook& current,
                               const AppointmentBook& committed,
                               const std::vector<AppointmentId>& alarmedMeanwhile);

// What the list's OK brought back on purpose, to stand above any deletion of it: the rows
// kept of one-offs that alarmed while the list was open, and rows with an identity of
// their own that the list did not open with (imported events).
std::vector<AppointmentId> broughtBack(const AppointmentBook& opened,
                                       const AppointmentBook& committed,
                                       const std::vector<AppointmentId>& alarmedMeanwhile);

// The date of the date picker with the hour and minute of the time picker,
// seconds cleared and the day of the week that belongs to the date.
CalendarFields pickedMoment(const CalendarFields& date, const CalendarFields& time);

// Where a series the user sets starts: its first occurrence at or after `chosen`
// (see firstAlarmTime), or, for one chosen before the current minute, its first
// occurrence after `now` (a birthday entered with the year of birth comes next on
// its next birthday); one chosen at the current minute falls due at once. A count
// counts from there. A rule without any occurrence from `chosen` on is no series:
// Recurrence{} at `chosen`.
struct SeriesStart {
    Recurrence rule;
    TimeValue first = 0;
};
SeriesStart startOfSeries(const Recurrence& rule, TimeValue chosen, TimeValue now);

// The row that OK of the editor writes: the text, the picked moment and the rule of
// `choice` (see sameChoice). A row opened for a change (`original`) keeps
// its rule while neither the moment nor the choice changed, and its chosen day (a
// monthly 31st shown on 30 April) while only the time changed: the rule then takes
// the new hour and minute. Otherwise the rule is made anew at the picked fields (so
// a 02:30 the clock skips is kept). A changed row shows the series' start (see
// startOfSeries; a working-days series picked on a Saturday shows Monday). The
// display form always names its weekday, never "ht".
AppointmentRow editedRow(std::string text, const CalendarFields& picked, const Recurrence& choice,
                         const AppointmentRow* original, TimeValue now);
// The same for a word of the drop-down list.
inline AppointmentRow editedRow(std::string text, const CalendarFields& picked, RepeatKind kind,
                                const AppointmentRow* original, TimeValue now) {
    return editedRow(std::move(text), picked, Recurrence{kind}, original, now);
}

// The row of a series moved on to its following occurrence ("Nächsten Termin
// überspringen"), its count one lower; none for a one-off or a series at its last.
std::optional<AppointmentRow> skippedRow(const AppointmentRow& row);

// The display forms (with their weekdays) of up to `most` occurrences of a series from
// `first` on.
std::vector<std::string> upcomingDisplays(const Recurrence& rule, TimeValue first, int most);
