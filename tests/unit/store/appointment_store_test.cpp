// The appointment store over a temporary folder: two programs sharing one file, a file
// held, unreadable, missing or replaced, and saves that fail on the way.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/calendar.h"
#include "store/appointment_store.h"
#include "store/replica.h"
#include "tests/support/appointment_files.h"
#include "tests/support/rule_patterns.h"
#include "test_files.h"

namespace {

const TimeValue NOW = 1796079600; // 2026-12-01 00:00 CET

// One appointment a letter, on the days after NOW ('A' the first); lowercase letters
// are as many days before NOW.
AppointmentBook book(std::string_view letters) {
    AppointmentBook result;
    for (const char letter : letters) {
        const bool past = letter >= 'a';
        const TimeValue day = 86400 * (1 + (past ? letter - 'a' : letter - 'A'));
        result.insert(past ? NOW - day : NOW + day, std::string(1, letter));
    }
    return result;
}

std::string letters(const AppointmentBook& b) {
    std::string all;
    b.forEach([&all](const Appointment& a) { all += a.text; });
    return all;
}

class AppointmentStoreTest : public ::testing::Test {
  protected:
    std::string path() const { return folders.user() + "/quarvwecker.xml"; }
    void writeFile(std::string_view letters) {
        writeText(path(), appointmentFileText(book(letters)));
    }
    // The file carries identities (written in the shared form).
    bool marked() {
        FileContent content;
        return readAppointmentFile(fileText(path()), content) && content.marked;
    }
    std::string onDisk() {
        AppointmentBook all;
        EXPECT_TRUE(readAppointmentFileText(fileText(path()), all));
        return letters(all);
    }
    // Another program (on this file, or in `folder`; `shared`: one that knows the file is
    // shared) after its load: `its` book and `itsMissed`.
    AppointmentStore started(AppointmentBook& its, std::string folder = {}, bool shared = false,
                             AppointmentBook* itsMissed = nullptr) {
        AppointmentStore other(files, folder.empty() ? folders.user() : folder, false, shared);
        AppointmentBook missedThere;
        other.load(NOW, false, its, itsMissed != nullptr ? *itsMissed : missedThere);
        return other;
    }

    TempFolders folders;
    FaultyFileSystem files{folders.user(), folders.common()};
    AppointmentStore store{files, folders.user(), false, false};
    AppointmentBook ours;
    AppointmentBook missed;
};

TEST_F(AppointmentStoreTest, TwoProgramsOnOneFileLoseNothing) {
    writeFile("AB");
    ASSERT_TRUE(store.load(NOW, false, ours, missed));
    AppointmentBook theirs;
    AppointmentStore other = started(theirs);

    // Nothing changed elsewhere: the file is not read again.
    const int reads = files.reads();
    EXPECT_FALSE(store.sync(ours, NOW, missed));
    ours.insert(book("D").earliest());
    EXPECT_TRUE(store.save(ours, NOW));
    EXPECT_EQ(files.reads(), reads);

    // They add C; we alarm A at the same time.
    theirs.insert(book("C").earliest());
    EXPECT_TRUE(other.save(theirs, NOW));
    ours.removeEarliest();
    EXPECT_TRUE(store.save(ours, NOW));
    EXPECT_EQ(letters(ours), "BCD");
    EXPECT_EQ(onDisk(), "BCD");
    EXPECT_TRUE(marked()) << "another program writes it too: from now on it is shared";

    // They follow at their next tick: A does not alarm there again.
    EXPECT_TRUE(other.sync(theirs, NOW, missed));
    EXPECT_EQ(letters(theirs), "BCD");
    EXPECT_FALSE(store.sync(ours, NOW, missed));
    EXPECT_EQ(missed.count(), 0);
}

TEST_F(AppointmentStoreTest, ReplacedByRenameWithTheSameSizeAndTimeIsNoticed) {
    writeFile("AB");
    store.load(NOW, false, ours, missed);
    const auto time = std::filesystem::last_write_time(path());
    writeText(path() + ".neu", appointmentFileText(book("AC")));
    std::filesystem::last_write_time(path() + ".neu", time);
    std::filesystem::rename(path() + ".neu", path());
    // A conflict copy beside the file is no concern of the program.
    writeText(folders.user() + "/quarvwecker (Konfliktkopie).xml", "fremd");
    EXPECT_TRUE(store.sync(ours, NOW, missed));
    EXPECT_EQ(letters(ours), "AC");
}

// Held by another program at start-up: never replaced until read, then joined with what
// the user added meanwhile; its past appointments are missed, as at start-up.
TEST_F(AppointmentStoreTest, FileHeldAtStartIsReadLaterAndNotWiped) {
    writeFile("aBC");
    files.busyReads(path(), 1000);
    EXPECT_FALSE(store.load(NOW, false, ours, missed));
    EXPECT_EQ(ours.count(), 0);

    ours = book("CD"); // C is in the file too: it stays one appointment
    EXPECT_FALSE(store.save(ours, NOW));
    EXPECT_TRUE(store.unsaved());
    EXPECT_FALSE(store.sync(ours, NOW, missed));
    EXPECT_EQ(onDisk(), "aBC");

    files.busyReads(path(), 0);
    EXPECT_TRUE(store.sync(ours, NOW, missed));
    EXPECT_EQ(letters(ours), "BCD");
    EXPECT_EQ(letters(missed), "a");
    EXPECT_EQ(onDisk(), "BCD");
    EXPECT_FALSE(store.unsaved());
}

TEST_F(AppointmentStoreTest, UnreadableFilesAreKeptAsideOrNotReplaced) {
    // A folder in the way of the first name: the copy takes the next.
    std::filesystem::create_directory(path() + ".bad");
    writeText(path(), "kaputt");
    EXPECT_FALSE(store.load(NOW, false, ours, missed));
    EXPECT_EQ(fileText(path() + ".bad2"), "kaputt");

    // Another unreadable file later: kept beside the first, never over it.
    ours = book("A");
    writeText(path(), "auch kaputt");
    EXPECT_FALSE(store.sync(ours, NOW, missed)); // looked at again first
    EXPECT_FALSE(store.sync(ours, NOW, missed));
    EXPECT_EQ(fileText(path() + ".bad2"), "kaputt");
    EXPECT_EQ(fileText(path() + ".bad3"), "auch kaputt");
    EXPECT_EQ(onDisk(), "A");

    // No copy can be made: the file stays as it is, and the book unsaved.
    files.refuseCreating(".bad");
    AppointmentStore other(files, folders.user(), false, false);
    AppointmentBook theirs;
    writeText(path(), "noch einmal kaputt");
    EXPECT_FALSE(other.load(NOW, false, theirs, missed));
    theirs = book("B");
    EXPECT_FALSE(other.save(theirs, NOW));
    EXPECT_TRUE(other.unsaved());
    EXPECT_EQ(fileText(path()), "noch einmal kaputt");
    files.refuseCreating("");
    EXPECT_FALSE(other.sync(theirs, NOW, missed));
    EXPECT_EQ(onDisk(), "B");
    EXPECT_EQ(fileText(path() + ".bad4"), "noch einmal kaputt");
}

// A file that read well turns unreadable and cannot be kept aside: it holds none of the
// book, so the book is unsaved (and the user told at the end), even when unchanged.
TEST_F(AppointmentStoreTest, UnreadableFileThatStaysIsNoSave) {
    writeFile("AB");
    store.load(NOW, false, ours, missed);
    writeText(path(), "kaputt");
    files.refuseCreating(".bad");
    EXPECT_FALSE(store.save(ours, NOW));
    EXPECT_TRUE(store.unsaved());
    files.refuseCreating("");
    store.sync(ours, NOW, missed);
    store.sync(ours, NOW, missed);
    EXPECT_FALSE(store.unsaved());
    EXPECT_EQ(onDisk(), "AB");
}

// A file cut off after its first appointment (written in place elsewhere, a disk full)
// still parses, but its lost tail is no deletion: it is kept aside like an unreadable one.
TEST_F(AppointmentStoreTest, FileCutOffDeletesNothing) {
    writeFile("ABC");
    store.load(NOW, false, ours, missed);
    const std::string whole = appointmentFileText(book("ABC"));
    const std::string cut = whole.substr(0, whole.find("<date", whole.find("<date") + 1));
    writeText(path(), cut);
    EXPECT_FALSE(store.sync(ours, NOW, missed)); // looked at again first
    EXPECT_FALSE(store.sync(ours, NOW, missed));
    EXPECT_EQ(letters(ours), "ABC");
    EXPECT_EQ(onDisk(), "ABC");
    EXPECT_EQ(fileText(path() + ".bad"), cut);

    // Cut off again after it was gone and could not be written back.
    std::filesystem::remove(path());
    files.busyMoves(1000);
    store.sync(ours, NOW, missed);
    store.sync(ours, NOW, missed);
    files.busyMoves(0);
    writeText(path(), cut);
    store.sync(ours, NOW, missed);
    EXPECT_EQ(letters(ours), "ABC");
    EXPECT_EQ(onDisk(), "ABC");

    // Garbled in the middle: what the reader makes of the rest (B at a wrong time) is not
    // taken.
    std::string garbled = whole;
    garbled.replace(garbled.find("zeit", garbled.find("text=\"B\"")) + 6, 10, "26<date120");
    writeText(path(), garbled);
    store.sync(ours, NOW, missed);
    store.sync(ours, NOW, missed);
    EXPECT_EQ(letters(ours), "ABC");
}

// A sync service replaces the file: missing for a tick, then back with its own changes.
TEST_F(AppointmentStoreTest, FileMissingForATickDeletesNothing) {
    writeFile("AB");
    store.load(NOW, false, ours, missed);
    std::filesystem::remove(path());
    EXPECT_FALSE(store.sync(ours, NOW, missed));
    EXPECT_FALSE(fileExists(path()));
    writeFile("ABC");
    EXPECT_TRUE(store.sync(ours, NOW, missed));
    EXPECT_EQ(letters(ours), "ABC");

    // Gone for good (the folder too): written whole at the second look.
    std::filesystem::remove_all(folders.user());
    EXPECT_FALSE(store.sync(ours, NOW, missed));
    EXPECT_FALSE(store.sync(ours, NOW, missed));
    EXPECT_EQ(onDisk(), "ABC");

    // A save does not wait for the next tick: it looks again after a pause.
    std::filesystem::remove(path());
    ours.removeEarliest();
    const int pauses = files.pauses();
    EXPECT_TRUE(store.save(ours, NOW));
    EXPECT_EQ(files.pauses(), pauses + 1);
    EXPECT_EQ(onDisk(), "BC");
}

// Both programs find the file gone; ours cannot write it back, theirs does. What the
// file holds then is what both held before: nothing is doubled.
TEST_F(AppointmentStoreTest, FileGoneAndWrittenBackElsewhereIsNoAddition) {
    writeFile("AB");
    store.load(NOW, false, ours, missed);
    AppointmentBook theirs;
    AppointmentStore other = started(theirs);
    std::filesystem::remove(path());
    files.busyMoves(1000);
    store.sync(ours, NOW, missed);
    store.sync(ours, NOW, missed);
    EXPECT_TRUE(store.unsaved());
    files.busyMoves(0);
    other.sync(theirs, NOW, missed);
    other.sync(theirs, NOW, missed);
    EXPECT_EQ(onDisk(), "AB");
    store.sync(ours, NOW, missed);
    EXPECT_EQ(letters(ours), "AB");
    EXPECT_EQ(onDisk(), "AB");
    EXPECT_FALSE(store.unsaved());
}

TEST_F(AppointmentStoreTest, MissingFolderIsCreated) {
    AppointmentStore deep(files, folders.user() + "/AppData/Roaming", false, false);
    EXPECT_FALSE(deep.load(NOW, false, ours, missed));
    EXPECT_TRUE(std::filesystem::is_directory(folders.user() + "/AppData/Roaming"));
    EXPECT_TRUE(deep.save(ours, NOW)); // the first save writes even an empty book
    EXPECT_EQ(fileText(folders.user() + "/AppData/Roaming/quarvwecker.xml").size(), 124u);
    std::filesystem::remove_all(folders.user() + "/AppData");
    ours = book("A");
    EXPECT_TRUE(deep.save(ours, NOW));
    EXPECT_TRUE(fileExists(folders.user() + "/AppData/Roaming/quarvwecker.xml"));
}

TEST_F(AppointmentStoreTest, FailedSaveIsRetriedAtTheNextTick) {
    store.load(NOW, false, ours, missed);
    ours = book("A");
    files.busyMoves(1000);
    EXPECT_FALSE(store.save(ours, NOW));
    EXPECT_TRUE(store.unsaved());
    EXPECT_FALSE(fileExists(path()));
    files.busyMoves(0);
    EXPECT_FALSE(store.sync(ours, NOW, missed));
    EXPECT_FALSE(store.unsaved());
    EXPECT_EQ(onDisk(), "A");
}

TEST_F(AppointmentStoreTest, FileChangedJustBeforeTheReplaceIsMergedAgain) {
    writeFile("A");
    store.load(NOW, false, ours, missed);
    writeFile("AB");
    bool once = true;
    files.beforeCreate = [&](const std::string&) {
        if (std::exchange(once, false)) {
            writeFile("ABC");
        }
    };
    ours.insert(book("D").earliest());
    EXPECT_TRUE(store.save(ours, NOW));
    EXPECT_EQ(onDisk(), "ABCD");
}

// Every operation of a merging save, failed in turn: the file is the old one or the
// merge, whole; the book holds the merge either way, and the next tick finishes the save.
TEST_F(AppointmentStoreTest, SaveFailingAnywhereInAMergeLeavesTheFileWhole) {
    for (int n = 1;; ++n) {
        ASSERT_LT(n, 50);
        AppointmentStore program(files, folders.user(), false, false);
        writeFile("AB");
        ours.clear();
        program.load(NOW, false, ours, missed);
        writeFile("ABC");
        ours.removeEarliest();
        files.failOperation(n);
        const bool saved = program.save(ours, NOW);
        const bool completed = files.operations() < n;
        files.failOperation(0);

        const std::string file = onDisk();
        EXPECT_TRUE(file == "ABC" || file == "BC") << "operation " << n;
        EXPECT_EQ(saved, file == "BC") << "operation " << n;
        EXPECT_FALSE(fileExists(path() + ".tmp")) << "operation " << n;
        program.sync(ours, NOW, missed);
        EXPECT_EQ(onDisk(), "BC") << "operation " << n;
        EXPECT_EQ(letters(ours), "BC") << "operation " << n;
        if (completed) {
            break;
        }
    }
}

TEST_F(AppointmentStoreTest, AllUsersFileGetsItsRightsAtEverySave) {
    AppointmentStore shared(files, folders.common(), true, true);
    shared.load(NOW, false, ours, missed);
    ours = book("A");
    EXPECT_TRUE(shared.save(ours, NOW));
    EXPECT_EQ(files.shares(), 1);
    EXPECT_EQ(std::filesystem::status(folders.common() + "/quarvwecker.xml").permissions(),
              std::filesystem::perms(0666));
    EXPECT_TRUE(shared.shareWithAllUsers());
    EXPECT_FALSE(shared.sync(ours, NOW, missed)); // rights are no change of the file
    EXPECT_TRUE(store.save(ours, NOW));
    EXPECT_EQ(files.shares(), 2);
}

} // namespace

namespace {

// A file that turns up after start-up (a network drive or a sync client that connects
// later) is seen as at start-up: its past appointments are missed, not alarmed one by one.
TEST_F(AppointmentStoreTest, AFileThatTurnsUpLateHandsItsPastToTheMissedDialog) {
    EXPECT_FALSE(store.load(NOW, false, ours, missed));
    ours = book("d"); // the book's own, due here: the tick alarms it after the sync
    writeFile("abC");
    EXPECT_TRUE(store.sync(ours, NOW, missed));
    EXPECT_EQ(letters(ours), "dC");
    EXPECT_EQ(letters(missed), "ba");
    EXPECT_EQ(onDisk(), "dC");

    // Due exactly now counts as past too.
    AppointmentBook dueNow;
    dueNow.insert(NOW, "N");
    writeText(folders.common() + "/quarvwecker.xml", appointmentFileText(dueNow));
    AppointmentBook its;
    AppointmentBook itsMissed;
    started(its, folders.common(), false, &itsMissed);
    EXPECT_EQ(its.count(), 0);
    EXPECT_EQ(letters(itsMissed), "N");
}

// The loss: the file goes missing, and a program that had not seen the other's
// newest addition writes it back. The addition has an identity and no tombstone: it stays.
TEST_F(AppointmentStoreTest, AFileWrittenBackWithoutAnAdditionDeletesNothing) {
    AppointmentBook inA;
    AppointmentBook inB;
    AppointmentStore a = started(inA, {}, true);
    AppointmentStore b = started(inB, {}, true);
    inA = book("A");
    a.save(inA, NOW);
    std::filesystem::remove(path());
    inB = book("B");
    b.save(inB, NOW); // finds no file, looks again, writes B alone
    EXPECT_EQ(onDisk(), "B");
    a.sync(inA, NOW, missed);
    EXPECT_EQ(letters(inA), "AB");
    b.sync(inB, NOW, missed);
    EXPECT_EQ(letters(inB), "AB");
    EXPECT_EQ(onDisk(), "AB");
}

// A sync service's conflict copy beside the file is joined at the next tick, then renamed
// aside, never deleted; one that cannot be read stays where it is.
TEST_F(AppointmentStoreTest, ConflictCopiesAreJoinedAndSetAside) {
    writeFile("A");
    store.load(NOW, false, ours, missed);
    const std::string copy =
        folders.user() + "/quarvwecker (conflicted copy 2026-12-07 120000).xml";
    const std::string broken = folders.user() + "/quarvwecker.sync-conflict-20261207-120000-X.xml";
    const std::string cut = folders.user() + "/quarvwecker (conflicted copy 2026-12-07 130000).xml";
    writeText(copy, appointmentFileText(book("AB")));
    writeText(broken, "kaputt");
    writeText(cut, appointmentFileText(book("D")).substr(0, 150));
    EXPECT_TRUE(store.sync(ours, NOW, missed));
    EXPECT_EQ(letters(ours), "AB");
    EXPECT_EQ(onDisk(), "AB");
    EXPECT_TRUE(marked()) << "another program writes beside it: from now on it is shared";
    EXPECT_FALSE(fileExists(copy));
    EXPECT_EQ(fileText(copy + ".uebernommen"), appointmentFileText(book("AB")));
    EXPECT_EQ(fileText(broken), "kaputt");
    EXPECT_TRUE(fileExists(cut));
    // A second copy of the same name later: kept beside the first one set aside, also
    // when that one cannot be looked at for a moment.
    writeText(copy, appointmentFileText(book("C")));
    files.failStamps(copy + ".uebernommen");
    EXPECT_TRUE(store.sync(ours, NOW, missed));
    EXPECT_EQ(letters(ours), "ABC");
    EXPECT_TRUE(fileExists(copy + ".uebernommen2"));
    EXPECT_EQ(fileText(copy + ".uebernommen"), appointmentFileText(book("AB")));
}

// All names for kept copies taken: the copy kept longest ago makes room, and the save goes
// on (it failed for good before).
TEST_F(AppointmentStoreTest, KeptCopiesMakeRoomWhenAllNamesAreTaken) {
    writeText(path() + ".bad", "die älteste");
    std::filesystem::last_write_time(
        path() + ".bad", std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
    for (int n = 2; n <= MOST_KEPT_ASIDE_COPIES; ++n) {
        writeText(path() + ".bad" + std::to_string(n), "kopie " + std::to_string(n));
    }
    writeText(path(), "kaputt");
    store.load(NOW, false, ours, missed);
    ours = book("A");
    EXPECT_TRUE(store.save(ours, NOW));
    EXPECT_EQ(fileText(path() + ".bad"), "kaputt");
    EXPECT_EQ(onDisk(), "A");
}

// A shared file that an older program wrote (without identities) gets them at once; a past
// series that a first look moves on carries that as a revision.
TEST_F(AppointmentStoreTest, ASharedFileWithoutIdentitiesGetsThem) {
    writeFile("AB");
    AppointmentStore shared = started(ours, {}, true);
    EXPECT_TRUE(marked());
    writeFile("AB");
    shared.sync(ours, NOW, missed);
    EXPECT_TRUE(marked());

    AppointmentBook series;
    series.insert({NOW - 3600, "P", makeRecurrence(RepeatKind::Daily, NOW - 3600)});
    writeText(folders.common() + "/quarvwecker.xml", appointmentFileText(series));
    AppointmentBook its;
    started(its, folders.common(), true);
    EXPECT_EQ(its.earliest().alarmTime, NOW + 23 * 3600);
    EXPECT_EQ(its.earliest().revision, (Revision{0, 1}));
}

// A change made here, then a conflict copy that an older program wrote before it: its old
// words name the changed appointment, which stays one.
TEST_F(AppointmentStoreTest, AnOlderCopyOfAChangedAppointmentBringsNoSecond) {
    AppointmentStore shared = started(ours, {}, true);
    ours = book("A");
    shared.save(ours, NOW);
    Appointment changed = ours.earliest();
    changed.text = "X";
    changed.revision = edited(changed.revision);
    ours.clear();
    ours.insert(changed);
    shared.save(ours, NOW);
    writeText(folders.user() + "/quarvwecker (conflicted copy 2026-12-07 120000).xml",
              appointmentFileText(book("A")));
    shared.sync(ours, NOW, missed);
    EXPECT_EQ(letters(ours), "X");
}

// A file without identities: the book takes those that every reader derives from it, and
// the identity each had before leads to them.
TEST_F(AppointmentStoreTest, ASaveWithoutIdentitiesHoldsTheDerivedOnes) {
    store.load(NOW, false, ours, missed);
    ours = book("AB");
    giveIdentities(ours);
    const AppointmentId given = ours.earliest().id;
    EXPECT_TRUE(store.save(ours, NOW));
    std::vector<AppointmentId> held;
    ours.forEach([&held](const Appointment& a) { held.push_back(a.id); });
    EXPECT_EQ(held, derivedIdentities(ours));
    EXPECT_EQ(store.currentId(given), ours.earliest().id);
}

} // namespace

// In a file without identities an appointment deleted and made again alike gets the
// identity the deleted one had; the later saves keep it. In a shared file an identity
// deleted and then made again on purpose (an event imported again) comes back above its
// tombstone.
TEST_F(AppointmentStoreTest, AnAppointmentMadeAgainAfterItsDeletionStays) {
    for (const bool shared : {false, true}) {
        SCOPED_TRACE(shared ? "shared" : "per user");
        TempFolders here;
        FaultyFileSystem hereFiles{here.user(), here.common()};
        AppointmentStore s{hereFiles, here.user(), false, shared};
        AppointmentBook b;
        s.load(NOW, false, b, missed);
        const AppointmentId imported = 0x1234;
        b.insert({NOW + 86400, "A", {}, imported});
        b.insert(book("B").earliest());
        ASSERT_TRUE(s.save(b, NOW));
        b.removeEarliest(); // A deleted
        ASSERT_TRUE(s.save(b, NOW));
        b.insert({NOW + 86400, "A", {}, shared ? imported : newAppointmentId()});
        s.reviveDeleted(b, {imported});
        ASSERT_TRUE(s.save(b, NOW));
        b.insert(book("C").earliest());
        ASSERT_TRUE(s.save(b, NOW));
        EXPECT_EQ(letters(b), "ABC");
    }
}
namespace {

// Series with an end, found past at start-up: each is one missed row at its last passed
// occurrence and goes on with what it has left; one whose end has come is gone, from the
// book and the file. Dropping the past ("löschen") moves them on alike, without a row.
TEST_F(AppointmentStoreTest, SeriesWithAnEndFoundPastMoveOnOrEndAtStartUp) {
    const TimeValue kurs = fileKeyToTime("2611020800");
    const TimeValue gym = fileKeyToTime("2611190800");
    AppointmentBook file;
    file.insert({kurs, "Kurs", makeRecurrence(ending(every(RepeatKind::Weekly, 2), 5), kurs)});
    file.insert(
        {gym, "Gym", makeRecurrence(ending(every(RepeatKind::Daily, 2), 0, 20261125), gym)});
    for (const bool dropPast : {false, true}) {
        writeText(path(), appointmentFileText(file));
        AppointmentStore fresh(files, folders.user(), false, false);
        AppointmentBook book;
        AppointmentBook past;
        fresh.load(NOW, dropPast, book, past);
        std::vector<std::string> shown;
        past.forEach([&shown](const Appointment& a) {
            shown.push_back(a.text + " " + timeToFileKey(a.alarmTime) + " " +
                            recurrenceToAttribute(a.recurrence, a.alarmTime));
        });
        const std::vector<std::string> rows{"Gym 2611250800 tag/2 bis 2026-11-25",
                                            "Kurs 2611300800 woche/2 noch 3"};
        EXPECT_EQ(shown, dropPast ? std::vector<std::string>{} : rows);
        ASSERT_EQ(book.count(), 1);
        EXPECT_EQ(timeToFileKey(book.earliest().alarmTime), "2612140800");
        EXPECT_EQ(book.earliest().recurrence.count, 2);
        EXPECT_NE(fileText(path()).find("zeit=\"2612140800\" wdh=\"woche/2 noch 2\""),
                  std::string::npos);
        EXPECT_EQ(onDisk(), "Kurs");
    }
}

} // namespace
