// The alarm window: shows a due appointment, plays the alarm sound, and either
// snoozes (hides and comes back), ends itself, or is closed as done.
#include "app/alarm_window.h"

#include <commctrl.h>

#include <cstdint>
#include <string>

#include "app/alarm_logic.h"
#include "app/alarm_window_ids.h"
#include "app/program.h"
#include "app/scheduler.h"
#include "app/tray_status.h"
#include "core/calendar.h"
#include "res/resource.h"
#include "ui/dpi.h"

namespace {

AlarmWindowCalls platform;

void startSound(bool repeat) {
    platform.playSound(ALARM_SOUND_ALIAS, nullptr, ALARM_SOUND_FLAGS | (repeat ? SND_LOOP : 0));
}

void stopSound() {
    platform.playSound(nullptr, nullptr, SND_ASYNC);
}

void showControl(HWND window, int id, bool show) {
    ShowWindow(GetDlgItem(window, id), show ? SW_SHOW : SW_HIDE);
}

// The window plays sound exactly when "Sound aus" is shown. The control's own
// visible flag counts, so the answer holds while the window is snoozed.
bool inSoundMode(HWND window) {
    return (GetWindowLongPtrA(GetDlgItem(window, IDC_ALARM_SOUND_OFF), GWL_STYLE) & WS_VISIBLE) !=
           0;
}

// Only a snoozed window is hidden: it is shown from creation on.
bool isSnoozed(HWND window) {
    return !IsWindowVisible(window);
}

std::string controlText(HWND window, int id) {
    const HWND control = GetDlgItem(window, id);
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(control)) + 1, '\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextA(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

void showReminderLine(HWND window, bool show) {
    showControl(window, IDC_ALARM_REMINDER_NUMBER, show);
    showControl(window, IDC_ALARM_REMINDER_LABEL, show);
}

void initialise(HWND window, const AlarmRecord& record) {
    SetDlgItemTextA(window, IDC_ALARM_TEXT, record.text.c_str());
    SetDlgItemTextA(window, IDC_ALARM_TIME, timeToDisplay(record.alarmTime).c_str());

    const bool shownBefore = record.reminderNumber > 1;
    SetDlgItemInt(window, IDC_ALARM_REMINDER_NUMBER, shownBefore ? record.reminderNumber : 1, TRUE);
    showReminderLine(window, shownBefore);

    SetDlgItemInt(window, IDC_ALARM_SNOOZE_MINUTES, static_cast<UINT>(record.snoozeMinutes), FALSE);
    const HWND spin = GetDlgItem(window, IDC_ALARM_SNOOZE_SPIN);
    SendMessageA(spin, UDM_SETBUDDY,
                 reinterpret_cast<WPARAM>(GetDlgItem(window, IDC_ALARM_SNOOZE_MINUTES)), 0);
    SendMessageA(spin, UDM_SETRANGE32, 1, 60);

    if (record.autoEndMinutes > 0) {
        platform.setTimer(window, AUTO_END_TIMER_ID,
                          timerMilliseconds(static_cast<std::uint32_t>(record.autoEndMinutes)),
                          nullptr);
    }

    setWindowIcons(window, IDI_PROGRAM, windowDpi(window));
    placeAlarmWindow(window, record.position);

    showControl(window, IDOK, !record.playSound);
    showControl(window, IDC_ALARM_SOUND_OFF, record.playSound);
    showControl(window, IDC_ALARM_DONE_WITH_SOUND, record.playSound);
    if (record.playSound) {
        SetDlgItemInt(window, IDC_ALARM_REPEAT_FLAG, record.repeatSound ? 1 : 0, FALSE);
        startSound(record.repeatSound);
    }
}

void snooze(HWND window) {
    if (isSnoozed(window)) {
        return; // already counted once; a second count would never come back down
    }
    KillTimer(window, AUTO_END_TIMER_ID);
    if (inSoundMode(window)) {
        stopSound();
    }
    const std::uint32_t minutes =
        snoozeMinutesFromText(controlText(window, IDC_ALARM_SNOOZE_MINUTES));
    if (platform.setTimer(window, SNOOZE_TIMER_ID, timerMilliseconds(minutes), nullptr) == 0) {
        return; // without a timer the window could never come back: it stays shown
    }
    ShowWindow(window, SW_HIDE);
    std::int32_t& snoozed = program::snoozeCount();
    snoozed = snoozed > 0 ? snoozed + 1 : 1;
    showStatus(StatusSnoozed);
}

void finish(HWND window) {
    if (inSoundMode(window)) {
        stopSound();
    }
    KillTimer(window, AUTO_END_TIMER_ID);
    DestroyWindow(window);
}

void returnFromSnooze(HWND window) {
    KillTimer(window, SNOOZE_TIMER_ID);
    const int shown =
        static_cast<int>(GetDlgItemInt(window, IDC_ALARM_REMINDER_NUMBER, nullptr, TRUE));
    SetDlgItemInt(window, IDC_ALARM_REMINDER_NUMBER, shown + 1, TRUE);
    showReminderLine(window, true);
    nudgeAlarmWindow(window);
    ShowWindow(window, SW_SHOW);
    --program::snoozeCount();
    if (inSoundMode(window)) {
        startSound(static_cast<int>(GetDlgItemInt(window, IDC_ALARM_REPEAT_FLAG, nullptr, TRUE)) >
                   0);
    }
}

// Every timer of an alarm window brings the tray up to date: a running alarm
// ticks at once, otherwise the status of the alarm state is shown.
void refreshTrayStatus() {
    const std::uint32_t state = program::alarmTimer();
    if (alarmIsRunning(state)) {
        program::requestImmediateTick();
    } else {
        showStatus(state == AlarmSleeping ? StatusNothingToDo : StatusOff);
    }
}

void onTimer(HWND window, UINT_PTR id) {
    if (id == SNOOZE_TIMER_ID && isSnoozed(window)) {
        returnFromSnooze(window);
    }
    refreshTrayStatus();
    if (id == AUTO_END_TIMER_ID) {
        finish(window);
    }
}

bool onCommand(HWND window, int id) {
    switch (id) {
    case IDCANCEL: // "Erneut erinnern" and the close box
        snooze(window);
        return true;
    case IDC_ALARM_SOUND_OFF:
        stopSound();
        return true;
    case IDC_ALARM_DONE_WITH_SOUND:
    case IDOK:
        finish(window);
        return true;
    default:
        return false;
    }
}

INT_PTR CALLBACK alarmWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
    case WM_INITDIALOG:
        initialise(window, *reinterpret_cast<const AlarmRecord*>(lParam));
        return TRUE;
    case WM_COMMAND:
        return onCommand(window, LOWORD(wParam)) ? TRUE : FALSE;
    case WM_TIMER:
        onTimer(window, wParam);
        return TRUE;
    case WM_DPICHANGED:
        // The dialog manager moves and scales the window; only the icons are ours.
        setWindowIcons(window, IDI_PROGRAM, LOWORD(wParam));
        return FALSE;
    default:
        return FALSE;
    }
}

void moveTopmostTo(HWND window, ScreenPoint at) {
    SetWindowPos(window, HWND_TOPMOST, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
}

} // namespace

HWND openAlarmWindow(HINSTANCE instance, HWND owner, const AlarmRecord& record) {
    return CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_ALARM), owner, alarmWindowProc,
                              reinterpret_cast<LPARAM>(&record));
}

void placeAlarmWindow(HWND window, int position) {
    RECT rect{};
    GetWindowRect(window, &rect);
    moveTopmostTo(window, alarmWindowPlace(GetSystemMetrics(SM_CXSCREEN),
                                           GetSystemMetrics(SM_CYSCREEN), rect.right - rect.left,
                                           rect.bottom - rect.top, position, windowDpi(window)));
}

void nudgeAlarmWindow(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    moveTopmostTo(window, nudgedAlarmWindowPlace(GetSystemMetrics(SM_CXSCREEN),
                                                 GetSystemMetrics(SM_CYSCREEN), rect.left, rect.top,
                                                 rect.bottom, windowDpi(window)));
}

AlarmWindowCalls setAlarmWindowCalls(AlarmWindowCalls calls) {
    const AlarmWindowCalls previous = platform;
    platform = calls;
    return previous;
}
