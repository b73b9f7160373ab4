// The appointment list under Wine: filling, the commit with its save and the
// wake of the alarm, editing rows through the editor, and "Abbrechen".
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include "core/recurrence.h"
#include "list_dialog_helpers.h"
#include "ui/appointment_editor_ids.h"
#include "ui/appointment_list_dialog_ids.h"
#include "ui/appointment_rows.h"

namespace {

using AppointmentList = ListFixture;

HWND listOf(HWND dialog) {
    return GetDlgItem(dialog, IDC_APPOINTMENTS);
}

TEST_F(AppointmentList, ShowsItsTemplateTextsAndTheBookInOrder) {
    const TimeValue today = thisMinute();
    program->book.insert(at("Fr., 15.03.2030 09:30"), "Zahnarzt");
    program->book.insert(today, "B\xE4"
                                "cker");
    program->book.insert(at("Sa., 16.03.2030 10:00"), std::string(200, 'x'));
    driveModal(
        LIST_TITLE, [&] { showList(); },
        [&](HWND dialog) {
            EXPECT_EQ(windowText(dialog), LIST_TITLE);
            EXPECT_EQ(childTexts(dialog),
                      (std::vector<std::string>{
                          "Static:Zum \xC4ndern und/oder L\xF6schen: Doppelklick auf den Termin",
                          "SysListView32:", "Button:OK", "Button:Abbrechen", "Button:Neu",
                          "Button:Importieren\x85", "Button:Exportieren\x85"}));
            EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_NEW)));
            EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDCANCEL)));
            EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, IDC_LIST_HINT)));

            const HWND list = listOf(dialog);
            char header[32] = {};
            LVCOLUMNA column{};
            column.mask = LVCF_TEXT | LVCF_WIDTH;
            column.pszText = header;
            column.cchTextMax = sizeof header;
            SendMessageA(list, LVM_GETCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
            EXPECT_STREQ(header, "Text");
            EXPECT_EQ(column.cx, 250);
            SendMessageA(list, LVM_GETCOLUMNA, 1, reinterpret_cast<LPARAM>(&column));
            EXPECT_STREQ(header, "Alarmzeit");
            const int timeWidth = column.cx;
            SendMessageA(list, LVM_GETCOLUMNA, 2, reinterpret_cast<LPARAM>(&column));
            EXPECT_STREQ(header, "Wiederholung");
            RECT client{};
            GetClientRect(list, &client);
            EXPECT_EQ(250 + timeWidth + column.cx, client.right)
                << "the last column fills the list";

            const auto rows = listRows(list);
            ASSERT_EQ(rows.size(), 3u);
            EXPECT_EQ(rows[0].text, "B\xE4"
                                    "cker");
            EXPECT_EQ(rows[0].time, timeToDisplay(today, clock.today()));
            EXPECT_EQ(rows[0].time.substr(0, 2), "ht");
            EXPECT_EQ(rows[1].text, "Zahnarzt");
            EXPECT_EQ(rows[1].time, "Fr., 15.03.2030 09:30");
            EXPECT_EQ(rows[2].text, std::string(127, 'x'));
            sendCommand(dialog, IDCANCEL);
        });
}

// The widths the columns are fitted with are those the list view gives when it
// measures every row itself (LVSCW_AUTOSIZE), wherever the widest cells stand.
TEST_F(AppointmentList, ColumnsFitTheWidestCellsOfAllRows) {
    const TimeValue first = at("Mo., 04.03.2030 09:00");
    for (int i = 0; i < 60; ++i) {
        program->book.insert(first + i * 86400, "Termin " + std::to_string(i));
    }
    program->book.insert(first + 30 * 86400 + 60, "Zahnarztpraxis Dr. W\xF6hrle am Marktplatz");
    program->book.insert(thisMinute(), "heute");
    const TimeValue weekly = first + 40 * 86400 + 120;
    program->book.insert({weekly, "Chor", makeRecurrence(RepeatKind::Weekly, weekly)});
    driveModal(
        LIST_TITLE, [&] { showList(); },
        [&](HWND dialog) {
            const HWND list = listOf(dialog);
            int fitted[3] = {};
            for (int column = 0; column < 3; ++column) {
                fitted[column] =
                    static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, column, 0));
            }
            RECT client{};
            GetClientRect(list, &client);
            // Each header shows whole with 7 pixels on either side.
            const auto needs = [&](int column, const char* header) {
                SendMessageA(list, LVM_SETCOLUMNWIDTH, column, LVSCW_AUTOSIZE);
                const auto cells =
                    static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, column, 0));
                const auto headerWidth =
                    header == nullptr
                        ? 0
                        : static_cast<int>(SendMessageA(list, LVM_GETSTRINGWIDTHA, 0,
                                                        reinterpret_cast<LPARAM>(header))) +
                              14;
                return std::max(cells, headerWidth);
            };
            // The only series' word, "wöchentlich", is all the repetition shows.
            const int words = needs(2, "Wiederholung");
            const ColumnNeeds measured{needs(0, nullptr), needs(1, "Alarmzeit"), words, true,
                                       words};
            ASSERT_LT(measured.text, 250) << "the widest text must not reach the limit";
            const ColumnWidths expected = fitColumnWidths(client.right, 250, measured);
            EXPECT_EQ(fitted[0], expected.text);
            EXPECT_EQ(fitted[1], expected.time);
            EXPECT_EQ(fitted[2], expected.repeat);
            sendCommand(dialog, IDCANCEL);
        });
}

TEST_F(AppointmentList, OkWhileOffSavesTheRowsCutTo63AndPostsNoTick) {
    const TimeValue past = thisMinute() - 3600;
    program->book.insert(past, std::string(100, 'p'));
    driveModal(
        LIST_TITLE, [&] { showList(); }, [&](HWND dialog) { postCommand(dialog, IDOK); });
    pumpMessages();
    const auto book = contents(program->book);
    ASSERT_EQ(book.size(), 1u);
    EXPECT_EQ(book[0].alarmTime, past) << "a past row is committed unchanged";
    EXPECT_EQ(book[0].text, std::string(63, 'p'));
    EXPECT_EQ(program->alarmTimer, AlarmOff);
    EXPECT_TRUE(ticksSeen().empty());
    const auto saved = savedAppointments();
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0].text, std::string(63, 'p'));
}

TEST_F(AppointmentList, OkWithAnEmptyBookSavesAnEmptyFile) {
    program->alarmTimer = AlarmSleeping;
    driveModal(
        LIST_TITLE, [&] { showList(); },
        [&](HWND dialog) {
            EXPECT_TRUE(listRows(listOf(dialog)).empty());
            postCommand(dialog, IDOK);
        });
    pumpMessages();
    EXPECT_EQ(program->book.count(), 0);
    EXPECT_EQ(program->alarmTimer, AlarmSleeping) << "nothing to watch: the alarm sleeps on";
    EXPECT_TRUE(ticksSeen().empty());
    EXPECT_TRUE(appointmentFileExists());
    EXPECT_TRUE(savedAppointments().empty());
}

TEST_F(AppointmentList, OkWakesASleepingAlarmAndTicksAtOnce) {
    program->alarmTimer = AlarmSleeping;
    driveModal(
        LIST_TITLE, [&] { showList(); },
        [&](HWND dialog) {
            HWND editor = openEditor(dialog, -1);
            ASSERT_NE(editor, nullptr);
            SetDlgItemTextA(editor, IDC_EDIT_TEXT, "Zahnarzt");
            SYSTEMTIME date{2030, 3, 5, 15, 0, 0, 0, 0};
            SendDlgItemMessageA(editor, IDC_EDIT_DATE, DTM_SETSYSTEMTIME, GDT_VALID,
                                reinterpret_cast<LPARAM>(&date));
            closeEditor(editor, IDOK);
            postCommand(dialog, IDOK);
        });
    pumpMessages();
    EXPECT_EQ(program->alarmTimer, TICK_TIMER_ID);
    EXPECT_EQ(ticksSeen(), std::vector<std::string>{"Zahnarzt"});
    EXPECT_EQ(program->book.count(), 1);
    EXPECT_NE(program->shownStatus().tooltip.find("Zahnarzt"), std::string::npos)
        << "the tray names the new earliest appointment";
}

TEST_F(AppointmentList, EqualTimesComeBackInReverseAndIdenticalRowsStayTwo) {
    const TimeValue t = at("Fr., 15.03.2030 09:30");
    program->book.insert(t, "erster");
    program->book.insert(t, "zweiter");
    program->book.insert(t + 60, "gleich");
    program->book.insert(t + 60, "gleich");
    program->alarmTimer = TICK_TIMER_ID; // running, without a real timer
    driveModal(
        LIST_TITLE, [&] { showList(); }, [&](HWND dialog) { postCommand(dialog, IDOK); });
    pumpMessages();
    EXPECT_EQ(ticksSeen(), std::vector<std::string>{"zweiter"}) << "one immediate tick";
    driveModal(
        LIST_TITLE, [&] { showList(); },
        [&](HWND dialog) {
            const auto rows = listRows(listOf(dialog));
            ASSERT_EQ(rows.size(), 4u);
            EXPECT_EQ(rows[0].text, "zweiter");
            EXPECT_EQ(rows[1].text, "erster");
            EXPECT_EQ(rows[2].text, "gleich");
            EXPECT_EQ(rows[3].text, "gleich");
            sendCommand(dialog, IDCANCEL);
        });
}

TEST_F(AppointmentList, AnAppointmentDueWhileOpenComesBackOnOk) {
    const TimeValue past = thisMinute() - 120;
    program->book.insert(past, "Bus");
    program->alarmTimer = TICK_TIMER_ID;
    driveModal(
        LIST_TITLE, [&] { showList(); },
        [&](HWND dialog) {
            SendMessageA(program->mainWindow, WM_TIMER, TICK_TIMER_ID, 0);
            EXPECT_EQ(program->book.count(), 0) << "the tick took it out";
            EXPECT_EQ(ownedWindows().size(), 2u) << "the list and an alarm window";
            EXPECT_EQ(listRows(listOf(dialog)).size(), 1u) << "the list still shows it";
            postCommand(dialog, IDOK);
        });
    pumpMessages();
    // The immediate tick after OK found it back in the book and alarmed it again.
    EXPECT_EQ(ticksSeen(), (std::vector<std::string>{"Bus", "Bus"}));
    EXPECT_EQ(ownedWindows().size(), 2u) << "two alarm windows";
    EXPECT_EQ(program->book.count(), 0);
}

// A daily series falls due while the list shows it; OK with its row kept, then
// with its row deleted.
TEST_F(AppointmentList, ASeriesDueWhileOpenIsTheSeriesInTheRows) {
    const TimeValue past = thisMinute() - 120;
    const Recurrence daily = makeRecurrence(RepeatKind::Daily, past);
    program->alarmTimer = TICK_TIMER_ID;
    for (const bool deleteRow : {false, true}) {
        program->book.clear();
        program->book.insert({past, "Pille", daily});
        driveModal(
            LIST_TITLE, [&] { showList(); },
            [&](HWND dialog) {
                SendMessageA(program->mainWindow, WM_TIMER, TICK_TIMER_ID, 0);
                if (deleteRow) {
                    closeEditor(openEditor(dialog, 0), IDC_DELETE);
                }
                postCommand(dialog, IDOK);
            });
        pumpMessages();
        EXPECT_EQ(ownedWindows().size(), 1u) << "alarmed once; deleted: " << deleteRow;
        const auto book = contents(program->book);
        if (deleteRow) {
            EXPECT_TRUE(book.empty()) << "the series is gone";
        } else {
            ASSERT_EQ(book.size(), 1u) << "the next occurrence, once";
            EXPECT_GT(book[0].alarmTime, thisMinute());
            EXPECT_EQ(book[0].recurrence, daily);
        }
        for (HWND window : ownedWindows()) {
            DestroyWindow(window);
        }
    }
}

TEST_F(AppointmentList, AbbrechenLeavesTheBookAsTheSchedulerLeftIt) {
    program->book.insert(thisMinute() - 120, "Bus");
    program->book.insert(at("Fr., 15.03.2030 09:30"), "Zahnarzt");
    program->alarmTimer = TICK_TIMER_ID;
    driveModal(
        LIST_TITLE, [&] { showList(); },
        [&](HWND dialog) {
            SendMessageA(program->mainWindow, WM_TIMER, TICK_TIMER_ID, 0);
            sendCommand(dialog, IDCANCEL);
        });
    pumpMessages();
    const auto book = contents(program->book);
    ASSERT_EQ(book.size(), 1u);
    EXPECT_EQ(book[0].text, "Zahnarzt");
    EXPECT_EQ(ticksSeen().size(), 1u) << "no tick of its own";
}

TEST_F(AppointmentList, AbbrechenDropsEveryEdit) {
    program->book.insert(at("Fr., 15.03.2030 09:30"), "eins");
    program->book.insert(at("Sa., 16.03.2030 09:30"), "zwei");
    driveModal(
        LIST_TITLE, [&] { showList(); },
        [&](HWND dialog) {
            const HWND list = listOf(dialog);
            HWND editor = openEditor(dialog, 0);
            ASSERT_NE(editor, nullptr);
            closeEditor(editor, IDC_DELETE);
            auto rows = listRows(list);
            ASSERT_EQ(rows.size(), 1u) << "deleted without a question";
            EXPECT_EQ(rows[0].text, "zwei");

            editor = openEditor(dialog, -1);
            ASSERT_NE(editor, nullptr);
            SetDlgItemTextA(editor, IDC_EDIT_TEXT, "neu");
            closeEditor(editor, IDOK);
            editor = openEditor(dialog, 0);
            ASSERT_NE(editor, nullptr);
            SetDlgItemTextA(editor, IDC_EDIT_TEXT, "anders");
            closeEditor(editor, IDOK);
            rows = listRows(list);
            ASSERT_EQ(rows.size(), 2u);
            EXPECT_EQ(rows[0].text, "anders");
            EXPECT_EQ(rows[1].text, "neu");

            pressKey(dialog, VK_ESCAPE);
        });
    const auto book = contents(program->book);
    ASSERT_EQ(book.size(), 2u);
    EXPECT_EQ(book[0].text, "eins");
    EXPECT_EQ(book[1].text, "zwei");
    EXPECT_FALSE(appointmentFileExists()) << "nothing saved";
}

TEST_F(AppointmentList, DoubleClickBesideTheRowsOpensNothing) {
    program->book.insert(at("Fr., 15.03.2030 09:30"), "eins");
    driveModal(
        LIST_TITLE, [&] { showList(); },
        [&](HWND dialog) {
            EXPECT_TRUE(sendDoubleClickAndReturn(dialog, IDC_APPOINTMENTS, -1))
                << "the double click opened a dialog";
            EXPECT_EQ(FindWindowA(nullptr, CHANGE_TITLE), nullptr);
            EXPECT_EQ(listRows(listOf(dialog)).size(), 1u);
            sendCommand(dialog, IDCANCEL);
        });
}

} // namespace
