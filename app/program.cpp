// The program-wide state of the running reminder and the operations on it.
#include "app/program.h"

#include "app/tray_status.h"
#include "store/appointment_file.h"

namespace program {
namespace {

HINSTANCE theInstance = nullptr;
HWND theMainWindow = nullptr;
Settings theSettings;
AppointmentBook theBook;
std::uint32_t theAlarmTimer = AlarmOff;
std::int32_t theSnoozeCount = 0;
TrayIcon* theTray = nullptr;
DialogHooks theHooks;

} // namespace

HINSTANCE instance() {
    return theInstance;
}
HWND mainWindow() {
    return theMainWindow;
}
Settings& settings() {
    return theSettings;
}
AppointmentBook& book() {
    return theBook;
}
std::uint32_t& alarmTimer() {
    return theAlarmTimer;
}
std::int32_t& snoozeCount() {
    return theSnoozeCount;
}
TrayIcon* tray() {
    return theTray;
}
DialogHooks& dialogHooks() {
    return theHooks;
}

void setInstance(HINSTANCE instance) {
    theInstance = instance;
}
void setMainWindow(HWND window) {
    theMainWindow = window;
}
void setTray(TrayIcon* tray) {
    theTray = tray;
}

void saveBook() {
    saveAppointments(systemFileSystem(), theSettings, theBook);
}

void requestImmediateTick() {
    if (alarmIsRunning(theAlarmTimer)) {
        PostMessageA(theMainWindow, WM_TIMER, theAlarmTimer, 0);
    }
}

void wakeAfterBookChange() {
    if (theAlarmTimer == AlarmSleeping && theBook.count() > 0) {
        theAlarmTimer = static_cast<std::uint32_t>(
            SetTimer(theMainWindow, TICK_TIMER_ID, TICK_INTERVAL_MS, nullptr));
        if (theAlarmTimer == AlarmOff) {
            // Without a timer the alarm is off now, and the tray must not go on
            // showing the sleeping alarm's row.
            showStatus(StatusOff);
            return;
        }
    }
    requestImmediateTick();
}

} // namespace program
