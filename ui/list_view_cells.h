// The cells of the appointment list view, read and written as texts with the
// ANSI list-view messages, and each row's rule as its item data.
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

// The text of a cell as a buffer of bufferBytes receives it (at most
// bufferBytes - 1 characters); nothing when the row does not exist.
std::optional<std::string> listCellText(HWND list, int row, int column, std::size_t bufferBytes);

// Inserts a row at the given index with the text in column 0; its index or -1.
int insertListRow(HWND list, int row, const std::string& text);

void setListCell(HWND list, int row, int column, const std::string& text);

// Writes a row whole: its text, the display form, the word of its rule and the
// rule itself as the row's item data.
void setAppointmentRow(HWND list, int row, const AppointmentRow& cells);

// A row's text and display form read through buffers of bufferBytes, and its
// rule; nothing when the row does not exist.
std::optional<AppointmentRow> appointmentRow(HWND list, int row, std::size_t bufferBytes);
