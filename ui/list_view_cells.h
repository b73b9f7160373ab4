// The cells of the appointment list view, read and written as texts with the
// ANSI list-view messages.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>

int listRowCount(HWND list);

// The text of a cell as a buffer of bufferBytes receives it (at most
// bufferBytes - 1 characters); nothing when the row does not exist.
std::optional<std::string> listCellText(HWND list, int row, int column, std::size_t bufferBytes);

// Inserts a row at the given index with the text in column 0; its index or -1.
int insertListRow(HWND list, int row, const std::string& text);

void setListCell(HWND list, int row, int column, const std::string& text);
