// The real belvanto.exe under Wine: single instance, an alarm at the tick, "Beenden".
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "core/calendar.h"
#include "core/clock.h"
#include "tests/e2e/program/real_program.h"
#include "tests/support/appointment_xml.h"
#include "tests/support/remote_program.h"

namespace {

TEST_F(RealProgram, SecondStartShowsAMessageAndEndsWithZero) {
    Program first;
    ASSERT_TRUE(first.started()) << BELVANTO_EXE;
    const HWND mainWindow = first.waitUntilStarted();
    ASSERT_NE(mainWindow, nullptr);

    Program second;
    ASSERT_TRUE(second.started());
    HWND box = nullptr;
    ASSERT_TRUE(
        waitFor([&] { return (box = second.window("#32770", "Quarv Zodora")) != nullptr; }));
    EXPECT_EQ(messageText(box), "Programm l\xe4uft schon!\r\nGuck mal im Tray nach.");
    EXPECT_TRUE(second.running()); // it waits for the message to be read
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(second.exitCode(), 0);

    // The first runs on, untouched.
    EXPECT_TRUE(first.running());
    EXPECT_EQ(first.mainWindow(), mainWindow);
    EXPECT_TRUE(first.hasTrayIcon(mainWindow));
    EXPECT_EQ(first.quit(), 0);
}

TEST_F(RealProgram, DueAppointmentAlarmsAtTheTickAndBeendenSaves) {
    // Due within the 5 minutes ahead, but still in the future when the file is read.
    const TimeValue now = systemClock().currentTime();
    const TimeValue soon = now + 120 - now % 60;
    const TimeValue later = now + 3 * 3600;
    writeFile(userAppointmentFile(),
              appointmentXml({{"Zahnarzt", soon}, {"Geburtstag Oma", later}}));

    Program program;
    ASSERT_TRUE(program.started());
    const HWND mainWindow = program.waitUntilStarted();
    ASSERT_NE(mainWindow, nullptr);
    EXPECT_EQ(readWholeFile(userAppointmentFile()),
              appointmentXml({{"Zahnarzt", soon}, {"Geburtstag Oma", later}}));
    // Start-up does without the common controls and the sound library: the first
    // window that needs them loads them.
    EXPECT_FALSE(program.hasLibrary("comctl32.dll"));
    EXPECT_FALSE(program.hasLibrary("winmm.dll"));

    PostMessageA(mainWindow, WM_TIMER, PROGRAM_TICK_TIMER, 0);
    HWND alarm = nullptr;
    ASSERT_TRUE(waitFor([&] {
        alarm = program.window(nullptr, "Quarv Vurive - Termin");
        return alarm != nullptr && IsWindowVisible(alarm);
    }));
    EXPECT_EQ(itemText(alarm, 1027), "Zahnarzt");
    EXPECT_EQ(GetWindow(alarm, GW_OWNER), mainWindow);
    EXPECT_TRUE(program.hasLibrary("comctl32.dll"));

    // The alarm rewrote the file without the due appointment.
    const std::string remaining = appointmentXml({{"Geburtstag Oma", later}});
    EXPECT_TRUE(waitFor([&] { return readWholeFile(userAppointmentFile()) == remaining; }))
        << readWholeFile(userAppointmentFile());

    // "Beenden": the program saves once more (here into a removed file), ends with 0,
    // and its icon is gone.
    ASSERT_TRUE(DeleteFileA(userAppointmentFile().c_str()));
    EXPECT_EQ(program.quit(), 0);
    EXPECT_FALSE(program.hasTrayIcon(mainWindow));
    EXPECT_EQ(readWholeFile(userAppointmentFile()), remaining);
}

TEST_F(RealProgram, PastAppointmentsAreDroppedAtStartWhenDeleteOld) {
    setProgramSetting(HKEY_CURRENT_USER, "deleteold", 1);
    const TimeValue now = systemClock().currentTime();
    writeFile(userAppointmentFile(),
              appointmentXml({{"vorbei", now - 86400}, {"kommt noch", now + 86400}}));

    Program program;
    ASSERT_TRUE(program.started());
    const HWND mainWindow = program.waitUntilStarted();
    ASSERT_NE(mainWindow, nullptr);
    EXPECT_EQ(program.window("#32770"), nullptr); // no missed-appointments dialog
    EXPECT_EQ(readWholeFile(userAppointmentFile()), appointmentXml({{"kommt noch", now + 86400}}));
    EXPECT_EQ(program.quit(), 0);
}

TEST_F(RealProgram, MissedAppointmentsAreShownBeforeTheTrayIcon) {
    const TimeValue now = systemClock().currentTime();
    writeFile(userAppointmentFile(),
              appointmentXml({{"vorbei", now - 86400}, {"kommt noch", now + 86400}}));

    Program program;
    ASSERT_TRUE(program.started());
    HWND missed = nullptr;
    ASSERT_TRUE(waitFor([&] {
        return (missed = program.window("#32770", "Quarv Zodora - verdaddelte Termine")) != nullptr;
    }));
    const HWND mainWindow = program.mainWindow();
    ASSERT_NE(mainWindow, nullptr);
    EXPECT_FALSE(program.hasTrayIcon(mainWindow)); // not before the dialog is closed
    EXPECT_EQ(readWholeFile(userAppointmentFile()), appointmentXml({{"kommt noch", now + 86400}}));

    PostMessageA(missed, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(program.waitUntilStarted(), mainWindow);
    EXPECT_EQ(program.quit(), 0);
    EXPECT_EQ(readWholeFile(userAppointmentFile()), appointmentXml({{"kommt noch", now + 86400}}));
}

TEST_F(RealProgram, StartsAgainAfterTheFirstInstanceWasKilled) {
    Program first;
    ASSERT_NE(first.waitUntilStarted(), nullptr);
    // Another handle (as of a second start still showing its message) keeps the
    // mutex alive, so that the kill leaves it abandoned rather than gone.
    const HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, "quarv_wecker_the_first");
    ASSERT_NE(mutex, nullptr);
    first.kill();

    Program second;
    const HWND mainWindow = second.waitUntilStarted();
    ASSERT_NE(mainWindow, nullptr);
    EXPECT_EQ(second.window("#32770", "Quarv Zodora"), nullptr);
    EXPECT_EQ(second.quit(), 0);
    CloseHandle(mutex);
}

} // namespace
