// The appointment editor under Wine, opened from the list as the user opens it:
// new and change modes, what OK writes into the row, "Abbrechen", the date range,
// and the repetition.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include "list_dialog_helpers.h"
#include "ui/appointment_editor_ids.h"
#include "ui/appointment_list_dialog_ids.h"
#include "ui/list_view_cells.h"

namespace {

class AppointmentEditor : public ListFixture {
  protected:
    void SetUp() override {
        ListFixture::SetUp();
        program->book.insert(at("Fr., 15.03.2030 09:30"), "eins");
        program->book.insert(at("Mo., 01.04.2030 18:45"), "zwei");
        program->book.insert(at("Di., 02.04.2030 07:00"), "drei");
    }

    // Opens the list, runs edit on its dialog, then leaves it with "Abbrechen".
    void inList(const std::function<void(HWND dialog, HWND list)>& edit) {
        driveModal(
            LIST_TITLE, [&] { showList(); },
            [&](HWND dialog) {
                edit(dialog, GetDlgItem(dialog, IDC_APPOINTMENTS));
                sendCommand(dialog, IDCANCEL);
            });
    }
};

SYSTEMTIME pickerTime(HWND editor, int picker) {
    SYSTEMTIME time{};
    SendDlgItemMessageA(editor, picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time));
    return time;
}

// The entries of the drop-down list "Wiederholung:".
std::vector<std::string> repeatChoices(HWND editor) {
    std::vector<std::string> choices;
    const HWND list = GetDlgItem(editor, IDC_EDIT_REPEAT);
    for (int i = 0, count = static_cast<int>(SendMessageA(list, CB_GETCOUNT, 0, 0)); i < count;
         ++i) {
        char text[32] = {};
        SendMessageA(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        choices.emplace_back(text);
    }
    return choices;
}

std::vector<std::string> staticsAndButtons(HWND dialog) {
    std::vector<std::string> texts;
    for (const std::string& text : childTexts(dialog)) {
        if (text.starts_with("Static:") || text.starts_with("Button:")) {
            texts.push_back(text);
        }
    }
    return texts;
}

TEST_F(AppointmentEditor, NewOpensEmptyAtNowWithDeleteGreyed) {
    inList([](HWND dialog, HWND) {
        SYSTEMTIME before{};
        GetLocalTime(&before);
        const HWND editor = openEditor(dialog, -1);
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(windowText(editor), NEW_TITLE);
        EXPECT_EQ(staticsAndButtons(editor),
                  (std::vector<std::string>{"Static:Text:", "Static:Datum:", "Static:Zeit:",
                                            "Static:Wiederholung:", "Button:Mehr\x85", "Button:OK",
                                            "Button:L\xF6schen", "Button:Abbrechen"}));
        EXPECT_EQ(repeatChoices(editor),
                  (std::vector<std::string>{"keine", "t\xE4glich", "werktags",
                                            "w\xF6"
                                            "chentlich",
                                            "monatlich", "j\xE4hrlich"}));
        EXPECT_EQ(windowText(GetDlgItem(editor, IDC_EDIT_REPEAT)), "keine");
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(editor, IDC_DELETE)));
        EXPECT_EQ(windowText(GetDlgItem(editor, IDC_EDIT_TEXT)), "");
        EXPECT_EQ(focusOf(editor), GetDlgItem(editor, IDC_EDIT_TEXT));
        const SYSTEMTIME date = pickerTime(editor, IDC_EDIT_DATE);
        EXPECT_EQ(date.wYear, before.wYear);
        EXPECT_EQ(date.wMonth, before.wMonth);
        EXPECT_EQ(date.wDay, before.wDay);
        const SYSTEMTIME time = pickerTime(editor, IDC_EDIT_TIME);
        const int minutes = time.wHour * 60 + time.wMinute;
        const int minutesBefore = before.wHour * 60 + before.wMinute;
        EXPECT_GE(minutes, minutesBefore);
        EXPECT_LE(minutes, minutesBefore + 2);
        closeEditor(editor, IDCANCEL);
    });
}

TEST_F(AppointmentEditor, NewAppendsAtTheEndWithTheTextCutTo63) {
    inList([](HWND dialog, HWND list) {
        HWND editor = openEditor(dialog, -1);
        ASSERT_NE(editor, nullptr);
        SetDlgItemTextA(editor, IDC_EDIT_TEXT, std::string(80, 'a').c_str());
        EXPECT_TRUE(setPicker(editor, IDC_EDIT_DATE, SYSTEMTIME{2029, 1, 1, 1, 12, 0, 0, 0}));
        EXPECT_TRUE(setPicker(editor, IDC_EDIT_TIME, SYSTEMTIME{2029, 1, 1, 1, 7, 5, 33, 0}));
        closeEditor(editor, IDOK);

        // An empty text is accepted as well; Escape adds nothing.
        editor = openEditor(dialog, -1);
        ASSERT_NE(editor, nullptr);
        closeEditor(editor, IDOK);
        editor = openEditor(dialog, -1);
        ASSERT_NE(editor, nullptr);
        SetDlgItemTextA(editor, IDC_EDIT_TEXT, "verworfen");
        pressKey(editor, VK_ESCAPE);
        EXPECT_TRUE(waitUntilDestroyed(editor));
        settle();

        const auto rows = listRows(list);
        ASSERT_EQ(rows.size(), 5u);
        EXPECT_EQ(rows[3].text, std::string(63, 'a'));
        EXPECT_EQ(rows[3].time, "Mo., 01.01.2029 07:05") << "at the end, though earliest";
        EXPECT_EQ(rows[4].text, "");
    });
}

TEST_F(AppointmentEditor, ChangeReadsTheRowAndWritesItInPlace) {
    inList([](HWND dialog, HWND list) {
        const HWND editor = openEditor(dialog, 1);
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(windowText(editor), CHANGE_TITLE);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(editor, IDC_DELETE)));
        EXPECT_EQ(windowText(GetDlgItem(editor, IDC_EDIT_TEXT)), "zwei");
        const SYSTEMTIME date = pickerTime(editor, IDC_EDIT_DATE);
        EXPECT_EQ(date.wYear, 2030);
        EXPECT_EQ(date.wMonth, 4);
        EXPECT_EQ(date.wDay, 1);
        const SYSTEMTIME time = pickerTime(editor, IDC_EDIT_TIME);
        EXPECT_EQ(time.wHour, 18);
        EXPECT_EQ(time.wMinute, 45);
        EXPECT_EQ(time.wSecond, 0);

        // Today's date is written with its weekday, not "ht"; the row keeps its place.
        SYSTEMTIME today{};
        GetLocalTime(&today);
        today.wHour = 6;
        today.wMinute = 0;
        EXPECT_TRUE(setPicker(editor, IDC_EDIT_DATE, today));
        EXPECT_TRUE(setPicker(editor, IDC_EDIT_TIME, today));
        SetDlgItemTextA(editor, IDC_EDIT_TEXT, "Zw\xF6lf");
        closeEditor(editor, IDOK);

        CalendarFields expected{today.wYear, today.wMonth, today.wDayOfWeek, today.wDay, 6, 0};
        const auto rows = listRows(list);
        ASSERT_EQ(rows.size(), 3u);
        EXPECT_EQ(rows[0].text, "eins");
        EXPECT_EQ(rows[1].text, "Zw\xF6lf");
        EXPECT_EQ(rows[1].time, calendarToDisplay(expected));
        EXPECT_NE(rows[1].time.substr(0, 2), "ht");
        EXPECT_EQ(rows[2].text, "drei");
    });
}

TEST_F(AppointmentEditor, AbbrechenAndTheCloseBoxLeaveTheRow) {
    inList([](HWND dialog, HWND list) {
        const auto before = listRows(list);
        HWND editor = openEditor(dialog, 2);
        ASSERT_NE(editor, nullptr);
        SetDlgItemTextA(editor, IDC_EDIT_TEXT, "vergessen");
        EXPECT_TRUE(setPicker(editor, IDC_EDIT_DATE, SYSTEMTIME{2031, 5, 4, 1, 0, 0, 0, 0}));
        closeEditor(editor, IDCANCEL);

        editor = openEditor(dialog, 2);
        ASSERT_NE(editor, nullptr);
        SetDlgItemTextA(editor, IDC_EDIT_TEXT, "vergessen");
        PostMessageA(editor, WM_CLOSE, 0, 0);
        EXPECT_TRUE(waitUntilDestroyed(editor));
        settle();

        const auto after = listRows(list);
        ASSERT_EQ(after.size(), before.size());
        EXPECT_EQ(after[2].text, "drei");
        EXPECT_EQ(after[2].time, before[2].time);
    });
}

TEST_F(AppointmentEditor, TheDatePickerOffersOnlyDatesTheFileCanHold) {
    inList([](HWND dialog, HWND) {
        const HWND editor = openEditor(dialog, -1);
        ASSERT_NE(editor, nullptr);
        SYSTEMTIME range[2] = {};
        const LRESULT limits = SendDlgItemMessageA(editor, IDC_EDIT_DATE, DTM_GETRANGE, 0,
                                                   reinterpret_cast<LPARAM>(range));
        EXPECT_EQ(limits, GDTR_MIN | GDTR_MAX);
        EXPECT_EQ(range[0].wYear, 2000);
        EXPECT_EQ(range[0].wMonth, 1);
        EXPECT_EQ(range[0].wDay, 1);
        EXPECT_EQ(range[1].wYear, 2099);
        EXPECT_EQ(range[1].wMonth, 12);
        EXPECT_EQ(range[1].wDay, 31);
        closeEditor(editor, IDCANCEL);
    });
}

TEST_F(AppointmentEditor, TheLastValidDayBecomesAValidAppointment) {
    driveModal(
        LIST_TITLE, [&] { showList(); },
        [&](HWND dialog) {
            const HWND editor = openEditor(dialog, -1);
            ASSERT_NE(editor, nullptr);
            SetDlgItemTextA(editor, IDC_EDIT_TEXT, "Silvester");
            EXPECT_TRUE(setPicker(editor, IDC_EDIT_DATE, SYSTEMTIME{2099, 12, 4, 31, 0, 0, 0, 0}));
            EXPECT_TRUE(
                setPicker(editor, IDC_EDIT_TIME, SYSTEMTIME{2099, 12, 4, 31, 23, 59, 0, 0}));
            closeEditor(editor, IDOK);
            postCommand(dialog, IDOK);
        });
    const auto book = contents(program->book);
    ASSERT_EQ(book.size(), 4u);
    EXPECT_EQ(book[3].text, "Silvester");
    EXPECT_EQ(book[3].alarmTime, latestAlarmTime());
}

// A new working-days series picked on a Saturday starts on Monday; a monthly 31st
// shown on 30 April, confirmed unchanged, stays the 31st through OK and the file.
TEST_F(AppointmentEditor, RepetitionIsChosenShownAndKept) {
    const Recurrence on31st = makeRecurrence(RepeatKind::Monthly, {2030, 1, 31, 8, 0});
    program->book.insert({at("Di., 30.04.2030 08:00"), "Miete", on31st});
    driveModal(
        LIST_TITLE, [&] { showList(); },
        [&](HWND dialog) {
            HWND editor = openEditor(dialog, -1);
            ASSERT_NE(editor, nullptr);
            EXPECT_TRUE(setPicker(editor, IDC_EDIT_DATE, SYSTEMTIME{2030, 3, 6, 16, 0, 0, 0, 0}));
            EXPECT_TRUE(setPicker(editor, IDC_EDIT_TIME, SYSTEMTIME{2030, 3, 6, 16, 7, 30, 0, 0}));
            SendDlgItemMessageA(editor, IDC_EDIT_REPEAT, CB_SETCURSEL, 2, 0); // "werktags"
            closeEditor(editor, IDOK);
            const HWND list = GetDlgItem(dialog, IDC_APPOINTMENTS);
            EXPECT_EQ(listRows(list)[4].time, "Mo., 18.03.2030 07:30");
            EXPECT_EQ(listCellText(list, 4, REPEAT_COLUMN, 32), "werktags");

            editor = openEditor(dialog, 3);
            ASSERT_NE(editor, nullptr);
            EXPECT_EQ(windowText(GetDlgItem(editor, IDC_EDIT_REPEAT)), "monatlich");
            closeEditor(editor, IDOK);
            postCommand(dialog, IDOK);
        });
    const auto book = contents(program->book);
    ASSERT_EQ(book.size(), 5u);
    EXPECT_EQ(book[1].recurrence, makeRecurrence(RepeatKind::Workdays, {2030, 3, 16, 7, 30}));
    EXPECT_EQ(book[4], (Appointment{at("Di., 30.04.2030 08:00"), "Miete", on31st}));
    EXPECT_NE(readWholeFile(appointmentFile()).find("zeit=\"3004300800\" wdh=\"monat 31\""),
              std::string::npos);
}

} // namespace
