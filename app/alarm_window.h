// The alarm window: a modeless dialog from template 114, one per due appointment.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include "app/alarm_record.h"
#include "core/clock.h"
#include "ui/on_demand.h"

constexpr UINT_PTR AUTO_END_TIMER_ID = 21;
constexpr UINT_PTR SNOOZE_TIMER_ID = 22;

// The program's sound event, looked up among the events registered for it.
constexpr const char* ALARM_SOUND_ALIAS = "QW_Alarm";
constexpr DWORD ALARM_SOUND_FLAGS = SND_ALIAS | SND_APPLICATION | SND_ASYNC;

// The platform calls through which every alarm window plays its sound and arms
// its timers. The program uses PlaySoundA (loaded with the first sound) and
// SetTimer; tests put recorders in.
struct AlarmWindowCalls {
    BOOL(WINAPI* playSound)(LPCSTR sound, HMODULE module, DWORD flags) = playSoundOnDemand;
    UINT_PTR(WINAPI* setTimer)(HWND window, UINT_PTR id, UINT elapse, TIMERPROC proc) = ::SetTimer;
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
// the caller shows it. The record is read only during creation. nullptr on failure.
HWND openAlarmWindow(HINSTANCE instance, HWND owner, const AlarmRecord& record, AlarmHost& host);

// Places the window by the position setting (1 right top, 2 right middle,
// 3 right bottom, 4 left top, 5 left middle, 6 left bottom, else centre),
// visible and topmost.
void placeAlarmWindow(HWND window, int position);

// Moves the window 20 pixels so that a returning window does not hide another.
void nudgeAlarmWindow(HWND window);
