// Conflict copies of the appointment file: each service's names, the files that are none,
// the name a joined copy gets, and finding the copies in a folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "store/conflict_copies.h"
#include "test_files.h"

namespace {

// Each service's copies, as its sources show them.
constexpr const char* COPIES[] = {
    // Dropbox, English (also a copy of a copy) and German
    "quarvwecker (Anna's conflicted copy 2026-12-07).xml",
    "quarvwecker (Anna's conflicted copy 2026-12-07 (1)).xml",
    "quarvwecker (Anna's conflicted copy 2026-12-07) (Ben's conflicted copy 2026-12-08).xml",
    "Quarvwecker (DESKTOP-1A2B3C4's Conflicted Copy 2026-12-07).XML",
    "quarvwecker (J\xfcrgens in Konflikt stehende Kopie 2026-12-07).xml",
    // OneDrive
    "quarvwecker-DESKTOP-1A2B3C4.xml", "quarvwecker-DESKTOP-1A2B3C4-2.xml",
    "quarvwecker-Annas-MacBook-Pro.xml", "quarvwecker-buero.xml",
    // Nextcloud and ownCloud, before 2.5 and from 2.5
    "quarvwecker_conflict-20261207-120000.xml", "quarvwecker_conflict_anna-20261207-120000.xml",
    "quarvwecker (conflicted copy 2026-12-07 120000).xml",
    "quarvwecker (conflicted copy anna 2026-12-07 120000).xml",
    // Syncthing, with and without the device
    "quarvwecker.sync-conflict-20261207-120000-ABCDEFG.xml",
    "quarvwecker.sync-conflict-20261207-120000.xml",
    // Google Drive
    "quarvwecker (1).xml", "quarvwecker (12).xml",
    // Seafile: the client, without a user, the server
    "quarvwecker (SFConflict user@example.com 2026-12-07-12-00-00).xml",
    "quarvwecker (SFConflict 2026-12-07-12-00-00).xml",
    "quarvwecker (SFConflict anna 2026-Dec-7-12-00-00).xml"};

constexpr const char* NO_COPIES[] = {
    // The original, in any case, and what the program keeps beside it
    "quarvwecker.xml", "QUARVWECKER.XML", "quarvwecker.xml.tmp", "quarvwecker.xml.bad",
    "quarvwecker.xml.bad2", "quarvwecker.xml.probe",
    // A service's copy of a temporary file; copies set aside
    "quarvwecker.xml (Anna's conflicted copy 2026-12-07).tmp", "quarvwecker (1).xml.uebernommen",
    // Unrelated files, and copies of a file whose name begins alike
    "quarvwecker.xml.bak", "notes.xml", "quarvwecker-backup.txt", "quarvweckerDESKTOP.xml",
    "quarvwecker.xml.xml", "termine (Anna's conflicted copy 2026-12-07).xml",
    "quarvwecker-alt (Anna's conflicted copy 2026-12-07).xml",
    "quarvwecker-alt.sync-conflict-20261207-120000-ABCDEFG.xml",
    // A person's own copies, which the broad OneDrive and Drive patterns leave alone
    "quarvwecker - Kopie.xml", "quarvwecker-backup.xml", "quarvwecker-Alt-2.xml",
    "quarvwecker-2025.xml", "quarvwecker-.xml", "quarvwecker--x.xml", "quarvwecker-M\xe4rz.xml",
    "quarvwecker-Anna PC.xml", "quarvwecker_alt.xml", "quarvwecker (Anna).xml",
    "quarvwecker ().xml", "quarvwecker (12345).xml", "quarvwecker.sync-conflict-.xml",
    "quarvwecker (conflicted copy.xml"};

TEST(ConflictCopies, EachServicesNamesAndNoOther) {
    for (const char* name : COPIES) {
        EXPECT_TRUE(isConflictCopy(name, APPOINTMENT_FILE_NAME)) << name;
        // Renamed once joined: no copy any more, so it is never joined again.
        EXPECT_FALSE(isConflictCopy(setAsideName(name), APPOINTMENT_FILE_NAME)) << name;
        EXPECT_FALSE(isConflictCopy(setAsideName(name, 2), APPOINTMENT_FILE_NAME)) << name;
    }
    for (const char* name : NO_COPIES) {
        EXPECT_FALSE(isConflictCopy(name, APPOINTMENT_FILE_NAME)) << name;
    }
    EXPECT_EQ(setAsideName("quarvwecker (1).xml"), "quarvwecker (1).xml.uebernommen");
    EXPECT_EQ(setAsideName("quarvwecker (1).xml", 2), "quarvwecker (1).xml.uebernommen2");
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
