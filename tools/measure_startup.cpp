// Measures belvanto.exe under Wine: time from start to its tray icon against the
// floor program, private memory with 1,000 appointments, and the file's size.
//   measure_startup BELVANTO_EXE FLOOR_EXE [RUNS]
#include <windows.h>
#include <psapi.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "core/calendar.h"
#include "core/clock.h"
#include "tests/support/files.h"
#include "tools/elapsed.h"

namespace {

bool iconShown(HWND window) {
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = window;
    data.uID = 111;
    return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

struct Run {
    PROCESS_INFORMATION process{};
    HWND window = nullptr;
    double milliseconds = -1;
};

// How long the system is left to settle before each start: the process before has
// ended, but the tray and the Wine server may still be busy with its leaving.
constexpr DWORD SETTLE_MS = 250;

// Starts the program and waits (at most a minute) until its window's icon is in the tray.
Run startAndWait(const char* exe, const char* windowClass) {
    Sleep(SETTLE_MS);
    Run run;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    const double start = nowMs();
    if (!CreateProcessA(exe, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &run.process)) {
        std::fprintf(stderr, "cannot start %s\n", exe);
        std::exit(1);
    }
    // Each look asks the Wine server and the tray: a millisecond between looks keeps
    // them free for the program being measured, which needs them too.
    while (nowMs() - start < 60000) {
        if (run.window == nullptr) {
            run.window = FindWindowA(windowClass, nullptr);
        }
        if (run.window != nullptr && iconShown(run.window)) {
            run.milliseconds = nowMs() - start;
            break;
        }
        Sleep(1);
    }
    return run;
}

void end(Run& run, UINT message, WPARAM wParam) {
    PostMessageA(run.window, message, wParam, 0);
    if (WaitForSingleObject(run.process.hProcess, 30000) != WAIT_OBJECT_0) {
        TerminateProcess(run.process.hProcess, 1);
        WaitForSingleObject(run.process.hProcess, 30000);
    }
    CloseHandle(run.process.hThread);
    CloseHandle(run.process.hProcess);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// "median ms (fastest ms)": the machine may be busy, the fastest run shows the cost.
std::string summary(const std::vector<double>& values) {
    char text[64];
    std::snprintf(text, sizeof text, "%8.1f ms (fastest %6.1f ms)", median(values),
                  *std::min_element(values.begin(), values.end()));
    return text;
}

void setSetting(HKEY root, const char* name, DWORD value) {
    HKEY key = nullptr;
    RegCreateKeyExA(root, "Software\\QuarvWecker", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                    nullptr);
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
}

void writeAppointments(int count) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<quarvwecker>\r\n"
                      "<version1>\r\n<termine>\r\n";
    const TimeValue first = systemClock().currentTime() + 86400;
    for (int i = 0; i < count; ++i) {
        xml += "<date text=\"Termin Nummer " + std::to_string(i) + " mit etwas Text\" zeit=\"" +
               timeToFileKey(first + static_cast<TimeValue>(i) * 3600) + "\" />\r\n";
    }
    xml += "</termine>\r\n</version1>\r\n</quarvwecker>\r\n";
    std::ofstream(userAppointmentFile(), std::ios::binary) << xml;
}

SIZE_T privateBytes(HANDLE process) {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof counters);
    // Wine reports the private commit charge as PagefileUsage only; Windows gives both.
    return counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: measure_startup BELVANTO_EXE FLOOR_EXE [RUNS]\n");
        return 2;
    }
    const char* belvanto = argv[1];
    const char* floor = argv[2];
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 7;

    setSetting(HKEY_LOCAL_MACHINE, "userdata", 1);
    setSetting(HKEY_CURRENT_USER, "onafterstart", 1);
    setSetting(HKEY_CURRENT_USER, "deleteold", 1);
    DeleteFileA(userAppointmentFile().c_str());

    // One start of each first, so that neither pays for Wine's first loads.
    Run warm = startAndWait(floor, "qz_tray_floor");
    end(warm, WM_CLOSE, 0);
    warm = startAndWait(belvanto, "quarv_wecker");
    end(warm, WM_COMMAND, 40004);

    std::vector<double> floorTimes;
    std::vector<double> emptyTimes;
    std::vector<double> fullTimes;
    SIZE_T floorMemory = 0;
    SIZE_T fullMemory = 0;
    for (int i = 0; i < runs; ++i) {
        Run run = startAndWait(floor, "qz_tray_floor");
        floorTimes.push_back(run.milliseconds);
        floorMemory = privateBytes(run.process.hProcess);
        end(run, WM_CLOSE, 0);

        writeAppointments(1000);
        run = startAndWait(belvanto, "quarv_wecker");
        fullTimes.push_back(run.milliseconds);
        fullMemory = privateBytes(run.process.hProcess);
        end(run, WM_COMMAND, 40004);

        DeleteFileA(userAppointmentFile().c_str());
        run = startAndWait(belvanto, "quarv_wecker");
        emptyTimes.push_back(run.milliseconds);
        end(run, WM_COMMAND, 40004);
    }

    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    GetFileAttributesExA(belvanto, GetFileExInfoStandard, &attributes);

    std::printf("start to tray icon, median of %d runs under Wine:\n", runs);
    std::printf("  floor (window + icon only)        %s\n", summary(floorTimes).c_str());
    std::printf("  belvanto.exe, no appointments     %s\n", summary(emptyTimes).c_str());
    std::printf("  belvanto.exe, 1,000 appointments  %s\n", summary(fullTimes).c_str());
    std::printf("private memory (commit charge):\n");
    std::printf("  floor                             %8.1f KiB\n", floorMemory / 1024.0);
    std::printf("  belvanto.exe, 1,000 appointments  %8.1f KiB\n", fullMemory / 1024.0);
    std::printf("size of belvanto.exe                %8lu bytes\n",
                static_cast<unsigned long>(attributes.nFileSizeLow));
    // With 1,000 appointments, against the floor.
    std::printf("startup_vs_floor %.2f\n", median(fullTimes) / median(floorTimes));
    std::printf("memory_vs_floor %.2f\n",
                static_cast<double>(fullMemory) / static_cast<double>(floorMemory));
    return 0;
}
