// The program's state for the dialog tests.
#include "program_fixture.h"

#include <commctrl.h>

#include "app/alarm_window.h"
#include "app/main_window.h"
#include "app/program.h"
#include "core/calendar.h"
#include "store/appointment_file.h"
#include "ui/appointment_list_dialog_ids.h"
#include "tests/support/dialog_driver.h"

namespace {

HWND theMainWindow = nullptr;
WNDPROC mainWindowProcedure = nullptr;
std::vector<std::string> ticks;

BOOL WINAPI silentPlaySound(LPCSTR, HMODULE, DWORD) {
    return TRUE;
}

LRESULT CALLBACK countingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_TIMER) {
        const AppointmentBook& book = program::book();
        ticks.push_back(book.count() > 0 ? book.earliest().text : "");
    }
    return CallWindowProcA(mainWindowProcedure, window, message, wParam, lParam);
}

BOOL CALLBACK collectOwned(HWND window, LPARAM found) {
    if (GetWindow(window, GW_OWNER) == theMainWindow) {
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    }
    return TRUE;
}

std::vector<HWND> ownedWindows() {
    std::vector<HWND> found;
    EnumThreadWindows(GetWindowThreadProcessId(theMainWindow, nullptr), collectOwned,
                      reinterpret_cast<LPARAM>(&found));
    return found;
}

std::string appointmentFilePath() {
    std::string folder;
    systemFileSystem().dataFolder(false, folder);
    return folder + "\\quarvwecker.xml";
}

} // namespace

void ProgramFixture::SetUpTestSuite() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_DATE_CLASSES};
    InitCommonControlsEx(&controls);
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    program::setInstance(instance);
    registerMainWindowClass(instance);
    theMainWindow = createMainWindow(instance);
    ASSERT_NE(theMainWindow, nullptr);
    program::setMainWindow(theMainWindow);
    mainWindowProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(theMainWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(countingProc)));
    setAlarmWindowCalls(AlarmWindowCalls{silentPlaySound, ::SetTimer});
}

void ProgramFixture::TearDownTestSuite() {
    DestroyWindow(theMainWindow);
    pumpMessages();
}

void ProgramFixture::SetUp() {
    program::book().clear();
    program::settings() = Settings{};
    program::alarmTimer() = AlarmOff;
    pumpMessages();
    ticks.clear();
}

void ProgramFixture::TearDown() {
    KillTimer(theMainWindow, TICK_TIMER_ID);
    program::alarmTimer() = AlarmOff;
    for (HWND window : ownedWindows()) {
        DestroyWindow(window);
    }
    program::snoozeCount() = 0;
    pumpMessages();
}

void ProgramFixture::pumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

const std::vector<std::string>& ProgramFixture::ticksSeen() {
    return ticks;
}

int ProgramFixture::ownedWindowCount() {
    return static_cast<int>(ownedWindows().size());
}

HWND ProgramFixture::mainWindow() {
    return theMainWindow;
}

TimeValue at(const char* display) {
    return displayToTime(display);
}

TimeValue thisMinute() {
    return currentTime() / 60 * 60;
}

std::vector<Appointment> contents(const AppointmentBook& book) {
    std::vector<Appointment> all;
    book.forEach([&](const Appointment& a) { all.push_back(a); });
    return all;
}

std::vector<Appointment> savedAppointments() {
    AppointmentBook future;
    AppointmentBook past;
    if (!loadAppointments(systemFileSystem(), Settings{}, future, past)) {
        return {};
    }
    std::vector<Appointment> all = contents(past);
    const std::vector<Appointment> later = contents(future);
    all.insert(all.end(), later.begin(), later.end());
    return all;
}

void removeAppointmentFile() {
    DeleteFileA(appointmentFilePath().c_str());
}

bool appointmentFileExists() {
    return GetFileAttributesA(appointmentFilePath().c_str()) != INVALID_FILE_ATTRIBUTES;
}

HWND openEditor(HWND listDialog, int row) {
    if (row >= 0) {
        postDoubleClick(listDialog, IDC_APPOINTMENTS, row);
    } else {
        postCommand(listDialog, IDC_NEW);
    }
    return waitForWindow(row >= 0 ? CHANGE_TITLE : NEW_TITLE);
}

void closeEditor(HWND editor, int button) {
    postCommand(editor, button);
    EXPECT_TRUE(waitUntilDestroyed(editor));
    settle();
}
