// The appointment file over a temporary folder: the exact bytes, past appointments at
// load, repeating ones, unusable entries, and a save that leaves the old file whole
// whatever fails.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "core/calendar.h"
#include "store/appointment_file.h"
#include "tests/support/appointment_files.h"
#include "test_files.h"
#include "tests/support/appointment_xml.h"
#include "tests/support/book_contents.h"

namespace {

const std::string Example = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n"
                            "<quarvwecker>\r\n"
                            "<version1>\r\n"
                            "<termine>\r\n"
                            "<date text=\"Zahnarzt\" zeit=\"2612071530\" />\r\n"
                            "<date text=\"Geburtstag Oma\" zeit=\"2612240900\" />\r\n"
                            "</termine>\r\n"
                            "</version1>\r\n"
                            "</quarvwecker>\r\n";

// A file with these dates, and `after` after "termine" in "version1".
std::string fileWith(std::string_view dates, std::string_view after = "") {
    return "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<quarvwecker>\r\n<version1>\r\n"
           "<termine>\r\n" +
           std::string(dates) + "</termine>\r\n" + std::string(after) +
           "</version1>\r\n</quarvwecker>\r\n";
}

using Entries = std::vector<std::pair<TimeValue, std::string>>;

Entries entries(const AppointmentBook& book) {
    Entries all;
    book.forEach([&all](const Appointment& a) { all.emplace_back(a.alarmTime, a.text); });
    return all;
}

class AppointmentFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        now = fileKeyToTime("2612010000");
        settings.userdata = true;
    }

    std::string path() const { return folders.user() + "/quarvwecker.xml"; }
    bool load() { return loadAppointments(files, settings, now, book, missed); }

    TempFolders folders;
    FaultyFileSystem files{folders.user(), folders.common()};
    Settings settings;
    AppointmentBook book;
    AppointmentBook missed;
    TimeValue now = 0;
};

TEST_F(AppointmentFileTest, ExampleReadsAndWritesBackByteForByte) {
    writeText(path(), Example);
    EXPECT_TRUE(load());
    EXPECT_EQ(entries(book), (Entries{{fileKeyToTime("2612071530"), "Zahnarzt"},
                                      {fileKeyToTime("2612240900"), "Geburtstag Oma"}}));
    EXPECT_EQ(missed.count(), 0);
    EXPECT_EQ(files.creates(), 0); // nothing past: no save

    EXPECT_TRUE(saveAppointments(files, settings, book));
    EXPECT_EQ(fileText(path()), Example);
    EXPECT_FALSE(fileExists(path() + ".tmp"));
}

TEST_F(AppointmentFileTest, EmptyBookIs124BytesAndEachAppointmentAdds36PlusItsText) {
    EXPECT_FALSE(load()); // no file yet
    EXPECT_FALSE(fileExists(path()));
    EXPECT_TRUE(saveAppointments(files, settings, book));
    EXPECT_EQ(fileText(path()), fileWith(""));
    EXPECT_EQ(fileText(path()).size(), 124u);

    EXPECT_TRUE(load());
    EXPECT_EQ(book.count(), 0);
    EXPECT_EQ(files.creates(), 1);

    book.insert(fileKeyToTime("2612071530"), "Zahnarzt");
    book.insert(fileKeyToTime("2612071545"), "");
    EXPECT_TRUE(saveAppointments(files, settings, book));
    EXPECT_EQ(fileText(path()).size(), 124u + 36 + 8 + 36);
}

TEST_F(AppointmentFileTest, PastAppointmentsGoToTheMissedBookAndLeaveTheFile) {
    writeText(path(), fileWith("<date text=\"Vorbei\" zeit=\"2611301200\" />\r\n"
                               "<date text=\"Jetzt\" zeit=\"2612010000\" />\r\n"
                               "<date text=\"Morgen\" zeit=\"2612020800\" />\r\n"));
    EXPECT_TRUE(load());
    EXPECT_EQ(entries(book), (Entries{{fileKeyToTime("2612020800"), "Morgen"}}));
    EXPECT_EQ(entries(missed), (Entries{{fileKeyToTime("2611301200"), "Vorbei"},
                                        {fileKeyToTime("2612010000"), "Jetzt"}}));
    EXPECT_EQ(fileText(path()), fileWith("<date text=\"Morgen\" zeit=\"2612020800\" />\r\n"));
}

TEST_F(AppointmentFileTest, DeleteOldDropsPastAppointments) {
    settings.deleteold = true;
    writeText(path(), fileWith("<date text=\"Vorbei\" zeit=\"2611301200\" />\r\n"));
    EXPECT_TRUE(load());
    EXPECT_EQ(book.count(), 0);
    EXPECT_EQ(missed.count(), 0);
    EXPECT_EQ(fileText(path()), fileWith(""));
}

// Repeating appointments: the rule comes from the attribute "wdh" and is written
// back as read; a damaged one reads as a one-off, written without it.
TEST_F(AppointmentFileTest, RulesReadAndWriteBackAndDamagedOnesAreOneOffs) {
    const std::string series = "<date text=\"Pille\" zeit=\"2612010800\" wdh=\"tag\" />\r\n"
                               "<date text=\"Miete\" zeit=\"2702280900\" wdh=\"monat 31\" />\r\n";
    writeText(path(),
              fileWith(series + "<date text=\"Oma\" zeit=\"2703010900\" wdh=\"monat 32\" />\r\n"));
    EXPECT_TRUE(load());
    EXPECT_EQ(contents(book),
              (std::vector<Appointment>{{fileKeyToTime("2612010800"), "Pille",
                                         makeRecurrence(RepeatKind::Daily, {2026, 12, 1, 8, 0})},
                                        {fileKeyToTime("2702280900"), "Miete",
                                         makeRecurrence(RepeatKind::Monthly, {2027, 1, 31, 9, 0})},
                                        {fileKeyToTime("2703010900"), "Oma", {}}}));
    EXPECT_TRUE(saveAppointments(files, settings, book));
    EXPECT_EQ(fileText(path()), fileWith(series + "<date text=\"Oma\" zeit=\"2703010900\" />\r\n"));
}

// A daily pill three weeks overdue is missed once, at its last occurrence, or
// dropped with deleteold; either way the series goes on at its next one.
TEST_F(AppointmentFileTest, PastSeriesIsMissedOnceAndMovesOn) {
    const Recurrence daily = makeRecurrence(RepeatKind::Daily, {2026, 11, 10, 8, 0});
    for (const bool deleteold : {false, true}) {
        settings.deleteold = deleteold;
        book.clear();
        writeText(path(), fileWith("<date text=\"Pille\" zeit=\"2611100800\" wdh=\"tag\" />\r\n"));
        EXPECT_TRUE(load());
        EXPECT_EQ(contents(book),
                  (std::vector<Appointment>{{fileKeyToTime("2612010800"), "Pille", daily}}));
        EXPECT_EQ(fileText(path()),
                  fileWith("<date text=\"Pille\" zeit=\"2612010800\" wdh=\"tag\" />\r\n"));
    }
    EXPECT_EQ(contents(missed),
              (std::vector<Appointment>{{fileKeyToTime("2611300800"), "Pille", daily}}));
}

TEST_F(AppointmentFileTest, EqualTimesComeOutReversedAndAnyOrderIsSorted) {
    writeText(path(), fileWith("<date text=\"Z\" zeit=\"2612311200\" />\r\n"
                               "<date text=\"A\" zeit=\"2612051000\" />\r\n"
                               "<date text=\"B\" zeit=\"2612051000\" />\r\n"
                               "<date text=\"C\" zeit=\"2612020700\" />\r\n"));
    EXPECT_TRUE(load());
    std::string order;
    book.forEach([&order](const Appointment& a) { order += a.text; });
    EXPECT_EQ(order, "CBAZ");
    EXPECT_TRUE(saveAppointments(files, settings, book));
    EXPECT_EQ(fileText(path()), fileWith("<date text=\"C\" zeit=\"2612020700\" />\r\n"
                                         "<date text=\"B\" zeit=\"2612051000\" />\r\n"
                                         "<date text=\"A\" zeit=\"2612051000\" />\r\n"
                                         "<date text=\"Z\" zeit=\"2612311200\" />\r\n"));
}

TEST_F(AppointmentFileTest, UnusableEntriesAreDroppedWithoutASave) {
    const std::string text = fileWith("<date zeit=\"2612051000\" />\r\n"
                                      "<date text=\"kein zeit\" />\r\n"
                                      "<date text=\"kurz\" zeit=\"261205100\" />\r\n"
                                      "<date text=\"vor 2000\" zeit=\"-112051000\" />\r\n"
                                      "<Date text=\"gross\" zeit=\"2612051100\" />\r\n"
                                      "<note text=\"fremd\" zeit=\"2612051200\" />\r\n");
    writeText(path(), text);
    EXPECT_TRUE(load());
    EXPECT_EQ(entries(book), (Entries{{fileKeyToTime("2612051000"), ""}}));
    EXPECT_EQ(fileText(path()), text);
    EXPECT_FALSE(fileExists(path() + ".bad"));
}

TEST_F(AppointmentFileTest, OnlyTheFirstOfEachLevelCounts) {
    writeText(path(), "<?xml version=\"1.0\"?>\r\n"
                      "<quarvwecker>\r\n<version1>\r\n<termine>\r\n"
                      "<date text=\"eins\" zeit=\"2612051000\" />\r\n"
                      "</termine>\r\n<termine>\r\n"
                      "<date text=\"zwei\" zeit=\"2612051100\" />\r\n"
                      "</termine>\r\n</version1>\r\n</quarvwecker>\r\n");
    EXPECT_TRUE(load());
    EXPECT_EQ(entries(book), (Entries{{fileKeyToTime("2612051000"), "eins"}}));
}

TEST_F(AppointmentFileTest, UnreadableFileIsKeptAsideBeforeTheNextSave) {
    const std::string wrongRoot = "<?xml version=\"1.0\"?>\r\n<QuarvWecker>\r\n<version1>\r\n"
                                  "<termine>\r\n<date text=\"x\" zeit=\"2612051000\" />\r\n"
                                  "</termine>\r\n</version1>\r\n</QuarvWecker>\r\n";
    for (const std::string& bad :
         {wrongRoot, std::string("kein xml"),
          fileWith("").substr(0, 60), // cut off: no element ever closed
          std::string("<?xml version=\"1.0\"?>\r\n<quarvwecker>\r\n</quarvwecker>\r\n")}) {
        writeText(path(), bad);
        writeText(path() + ".bad", "older");
        std::filesystem::remove(path() + ".bad2");
        book.clear();
        EXPECT_FALSE(load()) << bad;
        EXPECT_EQ(book.count(), 0) << bad;
        EXPECT_EQ(fileText(path()), bad);
        // An earlier copy stays; the same file is not kept twice.
        EXPECT_EQ(fileText(path() + ".bad"), "older");
        EXPECT_EQ(fileText(path() + ".bad2"), bad);
        EXPECT_FALSE(load()) << bad;
        EXPECT_FALSE(fileExists(path() + ".bad3"));
        EXPECT_FALSE(fileExists(path() + ".bad2.tmp"));

        book.insert(fileKeyToTime("2612051000"), "neu");
        EXPECT_TRUE(saveAppointments(files, settings, book));
        EXPECT_EQ(fileText(path() + ".bad2"), bad);
    }
}

TEST_F(AppointmentFileTest, EmptyFileIsNotKeptAside) {
    writeText(path(), "");
    EXPECT_FALSE(load());
    EXPECT_FALSE(fileExists(path() + ".bad"));
}

TEST_F(AppointmentFileTest, UserdataChoosesTheFolderAtEverySave) {
    book.insert(fileKeyToTime("2612051000"), "eins");
    EXPECT_TRUE(saveAppointments(files, settings, book));
    settings.userdata = false;
    book.insert(fileKeyToTime("2612051100"), "zwei");
    EXPECT_TRUE(saveAppointments(files, settings, book));
    EXPECT_EQ(fileText(path()).size(), 124u + 40);
    EXPECT_EQ(fileText(folders.common() + "/quarvwecker.xml").size(), 124u + 80);
}

TEST_F(AppointmentFileTest, NoDataFolderTouchesNothing) {
    FaultyFileSystem noFolders{"", ""};
    EXPECT_FALSE(loadAppointments(noFolders, settings, now, book, missed));
    EXPECT_FALSE(saveAppointments(noFolders, settings, book));
    EXPECT_EQ(noFolders.creates(), 0);
}

TEST_F(AppointmentFileTest, TextsOfAnyLengthAndMarkupCharactersReadBack) {
    const std::string longText(300, 'x');
    const std::string markup = "\"Chef\" <Besprechung> & Rückblick &amp; mehr";
    const std::string umlauts = "Gebäude Öffnung ß"; // single bytes in Windows-1252
    book.insert(fileKeyToTime("2612051000"), longText);
    book.insert(fileKeyToTime("2612051100"), markup);
    book.insert(fileKeyToTime("2612051200"), umlauts);
    EXPECT_TRUE(saveAppointments(files, settings, book));
    EXPECT_NE(fileText(path()).find("text=\"" + umlauts + "\""), std::string::npos);

    AppointmentBook loaded;
    EXPECT_TRUE(loadAppointments(files, settings, now, loaded, missed));
    EXPECT_EQ(entries(loaded), entries(book));
}

// Every operation of a save, failed in turn: the file is always the old one or the new
// one, whole, and it reads back; only a save that put the new one in place says true.
TEST_F(AppointmentFileTest, FailedSaveLeavesTheOldFileWhole) {
    AppointmentBook old;
    old.insert(fileKeyToTime("2612051000"), "alt");
    ASSERT_TRUE(saveAppointments(files, settings, old));
    const std::string oldText = fileText(path());
    book.insert(fileKeyToTime("2612061000"), "neu");
    book.insert(fileKeyToTime("2612071000"), "neuer");

    bool completed = false;
    for (int n = 1; !completed; ++n) {
        ASSERT_LT(n, 50);
        writeText(path(), oldText);
        files.failOperation(n);
        const bool saved = saveAppointments(files, settings, book);
        completed = files.operations() < n;
        files.failOperation(0);

        const std::string text = fileText(path());
        EXPECT_EQ(saved, text != oldText) << "operation " << n;
        EXPECT_FALSE(fileExists(path() + ".tmp")) << "operation " << n;
        AppointmentBook loaded;
        AppointmentBook none;
        EXPECT_TRUE(loadAppointments(files, settings, now, loaded, none)) << "operation " << n;
        EXPECT_EQ(entries(loaded), entries(saved ? book : old)) << "operation " << n;
    }
}

// The machine stops at every operation in turn; the next start finds the old file or
// the new one, and no temporary file stays behind.
TEST_F(AppointmentFileTest, CrashDuringSaveIsRecoveredAtTheNextLoad) {
    book.insert(fileKeyToTime("2612061000"), "neu");
    for (bool hadFile : {true, false}) {
        AppointmentBook old;
        old.insert(fileKeyToTime("2612051000"), "alt");
        bool completed = false;
        for (int n = 1; !completed; ++n) {
            ASSERT_LT(n, 50);
            std::filesystem::remove(path());
            if (hadFile) {
                ASSERT_TRUE(saveAppointments(files, settings, old));
            }
            files.failOperation(n, true);
            saveAppointments(files, settings, book);
            completed = files.operations() < n;
            files.failOperation(0);

            AppointmentBook loaded;
            AppointmentBook none;
            const bool read = loadAppointments(files, settings, now, loaded, none);
            EXPECT_FALSE(fileExists(path() + ".tmp")) << hadFile << " at " << n;
            const Entries found = entries(loaded);
            if (read && found != entries(book)) {
                EXPECT_EQ(found, entries(old)) << hadFile << " at " << n;
                EXPECT_TRUE(hadFile);
            } else if (!read) {
                EXPECT_FALSE(hadFile) << "the old file was lost at " << n;
            }
        }
    }
}

TEST_F(AppointmentFileTest, LeftoverTemporaryFile) {
    // A complete one replaces a missing file.
    book.insert(fileKeyToTime("2612061000"), "neu");
    writeText(path() + ".tmp", fileWith("<date text=\"neu\" zeit=\"2612061000\" />\r\n"));
    AppointmentBook loaded;
    EXPECT_TRUE(loadAppointments(files, settings, now, loaded, missed));
    EXPECT_EQ(entries(loaded), entries(book));
    EXPECT_FALSE(fileExists(path() + ".tmp"));

    // Beside an existing file it goes, complete or not.
    writeText(path() + ".tmp", fileWith("<date text=\"anders\" zeit=\"2612071000\" />\r\n"));
    loaded.clear();
    EXPECT_TRUE(loadAppointments(files, settings, now, loaded, missed));
    EXPECT_EQ(entries(loaded), entries(book));
    EXPECT_FALSE(fileExists(path() + ".tmp"));

    // A cut-off one never becomes the file.
    loaded.clear();
    std::filesystem::remove(path());
    writeText(path() + ".tmp",
              fileWith("<date text=\"neu\" zeit=\"2612061000\" />\r\n").substr(0, 100));
    EXPECT_FALSE(loadAppointments(files, settings, now, loaded, missed));
    EXPECT_FALSE(fileExists(path() + ".tmp"));
    EXPECT_FALSE(fileExists(path()));
}

TEST_F(AppointmentFileTest, BusyTargetIsRetried) {
    book.insert(fileKeyToTime("2612061000"), "neu");
    files.busyMoves(3);
    EXPECT_TRUE(saveAppointments(files, settings, book));
    EXPECT_EQ(files.pauses(), 3);
    EXPECT_EQ(book.count(), 1);

    AppointmentBook other;
    ASSERT_TRUE(saveAppointments(files, settings, other));
    const std::string before = fileText(path());
    files.busyMoves(1000);
    EXPECT_FALSE(saveAppointments(files, settings, book));
    EXPECT_EQ(files.pauses(), 3 + 9);
    EXPECT_EQ(fileText(path()), before);
    EXPECT_FALSE(fileExists(path() + ".tmp"));
}

// Another program's save holds the temporary file: this one waits for it and neither
// writes into it nor removes it; when the other's file is in place, this one sees the file
// changed. A temporary file that stays unchanged through the wait is a crash's, and goes.
TEST_F(AppointmentFileTest, SavesTakeTurnsAtTheTemporaryFile) {
    const std::string temporary = path() + ".tmp";
    writeText(path(), Example);
    FileStamp before;
    ASSERT_EQ(files.fileStamp(path(), before), FileResult::Ok);
    ReplaceOptions options;
    options.expected = &before;

    writeText(temporary, "x");
    files.beforeCreate = [&](const std::string&) {
        writeText(temporary, fileText(temporary) + "x");
    };
    EXPECT_EQ(replaceWholeFile(files, path(), "unseres", options), ReplaceResult::Failed);
    EXPECT_EQ(files.pauses(), 9);
    EXPECT_EQ(fileText(temporary), std::string(11, 'x')); // the other save's, untouched
    EXPECT_EQ(fileText(path()), Example);

    // The other save puts its file in place while this one waits.
    int creates = 0;
    files.beforeCreate = [&](const std::string&) {
        if (++creates == 3) {
            std::filesystem::rename(temporary, path());
        }
    };
    EXPECT_EQ(replaceWholeFile(files, path(), "unseres", options), ReplaceResult::TargetChanged);
    EXPECT_EQ(fileText(path()), std::string(11, 'x'));
    EXPECT_FALSE(fileExists(temporary));

    files.beforeCreate = nullptr;
    writeText(temporary, "left by a crash");
    EXPECT_EQ(replaceWholeFile(files, path(), "unseres"), ReplaceResult::Replaced);
    EXPECT_EQ(fileText(path()), "unseres");
    EXPECT_FALSE(fileExists(temporary));
}

TEST_F(AppointmentFileTest, BusyFileIsReadOnceLetGo) {
    writeText(path(), Example);
    files.busyReads(path(), 9);
    EXPECT_TRUE(load());
    EXPECT_EQ(book.count(), 2);
    EXPECT_EQ(files.pauses(), 9);

    // Held for good: nothing is read and nothing is kept aside.
    book.clear();
    files.busyReads(path(), 10);
    EXPECT_FALSE(load());
    EXPECT_EQ(book.count(), 0);
    EXPECT_FALSE(fileExists(path() + ".bad"));
}

} // namespace

// 498 nested elements before the dates in "termine", the deepest at level 501: the dates
// stay in "termine" and the next save keeps them.
TEST_F(AppointmentFileTest, DeepNestingBeforeTheDatesLosesNone) {
    std::string nested;
    for (int i = 0; i < 498; ++i)
        nested += "<x>";
    nested += "<y/>";
    for (int i = 0; i < 498; ++i)
        nested += "</x>";
    const std::string dates = "<date text=\"Zahnarzt\" zeit=\"2612071530\" />\r\n"
                              "<date text=\"Geburtstag Oma\" zeit=\"2612240900\" />\r\n";
    writeText(path(), fileWith(nested + "\r\n" + dates));
    EXPECT_TRUE(load());
    EXPECT_EQ(book.count(), 2);
    EXPECT_TRUE(saveAppointments(files, settings, book));
    EXPECT_EQ(fileText(path()), fileWith(dates));
}

// A file over the size cap is not read in part: the load fails and leaves it alone.
TEST_F(AppointmentFileTest, FileOverTheSizeCapIsNotRead) {
    writeText(path(), Example);
    std::filesystem::resize_file(path(), LARGEST_READABLE_FILE + 1);
    EXPECT_FALSE(load());
    EXPECT_EQ(book.count(), 0);
    EXPECT_EQ(std::filesystem::file_size(path()), LARGEST_READABLE_FILE + 1);
    std::filesystem::resize_file(path(), LARGEST_READABLE_FILE);
    EXPECT_TRUE(load()); // the text ends at the first zero byte
    EXPECT_EQ(book.count(), 2);
}

// What a reader may trust of a file: whole only as one well-formed tree; after a fault
// in the middle, only what stands before it.
TEST(AppointmentFileText, DamageInTheMiddleIsNoWholeFile) {
    const std::string a = "<date text=\"A\" zeit=\"2612071530\" />\r\n";
    const std::string b = "<date text=\"B\" zeit=\"2612081530\" />\r\n";
    const struct {
        std::string text;
        bool whole;
        const char* intact; // texts of what stands before the first fault
    } cases[] = {
        {fileWith(a + b), true, "AB"},
        {fileWith(a + "<!-- eine Notiz -->\r\n" + b), false, "A"},     // unknown to the reader
        {fileWith(a + std::string(3, '\0') + b), false, "A"},          // torn write
        {fileWith(a.substr(0, a.size() - 3) + "\r\n" + b), false, ""}, // lost ">"
        {fileWith(a + "</version1>\r\n" + b), false, "A"},             // stray end tag
        {fileWith(a + "<!--\r\n" + b), false, "A"},                    // unclosed comment
        {fileWith(a + "<date text=\"B\" zeit=\"26<date120\" />\r\n"), false, "A"},
        {fileWith(a + b).substr(0, 150), false, "A"}, // cut off
        {fileWith(a + b) + "<date", false, "AB"},     // after the root
        {fileWith(a + b) + b, false, "AB"},
        {fileWith(a + "<date text=\"B" + std::string(1, '\0') + "\" zeit=\"2612081530\" />\r\n"),
         false, "A"}, // a zero byte in a value
        {"<?xml version=\"1.0\"?>\r\n<quarvwecker>\r\n<version1>\r\n<termine>\r\n" + a + b +
             "</version1>\r\n</termine>\r\n</quarvwecker>\r\n",
         false, "AB"}, // end tags swapped
    };
    for (const auto& c : cases) {
        FileContent all;
        FileContent intact;
        ASSERT_TRUE(readAppointmentFile(c.text, all)) << c.text;
        ASSERT_TRUE(readAppointmentFile(c.text, intact, true)) << c.text;
        EXPECT_EQ(all.whole, c.whole) << c.text;
        std::string texts;
        intact.appointments.forEach([&texts](const Appointment& x) { texts += x.text; });
        EXPECT_EQ(texts, c.intact) << c.text;
    }
}

// The shared form: identities, revisions, tombstones and forwards go out and come back,
// also from any part of the file, and a reader that knows only text, time and repetition
// reads the same appointments.
TEST(AppointmentFileText, TheSharedFormReadsBackAndTheOldReaderIgnoresIt) {
    AppointmentBook book;
    book.insert({fileKeyToTime("2612071530"), "Zahnarzt", {}, 0x1234567890abcdefull, {2, 0}});
    book.insert({fileKeyToTime("2612080800"),
                 "Pille",
                 makeRecurrence(RepeatKind::Daily, fileKeyToTime("2612080800")),
                 0xfedcull,
                 {0, 3}});
    book.insert({fileKeyToTime("2612090800"), "Post", {}, 0xabcull, {}});
    Replica marks;
    marks.tombstones = {{0x11ull, 1, fileKeyToTime("2612061200"), 0x77ull}};
    marks.forwards = {{0x33ull, 0x44ull, fileKeyToTime("2612061200")}};
    const std::string text = appointmentFileText(book, &marks);
    EXPECT_NE(text.find("<date text=\"Zahnarzt\" zeit=\"2612071530\" id=\"1234567890abcdef\" "
                        "rev=\"2\" />"),
              std::string::npos);
    EXPECT_NE(text.find("wdh=\"tag\" id=\"000000000000fedc\" rev=\"0.3\" />"), std::string::npos);
    EXPECT_NE(text.find("id=\"0000000000000abc\" />"), std::string::npos) << "no revision yet";

    FileContent read;
    ASSERT_TRUE(readAppointmentFile(text, read));
    EXPECT_TRUE(read.marked && read.whole);
    std::vector<Appointment> again;
    read.appointments.forEach([&again](const Appointment& a) { again.push_back(a); });
    std::vector<Appointment> written;
    book.forEach([&written](const Appointment& a) { written.push_back(a); });
    EXPECT_EQ(again, written);
    EXPECT_EQ(read.tombstones, marks.tombstones);
    EXPECT_EQ(read.forwards, marks.forwards);
    // Cut off anywhere, it gives no appointment without the deletions and links written
    // with it (one taken without the link that makes it one with another stays beside it).
    for (std::size_t cut = 0; cut < text.size(); ++cut) {
        FileContent intact;
        if (readAppointmentFile(text.substr(0, cut), intact, true) &&
            intact.appointments.count() > 0) {
            EXPECT_EQ(intact.forwards, marks.forwards) << cut;
            EXPECT_EQ(intact.tombstones, marks.tombstones) << cut;
        }
    }

    AppointmentBook old;
    ASSERT_TRUE(readAppointmentFileText(plainForm(text), old));
    EXPECT_EQ(contents(old), contents(book));
    EXPECT_EQ(appointmentFileText(book), plainForm(text)) << "the plain form is the old file";
}

// Without identities, every reader derives the same ones; equal appointments get their
// own; a save without identities holds what a reader derives.
TEST(AppointmentFileText, DerivedIdentitiesAgreeAndEqualOnesDiffer) {
    const std::string text = fileWith("<date text=\"X\" zeit=\"2612071530\" />\r\n"
                                      "<date text=\"X\" zeit=\"2612071530\" />\r\n");
    FileContent first;
    FileContent second;
    ASSERT_TRUE(readAppointmentFile(text, first));
    ASSERT_TRUE(readAppointmentFile(text, second));
    EXPECT_FALSE(first.marked);
    const auto ids = [](const AppointmentBook& b) {
        std::vector<AppointmentId> all;
        b.forEach([&all](const Appointment& a) { all.push_back(a.id); });
        return all;
    };
    // Each counts the equal ones before it in the file; the book holds them the other way
    // round, and written in book order they count alike.
    const AppointmentId none = derivedAppointmentId("X", "2612071530", "", 0);
    const AppointmentId one = derivedAppointmentId("X", "2612071530", "", 1);
    EXPECT_NE(none, one);
    EXPECT_EQ(ids(first.appointments), (std::vector<AppointmentId>{one, none}));
    EXPECT_EQ(ids(second.appointments), ids(first.appointments));
    EXPECT_EQ(derivedIdentities(first.appointments), (std::vector<AppointmentId>{none, one}));
}

// What marks a file as one that carries identities, and what counts as none: a damaged
// identity gives the appointment the derived one, a damaged entry of "geloescht" is passed
// over (the appointment it names then stays), and so is the identity of a tag after a
// fault that is not whole itself (it may be misread).
TEST(AppointmentFileText, DamagedIdentitiesAndEntriesCountAsNone) {
    const std::string date = "<date text=\"X\" zeit=\"2612071530\"";
    const std::string weg = "<geloescht>\r\n<weg id=\"00000000000000a1\" rev=\"0\" am=";
    const AppointmentId derived = derivedAppointmentId("X", "2612071530", "", 0);
    const struct {
        std::string dates;
        std::string after;
        bool marked;
        AppointmentId id;
        std::size_t tombstones;
    } cases[] = {
        {date + " id=\"00000000000000a1\" />\r\n", "", true, 0xa1, 0},
        {date + " id=\"0000000000000000\" />\r\n", "", false, derived, 0},
        {date + " id=\"a1\" />\r\n", "", false, derived, 0},
        {"", "<geloescht />\r\n", true, NO_ID, 0},
        {"", weg + "\"2612071530\" />\r\n</geloescht>\r\n", true, NO_ID, 1},
        {"", weg + "\"kaputt\" />\r\n</geloescht>\r\n", true, NO_ID, 0},
        {date + " id=\"00000000000000a1\" x=\"<\" />\r\n", "", false, derived, 0},
        {"x" + date + " id=\"00000000000000a1\" />\r\n", "", true, 0xa1, 0},
        {"", weg + "\"2612071530\" x=\"<\" />\r\n</geloescht>\r\n", true, NO_ID, 0},
    };
    for (const auto& c : cases) {
        FileContent read;
        ASSERT_TRUE(readAppointmentFile(fileWith(c.dates, c.after), read)) << c.dates << c.after;
        EXPECT_EQ(read.marked, c.marked) << c.dates << c.after;
        EXPECT_EQ(read.appointments.count() > 0 ? read.appointments.earliest().id : NO_ID, c.id)
            << c.dates;
        EXPECT_EQ(read.tombstones.size(), c.tombstones) << c.after;
    }
}
