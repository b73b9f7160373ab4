// The alarm window: a modeless dialog from template 114, one per due appointment.
#pragma once

#include <windows.h>
#include <mmsystem.h>
#include <shellapi.h>

#include "app/alarm_record.h"
#include "core/clock.h"
#include "ui/on_demand.h"

constexpr UINT_PTR AUTO_END_TIMER_ID = 21;
constexpr UINT_PTR SNOOZE_TIMER_ID = 22;
// While a window is held quiet it looks this often whether the moment has passed.
constexpr UINT_PTR QUIET_TIMER_ID = 23;
constexpr UINT QUIET_INTERVAL_MS = 10000;

// The program's sound event, looked up among the events registered for it.
constexpr const char* ALARM_SOUND_ALIAS = "QW_Alarm";
constexpr DWORD ALARM_SOUND_FLAGS = SND_ALIAS | SND_APPLICATION | SND_ASYNC;

// The platform calls through which every alarm window plays its sound, arms its
// timers and asks for the user's moment. The program uses PlaySoundA (loaded
// with the first sound), SetTimer and SHQueryUserNotificationState; tests put
// recorders in.
struct AlarmWindowCalls {
    BOOL(WINAPI* playSound)(LPCSTR sound, HMODULE module, DWORD flags) = playSoundOnDemand;
    UINT_PTR(WINAPI* setTimer)(HWND window, UINT_PTR id, UINT elapse, TIMERPROC proc) = ::SetTimer;
    HRESULT(WINAPI* userMoment)
    (QUERY_USER_NOTIFICATION_STATE* state) = SHQueryUserNotificationState;
};

// What an alarm window needs from the program that opens it. The host outlives
// its windows.
class AlarmHost {
  public:
    // A window went to sleep until its snooze ends: one more is snoozed.
    virtual void alarmSnoozed() = 0;
    // A snoozed window is back.
    virtual void alarmReturned() = 0;
    // Any timer of a window went off: the tray is brought up to date.
    virtual void alarmTimerFired() = 0;
    // Today's local date, for "ht" in the window's time.
    virtual LocalDate today() const = 0;
    virtual const AlarmWindowCalls& alarmWindowCalls() const = 0;

  protected:
    ~AlarmHost() = default;
};

// Creates the window for a record (CreateDialogParamA, owner the main window);
// the caller shows it with showAlarmWindow. The record is read only during
// creation. nullptr on failure.
//
// While the user presents or a full-screen program runs (holdsAlarmQuiet), the
// window is held quiet: it opens behind the window in front, without taking the
// foreground and without sound, and its automatic end waits. Every ten seconds
// it looks again; when the moment has passed it comes to the front, plays its
// sound and arms its automatic end.
HWND openAlarmWindow(HINSTANCE instance, HWND owner, const AlarmRecord& record, AlarmHost& host);

// Shows a window that openAlarmWindow made: activated, unless it is held quiet.
void showAlarmWindow(HWND window);

// Whether the moment holds alarms quiet now, asked through the calls' seam.
bool alarmsHeldQuiet(const AlarmWindowCalls& calls);

// Places the window by the position setting (1 right top, 2 right middle,
// 3 right bottom, 4 left top, 5 left middle, 6 left bottom, else centre),
// visible and topmost.
void placeAlarmWindow(HWND window, int position);

// Moves the window 20 pixels so that a returning window does not hide another.
void nudgeAlarmWindow(HWND window);
