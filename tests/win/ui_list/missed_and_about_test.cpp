// The missed appointments and the about box under Wine: their texts, and that
// only OK (or Enter) closes them.
#include <gtest/gtest.h>

#include "list_dialog_helpers.h"
#include "res/version.h"
#include "store/appointment_file.h"
#include "tests/support/appointment_files.h"
#include "ui/appointment_list_dialog_ids.h"
#include "ui/dialogs.h"
#include "ui/list_view_cells.h"

namespace {

constexpr char MISSED_TITLE[] = "Quarv Zodora - verdaddelte Termine";
constexpr char ABOUT_TITLE[] = "\xFC"
                               "ber Quarv Zodora";

using MissedAppointments = ListFixture;
using AboutBox = ListFixture;

// Presses a key or sends a command, and reports whether the dialog is still open.
bool staysOpen(HWND dialog) {
    settle();
    return IsWindow(dialog) && IsWindowVisible(dialog);
}

TEST_F(MissedAppointments, ShowsTheMissedBookReadOnly) {
    AppointmentBook missed;
    const TimeValue yesterday = thisMinute() - 24 * 3600;
    missed.insert(yesterday, std::string(100, 'm'));
    missed.insert(yesterday - 60, "Friseur");
    program->book.insert(at("Fr., 15.03.2030 09:30"), "eins");
    driveModal(
        MISSED_TITLE, [&] { showMissedAppointments(program->mainWindow, missed, clock.today()); },
        [&](HWND dialog) {
            EXPECT_EQ(windowText(dialog), MISSED_TITLE);
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_NEW)));
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDCANCEL)));
            EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
            EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_LIST_HINT)));
            const auto rows = listRows(GetDlgItem(dialog, IDC_APPOINTMENTS));
            ASSERT_EQ(rows.size(), 2u);
            EXPECT_EQ(rows[0].text, "Friseur");
            EXPECT_EQ(rows[0].time, timeToDisplay(yesterday - 60, clock.today()));
            EXPECT_EQ(rows[1].text, std::string(63, 'm'));

            EXPECT_TRUE(sendDoubleClickAndReturn(dialog, IDC_APPOINTMENTS, 0))
                << "a double click opened a dialog";
            pressKey(dialog, VK_ESCAPE);
            EXPECT_TRUE(staysOpen(dialog)) << "Escape";
            sendCommand(dialog, IDCANCEL);
            EXPECT_TRUE(staysOpen(dialog)) << "cancel command";
            PostMessageA(dialog, WM_CLOSE, 0, 0);
            EXPECT_TRUE(staysOpen(dialog)) << "close box";
            pressKey(dialog, VK_RETURN);
        });
    EXPECT_EQ(missed.count(), 2) << "the caller's book is only read";
    const auto book = contents(program->book);
    ASSERT_EQ(book.size(), 1u);
    EXPECT_EQ(book[0].text, "eins");
    EXPECT_TRUE(ticksSeen().empty());
}

// A daily pill not taken for three weeks while the program did not run: one row,
// its last passed occurrence, and the series stays in the book at its next.
TEST_F(MissedAppointments, ADailyAppointmentMissedForWeeksIsOneRow) {
    clock.set(at("Mo., 01.07.2030 12:00"), LocalDate{2030, 7, 1, 1});
    const TimeValue weeksAgo = at("Mo., 10.06.2030 11:00");
    const Recurrence daily = makeRecurrence(RepeatKind::Daily, weeksAgo);
    program->book.insert({weeksAgo, "Pille", daily});
    program->saveBook();
    program->book.clear();
    AppointmentBook missed;
    ASSERT_TRUE(loadAppointments(services.files, program->settings, clock.currentTime(),
                                 program->book, missed));
    driveModal(
        MISSED_TITLE, [&] { showMissedAppointments(program->mainWindow, missed, clock.today()); },
        [&](HWND dialog) {
            const HWND list = GetDlgItem(dialog, IDC_APPOINTMENTS);
            const auto rows = listRows(list);
            ASSERT_EQ(rows.size(), 1u);
            EXPECT_EQ(rows[0].time, "ht., 01.07.2030 11:00");
            EXPECT_EQ(listCellText(list, 0, REPEAT_COLUMN, 32), "t\xE4glich");
            pressKey(dialog, VK_RETURN);
        });
    EXPECT_EQ(contents(program->book),
              (std::vector<Appointment>{{at("Di., 02.07.2030 11:00"), "Pille", daily}}));
}

TEST_F(MissedAppointments, OkButtonCloses) {
    AppointmentBook missed;
    missed.insert(thisMinute() - 3600, "Bus");
    driveModal(
        MISSED_TITLE, [&] { showMissedAppointments(program->mainWindow, missed, clock.today()); },
        [&](HWND dialog) { SendDlgItemMessageA(dialog, IDOK, BM_CLICK, 0, 0); });
}

TEST_F(AboutBox, ShowsItsTextsAndIgnoresEscape) {
    driveModal(
        ABOUT_TITLE, [&] { showAbout(program->mainWindow); },
        [&](HWND dialog) {
            EXPECT_EQ(windowText(dialog), ABOUT_TITLE);
            EXPECT_EQ(GetWindowLongPtrA(dialog, GWL_STYLE) & WS_SYSMENU, 0) << "no close box";
            const auto texts = childTexts(dialog);
            ASSERT_EQ(texts.size(), 6u);
            EXPECT_TRUE(texts[0].starts_with("Static:"));
            EXPECT_NE(SendMessageA(GetWindow(dialog, GW_CHILD), STM_GETICON, 0, 0), 0)
                << "the program's icon";
            EXPECT_EQ(texts[1], "Static:Quarv Zodora");
            EXPECT_EQ(texts[2], "Static:Ein kleiner Helfer um Termine nicht zu verdaddeln");
            EXPECT_EQ(texts[3], "Static:Version " QZ_VERSION_TEXT);
            EXPECT_EQ(texts[4], "Static:\xA9 2026 Quarv Zodora");
            EXPECT_EQ(texts[5], "Button:OK");

            pressKey(dialog, VK_ESCAPE);
            EXPECT_TRUE(staysOpen(dialog)) << "Escape";
            pressKey(dialog, VK_RETURN);
        });
}

TEST_F(AboutBox, OkButtonCloses) {
    driveModal(
        ABOUT_TITLE, [&] { showAbout(program->mainWindow); },
        [&](HWND dialog) { SendDlgItemMessageA(dialog, IDOK, BM_CLICK, 0, 0); });
}

} // namespace
