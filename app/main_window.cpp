// The hidden main window: tick timer, menu commands and tray notifications.
#include "app/main_window.h"

#include "app/alarm_window.h"
#include "app/program.h"
#include "app/scheduler.h"
#include "app/tray_status.h"
#include "core/clock.h"
#include "res/resource.h"
#include "tray/csytemtry.h"
#include "ui/dpi.h"

bool registerMainWindowClass(HINSTANCE instance) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = mainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_PROGRAM));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszMenuName = MAKEINTRESOURCEA(IDM_TRAY);
    windowClass.lpszClassName = MAIN_WINDOW_CLASS;
    return RegisterClassExA(&windowClass) != 0;
}

HWND createMainWindow(HINSTANCE instance) {
    const HWND window =
        CreateWindowExA(0, MAIN_WINDOW_CLASS, PROGRAM_TITLE, WS_DISABLED, CW_USEDEFAULT, 0,
                        CW_USEDEFAULT, 0, nullptr, nullptr, instance, nullptr);
    // Started as administrator, the window would not hear the taskbar's return.
    ChangeWindowMessageFilterEx(window, RegisterWindowMessageA("TaskbarCreated"), MSGFLT_ALLOW,
                                nullptr);
    return window;
}

static_assert(MSG_TRAY_MENU == TrayIcon::menuMessage);

namespace {

// Sent to every top-level window when the taskbar is (re-)created.
const UINT taskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");

void raiseAlarm() {
    AppointmentBook& book = program::book();
    showStatus(StatusDue);
    const AlarmRecord record = makeAlarmRecord(book.earliest(), program::settings());
    // The appointment leaves the book before its window exists and never returns to
    // it, unless there is no window to hold it: then the next tick tries again.
    book.removeEarliest();
    HWND alarmWindow = openAlarmWindow(program::instance(), program::mainWindow(), record);
    if (alarmWindow == nullptr) {
        book.insert(record.alarmTime, record.text);
        return;
    }
    ShowWindow(alarmWindow, SW_SHOW);
    program::saveBook();
}

// The tray's menu and double click still reach the main window while a dialog
// from the menu is open (modal loops dispatch them). One such dialog at a time:
// two appointment lists would each commit their own copy of the book.
void runDialog(void (*dialog)(HWND owner), HWND owner) {
    static bool dialogOpen = false;
    if (dialog == nullptr) {
        return;
    }
    if (dialogOpen) {
        SetForegroundWindow(GetLastActivePopup(owner));
        return;
    }
    dialogOpen = true;
    dialog(owner);
    dialogOpen = false;
}

void quit(HWND window) {
    if (TrayIcon* tray = program::tray()) {
        tray->hide();
    }
    DestroyWindow(window);
}

// One of the five menu commands; false for any other identifier.
bool onCommand(HWND window, WORD command) {
    const program::DialogHooks& hooks = program::dialogHooks();
    switch (command) {
    case IDM_TOGGLE:
        toggleAlarm();
        return true;
    case IDM_APPOINTMENTS:
        runDialog(hooks.appointmentList, window);
        return true;
    case IDM_SETTINGS:
        runDialog(hooks.configuration, window);
        return true;
    case IDM_EXIT:
        quit(window);
        return true;
    case IDM_ABOUT:
        runDialog(hooks.about, window);
        return true;
    default:
        return false;
    }
}

} // namespace

void tick() {
    const TickDecision decision = decideTick(program::book(), program::settings(), currentTime());
    switch (decision.action) {
    case TickAction::Sleep:
        KillTimer(program::mainWindow(), program::alarmTimer());
        program::alarmTimer() = AlarmSleeping;
        showStatus(StatusNothingToDo);
        break;
    case TickAction::ShowStatus:
        showStatus(decision.row, decision.detail ? &*decision.detail : nullptr);
        break;
    case TickAction::Alarm:
        raiseAlarm();
        break;
    }
}

void toggleAlarm() {
    std::uint32_t& alarmTimer = program::alarmTimer();
    if (alarmTimer == AlarmOff) {
        alarmTimer = static_cast<std::uint32_t>(
            SetTimer(program::mainWindow(), TICK_TIMER_ID, TICK_INTERVAL_MS, nullptr));
        // Without a timer the alarm stays off, and the status says so.
        showStatus(alarmIsOn(alarmTimer) ? StatusOn : StatusOff);
        return;
    }
    if (alarmIsRunning(alarmTimer)) {
        KillTimer(program::mainWindow(), alarmTimer);
    }
    alarmTimer = AlarmOff;
    showStatus(StatusOff);
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
    case WM_TIMER:
        // A tick already queued when the alarm was switched off must not switch it on again.
        if (alarmIsOn(program::alarmTimer())) {
            tick();
        }
        return 1;
    case WM_COMMAND:
        if (onCommand(window, LOWORD(wParam))) {
            return 1;
        }
        break;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 1;
    case MSG_TRAY_NOTIFY:
        if (TrayIcon* tray = program::tray()) {
            tray->onNotification(wParam, lParam);
        }
        return 1;
    case MSG_TRAY_MENU:
        ModifyMenuA(reinterpret_cast<HMENU>(lParam), IDM_TOGGLE, MF_BYCOMMAND | MF_STRING,
                    IDM_TOGGLE, toggleMenuLabel(program::alarmTimer()));
        return 1;
    case WM_POWERBROADCAST:
        // After sleep, an appointment that fell due meanwhile alarms at once.
        if (wParam == PBT_APMRESUMEAUTOMATIC) {
            program::requestImmediateTick();
        }
        return TRUE;
    case WM_TIMECHANGE:
        program::requestImmediateTick();
        return 0;
    // A new display scale, a new display, new icon metrics or a new taskbar: the
    // tray icon is loaded again at the small-icon size that now applies.
    case WM_DPICHANGED:
        reloadTrayIcon(LOWORD(wParam));
        return 0;
    case WM_DISPLAYCHANGE:
    case WM_SETTINGCHANGE:
        reloadTrayIcon(windowDpi(window));
        break;
    case WM_ENDSESSION:
        // The session ends without the message loop coming back: save now.
        if (wParam != 0) {
            program::saveBook();
        }
        return 0;
    default:
        if (message == taskbarCreatedMessage) {
            reloadTrayIcon(windowDpi(window));
            return 0;
        }
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
