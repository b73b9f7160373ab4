// The join of two copies of the shared appointments, and what a file without identities
// tells against what the file held before.
#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>

#include "core/calendar.h"
#include "store/replica.h"
#include "tests/support/rule_patterns.h"

namespace {

constexpr TimeValue T = 1800000000;
constexpr TimeValue DAY = 86400;

// A copy written as words: "A" is appointment A, "Ax2" A with the text "Ax" at 2 edits,
// "A+1" A moved on once (a day later), "-A1" a tombstone of A up to 1 edit ("-A1=x" only
// for the words of "Ax" at that edit), "A>B" a forward linking A and B. Identities are the
// letters.
Replica replica(const std::string& words) {
    Replica result;
    std::istringstream in(words);
    for (std::string w; in >> w;) {
        if (w[0] == '-') {
            // "-A1=x": gone only in the words of "Ax" (an older program's file showed it).
            const std::uint64_t said = w.size() > 4 ? wordsOf({T, std::string(1, w[1]) + w[4]}) : 0;
            result.tombstones.push_back({static_cast<AppointmentId>(w[1]),
                                         static_cast<std::uint32_t>(w[2] - '0'), T, said});
        } else if (w.size() == 3 && w[1] == '>') {
            result.forwards.push_back(
                {static_cast<AppointmentId>(w[0]), static_cast<AppointmentId>(w[2]), T});
        } else {
            Appointment a{T, std::string(1, w[0]), {}, static_cast<AppointmentId>(w[0]), {}};
            std::size_t at = 1;
            if (at < w.size() && std::isalpha(static_cast<unsigned char>(w[at]))) {
                a.text += w[at++];
            }
            if (at < w.size() && std::isdigit(static_cast<unsigned char>(w[at]))) {
                a.revision.edits = static_cast<std::uint32_t>(w[at++] - '0');
            }
            if (at < w.size() && w[at] == '+') {
                a.revision.moves = static_cast<std::uint32_t>(w[at + 1] - '0');
                a.alarmTime += a.revision.moves * DAY;
            }
            result.appointments.push_back(a);
        }
    }
    return normalized(std::move(result));
}

std::string words(const Replica& r) {
    std::string all;
    const auto add = [&all](const std::string& word) { all += (all.empty() ? "" : " ") + word; };
    for (const Appointment& a : r.appointments) {
        std::string word(1, static_cast<char>(a.id));
        word += a.text.substr(1);
        if (a.revision.edits > 0) {
            word += std::to_string(a.revision.edits);
        }
        if (a.revision.moves > 0) {
            word += "+" + std::to_string(a.revision.moves);
        }
        add(word);
    }
    for (const Tombstone& t : r.tombstones) {
        add("-" + std::string(1, static_cast<char>(t.id)) + std::to_string(t.edits) +
            (t.words != 0 ? "=w" : ""));
    }
    for (const Forward& f : r.forwards) {
        add(std::string(1, static_cast<char>(f.id)) + ">" + static_cast<char>(f.to));
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
        {"A", "B", "A B"},             // added on both sides
        {"A B", "A -B0", "A -B0"},     // deleted on one side
        {"A", "", "A"},                // a copy that lacks A never deletes it
        {"A+1", "Ax1", "Ax1"},         // an edit wins against an alarm's move
        {"A+2", "A+1", "A+2"},         // the series that moved on further
        {"Ax1", "Ay1", "Ay1"},         // two edits: one wins, alike everywhere
        {"A+1", "-A0", "-A0"},         // deleted while it moved on
        {"Ax1", "-A0", "Ax1 -A0"},     // edited while deleted: the edit stays
        {"Ax1", "-A1", "-A1"},         // the edited one deleted
        {"B", "B>A", "A B>A"},         // linked identities: under the smallest
        {"Bx1 B>A", "A", "Ax1 B>A"},   // ... with a change made meanwhile
        {"B -B0 B>A", "A", "-A0 B>A"}, // ... and a deletion of it
        {"A>B B>A", "B", "A A>B B>A"}, // linked both ways
        {"C>A", "C C>B", "A C>A C>B"}, // one identity linked to two
        {"Ax1 B+2 -C0", "Ay1 B+1 C", "Ay1 B+2 -C0"},
        {"Ax1", "-A1=x", "-A1=w"},     // gone from an older program's file
        {"Ay1", "-A1=x", "Ay1 -A1=w"}, // ... another version made meanwhile stays
        {"A", "-A1=x", "-A1=w"},       // ... an older version does not
    };
    for (const JoinCase& c : cases) {
        EXPECT_EQ(words(join(replica(c.a), replica(c.b))), c.joined) << c.a << " | " << c.b;
        EXPECT_EQ(words(join(replica(c.b), replica(c.a))), c.joined) << c.b << " | " << c.a;
    }
}

// Any copies, in any order, any number of times: the same join.
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
    prune(r, T + TOMBSTONE_DAYS * DAY);
    EXPECT_EQ(words(r), "A -B0 C>A");
    prune(r, T + TOMBSTONE_DAYS * DAY + 1);
    EXPECT_EQ(words(r), "A");
}

// What an older program's file (no identities) tells against what it held before.
TEST(Replica, FileWithoutIdentitiesAgainstWhatItHeld) {
    // The file as it was: A and B, and a C this program had made (random identities).
    const Replica before = replica("A Bx2 C");
    // The older program alarmed B and left A and C; what it wrote has derived identities,
    // and what it wrote anew outranks what it deleted (it may be another version of it).
    AppointmentBook file;
    file.insert({T, "A", {}, 'a', {}});
    file.insert({T, "C", {}, 'c', {}});
    file.insert({T + DAY, "N", {}, 'n', {}}); // and added N
    const Replica read = identifyUnmarked(file, before, true, T);
    EXPECT_EQ(words(read), "A C n3 -B2=w A>a C>c");

    // The join with this program's book: C was changed here meanwhile, and keeps the change.
    const Replica ours = replica("A Bx2 Cz1");
    EXPECT_EQ(words(join(ours, read)), "A Cz1 n3 -B2=w A>a C>c");

    // Cut off after A: what it lacks is not deleted.
    AppointmentBook cut;
    cut.insert({T, "A", {}, 'a', {}});
    EXPECT_EQ(words(identifyUnmarked(cut, before, false, T)), "A A>a");
}

TEST(Replica, ApplyToBookKeepsTheOrderOfEqualTimes) {
    AppointmentBook book;
    book.insert({T, "B", {}, 'B', {}});
    book.insert({T, "A", {}, 'A', {}});
    EXPECT_FALSE(applyToBook(replica("A B"), book));
    EXPECT_EQ(book.earliest().text, "B");
    EXPECT_TRUE(applyToBook(replica("Ax1 C"), book));
    std::string order;
    book.forEach([&order](const Appointment& a) { order += a.text + " "; });
    EXPECT_EQ(order, "Ax C ");
}

TEST(Replica, DeletionsAreWhatTheBookLostSinceTheLastLook) {
    AppointmentBook book;
    book.insert({T + DAY, "A", {}, 'A', Revision{0, 1}}); // A moved on here, B deleted
    const Replica ours = withDeletions(book, replica("A Bx1 -C0"), T);
    EXPECT_EQ(words(ours), "A+1 -B1 -C0");
}

} // namespace

namespace {

// A series with 5 occurrences left, which a file without identities gave the identity
// derived from what it said, moves on here under its own identity (4 left, a week
// later): the join with a copy that still holds the derived one is one appointment,
// recognised by the words of its earlier occurrence, the count included.
TEST(Replica, AMovedSeriesIsRecognisedByTheWordsItHadBefore) {
    const Recurrence rule = makeRecurrence(ending(every(RepeatKind::Weekly), 5), T);
    const TimeValue weekLater = *nextOccurrence(rule, T);
    const AppointmentId derived =
        derivedAppointmentId("Chor", timeToFileKey(T), recurrenceToAttribute(rule, T), 0);
    Recurrence fourLeft = rule;
    fourLeft.count = 4;
    Replica here;
    here.appointments.push_back({weekLater, "Chor", fourLeft, 'C', Revision{0, 1}});
    Replica file;
    file.appointments.push_back({T, "Chor", rule, derived, {}});
    const Replica joined = join(here, normalized(file));
    ASSERT_EQ(joined.appointments.size(), 1u);
    EXPECT_EQ(joined.appointments[0].alarmTime, weekLater);
    EXPECT_EQ(joined.appointments[0].recurrence.count, 4);
}

} // namespace
