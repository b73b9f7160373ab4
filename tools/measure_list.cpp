// Measures under Wine how long the appointment list takes to open with 10,000
// appointments, against a minimal dialog that fills the same list view (same
// template, same columns) with the same rows, one insert and two sets per row.
// For comparison also the minimal dialog with the list's drawing held while it
// fills, the least any fill of the list view costs.
//   measure_list [RUNS] [APPOINTMENTS]
// Each run is timed from the call that opens the dialog until the dialog is on
// screen with its rows painted: the first time its modal loop runs out of messages
// with nothing left to paint.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/clock.h"
#include "res/resource.h"
#include "tools/elapsed.h"
#include "ui/appointment_list_dialog_ids.h"
#include "ui/appointment_rows.h"
#include "ui/dialogs.h"
#include "ui/dpi.h"
#include "ui/list_view_cells.h"
#include "ui/on_demand.h"

namespace {

constexpr char OWNER_CLASS[] = "qz_measure_list_owner";

// When the dialog being measured was first seen shown and painted; 0 until then.
double shownAt = 0;

bool painted(HWND window) {
    return IsWindowVisible(window) && !GetUpdateRect(window, nullptr, FALSE);
}

// The dialog's modal loop tells its owner each time it has no message left. Once
// the dialog and its list are painted, the time is taken and the dialog closed.
LRESULT CALLBACK ownerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_ENTERIDLE && wParam == MSGF_DIALOGBOX && shownAt == 0) {
        const auto dialog = reinterpret_cast<HWND>(lParam);
        const HWND list = GetDlgItem(dialog, IDC_APPOINTMENTS);
        if (painted(dialog) && painted(list) && painted(GetWindow(list, GW_CHILD))) {
            shownAt = nowMs();
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        }
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Tomorrow on, one an hour; every tenth a weekly series, so that the list shows
// all three columns.
AppointmentBook sampleBook(int count) {
    AppointmentBook book;
    const TimeValue first = (systemClock().currentTime() / 3600 + 24) * 3600;
    for (int i = 0; i < count; ++i) {
        const TimeValue time = first + static_cast<TimeValue>(i) * 3600;
        const Recurrence rule =
            i % 10 == 0 ? makeRecurrence(RepeatKind::Weekly, time) : Recurrence{};
        book.insert({time, "Termin Nummer " + std::to_string(i) + " mit etwas Text", rule});
    }
    return book;
}

// The minimal dialog's rows: the three texts of each row as the list shows them.
struct PlainRow {
    std::string text;
    std::string display;
    std::string repeat;
};

struct PlainFill {
    const std::vector<PlainRow>& rows;
    bool redrawHeld;
};

// One insert with the text, two sets: the plain way to fill a row.
void addRow(HWND list, int row, const PlainRow& cells) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = const_cast<char*>(cells.text.c_str());
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    setListCell(list, row, TIME_COLUMN, cells.display);
    setListCell(list, row, REPEAT_COLUMN, cells.repeat);
}

INT_PTR CALLBACK minimalProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_INITDIALOG) {
        const HWND list = GetDlgItem(dialog, IDC_APPOINTMENTS);
        const int dpi = windowDpi(dialog);
        insertListColumn(list, TEXT_COLUMN, scaleToDpi(250, dpi), "Text");
        insertListColumn(list, TIME_COLUMN, scaleToDpi(80, dpi), "Alarmzeit");
        insertListColumn(list, REPEAT_COLUMN, scaleToDpi(80, dpi), "Wiederholung");
        const auto& fill = *reinterpret_cast<const PlainFill*>(lParam);
        if (fill.redrawHeld) {
            SendMessageA(list, WM_SETREDRAW, FALSE, 0);
        }
        for (int row = 0; row < static_cast<int>(fill.rows.size()); ++row) {
            addRow(list, row, fill.rows[row]);
        }
        if (fill.redrawHeld) {
            SendMessageA(list, WM_SETREDRAW, TRUE, 0);
        }
        return TRUE;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

template <typename Open> double timeOpening(Open open) {
    shownAt = 0;
    const double start = nowMs();
    open();
    return shownAt > 0 ? shownAt - start : -1;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void printLine(const char* what, std::vector<double> values) {
    std::sort(values.begin(), values.end());
    std::printf("  %-32s %8.1f ms (fastest %7.1f ms)\n", what, median(values), values.front());
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const int count = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10000;
    loadCommonControls();

    const HINSTANCE module = GetModuleHandleA(nullptr);
    WNDCLASSEXA ownerClass{};
    ownerClass.cbSize = sizeof ownerClass;
    ownerClass.lpfnWndProc = ownerProc;
    ownerClass.hInstance = module;
    ownerClass.lpszClassName = OWNER_CLASS;
    RegisterClassExA(&ownerClass);
    const HWND owner =
        CreateWindowExA(0, OWNER_CLASS, "owner", 0, 0, 0, 0, 0, nullptr, nullptr, module, nullptr);

    const AppointmentBook book = sampleBook(count);
    std::vector<PlainRow> plainRows;
    for (const AppointmentRow& row : rowsFromBook(book, LIST_CELL_CHARS, systemClock().today())) {
        plainRows.push_back({row.text, row.display, repeatLabel(row.recurrence)});
    }
    const auto openMinimal = [&](bool redrawHeld) {
        PlainFill fill{plainRows, redrawHeld};
        DialogBoxParamA(module, MAKEINTRESOURCEA(IDD_APPOINTMENT_LIST), owner, minimalProc,
                        reinterpret_cast<LPARAM>(&fill));
    };
    // Closed with "Abbrechen": the book stays as it is for the next run.
    AppointmentBook listed = book;
    const auto openList = [&] { editAppointments(owner, listed, systemClock()); };

    // One opening of each first, so that none pays for the first loads.
    timeOpening([&] { openMinimal(false); });
    timeOpening(openList);
    std::vector<double> minimalTimes;
    std::vector<double> heldTimes;
    std::vector<double> listTimes;
    for (int i = 0; i < runs; ++i) {
        minimalTimes.push_back(timeOpening([&] { openMinimal(false); }));
        heldTimes.push_back(timeOpening([&] { openMinimal(true); }));
        listTimes.push_back(timeOpening(openList));
    }
    for (const auto* times : {&minimalTimes, &heldTimes, &listTimes}) {
        if (*std::min_element(times->begin(), times->end()) < 0) {
            std::fprintf(stderr, "a dialog was never seen painted\n");
            return 1;
        }
    }

    std::printf("opening the appointment list with %d appointments, median of %d runs under "
                "Wine:\n",
                count, runs);
    printLine("minimal dialog (plain fill)", minimalTimes);
    printLine("minimal dialog, drawing held", heldTimes);
    printLine("appointment list", listTimes);
    std::printf("list_open_vs_minimal %.2f\n", median(listTimes) / median(minimalTimes));
    DestroyWindow(owner);
    return 0;
}
