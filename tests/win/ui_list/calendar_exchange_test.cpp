// Import and export in the appointment list under Wine: the two buttons, the system's
// file dialogs, the summary with its German texts, and that only OK of the summary and
// of the list changes the book.
#include <gtest/gtest.h>

#include <windows.h>

#include "list_dialog_helpers.h"
#include "tests/support/rule_patterns.h"
#include "ui/appointment_list_dialog_ids.h"
#include "ui/import_summary_dialog_ids.h"

namespace {

using CalendarExchangeList = ListFixture;

constexpr char EXPORT_TITLE[] = "Termine exportieren";
constexpr char IMPORT_TITLE[] = "Termine importieren";
constexpr char SUMMARY_TITLE[] = "Quarv Zodora - Termine importieren";

std::string temporaryFile(const char* name) {
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name;
}

// Clicks "Importieren…", chooses the file and waits for the summary.
HWND openSummary(HWND list, const std::string& path) {
    click(list, IDC_IMPORT);
    chooseInFileDialog(waitForDialog(IMPORT_TITLE), path);
    return waitForDialog(SUMMARY_TITLE);
}

TEST_F(CalendarExchangeList, ExportedRowsComeBackThroughTheSummaryOnlyOnOk) {
    const std::string path = temporaryFile("qz-termine.ics");
    DeleteFileA(path.c_str());
    // Every two weeks, five times.
    const Recurrence rule =
        makeRecurrence(ending(every(RepeatKind::Weekly, 2), 5), at("Fr., 15.03.2030 09:30"));
    program->book.insert({at("Fr., 15.03.2030 09:30"), "Zahnarzt M\xFCller, Kontrolle", rule});
    driveModal(
        LIST_TITLE, [&] { showList(); },
        [&](HWND list) {
            EXPECT_EQ(itemText(list, IDC_IMPORT), "Importieren\x85");
            EXPECT_EQ(itemText(list, IDC_EXPORT), "Exportieren\x85");
            click(list, IDC_EXPORT);
            chooseInFileDialog(waitForDialog(EXPORT_TITLE), path);
            EXPECT_TRUE(waitFor([&] { return fileExists(path); }));
            sendCommand(list, IDCANCEL);
        });
    const std::string file = readWholeFile(path);
    EXPECT_NE(file.find("SUMMARY:Zahnarzt M\xC3\xBCller\\, Kontrolle\r\n"), std::string::npos)
        << file;
    EXPECT_NE(file.find("BEGIN:VTIMEZONE\r\n"), std::string::npos);
    EXPECT_NE(file.find("RRULE:FREQ=WEEKLY;INTERVAL=2;BYDAY=FR;COUNT=5\r\n"), std::string::npos);
    const AppointmentId id = program->book.earliest().id;
    EXPECT_NE(file.find("UID:" +
                        [id] {
                            char hex[17];
                            wsprintfA(hex, "%08lx%08lx", static_cast<unsigned long>(id >> 32),
                                      static_cast<unsigned long>(id));
                            return std::string(hex);
                        }() +
                        "@quarvzodora\r\n"),
              std::string::npos);

    program->book.clear();
    driveModal(
        LIST_TITLE, [&] { showList(); },
        [&](HWND list) {
            HWND summary = openSummary(list, path);
            EXPECT_EQ(itemText(summary, IDC_SUMMARY_ADDED), "Neue Termine: 1");
            EXPECT_EQ(itemText(summary, IDC_SUMMARY_UPDATED), "Aktualisiert (gleiche UID): 0");
            EXPECT_EQ(itemText(summary, IDC_SUMMARY_UNCHANGED), "Schon vorhanden: 0");
            EXPECT_EQ(itemText(summary, IDC_SUMMARY_PAST), "Vorbei, nicht \xFC"
                                                           "bernommen: 0");
            EXPECT_EQ(itemText(summary, IDC_SUMMARY_NOTES), "(nichts)");
            EXPECT_FALSE(enabled(summary, IDC_SUMMARY_ALL_DAY)) << "no all-day events";
            postCommand(summary, IDCANCEL);
            waitUntilClosed(summary);
            settle();
            EXPECT_TRUE(listRows(GetDlgItem(list, IDC_APPOINTMENTS)).empty());

            summary = openSummary(list, path);
            postCommand(summary, IDOK);
            waitUntilClosed(summary);
            settle();
            const auto rows = listRows(GetDlgItem(list, IDC_APPOINTMENTS));
            ASSERT_EQ(rows.size(), 1u);
            EXPECT_EQ(rows[0].text, "Zahnarzt M\xFCller, Kontrolle");
            EXPECT_EQ(rows[0].time, "Fr., 15.03.2030 09:30");
            postCommand(list, IDOK);
        });
    ASSERT_EQ(program->book.count(), 1);
    EXPECT_EQ(program->book.earliest().alarmTime, at("Fr., 15.03.2030 09:30"));
    EXPECT_EQ(program->book.earliest().recurrence, rule);

    // Saved in the user's own file, the appointment holds the identity its content gives;
    // the same file imported again still finds it there.
    driveModal(
        LIST_TITLE, [&] { showList(); },
        [&](HWND list) {
            const HWND summary = openSummary(list, path);
            EXPECT_EQ(itemText(summary, IDC_SUMMARY_ADDED), "Neue Termine: 0");
            EXPECT_EQ(itemText(summary, IDC_SUMMARY_UNCHANGED), "Schon vorhanden: 1");
            postCommand(summary, IDCANCEL);
            waitUntilClosed(summary);
            sendCommand(list, IDCANCEL);
        });
    DeleteFileA(path.c_str());
}

TEST_F(CalendarExchangeList, AFileThatIsNoCalendarIsRefusedWithAMessage) {
    const std::string path = temporaryFile("qz-kein-kalender.ics");
    ASSERT_TRUE(writeWholeFile(path, "<quarvwecker/>"));
    driveModal(
        LIST_TITLE, [&] { showList(); },
        [&](HWND list) {
            click(list, IDC_IMPORT);
            chooseInFileDialog(waitForDialog(IMPORT_TITLE), path);
            const HWND box = waitForDialog("Quarv Zodora - Termine");
            EXPECT_EQ(messageText(box),
                      "Sorry!\r\nDas ist keine iCalendar-Datei (.ics):\r\n" + path);
            answer(box, IDOK);
            waitUntilClosed(box);
            sendCommand(list, IDCANCEL);
        });
    EXPECT_EQ(program->book.count(), 0);
    DeleteFileA(path.c_str());
}

} // namespace
