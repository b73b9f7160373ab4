// The appointment editor, opened by the appointment list on one of its rows.
#pragma once

#include <windows.h>

#include "core/time_value.h"
#include "ui/appointment_rows.h"

// Opens the editor modally over the list dialog for the given row of its list
// view, or for a new row when row is negative. The editor writes the row
// itself (a new one at the end) with its record in `records`; it answers
// IDC_DELETE (1019) when the user asked to delete the row, 1 otherwise. `now`
// places a series picked in the past.
int editAppointmentRow(HWND listDialog, int row, TimeValue now, RowRecords& records);
