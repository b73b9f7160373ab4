// The alarm window: shows a due appointment, plays the alarm sound, and either
// snoozes (hides and comes back), ends itself, or is closed as done.
#include "app/alarm_window.h"

#include <commctrl.h>

#include <cstdint>
#include <string>

#include "app/alarm_logic.h"
#include "app/alarm_window_ids.h"
#include "core/calendar.h"
#include "core/no_throw.h"
#include "res/resource.h"
#include "ui/dpi.h"
#include "ui/on_demand.h"

namespace {

// What WM_INITDIALOG gets: the record and the window's host.
struct AlarmWindowStart {
    const AlarmRecord& record;
    AlarmHost& host;
};

// The host, kept in the window data from initialisation on.
AlarmHost& hostOf(HWND window) {
    return *reinterpret_cast<AlarmHost*>(GetWindowLongPtrA(window, DWLP_USER));
}

void startSound(HWND window, bool repeat) {
    hostOf(window).alarmWindowCalls().playSound(ALARM_SOUND_ALIAS, nullptr,
                                                ALARM_SOUND_FLAGS | (repeat ? SND_LOOP : 0));
}

void stopSound(HWND window) {
    hostOf(window).alarmWindowCalls().playSound(nullptr, nullptr, SND_ASYNC);
}

UINT_PTR setTimer(HWND window, UINT_PTR id, std::uint32_t minutes) {
    return hostOf(window).alarmWindowCalls().setTimer(window, id, timerMilliseconds(minutes),
                                                      nullptr);
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

void initialise(HWND window, const AlarmWindowStart& start) {
    SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(&start.host));
    const AlarmRecord& record = start.record;
    SetDlgItemTextA(window, IDC_ALARM_TEXT, record.text.c_str());
    SetDlgItemTextA(window, IDC_ALARM_TIME,
                    timeToDisplay(record.alarmTime, start.host.today()).c_str());

    const bool shownBefore = record.reminderNumber > 1;
    SetDlgItemInt(window, IDC_ALARM_REMINDER_NUMBER, shownBefore ? record.reminderNumber : 1, TRUE);
    showReminderLine(window, shownBefore);

    SetDlgItemInt(window, IDC_ALARM_SNOOZE_MINUTES, static_cast<UINT>(record.snoozeMinutes), FALSE);
    const HWND spin = GetDlgItem(window, IDC_ALARM_SNOOZE_SPIN);
    SendMessageA(spin, UDM_SETBUDDY,
                 reinterpret_cast<WPARAM>(GetDlgItem(window, IDC_ALARM_SNOOZE_MINUTES)), 0);
    SendMessageA(spin, UDM_SETRANGE32, 1, 60);

    if (record.autoEndMinutes > 0) {
        setTimer(window, AUTO_END_TIMER_ID, static_cast<std::uint32_t>(record.autoEndMinutes));
    }

    setWindowIcons(window, IDI_PROGRAM, windowDpi(window));
    placeAlarmWindow(window, record.position);

    showControl(window, IDOK, !record.playSound);
    showControl(window, IDC_ALARM_SOUND_OFF, record.playSound);
    showControl(window, IDC_ALARM_DONE_WITH_SOUND, record.playSound);
    if (record.playSound) {
        SetDlgItemInt(window, IDC_ALARM_REPEAT_FLAG, record.repeatSound ? 1 : 0, FALSE);
        startSound(window, record.repeatSound);
    }
}

void snooze(HWND window) {
    if (isSnoozed(window)) {
        return; // already counted once; a second count would never come back down
    }
    KillTimer(window, AUTO_END_TIMER_ID);
    if (inSoundMode(window)) {
        stopSound(window);
    }
    const std::uint32_t minutes =
        snoozeMinutesFromText(controlText(window, IDC_ALARM_SNOOZE_MINUTES));
    if (setTimer(window, SNOOZE_TIMER_ID, minutes) == 0) {
        return; // without a timer the window could never come back: it stays shown
    }
    ShowWindow(window, SW_HIDE);
    hostOf(window).alarmSnoozed();
}

// The sound stops when the window is destroyed (see WM_DESTROY).
void finish(HWND window) {
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
    hostOf(window).alarmReturned();
    if (inSoundMode(window)) {
        startSound(window, static_cast<int>(
                               GetDlgItemInt(window, IDC_ALARM_REPEAT_FLAG, nullptr, TRUE)) > 0);
    }
}

void onTimer(HWND window, UINT_PTR id) {
    if (id == SNOOZE_TIMER_ID && isSnoozed(window)) {
        returnFromSnooze(window);
    }
    hostOf(window).alarmTimerFired();
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
        stopSound(window);
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
    return noThrow<INT_PTR>(FALSE, [&]() -> INT_PTR {
        if (message == WM_INITDIALOG) {
            initialise(window, *reinterpret_cast<const AlarmWindowStart*>(lParam));
            return TRUE;
        }
        if (GetWindowLongPtrA(window, DWLP_USER) == 0) {
            return FALSE; // before initialisation there is nothing to act on
        }
        switch (message) {
        case WM_COMMAND:
            return onCommand(window, LOWORD(wParam)) ? TRUE : FALSE;
        case WM_TIMER:
            onTimer(window, wParam);
            return TRUE;
        case WM_DESTROY:
            // Whether closed by its buttons, its automatic end or with the main
            // window at "Beenden": a window in sound mode leaves no sound behind.
            if (inSoundMode(window)) {
                stopSound(window);
            }
            return FALSE;
        case WM_DPICHANGED:
            // The dialog manager moves and scales the window; only the icons are ours.
            setWindowIcons(window, IDI_PROGRAM, LOWORD(wParam));
            return FALSE;
        default:
            return FALSE;
        }
    });
}

void moveTopmostTo(HWND window, ScreenPoint at) {
    SetWindowPos(window, HWND_TOPMOST, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
}

} // namespace

HWND openAlarmWindow(HINSTANCE instance, HWND owner, const AlarmRecord& record, AlarmHost& host) {
    const AlarmWindowStart start{record, host};
    loadCommonControls(); // the snooze minutes' up-down control
    return CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_ALARM), owner, alarmWindowProc,
                              reinterpret_cast<LPARAM>(&start));
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
