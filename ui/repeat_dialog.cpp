// The dialog "Wiederholung" (116): carries the choices (ui/repeat_choices) to and
// from its controls and shows the rule they make in words, with its next dates.
#include "ui/repeat_dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <span>
#include <string>

#include "core/no_throw.h"
#include "res/resource.h"
#include "ui/appointment_rows.h"
#include "ui/on_demand.h"
#include "ui/recurrence_text.h"
#include "ui/repeat_choices.h"
#include "ui/repeat_dialog_ids.h"
#include "ui/screen_reader_names.h"
#include "ui/template_module.h"

namespace {

// The dates shown of the series as chosen.
constexpr int DATES_SHOWN = 5;

struct RepeatDialogData {
    Recurrence rule;
    RepeatStart start;
    bool filling = false; // the controls are being set: their notifications change nothing
    std::optional<Recurrence> chosen;
};

// The fields that follow a radio button or another field, where no label before them
// names them.
constexpr ScreenReaderName FIELD_NAMES[] = {
    {IDC_RPT_DAY, L"Tag des Monats"}, {IDC_RPT_WEEK, L"Woche im Monat"},
    {IDC_RPT_WEEKDAY, L"Wochentag"},  {IDC_RPT_YEAR_DAY, L"Tag"},
    {IDC_RPT_MONTH, L"Monat"},        {IDC_RPT_COUNT, L"Anzahl der Termine"},
    {IDC_RPT_UNTIL, L"Letzter Tag"},
};

// The rows each kind shows in the place they share.
constexpr int WEEKLY_ROWS[] = {IDC_RPT_WEEKDAYS_LABEL, IDC_RPT_MONDAY,     IDC_RPT_MONDAY + 1,
                               IDC_RPT_MONDAY + 2,     IDC_RPT_MONDAY + 3, IDC_RPT_MONDAY + 4,
                               IDC_RPT_MONDAY + 5,     IDC_RPT_SUNDAY};
constexpr int MONTHLY_ROWS[] = {IDC_RPT_BY_DAY,   IDC_RPT_BY_WEEKDAY,    IDC_RPT_DAY,
                                IDC_RPT_DAY_SPIN, IDC_RPT_DAY_SUFFIX,    IDC_RPT_WEEK,
                                IDC_RPT_WEEKDAY,  IDC_RPT_WEEKDAY_SUFFIX};
constexpr int YEARLY_ROWS[] = {IDC_RPT_DATE_LABEL, IDC_RPT_YEAR_DAY, IDC_RPT_YEAR_DAY_SPIN,
                               IDC_RPT_MONTH};

RepeatDialogData& dataOf(HWND dialog) {
    return *reinterpret_cast<RepeatDialogData*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

void addChoices(HWND dialog, int id, std::span<const char* const> texts) {
    for (const char* text : texts) {
        SendDlgItemMessageA(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
}

int selection(HWND dialog, int id) {
    return static_cast<int>(SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0));
}

void select(HWND dialog, int id, int index) {
    SendDlgItemMessageA(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

// An edit with its up-down control and the range it offers.
void setUpNumber(HWND dialog, int edit, int spin, int low, int high) {
    const HWND control = GetDlgItem(dialog, spin);
    SendMessageA(control, UDM_SETBUDDY, reinterpret_cast<WPARAM>(GetDlgItem(dialog, edit)), 0);
    SendMessageA(control, UDM_SETRANGE32, static_cast<WPARAM>(low), high);
}

// The number in an edit; `fallback` when it holds none.
int number(HWND dialog, int edit, int fallback) {
    BOOL read = FALSE;
    const UINT value = GetDlgItemInt(dialog, edit, &read, FALSE);
    return read ? static_cast<int>(std::min<UINT>(value, 99999)) : fallback;
}

void show(HWND dialog, std::span<const int> ids, bool visible) {
    for (const int id : ids) {
        ShowWindow(GetDlgItem(dialog, id), visible ? SW_SHOW : SW_HIDE);
    }
}

void enable(HWND dialog, std::span<const int> ids, bool enabled) {
    for (const int id : ids) {
        EnableWindow(GetDlgItem(dialog, id), enabled ? TRUE : FALSE);
    }
}

void showChoices(HWND dialog, const RepeatChoices& choices) {
    select(dialog, IDC_RPT_KIND, choices.kind);
    SetDlgItemInt(dialog, IDC_RPT_INTERVAL, static_cast<UINT>(choices.interval), FALSE);
    for (int i = 0; i < 7; ++i) {
        const bool on = (choices.weekdays & weekdayBit(WEEKDAYS_FROM_MONDAY[i])) != 0;
        CheckDlgButton(dialog, IDC_RPT_MONDAY + i, on ? BST_CHECKED : BST_UNCHECKED);
    }
    CheckRadioButton(dialog, IDC_RPT_BY_DAY, IDC_RPT_BY_WEEKDAY,
                     choices.onWeekday ? IDC_RPT_BY_WEEKDAY : IDC_RPT_BY_DAY);
    SetDlgItemInt(dialog, IDC_RPT_DAY, static_cast<UINT>(choices.day), FALSE);
    SetDlgItemInt(dialog, IDC_RPT_YEAR_DAY, static_cast<UINT>(choices.day), FALSE);
    select(dialog, IDC_RPT_WEEK, choices.week);
    select(dialog, IDC_RPT_WEEKDAY, (choices.weekday + 6) % 7);
    select(dialog, IDC_RPT_MONTH, choices.month - 1);
    CheckRadioButton(dialog, IDC_RPT_END_NEVER, IDC_RPT_END_UNTIL,
                     IDC_RPT_END_NEVER + static_cast<int>(choices.end));
    SetDlgItemInt(dialog, IDC_RPT_COUNT, static_cast<UINT>(choices.count), FALSE);
    SYSTEMTIME until{};
    until.wYear = static_cast<WORD>(choices.until.year);
    until.wMonth = static_cast<WORD>(choices.until.month);
    until.wDay = static_cast<WORD>(choices.until.day);
    SendDlgItemMessageA(dialog, IDC_RPT_UNTIL, DTM_SETSYSTEMTIME, GDT_VALID,
                        reinterpret_cast<LPARAM>(&until));
}

RepeatChoices readChoices(HWND dialog) {
    RepeatChoices choices;
    choices.kind = std::max(0, selection(dialog, IDC_RPT_KIND));
    choices.interval = number(dialog, IDC_RPT_INTERVAL, 1);
    for (int i = 0; i < 7; ++i) {
        if (IsDlgButtonChecked(dialog, IDC_RPT_MONDAY + i) == BST_CHECKED) {
            choices.weekdays |= weekdayBit(WEEKDAYS_FROM_MONDAY[i]);
        }
    }
    const bool yearly = choices.kind + 1 == static_cast<int>(RepeatKind::Yearly);
    choices.onWeekday = IsDlgButtonChecked(dialog, IDC_RPT_BY_WEEKDAY) == BST_CHECKED;
    choices.day = number(dialog, yearly ? IDC_RPT_YEAR_DAY : IDC_RPT_DAY, 1);
    choices.week = std::max(0, selection(dialog, IDC_RPT_WEEK));
    choices.weekday = WEEKDAYS_FROM_MONDAY[static_cast<std::size_t>(
        std::clamp(selection(dialog, IDC_RPT_WEEKDAY), 0, 6))];
    choices.month = std::max(0, selection(dialog, IDC_RPT_MONTH)) + 1;
    choices.end = IsDlgButtonChecked(dialog, IDC_RPT_END_COUNT) == BST_CHECKED
                      ? RepeatEnd::AfterCount
                  : IsDlgButtonChecked(dialog, IDC_RPT_END_UNTIL) == BST_CHECKED ? RepeatEnd::OnDate
                                                                                 : RepeatEnd::Never;
    choices.count = number(dialog, IDC_RPT_COUNT, DEFAULT_COUNT);
    SYSTEMTIME until{};
    SendDlgItemMessageA(dialog, IDC_RPT_UNTIL, DTM_GETSYSTEMTIME, 0,
                        reinterpret_cast<LPARAM>(&until));
    choices.until = LocalDateTime{until.wYear, until.wMonth, until.wDay};
    return choices;
}

// The rows of the kind chosen, what the choices allow, the rule in words and its dates.
void refresh(HWND dialog) {
    RepeatDialogData& data = dataOf(dialog);
    const RepeatChoices choices = readChoices(dialog);
    const auto kind = static_cast<RepeatKind>(choices.kind + 1);
    show(dialog, WEEKLY_ROWS, kind == RepeatKind::Weekly);
    show(dialog, MONTHLY_ROWS, kind == RepeatKind::Monthly);
    show(dialog, YEARLY_ROWS, kind == RepeatKind::Yearly);
    const int intervalRow[] = {IDC_RPT_INTERVAL, IDC_RPT_INTERVAL_SPIN, IDC_RPT_UNIT};
    enable(dialog, intervalRow, kind != RepeatKind::Workdays);
    SetDlgItemTextA(dialog, IDC_RPT_UNIT, INTERVAL_UNITS[static_cast<std::size_t>(choices.kind)]);
    const int onDay[] = {IDC_RPT_DAY, IDC_RPT_DAY_SPIN, IDC_RPT_DAY_SUFFIX};
    const int onWeekday[] = {IDC_RPT_WEEK, IDC_RPT_WEEKDAY, IDC_RPT_WEEKDAY_SUFFIX};
    enable(dialog, onDay, !choices.onWeekday);
    enable(dialog, onWeekday, choices.onWeekday);
    const int count[] = {IDC_RPT_COUNT, IDC_RPT_COUNT_SPIN, IDC_RPT_COUNT_SUFFIX};
    const int until[] = {IDC_RPT_UNTIL};
    enable(dialog, count, choices.end == RepeatEnd::AfterCount);
    enable(dialog, until, choices.end == RepeatEnd::OnDate);

    const Recurrence rule = ruleOfChoices(choices, data.start.picked);
    const SeriesStart series = startOfSeries(rule, data.start.chosen, data.start.now);
    SetDlgItemTextA(dialog, IDC_RPT_SENTENCE, describeRecurrence(rule, false).c_str());
    std::string dates;
    for (const std::string& date : upcomingDisplays(series.rule, series.first, DATES_SHOWN)) {
        dates += (dates.empty() ? "" : "\r\n") + date;
    }
    SetDlgItemTextA(dialog, IDC_RPT_DATES, dates.c_str());
}

void open(HWND dialog, RepeatDialogData& data) {
    data.filling = true;
    addChoices(dialog, IDC_RPT_KIND, REPEAT_KIND_WORDS);
    addChoices(dialog, IDC_RPT_WEEK, WEEK_OF_MONTH_WORDS);
    for (const int day : WEEKDAYS_FROM_MONDAY) {
        SendDlgItemMessageA(dialog, IDC_RPT_WEEKDAY, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(std::string(weekdayLongName(day)).c_str()));
    }
    for (int month = 1; month <= 12; ++month) {
        SendDlgItemMessageA(dialog, IDC_RPT_MONTH, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(std::string(monthName(month)).c_str()));
    }
    setUpNumber(dialog, IDC_RPT_INTERVAL, IDC_RPT_INTERVAL_SPIN, 1, MOST_INTERVAL);
    setUpNumber(dialog, IDC_RPT_DAY, IDC_RPT_DAY_SPIN, 1, 31);
    setUpNumber(dialog, IDC_RPT_YEAR_DAY, IDC_RPT_YEAR_DAY_SPIN, 1, 31);
    setUpNumber(dialog, IDC_RPT_COUNT, IDC_RPT_COUNT_SPIN, 1, MOST_COUNT);
    // Only dates that a rule can end on.
    SYSTEMTIME range[2] = {{2000, 1, 6, 1, 0, 0, 0, 0}, {2099, 12, 4, 31, 23, 59, 59, 999}};
    SendDlgItemMessageA(dialog, IDC_RPT_UNTIL, DTM_SETRANGE, GDTR_MIN | GDTR_MAX,
                        reinterpret_cast<LPARAM>(range));
    showChoices(dialog, choicesFor(data.rule, data.start.picked));
    data.filling = false;
    refresh(dialog);
}

INT_PTR handleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        open(dialog, dataOf(dialog));
        nameForScreenReaders(dialog, FIELD_NAMES);
        return TRUE; // the focus goes to the kind, the first control that takes it
    }
    const auto* data = reinterpret_cast<RepeatDialogData*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (data == nullptr) {
        return FALSE; // a control's message before the dialog is set up
    }
    switch (message) {
    case WM_DESTROY:
        forgetScreenReaderNames(dialog, FIELD_NAMES);
        return FALSE;
    case WM_NOTIFY:
        if (reinterpret_cast<const NMHDR*>(lParam)->code == DTN_DATETIMECHANGE && !data->filling) {
            refresh(dialog);
        }
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            dataOf(dialog).chosen = ruleOfChoices(readChoices(dialog), data->start.picked);
            EndDialog(dialog, IDOK);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        default:
            if ((HIWORD(wParam) == CBN_SELCHANGE || HIWORD(wParam) == EN_CHANGE ||
                 HIWORD(wParam) == BN_CLICKED) &&
                !data->filling) {
                refresh(dialog);
            }
            return FALSE;
        }
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK repeatDialogProc(HWND dialog, UINT message, WPARAM wParam,
                                  LPARAM lParam) noexcept {
    return noThrow<INT_PTR>(FALSE, [&] { return handleMessage(dialog, message, wParam, lParam); });
}

} // namespace

std::optional<Recurrence> chooseRepetition(HWND owner, const Recurrence& rule,
                                           const RepeatStart& start) {
    RepeatDialogData data{rule, start, false, std::nullopt};
    loadCommonControls();   // the up-down controls and the date picker
    const ComApartment com; // for the fields' names
    DialogBoxParamA(templateModule(owner), MAKEINTRESOURCEA(IDD_REPEAT), owner, repeatDialogProc,
                    reinterpret_cast<LPARAM>(&data));
    return data.chosen;
}
