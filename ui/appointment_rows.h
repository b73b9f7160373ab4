// The rows of the appointment list as texts: filled from a book, committed back
// into it, and the moment that the editor's two pickers describe together.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/appointment_book.h"
#include "core/calendar.h"

struct AppointmentRow {
    std::string text;
    std::string display; // the display form of the alarm time
};

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

// Replaces the book with the rows, inserting from the last row up, so that rows
// of equal time come out of the book in reverse list order. Texts are cut to
// 63 characters; a row whose display form names no valid alarm time is left out.
void commitRows(const std::vector<AppointmentRow>& rows, AppointmentBook& book);

// The date of the date picker with the hour and minute of the time picker,
// seconds cleared and the day of the week that belongs to the date.
CalendarFields pickedMoment(const CalendarFields& date, const CalendarFields& time);
