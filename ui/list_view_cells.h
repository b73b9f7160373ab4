// The cells of the appointment list view, read and written as texts with the
// ANSI list-view messages; each row's rule and identity stay in a record of the
// list's, whose index is the row's item data.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>

#include "ui/appointment_rows.h"

// The columns of the appointment list.
constexpr int TEXT_COLUMN = 0;
constexpr int TIME_COLUMN = 1;
constexpr int REPEAT_COLUMN = 2;

int listRowCount(HWND list);

// Inserts a left-aligned column with its header and width in pixels.
void insertListColumn(HWND list, int column, int width, const char* header);

// The text of a cell as a buffer of bufferBytes receives it (at most
// bufferBytes - 1 characters); nothing when the row does not exist.
std::optional<std::string> listCellText(HWND list, int row, int column, std::size_t bufferBytes);

void setListCell(HWND list, int row, int column, const std::string& text);

// Inserts a row whole at the given index: its text with the insert, then its
// display form and the word of a series; its rule and identity go into a new
// record. The row's index or -1.
int insertAppointmentRow(HWND list, int row, const AppointmentRow& cells, RowRecords& records);

// Writes an existing row whole: its text, the display form, the word of its rule,
// and the rule and identity into its record.
void setAppointmentRow(HWND list, int row, const AppointmentRow& cells, RowRecords& records);

// A row's rule and identity, from its record; nothing when the row does not exist.
std::optional<RowRecord> rowRecord(HWND list, int row, const RowRecords& records);

// A row's text and display form read through buffers of bufferBytes, and its rule
// and identity; nothing when the row does not exist.
std::optional<AppointmentRow> appointmentRow(HWND list, int row, std::size_t bufferBytes,
                                             const RowRecords& records);
