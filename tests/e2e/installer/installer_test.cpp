// The setup program and its uninstaller, run silently and through the wizard, against
// the real (Wine) registry, file system and a running belvanto.exe.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <type_traits>

#include "res/resource.h"
#include "tests/support/files.h"
#include "tests/support/test_process.h"
#include "tests/support/window_driver.h"

namespace {

constexpr char kUninstallKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QuarvZodora";
constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kSettingsKey[] = "Software\\QuarvWecker";
constexpr char kRunValue[] = "Quarv Zodora";

// Wine is slow to start programs, never slow to fail: generous limits.
constexpr auto PROCESS_LIMIT = std::chrono::minutes(5);
constexpr auto WAIT_LIMIT = std::chrono::seconds(90);

struct KeyCloser {
    void operator()(HKEY k) const noexcept { RegCloseKey(k); }
};
using Key = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

const std::string& setupExe() {
    static const std::string path = fromUnixPath(QZ_SETUP_EXE);
    return path;
}

std::string shellFolder(int csidl) {
    char path[MAX_PATH] = {};
    EXPECT_EQ(SHGetFolderPathA(nullptr, csidl, nullptr, 0, path), S_OK) << csidl;
    return path;
}

std::string installDir() {
    return shellFolder(CSIDL_PROGRAM_FILES) + "\\Quarv Zodora";
}
std::string installedExe() {
    return installDir() + "\\belvanto.exe";
}
std::string uninstallerExe() {
    return installDir() + "\\uninstall.exe";
}
std::string shortcut() {
    return shellFolder(CSIDL_COMMON_PROGRAMS) + "\\Quarv Zodora.lnk";
}
std::string sharedBook() {
    return shellFolder(CSIDL_COMMON_APPDATA) + "\\quarvwecker.xml";
}

// The installed program is the one just built (compared without printing either).
bool installedProgramIsTheBuiltOne() {
    const std::string installed = readWholeFile(installedExe());
    return !installed.empty() && installed == readWholeFile(fromUnixPath(QZ_PROGRAM_EXE));
}

void writeFile(const std::string& path, const std::string& bytes) {
    ASSERT_TRUE(writeWholeFile(path, bytes)) << path;
}

Key openKey(HKEY root, const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS) {
        return nullptr;
    }
    return Key(key);
}

// The value's type and bytes, or nothing when the key or value is missing.
std::optional<std::pair<DWORD, std::string>> readValue(HKEY root, const char* path,
                                                       const char* name) {
    const Key key = openKey(root, path);
    DWORD type = 0;
    DWORD size = 0;
    if (!key ||
        RegQueryValueExA(key.get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::string data(size, '\0');
    RegQueryValueExA(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
    data.resize(size);
    return std::make_pair(type, data);
}

std::optional<std::string> readString(HKEY root, const char* path, const char* name) {
    auto value = readValue(root, path, name);
    if (!value || value->first != REG_SZ) {
        return std::nullopt;
    }
    std::string text = value->second;
    text.erase(std::min(text.find('\0'), text.size()));
    return text;
}

std::optional<DWORD> readDword(HKEY root, const char* path, const char* name) {
    auto value = readValue(root, path, name);
    if (!value || value->first != REG_DWORD || value->second.size() != sizeof(DWORD)) {
        return std::nullopt;
    }
    DWORD number = 0;
    std::memcpy(&number, value->second.data(), sizeof number);
    return number;
}

void writeValue(HKEY root, const char* path, const char* name, DWORD type, const void* data,
                DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    const Key owner(key);
    ASSERT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
}

void writeDword(HKEY root, const char* path, const char* name, DWORD value) {
    writeValue(root, path, name, REG_DWORD, &value, sizeof value);
}

bool waitUntil(const std::function<bool()>& condition) {
    return waitFor(condition, WAIT_LIMIT);
}

// Runs a program to its end and gives its exit code (-1 when it did not end in time).
long runToEnd(const std::string& commandLine) {
    TestProcess process(commandLine);
    if (!process.started()) {
        ADD_FAILURE() << "cannot start " << commandLine << ": error " << GetLastError();
        return -1;
    }
    const long code = process.exitCode(PROCESS_LIMIT);
    if (code == -1) {
        ADD_FAILURE() << commandLine << " did not end";
    }
    return code;
}

void installSilently() {
    ASSERT_EQ(runToEnd(quoted(setupExe()) + " /S"), 0);
}

// The uninstaller started with "_?=" runs in place and returns when it is done. It cannot
// remove itself and its folder, so the test does, once Wine has let go of the folder.
void uninstallSilentlyInPlace() {
    ASSERT_EQ(runToEnd(quoted(uninstallerExe()) + " /S _?=" + installDir()), 0);
    waitUntil([] {
        DeleteFileA(uninstallerExe().c_str());
        RemoveDirectoryA(installDir().c_str());
        return !fileExists(installDir()) || fileExists(installedExe());
    });
}

HWND programWindow() {
    return FindWindowA("quarv_wecker", nullptr);
}

// The program's icon is in the notification area when the shell knows it (a change
// of nothing succeeds only for an icon that is there).
bool trayShowsTheIcon() {
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = programWindow();
    data.uID = IDM_TRAY;
    return data.hWnd != nullptr && Shell_NotifyIconA(NIM_MODIFY, &data);
}

bool hasEnded(const UniqueHandle& process) {
    return process && WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0;
}

// The running program's process, found through its window.
UniqueHandle runningProgram() {
    DWORD id = 0;
    GetWindowThreadProcessId(programWindow(), &id);
    return UniqueHandle(id ? OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, id) : nullptr);
}

// Starts the installed program as the "Run" key would at log-on, and waits until it
// shows its tray icon.
UniqueHandle startInstalledProgram() {
    const auto command = readString(HKEY_LOCAL_MACHINE, kRunKey, kRunValue);
    TestProcess process(command.value_or(quoted(installedExe())));
    waitUntil([&] { return !process.running() || trayShowsTheIcon(); });
    return process.release();
}

// The wizard's window; its title gains the page's name after the first page.
HWND setupWizard() {
    HWND found = nullptr;
    EnumWindows(
        [](HWND window, LPARAM result) noexcept -> BOOL {
            char title[64] = {};
            GetWindowTextA(window, title, sizeof title);
            if (std::string_view(title).starts_with("Installation von Quarv Zodora")) {
                *reinterpret_cast<HWND*>(result) = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// Runs the setup program's wizard the way a person who accepts every default does:
// "Weiter" on every page, "Fertigstellen" on the last. Tells whether the last page's
// "start now" box was checked.
bool clickThroughSetup() {
    TestProcess setup(quoted(setupExe()));
    bool startNowChecked = false;
    HWND lastPage = nullptr;
    HWND newPage = nullptr;
    auto newSince = std::chrono::steady_clock::now();
    const auto end = std::chrono::steady_clock::now() + PROCESS_LIMIT;
    while (setup.running() && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const HWND wizard = setupWizard();
        const HWND page = wizard ? FindWindowExA(wizard, nullptr, "#32770", nullptr) : nullptr;
        const HWND next = wizard ? GetDlgItem(wizard, IDOK) : nullptr;
        // A page is read once it has stood for a moment: the wizard makes its controls
        // after the page itself, which a busy machine shows apart.
        if (page != newPage) {
            newPage = page;
            newSince = std::chrono::steady_clock::now();
            continue;
        }
        // The progress page moves on by itself.
        if (!page || page == lastPage || !IsWindowEnabled(next) ||
            std::chrono::steady_clock::now() - newSince < std::chrono::milliseconds(500) ||
            FindWindowExA(page, nullptr, "msctls_progress32", nullptr)) {
            continue;
        }
        if (const HWND box = FindWindowExA(page, nullptr, "Button", "Quarv Zodora jetzt starten")) {
            startNowChecked = SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
        }
        lastPage = page;
        PostMessageA(wizard, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), LPARAM(next));
    }
    if (setup.running()) {
        ADD_FAILURE() << "the wizard did not come to an end";
    }
    return startNowChecked;
}

void endProgram(const UniqueHandle& process) {
    if (const HWND window = programWindow()) {
        SendMessageA(window, WM_COMMAND, IDM_EXIT, 0);
    }
    if (process && WaitForSingleObject(process.get(), 60000) != WAIT_OBJECT_0) {
        TerminateProcess(process.get(), 1);
    }
}

// A book with one appointment as the program writes it...
std::string savedBook() {
    return "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<quarvwecker>\r\n<version1>\r\n"
           "<termine>\r\n<date text=\"Zahnarzt\" zeit=\"3012241800\" />\r\n</termine>\r\n"
           "</version1>\r\n</quarvwecker>\r\n";
}

// ...and the same book as another editor might have left it, which the program reads
// without rewriting it.
std::string handWrittenBook() {
    std::string text = savedBook();
    for (auto at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) {
        text.erase(at, 1);
    }
    return text;
}

// Every test starts on a machine without Quarv Zodora, its settings and appointments.
class Installer : public ::testing::Test {
  protected:
    void SetUp() override {
        endProgram(UniqueHandle{});
        if (fileExists(uninstallerExe())) {
            uninstallSilentlyInPlace();
        }
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kSettingsKey);
        RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
        DeleteFileA(userAppointmentFile().c_str());
        DeleteFileA(sharedBook().c_str());
        ASSERT_FALSE(fileExists(installDir()));
    }
    void TearDown() override { endProgram(program); }

    UniqueHandle program;
};

TEST_F(Installer, SilentInstallPutsEverythingInPlace) {
    installSilently();

    EXPECT_TRUE(installedProgramIsTheBuiltOne());
    EXPECT_TRUE(fileExists(uninstallerExe()));
    // The shortcut's link information holds the target's path.
    EXPECT_NE(readWholeFile(shortcut()).find(installedExe()), std::string::npos);

    EXPECT_EQ(readString(HKEY_LOCAL_MACHINE, kRunKey, kRunValue), quoted(installedExe()));

    EXPECT_EQ(readString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName"), "Quarv Zodora");
    EXPECT_EQ(readString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion"), "1.2");
    EXPECT_FALSE(readString(HKEY_LOCAL_MACHINE, kUninstallKey, "Publisher").value_or("").empty());
    EXPECT_EQ(readString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayIcon"), installedExe() + ",0");
    EXPECT_EQ(readString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"),
              quoted(uninstallerExe()));
    EXPECT_EQ(readString(HKEY_LOCAL_MACHINE, kUninstallKey, "InstallLocation"), installDir());
    // In KiB: the two programs together.
    const auto expectedSize =
        (readWholeFile(installedExe()).size() + readWholeFile(uninstallerExe()).size()) / 1024;
    EXPECT_NEAR(readDword(HKEY_LOCAL_MACHINE, kUninstallKey, "EstimatedSize").value_or(0),
                expectedSize, 2);
    EXPECT_EQ(readString(HKEY_LOCAL_MACHINE, kUninstallKey, "QuietUninstallString"),
              quoted(uninstallerExe()) + " /S");
    // Apps & Features offers only "Uninstall": there is nothing to change or repair.
    EXPECT_EQ(readDword(HKEY_LOCAL_MACHINE, kUninstallKey, "NoModify"), 1u);
    EXPECT_EQ(readDword(HKEY_LOCAL_MACHINE, kUninstallKey, "NoRepair"), 1u);

    EXPECT_EQ(readDword(HKEY_LOCAL_MACHINE, kSettingsKey, "userdata"), 1u);
}

// The setup program's manifest: drawn sharp at every display scale, not stretched.
TEST(SetupProgram, IsMarkedDpiAware) {
    const HMODULE setup = LoadLibraryExA(setupExe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(setup, nullptr);
    const HRSRC found = FindResourceA(setup, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    const auto* manifest =
        found ? static_cast<const char*>(LockResource(LoadResource(setup, found))) : nullptr;
    ASSERT_NE(manifest, nullptr) << "no manifest";
    const std::string text(manifest, SizeofResource(setup, found));
    EXPECT_NE(text.find(">true</dpiAware>"), std::string::npos) << text;
    FreeLibrary(setup);
}

TEST_F(Installer, UpdateInPlaceKeepsTheChoicesMadeSince) {
    installSilently();
    writeDword(HKEY_LOCAL_MACHINE, kSettingsKey, "userdata", 0);
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kRunKey, kRunValue);
    writeFile(installedExe(), "an older belvanto.exe");

    installSilently();

    EXPECT_TRUE(installedProgramIsTheBuiltOne());
    EXPECT_EQ(readDword(HKEY_LOCAL_MACHINE, kSettingsKey, "userdata"), 0u);
    EXPECT_EQ(readString(HKEY_LOCAL_MACHINE, kRunKey, kRunValue), std::nullopt)
        << "an update switched autostart back on";

    // A value the program does not read as 1 is still the administrator's choice.
    const char text[] = "0";
    writeValue(HKEY_LOCAL_MACHINE, kSettingsKey, "userdata", REG_SZ, text, sizeof text);
    installSilently();
    EXPECT_EQ(readString(HKEY_LOCAL_MACHINE, kSettingsKey, "userdata"), "0");
}

TEST_F(Installer, InstalledProgramStartsAtLogOnWithItsTrayIcon) {
    installSilently();

    program = startInstalledProgram();

    ASSERT_TRUE(program);
    EXPECT_FALSE(hasEnded(program)) << "belvanto.exe ended by itself";
    EXPECT_NE(programWindow(), nullptr);
    EXPECT_TRUE(trayShowsTheIcon()) << "no icon in the notification area";
}

TEST_F(Installer, WizardInstallsWithTheDefaultsAndStartsTheProgramAtTheEnd) {
    EXPECT_TRUE(clickThroughSetup()) << "\"start now\" is not checked";

    EXPECT_TRUE(installedProgramIsTheBuiltOne());
    EXPECT_EQ(readString(HKEY_LOCAL_MACHINE, kRunKey, kRunValue), quoted(installedExe()));
    ASSERT_TRUE(waitUntil([] { return programWindow() != nullptr; }))
        << "the program did not start";
    program = runningProgram();
    EXPECT_TRUE(waitUntil(trayShowsTheIcon));
}

TEST_F(Installer, InstallingWhileTheProgramRunsEndsItAndItSavesItsBook) {
    installSilently();
    writeFile(userAppointmentFile(), savedBook());
    program = startInstalledProgram();
    ASSERT_TRUE(trayShowsTheIcon()) << "the program did not finish starting";
    // Only the program's save at exit can bring the file back.
    ASSERT_TRUE(DeleteFileA(userAppointmentFile().c_str()));

    installSilently();

    EXPECT_TRUE(hasEnded(program)) << "the setup program returned before belvanto.exe ended";
    EXPECT_EQ(programWindow(), nullptr);
    EXPECT_EQ(readWholeFile(userAppointmentFile()), savedBook());
    EXPECT_TRUE(installedProgramIsTheBuiltOne());
}

TEST_F(Installer, SilentUninstallRemovesTheProgramAndKeepsEveryonesData) {
    installSilently();
    writeDword(HKEY_CURRENT_USER, kSettingsKey, "alarmoffset", 17);
    writeFile(userAppointmentFile(), savedBook());
    writeFile(sharedBook(), handWrittenBook());
    program = startInstalledProgram();
    ASSERT_TRUE(trayShowsTheIcon()) << "the program did not finish starting";
    // Only the program's save at exit can bring the file back.
    ASSERT_TRUE(DeleteFileA(userAppointmentFile().c_str()));

    uninstallSilentlyInPlace();

    EXPECT_TRUE(hasEnded(program)) << "the uninstaller left belvanto.exe running";
    EXPECT_FALSE(fileExists(installedExe()));
    EXPECT_FALSE(fileExists(shortcut()));
    EXPECT_EQ(readString(HKEY_LOCAL_MACHINE, kRunKey, kRunValue), std::nullopt);
    EXPECT_FALSE(openKey(HKEY_LOCAL_MACHINE, kUninstallKey));

    EXPECT_EQ(readWholeFile(userAppointmentFile()), savedBook());
    EXPECT_EQ(readWholeFile(sharedBook()), handWrittenBook());
    EXPECT_EQ(readDword(HKEY_CURRENT_USER, kSettingsKey, "alarmoffset"), 17u);
    EXPECT_EQ(readDword(HKEY_LOCAL_MACHINE, kSettingsKey, "userdata"), 1u);
}

TEST_F(Installer, UninstallerStartedFromAppsAndFeaturesFinishesOnItsOwn) {
    installSilently();
    // Without "_?=" the uninstaller hands over to a copy of itself and returns at once.
    const auto command = readString(HKEY_LOCAL_MACHINE, kUninstallKey, "QuietUninstallString");
    ASSERT_TRUE(command);
    ASSERT_EQ(runToEnd(*command), 0);

    EXPECT_TRUE(waitUntil([] { return !fileExists(installDir()); }))
        << "the program folder is still there";
    EXPECT_TRUE(waitUntil([] { return !openKey(HKEY_LOCAL_MACHINE, kUninstallKey); }));
    EXPECT_FALSE(fileExists(shortcut()));
}

} // namespace
