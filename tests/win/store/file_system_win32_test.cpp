// The Win32 file system: the shell's data folders, the replace in one step, a save that
// waits for another process to let go of the file, stamps, and the all-users file's rights.
#include <gtest/gtest.h>

#include <windows.h>

#include <sddl.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "core/calendar.h"
#include "core/clock.h"
#include "store/all_users_rights.h"
#include "store/appointment_file.h"
#include "tests/support/appointment_files.h"
#include "store/appointment_store.h"
#include "store/conflict_copies.h"
#include "store/services_win32.h"
#include "store/win32_handle.h"

namespace {

const std::string Example = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n"
                            "<quarvwecker>\r\n"
                            "<version1>\r\n"
                            "<termine>\r\n"
                            "<date text=\"Zahnarzt\" zeit=\"9912071530\" />\r\n"
                            "<date text=\"Geburtstag Oma\" zeit=\"9912240900\" />\r\n"
                            "</termine>\r\n"
                            "</version1>\r\n"
                            "</quarvwecker>\r\n";

std::string environment(const char* name) {
    char value[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? value : "";
}

bool exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string readAll(const std::string& path) {
    std::string text;
    EXPECT_EQ(systemFileSystem().readFile(path, text), FileResult::Ok) << path;
    return text;
}

void writeAll(const std::string& path, const std::string& text) {
    const UniqueHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file);
    DWORD written = 0;
    ASSERT_TRUE(
        WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr));
}

// The platform's file operations in a folder of the test's own; the first pause of a
// retry lets go of a handle that the test holds on the file.
class TestFolderFileSystem : public FileSystem {
  public:
    explicit TestFolderFileSystem(std::string folder) : folder_(std::move(folder)) {}

    UniqueHandle held;
    int pauses = 0;
    int reads = 0;

    bool dataFolder(bool, std::string& path) override {
        path = folder_;
        return true;
    }
    bool createFolder(const std::string& path) override { return files().createFolder(path); }
    FileResult fileStamp(const std::string& path, FileStamp& stamp) override {
        return files().fileStamp(path, stamp);
    }
    bool shareWithAllUsers(const std::string& path) override {
        return files().shareWithAllUsers(path);
    }
    FileResult readFile(const std::string& path, std::string& content) override {
        ++reads;
        return files().readFile(path, content);
    }
    bool createFile(const std::string& path, std::uintptr_t& file) override {
        return files().createFile(path, file);
    }
    bool writeFile(std::uintptr_t file, std::string_view data) override {
        return files().writeFile(file, data);
    }
    bool flushFile(std::uintptr_t file) override { return files().flushFile(file); }
    bool closeFile(std::uintptr_t file) override { return files().closeFile(file); }
    FileResult moveFile(const std::string& from, const std::string& to) override {
        return files().moveFile(from, to);
    }
    bool removeFile(const std::string& path) override { return files().removeFile(path); }
    FileResult listFolder(const std::string& folder, std::vector<std::string>& names) override {
        return files().listFolder(folder, names);
    }
    void pause(int milliseconds) override {
        ++pauses;
        held.reset();
        files().pause(milliseconds);
    }

  private:
    static FileSystem& files() { return systemFileSystem(); }
    std::string folder_;
};

class Win32FileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char temp[MAX_PATH] = {};
        ASSERT_GT(GetTempPathA(sizeof temp, temp), 0u);
        folder = std::string(temp) + "qz-store-" + std::to_string(GetCurrentProcessId());
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr) ||
                    GetLastError() == ERROR_ALREADY_EXISTS);
        path = folder + "\\quarvwecker.xml";
        settings.userdata = true;
    }
    void TearDown() override {
        for (const char* suffix : {"", ".tmp", ".bad", ".neu"}) {
            DeleteFileA((path + suffix).c_str());
        }
        RemoveDirectoryA(folder.c_str());
    }

    std::string folder;
    std::string path;
    Settings settings;
};

TEST(Win32DataFolder, PerUserAndSharedApplicationData) {
    std::string user;
    std::string common;
    ASSERT_TRUE(systemFileSystem().dataFolder(true, user));
    ASSERT_TRUE(systemFileSystem().dataFolder(false, common));
    EXPECT_EQ(user, environment("APPDATA"));
    EXPECT_EQ(common, environment("ProgramData"));
    EXPECT_NE(user, common);
    EXPECT_NE(user.back(), '\\');
}

TEST_F(Win32FileTest, ExampleReadsAndWritesBackByteForByte) {
    writeAll(path, Example);
    TestFolderFileSystem files(folder);
    AppointmentBook book;
    AppointmentBook missed;
    ASSERT_TRUE(loadAppointments(files, settings, systemClock().currentTime(), book, missed));
    EXPECT_EQ(book.count(), 2);
    writeAll(path, "alt");
    EXPECT_TRUE(saveAppointments(files, settings, book));
    EXPECT_EQ(readAll(path), Example);
    EXPECT_FALSE(exists(path + ".tmp"));
}

TEST_F(Win32FileTest, ReplaceInOneStep) {
    FileSystem& files = systemFileSystem();
    writeAll(path, "alt");
    writeAll(path + ".tmp", "neu");
    EXPECT_EQ(files.moveFile(path + ".tmp", path), FileResult::Ok);
    EXPECT_EQ(readAll(path), "neu");
    EXPECT_FALSE(exists(path + ".tmp"));
    EXPECT_EQ(files.moveFile(path + ".tmp", path), FileResult::Missing);

    std::string text;
    EXPECT_EQ(files.readFile(path + ".fehlt", text), FileResult::Missing);
    EXPECT_EQ(files.readFile(folder + "\\fehlt\\x.xml", text), FileResult::Missing);
}

// A file over the size cap fails whole; one of exactly the cap is read.
TEST_F(Win32FileTest, FileOverTheSizeCapIsNotRead) {
    writeAll(path, Example);
    auto resize = [&](std::size_t size) {
        const UniqueHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
        LARGE_INTEGER end{};
        end.QuadPart = static_cast<LONGLONG>(size);
        ASSERT_TRUE(file && SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN) &&
                    SetEndOfFile(file.get()));
    };
    std::string text = "vorher";
    resize(LARGEST_READABLE_FILE + 1);
    EXPECT_EQ(systemFileSystem().readFile(path, text), FileResult::Failed);
    EXPECT_EQ(text, "vorher");
    resize(LARGEST_READABLE_FILE);
    EXPECT_EQ(systemFileSystem().readFile(path, text), FileResult::Ok);
    EXPECT_EQ(text.size(), LARGEST_READABLE_FILE);
}

TEST_F(Win32FileTest, SaveWaitsForAnotherHandleToLetGo) {
    AppointmentBook book;
    book.insert(fileKeyToTime("9912071530"), "Zahnarzt");
    writeAll(path, "alt");

    TestFolderFileSystem files(folder);
    files.held.reset(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(files.held);
    std::string text;
    EXPECT_EQ(systemFileSystem().readFile(path, text), FileResult::Busy);

    EXPECT_TRUE(saveAppointments(files, settings, book));
    EXPECT_EQ(files.pauses, 1);
    EXPECT_EQ(readAll(path).size(), 124u + 36 + 8);
    EXPECT_FALSE(exists(path + ".tmp"));
}

TEST_F(Win32FileTest, LoadWaitsForAnotherHandleToLetGo) {
    writeAll(path, Example);
    TestFolderFileSystem files(folder);
    files.held.reset(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(files.held);
    AppointmentBook book;
    AppointmentBook missed;
    EXPECT_TRUE(loadAppointments(files, settings, systemClock().currentTime(), book, missed));
    EXPECT_EQ(files.pauses, 1);
    EXPECT_EQ(book.count(), 2);
}

TEST_F(Win32FileTest, FileHeldThroughEveryRetryStaysAsItWas) {
    AppointmentBook book;
    book.insert(fileKeyToTime("9912071530"), "Zahnarzt");
    writeAll(path, "alt");
    const UniqueHandle holder(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(holder);

    TestFolderFileSystem files(folder);
    EXPECT_FALSE(saveAppointments(files, settings, book));
    EXPECT_EQ(files.pauses, 9);
    EXPECT_EQ(readAll(path), "alt");
    EXPECT_FALSE(exists(path + ".tmp"));

    // A load may share the file with a reader.
    AppointmentBook loaded;
    AppointmentBook missed;
    EXPECT_FALSE(loadAppointments(files, settings, systemClock().currentTime(), loaded, missed));
    EXPECT_EQ(readAll(path + ".bad"), "alt");
}

// Another program's save holds its temporary file: a save waits for it, and neither
// writes into it nor removes it.
TEST_F(Win32FileTest, ASaveWaitsForAnotherSavesTemporaryFile) {
    writeAll(path, "alt");
    FileSystem& first = systemFileSystem();
    std::uintptr_t theirs = 0;
    ASSERT_TRUE(first.createFile(path + ".tmp", theirs));
    std::uintptr_t again = 0;
    EXPECT_FALSE(first.createFile(path + ".tmp", again)); // made only where none is
    ASSERT_TRUE(first.writeFile(theirs, Example));

    TestFolderFileSystem second(folder);
    EXPECT_EQ(replaceWholeFile(second, path, "unseres"), ReplaceResult::Failed);
    EXPECT_EQ(second.pauses, 9);
    EXPECT_EQ(readAll(path), "alt");

    EXPECT_TRUE(first.closeFile(theirs));
    EXPECT_EQ(readAll(path + ".tmp"), Example);
    EXPECT_EQ(first.moveFile(path + ".tmp", path), FileResult::Ok);
    EXPECT_EQ(replaceWholeFile(second, path, "unseres"), ReplaceResult::Replaced);
}

// An access list in the descriptor language, as the platform writes it out.
std::string accessList(PSECURITY_DESCRIPTOR descriptor) {
    char* text = nullptr;
    if (!ConvertSecurityDescriptorToStringSecurityDescriptorA(
            descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr)) {
        return {};
    }
    const std::string list = text;
    LocalFree(text);
    return list;
}

std::string fileAccessList(const std::string& path) {
    DWORD size = 0;
    GetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &size);
    std::string buffer(size, '\0');
    if (size == 0 ||
        !GetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, buffer.data(), size, &size)) {
        ADD_FAILURE() << "GetFileSecurityA " << GetLastError();
        return {};
    }
    return accessList(buffer.data());
}

void setAccessList(const std::string& path, const char* list) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(list, SDDL_REVISION_1,
                                                                     &descriptor, nullptr));
    EXPECT_TRUE(SetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, descriptor));
    LocalFree(descriptor);
}

// Wine without stored access lists makes Unix permission bits of a DACL and reports a DACL
// made from them, in which the Users group never appears; Windows keeps the list as set.
TEST_F(Win32FileTest, AllUsersFileMayBeWrittenByEveryUser) {
    char modify[32];
    std::snprintf(modify, sizeof modify, "(A;;0x%lx;;;BU)",
                  FILE_GENERIC_READ | FILE_GENERIC_WRITE | FILE_GENERIC_EXECUTE | DELETE);
    PSECURITY_DESCRIPTOR rights = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(
        ALL_USERS_FILE_RIGHTS, SDDL_REVISION_1, &rights, nullptr));
    const std::string wanted = accessList(rights);
    LocalFree(rights);
    EXPECT_EQ(wanted, std::string("D:P(A;;FA;;;SY)(A;;FA;;;BA)") + modify);

    AppointmentStore store(systemFileSystem(), folder, true, true);
    AppointmentBook book;
    AppointmentBook missed;
    store.load(systemClock().currentTime(), false, book, missed);
    book.insert(fileKeyToTime("9912071530"), "Zahnarzt");
    ASSERT_TRUE(store.save(book, systemClock().currentTime()));
    std::printf("after a save of the all-users file: %s\n", fileAccessList(path).c_str());
    const bool kept = fileAccessList(path).find(";;;BU)") != std::string::npos;
    if (kept) {
        EXPECT_EQ(fileAccessList(path), wanted);
    }

    // A file with its creator's rights only, as an older program left it.
    setAccessList(path, "D:P(A;;FA;;;OW)");
    EXPECT_EQ(fileAccessList(path).find(";;;BU)"), std::string::npos);
    EXPECT_TRUE(store.shareWithAllUsers());
    std::printf("after shareWithAllUsers: %s\n", fileAccessList(path).c_str());
    if (kept) {
        EXPECT_EQ(fileAccessList(path), wanted);
    }
    // The program itself still reads and replaces the file.
    book.insert(fileKeyToTime("9912081530"), "Friseur");
    EXPECT_TRUE(store.save(book, systemClock().currentTime()));
    EXPECT_FALSE(store.sync(book, systemClock().currentTime(), missed));
    EXPECT_EQ(book.count(), 2);
}

TEST_F(Win32FileTest, StampSeesEveryReplaceAndIgnoresLocks) {
    FileSystem& files = systemFileSystem();
    FileStamp missing;
    EXPECT_EQ(files.fileStamp(path, missing), FileResult::Missing);
    writeAll(path, "eins");
    FileStamp first;
    ASSERT_EQ(files.fileStamp(path, first), FileResult::Ok);
    EXPECT_EQ(first.size, 4u);
    {
        const UniqueHandle holder(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                              nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(holder);
        FileStamp held;
        EXPECT_EQ(files.fileStamp(path, held), FileResult::Ok);
        EXPECT_EQ(held, first);
    }
    // The same size and time, but another file put in place by rename.
    writeAll(path + ".neu", "zwei");
    {
        FILETIME written{};
        const UniqueHandle original(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(GetFileTime(original.get(), nullptr, nullptr, &written));
        const UniqueHandle replacement(CreateFileA((path + ".neu").c_str(), FILE_WRITE_ATTRIBUTES,
                                                   0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(SetFileTime(replacement.get(), nullptr, nullptr, &written));
    }
    ASSERT_EQ(files.moveFile(path + ".neu", path), FileResult::Ok);
    FileStamp second;
    ASSERT_EQ(files.fileStamp(path, second), FileResult::Ok);
    EXPECT_EQ(second.size, first.size);
    EXPECT_EQ(second.lastWrite, first.lastWrite);
    EXPECT_NE(second, first);
}

// Held by another program at start-up: the store waits for it instead of wiping it.
TEST_F(Win32FileTest, FileHeldAtStartIsMergedOnceLetGo) {
    writeAll(path, Example);
    TestFolderFileSystem files(folder);
    AppointmentStore store(files, folder, false, false);
    AppointmentBook book;
    AppointmentBook missed;
    {
        const UniqueHandle holder(
            CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(holder);
        EXPECT_FALSE(store.load(systemClock().currentTime(), false, book, missed));
        book.insert(fileKeyToTime("9912081530"), "Friseur");
        EXPECT_FALSE(store.save(book, systemClock().currentTime()));
        EXPECT_TRUE(store.unsaved());
    }
    EXPECT_EQ(readAll(path), Example);
    EXPECT_TRUE(store.sync(book, systemClock().currentTime(), missed));
    EXPECT_EQ(book.count(), 3);
    EXPECT_FALSE(store.unsaved());
    EXPECT_EQ(readAll(path).size(), Example.size() + 36 + 7);

    // The file put in place by rename keeps the stamp taken before: nothing to read.
    const int reads = files.reads;
    EXPECT_FALSE(store.sync(book, systemClock().currentTime(), missed));
    EXPECT_EQ(files.reads, reads);
}

// The files directly in a folder, whether its name ends in a backslash or not; not its
// subfolders, nor "." and "..".
TEST_F(Win32FileTest, ListsTheFilesOfAFolder) {
    FileSystem& files = systemFileSystem();
    std::vector<std::string> names = {"alt"};
    ASSERT_EQ(files.listFolder(folder, names), FileResult::Ok);
    EXPECT_TRUE(names.empty());

    writeAll(path, Example);
    const std::string copy = "quarvwecker (J\xfcrgens in Konflikt stehende Kopie 2026-12-07).xml";
    writeAll(folder + "\\" + copy, "x");
    const std::string sub = folder + "\\quarvwecker (1).xml";
    ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
    writeAll(sub + "\\innen.xml", "x");
    for (const std::string& listed : {folder, folder + "\\"}) {
        ASSERT_EQ(files.listFolder(listed, names), FileResult::Ok) << listed;
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{copy, "quarvwecker.xml"}));
    }
    EXPECT_EQ(conflictCopiesOf(files, folder), std::vector<std::string>{folder + "\\" + copy});
    DeleteFileA((sub + "\\innen.xml").c_str());
    RemoveDirectoryA(sub.c_str());
    DeleteFileA((folder + "\\" + copy).c_str());

    names = {"alt"};
    EXPECT_EQ(files.listFolder(folder + "\\fehlt", names), FileResult::Missing);
    EXPECT_EQ(files.listFolder(path, names), FileResult::Missing); // a file, no folder
    EXPECT_EQ(names, std::vector<std::string>{"alt"});
}

// A profile whose application-data folder went missing gets it back.
TEST(Win32DataFolder, MissingFolderIsCreated) {
    std::string user;
    ASSERT_TRUE(systemFileSystem().dataFolder(true, user));
    const std::string aside = user + "-beiseite";
    ASSERT_TRUE(MoveFileA(user.c_str(), aside.c_str()));
    std::string again;
    const bool found = systemFileSystem().dataFolder(true, again);
    const DWORD attributes = GetFileAttributesA(user.c_str());
    RemoveDirectoryA(user.c_str());
    MoveFileA(aside.c_str(), user.c_str());
    EXPECT_TRUE(found);
    EXPECT_EQ(again, user);
    EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES);
}

} // namespace
