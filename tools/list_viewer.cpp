// Opens the appointment list, the editor, the missed appointments or the about
// box with sample appointments and leaves it open, so that a screenshot can
// show it. Not a test; run it by hand:
//
//   wine explorer /desktop=shot,1024x768 qz_list_viewer.exe MODE
//
// MODE: list, long-list (one text as long as the editor keeps), new, change (a
// monthly row), repeat-open (the editor with its drop-down list open), missed, about.
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <thread>

#include "core/clock.h"
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
    std::thread driver([which] {
        const HWND dialog = waitForDialog("Quarv Revov - Termine");
        if (dialog == nullptr || which.ends_with("list")) {
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
    editAppointments(nullptr, book, systemClock());
    driver.join();
    return 0;
}
