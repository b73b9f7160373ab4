// Processes that the end-to-end tests start.
#include "tests/support/test_process.h"

#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
#include <vector>

#include "res/resource.h"
#include "tests/support/window_driver.h"

TestProcess::TestProcess(std::string commandLine) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &info)) {
        CloseHandle(info.hThread);
        process_.reset(info.hProcess);
        id_ = info.dwProcessId;
    }
}

TestProcess::~TestProcess() {
    if (running()) {
        kill();
    }
}

bool TestProcess::running() const {
    return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

long TestProcess::exitCode(std::chrono::milliseconds limit) const {
    if (!process_ || !waitFor([this] { return !running(); }, limit)) {
        return -1;
    }
    DWORD code = 0;
    GetExitCodeProcess(process_.get(), &code);
    return static_cast<long>(code);
}

void TestProcess::kill() {
    TerminateProcess(process_.get(), 99);
    WaitForSingleObject(process_.get(), 30000);
}

bool TestProcess::hasLibrary(const char* fileName) const {
    std::vector<HMODULE> modules(512);
    DWORD bytes = 0;
    if (!EnumProcessModules(process_.get(), modules.data(),
                            static_cast<DWORD>(modules.size() * sizeof(HMODULE)), &bytes)) {
        return false;
    }
    modules.resize(std::min<std::size_t>(modules.size(), bytes / sizeof(HMODULE)));
    for (const HMODULE module : modules) {
        char name[MAX_PATH] = {};
        if (GetModuleBaseNameA(process_.get(), module, name, sizeof name) > 0 &&
            lstrcmpiA(name, fileName) == 0) {
            return true;
        }
    }
    return false;
}

HWND TestProcess::window(const char* className, const char* title) const {
    struct Search {
        DWORD process;
        const char* className;
        const char* title;
        HWND found;
    } search{id_, className, title, nullptr};
    EnumWindows(
        [](HWND candidate, LPARAM context) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(context);
            DWORD process = 0;
            GetWindowThreadProcessId(candidate, &process);
            char name[64] = {};
            GetClassNameA(candidate, name, sizeof name);
            if (process == s.process &&
                (s.className == nullptr || name == std::string(s.className)) &&
                (s.title == nullptr || windowText(candidate) == s.title)) {
                s.found = candidate;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string fromUnixPath(const char* path) {
    std::string result = std::string("Z:") + path;
    for (char& c : result) {
        if (c == '/') {
            c = '\\';
        }
    }
    return result;
}

std::string quoted(const std::string& path) {
    return "\"" + path + "\"";
}

namespace {

void setProgramValue(HKEY root, const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, "Software\\QuarvWecker", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) == ERROR_SUCCESS) {
        RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(key);
    }
}

} // namespace

void setProgramSetting(HKEY root, const char* name, DWORD value) {
    setProgramValue(root, name, REG_DWORD, &value, sizeof value);
}

void setProgramSetting(HKEY root, const char* name, const std::string& text) {
    setProgramValue(root, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

void usePerUserSettings(bool alarmOnAfterStart) {
    setProgramSetting(HKEY_LOCAL_MACHINE, "userdata", 1);
    const std::pair<const char*, DWORD> values[] = {
        {"alarmend", 0},
        {"alarmrepeat", 5},
        {"alarmoffset", 5},
        {"deleteold", 0},
        {"onafterstart", alarmOnAfterStart ? 1u : 0u},
        {"onondemand", 0},
        {"showalarmwindow", 1},
        {"alarmpos", 0},
        {"playsound", 0},
        {"repeatsound", 0},
    };
    for (const auto& [name, value] : values) {
        setProgramSetting(HKEY_CURRENT_USER, name, value);
    }
}

bool RunningProgram::hasTrayIcon(HWND mainWindow) const {
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = mainWindow;
    data.uID = IDM_TRAY;
    return mainWindow != nullptr && Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

HWND RunningProgram::waitUntilStarted() const {
    HWND found = nullptr;
    waitFor(
        [&] {
            found = mainWindow();
            return found != nullptr && hasTrayIcon(found);
        },
        std::chrono::seconds(90));
    return found != nullptr && hasTrayIcon(found) ? found : nullptr;
}

long RunningProgram::quit() const {
    PostMessageA(mainWindow(), WM_COMMAND, IDM_EXIT, 0);
    return exitCode();
}
