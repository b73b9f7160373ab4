// Opens the appointment list, the editor, the missed appointments or the about
// box with sample appointments and leaves it open, so that a screenshot can
// show it. Not a test; run it by hand:
//
//   wine explorer /desktop=shot,1024x768 qz_list_viewer.exe MODE
//
// MODE: list, long-list (one text as long as the editor keeps), new, change (a
// monthly row), repeat-open (the editor with its drop-down list open), missed, about,
// export (the save dialog), import (the open dialog), summary (the summary of an import
// of a sample calendar).
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <thread>

#include "core/clock.h"
#include "store/services_win32.h"
#include "tests/support/window_driver.h"
#include "ui/appointment_editor_ids.h"
#include "ui/appointment_list_dialog_ids.h"
#include "ui/dialogs.h"

namespace {

void insertSeries(AppointmentBook& book, TimeValue time, const char* text, RepeatKind kind) {
    const Recurrence rule = makeRecurrence(kind, time);
    book.insert({firstAlarmTime(rule, time), text, rule});
}

void fillSample(AppointmentBook& book, bool longText) {
    const TimeValue now = systemClock().currentTime() / 60 * 60;
    book.insert(now + 3600, "Zahnarzt Dr. Müller");
    book.insert(now + 26 * 3600, longText ? "Bäckerei: Brötchen für die Weihnachtsfeier abholen"
                                          : "Bäckerei: Brötchen abholen");
    book.insert(now + 3 * 24 * 3600, "Übergabe der Schlüssel");
    insertSeries(book, now + 9 * 24 * 3600 + 1800, "Geburtstag Großmutter", RepeatKind::Yearly);
    insertSeries(book, now + 2 * 3600, "Tablette nehmen", RepeatKind::Daily);
    insertSeries(book, now + 50 * 3600, "Teambesprechung", RepeatKind::Weekly);
    insertSeries(book, now + 4 * 24 * 3600, "Miete überweisen", RepeatKind::Monthly);
    insertSeries(book, now + 5 * 24 * 3600, "Bus zur Arbeit", RepeatKind::Workdays);
}

// A calendar as another program writes one: what comes in, what is there already, and
// what the program can carry only approximately or not at all.
constexpr char SAMPLE_CALENDAR[] =
    "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Beispiel//DE\r\n"
    "BEGIN:VEVENT\r\nUID:a1@beispiel\r\nDTSTART;VALUE=DATE:20301224\r\n"
    "SUMMARY:Heiligabend bei Gro\xC3\x9Fmutter\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nUID:a2@beispiel\r\nDTSTART:20300115T170000Z\r\n"
    "RRULE:FREQ=WEEKLY;INTERVAL=2;BYDAY=TU\r\nSUMMARY:M\xC3\xBClltonne rausstellen\r\n"
    "END:VEVENT\r\n"
    "BEGIN:VEVENT\r\nUID:a3@beispiel\r\nDTSTART:20300301T080000Z\r\n"
    "RRULE:FREQ=MONTHLY;COUNT=6\r\nSUMMARY:Filter wechseln \xE2\x9C\x94\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nUID:a4@beispiel\r\nDTSTART:20300401T080000Z\r\n"
    "STATUS:CANCELLED\r\nSUMMARY:Abgesagtes Treffen\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nUID:a5@beispiel\r\nDTSTART:20200401T080000Z\r\n"
    "SUMMARY:Alter Termin\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";

std::string sampleCalendarFile() {
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder) + "Beispiel.ics";
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, SAMPLE_CALENDAR, sizeof SAMPLE_CALENDAR - 1, &written, nullptr);
    CloseHandle(file);
    return path;
}

} // namespace

int main(int argc, char** argv) {
    const std::string which = argc > 1 ? argv[1] : "list";
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_DATE_CLASSES};
    InitCommonControlsEx(&controls);
    AppointmentBook book;
    fillSample(book, which == "long-list");
    const TimeValue now = systemClock().currentTime() / 60 * 60;
    const LocalDate today = systemClock().today();

    if (which == "about") {
        showAbout(nullptr);
        return 0;
    }
    if (which == "missed") {
        AppointmentBook missed;
        missed.insert(now - 2 * 3600, "Friseur");
        missed.insert(now - 26 * 3600, "Telefonat mit Frau Schäfer");
        missed.insert({now - 5 * 3600, "Tablette nehmen", makeRecurrence(RepeatKind::Daily, now)});
        showMissedAppointments(nullptr, missed, today);
        return 0;
    }
    const std::string sample = which == "summary" ? sampleCalendarFile() : std::string();
    std::thread driver([which, sample] {
        const HWND dialog = waitForDialog("Quarv Revov - Termine");
        if (dialog == nullptr || which.ends_with("list")) {
            return;
        }
        if (which == "export") {
            PostMessageA(dialog, WM_COMMAND, IDC_EXPORT, 0);
            return;
        }
        if (which == "import" || which == "summary") {
            PostMessageA(dialog, WM_COMMAND, IDC_IMPORT, 0);
            if (which == "summary") {
                chooseInFileDialog(waitForDialog("Termine importieren"), sample);
            }
            return;
        }
        if (which == "new") {
            PostMessageA(dialog, WM_COMMAND, IDC_NEW, 0);
            return;
        }
        // The monthly row, sixth in time.
        postDoubleClick(dialog, IDC_APPOINTMENTS, 5);
        if (which == "repeat-open") {
            const HWND editor = waitForDialog("Quarv Zodora - Termin \xE4ndern");
            // Once the editor is active: activating it later would cover the list.
            Sleep(1000);
            PostMessageA(GetDlgItem(editor, IDC_EDIT_REPEAT), CB_SHOWDROPDOWN, TRUE, 0);
        }
    });
    CalendarExchange exchange{systemFileSystem(), 10};
    editAppointments(nullptr, book, systemClock(), &exchange);
    driver.join();
    return 0;
}
