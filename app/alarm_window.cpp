// The alarm window: shows a due appointment, plays the alarm sound, and either
// snoozes (hides and comes back), ends itself, or is closed as done.
#include "app/alarm_window.h"

#include <commctrl.h>

#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <utility>

#include "app/alarm_logic.h"
#include "app/alarm_window_ids.h"
#include "core/calendar.h"
#include "core/no_throw.h"
#include "res/resource.h"
#include "ui/dpi.h"
#include "ui/on_demand.h"

namespace {

// What a window keeps besides its controls: its host, and while it is held quiet,
// the automatic end that waits for the moment to pass. Made by openAlarmWindow,
// owned by the window from WM_INITDIALOG on and deleted with it.
struct AlarmWindowState {
    AlarmHost& host;
    bool held = false;                    // held quiet: behind the window in front, no sound
    std::uint32_t heldAutoEndMinutes = 0; // the automatic end, armed when the hold ends
};

// What WM_INITDIALOG gets: the record and the window's state.
struct AlarmWindowStart {
    const AlarmRecord& record;
    AlarmWindowState* state;
    bool adopted = false; // the window took the state over
};

// The state, kept in the window data from initialisation on.
AlarmWindowState& stateOf(HWND window) {
    return *reinterpret_cast<AlarmWindowState*>(GetWindowLongPtrA(window, DWLP_USER));
}

AlarmHost& hostOf(HWND window) {
    return stateOf(window).host;
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

// Below the window in front (the presentation), or at the bottom without one.
void tuckBehindTheFront(HWND window) {
    const HWND front = GetForegroundWindow();
    const HWND after = front != nullptr && front != window ? front : HWND_BOTTOM;
    SetWindowPos(window, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// Topmost and shown; activated unless the window is held quiet, which shows it
// behind the window in front, neither activated nor topmost: a presentation or
// a full-screen program stays in front of it.
void moveTo(HWND window, ScreenPoint at) {
    const auto* state =
        reinterpret_cast<const AlarmWindowState*>(GetWindowLongPtrA(window, DWLP_USER));
    if (state == nullptr || !state->held) {
        SetWindowPos(window, HWND_TOPMOST, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        return;
    }
    SetWindowPos(window, HWND_NOTOPMOST, at.x, at.y, 0, 0,
                 SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    tuckBehindTheFront(window);
}

void startSoundOfMode(HWND window) {
    if (inSoundMode(window)) {
        startSound(window, static_cast<int>(
                               GetDlgItemInt(window, IDC_ALARM_REPEAT_FLAG, nullptr, TRUE)) > 0);
    }
}

// Held quiet when the moment asks for it; the window then looks again every ten
// seconds. True when held.
bool holdIfQuiet(HWND window) {
    AlarmWindowState& state = stateOf(window);
    state.held = alarmsHeldQuiet(state.host.alarmWindowCalls()) &&
                 state.host.alarmWindowCalls().setTimer(window, QUIET_TIMER_ID, QUIET_INTERVAL_MS,
                                                        nullptr) != 0;
    return state.held;
}

// The moment has passed: the window comes to the front where it stands, rings,
// and its automatic end starts to count.
void endHold(HWND window) {
    AlarmWindowState& state = stateOf(window);
    KillTimer(window, QUIET_TIMER_ID);
    state.held = false;
    if (const std::uint32_t minutes = std::exchange(state.heldAutoEndMinutes, 0); minutes > 0) {
        setTimer(window, AUTO_END_TIMER_ID, minutes);
    }
    if (isSnoozed(window)) {
        return; // its return from the snooze brings it
    }
    RECT rect{};
    GetWindowRect(window, &rect);
    moveTo(window, {rect.left, rect.top});
    SetForegroundWindow(window);
    startSoundOfMode(window);
}

void initialise(HWND window, const AlarmWindowStart& start) {
    SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(start.state));
    const AlarmRecord& record = start.record;
    SetDlgItemTextA(window, IDC_ALARM_TEXT, record.text.c_str());
    SetDlgItemTextA(window, IDC_ALARM_TIME,
                    timeToDisplay(record.alarmTime, start.state->host.today()).c_str());

    const bool shownBefore = record.reminderNumber > 1;
    SetDlgItemInt(window, IDC_ALARM_REMINDER_NUMBER, shownBefore ? record.reminderNumber : 1, TRUE);
    showReminderLine(window, shownBefore);

    SetDlgItemInt(window, IDC_ALARM_SNOOZE_MINUTES, static_cast<UINT>(record.snoozeMinutes), FALSE);
    const HWND spin = GetDlgItem(window, IDC_ALARM_SNOOZE_SPIN);
    SendMessageA(spin, UDM_SETBUDDY,
                 reinterpret_cast<WPARAM>(GetDlgItem(window, IDC_ALARM_SNOOZE_MINUTES)), 0);
    SendMessageA(spin, UDM_SETRANGE32, 1, 60);

    const bool held = holdIfQuiet(window);
    if (record.autoEndMinutes > 0) {
        const auto minutes = static_cast<std::uint32_t>(record.autoEndMinutes);
        if (held) {
            start.state->heldAutoEndMinutes = minutes; // counts from when it is seen
        } else {
            setTimer(window, AUTO_END_TIMER_ID, minutes);
        }
    }

    setWindowIcons(window, IDI_PROGRAM, windowDpi(window));
    placeAlarmWindow(window, record.position);

    showControl(window, IDOK, !record.playSound);
    showControl(window, IDC_ALARM_SOUND_OFF, record.playSound);
    showControl(window, IDC_ALARM_DONE_WITH_SOUND, record.playSound);
    if (record.playSound) {
        SetDlgItemInt(window, IDC_ALARM_REPEAT_FLAG, record.repeatSound ? 1 : 0, FALSE);
        if (!held) {
            startSound(window, record.repeatSound);
        }
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
    // A snooze cancels the automatic end, also one that waits for the moment.
    AlarmWindowState& state = stateOf(window);
    KillTimer(window, QUIET_TIMER_ID);
    state.held = false;
    state.heldAutoEndMinutes = 0;
    ShowWindow(window, SW_HIDE);
    state.host.alarmSnoozed();
}

// The sound stops when the window is destroyed (see WM_DESTROY).
void finish(HWND window) {
    KillTimer(window, AUTO_END_TIMER_ID);
    DestroyWindow(window);
}

// Back from a snooze: nearer the middle, and ringing again unless the moment
// holds it quiet once more.
void returnFromSnooze(HWND window) {
    KillTimer(window, SNOOZE_TIMER_ID);
    const int shown =
        static_cast<int>(GetDlgItemInt(window, IDC_ALARM_REMINDER_NUMBER, nullptr, TRUE));
    SetDlgItemInt(window, IDC_ALARM_REMINDER_NUMBER, shown + 1, TRUE);
    showReminderLine(window, true);
    const bool held = holdIfQuiet(window);
    nudgeAlarmWindow(window);
    showAlarmWindow(window);
    hostOf(window).alarmReturned();
    if (!held) {
        startSoundOfMode(window);
    }
}

void onTimer(HWND window, UINT_PTR id) {
    if (id == QUIET_TIMER_ID) {
        // Only a look at the moment: nothing changes for the tray. While it goes
        // on, the window stays behind whatever is in front now.
        if (!stateOf(window).held) {
            return;
        }
        if (alarmsHeldQuiet(hostOf(window).alarmWindowCalls())) {
            tuckBehindTheFront(window);
        } else {
            endHold(window);
        }
        return;
    }
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
    if (message == WM_NCDESTROY) {
        // The window's state goes with it.
        delete reinterpret_cast<AlarmWindowState*>(SetWindowLongPtrA(window, DWLP_USER, 0));
        return FALSE;
    }
    return noThrow<INT_PTR>(FALSE, [&]() -> INT_PTR {
        if (message == WM_INITDIALOG) {
            auto& start = *reinterpret_cast<AlarmWindowStart*>(lParam);
            start.adopted = true;
            initialise(window, start);
            // A window held quiet takes no focus, which would activate it.
            return stateOf(window).held ? FALSE : TRUE;
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

} // namespace

HWND openAlarmWindow(HINSTANCE instance, HWND owner, const AlarmRecord& record, AlarmHost& host) {
    std::unique_ptr<AlarmWindowState> state(new (std::nothrow) AlarmWindowState{host});
    if (!state) {
        return nullptr;
    }
    AlarmWindowStart start{record, state.get()};
    loadCommonControls(); // the snooze minutes' up-down control
    const HWND window = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_ALARM), owner,
                                           alarmWindowProc, reinterpret_cast<LPARAM>(&start));
    if (start.adopted) {
        state.release(); // the window deletes it when it is destroyed
    }
    return window;
}

void showAlarmWindow(HWND window) {
    if (!stateOf(window).held) {
        ShowWindow(window, SW_SHOW);
        return;
    }
    // Once more now that the dialog is made: its creation may have raised it.
    ShowWindow(window, SW_SHOWNA);
    tuckBehindTheFront(window);
}

bool alarmsHeldQuiet(const AlarmWindowCalls& calls) {
    QUERY_USER_NOTIFICATION_STATE moment{};
    const bool queried = calls.userMoment != nullptr && SUCCEEDED(calls.userMoment(&moment));
    return holdsAlarmQuiet(queried, static_cast<int>(moment));
}

void placeAlarmWindow(HWND window, int position) {
    RECT rect{};
    GetWindowRect(window, &rect);
    moveTo(window, alarmWindowPlace(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                    rect.right - rect.left, rect.bottom - rect.top, position,
                                    windowDpi(window)));
}

void nudgeAlarmWindow(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    moveTo(window,
           nudgedAlarmWindowPlace(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                  rect.left, rect.top, rect.bottom, windowDpi(window)));
}
