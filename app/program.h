// Program-wide state of the running reminder, owned by the entry for the whole
// run and touched only on the user-interface thread, and the few operations
// that the windows and dialogs share.
#pragma once

#include <windows.h>

#include <cstdint>

#include "app/scheduler.h"
#include "core/appointment_book.h"
#include "store/settings.h"

class TrayIcon;

constexpr UINT_PTR TICK_TIMER_ID = 11;
constexpr UINT TICK_INTERVAL_MS = 10000;

constexpr UINT MSG_TRAY_NOTIFY = 32778; // WM_APP + 10
constexpr UINT MSG_TRAY_MENU = 32779;   // WM_APP + 11

namespace program {

HINSTANCE instance();
HWND mainWindow();
Settings& settings();
AppointmentBook& book();
std::uint32_t& alarmTimer();
std::int32_t& snoozeCount();
// The notification-area icon; nullptr until start-up has made it.
TrayIcon* tray();

// Set once by start-up (and by tests that build the windows themselves).
void setInstance(HINSTANCE instance);
void setMainWindow(HWND window);
void setTray(TrayIcon* tray);

// Writes the global book to the appointment file with the current settings.
void saveBook();

// Posts WM_TIMER to the main window when the alarm is running, so that the
// status (or a due alarm) follows at once instead of within ten seconds.
void requestImmediateTick();

// After the appointment list replaced the book: wakes a sleeping alarm when the
// book is no longer empty (new tick timer), then asks for an immediate tick.
void wakeAfterBookChange();

// The dialogs that the menu and start-up open. main.cpp fills these in with the
// dialogs of ui/ (which build on this library); while one is empty, its command
// opens nothing.
struct DialogHooks {
    void (*appointmentList)(HWND owner) = nullptr;                                   // 40002
    void (*configuration)(HWND owner) = nullptr;                                     // 40003
    void (*about)(HWND owner) = nullptr;                                             // 40005
    void (*missedAppointments)(HWND owner, const AppointmentBook& missed) = nullptr; // start-up
};
DialogHooks& dialogHooks();

} // namespace program
