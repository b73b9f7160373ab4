// Opens the appointment list, the editor, the missed appointments or the about
// box with sample appointments and leaves it open, so that a screenshot can
// show it. Not a test; run it by hand:
//
//   wine explorer /desktop=shot,1024x768 qz_list_viewer.exe MODE
//
// MODE: list, long-list (one text as long as the editor keeps), new, change (a
// monthly row), repeat-open (the editor with its drop-down list open), custom (the
// editor of a row that only the dialog "Wiederholung" can say), repeat-weekly,
// repeat-monthly, repeat-yearly (that dialog from such a row's editor), repeat-new
// (that dialog for a new appointment), skip-menu (the context menu of a series' row),
// missed, about, export (the save dialog), import (the open dialog), summary (the
// summary of an import of a sample calendar).
#include <windows.h>

#include <commctrl.h>

#include <ctime>
#include <string>
#include <thread>
#include <vector>

#include "core/calendar.h"
#include "core/clock.h"
#include "store/services_win32.h"
#include "tests/support/window_driver.h"
#include "ui/appointment_editor_ids.h"
#include "ui/appointment_list_dialog_ids.h"
#include "ui/dialogs.h"

namespace {

void insertSeries(AppointmentBook& book, TimeValue time, const char* text,
                  const Recurrence& pattern) {
    const Recurrence rule = makeRecurrence(pattern, time);
    book.insert({firstAlarmTime(rule, time), text, rule});
}

void insertSeries(AppointmentBook& book, TimeValue time, const char* text, RepeatKind kind) {
    insertSeries(book, time, text, Recurrence{kind});
}

// Every two weeks on Tuesday and Thursday until the end of next year, the last Friday
// ten times, every three months.
void insertCustomSeries(AppointmentBook& book, TimeValue now) {
    std::tm local{};
    timeToLocal(now, local);
    Recurrence rubbish{RepeatKind::Weekly};
    rubbish.interval = 2;
    rubbish.weekdays = weekdayBit(2) | weekdayBit(4);
    rubbish.until = static_cast<std::uint32_t>((local.tm_year + 1901) * 10000 + 1231);
    insertSeries(book, now + 12 * 24 * 3600 - 3 * 3600, "M\xFCllabfuhr", rubbish);
    Recurrence regulars{RepeatKind::Monthly};
    regulars.week = LAST_WEEK;
    regulars.weekdays = weekdayBit(5);
    regulars.count = 10;
    insertSeries(book, now + 15 * 24 * 3600 + 5 * 3600, "Stammtisch", regulars);
    Recurrence filter{RepeatKind::Monthly};
    filter.interval = 3;
    insertSeries(book, now + 20 * 24 * 3600, "Filter wechseln", filter);
}

// The row of the list with that text; -1 when there is none.
int rowWithText(HWND list, const std::string& text) {
    const std::vector<ListRow> rows = listRows(list);
    for (std::size_t row = 0; row < rows.size(); ++row) {
        if (rows[row].text == text) {
            return static_cast<int>(row);
        }
    }
    return -1;
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
    insertCustomSeries(book, now);
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
    "BEGIN:VEVENT\r\nUID:a6@beispiel\r\nDTSTART:20290125T190000\r\n"
    "RRULE:FREQ=MONTHLY;BYDAY=TH;BYSETPOS=-1;UNTIL=20311231T180000Z\r\n"
    "SUMMARY:Elternabend\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nUID:a8@beispiel\r\nDTSTART:20260105T190000\r\n"
    "RRULE:FREQ=WEEKLY;COUNT=100\r\nSUMMARY:Yoga\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nUID:a7@beispiel\r\nDTSTART:20300130T160000\r\n"
    "RRULE:FREQ=MONTHLY;BYDAY=MO,TU,WE,TH,FR;BYSETPOS=-1\r\nSUMMARY:Monatsabschluss\r\n"
    "END:VEVENT\r\n"
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
        const HWND list = GetDlgItem(dialog, IDC_APPOINTMENTS);
        if (which == "repeat-new") {
            PostMessageA(dialog, WM_COMMAND, IDC_NEW, 0);
            const HWND editor = waitForDialog("Quarv Zodora - neuer Termin");
            Sleep(1000);
            PostMessageA(editor, WM_COMMAND, IDC_EDIT_REPEAT_MORE, 0);
            return;
        }
        const std::string row =
            which == "repeat-monthly"  ? "Stammtisch"
            : which == "repeat-yearly" ? "Geburtstag Gro\xDFmutter"
            : which == "repeat-weekly" || which == "custom" || which == "skip-menu"
                ? "M\xFCllabfuhr"
                : "";
        if (which == "skip-menu") {
            // Once the list is active: its activation would close the menu.
            Sleep(1000);
            const int at = rowWithText(list, row);
            RECT item{};
            item.left = LVIR_LABEL;
            SendMessageA(list, LVM_GETITEMRECT, at, reinterpret_cast<LPARAM>(&item));
            POINT point{item.left + 20, (item.top + item.bottom) / 2};
            ClientToScreen(list, &point);
            PostMessageA(dialog, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list),
                         MAKELPARAM(point.x, point.y));
            return;
        }
        if (!row.empty()) {
            postDoubleClick(dialog, IDC_APPOINTMENTS, rowWithText(list, row));
            if (which != "custom") {
                const HWND editor = waitForDialog("Quarv Zodora - Termin \xE4ndern");
                Sleep(1000);
                PostMessageA(editor, WM_COMMAND, IDC_EDIT_REPEAT_MORE, 0);
            }
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
