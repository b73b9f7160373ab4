// The appointment editor: the text, date, time and repetition of one row of the
// appointment list.
#include "ui/appointment_editor.h"

#include <commctrl.h>

#include "core/calendar.h"
#include "core/no_throw.h"
#include "res/resource.h"
#include "ui/appointment_editor_ids.h"
#include "ui/appointment_list_dialog_ids.h"
#include "ui/appointment_rows.h"
#include "ui/dialog_text.h"
#include "ui/list_view_cells.h"
#include "ui/on_demand.h"
#include "ui/repeat_dialog.h"
#include "ui/template_module.h"

namespace {

// What the editor is opened for: the list's row (negative for a new one) and the
// current time; and the rule of "benutzerdefiniert", once there is one. Kept in the
// window data while the editor is open.
struct EditorStart {
    int row;
    TimeValue now;
    RowRecords& records; // the list's records of its rows
    std::optional<Recurrence> custom;
};

EditorStart& startOf(HWND dialog) {
    return *reinterpret_cast<EditorStart*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

// The entry of the drop-down list after the six words.
constexpr int CUSTOM_CHOICE = static_cast<int>(REPEAT_WORDS.size());

constexpr std::size_t ROW_READ_BYTES = 128;

SYSTEMTIME toSystemTime(const CalendarFields& fields) {
    return SYSTEMTIME{fields.year, fields.month,  fields.dayOfWeek, fields.day,
                      fields.hour, fields.minute, fields.second,    fields.millisecond};
}

CalendarFields toCalendarFields(const SYSTEMTIME& time) {
    return CalendarFields{time.wYear, time.wMonth,  time.wDayOfWeek, time.wDay,
                          time.wHour, time.wMinute, time.wSecond,    time.wMilliseconds};
}

CalendarFields pickerValue(HWND picker) {
    SYSTEMTIME time{};
    SendMessageA(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time));
    return toCalendarFields(time);
}

void setPickerValue(HWND picker, const CalendarFields& fields) {
    SYSTEMTIME time = toSystemTime(fields);
    SendMessageA(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
}

// Only dates that the appointment file can hold, so that every row the editor
// writes becomes a valid alarm time.
void limitDateRange(HWND datePicker) {
    SYSTEMTIME range[2] = {{2000, 1, 6, 1, 0, 0, 0, 0}, {2099, 12, 4, 31, 23, 59, 59, 999}};
    SendMessageA(datePicker, DTM_SETRANGE, GDTR_MIN | GDTR_MAX, reinterpret_cast<LPARAM>(range));
}

HWND ownerList(HWND dialog) {
    return GetDlgItem(GetParent(dialog), IDC_APPOINTMENTS);
}

// The choices of repetition, "keine" selected.
void fillRepeatChoices(HWND dialog) {
    const HWND choices = GetDlgItem(dialog, IDC_EDIT_REPEAT);
    for (const char* word : REPEAT_WORDS) {
        SendMessageA(choices, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(word));
    }
    SendMessageA(choices, CB_SETCURSEL, static_cast<WPARAM>(RepeatKind::None), 0);
}

// Shows a rule in the drop-down list: the word of its kind, or "benutzerdefiniert",
// added as the seventh entry the first time, for a rule that only the dialog
// "Wiederholung" can say.
void showRepeatChoice(HWND dialog, const Recurrence& rule, bool byItsWord) {
    const HWND choices = GetDlgItem(dialog, IDC_EDIT_REPEAT);
    if (byItsWord) {
        SendMessageA(choices, CB_SETCURSEL, static_cast<WPARAM>(rule.kind), 0);
        return;
    }
    startOf(dialog).custom = rule;
    if (SendMessageA(choices, CB_GETCOUNT, 0, 0) <= CUSTOM_CHOICE) {
        SendMessageA(choices, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(CUSTOM_REPEAT_WORD));
    }
    SendMessageA(choices, CB_SETCURSEL, CUSTOM_CHOICE, 0);
}

// The choice of the drop-down list: a word's kind, or the rule of "benutzerdefiniert".
Recurrence chosenRepeat(HWND dialog) {
    const LRESULT choice = SendDlgItemMessageA(dialog, IDC_EDIT_REPEAT, CB_GETCURSEL, 0, 0);
    if (choice == CUSTOM_CHOICE && startOf(dialog).custom) {
        return *startOf(dialog).custom;
    }
    return Recurrence{choice >= 0 && choice < CUSTOM_CHOICE ? static_cast<RepeatKind>(choice)
                                                            : RepeatKind::None};
}

// The date of the date picker at the time of the time picker.
CalendarFields pickedFields(HWND dialog) {
    return pickedMoment(pickerValue(GetDlgItem(dialog, IDC_EDIT_DATE)),
                        pickerValue(GetDlgItem(dialog, IDC_EDIT_TIME)));
}

// "Mehr…": the dialog "Wiederholung" with the rule chosen so far, made at the picked
// moment (the row's own rule while its choice stands, so that a monthly 31st shown on
// 30 April shows the 31st). What it gives is shown by its word where the word alone
// makes that very rule at the picked moment.
void chooseMore(HWND dialog) {
    const CalendarFields fields = pickedFields(dialog);
    const LocalDateTime picked{fields.year, fields.month, fields.day, fields.hour, fields.minute};
    const RepeatStart start{picked, displayToTime(calendarToDisplay(fields)), startOf(dialog).now};
    const Recurrence choice = chosenRepeat(dialog);
    const EditorStart& editor = startOf(dialog);
    const auto original = editor.row >= 0 ? appointmentRow(ownerList(dialog), editor.row,
                                                           ROW_READ_BYTES, editor.records)
                                          : std::nullopt;
    CalendarFields shown{};
    if (original) {
        displayToCalendar(original->display, shown);
    }
    const bool rowsOwn = original && original->recurrence.repeats() && shown.year == fields.year &&
                         shown.month == fields.month && shown.day == fields.day &&
                         sameChoice(original->recurrence, choice);
    const auto rule = chooseRepetition(
        dialog, rowsOwn ? original->recurrence : makeRecurrence(choice, picked), start);
    if (!rule) {
        return;
    }
    const bool byItsWord =
        rule->repeats() && isPlainRule(*rule) &&
        (*rule == makeRecurrence(rule->kind, picked) || (rowsOwn && *rule == original->recurrence));
    showRepeatChoice(dialog, *rule, byItsWord || !rule->repeats());
}

void openForRow(HWND dialog, int row) {
    fillRepeatChoices(dialog);
    if (row < 0) {
        SetWindowTextA(dialog, "Quarv Zodora - neuer Termin");
        EnableWindow(GetDlgItem(dialog, IDC_DELETE), FALSE);
        return; // both pickers stay at the current local date and time
    }
    SetWindowTextA(dialog, "Quarv Zodora - Termin ändern");
    EnableWindow(GetDlgItem(dialog, IDC_DELETE), TRUE);
    const HWND list = ownerList(dialog);
    if (const auto text = listCellText(list, row, TEXT_COLUMN, ROW_READ_BYTES)) {
        SetDlgItemTextA(dialog, IDC_EDIT_TEXT, text->c_str());
    }
    const auto cells = appointmentRow(list, row, ROW_READ_BYTES, startOf(dialog).records);
    if (!cells) {
        return; // the pickers keep their defaults
    }
    showRepeatChoice(dialog, cells->recurrence,
                     !cells->recurrence.repeats() || isPlainRule(cells->recurrence));
    CalendarFields fields{};
    displayToCalendar(cells->display, fields);
    setPickerValue(GetDlgItem(dialog, IDC_EDIT_DATE), fields);
    setPickerValue(GetDlgItem(dialog, IDC_EDIT_TIME), fields);
}

// Writes the edited appointment into its row, or appends a new row when the
// editor was opened for a new appointment ("Löschen" greyed).
void writeRow(HWND dialog) {
    const CalendarFields moment = pickedFields(dialog);
    std::string text = dialogItemText(dialog, IDC_EDIT_TEXT, APPOINTMENT_TEXT_CHARS);

    const HWND list = ownerList(dialog);
    if (IsWindowEnabled(GetDlgItem(dialog, IDC_DELETE))) {
        // The row the editor was opened for, not the list's selection mark: a
        // double click on the time column opens a row without selecting it.
        const EditorStart& start = startOf(dialog);
        const auto original = appointmentRow(list, start.row, ROW_READ_BYTES, start.records);
        setAppointmentRow(list, start.row,
                          editedRow(std::move(text), moment, chosenRepeat(dialog),
                                    original ? &*original : nullptr, start.now),
                          start.records);
    } else {
        const AppointmentRow cells =
            editedRow(std::move(text), moment, chosenRepeat(dialog), nullptr, startOf(dialog).now);
        insertAppointmentRow(list, listRowCount(list), cells, startOf(dialog).records);
    }
}

INT_PTR handleEditorMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        limitDateRange(GetDlgItem(dialog, IDC_EDIT_DATE));
        openForRow(dialog, startOf(dialog).row);
        return TRUE; // focus to the text field, the first control with a tab stop
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            writeRow(dialog);
            EndDialog(dialog, 1);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, 1);
            return TRUE;
        case IDC_DELETE:
            EndDialog(dialog, IDC_DELETE);
            return TRUE;
        case IDC_EDIT_REPEAT_MORE:
            chooseMore(dialog);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

INT_PTR CALLBACK editorProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return noThrow<INT_PTR>(FALSE,
                            [&] { return handleEditorMessage(dialog, message, wParam, lParam); });
}

} // namespace

int editAppointmentRow(HWND listDialog, int row, TimeValue now, RowRecords& records) {
    EditorStart start{row, now, records, std::nullopt};
    loadCommonControls(); // the date and time pickers
    return static_cast<int>(DialogBoxParamA(templateModule(listDialog),
                                            MAKEINTRESOURCEA(IDD_EDITOR), listDialog, editorProc,
                                            reinterpret_cast<LPARAM>(&start)));
}
