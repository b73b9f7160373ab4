// The running program and its appointment file when another program (another
// user's, another PC's through a sync service) changes the file too.
#include <gtest/gtest.h>

#include <windows.h>

#include "res/resource.h"
#include "tests/support/appointment_xml.h"
#include "tests/support/program_fixture.h"
#include "ui/appointment_list_dialog_ids.h"
#include "ui/config_dialog_ids.h"

namespace {

class FollowingTheFile : public ProgramFixture {
  protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        AppointmentBook missed;
        program->loadBook(missed); // no file yet
        soon = thisMinute() + 3 * 60;
        later = thisMinute() + 3 * 3600;
    }

    // The program's file timer went off.
    void followFile() {
        SendMessageA(program->mainWindow, WM_TIMER, FILE_TIMER_ID, 0);
        pumpMessages();
    }

    TimeValue soon = 0;
    TimeValue later = 0;
};

TEST_F(FollowingTheFile, AnAppointmentAddedElsewhereAlarmsHere) {
    program->settings.alarmoffset = 5;
    program->toggleAlarm();
    program->book.insert(later, "eigener");
    program->saveBook();

    ASSERT_TRUE(writeWholeFile(appointmentFile(),
                               appointmentXml({{"von nebenan", soon}, {"eigener", later}})));
    followFile(); // merges, and the immediate tick alarms what is due
    ASSERT_EQ(ownedWindows().size(), 1u);
    EXPECT_EQ(itemText(ownedWindows()[0], 1027), "von nebenan");
    EXPECT_EQ(plainForm(readWholeFile(appointmentFile())), appointmentXml({{"eigener", later}}))
        << "the alarm was saved into the shared file";
}

TEST_F(FollowingTheFile, TheListsOkKeepsWhatArrivedWhileItWasOpen) {
    program->book.insert(later, "eigener");
    program->saveBook();
    driveModal(
        "Quarv Revov - Termine", [&] { program->command(IDM_APPOINTMENTS); },
        [&](HWND list) {
            EXPECT_TRUE(writeWholeFile(appointmentFile(),
                                       appointmentXml({{"eigener", later}, {"neu", later + 60}})));
            SendMessageA(program->mainWindow, WM_TIMER, FILE_TIMER_ID, 0);
            EXPECT_EQ(listRows(GetDlgItem(list, IDC_APPOINTMENTS)).size(), 1u)
                << "the list shows its own rows";
            postCommand(list, IDOK);
        });
    pumpMessages();
    EXPECT_EQ(contents(program->book),
              (std::vector<Appointment>{{later, "eigener", {}}, {later + 60, "neu", {}}}));
    EXPECT_EQ(plainForm(readWholeFile(appointmentFile())),
              appointmentXml({{"eigener", later}, {"neu", later + 60}}));
}

TEST_F(FollowingTheFile, AFileThatCouldNotBeSavedIsReported) {
    program->book.insert(later, "eigener");
    // A folder where the temporary file belongs: no save can succeed.
    ASSERT_TRUE(CreateDirectoryA((appointmentFile() + ".tmp").c_str(), nullptr));
    EXPECT_FALSE(program->saveAtExit());
    EXPECT_EQ(program->appointmentFilePath(), appointmentFile());
    RemoveDirectoryA((appointmentFile() + ".tmp").c_str());
    followFile(); // the next look saves what could not be saved
    EXPECT_TRUE(program->saveAtExit());
    EXPECT_EQ(plainForm(readWholeFile(appointmentFile())), appointmentXml({{"eigener", later}}));
}

// "Standard" in place of the same folder chosen by name: the file the program joins is
// the one it follows, and what another program deleted there since the last look does
// not come back.
TEST_F(FollowingTheFile, AFolderSettingThatNamesTheSameFileBringsNothingBack) {
    const std::string file = appointmentFile();
    ASSERT_TRUE(services.files.dataFolder(true, program->settings.datafolder));
    program->book.insert(later, "eigener");
    program->book.insert(later + 60, "erledigt");
    program->saveBook();
    ASSERT_TRUE(writeWholeFile(file, appointmentXml({{"eigener", later}})));
    driveModal(
        "Quarv Zodora - Konfiguration", [&] { program->command(IDM_SETTINGS); },
        [](HWND config) {
            postCommand(config, IDC_CFG_DATA_FOLDER_DEFAULT);
            postCommand(config, IDOK);
        });
    pumpMessages();
    EXPECT_EQ(program->settings.datafolder, "");
    EXPECT_EQ(contents(program->book), (std::vector<Appointment>{{later, "eigener", {}}}));
    EXPECT_EQ(plainForm(readWholeFile(file)), appointmentXml({{"eigener", later}}));
}

} // namespace
