// The real belvanto.exe when its file misbehaves: held by another process at start-up,
// or a save that cannot be made.
#include <gtest/gtest.h>

#include "core/calendar.h"
#include "core/clock.h"
#include "tests/e2e/program/real_program.h"
#include "tests/support/appointment_xml.h"
#include "tests/support/remote_program.h"

namespace {

// Another process (here the test) holds the file without sharing while the program
// starts and while the user adds an appointment; then it lets go, and "Beenden" keeps
// the file's two appointments and the new one: nothing was wiped.
TEST_F(RealProgram, AFileHeldAtStartUpIsJoinedOnceFreeAndNothingIsWiped) {
    const TimeValue now = systemClock().currentTime();
    const TimeValue day = now - now % 60 + 86400;
    const std::string path = userAppointmentFile();
    const std::string held = appointmentXml({{"Zahnarzt", day}, {"Geburtstag Oma", day + 3600}});
    writeFile(path, held);
    UniqueHandle holder(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(holder);

    Program program;
    ASSERT_NE(program.waitUntilStarted(), nullptr);
    const RemoteProgram remote(program);
    const HWND list = remote.openList();
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(remote.rows(list).empty()); // nothing could be read yet
    ASSERT_TRUE(remote.addRow(list, "Friseur", day + 60));
    ASSERT_TRUE(remote.closeList(list, IDOK));
    ASSERT_TRUE(remote.sendTimer(PROGRAM_FILE_TIMER)); // still held: looked at in vain

    holder.reset();
    EXPECT_EQ(readWholeFile(path), held);
    EXPECT_EQ(program.quit(), 0);
    EXPECT_EQ(
        readWholeFile(path),
        appointmentXml({{"Zahnarzt", day}, {"Friseur", day + 60}, {"Geburtstag Oma", day + 3600}}));
}

// A folder in the way of the temporary file: the alarm's save fails, and only at
// "Beenden" does the user hear of it, once, with the file's path; the answer ends it.
TEST_F(RealProgram, ASaveThatFailsIsToldOnceAtTheEnd) {
    const TimeValue now = systemClock().currentTime();
    const TimeValue soon = now - now % 60 + 120; // due: within the 5 minutes ahead
    const TimeValue later = now + 3 * 3600;
    const std::string path = userAppointmentFile();
    const std::string original = appointmentXml({{"Zahnarzt", soon}, {"Geburtstag Oma", later}});
    writeFile(path, original);
    RemoveDirectoryA((path + ".tmp").c_str());
    ASSERT_TRUE(CreateDirectoryA((path + ".tmp").c_str(), nullptr));

    Program program;
    ASSERT_NE(program.waitUntilStarted(), nullptr);
    const RemoteProgram remote(program);
    ASSERT_TRUE(remote.sendTimer(PROGRAM_TICK_TIMER));
    EXPECT_EQ(remote.alarms(), std::vector<std::string>{"Zahnarzt"});
    EXPECT_EQ(readWholeFile(path), original);
    EXPECT_EQ(program.window("#32770", "Quarv Zodora"), nullptr); // not a word yet

    PostMessageA(program.mainWindow(), WM_COMMAND, IDM_EXIT, 0);
    HWND box = nullptr;
    ASSERT_TRUE(waitFor([&] {
        box = program.window("#32770", "Quarv Zodora");
        return box != nullptr && IsWindowVisible(box);
    }));
    EXPECT_EQ(messageText(box),
              "Sorry!\r\nDie Termine konnten nicht gespeichert werden.\r\n"
              "Neue und ge\xE4nderte Termine gehen verloren. Die Termindatei:\r\n" +
                  path);
    EXPECT_TRUE(program.running()); // it waits for the answer
    answer(box, IDOK);
    EXPECT_EQ(program.exitCode(), 0); // and no second message holds it
    EXPECT_EQ(readWholeFile(path), original);
    RemoveDirectoryA((path + ".tmp").c_str());
}

} // namespace
