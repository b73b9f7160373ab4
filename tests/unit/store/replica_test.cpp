// The join of two copies of the shared appointments, and what a file without identities
// tells against what the file held before.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "core/calendar.h"
#include "store/appointment_file.h"
#include "store/replica.h"
#include "tests/support/appointment_words.h"
#include "tests/support/rule_patterns.h"

namespace {

constexpr TimeValue T = WORD_TIME;
constexpr TimeValue DAY = WORD_DAY;

// A copy written as words (tests/support/appointment_words.h), and besides: "-A1" a
// tombstone of A up to 1 edit ("-A1=Ax" only for the words of "Ax" at that edit), "A>B" a
// forward linking A and B ("~A>A" links the identity derived from "A" to A). Not
// normalized, as a copy may come.
Replica parse(const std::string& words) {
    Replica result;
    const auto id = [](std::string_view part) {
        return part[0] == '~' ? appointmentFromWord(part).id : static_cast<AppointmentId>(part[0]);
    };
    std::string appointments;
    forEachWord(words, [&](const std::string& w) {
        if (w[0] == '-') {
            // "-A1=Ax": gone only in the words of "Ax" (an older program's file showed it).
            // "-~A0": of the identity derived from "A".
            const std::size_t said = w.find('=');
            result.tombstones.push_back(
                {id(w.substr(1)), static_cast<std::uint32_t>(w[w[1] == '~' ? 3 : 2] - '0'), T,
                 said == std::string::npos ? 0 : wordsOf(appointmentFromWord(w.substr(said + 1)))});
        } else if (const std::size_t arrow = w.find('>'); arrow != std::string::npos) {
            result.forwards.push_back({id(w.substr(0, arrow)), id(w.substr(arrow + 1)), T});
        } else {
            appointments += " " + w;
        }
    });
    result.appointments = appointmentsFromWords(appointments);
    return result;
}

Replica replica(const std::string& words) {
    return normalized(parse(words));
}

std::string words(const Replica& r) {
    std::string all;
    const auto add = [&all](const std::string& word) { all += (all.empty() ? "" : " ") + word; };
    for (const Appointment& a : r.appointments) {
        add(wordOf(a));
    }
    for (const Tombstone& t : r.tombstones) {
        add("-" + idWord(t.id) + std::to_string(t.edits) + (t.words != 0 ? "=w" : ""));
    }
    for (const Forward& f : r.forwards) {
        add(idWord(f.id) + ">" + idWord(f.to));
    }
    return all;
}

struct JoinCase {
    const char* a;
    const char* b;
    const char* joined;
};

TEST(Replica, JoinKeepsEveryIdentityAtItsHighestRevisionMinusTheTombstones) {
    const JoinCase cases[] = {
        {"A", "B", "A B"},               // added on both sides
        {"A B", "A -B0", "A -B0"},       // deleted on one side
        {"A", "", "A"},                  // a copy that lacks A never deletes it
        {"A+1", "Ax1", "Ax1"},           // an edit wins against an alarm's move
        {"A+2", "A+1", "A+2"},           // the series that moved on further
        {"Ax1", "Ay1", "Ay1"},           // two edits: one wins, alike everywhere
        {"A+1", "-A0", "-A0"},           // deleted while it moved on
        {"Ax1", "-A0", "Ax1 -A0"},       // edited while deleted: the edit stays
        {"Ax1", "-A1", "-A1"},           // the edited one deleted
        {"B", "B>A", "A=B B>A"},         // linked identities: under the smallest
        {"Bx1 B>A", "A", "A=Bx1 B>A"},   // ... with a change made meanwhile
        {"B -B0 B>A", "A", "-A0 B>A"},   // ... and a deletion of it
        {"A>B B>A", "B", "A=B A>B B>A"}, // linked both ways
        {"C>A", "C C>B", "A=C C>A C>B"}, // one identity linked to two
        {"Ax1 B+2 -C0", "Ay1 B+1 C", "Ay1 B+2 -C0"},
        // Identities that a file without identities gave (derived from the words) name the
        // appointment that the other copy holds under its own: equal ones each once, a
        // series at an earlier or a later occurrence, and a change made meanwhile.
        {"A", "~A", "A ?>A"},
        {"A B=A", "~A ~A", "A B=A ?>A ?>A"},
        {"A+1*", "~A*", "A+1* ?>A"},
        {"A*", "~A*@1", "A*@1 ?>A"},
        {"A", "~Ax1", "Ax1 ?>A"},
        {"A1@1", "A ~A2@1", "A2@1 ?>A"},    // ... beside the version it was changed from
        {"A", "B=Ax1 ~A>B", "Ax1 B>A ?>B"}, // ... known by another name since
        {"Ax1", "-A1=Ax", "-A1=w"},         // gone from an older program's file
        {"Ay1", "-A1=Ax", "Ay1 -A1=w"},     // ... another version made meanwhile stays
        {"A", "-A1=Ax", "-A1=w"},           // ... an older version does not
        {"S+1*", "-S0=S*", "-S0=w"},        // ... nor the same edit one occurrence on
        {"S*", "-S0=S+1*", "-S0=w"},        // ... or one before
        {"-A1", "-A1=Ax", "-A1"},           // a deletion of any words outweighs it
    };
    for (const JoinCase& c : cases) {
        EXPECT_EQ(words(join(replica(c.a), replica(c.b))), c.joined) << c.a << " | " << c.b;
        EXPECT_EQ(words(join(replica(c.b), replica(c.a))), c.joined) << c.b << " | " << c.a;
    }
    // Two equal series, one under the name a file without identities gave it, each moved
    // on at one side only: both stay.
    Replica moved = replica("S* ~S*");
    moved.appointments.back().alarmTime += DAY; // the derived one, the larger identity
    moved.appointments.back().revision.moves = 1;
    EXPECT_EQ(join(replica("S+1* ~S*"), moved).appointments.size(), 2u);
}

TEST(Replica, JoinIsCommutativeAssociativeAndIdempotent) {
    std::mt19937 random(7);
    const auto randomReplica = [&random] {
        std::string w;
        for (char id = 'A'; id <= 'E'; ++id) {
            switch (random() % 6) {
            case 0:
                w += std::string(" ") + id + static_cast<char>('a' + random() % 3) +
                     static_cast<char>('0' + random() % 3);
                break;
            case 1:
                w += std::string(" ") + id + "+" + static_cast<char>('1' + random() % 3);
                break;
            case 2:
                w += std::string(" -") + id + static_cast<char>('0' + random() % 3);
                break;
            case 3:
                w += std::string(" ") + id;
                break;
            default:
                break;
            }
        }
        if (random() % 4 == 0) {
            w += " D>E"; // every copy that forwards D forwards it alike
        }
        return replica(w);
    };
    for (int round = 0; round < 2000; ++round) {
        const Replica a = randomReplica();
        const Replica b = randomReplica();
        const Replica c = randomReplica();
        ASSERT_EQ(join(a, b), join(b, a)) << words(a) << " | " << words(b);
        ASSERT_EQ(join(join(a, b), c), join(a, join(b, c)))
            << words(a) << " | " << words(b) << " | " << words(c);
        ASSERT_EQ(join(a, a), a) << words(a);
        ASSERT_EQ(join(join(a, b), b), join(a, b));
    }
}

TEST(Replica, TombstonesAndForwardsExpireAfterTheirTime) {
    Replica r = replica("A -B0 C>A");
    EXPECT_FALSE(needsPruning(r, T + TOMBSTONE_DAYS * DAY));
    prune(r, T + TOMBSTONE_DAYS * DAY);
    EXPECT_EQ(words(r), "A -B0 C>A");
    EXPECT_TRUE(needsPruning(r, T + TOMBSTONE_DAYS * DAY + 1));
    prune(r, T + TOMBSTONE_DAYS * DAY + 1);
    EXPECT_EQ(words(r), "A");

    // Of one deletion or link made twice, the later one counts.
    Replica later = replica("-B0 C>A");
    later.tombstones[0].deletedAt += DAY;
    later.forwards[0].madeAt += DAY;
    r = join(replica("A -B0 C>A"), later);
    prune(r, T + TOMBSTONE_DAYS * DAY + 1);
    EXPECT_EQ(words(r), "A -B0 C>A");
}

TEST(Replica, FileWithoutIdentitiesAgainstWhatItHeld) {
    // The file as it was: A and B, and a C this program had made (random identities).
    const Replica before = replica("A Bx2 C");
    // The older program alarmed B, left A and C and added N; what it wrote has derived
    // identities, and what it wrote anew outranks what it deleted (it may be another
    // version of it).
    const Replica read = identifyUnmarked(bookFromWords("a=A c=C n=N@1"), before, true, T);
    EXPECT_EQ(words(read), "A C n=N3@1 -B2=w A>a C>c");

    // The join with this program's book: C was changed here meanwhile, and keeps the change.
    const Replica ours = replica("A Bx2 Cz1");
    EXPECT_EQ(words(join(ours, read)), "A Cz1 n=N3@1 -B2=w A>a C>c");

    // Cut off after A: what it lacks is not deleted.
    EXPECT_EQ(words(identifyUnmarked(bookFromWords("a=A"), before, false, T)), "A A>a");
}

// The same, case by case: what the file held before, what it holds now (as an older
// program wrote it, read with the identities derived from it), the links this program made
// since, and what the file tells.
TEST(Replica, WhatAFileWithoutIdentitiesTells) {
    const struct {
        const char* before;
        const char* file;
        const char* links;
        const char* read;
    } cases[] = {
        {"A1", "A", "", "A1 A>?"},            // alike: the revision known, linked
        {"~A3", "A", "", "~A3"},              // ... under the derived identity itself
        {"Ax1", "A", "~A>A", "~A2"},          // another version of one changed here: a change
        {"Ax1", "A", "", "~A2 -A1=w"},        // ... without the link another one, newer
        {"S*", "S*@1", "", "S+1* S>?"},       // a series it alarmed: moved on
        {"S*#5", "S*#4@1", "", "S+1*#4 S>?"}, // ... one fewer left
        {"S*#5", "S*#4", "", "~S1*#4 -S0=w"}, // fewer left, not later: a change
        {"B", "B@1", "", "~B1@1 -B0=w"},      // a one-off at another time: another one
        {"B C=B", "B", "", "B B>?"},          // of two equal ones, one gone: none deleted
        {"B=A -~A0", "A", "", "B=A"},         // an equal one's deleted name is not linked
    };
    for (const auto& c : cases) {
        FileContent file;
        ASSERT_TRUE(readAppointmentFile(appointmentFileText(bookFromWords(c.file)), file));
        EXPECT_EQ(words(identifyUnmarked(file.appointments, replica(c.before), true, T,
                                         parse(c.links).forwards)),
                  c.read)
            << c.before << " | " << c.file;
    }
}

TEST(Replica, ApplyToBookKeepsTheOrderOfEqualTimes) {
    AppointmentBook book = bookFromWords("B A");
    EXPECT_FALSE(applyToBook(replica("A B"), book));
    EXPECT_EQ(wordsOf(book), "B A");
    EXPECT_TRUE(applyToBook(replica("Ax1 C"), book));
    EXPECT_EQ(wordsOf(book), "Ax1 C");

    // New ones in the order of the file's book; the book holds just those of the replica.
    EXPECT_TRUE(applyToBook(replica("A C B D"), book, bookFromWords("D B")));
    EXPECT_EQ(wordsOf(book), "A C D B");
    EXPECT_TRUE(holdsExactly(replica("A C B D"), book));
    EXPECT_FALSE(holdsExactly(replica("A C B D E"), book));
}

TEST(Replica, DeletionsAreWhatTheBookLostSinceTheLastLook) {
    // A moved on here, B deleted.
    const Replica ours = withDeletions(bookFromWords("A+1"), replica("A Bx1 -C0"), T);
    EXPECT_EQ(words(ours), "A+1 -B1 -C0");
    // Known under an identity that a link leads on: the book still holds it.
    EXPECT_EQ(words(withDeletions(bookFromWords("B"), parse("B B>A"), T)), "A=B B>A");
}

// A look at the file after changes made here: what the book held at the last look
// (`known`) links each changed appointment's earlier words to it (an older program's file
// may still say them; a series that only moved on needs none), and the join with a file
// that names appointments by the words they had recognises them by those words too.
TEST(Replica, WhatItSaidAtTheLastLookNamesItInTheFile) {
    const struct {
        const char* ours;
        const char* known;
        const char* linked; // ours after the links
        const char* file;
        const char* joined;
    } cases[] = {
        {"Ax1 B+1 C", "A B C", "Ax1 B+1 C ~A>A", "", "Ax1 B+1 C ?>A"},
        // A series moved on here (4 left) is the one the file still has at the occurrence
        // before (5 left), the count included.
        {"A+1*#4", "", "", "~A*#5", "A+1*#4 ?>A"},
        // The list was open while a series moved on, and its OK changed the text at the
        // occurrence it showed: the words of both occurrences name it.
        {"Ax1*", "A+1*", "", "~A*", "Ax1* ?>A ?>A"},
        {"Ax1*", "A+1*", "", "~A*@1", "Ax1* ?>A ?>A"},
        // Changed where it stands after it moved on: the occurrences before name it too.
        {"Ax1*@1", "A+1*", "Ax1*@1 ~A*@1>A ~A*>A", "~A*", "Ax1*@1 ?>A ?>A"},
        // Changed when it was due by the clock of an older program that started then (this
        // PC's is half an hour behind): it moved it on, and its words there name it too.
        {"Ax1*", "A*", "Ax1* ~A*>A ~A*@1>A", "~A*@1", "Ax1* ?>A ?>A"},
        // Deleted here since the last look: the copy under the derived name goes with it.
        {"-A0", "A", "-A0", "~A", "-A0 ?>A"},
        {"-~A0", "~A", "-~A0", "A", "-A0 A>?"},         // ... or the other way round
        {"-A0", "A", "-A0", "B=A ~A>B", "-A0 B>A ?>B"}, // ... or by another name it has since
        // ... but not beside an equal one, which may be another appointment alike.
        {"-A0", "A", "-A0", "~A D=A", "D=A ~A -A0"},
        // The earlier words' name is another appointment's, alike or deleted: no link.
        {"B=Ax1 ~A", "B=A ~A", "B=Ax1 ~A", "", "B=Ax1 ~A"},
        {"B=Ax1 -~A1", "B=A -~A1", "B=Ax1 -~A1", "", "B=Ax1 -?1"},
        {"B=Ax1 C=A ~A>C", "B=A C=A ~A>C", "B=Ax1 C=A ~A>C", "", "B=Ax1 C=A ?>C"},
    };
    for (const auto& c : cases) {
        Replica ours = replica(c.ours);
        linkEarlierWords(ours, replica(c.known), T - 30 * 60);
        for (Forward& f : ours.forwards) {
            f.madeAt = T;
        }
        if (*c.linked != '\0') {
            EXPECT_EQ(ours, replica(c.linked)) << c.ours << " | " << c.known;
        }
        const Replica known = replica(c.known);
        EXPECT_EQ(words(join(ours, replica(c.file), &known)), c.joined)
            << c.ours << " | " << c.file;
    }
    // Without the earlier words the derived copy stays.
    EXPECT_EQ(words(join(replica("-A0"), replica("~A"))), "~A -A0");
}

// A row brought back on purpose is an edit above every deletion the program knows, so
// that a link between two of its names learnt later turns none of them against it.
TEST(Replica, WhatIsBroughtBackOutranksEveryDeletionKnown) {
    const struct {
        const char* known;
        char id;
        std::uint32_t edits; // 0: nothing deleted it
    } cases[] = {
        {"A", 'A', 0},       {"-B7", 'A', 0},     // not deleted; another one's deletion alone
        {"-A3", 'A', 4},     {"-A7 A>B", 'B', 8}, // deleted under its name, under a linked one
        {"-A3 -B7", 'A', 8},                      // ... where a link may come later
    };
    for (const auto& c : cases) {
        EXPECT_EQ(revivalEdits(replica(c.known), c.id).value_or(0), c.edits) << c.known;
    }
}

} // namespace
