// The summary of an import (dialog 123).
#include "ui/import_summary_dialog.h"

#include <commctrl.h>

#include "core/no_throw.h"
#include "res/resource.h"
#include "ui/import_summary_dialog_ids.h"
#include "ui/on_demand.h"
#include "ui/template_module.h"

namespace {

// A list longer than this helps nobody; the count of the rest is said.
constexpr std::size_t MOST_NOTE_LINES = 500;
constexpr int DEFAULT_ALL_DAY_MINUTE = 8 * 60;

struct SummaryData {
    const std::string& file;
    const std::function<ImportPlan(int)>& plan;
    bool hasAllDayEvents;
    std::optional<ImportPlan> shown;
};

int chosenMinute(HWND dialog) {
    SYSTEMTIME time{};
    if (SendDlgItemMessageA(dialog, IDC_SUMMARY_ALL_DAY, DTM_GETSYSTEMTIME, 0,
                            reinterpret_cast<LPARAM>(&time)) != GDT_VALID) {
        return DEFAULT_ALL_DAY_MINUTE;
    }
    return time.wHour * 60 + time.wMinute;
}

void setCount(HWND dialog, int id, const char* label, std::size_t count) {
    SetDlgItemTextA(dialog, id, (label + std::to_string(count)).c_str());
}

// Plans for the chosen time and shows the plan.
void show(HWND dialog, SummaryData& data) {
    const HCURSOR was = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    data.shown = data.plan(chosenMinute(dialog));
    SetCursor(was);
    const ImportPlan& plan = *data.shown;
    setCount(dialog, IDC_SUMMARY_ADDED, "Neue Termine: ", plan.added.size());
    setCount(dialog, IDC_SUMMARY_UPDATED, "Aktualisiert (gleiche UID): ", plan.updated.size());
    setCount(dialog, IDC_SUMMARY_UNCHANGED,
             "Schon vorhanden: ", static_cast<std::size_t>(plan.unchanged));
    setCount(dialog, IDC_SUMMARY_PAST,
             "Vorbei, nicht übernommen: ", static_cast<std::size_t>(plan.past));
    const std::string lines =
        plan.notes.empty() ? std::string("(nichts)") : noteLines(plan.notes, MOST_NOTE_LINES);
    SetDlgItemTextA(dialog, IDC_SUMMARY_NOTES, lines.c_str());
}

INT_PTR handleSummaryMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        auto& data = *reinterpret_cast<SummaryData*>(lParam);
        SetDlgItemTextA(dialog, IDC_SUMMARY_FILE, ("Aus " + data.file).c_str());
        SYSTEMTIME eight{2000, 1, 6, 1, DEFAULT_ALL_DAY_MINUTE / 60, 0, 0, 0};
        SendDlgItemMessageA(dialog, IDC_SUMMARY_ALL_DAY, DTM_SETFORMATA, 0,
                            reinterpret_cast<LPARAM>("HH:mm"));
        SendDlgItemMessageA(dialog, IDC_SUMMARY_ALL_DAY, DTM_SETSYSTEMTIME, GDT_VALID,
                            reinterpret_cast<LPARAM>(&eight));
        EnableWindow(GetDlgItem(dialog, IDC_SUMMARY_ALL_DAY), data.hasAllDayEvents);
        show(dialog, data);
        // On OK, not on the notes, which would show all selected.
        SetFocus(GetDlgItem(dialog, IDOK));
        return FALSE;
    }
    auto* data = reinterpret_cast<SummaryData*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (data == nullptr) {
        return FALSE;
    }
    switch (message) {
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom == IDC_SUMMARY_ALL_DAY && header->code == DTN_DATETIMECHANGE) {
            show(dialog, *data);
            return TRUE;
        }
        break;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            data->shown.reset();
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

INT_PTR CALLBACK summaryProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return noThrow<INT_PTR>(FALSE,
                            [&] { return handleSummaryMessage(dialog, message, wParam, lParam); });
}

} // namespace

std::string noteLines(const std::vector<ImportNote>& notes, std::size_t most) {
    std::string lines;
    for (std::size_t i = 0; i < notes.size() && i < most; ++i) {
        lines += notes[i].what + ": " + notes[i].how + "\r\n";
    }
    if (notes.size() > most) {
        lines += "… und " + std::to_string(notes.size() - most) + " weitere\r\n";
    }
    return lines;
}

std::optional<ImportPlan> confirmImport(HWND owner, const std::string& file,
                                        const std::function<ImportPlan(int)>& plan,
                                        bool hasAllDayEvents) {
    SummaryData data{file, plan, hasAllDayEvents, std::nullopt};
    loadCommonControls();
    if (DialogBoxParamA(templateModule(owner), MAKEINTRESOURCEA(IDD_IMPORT_SUMMARY), owner,
                        summaryProc, reinterpret_cast<LPARAM>(&data)) != IDOK) {
        return std::nullopt;
    }
    return std::move(data.shown);
}
