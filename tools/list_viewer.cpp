// Opens the appointment list, the editor, the missed appointments or the about
// box with sample appointments and leaves it open, so that a screenshot can
// show it. Not a test; run it by hand:
//
//   wine explorer /desktop=shot,1024x768 qz_list_viewer.exe list|new|change|missed|about
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <thread>

#include "core/clock.h"
#include "tests/support/window_driver.h"
#include "ui/appointment_list_dialog_ids.h"
#include "ui/dialogs.h"

namespace {

void fillSample(AppointmentBook& book) {
    const TimeValue now = systemClock().currentTime() / 60 * 60;
    book.insert(now + 3600, "Zahnarzt Dr. Müller");
    book.insert(now + 26 * 3600, "Bäckerei: Brötchen für die Weihnachtsfeier abholen");
    book.insert(now + 3 * 24 * 3600, "Übergabe der Schlüssel");
    book.insert(now + 9 * 24 * 3600 + 1800, "Geburtstag Großmutter");
}

} // namespace

int main(int argc, char** argv) {
    const std::string which = argc > 1 ? argv[1] : "list";
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_DATE_CLASSES};
    InitCommonControlsEx(&controls);
    AppointmentBook book;
    fillSample(book);
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
        showMissedAppointments(nullptr, missed, today);
        return 0;
    }
    std::thread driver([which] {
        const HWND dialog = waitForDialog("Quarv Revov - Termine");
        if (dialog == nullptr || which == "list") {
            return;
        }
        if (which == "new") {
            PostMessageA(dialog, WM_COMMAND, IDC_NEW, 0);
            return;
        }
        postDoubleClick(dialog, IDC_APPOINTMENTS, 1);
    });
    editAppointments(nullptr, book, today);
    driver.join();
    return 0;
}
