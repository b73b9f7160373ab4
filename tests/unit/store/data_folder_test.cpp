// The folder of the appointment file: the user's choice over the application-data
// folder, file names in it, and the check of a chosen folder, over a temporary folder.
#include <gtest/gtest.h>

#include "store/appointment_file.h"
#include "store/appointment_store.h"
#include "tests/support/appointment_files.h"
#include "store/data_folder.h"
#include "test_files.h"
#include "tests/support/memory_file_system.h"

namespace {

class DataFolderTest : public ::testing::Test {
  protected:
    TempFolders folders;
    FaultyFileSystem files{folders.user(), folders.common()};
};

TEST_F(DataFolderTest, TheChosenFolderHoldsTheFileWhateverUserdataSays) {
    Settings settings;
    std::string folder;
    for (const bool userdata : {true, false}) {
        settings.userdata = userdata;
        ASSERT_TRUE(appointmentFolder(files, settings, folder));
        EXPECT_EQ(folder, userdata ? folders.user() : folders.common());
    }
    settings.datafolder = folders.user() + "\\Sync";
    for (const bool userdata : {true, false}) {
        settings.userdata = userdata;
        ASSERT_TRUE(appointmentFolder(files, settings, folder));
        EXPECT_EQ(folder, settings.datafolder);
    }
    AppointmentBook book;
    book.insert(1796079600, "Zahnarzt");
    ASSERT_TRUE(saveAppointments(files, settings, book));
    EXPECT_EQ(fileText(folders.user() + "/Sync/quarvwecker.xml"), appointmentFileText(book));
    EXPECT_FALSE(fileExists(folders.common() + "/quarvwecker.xml"));
}

TEST_F(DataFolderTest, FileNamesAndCompletePaths) {
    EXPECT_EQ(fileInFolder("D:\\Sync", "quarvwecker.xml"), "D:\\Sync\\quarvwecker.xml");
    EXPECT_EQ(fileInFolder("D:\\", "quarvwecker.xml"), "D:\\quarvwecker.xml");
    EXPECT_EQ(appointmentFilePath("D:\\"), "D:\\quarvwecker.xml");
    for (const char* folder : {"C:\\", "d:\\Termine", "\\\\server\\Termine"}) {
        EXPECT_TRUE(isAbsoluteFolder(folder)) << folder;
    }
    for (const char* folder :
         {"", "C:", "C:Termine", "\\Termine", "\\\\\\x", "Termine\\x", "1:\\"}) {
        EXPECT_FALSE(isAbsoluteFolder(folder)) << folder;
    }
}

TEST_F(DataFolderTest, AChosenFolderMustExistAndTakeAFile) {
    EXPECT_EQ(checkDataFolder(files, folders.user()), FolderCheck::Usable);
    const std::string probe = folders.user() + "/" + std::string(PROBE_FILE_NAME);
    EXPECT_FALSE(fileExists(probe)); // the probe is gone
    writeText(probe, "left by a crash");
    EXPECT_EQ(checkDataFolder(files, folders.user()), FolderCheck::Usable);
    EXPECT_EQ(checkDataFolder(files, folders.user() + "\\"), FolderCheck::Usable);
    EXPECT_EQ(checkDataFolder(files, folders.user() + "\\nowhere"), FolderCheck::Missing);

    const int before = files.operations();
    EXPECT_EQ(checkDataFolder(files, "C:\\" + std::string(DATA_FOLDER_CHARS - 2, 'x')),
              FolderCheck::TooLong);
    EXPECT_EQ(files.operations(), before);

    files.refuseCreating(std::string(PROBE_FILE_NAME));
    EXPECT_EQ(checkDataFolder(files, folders.user()), FolderCheck::NotWritable);
    files.refuseCreating("");
    files.failOperation(5); // the look, an old probe's removal, the probe's creation and
                            // closing, its removal
    EXPECT_EQ(checkDataFolder(files, folders.user()), FolderCheck::NotWritable);
    files.failOperation(1);
    EXPECT_EQ(checkDataFolder(files, folders.user()), FolderCheck::NotWritable);
}

// The longest folder the check accepts takes the longest name the program writes there:
// the temporary file of the last copy of a damaged file kept aside.
TEST(DataFolderLength, TheLongestAcceptedFolderTakesEveryFileTheProgramWrites) {
    MemoryFileSystem files; // makes no path longer than the platform's file calls take
    EXPECT_EQ(checkDataFolder(files, "C:\\" + std::string(234, 'x')), FolderCheck::TooLong);
    const std::string folder = "C:\\" + std::string(DATA_FOLDER_CHARS - 3, 'x');
    files.addFolder(folder);
    ASSERT_NE(checkDataFolder(files, folder), FolderCheck::TooLong);
    EXPECT_EQ(fileInFolder(folder, "quarvwecker.xml.bad99.tmp").size(), LONGEST_PATH_CHARS);

    const std::string path = appointmentFilePath(folder);
    files.setFile(path, "<quarvwecker><version1><termine><date text=");
    files.setFile(path + ".bad", "copy 1");
    for (int n = 2; n < 99; ++n) {
        files.setFile(path + ".bad" + std::to_string(n), "copy " + std::to_string(n));
    }
    AppointmentStore store(files, folder, false, false);
    AppointmentBook book;
    AppointmentBook missed;
    store.load(1796079600, false, book, missed);
    book.insert(1796083200, "Zahnarzt");
    EXPECT_TRUE(store.save(book, 1796079600));
    EXPECT_EQ(files.file(path + ".bad99"), "<quarvwecker><version1><termine><date text=");
    EXPECT_EQ(files.file(path), appointmentFileText(book));
}

} // namespace
