// The real belvanto.exe under Wine: single instance, an alarm at the tick, "Beenden".
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>

#include "core/calendar.h"
#include "core/clock.h"
#include "tests/support/files.h"

namespace {

constexpr UINT TRAY_ICON_ID = 111;
constexpr UINT TICK_TIMER_ID = 11;
constexpr WPARAM COMMAND_EXIT = 40004;

// Wine starts slowly; it never fails slowly.
bool waitFor(const std::function<bool()>& condition, int seconds = 90) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition()) {
            return true;
        }
        Sleep(20);
    }
    return condition();
}

class Program {
  public:
    Program() {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        started_ = CreateProcessA(BELVANTO_EXE, nullptr, nullptr, nullptr, FALSE, 0, nullptr,
                                  nullptr, &startup, &info_) != FALSE;
    }
    ~Program() {
        if (started_) {
            if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
                TerminateProcess(info_.hProcess, 99);
                WaitForSingleObject(info_.hProcess, 30000);
            }
            CloseHandle(info_.hThread);
            CloseHandle(info_.hProcess);
        }
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool started() const { return started_; }
    bool running() const { return WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }

    // The exit code once the program has ended; -1 when it did not end in time.
    long exitCode() const {
        if (!waitFor([this] { return !running(); })) {
            return -1;
        }
        DWORD code = 0;
        GetExitCodeProcess(info_.hProcess, &code);
        return static_cast<long>(code);
    }

    void kill() {
        TerminateProcess(info_.hProcess, 1);
        WaitForSingleObject(info_.hProcess, 30000);
    }

    // The first top-level window of this process with the class (or any class) and title.
    HWND window(const char* className, const char* title = nullptr) const {
        struct Search {
            DWORD process;
            const char* className;
            const char* title;
            HWND found;
        } search{info_.dwProcessId, className, title, nullptr};
        EnumWindows(
            [](HWND candidate, LPARAM context) -> BOOL {
                auto& s = *reinterpret_cast<Search*>(context);
                DWORD process = 0;
                GetWindowThreadProcessId(candidate, &process);
                char name[64] = {};
                char text[128] = {};
                GetClassNameA(candidate, name, sizeof name);
                GetWindowTextA(candidate, text, sizeof text);
                if (process == s.process &&
                    (s.className == nullptr || name == std::string(s.className)) &&
                    (s.title == nullptr || text == std::string(s.title))) {
                    s.found = candidate;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    HWND mainWindow() const { return window("quarv_wecker", "Quarv Zodora"); }

    // The program's icon is in the notification area when the shell knows it.
    bool hasTrayIcon(HWND mainWindow) const {
        NOTIFYICONDATAA data{};
        data.cbSize = NOTIFYICONDATAA_V1_SIZE;
        data.hWnd = mainWindow;
        data.uID = TRAY_ICON_ID;
        return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
    }

    // Start-up is done once the main window exists and its icon is in the tray.
    HWND waitUntilStarted() const {
        HWND found = nullptr;
        waitFor([&] {
            found = mainWindow();
            return found != nullptr && hasTrayIcon(found);
        });
        return found;
    }

  private:
    PROCESS_INFORMATION info_{};
    bool started_ = false;
};

void writeFile(const std::string& path, const std::string& content) {
    ASSERT_TRUE(writeWholeFile(path, content)) << path;
}

struct Entry {
    std::string text;
    TimeValue time;
};

// The appointment file as the program writes it, byte for byte.
std::string appointmentXml(std::initializer_list<Entry> entries) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<quarvwecker>\r\n"
                      "<version1>\r\n<termine>\r\n";
    for (const Entry& entry : entries) {
        xml +=
            "<date text=\"" + entry.text + "\" zeit=\"" + timeToFileKey(entry.time) + "\" />\r\n";
    }
    return xml + "</termine>\r\n</version1>\r\n</quarvwecker>\r\n";
}

void setValue(HKEY root, const char* name, DWORD value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(root, "Software\\QuarvWecker", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
}

std::string messageText(HWND box) {
    char text[256] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text); // the message's static control
    return text;
}

class RealProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        // Per-user settings: the alarm on after start, 5 minutes ahead, no sound.
        setValue(HKEY_LOCAL_MACHINE, "userdata", 1);
        const std::pair<const char*, DWORD> values[] = {
            {"alarmend", 0},     {"alarmrepeat", 5}, {"alarmoffset", 5},     {"deleteold", 0},
            {"onafterstart", 1}, {"onondemand", 0},  {"showalarmwindow", 1}, {"alarmpos", 0},
            {"playsound", 0},    {"repeatsound", 0},
        };
        for (const auto& [name, value] : values) {
            setValue(HKEY_CURRENT_USER, name, value);
        }
        DeleteFileA(userAppointmentFile().c_str());
        // An instance left by an earlier test of this prefix is asked to end first.
        if (const HWND stray = FindWindowA("quarv_wecker", nullptr)) {
            PostMessageA(stray, WM_COMMAND, COMMAND_EXIT, 0);
        }
        ASSERT_TRUE(waitFor([] { return FindWindowA("quarv_wecker", nullptr) == nullptr; }, 30))
            << "another instance runs";
    }
};

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
    PostMessageA(mainWindow, WM_COMMAND, COMMAND_EXIT, 0);
    EXPECT_EQ(first.exitCode(), 0);
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

    PostMessageA(mainWindow, WM_TIMER, TICK_TIMER_ID, 0);
    HWND alarm = nullptr;
    ASSERT_TRUE(waitFor([&] {
        alarm = program.window(nullptr, "Quarv Vurive - Termin");
        return alarm != nullptr && IsWindowVisible(alarm);
    }));
    char text[64] = {};
    GetDlgItemTextA(alarm, 1027, text, sizeof text);
    EXPECT_STREQ(text, "Zahnarzt");
    EXPECT_EQ(GetWindow(alarm, GW_OWNER), mainWindow);

    // The alarm rewrote the file without the due appointment.
    const std::string remaining = appointmentXml({{"Geburtstag Oma", later}});
    EXPECT_TRUE(waitFor([&] { return readWholeFile(userAppointmentFile()) == remaining; }))
        << readWholeFile(userAppointmentFile());

    // "Beenden": the program saves once more (here into a removed file), ends with 0,
    // and its icon is gone.
    ASSERT_TRUE(DeleteFileA(userAppointmentFile().c_str()));
    PostMessageA(mainWindow, WM_COMMAND, COMMAND_EXIT, 0);
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_FALSE(program.hasTrayIcon(mainWindow));
    EXPECT_EQ(readWholeFile(userAppointmentFile()), remaining);
}

TEST_F(RealProgram, PastAppointmentsAreDroppedAtStartWhenDeleteOld) {
    setValue(HKEY_CURRENT_USER, "deleteold", 1);
    const TimeValue now = systemClock().currentTime();
    writeFile(userAppointmentFile(),
              appointmentXml({{"vorbei", now - 86400}, {"kommt noch", now + 86400}}));

    Program program;
    ASSERT_TRUE(program.started());
    const HWND mainWindow = program.waitUntilStarted();
    ASSERT_NE(mainWindow, nullptr);
    EXPECT_EQ(program.window("#32770"), nullptr); // no missed-appointments dialog
    EXPECT_EQ(readWholeFile(userAppointmentFile()), appointmentXml({{"kommt noch", now + 86400}}));
    PostMessageA(mainWindow, WM_COMMAND, COMMAND_EXIT, 0);
    EXPECT_EQ(program.exitCode(), 0);
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
    PostMessageA(mainWindow, WM_COMMAND, COMMAND_EXIT, 0);
    EXPECT_EQ(program.exitCode(), 0);
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
    PostMessageA(mainWindow, WM_COMMAND, COMMAND_EXIT, 0);
    EXPECT_EQ(second.exitCode(), 0);
    CloseHandle(mutex);
}

} // namespace
