// The real main window driven with messages: alarm switch, sleep and wake, the
// menu text, due alarms, immediate ticks, the save at session end and "Beenden".
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/program.h"
#include "app/tray_status.h"
#include "core/calendar.h"
#include "tests/win/app/user_appointment_file.h"
#include "res/resource.h"
#include "tray/csytemtry.h"

namespace {

// Monday 2026-12-07 09:30 CET.
constexpr TimeValue monday0930 = 1796632200;
TimeValue testNow = monday0930;
TimeValue fixedNow() {
    return testNow;
}
LocalDate fixedToday() {
    return LocalDate{2026, 12, 7, 1};
}

// The shell as the tray component sees it: every call is recorded and succeeds.
struct ShellCall {
    DWORD message;
    UINT flags;
    HICON icon;
    std::string tooltip;
};
std::vector<ShellCall> shellCalls;
BOOL WINAPI recordingShell(DWORD message, PNOTIFYICONDATAA data) {
    shellCalls.push_back({message, data->uFlags, data->hIcon, data->szTip});
    return TRUE;
}

std::string zeit(TimeValue time) {
    return "zeit=\"" + timeToFileKey(time) + "\"";
}

std::string windowText(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

struct HookCalls {
    int appointmentList = 0;
    int configuration = 0;
    int about = 0;
    HWND owner = nullptr;
} hookCalls;

class MainWindow : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(registerMainWindowClass(GetModuleHandleA(nullptr)));
        program::setInstance(GetModuleHandleA(nullptr));
        trayShell().notifyIcon = recordingShell;
    }

    void SetUp() override {
        previousClock_ = setClock(ClockSource{fixedNow, fixedToday});
        testNow = monday0930;
        window_ = createMainWindow(program::instance());
        ASSERT_NE(window_, nullptr);
        program::setMainWindow(window_);
        program::settings() = Settings{};
        program::settings().userdata = true; // the file in the user's folder
        program::book().clear();
        program::alarmTimer() = AlarmOff;
        program::snoozeCount() = 0;
        program::dialogHooks() = {};
        hookCalls = {};
        tray_ =
            std::make_unique<TrayIcon>(program::instance(), window_, MSG_TRAY_NOTIFY, PROGRAM_TITLE,
                                       loadTrayIcon(program::instance(), IDI_ON), IDM_TRAY, false);
        program::setTray(tray_.get());
        shellCalls.clear();
        DeleteFileA(userAppointmentFile().c_str());
    }

    void TearDown() override {
        program::setTray(nullptr);
        tray_.reset();
        if (IsWindow(window_)) {
            DestroyWindow(window_);
        }
        pump(); // takes the quit message that the window posts when it is destroyed
        setClock(previousClock_);
    }

    // Dispatches what is queued, without waiting; notes the quit message.
    void pump() {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                quitCode_ = static_cast<int>(message.wParam);
                continue;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }

    void command(WORD id) { SendMessageA(window_, WM_COMMAND, id, 0); }
    void postTick() {
        PostMessageA(window_, WM_TIMER, TICK_TIMER_ID, 0);
        pump();
    }
    // What the tray shows now: the last icon and tooltip handed to the shell.
    TrayStatus shownInTray() const {
        TrayStatus shown;
        for (const ShellCall& call : shellCalls) {
            if (call.flags & NIF_ICON) {
                for (int id : {101, 103, 105, 106, 107, 117, 118, 119, 120}) {
                    if (loadTrayIcon(program::instance(), id) == call.icon) {
                        shown.iconId = id;
                    }
                }
            }
            if (call.flags & NIF_TIP) {
                shown.tooltip = call.tooltip;
            }
        }
        return shown;
    }
    TrayStatus row(int index) const {
        return TrayStatus{statusTable[index].iconId, statusTable[index].text};
    }
    bool tickTimerExists() const { return KillTimer(window_, TICK_TIMER_ID) != 0; }

    std::vector<HWND> alarmWindows() const {
        std::vector<HWND> found;
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND window, LPARAM list) -> BOOL {
                if (GetWindow(window, GW_OWNER) == program::mainWindow()) {
                    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&found));
        return found;
    }

    std::string menuLabel() {
        HMENU menu = LoadMenuA(program::instance(), MAKEINTRESOURCEA(IDM_TRAY));
        HMENU popup = GetSubMenu(menu, 0);
        SendMessageA(window_, MSG_TRAY_MENU, 0, reinterpret_cast<LPARAM>(popup));
        char text[64] = {};
        GetMenuStringA(popup, IDM_TOGGLE, text, sizeof text, MF_BYCOMMAND);
        DestroyMenu(menu);
        return text;
    }

    HWND window_ = nullptr;
    std::unique_ptr<TrayIcon> tray_;
    int quitCode_ = -1;

  private:
    ClockSource previousClock_{};
};

TEST_F(MainWindow, ToggleInAllThreeStates) {
    command(IDM_TOGGLE); // Off -> Running
    EXPECT_EQ(program::alarmTimer(), TICK_TIMER_ID);
    EXPECT_EQ(shownInTray(), row(StatusOn));
    EXPECT_EQ(menuLabel(), "Zodora AUS");

    command(IDM_TOGGLE); // Running -> Off, the timer is gone
    EXPECT_EQ(program::alarmTimer(), AlarmOff);
    EXPECT_FALSE(tickTimerExists());
    EXPECT_EQ(shownInTray(), row(StatusOff));
    EXPECT_EQ(menuLabel(), "Zodora EIN");

    program::alarmTimer() = AlarmSleeping; // Sleeping -> Off
    command(IDM_TOGGLE);
    EXPECT_EQ(program::alarmTimer(), AlarmOff);
    EXPECT_EQ(shownInTray(), row(StatusOff));

    // The high word of wParam (menu or accelerator) does not matter.
    SendMessageA(window_, WM_COMMAND, MAKEWPARAM(IDM_TOGGLE, 1), 0);
    EXPECT_EQ(program::alarmTimer(), TICK_TIMER_ID);
}

TEST_F(MainWindow, FailedTimerLeavesTheAlarmOffAndSaysSo) {
    // SetTimer on a window that no longer exists fails.
    HWND gone = createMainWindow(program::instance());
    DestroyWindow(gone);
    pump();
    program::setMainWindow(gone);
    toggleAlarm();
    program::setMainWindow(window_);
    EXPECT_EQ(program::alarmTimer(), AlarmOff);
    EXPECT_EQ(shownInTray(), row(StatusOff));
    EXPECT_EQ(menuLabel(), "Zodora EIN");

    // Waking a sleeping alarm for a new appointment fails the same way.
    program::alarmTimer() = AlarmSleeping;
    showStatus(StatusNothingToDo);
    program::book().insert(monday0930 + 3600, "Zahnarzt");
    program::setMainWindow(gone);
    program::wakeAfterBookChange();
    program::setMainWindow(window_);
    EXPECT_EQ(program::alarmTimer(), AlarmOff);
    EXPECT_EQ(shownInTray(), row(StatusOff));
}

TEST_F(MainWindow, SleepsOnAnEmptyBookAndWakesForANewAppointment) {
    program::settings().onondemand = true;
    command(IDM_TOGGLE);
    postTick();
    EXPECT_EQ(program::alarmTimer(), AlarmSleeping);
    EXPECT_FALSE(tickTimerExists());
    EXPECT_EQ(shownInTray(), row(StatusNothingToDo));
    EXPECT_EQ(menuLabel(), "Zodora AUS");

    // Waking needs a non-empty book.
    program::wakeAfterBookChange();
    EXPECT_EQ(program::alarmTimer(), AlarmSleeping);

    const TimeValue wakeTime = monday0930 + 20 * 60;
    program::book().insert(wakeTime, "Zahnarzt");
    program::wakeAfterBookChange();
    EXPECT_EQ(program::alarmTimer(), TICK_TIMER_ID);
    pump(); // the immediate tick
    EXPECT_EQ(shownInTray(),
              (TrayStatus{IDI_WITHIN_HALF_HOUR,
                          "Termin:\r\n" + timeToDisplay(wakeTime) + "\r\nZahnarzt"}));

    // Switching off from Sleeping stops no timer and shows row 0.
    program::alarmTimer() = AlarmSleeping;
    command(IDM_TOGGLE);
    EXPECT_EQ(program::alarmTimer(), AlarmOff);
    EXPECT_EQ(shownInTray(), row(StatusOff));
}

TEST_F(MainWindow, EmptyBookWithoutSleepKeepsRunning) {
    command(IDM_TOGGLE);
    shellCalls.clear();
    postTick();
    postTick();
    EXPECT_EQ(program::alarmTimer(), TICK_TIMER_ID);
    EXPECT_TRUE(tickTimerExists());
    EXPECT_EQ(shownInTray(), row(StatusOn));
}

TEST_F(MainWindow, StatusFollowsTheDistance) {
    command(IDM_TOGGLE);
    program::book().insert(monday0930 + 2 * 3600, "Zahnarzt");
    postTick();
    const std::string display = timeToDisplay(monday0930 + 2 * 3600);
    EXPECT_EQ(display.substr(0, 4), "ht.,");
    EXPECT_EQ(shownInTray(), (TrayStatus{IDI_ON, "Termin:\r\n" + display + "\r\nZahnarzt"}));
    testNow = monday0930 + 3600 + 1;
    postTick();
    EXPECT_EQ(shownInTray().iconId, IDI_WITHIN_HOUR);
    testNow = monday0930 + 2 * 3600 - 599;
    postTick();
    EXPECT_EQ(shownInTray().iconId, IDI_WITHIN_TEN_MINUTES);
    EXPECT_EQ(program::book().count(), 1);
}

TEST_F(MainWindow, DueAppointmentOpensItsWindowAndLeavesTheFile) {
    program::settings().alarmoffset = 5;
    command(IDM_TOGGLE);
    program::book().insert(monday0930 + 5 * 60, "erster");
    program::book().insert(monday0930 + 5 * 60, "zweiter");
    program::book().insert(monday0930 + 3 * 3600, "später");

    postTick();
    std::vector<HWND> windows = alarmWindows();
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_TRUE(IsWindowVisible(windows[0]));
    EXPECT_EQ(windowText(windows[0]), "Quarv Vurive - Termin");
    EXPECT_EQ(windowText(GetDlgItem(windows[0], 1027)), "erster");
    EXPECT_EQ(shownInTray(), row(StatusDue));
    EXPECT_EQ(program::book().count(), 2);

    // Saved at once: the file no longer holds the first of the two.
    std::string saved = readWholeFile(userAppointmentFile());
    EXPECT_NE(saved.find("text=\"zweiter\""), std::string::npos);
    EXPECT_EQ(saved.find("text=\"erster\""), std::string::npos);

    postTick(); // one alarm per tick
    windows = alarmWindows();
    ASSERT_EQ(windows.size(), 2u);
    int second = windowText(GetDlgItem(windows[0], 1027)) == "zweiter" ? 0 : 1;
    EXPECT_EQ(windowText(GetDlgItem(windows[second], 1027)), "zweiter");
    saved = readWholeFile(userAppointmentFile());
    EXPECT_EQ(saved.find("text=\"zweiter\""), std::string::npos);
    EXPECT_NE(saved.find(zeit(monday0930 + 3 * 3600)), std::string::npos);

    postTick(); // the third is not due
    EXPECT_EQ(alarmWindows().size(), 2u);
    EXPECT_EQ(program::book().count(), 1);
}

TEST_F(MainWindow, AppointmentStaysWhenItsWindowCannotBeMade) {
    command(IDM_TOGGLE);
    program::book().insert(monday0930, "Zahnarzt");
    program::setInstance(GetModuleHandleA("kernel32.dll")); // holds no dialog 114
    postTick();
    program::setInstance(GetModuleHandleA(nullptr));
    EXPECT_TRUE(alarmWindows().empty());
    ASSERT_EQ(program::book().count(), 1);
    EXPECT_EQ(program::book().earliest().text, "Zahnarzt");

    postTick(); // the next tick brings it
    EXPECT_EQ(alarmWindows().size(), 1u);
    EXPECT_EQ(program::book().count(), 0);
}

TEST_F(MainWindow, SnoozedWindowOverridesEveryStatus) {
    command(IDM_TOGGLE);
    program::snoozeCount() = 1;
    command(IDM_TOGGLE);
    EXPECT_EQ(shownInTray(), row(StatusSnoozed));
    command(IDM_TOGGLE);
    program::book().insert(monday0930 + 600, "Zahnarzt");
    postTick();
    EXPECT_EQ(shownInTray(), row(StatusSnoozed));
}

TEST_F(MainWindow, ResumeAndClockChangeTickAtOnceWhenRunning) {
    program::book().insert(monday0930, "verschlafen");

    // Off: neither message ticks.
    EXPECT_EQ(SendMessageA(window_, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0), TRUE);
    SendMessageA(window_, WM_TIMECHANGE, 0, 0);
    pump();
    EXPECT_TRUE(alarmWindows().empty());

    command(IDM_TOGGLE);
    SendMessageA(window_, WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    pump();
    EXPECT_TRUE(alarmWindows().empty());
    SendMessageA(window_, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    pump();
    EXPECT_EQ(alarmWindows().size(), 1u);

    program::book().insert(monday0930, "umgestellt");
    SendMessageA(window_, WM_TIMECHANGE, 0, 0);
    pump();
    EXPECT_EQ(alarmWindows().size(), 2u);
    EXPECT_EQ(program::book().count(), 0);
}

TEST_F(MainWindow, QueuedTickAfterSwitchingOffDoesNothing) {
    program::settings().onondemand = true;
    program::book().insert(monday0930, "Zahnarzt");
    command(IDM_TOGGLE);
    PostMessageA(window_, WM_TIMER, TICK_TIMER_ID, 0);
    command(IDM_TOGGLE); // off before the queued tick arrives
    pump();
    EXPECT_EQ(program::alarmTimer(), AlarmOff);
    EXPECT_TRUE(alarmWindows().empty());
    EXPECT_EQ(program::book().count(), 1);
    EXPECT_EQ(shownInTray(), row(StatusOff));
}

TEST_F(MainWindow, EndOfSessionSavesTheBook) {
    program::book().insert(monday0930 + 3600, "Zahnarzt");
    SendMessageA(window_, WM_ENDSESSION, FALSE, 0); // cancelled: nothing to do
    EXPECT_EQ(GetFileAttributesA(userAppointmentFile().c_str()), INVALID_FILE_ATTRIBUTES);
    SendMessageA(window_, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    const std::string saved = readWholeFile(userAppointmentFile());
    EXPECT_NE(saved.find("text=\"Zahnarzt\" " + zeit(monday0930 + 3600)), std::string::npos);
}

TEST_F(MainWindow, QuitHidesTheIconAndEndsTheLoopWithZero) {
    command(IDM_TOGGLE);
    shellCalls.clear();
    command(IDM_EXIT);
    EXPECT_FALSE(IsWindow(window_));
    ASSERT_EQ(shellCalls.size(), 1u);
    EXPECT_EQ(shellCalls[0].message, static_cast<DWORD>(NIM_DELETE));
    pump();
    EXPECT_EQ(quitCode_, 0);

    // The destructor finds the icon removed and calls the shell no more.
    program::setTray(nullptr);
    tray_.reset();
    EXPECT_EQ(shellCalls.size(), 1u);
}

TEST_F(MainWindow, MenuCommandsOpenTheirDialogs) {
    program::DialogHooks& hooks = program::dialogHooks();
    hooks.appointmentList = [](HWND owner) {
        ++hookCalls.appointmentList;
        hookCalls.owner = owner;
    };
    hooks.configuration = [](HWND) { ++hookCalls.configuration; };
    hooks.about = [](HWND) { ++hookCalls.about; };

    command(IDM_APPOINTMENTS);
    command(IDM_SETTINGS);
    command(IDM_ABOUT);
    EXPECT_EQ(hookCalls.appointmentList, 1);
    EXPECT_EQ(hookCalls.configuration, 1);
    EXPECT_EQ(hookCalls.about, 1);
    EXPECT_EQ(hookCalls.owner, window_);

    // A double click on the icon reaches the main window as "Alarme".
    SendMessageA(window_, MSG_TRAY_NOTIFY, IDM_TRAY, WM_LBUTTONDBLCLK);
    EXPECT_EQ(hookCalls.appointmentList, 2);
    SendMessageA(window_, MSG_TRAY_NOTIFY, IDM_TRAY + 1, WM_LBUTTONDBLCLK);
    EXPECT_EQ(hookCalls.appointmentList, 2);

    // Any other command goes to the default procedure; nothing changes.
    EXPECT_EQ(SendMessageA(window_, WM_COMMAND, 40006, 0), 0);
    EXPECT_EQ(program::alarmTimer(), AlarmOff);
}

TEST_F(MainWindow, OnlyOneMenuDialogAtATime) {
    // While the list is open, the tray's commands arrive through its modal loop.
    program::DialogHooks& hooks = program::dialogHooks();
    hooks.appointmentList = [](HWND owner) {
        ++hookCalls.appointmentList;
        SendMessageA(owner, WM_COMMAND, IDM_APPOINTMENTS, 0);
        SendMessageA(owner, WM_COMMAND, IDM_SETTINGS, 0);
        SendMessageA(owner, MSG_TRAY_NOTIFY, IDM_TRAY, WM_LBUTTONDBLCLK);
    };
    hooks.configuration = [](HWND) { ++hookCalls.configuration; };

    command(IDM_APPOINTMENTS);
    EXPECT_EQ(hookCalls.appointmentList, 1);
    EXPECT_EQ(hookCalls.configuration, 0);

    // Once it is closed, the next command opens a dialog again.
    command(IDM_SETTINGS);
    EXPECT_EQ(hookCalls.configuration, 1);
}

TEST_F(MainWindow, MenuResourceLabels) {
    HMENU menu = LoadMenuA(program::instance(), MAKEINTRESOURCEA(IDM_TRAY));
    ASSERT_NE(menu, nullptr);
    HMENU popup = GetSubMenu(menu, 0);
    const char* labels[] = {"Alarme", "an_aus", "Einstellungen",
                            "\xfc"
                            "ber Quarv Zodora"};
    const UINT ids[] = {IDM_APPOINTMENTS, IDM_TOGGLE, IDM_SETTINGS, IDM_ABOUT};
    for (int position = 0; position < 4; ++position) {
        char text[64] = {};
        GetMenuStringA(popup, position, text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ(text, labels[position]);
        EXPECT_EQ(GetMenuItemID(popup, position), ids[position]);
    }
    char text[64] = {};
    GetMenuStringA(popup, IDM_EXIT, text, sizeof text, MF_BYCOMMAND);
    EXPECT_STREQ(text, "Beenden");
    DestroyMenu(menu);
}

} // namespace
