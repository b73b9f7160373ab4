// A running program for the tests of its windows: a fresh Program with the real
// (Wine) registry and file system, a clock the test sets, recording window
// calls, and its real hidden main window, whose ticks are counted.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/program.h"
#include "core/calendar.h"
#include "store/services_win32.h"
#include "tests/support/book_contents.h"
#include "tests/support/files.h"
#include "tests/support/fixed_clock.h"
#include "tests/support/platform_recorder.h"
#include "tests/support/test_account.h"
#include "tests/support/window_driver.h"

class ProgramFixture : public ::testing::Test {
  protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    // The icon, the tooltip's first add and the notifications of a tray icon on
    // the main window, through the recording shell.
    void createTray();

    // The main window's WM_TIMER messages since SetUp, with the text of the
    // book's earliest appointment at that moment ("" for an empty book).
    const std::vector<std::string>& ticksSeen() const { return ticks_; }
    // The timer ids those WM_TIMER messages came with.
    const std::vector<WPARAM>& tickIds() const { return tickIds_; }
    // Ticks are recorded and then dropped instead of carried out.
    void swallowTicks(bool swallow) { swallowTicks_ = swallow; }

    // The windows owned by the main window: its alarm windows and dialogs.
    std::vector<HWND> ownedWindows() const;
    // What the tray shows now: the last icon and tooltip handed to the shell.
    TrayStatus shownInTray() const;
    // The icon and text of a status row.
    static TrayStatus row(StatusRow index);

    // The appointment file of the program's settings, and what it holds, past and
    // future, in file order of time.
    std::string appointmentFile() const;
    std::vector<Appointment> savedAppointments() const;

    // The clock's time cut to the whole minute.
    TimeValue thisMinute() const { return clock.currentTime() / 60 * 60; }

    FixedClock clock{0, {}};
    TestAccount account;
    Services services{systemRegistry(), systemFileSystem(), clock, account, {}};
    std::unique_ptr<Program> program;

  private:
    static LRESULT CALLBACK countingProc(HWND window, UINT message, WPARAM wParam,
                                         LPARAM lParam) noexcept;

    std::vector<std::string> ticks_;
    std::vector<WPARAM> tickIds_;
    bool swallowTicks_ = false;
};

// A time value for a display form such as "Fr., 15.03.2030 09:30".
inline TimeValue at(const char* display) {
    return displayToTime(display);
}
