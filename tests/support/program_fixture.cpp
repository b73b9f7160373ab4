// A running program for the tests of its windows.
#include "tests/support/program_fixture.h"

#include <ctime>

#include "app/main_window.h"
#include "res/resource.h"
#include "store/appointment_file.h"
#include "tests/support/appointment_files.h"

namespace {

// The fixture whose main window the counting procedure serves: one test runs at a time.
ProgramFixture* current = nullptr;
WNDPROC mainWindowProcedure = nullptr;

BOOL CALLBACK collectOwned(HWND window, LPARAM context) {
    auto& found = *reinterpret_cast<std::pair<HWND, std::vector<HWND>>*>(context);
    if (GetWindow(window, GW_OWNER) == found.first) {
        found.second.push_back(window);
    }
    return TRUE;
}

LocalDate systemToday() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return LocalDate{now.wYear, now.wMonth, now.wDay, now.wDayOfWeek};
}

} // namespace

// As in the program, the windows load the common controls they need themselves.
void ProgramFixture::SetUpTestSuite() {
    registerMainWindowClass(GetModuleHandleA(nullptr));
}

void ProgramFixture::SetUp() {
    current = this;
    PlatformRecorder::reset();
    clock.set(static_cast<TimeValue>(std::time(nullptr)), systemToday());
    program = std::make_unique<Program>(
        GetModuleHandleA(nullptr), services,
        WindowCalls{PlatformRecorder::alarmCalls(), PlatformRecorder::shell()});
    // The file in the user's folder, which the tests remove and read.
    program->settings.userdata = true;
    ASSERT_TRUE(program->createMainWindow());
    mainWindowProcedure = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        program->mainWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(countingProc)));
    DeleteFileA(appointmentFile().c_str());
    pumpMessages();
}

void ProgramFixture::TearDown() {
    const HWND window = program->mainWindow;
    if (IsWindow(window)) {
        KillTimer(window, TICK_TIMER_ID);
        for (HWND owned : ownedWindows()) {
            DestroyWindow(owned);
        }
        DestroyWindow(window); // posts the quit message, which the pump takes
    }
    program.reset();
    pumpMessages();
    current = nullptr;
}

void ProgramFixture::createTray() {
    ASSERT_TRUE(program->createTray());
}

LRESULT CALLBACK ProgramFixture::countingProc(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) noexcept {
    if (message == WM_TIMER && current != nullptr) {
        const AppointmentBook& book = current->program->book;
        current->ticks_.push_back(book.count() > 0 ? book.earliest().text : "");
        current->tickIds_.push_back(wParam);
        if (current->swallowTicks_) {
            return 0;
        }
    }
    return CallWindowProcA(mainWindowProcedure, window, message, wParam, lParam);
}

std::vector<HWND> ProgramFixture::ownedWindows() const {
    std::pair<HWND, std::vector<HWND>> found{program->mainWindow, {}};
    EnumThreadWindows(GetWindowThreadProcessId(program->mainWindow, nullptr), collectOwned,
                      reinterpret_cast<LPARAM>(&found));
    return found.second;
}

TrayStatus ProgramFixture::shownInTray() const {
    TrayStatus shown;
    for (const ShellCall& call : PlatformRecorder::shellCalls) {
        if (call.data.uFlags & NIF_ICON) {
            for (const StatusEntry& entry : STATUS_TABLE) {
                if (program->statusIcon(entry.iconId) == call.data.hIcon) {
                    shown.iconId = entry.iconId;
                }
            }
        }
        if (call.data.uFlags & NIF_TIP) {
            shown.tooltip = call.data.szTip;
        }
    }
    return shown;
}

TrayStatus ProgramFixture::row(StatusRow index) {
    return TrayStatus{STATUS_TABLE[index].iconId, STATUS_TABLE[index].text};
}

std::string ProgramFixture::appointmentFile() const {
    std::string folder;
    services.files.dataFolder(program->settings.userdata, folder);
    return folder + "\\quarvwecker.xml";
}

std::vector<Appointment> ProgramFixture::savedAppointments() const {
    AppointmentBook future;
    AppointmentBook past;
    if (!loadAppointments(services.files, program->settings, clock.currentTime(), future, past)) {
        return {};
    }
    std::vector<Appointment> all = contents(past);
    const std::vector<Appointment> later = contents(future);
    all.insert(all.end(), later.begin(), later.end());
    return all;
}
