// The dialog "Wiederholung" under Wine, opened from the editor's "Mehr…" as the user
// opens it: its texts, the rule it makes in words and dates, "benutzerdefiniert" in the
// editor, the sentence in the list, the rule in the book and the file; and the list's
// "Nächsten Termin überspringen".
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "list_dialog_helpers.h"
#include "tests/support/rule_patterns.h"
#include "ui/appointment_editor_ids.h"
#include "ui/appointment_list_dialog_ids.h"
#include "ui/list_view_cells.h"
#include "ui/repeat_dialog_ids.h"

namespace {

constexpr char REPEAT_TITLE[] = "Wiederholung";

using RepeatDialog = ListFixture;

HWND openRepeatDialog(HWND editor) {
    postCommand(editor, IDC_EDIT_REPEAT_MORE);
    return waitForWindow(REPEAT_TITLE);
}

void closeRepeatDialog(HWND dialog, int button) {
    postCommand(dialog, button);
    EXPECT_TRUE(waitUntilDestroyed(dialog));
    settle();
}

void choose(HWND dialog, int combo, int index) {
    SendDlgItemMessageA(dialog, combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(combo, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, combo)));
}

// Waits for the context menu, tells the state of "Nächsten Termin überspringen" and
// presses the keys into the menu's own loop.
UINT pressInMenu(std::initializer_list<WPARAM> keys, std::string& text) {
    HWND menuWindow = nullptr;
    EXPECT_TRUE(waitFor([&] {
        menuWindow = FindWindowA("#32768", nullptr);
        return menuWindow != nullptr && IsWindowVisible(menuWindow);
    }));
    const auto menu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
    char buffer[64] = "";
    GetMenuStringA(menu, IDM_SKIP_NEXT, buffer, sizeof buffer, MF_BYCOMMAND);
    text = buffer;
    const UINT state = GetMenuState(menu, IDM_SKIP_NEXT, MF_BYCOMMAND);
    for (const WPARAM key : keys) {
        PostMessageA(menuWindow, WM_KEYDOWN, key, 0);
        PostMessageA(menuWindow, WM_KEYUP, key, 0);
    }
    EXPECT_TRUE(waitFor([&] { return !IsWindowVisible(menuWindow); }));
    settle();
    return state;
}

void selectRow(HWND list, int row) {
    LVITEMA state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
}

// The last Friday of the month, 10 times, set at `moment`.
Recurrence lastFridayTenTimes(TimeValue moment) {
    return makeRecurrence(ending(onWeek(LAST_WEEK, FRIDAY), 10), moment);
}

// A new appointment every 2 weeks on Tuesday and Thursday until the end of 2030, set
// on Wednesday 13 March 2030.
TEST_F(RepeatDialog, MakesARuleInWordsAndDatesThatTheListAndTheFileKeep) {
    std::string sentence;
    driveModal(
        LIST_TITLE, [&] { showList(); },
        [&](HWND list) {
            const HWND editor = openEditor(list, -1);
            ASSERT_NE(editor, nullptr);
            SetDlgItemTextA(editor, IDC_EDIT_TEXT, "M\xFCllabfuhr");
            setPicker(editor, IDC_EDIT_DATE, SYSTEMTIME{2030, 3, 3, 13, 0, 0, 0, 0});
            setPicker(editor, IDC_EDIT_TIME, SYSTEMTIME{2030, 3, 3, 13, 7, 0, 0, 0});
            const HWND repeat = openRepeatDialog(editor);
            ASSERT_NE(repeat, nullptr);
            // A new appointment is offered a weekly rule on its weekday.
            std::string texts;
            for (std::string text : childTexts(repeat)) {
                // The date picker's text is as the locale formats it.
                texts +=
                    (text.starts_with("SysDateTimePick32:") ? "SysDateTimePick32:" : text) + "|";
            }
            EXPECT_EQ(texts,
                      "Static:Wiederholen:|ComboBox:w\xF6"
                      "chentlich|Static:alle|Edit:1|msctls_updown32:|Static:Wochen|Static:am:|"
                      "Button:Mo|Button:Di|Button:Mi|Button:Do|Button:Fr|Button:Sa|Button:So|"
                      "Button:am Tag|Button:am|Edit:13|msctls_updown32:|Static:des Monats|"
                      "ComboBox:2.|ComboBox:Mittwoch|Static:im Monat|Static:am:|Edit:13|"
                      "msctls_updown32:|ComboBox:M\xE4rz|Button:Ende|Button:nie|Button:nach|"
                      "Button:bis|Edit:10|msctls_updown32:|Static:Terminen|SysDateTimePick32:|"
                      "Static:jeden Mittwoch|Static:Die n\xE4"
                      "chsten Termine:|Static:Mi., 13.03.2030 07:00\r\nMi., 20.03.2030 07:00\r\n"
                      "Mi., 27.03.2030 07:00\r\nMi., 03.04.2030 07:00\r\nMi., 10.04.2030 07:00|"
                      "Button:OK|Button:Abbrechen|");
            EXPECT_TRUE(itemShown(repeat, IDC_RPT_MONDAY));
            EXPECT_FALSE(itemShown(repeat, IDC_RPT_BY_DAY));
            EXPECT_FALSE(itemShown(repeat, IDC_RPT_MONTH));
            EXPECT_FALSE(enabled(repeat, IDC_RPT_COUNT));

            setItemText(repeat, IDC_RPT_INTERVAL, "2");
            clickNow(repeat, IDC_RPT_MONDAY + 2); // off: Wednesday
            clickNow(repeat, IDC_RPT_MONDAY + 1);
            clickNow(repeat, IDC_RPT_MONDAY + 3);
            setPicker(repeat, IDC_RPT_UNTIL, SYSTEMTIME{2030, 12, 2, 31, 0, 0, 0, 0});
            clickNow(repeat, IDC_RPT_END_UNTIL);
            sentence = itemText(repeat, IDC_RPT_SENTENCE);
            EXPECT_EQ(sentence, "alle 2 Wochen am Dienstag und Donnerstag, bis 31.12.2030");
            EXPECT_EQ(itemText(repeat, IDC_RPT_DATES),
                      "Do., 14.03.2030 07:00\r\nDi., 26.03.2030 07:00\r\nDo., 28.03.2030 "
                      "07:00\r\nDi., 09.04.2030 07:00\r\nDo., 11.04.2030 07:00");
            EXPECT_TRUE(enabled(repeat, IDC_RPT_UNTIL));
            closeRepeatDialog(repeat, IDOK);

            // Only that dialog can say this rule: the seventh entry.
            EXPECT_EQ(itemText(editor, IDC_EDIT_REPEAT), "benutzerdefiniert");
            EXPECT_EQ(SendDlgItemMessageA(editor, IDC_EDIT_REPEAT, CB_GETCOUNT, 0, 0), 7);
            closeEditor(editor, IDOK);
            const HWND rows = GetDlgItem(list, IDC_APPOINTMENTS);
            EXPECT_EQ(listRows(rows).at(0).time, "Do., 14.03.2030 07:00");
            // The sentence whole, or shortened to the column with "…".
            const std::string cell = listCellText(rows, 0, REPEAT_COLUMN, 128).value_or("");
            EXPECT_TRUE(cell == sentence || (cell.size() > 1 && cell.back() == '\x85' &&
                                             sentence.starts_with(cell.substr(0, cell.size() - 1))))
                << cell;
            postCommand(list, IDOK);
        });
    const Recurrence expected =
        makeRecurrence(ending(every(RepeatKind::Weekly, 2, {TUESDAY, THURSDAY}), 0, 20301231),
                       {2030, 3, 13, 7, 0});
    EXPECT_EQ(contents(program->book),
              (std::vector<Appointment>{{at("Do., 14.03.2030 07:00"), "M\xFCllabfuhr", expected}}));
    EXPECT_NE(readWholeFile(appointmentFile())
                  .find("zeit=\"3003140700\" wdh=\"woche/2 di,do bis 2030-12-31\""),
              std::string::npos);
}

// A row that only the dialog can say opens as "benutzerdefiniert", and the dialog
// shows its rule (its sentence says every choice); "Abbrechen" there keeps it.
TEST_F(RepeatDialog, ARuleOpensWithItsChoicesAndAbbrechenKeepsIt) {
    const TimeValue march = at("Fr., 29.03.2030 19:00");
    const Recurrence rule = lastFridayTenTimes(march);
    program->book.insert({march, "Stammtisch", rule});
    driveModal(
        LIST_TITLE, [&] { showList(); },
        [&](HWND list) {
            const HWND editor = openEditor(list, 0);
            ASSERT_NE(editor, nullptr);
            EXPECT_EQ(itemText(editor, IDC_EDIT_REPEAT), "benutzerdefiniert");
            const HWND repeat = openRepeatDialog(editor);
            ASSERT_NE(repeat, nullptr);
            EXPECT_EQ(itemText(repeat, IDC_RPT_SENTENCE),
                      "jeden letzten Freitag im Monat, noch 10-mal");
            EXPECT_FALSE(enabled(repeat, IDC_RPT_DAY));
            choose(repeat, IDC_RPT_KIND, 0);
            EXPECT_EQ(itemText(repeat, IDC_RPT_SENTENCE), "t\xE4glich, noch 10-mal");
            EXPECT_FALSE(itemShown(repeat, IDC_RPT_BY_WEEKDAY));
            closeRepeatDialog(repeat, IDCANCEL);
            EXPECT_EQ(itemText(editor, IDC_EDIT_REPEAT), "benutzerdefiniert");
            closeEditor(editor, IDOK);
            postCommand(list, IDOK);
        });
    EXPECT_EQ(contents(program->book), (std::vector<Appointment>{{march, "Stammtisch", rule}}));
}

// "Nächsten Termin überspringen" from the keyboard: the row goes to the following last
// Friday with one left fewer, and OK makes that an edit of the appointment. At the last
// occurrence the entry is greyed.
TEST_F(RepeatDialog, SkippingMovesASeriesRowAndOkCommitsItAsAnEdit) {
    const TimeValue march = at("Fr., 29.03.2030 19:00");
    const Recurrence rule = lastFridayTenTimes(march);
    Recurrence once = rule;
    once.count = 1;
    program->book.insert({march, "Stammtisch", rule});
    program->book.insert({march + 3600, "Letztes Mal", once});
    giveIdentities(program->book);
    driveModal(
        LIST_TITLE, [&] { showList(); },
        [&](HWND list) {
            const HWND rows = GetDlgItem(list, IDC_APPOINTMENTS);
            std::string entry;
            selectRow(rows, 1);
            PostMessageA(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(rows), -1);
            EXPECT_NE(pressInMenu({VK_ESCAPE}, entry) & MF_GRAYED, 0u);
            selectRow(rows, 0);
            // The context-menu key on the list, which has the focus.
            ASSERT_EQ(focusOf(list), rows);
            pressKey(list, VK_APPS);
            EXPECT_EQ(pressInMenu({VK_DOWN, VK_RETURN}, entry) & MF_GRAYED, 0u);
            EXPECT_EQ(entry, "N\xE4"
                             "chsten Termin \xFC"
                             "berspringen");
            EXPECT_EQ(listRows(rows).at(0).time, "Fr., 26.04.2030 19:00");
            EXPECT_EQ(listCellText(rows, 0, REPEAT_COLUMN, 128).value_or("").substr(0, 12),
                      "jeden letzte");
            postCommand(list, IDOK);
        });
    const std::vector<Appointment> book = contents(program->book);
    ASSERT_EQ(book.size(), 2u);
    Recurrence nineLeft = rule;
    nineLeft.count = 9;
    EXPECT_EQ(book[1], (Appointment{at("Fr., 26.04.2030 19:00"), "Stammtisch", nineLeft}));
    program->book.forEach([](const Appointment& a) {
        EXPECT_EQ(a.revision.edits, a.text == "Stammtisch" ? 1u : 0u) << a.text;
    });
    EXPECT_NE(readWholeFile(appointmentFile())
                  .find("zeit=\"3004261900\" wdh=\"monat letzter.fr noch 9\""),
              std::string::npos);
}

} // namespace
