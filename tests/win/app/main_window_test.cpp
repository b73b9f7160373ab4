// The real main window driven with messages: alarm switch, sleep and wake, the
// menu text, due alarms, immediate ticks, the save at session end, "Beenden"
// and the dialogs of the menu.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/main_window.h"
#include "res/resource.h"
#include "tests/support/program_fixture.h"
#include "tests/support/rule_patterns.h"

namespace {

// Monday 2026-12-07 09:30 CET.
constexpr TimeValue monday0930 = 1796632200;

constexpr char LIST_TITLE[] = "Quarv Revov - Termine";
constexpr char CONFIG_TITLE[] = "Quarv Zodora - Konfiguration";
constexpr char ABOUT_TITLE[] = "\xFC"
                               "ber Quarv Zodora";

std::string zeit(TimeValue time) {
    return "zeit=\"" + timeToFileKey(time) + "\"";
}

class MainWindow : public ProgramFixture {
  protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        clock.set(monday0930, LocalDate{2026, 12, 7, 1});
        createTray();
        PlatformRecorder::shellCalls.clear();
    }

    HWND window() const { return program->mainWindow; }
    void command(WORD id) { SendMessageA(window(), WM_COMMAND, id, 0); }
    void postTick() {
        PostMessageA(window(), WM_TIMER, TICK_TIMER_ID, 0);
        pumpMessages();
    }
    bool tickTimerExists() const { return KillTimer(window(), TICK_TIMER_ID) != 0; }

    std::string menuLabel() {
        HMENU menu = LoadMenuA(program->instance, MAKEINTRESOURCEA(IDM_TRAY));
        HMENU popup = GetSubMenu(menu, 0);
        SendMessageA(window(), MSG_TRAY_MENU, 0, reinterpret_cast<LPARAM>(popup));
        char text[64] = {};
        GetMenuStringA(popup, IDM_TOGGLE, text, sizeof text, MF_BYCOMMAND);
        DestroyMenu(menu);
        return text;
    }
};

TEST_F(MainWindow, ToggleInAllThreeStates) {
    command(IDM_TOGGLE); // Off -> Running
    EXPECT_EQ(program->alarmTimer, TICK_TIMER_ID);
    EXPECT_EQ(shownInTray(), row(StatusOn));
    EXPECT_EQ(menuLabel(), "Zodora AUS");

    command(IDM_TOGGLE); // Running -> Off, the timer is gone
    EXPECT_EQ(program->alarmTimer, AlarmOff);
    EXPECT_FALSE(tickTimerExists());
    EXPECT_EQ(shownInTray(), row(StatusOff));
    EXPECT_EQ(menuLabel(), "Zodora EIN");

    program->alarmTimer = AlarmSleeping; // Sleeping -> Off
    command(IDM_TOGGLE);
    EXPECT_EQ(program->alarmTimer, AlarmOff);
    EXPECT_EQ(shownInTray(), row(StatusOff));

    // The high word of wParam (menu or accelerator) does not matter.
    SendMessageA(window(), WM_COMMAND, MAKEWPARAM(IDM_TOGGLE, 1), 0);
    EXPECT_EQ(program->alarmTimer, TICK_TIMER_ID);
}

TEST_F(MainWindow, FailedTimerLeavesTheAlarmOffAndSaysSo) {
    // SetTimer on a window that no longer exists fails.
    const HWND real = window();
    HWND gone = CreateWindowExA(0, "Static", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    program->mainWindow = gone;
    program->toggleAlarm();
    program->mainWindow = real;
    EXPECT_EQ(program->alarmTimer, AlarmOff);
    EXPECT_EQ(shownInTray(), row(StatusOff));
    EXPECT_EQ(menuLabel(), "Zodora EIN");

    // Waking a sleeping alarm for a new appointment fails the same way.
    program->alarmTimer = AlarmSleeping;
    program->showStatus(StatusNothingToDo);
    program->book.insert(monday0930 + 3600, "Zahnarzt");
    program->mainWindow = gone;
    program->wakeAfterBookChange();
    program->mainWindow = real;
    EXPECT_EQ(program->alarmTimer, AlarmOff);
    EXPECT_EQ(shownInTray(), row(StatusOff));
}

TEST_F(MainWindow, SleepsOnAnEmptyBookAndWakesForANewAppointment) {
    program->settings.onondemand = true;
    command(IDM_TOGGLE);
    postTick();
    EXPECT_EQ(program->alarmTimer, AlarmSleeping);
    EXPECT_FALSE(tickTimerExists());
    EXPECT_EQ(shownInTray(), row(StatusNothingToDo));
    EXPECT_EQ(menuLabel(), "Zodora AUS");

    // Waking needs a non-empty book.
    program->wakeAfterBookChange();
    EXPECT_EQ(program->alarmTimer, AlarmSleeping);

    const TimeValue wakeTime = monday0930 + 20 * 60;
    program->book.insert(wakeTime, "Zahnarzt");
    program->wakeAfterBookChange();
    EXPECT_EQ(program->alarmTimer, TICK_TIMER_ID);
    pumpMessages(); // the immediate tick
    EXPECT_EQ(shownInTray(), (TrayStatus{IDI_WITHIN_HALF_HOUR,
                                         "Termin:\r\n" + timeToDisplay(wakeTime, clock.today()) +
                                             "\r\nZahnarzt"}));

    // Switching off from Sleeping stops no timer and shows row 0.
    program->alarmTimer = AlarmSleeping;
    command(IDM_TOGGLE);
    EXPECT_EQ(program->alarmTimer, AlarmOff);
    EXPECT_EQ(shownInTray(), row(StatusOff));
}

TEST_F(MainWindow, EmptyBookWithoutSleepKeepsRunning) {
    command(IDM_TOGGLE);
    PlatformRecorder::shellCalls.clear();
    postTick();
    postTick();
    EXPECT_EQ(program->alarmTimer, TICK_TIMER_ID);
    EXPECT_TRUE(tickTimerExists());
    EXPECT_EQ(shownInTray(), row(StatusOn));
}

TEST_F(MainWindow, StatusFollowsTheDistance) {
    command(IDM_TOGGLE);
    program->book.insert(monday0930 + 2 * 3600, "Zahnarzt");
    postTick();
    const std::string display = timeToDisplay(monday0930 + 2 * 3600, clock.today());
    EXPECT_EQ(display.substr(0, 4), "ht.,");
    EXPECT_EQ(shownInTray(), (TrayStatus{IDI_ON, "Termin:\r\n" + display + "\r\nZahnarzt"}));
    clock.set(monday0930 + 3600 + 1);
    postTick();
    EXPECT_EQ(shownInTray().iconId, IDI_WITHIN_HOUR);
    clock.set(monday0930 + 2 * 3600 - 599);
    postTick();
    EXPECT_EQ(shownInTray().iconId, IDI_WITHIN_TEN_MINUTES);
    EXPECT_EQ(program->book.count(), 1);
}

TEST_F(MainWindow, DueAppointmentOpensItsWindowAndLeavesTheFile) {
    program->settings.alarmoffset = 5;
    command(IDM_TOGGLE);
    program->book.insert(monday0930 + 5 * 60, "erster");
    program->book.insert(monday0930 + 5 * 60, "zweiter");
    program->book.insert(monday0930 + 3 * 3600, "später");

    postTick();
    std::vector<HWND> windows = ownedWindows();
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_TRUE(IsWindowVisible(windows[0]));
    EXPECT_EQ(windowText(windows[0]), "Quarv Vurive - Termin");
    EXPECT_EQ(itemText(windows[0], 1027), "erster");
    EXPECT_EQ(shownInTray(), row(StatusDue));
    EXPECT_EQ(program->book.count(), 2);

    // Saved at once: the file no longer holds the first of the two.
    std::string saved = readWholeFile(appointmentFile());
    EXPECT_NE(saved.find("text=\"zweiter\""), std::string::npos);
    EXPECT_EQ(saved.find("text=\"erster\""), std::string::npos);

    postTick(); // one alarm per tick
    windows = ownedWindows();
    ASSERT_EQ(windows.size(), 2u);
    const int second = itemText(windows[0], 1027) == "zweiter" ? 0 : 1;
    EXPECT_EQ(itemText(windows[second], 1027), "zweiter");
    saved = readWholeFile(appointmentFile());
    EXPECT_EQ(saved.find("text=\"zweiter\""), std::string::npos);
    EXPECT_NE(saved.find(zeit(monday0930 + 3 * 3600)), std::string::npos);

    postTick(); // the third is not due
    EXPECT_EQ(ownedWindows().size(), 2u);
    EXPECT_EQ(program->book.count(), 1);
}

// A daily pill due five minutes early: its window opens as for any appointment,
// the book and the file go on with tomorrow's, which "Erledigt" leaves alone and
// the tray names.
TEST_F(MainWindow, RepeatingAppointmentGoesOnAtItsNextOccurrence) {
    program->settings.alarmoffset = 5;
    command(IDM_TOGGLE);
    const TimeValue due = monday0930 + 5 * 60;
    const Recurrence daily = makeRecurrence(RepeatKind::Daily, due);
    program->book.insert({due, "Pille", daily});
    postTick();
    const std::vector<HWND> windows = ownedWindows();
    ASSERT_EQ(windows.size(), 1u);
    const std::vector<Appointment> next{{due + 24 * 3600, "Pille", daily}};
    EXPECT_EQ(savedAppointments(), next);
    EXPECT_NE(readWholeFile(appointmentFile()).find(zeit(next[0].alarmTime) + " wdh=\"tag\""),
              std::string::npos);

    SendMessageA(windows[0], WM_COMMAND, IDOK, 0);
    postTick();
    EXPECT_EQ(contents(program->book), next);
    EXPECT_EQ(shownInTray().tooltip,
              "Termin:\r\n" + timeToDisplay(next[0].alarmTime, clock.today()) + "\r\nPille");
}

// Every 2 weeks, twice: the first alarm leaves the second in the file with one left;
// the second alarm, the last, leaves nothing in the book or the file.
TEST_F(MainWindow, ASeriesWithAnIntervalGoesOnInTheFileAndEndsAfterItsCount) {
    command(IDM_TOGGLE);
    const Recurrence rule = makeRecurrence(ending(every(RepeatKind::Weekly, 2), 2), monday0930);
    program->book.insert({monday0930, "Chor", rule});
    postTick();
    ASSERT_EQ(ownedWindows().size(), 1u);
    Recurrence last = rule;
    last.count = 1;
    const TimeValue fortnight = monday0930 + 14 * 24 * 3600;
    EXPECT_EQ(savedAppointments(), (std::vector<Appointment>{{fortnight, "Chor", last}}));
    EXPECT_NE(readWholeFile(appointmentFile()).find(zeit(fortnight) + " wdh=\"woche/2 noch 1\""),
              std::string::npos);

    clock.set(fortnight, LocalDate{2026, 12, 21, 1});
    postTick();
    EXPECT_EQ(ownedWindows().size(), 2u);
    EXPECT_TRUE(program->book.count() == 0);
    EXPECT_TRUE(savedAppointments().empty());
}

TEST_F(MainWindow, AppointmentStaysWhenItsWindowCannotBeMade) {
    command(IDM_TOGGLE);
    const Appointment weekly{monday0930, "Zahnarzt",
                             makeRecurrence(RepeatKind::Weekly, monday0930)};
    program->book.insert(weekly);
    program->instance = GetModuleHandleA("kernel32.dll"); // holds no dialog 114
    postTick();
    program->instance = GetModuleHandleA(nullptr);
    EXPECT_TRUE(ownedWindows().empty());
    EXPECT_EQ(contents(program->book), std::vector<Appointment>{weekly}) << "with its rule";

    postTick(); // the next tick brings it
    EXPECT_EQ(ownedWindows().size(), 1u);
    EXPECT_EQ(program->book.earliest().alarmTime, monday0930 + 7 * 24 * 3600);
}

TEST_F(MainWindow, SnoozedWindowOverridesEveryStatus) {
    command(IDM_TOGGLE);
    program->snoozeCount = 1;
    command(IDM_TOGGLE);
    EXPECT_EQ(shownInTray(), row(StatusSnoozed));
    command(IDM_TOGGLE);
    program->book.insert(monday0930 + 600, "Zahnarzt");
    postTick();
    EXPECT_EQ(shownInTray(), row(StatusSnoozed));
}

// After sleep or a change of the clock every appointment that fell due meanwhile
// alarms at once, each in its own window, and none twice (a daily series that
// slept through three days alarms once); with nothing due the status follows.
TEST_F(MainWindow, ResumeAndClockChangeAlarmWhatFellDueAtOnceAndNothingTwice) {
    const TimeValue daily = monday0930 - 3 * 24 * 3600 + 600;
    const Appointment pill{daily, "Pille", makeRecurrence(RepeatKind::Daily, daily)};
    program->book.insert(monday0930 - 7200, "verschlafen");
    program->book.insert(monday0930 - 60, "eben");
    program->book.insert(pill);
    program->book.insert(monday0930 + 3600, "sp\xE4ter");

    // Off: neither message alarms.
    EXPECT_EQ(SendMessageA(window(), WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0), TRUE);
    SendMessageA(window(), WM_TIMECHANGE, 0, 0);
    pumpMessages();
    EXPECT_TRUE(ownedWindows().empty());

    command(IDM_TOGGLE);
    SendMessageA(window(), WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    pumpMessages();
    EXPECT_TRUE(ownedWindows().empty());
    SendMessageA(window(), WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    pumpMessages();
    EXPECT_EQ(ownedWindows().size(), 3u);
    SendMessageA(window(), WM_TIMECHANGE, 0, 0); // nothing left to alarm: the status
    pumpMessages();
    postTick();
    EXPECT_EQ(ownedWindows().size(), 3u);
    const std::vector<Appointment> left{{daily + 3 * 24 * 3600, pill.text, pill.recurrence},
                                        {monday0930 + 3600, "sp\xE4ter", {}}};
    EXPECT_EQ(savedAppointments(), left);
    EXPECT_EQ(shownInTray().iconId, IDI_WITHIN_HALF_HOUR);

    // An offset longer than a day makes each next occurrence due at once: the
    // catch-up alarms only what was due when it began.
    program->settings.alarmoffset = 2 * 24 * 60;
    SendMessageA(window(), WM_TIMECHANGE, 0, 0);
    pumpMessages();
    EXPECT_EQ(ownedWindows().size(), 5u);
}

TEST_F(MainWindow, QueuedTickAfterSwitchingOffDoesNothing) {
    program->settings.onondemand = true;
    program->book.insert(monday0930, "Zahnarzt");
    command(IDM_TOGGLE);
    PostMessageA(window(), WM_TIMER, TICK_TIMER_ID, 0);
    command(IDM_TOGGLE); // off before the queued tick arrives
    pumpMessages();
    EXPECT_EQ(program->alarmTimer, AlarmOff);
    EXPECT_TRUE(ownedWindows().empty());
    EXPECT_EQ(program->book.count(), 1);
    EXPECT_EQ(shownInTray(), row(StatusOff));
}

TEST_F(MainWindow, EndOfSessionSavesTheBook) {
    program->book.insert(monday0930 + 3600, "Zahnarzt");
    SendMessageA(window(), WM_ENDSESSION, FALSE, 0); // cancelled: nothing to do
    EXPECT_EQ(GetFileAttributesA(appointmentFile().c_str()), INVALID_FILE_ATTRIBUTES);
    SendMessageA(window(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    const std::string saved = readWholeFile(appointmentFile());
    EXPECT_NE(saved.find("text=\"Zahnarzt\" " + zeit(monday0930 + 3600)), std::string::npos);
}

TEST_F(MainWindow, QuitHidesTheIconAndEndsTheLoopWithZero) {
    command(IDM_TOGGLE);
    PlatformRecorder::shellCalls.clear();
    const HWND quitting = window();
    command(IDM_EXIT);
    EXPECT_FALSE(IsWindow(quitting));
    ASSERT_EQ(PlatformRecorder::shellCalls.size(), 1u);
    EXPECT_EQ(PlatformRecorder::shellCalls[0].message, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(pumpMessages(), 0);

    // The destructor finds the icon removed and calls the shell no more.
    program->tray.reset();
    EXPECT_EQ(PlatformRecorder::shellCalls.size(), 1u);
}

TEST_F(MainWindow, MenuCommandsAndTheDoubleClickOpenTheirDialogs) {
    const struct {
        const char* title;
        WORD command;
        int close; // only OK closes the about box
    } menuDialogs[] = {{LIST_TITLE, IDM_APPOINTMENTS, IDCANCEL},
                       {CONFIG_TITLE, IDM_SETTINGS, IDCANCEL},
                       {ABOUT_TITLE, IDM_ABOUT, IDOK}};
    for (const auto& dialog : menuDialogs) {
        driveModal(
            dialog.title, [&] { command(dialog.command); },
            [&](HWND opened) {
                EXPECT_EQ(GetWindow(opened, GW_OWNER), window()) << dialog.title;
                postCommand(opened, dialog.close);
            });
    }

    // A double click on the icon reaches the main window as "Alarme".
    driveModal(
        LIST_TITLE, [&] { SendMessageA(window(), MSG_TRAY_NOTIFY, IDM_TRAY, WM_LBUTTONDBLCLK); },
        [](HWND opened) { postCommand(opened, IDCANCEL); });
    // Another icon's notification opens nothing.
    SendMessageA(window(), MSG_TRAY_NOTIFY, IDM_TRAY + 1, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(ownedWindows().empty());

    // Any other command goes to the default procedure; nothing changes.
    EXPECT_EQ(SendMessageA(window(), WM_COMMAND, 40006, 0), 0);
    EXPECT_EQ(program->alarmTimer, AlarmOff);
}

TEST_F(MainWindow, OnlyOneMenuDialogAtATime) {
    // While the list is open, the tray's commands arrive through its modal loop.
    driveModal(
        LIST_TITLE, [&] { command(IDM_APPOINTMENTS); },
        [&](HWND list) {
            SendMessageA(window(), WM_COMMAND, IDM_APPOINTMENTS, 0);
            SendMessageA(window(), WM_COMMAND, IDM_SETTINGS, 0);
            SendMessageA(window(), MSG_TRAY_NOTIFY, IDM_TRAY, WM_LBUTTONDBLCLK);
            EXPECT_EQ(ownedWindows().size(), 1u) << "only the list is open";
            EXPECT_EQ(FindWindowA("#32770", CONFIG_TITLE), nullptr);
            postCommand(list, IDCANCEL);
        });

    // Once it is closed, the next command opens a dialog again.
    driveModal(
        CONFIG_TITLE, [&] { command(IDM_SETTINGS); },
        [](HWND config) { postCommand(config, IDCANCEL); });
}

// A user's first start shows the balloon once: not while the shell refuses the
// icon, then once, then never again.
TEST_F(ProgramFixture, FirstStartBalloonOnceAndNeverAgain) {
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\QuarvWecker", 0, nullptr, 0, KEY_ALL_ACCESS,
                    nullptr, &key, nullptr);
    RegDeleteValueA(key, "tipshown");
    RegCloseKey(key);
    const auto balloonOfStart = [&](BOOL shellTakesTheIcon) {
        PlatformRecorder::shellCalls.clear();
        PlatformRecorder::shellAnswers = {shellTakesTheIcon};
        createTray();
        program->tray.reset();
        std::string text;
        for (const ShellCall& call : PlatformRecorder::shellCalls) {
            text += (call.data.uFlags & NIF_INFO) ? call.data.szInfo : "";
        }
        return text;
    };
    EXPECT_EQ(balloonOfStart(FALSE), "");
    EXPECT_NE(balloonOfStart(TRUE).find("Taskleisteneinstellungen \x9B Andere Symbole"),
              std::string::npos);
    EXPECT_EQ(balloonOfStart(TRUE), "");
}

TEST_F(MainWindow, MenuResourceLabels) {
    HMENU menu = LoadMenuA(program->instance, MAKEINTRESOURCEA(IDM_TRAY));
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
