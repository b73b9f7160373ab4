// Entry of belvanto.exe: single instance, start-up, message loop, save at the end.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "app/main_window.h"
#include "app/program.h"
#include "store/services_win32.h"
#include "store/settings_store.h"
#include "store/sound_event.h"
#include "store/win32_handle.h"
#include "ui/dialogs.h"

// An exception that escapes (none should: every window procedure catches at its
// boundary) ends the program at once. The library's own handler would describe it on a
// console this program does not have, and would bring a 45 KB name demangler along.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
} // namespace __gnu_cxx

namespace {

constexpr char INSTANCE_MUTEX[] = "quarv_wecker_the_first";

// Followed by the file's path.
constexpr char UNSAVED_TEXT[] = "Sorry!\r\nDie Termine konnten nicht gespeichert werden.\r\n"
                                "Neue und geänderte Termine gehen verloren. Die Termindatei:\r\n";

int startFailure(const char* text) {
    MessageBoxA(nullptr, text, PROGRAM_TITLE, MB_ICONERROR);
    return 0;
}

// Start-up in its order, the message loop, and the last save.
int runProgram(HINSTANCE instance, Services& services) {
    const UniqueHandle mutex(CreateMutexA(nullptr, FALSE, INSTANCE_MUTEX));
    if (!mutex) {
        return startFailure("Startfehler!\r\nKonnte Mutex nicht erzeugen");
    }
    // An abandoned mutex (the first instance died without closing it) is ours now.
    const DWORD wait = WaitForSingleObject(mutex.get(), 0);
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) {
        return startFailure("Programm läuft schon!\r\nGuck mal im Tray nach.");
    }

    Program program(instance, services);
    registerAlarmSound(services.registry);
    loadSettings(services.registry, program.settings);

    // The common controls that the dialogs and the alarm window use are loaded
    // when the first of them opens (loadCommonControls).

    if (!registerMainWindowClass(instance)) {
        return startFailure("Startfehler!\r\nRegisterClass fehlgeschlagen");
    }
    if (!program.createMainWindow()) {
        return startFailure("Startfehler!\r\nCreateWindow fehlgeschlagen");
    }

    AppointmentBook missed;
    program.loadBook(missed);
    if (missed.count() > 0) {
        showMissedAppointments(program.mainWindow, missed, services.clock.today());
        missed.clear();
    }

    if (!program.createTray()) {
        return startFailure("Startfehler!\r\nCreateTrayIcon fehlgeschlagen");
    }
    ShowWindow(program.mainWindow, SW_HIDE);

    if (!program.startAlarm()) {
        program.tray.reset();
        return startFailure("Startfehler!\r\nCreate Timer fehlgeschlagen");
    }
    // Changes that other programs make to the file are followed from now on.
    program.watchFile();

    // No dialog keyboard handling: Tab, Enter and Escape mean nothing in the alarm windows.
    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }

    const bool saved = program.saveAtExit();
    program.tray.reset();
    if (!saved) {
        // The appointments live only in memory now: the user has to know.
        const std::string text = std::string(UNSAVED_TEXT) + program.appointmentFilePath();
        MessageBoxA(nullptr, text.c_str(), PROGRAM_TITLE, MB_ICONERROR);
    }
    ReleaseMutex(mutex.get());
    return static_cast<int>(message.wParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    Services services = systemServices();
    return runProgram(instance, services);
}
