// The in-memory file system that tests load and save through: folders, moves, failures.
#include <gtest/gtest.h>

#include "tests/support/memory_file_system.h"

namespace {

using Call = MemoryFileSystem::Call;

TEST(MemoryFileSystem, FilesLiveInFoldersThatExist) {
    MemoryFileSystem files("C:\\u", "C:\\c");
    std::string folder;
    ASSERT_TRUE(files.dataFolder(true, folder));
    EXPECT_EQ(folder, "C:\\u");
    std::uintptr_t file = 0;
    ASSERT_TRUE(files.createFile("C:/u/a.tmp", file));
    EXPECT_TRUE(files.writeFile(file, "ab"));
    EXPECT_TRUE(files.writeFile(file, "c"));
    EXPECT_EQ(files.file("C:\\u\\a.tmp"), "abc"); // on the disk at once
    EXPECT_TRUE(files.closeFile(file));
    EXPECT_FALSE(files.writeFile(file, "d"));
    EXPECT_EQ(files.openFiles(), 0);

    EXPECT_FALSE(files.createFile("C:\\missing\\a.xml", file));
    EXPECT_EQ(files.moveFile("C:\\u\\a.tmp", "C:\\missing\\a.xml"), FileResult::Missing);
    EXPECT_EQ(files.moveFile("C:\\u\\a.tmp", "C:\\u\\a.xml"), FileResult::Ok);
    std::string content;
    EXPECT_EQ(files.readFile("C:\\u\\a.tmp", content), FileResult::Missing);
    EXPECT_EQ(files.readFile("C:\\u\\a.xml", content), FileResult::Ok);
    EXPECT_EQ(content, "abc");

    files.addFolder("C:\\u\\sub");
    EXPECT_EQ(files.moveFile("C:\\u\\a.xml", "C:\\u\\sub"), FileResult::Failed);
    files.setFile("C:\\u\\sub\\b", "x");
    files.removeFolder("C:\\u");
    EXPECT_TRUE(files.files().empty());
    // A missing data folder is made again, as the platform's is.
    EXPECT_TRUE(files.dataFolder(true, folder));
    EXPECT_TRUE(files.hasFolder("C:\\u"));
}

TEST(MemoryFileSystem, ChosenCallsFail) {
    MemoryFileSystem files;
    const std::string path = files.userFolder() + "\\f";
    files.setFile(path, "x");
    std::string content;
    files.failCall(Call::ReadFile, 2, FileResult::Busy);
    EXPECT_EQ(files.readFile(path, content), FileResult::Ok);
    EXPECT_EQ(files.readFile(path, content), FileResult::Busy);
    EXPECT_EQ(files.readFile(path, content), FileResult::Ok);
    EXPECT_EQ(files.calls(Call::ReadFile), 3);

    files.failCall(Call::RemoveFile, 0);
    EXPECT_FALSE(files.removeFile(path));
    EXPECT_FALSE(files.removeFile(path));
    files.clearFailures();
    EXPECT_TRUE(files.removeFile(path));

    files.setFile(path, "too large");
    files.setLargestReadableFile(8);
    EXPECT_EQ(files.readFile(path, content), FileResult::Failed);
}

// The files directly in a folder: not its folders, nor what they hold.
TEST(MemoryFileSystem, ListsTheFilesOfAFolder) {
    MemoryFileSystem files("C:\\u", "C:\\c");
    files.setFile("C:\\u\\b.xml", "x");
    files.setFile("C:/u/a.xml", "x");
    files.addFolder("C:\\u\\sub");
    files.setFile("C:\\u\\sub\\c.xml", "x");
    files.setFile("C:\\ux.xml", "x");
    std::vector<std::string> names = {"stale"};
    EXPECT_EQ(files.listFolder("C:\\u", names), FileResult::Ok);
    EXPECT_EQ(names, (std::vector<std::string>{"a.xml", "b.xml"}));
    EXPECT_EQ(files.listFolder("C:\\u\\", names), FileResult::Ok);
    EXPECT_EQ(names.size(), 2u);
    EXPECT_EQ(files.listFolder("C:\\u\\sub", names), FileResult::Ok);
    EXPECT_EQ(names, std::vector<std::string>{"c.xml"});
    EXPECT_EQ(files.listFolder("C:\\c", names), FileResult::Ok);
    EXPECT_TRUE(names.empty());

    names = {"kept"};
    EXPECT_EQ(files.listFolder("C:\\fehlt", names), FileResult::Missing);
    files.failCall(Call::ListFolder, 1, FileResult::Busy);
    EXPECT_EQ(files.listFolder("C:\\u", names), FileResult::Busy);
    EXPECT_EQ(names, std::vector<std::string>{"kept"});
    EXPECT_EQ(files.calls(Call::ListFolder), 6);
}

} // namespace
