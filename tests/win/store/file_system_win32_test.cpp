// The Win32 file system: the shell's data folders, the replace in one step, and a save
// that waits for another process to let go of the file.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>

#include "core/calendar.h"
#include "store/appointment_file.h"
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

    bool dataFolder(bool, std::string& path) override {
        path = folder_;
        return true;
    }
    FileResult readFile(const std::string& path, std::string& content) override {
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
        for (const char* suffix : {"", ".tmp", ".bad"}) {
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
    ASSERT_TRUE(loadAppointments(files, settings, book, missed));
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
    EXPECT_TRUE(loadAppointments(files, settings, book, missed));
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
    EXPECT_FALSE(loadAppointments(files, settings, loaded, missed));
    EXPECT_EQ(readAll(path + ".bad"), "alt");
}

} // namespace
