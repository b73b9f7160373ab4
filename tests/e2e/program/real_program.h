// The fixture of the tests of the real belvanto.exe in this prefix: per-user settings
// with the alarm on after start, no appointment file, no other instance running.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "res/resource.h"
#include "tests/support/files.h"
#include "tests/support/test_process.h"
#include "tests/support/window_driver.h"

// The real belvanto.exe of this build.
class Program : public RunningProgram {
  public:
    Program() : RunningProgram(fromUnixPath(BELVANTO_EXE)) {}
};

inline void writeFile(const std::string& path, const std::string& content) {
    ASSERT_TRUE(writeWholeFile(path, content)) << path;
}

class RealProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        usePerUserSettings(true);
        DeleteFileA(userAppointmentFile().c_str());
        // An instance left by an earlier test of this prefix is asked to end first.
        if (const HWND stray = FindWindowA("quarv_wecker", nullptr)) {
            PostMessageA(stray, WM_COMMAND, IDM_EXIT, 0);
        }
        ASSERT_TRUE(waitFor([] { return FindWindowA("quarv_wecker", nullptr) == nullptr; }))
            << "another instance runs";
    }
};
