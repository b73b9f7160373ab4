// The appointment list (dialog 113) and its read-only variant for the
// appointments missed while the program was not running.
#include <windows.h>

#include <commctrl.h>

#include "app/program.h"
#include "res/resource.h"
#include "ui/appointment_editor.h"
#include "ui/appointment_editor_ids.h"
#include "ui/appointment_list_dialog_ids.h"
#include "ui/appointment_rows.h"
#include "ui/dialogs.h"
#include "ui/dpi.h"
#include "ui/list_view_cells.h"
#include "ui/ok_only_dialog.h"

namespace {

// Committed cells are read through 64-byte buffers: 63 characters survive.
constexpr std::size_t COMMIT_READ_BYTES = APPOINTMENT_TEXT_CHARS + 1;

// The columns' widths at 96 DPI; they grow with the dialog's DPI.
constexpr int TEXT_COLUMN_WIDTH = 250;
constexpr int TIME_COLUMN_WIDTH = 80;

// Posted to itself after a change of DPI, once the dialog manager has scaled the
// list: the last column then stretches over the list's new width.
constexpr UINT MSG_STRETCH_TIME_COLUMN = WM_APP + 1;

void insertColumn(HWND list, int column, int width, const char* header) {
    LVCOLUMNA info{};
    info.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    info.fmt = LVCFMT_LEFT;
    info.cx = width;
    info.pszText = const_cast<char*>(header);
    info.iSubItem = column;
    SendMessageA(list, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&info));
}

void stretchTimeColumn(HWND dialog) {
    // On the last column this stretches it over the rest of the list's width.
    SendMessageA(GetDlgItem(dialog, IDC_APPOINTMENTS), LVM_SETCOLUMNWIDTH, 1,
                 LVSCW_AUTOSIZE_USEHEADER);
}

// The two columns and one row per appointment, in book order.
void fillList(HWND dialog, const AppointmentBook& book, std::size_t cellChars) {
    const HWND list = GetDlgItem(dialog, IDC_APPOINTMENTS);
    const int dpi = windowDpi(dialog);
    insertColumn(list, 0, scaleToDpi(TEXT_COLUMN_WIDTH, dpi), "Text");
    insertColumn(list, 1, scaleToDpi(TIME_COLUMN_WIDTH, dpi), "Alarmzeit");
    int row = 0;
    for (const AppointmentRow& cells : rowsFromBook(book, cellChars)) {
        insertListRow(list, row, cells.text);
        setListCell(list, row, 1, cells.display);
        ++row;
    }
    stretchTimeColumn(dialog);
}

// The dialog moved to a display of another scale: the dialog manager scales the
// dialog and its controls, the columns are the program's own.
bool onListDpiMessage(HWND dialog, UINT message, WPARAM wParam) {
    if (message == WM_DPICHANGED) {
        SendMessageA(GetDlgItem(dialog, IDC_APPOINTMENTS), LVM_SETCOLUMNWIDTH, 0,
                     scaleToDpi(TEXT_COLUMN_WIDTH, LOWORD(wParam)));
        PostMessageA(dialog, MSG_STRETCH_TIME_COLUMN, 0, 0);
        return true;
    }
    if (message == MSG_STRETCH_TIME_COLUMN) {
        stretchTimeColumn(dialog);
        return true;
    }
    return false;
}

std::vector<AppointmentRow> readRows(HWND list) {
    std::vector<AppointmentRow> rows;
    const int count = listRowCount(list);
    for (int row = 0; row < count; ++row) {
        rows.push_back({listCellText(list, row, 0, COMMIT_READ_BYTES).value_or(""),
                        listCellText(list, row, 1, COMMIT_READ_BYTES).value_or("")});
    }
    return rows;
}

// OK: the rows replace the book, which is saved; a sleeping alarm wakes when
// there is something to watch again, and the status follows at once.
void commit(HWND dialog) {
    commitRows(readRows(GetDlgItem(dialog, IDC_APPOINTMENTS)), program::book());
    program::saveBook();
    program::wakeAfterBookChange();
}

void editRow(HWND dialog, int row) {
    if (editAppointmentRow(dialog, row) == IDC_DELETE) {
        SendMessageA(GetDlgItem(dialog, IDC_APPOINTMENTS), LVM_DELETEITEM, row, 0);
    }
}

INT_PTR CALLBACK appointmentListProc(HWND dialog, UINT message, WPARAM wParam,
                                     LPARAM lParam) noexcept {
    if (onListDpiMessage(dialog, message, wParam)) {
        return FALSE; // the dialog manager's own handling follows
    }
    switch (message) {
    case WM_INITDIALOG:
        fillList(dialog, program::book(), LIST_CELL_CHARS);
        return TRUE;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom == IDC_APPOINTMENTS && header->code == NM_DBLCLK) {
            const int row = reinterpret_cast<const NMITEMACTIVATE*>(lParam)->iItem;
            if (row >= 0) {
                editRow(dialog, row);
            }
            return TRUE;
        }
        break;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            commit(dialog);
            EndDialog(dialog, 1);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, 1);
            return TRUE;
        case IDC_NEW:
            editAppointmentRow(dialog, -1);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

// Read-only: no editing, and nothing but OK (or Enter) closes it.
INT_PTR CALLBACK missedAppointmentsProc(HWND dialog, UINT message, WPARAM wParam,
                                        LPARAM lParam) noexcept {
    if (message == WM_INITDIALOG) {
        SetWindowTextA(dialog, "Quarv Zodora - verdaddelte Termine");
        fillList(dialog, *reinterpret_cast<const AppointmentBook*>(lParam), MISSED_CELL_CHARS);
        EnableWindow(GetDlgItem(dialog, IDC_NEW), FALSE);
        EnableWindow(GetDlgItem(dialog, IDCANCEL), FALSE);
        ShowWindow(GetDlgItem(dialog, IDC_LIST_HINT), SW_HIDE);
        return TRUE;
    }
    if (onListDpiMessage(dialog, message, wParam)) {
        return FALSE;
    }
    return okOnlyDialogProc(dialog, message, wParam, lParam);
}

} // namespace

void showAppointmentList(HWND owner) {
    DialogBoxParamA(program::instance(), MAKEINTRESOURCEA(IDD_APPOINTMENT_LIST), owner,
                    appointmentListProc, 0);
}

void showMissedAppointments(HWND owner, const AppointmentBook& missed) {
    DialogBoxParamA(program::instance(), MAKEINTRESOURCEA(IDD_APPOINTMENT_LIST), owner,
                    missedAppointmentsProc, reinterpret_cast<LPARAM>(&missed));
}
