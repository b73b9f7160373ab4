// The platform calls that the program's windows make through their seams (the
// shell's notification icons, sounds, timers), recorded, with answers a test
// scripts. The seams are plain function pointers, so the records are static.
#pragma once

#include <windows.h>

#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "app/alarm_window.h"
#include "tray/csytemtry.h"

struct ShellCall {
    DWORD message;
    NOTIFYICONDATAA data; // as much as the caller's record held
};

struct SoundCall {
    bool stop = false; // no sound named: stop whatever plays
    std::string alias;
    HMODULE module = nullptr;
    DWORD flags = 0;
};

struct TimerCall {
    HWND window = nullptr;
    UINT_PTR id = 0;
    UINT elapse = 0;
};

struct PlatformRecorder {
    static inline std::vector<ShellCall> shellCalls;
    static inline std::deque<BOOL> shellAnswers;   // one per call; TRUE once empty
    static inline DWORD shellVersion = 0x23F00206; // 6.2
    static inline std::vector<SoundCall> sounds;
    static inline std::vector<TimerCall> timers;
    static inline UINT_PTR refusedTimer = 0; // a timer id whose arming fails
    static inline UINT_PTR quickTimer = 0;   // a timer id armed with 10 ms instead
    static inline DWORD tickNow = 0;         // what the tray's clock says
    // Whether the shell takes NOTIFYICON_VERSION_4; its requests are counted
    // apart from shellCalls. Off: the notifications keep their first form.
    static inline BOOL speaksVersion4 = FALSE;
    static inline int versionRequests = 0;
    // What SHQueryUserNotificationState answers, and whether it succeeds.
    static inline QUERY_USER_NOTIFICATION_STATE moment = QUNS_ACCEPTS_NOTIFICATIONS;
    static inline HRESULT momentResult = S_OK;

    static void reset() {
        shellCalls.clear();
        shellAnswers.clear();
        shellVersion = 0x23F00206;
        sounds.clear();
        timers.clear();
        refusedTimer = 0;
        quickTimer = 0;
        tickNow = 0;
        speaksVersion4 = FALSE;
        versionRequests = 0;
        moment = QUNS_ACCEPTS_NOTIFICATIONS;
        momentResult = S_OK;
    }

    static BOOL WINAPI notifyIcon(DWORD message, PNOTIFYICONDATAA data) {
        if (message == NIM_SETVERSION) {
            ++versionRequests;
            return data->uVersion == NOTIFYICON_VERSION_4 && speaksVersion4;
        }
        ShellCall call{message, {}};
        std::memcpy(&call.data, data, data->cbSize);
        shellCalls.push_back(call);
        if (shellAnswers.empty()) {
            return TRUE;
        }
        const BOOL answer = shellAnswers.front();
        shellAnswers.pop_front();
        return answer;
    }
    static DWORD WINAPI version() { return shellVersion; }
    static DWORD WINAPI tickCount() { return tickNow; }
    static HRESULT WINAPI userMoment(QUERY_USER_NOTIFICATION_STATE* state) {
        *state = moment;
        return momentResult;
    }

    static BOOL WINAPI playSound(LPCSTR sound, HMODULE module, DWORD flags) {
        sounds.push_back({sound == nullptr, sound ? sound : "", module, flags});
        return TRUE;
    }
    // Arms a real timer (unless refused), so that snoozes and automatic ends work.
    static UINT_PTR WINAPI setTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC proc) {
        timers.push_back({window, id, elapse});
        if (id == refusedTimer) {
            return 0;
        }
        return SetTimer(window, id, id == quickTimer ? 10 : elapse, proc);
    }

    static TrayShell shell() { return TrayShell{notifyIcon, version, tickCount}; }
    static AlarmWindowCalls alarmCalls() { return {playSound, setTimer, userMoment}; }
};
