// Opens the appointment list, the editor, the missed appointments or the about
// box with sample appointments and leaves it open, so that a screenshot can
// show it. Not a test; run it by hand:
//
//   wine explorer /desktop=shot,1024x768 qz_list_viewer.exe list|new|change|missed|about
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <thread>

#include "app/program.h"
#include "core/calendar.h"
#include "ui/appointment_list_dialog_ids.h"
#include "ui/dialogs.h"

namespace {

HWND waitForDialog(const char* title) {
    for (int i = 0; i < 1500; ++i) {
        const HWND found = FindWindowA("#32770", title);
        if (found != nullptr && IsWindowVisible(found)) {
            return found;
        }
        Sleep(20);
    }
    return nullptr;
}

void fillSample(AppointmentBook& book) {
    const TimeValue now = currentTime() / 60 * 60;
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
    program::setInstance(GetModuleHandleA(nullptr));
    fillSample(program::book());

    if (which == "about") {
        showAbout(nullptr);
        return 0;
    }
    if (which == "missed") {
        AppointmentBook missed;
        missed.insert(currentTime() / 60 * 60 - 2 * 3600, "Friseur");
        missed.insert(currentTime() / 60 * 60 - 26 * 3600, "Telefonat mit Frau Schäfer");
        showMissedAppointments(nullptr, missed);
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
        static NMITEMACTIVATE click{};
        click.hdr.hwndFrom = GetDlgItem(dialog, IDC_APPOINTMENTS);
        click.hdr.idFrom = IDC_APPOINTMENTS;
        click.hdr.code = NM_DBLCLK;
        click.iItem = 1;
        PostMessageA(dialog, WM_NOTIFY, IDC_APPOINTMENTS, reinterpret_cast<LPARAM>(&click));
    });
    showAppointmentList(nullptr);
    driver.join();
    return 0;
}
