// Processes that the end-to-end tests start: the real belvanto.exe, the setup
// program. A process still running when its object goes is killed.
#pragma once

#include <windows.h>

#include <chrono>
#include <string>
#include <utility>

#include "store/win32_handle.h"

class TestProcess {
  public:
    // Starts the command line; started() tells whether it could be.
    explicit TestProcess(std::string commandLine);
    ~TestProcess();
    TestProcess(TestProcess&&) = default;
    TestProcess(const TestProcess&) = delete;
    TestProcess& operator=(const TestProcess&) = delete;

    bool started() const { return static_cast<bool>(process_); }
    bool running() const;
    DWORD id() const { return id_; }
    HANDLE handle() const { return process_.get(); }

    // The exit code once the process has ended; -1 when it did not end in time.
    long exitCode(std::chrono::milliseconds limit = std::chrono::seconds(90)) const;
    void kill();
    // The process's handle, handed over: the process is no longer killed here.
    UniqueHandle release() { return std::move(process_); }

    // Whether the process has loaded a library of that file name (any case).
    bool hasLibrary(const char* fileName) const;

    // The first top-level window of this process with the class and title
    // (nullptr: any); nullptr when there is none.
    HWND window(const char* className, const char* title = nullptr) const;

  private:
    UniqueHandle process_;
    DWORD id_ = 0;
};

// A path of the build as Wine sees it: the Unix root is drive Z:.
std::string fromUnixPath(const char* path);

// A path in double quotes, as command lines and registry values hold it.
std::string quoted(const std::string& path);

// A value of the real program's settings ("Software\QuarvWecker") in this prefix's
// registry, written as the program writes it: a number or a REG_SZ text.
void setProgramSetting(HKEY root, const char* name, DWORD value);
void setProgramSetting(HKEY root, const char* name, const std::string& text);
// Every user has settings of their own, and this one's are: the alarm 5 minutes ahead,
// no sound, the alarm window in the centre, on after start or not.
void usePerUserSettings(bool alarmOnAfterStart);

// The real belvanto.exe, and what a test asks of it.
class RunningProgram : public TestProcess {
  public:
    explicit RunningProgram(const std::string& exe) : TestProcess(quoted(exe)) {}

    HWND mainWindow() const { return window("quarv_wecker", "Quarv Zodora"); }
    // The program's icon is in the notification area when the shell knows it (a
    // change of nothing succeeds only for an icon that is there).
    bool hasTrayIcon(HWND mainWindow) const;
    // The main window once start-up is done: the window exists and its icon is in
    // the tray; nullptr when that did not happen in time.
    HWND waitUntilStarted() const;
    // "Beenden" from the tray menu, and the exit code.
    long quit() const;
};
