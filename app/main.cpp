// Entry of belvanto.exe: single instance, start-up, message loop, save at the end.
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <new>

#include "app/main_window.h"
#include "app/program.h"
#include "app/tray_status.h"
#include "res/resource.h"
#include "store/appointment_file.h"
#include "store/registry.h"
#include "store/settings.h"
#include "store/sound_event.h"
#include "store/win32_handle.h"
#include "tray/csytemtry.h"
#include "ui/dialogs.h"

namespace {

constexpr char INSTANCE_MUTEX[] = "quarv_wecker_the_first";

// The dialogs that the menu and start-up open.
void fillDialogHooks(program::DialogHooks& hooks) {
    hooks.configuration = showConfiguration;
    hooks.appointmentList = showAppointmentList;
    hooks.about = showAbout;
    hooks.missedAppointments = showMissedAppointments;
}

int startFailure(const char* text) {
    MessageBoxA(nullptr, text, PROGRAM_TITLE, MB_ICONERROR);
    return 0;
}

int runProgram(HINSTANCE instance) {
    const UniqueHandle mutex(CreateMutexA(nullptr, FALSE, INSTANCE_MUTEX));
    if (!mutex) {
        return startFailure("Startfehler!\r\nKonnte Mutex nicht erzeugen");
    }
    // An abandoned mutex (the first instance died without closing it) is ours now.
    const DWORD wait = WaitForSingleObject(mutex.get(), 0);
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) {
        return startFailure("Programm läuft schon!\r\nGuck mal im Tray nach.");
    }

    Settings& settings = program::settings();
    settings = Settings{};
    registerAlarmSound(systemRegistry());
    loadSettings(systemRegistry(), settings);
    program::snoozeCount() = 0;

    // The dialogs use list views, up-down controls and date and time pickers.
    INITCOMMONCONTROLSEX controls{sizeof controls,
                                  ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS | ICC_DATE_CLASSES};
    InitCommonControlsEx(&controls);

    if (!registerMainWindowClass(instance)) {
        return startFailure("Startfehler!\r\nRegisterClass fehlgeschlagen");
    }
    program::setInstance(instance);
    HWND mainWindow = createMainWindow(instance);
    if (mainWindow == nullptr) {
        return startFailure("Startfehler!\r\nCreateWindow fehlgeschlagen");
    }
    program::setMainWindow(mainWindow);

    AppointmentBook missed;
    loadAppointments(systemFileSystem(), settings, program::book(), missed);
    if (missed.count() > 0) {
        if (program::dialogHooks().missedAppointments != nullptr) {
            program::dialogHooks().missedAppointments(mainWindow, missed);
        }
        missed.clear();
    }

    std::unique_ptr<TrayIcon> tray(
        new (std::nothrow) TrayIcon(instance, mainWindow, MSG_TRAY_NOTIFY, PROGRAM_TITLE,
                                    loadTrayIcon(instance, IDI_ON), IDM_TRAY, false));
    if (!tray) {
        return startFailure("Startfehler!\r\nCreateTrayIcon fehlgeschlagen");
    }
    program::setTray(tray.get());
    ShowWindow(mainWindow, SW_HIDE);

    if (settings.onafterstart) {
        program::alarmTimer() = static_cast<std::uint32_t>(
            SetTimer(mainWindow, TICK_TIMER_ID, TICK_INTERVAL_MS, nullptr));
        if (program::alarmTimer() == AlarmOff) {
            program::setTray(nullptr);
            return startFailure("Startfehler!\r\nCreate Timer fehlgeschlagen");
        }
        showStatus(StatusOn);
    } else {
        program::alarmTimer() = AlarmOff;
        showStatus(StatusOff);
    }

    // No dialog keyboard handling: Tab, Enter and Escape mean nothing in the alarm windows.
    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }

    program::saveBook();
    program::setTray(nullptr);
    tray.reset();
    ReleaseMutex(mutex.get());
    return static_cast<int>(message.wParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    fillDialogHooks(program::dialogHooks());
    return runProgram(instance);
}
