// The appointment list (dialog 113) and its read-only variant for the
// appointments missed while the program was not running.
#include <windows.h>

#include <commctrl.h>

#include "core/no_throw.h"
#include "res/resource.h"
#include "ui/appointment_editor.h"
#include "ui/appointment_editor_ids.h"
#include "ui/appointment_list_dialog_ids.h"
#include "ui/appointment_rows.h"
#include "ui/dialogs.h"
#include "ui/dpi.h"
#include "ui/list_view_cells.h"
#include "ui/ok_only_dialog.h"
#include "ui/template_module.h"

namespace {

// Committed cells are read through 64-byte buffers: 63 characters survive.
constexpr std::size_t COMMIT_READ_BYTES = APPOINTMENT_TEXT_CHARS + 1;

// The columns' widths at 96 DPI; they grow with the dialog's DPI.
constexpr int TEXT_COLUMN_WIDTH = 250;
constexpr int TIME_COLUMN_WIDTH = 80;

// Posted to itself after a change of DPI, once the dialog manager has scaled the
// list: the last column then stretches over the list's new width.
constexpr UINT MSG_STRETCH_TIME_COLUMN = WM_APP + 1;

// What the list works on: the book its OK replaces, and today for "ht".
struct ListDialogData {
    AppointmentBook& book;
    LocalDate today;
    bool committed = false;
};

// What the missed appointments show.
struct MissedDialogData {
    const AppointmentBook& missed;
    LocalDate today;
};

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
void fillList(HWND dialog, const AppointmentBook& book, std::size_t cellChars,
              const LocalDate& today) {
    const HWND list = GetDlgItem(dialog, IDC_APPOINTMENTS);
    const int dpi = windowDpi(dialog);
    insertColumn(list, 0, scaleToDpi(TEXT_COLUMN_WIDTH, dpi), "Text");
    insertColumn(list, 1, scaleToDpi(TIME_COLUMN_WIDTH, dpi), "Alarmzeit");
    int row = 0;
    for (const AppointmentRow& cells : rowsFromBook(book, cellChars, today)) {
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

// OK: the rows replace the book.
void commit(HWND dialog, ListDialogData& data) {
    commitRows(readRows(GetDlgItem(dialog, IDC_APPOINTMENTS)), data.book);
    data.committed = true;
}

void editRow(HWND dialog, int row) {
    if (editAppointmentRow(dialog, row) == IDC_DELETE) {
        SendMessageA(GetDlgItem(dialog, IDC_APPOINTMENTS), LVM_DELETEITEM, row, 0);
    }
}

INT_PTR handleListMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (onListDpiMessage(dialog, message, wParam)) {
        return FALSE; // the dialog manager's own handling follows
    }
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        const auto& data = *reinterpret_cast<const ListDialogData*>(lParam);
        fillList(dialog, data.book, LIST_CELL_CHARS, data.today);
        return TRUE;
    }
    auto* data = reinterpret_cast<ListDialogData*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (data == nullptr) {
        return FALSE;
    }
    switch (message) {
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
            commit(dialog, *data);
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

INT_PTR CALLBACK appointmentListProc(HWND dialog, UINT message, WPARAM wParam,
                                     LPARAM lParam) noexcept {
    return noThrow<INT_PTR>(FALSE,
                            [&] { return handleListMessage(dialog, message, wParam, lParam); });
}

// Read-only: no editing, and nothing but OK (or Enter) closes it.
INT_PTR CALLBACK missedAppointmentsProc(HWND dialog, UINT message, WPARAM wParam,
                                        LPARAM lParam) noexcept {
    if (message != WM_INITDIALOG) {
        if (onListDpiMessage(dialog, message, wParam)) {
            return FALSE;
        }
        return okOnlyDialogProc(dialog, message, wParam, lParam);
    }
    return noThrow<INT_PTR>(FALSE, [&] {
        SetWindowTextA(dialog, "Quarv Zodora - verdaddelte Termine");
        const auto& data = *reinterpret_cast<const MissedDialogData*>(lParam);
        fillList(dialog, data.missed, MISSED_CELL_CHARS, data.today);
        EnableWindow(GetDlgItem(dialog, IDC_NEW), FALSE);
        EnableWindow(GetDlgItem(dialog, IDCANCEL), FALSE);
        ShowWindow(GetDlgItem(dialog, IDC_LIST_HINT), SW_HIDE);
        return TRUE;
    });
}

} // namespace

bool editAppointments(HWND owner, AppointmentBook& book, const LocalDate& today) {
    ListDialogData data{book, today};
    DialogBoxParamA(templateModule(owner), MAKEINTRESOURCEA(IDD_APPOINTMENT_LIST), owner,
                    appointmentListProc, reinterpret_cast<LPARAM>(&data));
    return data.committed;
}

void showMissedAppointments(HWND owner, const AppointmentBook& missed, const LocalDate& today) {
    MissedDialogData data{missed, today};
    DialogBoxParamA(templateModule(owner), MAKEINTRESOURCEA(IDD_APPOINTMENT_LIST), owner,
                    missedAppointmentsProc, reinterpret_cast<LPARAM>(&data));
}
