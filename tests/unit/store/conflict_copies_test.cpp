// Conflict copies of the appointment file: each service's names, the files that are none,
// the name a joined copy gets, and finding the copies in a folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "store/conflict_copies.h"
#include "test_files.h"

namespace {

struct Name {
    const char* name;
    bool copy;
};

TEST(ConflictCopies, EachServicesNamesAndNoOther) {
    for (const Name& row : {
             // Dropbox, English and German
             Name{"quarvwecker (Anna's conflicted copy 2026-12-07).xml", true},
             Name{"quarvwecker (Anna's conflicted copy 2026-12-07 (1)).xml", true},
             Name{"quarvwecker (Anna's conflicted copy 2026-12-07) (Ben's conflicted copy "
                  "2026-12-08).xml",
                  true},
             Name{"Quarvwecker (DESKTOP-1A2B3C4's Conflicted Copy 2026-12-07).XML", true},
             Name{"quarvwecker (Annas in Konflikt stehende Kopie 2026-12-07).xml", true},
             Name{"quarvwecker (J\xfcrgens in Konflikt stehende Kopie 2026-12-07).xml", true},
             // OneDrive
             Name{"quarvwecker-DESKTOP-1A2B3C4.xml", true},
             Name{"quarvwecker-DESKTOP-1A2B3C4-2.xml", true},
             Name{"quarvwecker-Annas-MacBook-Pro.xml", true},
             Name{"quarvwecker-buero.xml", true},
             // Nextcloud and ownCloud, old and new
             Name{"quarvwecker_conflict-20261207-120000.xml", true},
             Name{"quarvwecker_conflict_anna-20261207-120000.xml", true},
             Name{"quarvwecker (conflicted copy 2026-12-07 120000).xml", true},
             Name{"quarvwecker (conflicted copy anna 2026-12-07 120000).xml", true},
             // Syncthing, with and without the device
             Name{"quarvwecker.sync-conflict-20261207-120000-ABCDEFG.xml", true},
             Name{"quarvwecker.sync-conflict-20261207-120000.xml", true},
             // Google Drive
             Name{"quarvwecker (1).xml", true},
             Name{"quarvwecker (12).xml", true},
             // Seafile, from the client and from the server
             Name{"quarvwecker (SFConflict user@example.com 2026-12-07-12-00-00).xml", true},
             Name{"quarvwecker (SFConflict 2026-12-07-12-00-00).xml", true},
             Name{"quarvwecker (SFConflict anna 2026-Dec-7-12-00-00).xml", true},

             // The original itself, in any case
             Name{"quarvwecker.xml", false},
             Name{"QUARVWECKER.XML", false},
             // What the program keeps beside it
             Name{"quarvwecker.xml.tmp", false},
             Name{"quarvwecker.xml.bad", false},
             Name{"quarvwecker.xml.bad2", false},
             Name{"quarvwecker.xml.probe", false},
             // A copy of the program's own files, and copies set aside
             Name{"quarvwecker.xml (Anna's conflicted copy 2026-12-07).tmp", false},
             Name{"quarvwecker (1).xml.uebernommen", false},
             Name{"quarvwecker-DESKTOP-1A2B3C4.xml.uebernommen2", false},
             // Unrelated files
             Name{"quarvwecker.xml.bak", false},
             Name{"notes.xml", false},
             Name{"quarvwecker-backup.txt", false},
             Name{"termine (Anna's conflicted copy 2026-12-07).xml", false},
             Name{"quarvweckerDESKTOP.xml", false},
             Name{"quarvwecker.xml.xml", false},
             // A person's own copies, which the broad OneDrive and Drive patterns leave alone
             Name{"quarvwecker - Kopie.xml", false},
             Name{"quarvwecker-backup.xml", false},
             Name{"quarvwecker-Alt-2.xml", false},
             Name{"quarvwecker-2025.xml", false},
             Name{"quarvwecker-.xml", false},
             Name{"quarvwecker--x.xml", false},
             Name{"quarvwecker-M\xe4rz.xml", false},
             Name{"quarvwecker-Anna PC.xml", false},
             Name{"quarvwecker_alt.xml", false},
             Name{"quarvwecker (Anna).xml", false},
             Name{"quarvwecker ().xml", false},
             Name{"quarvwecker (12345).xml", false},
             Name{"quarvwecker.sync-conflict-.xml", false},
             Name{"quarvwecker (conflicted copy.xml", false},
         }) {
        EXPECT_EQ(isConflictCopy(row.name, APPOINTMENT_FILE_NAME), row.copy) << row.name;
        if (row.copy) {
            // Renamed once joined: no copy any more, so it is never joined again.
            EXPECT_FALSE(isConflictCopy(setAsideName(row.name), APPOINTMENT_FILE_NAME)) << row.name;
            EXPECT_FALSE(isConflictCopy(setAsideName(row.name, 2), APPOINTMENT_FILE_NAME));
        }
    }
}

TEST(ConflictCopies, ASetAsideNameIsTheCopysWithAWordAndANumber) {
    EXPECT_EQ(setAsideName("quarvwecker (1).xml"), "quarvwecker (1).xml.uebernommen");
    EXPECT_EQ(setAsideName("quarvwecker (1).xml", 2), "quarvwecker (1).xml.uebernommen2");
    EXPECT_EQ(setAsideName("quarvwecker (1).xml", 10), "quarvwecker (1).xml.uebernommen10");
}

// The copies among what else a folder holds, as full paths sorted by name.
TEST(ConflictCopies, FoundInAFolderSortedByName) {
    TempFolders folders;
    FaultyFileSystem files(folders.user(), folders.common());
    const std::string folder = folders.user();
    for (const char* name :
         {"quarvwecker.xml", "quarvwecker.xml.tmp", "quarvwecker.sync-conflict-20261207-120000.xml",
          "quarvwecker (1).xml.uebernommen", "quarvwecker (Anna's conflicted copy 2026-12-07).xml",
          "quarvwecker-DESKTOP-1A2B3C4.xml", "notes.xml"}) {
        writeText(folder + "/" + name, "x");
    }
    std::filesystem::create_directory(folder + "/quarvwecker (2).xml");  // a folder, no copy
    writeText(folder + "/quarvwecker (2).xml/quarvwecker (3).xml", "x"); // not directly in it

    const std::vector<std::string> expected = {
        folder + "\\quarvwecker (Anna's conflicted copy 2026-12-07).xml",
        folder + "\\quarvwecker-DESKTOP-1A2B3C4.xml",
        folder + "\\quarvwecker.sync-conflict-20261207-120000.xml",
    };
    EXPECT_EQ(conflictCopiesOf(files, folder), expected);
    EXPECT_EQ(conflictCopiesOf(files, folder + "\\"), expected);
    EXPECT_TRUE(conflictCopiesOf(files, folder + "\\fehlt").empty());
    files.failOperation(1);
    EXPECT_TRUE(conflictCopiesOf(files, folder).empty());
}

} // namespace
