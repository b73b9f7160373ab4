// The appointment store's decisions: what it does with each look at its file, in each
// phase, for each purpose.
#include <gtest/gtest.h>

#include <string>

#include "store/store_plan.h"

namespace {

const FileStamp KNOWN{true, 100, 1, 7};
const FileStamp OTHER{true, 120, 2, 8};
const FileStamp NONE{};

// A plan as words: what is done, in order, and the phase after it.
std::string words(const StorePlan& plan) {
    std::string w;
    const auto add = [&w](bool on, const char* word) {
        if (on) {
            w += word;
            w += ' ';
        }
    };
    add(plan.lookAgain, "again");
    add(plan.stop, "stop");
    add(plan.keepAside, "aside");
    add(plan.join == JoinKind::Whole, "join");
    add(plan.join == JoinKind::Additions, "add");
    add(plan.join == JoinKind::Intact, "intact");
    add(plan.firstSight, "first");
    add(plan.mayWrite && !plan.mustWrite, "may");
    add(plan.mustWrite, "must");
    add(plan.joinCopies, "copies");
    constexpr const char* PHASES[] = {"Unknown", "Absent", "Known", "Stale", "Doubted"};
    return w + "-> " + PHASES[static_cast<int>(plan.next.phase)];
}

struct PlanCase {
    FilePhase phase;
    LookKind look;
    const FileStamp* stamp; // of the file found
    Purpose purpose;
    const char* plan;
};

TEST(StorePlan, EachLookInEachPhase) {
    using enum FilePhase;
    using enum LookKind;
    using enum Purpose;
    const PlanCase cases[] = {
        // Held at start-up: nothing is written over it, until it is read; then it is seen
        // first, and its past appointments are missed.
        {Unknown, Unavailable, &KNOWN, StartUp, "stop -> Unknown"},
        {Unknown, Unavailable, &KNOWN, Save, "stop -> Unknown"},
        {Unknown, Read, &KNOWN, Tick, "join first may copies -> Known"},
        {Unknown, Missing, &NONE, StartUp, "may -> Absent"},
        // No file yet: the first save creates it; a file that turns up later is seen first.
        {Absent, Missing, &NONE, Tick, "may copies -> Absent"},
        {Absent, Missing, &NONE, Save, "must -> Absent"},
        {Absent, Read, &OTHER, Tick, "join first may copies -> Known"},
        {Absent, Read, &OTHER, Save, "join may -> Known"}, // past ones fall due instead
        {Absent, Damaged, &OTHER, Tick, "aside add first may copies -> Stale"},
        {Unknown, Unreadable, &OTHER, StartUp, "aside first may -> Stale"},
        // Known: unchanged, changed elsewhere, held for a moment.
        {Known, Same, &KNOWN, Tick, "may copies -> Known"},
        {Known, Same, &KNOWN, Save, "may -> Known"},
        {Known, Read, &OTHER, Save, "join may -> Known"},
        {Known, Unavailable, &OTHER, Save, "stop -> Known"},
        // Gone or unreadable after it read well: looked at again before anything.
        {Known, Missing, &NONE, Tick, "stop -> Doubted"},
        {Known, Missing, &NONE, Save, "again -> Doubted"},
        {Known, Damaged, &OTHER, Exit, "again -> Doubted"},
        {Known, Unreadable, &OTHER, Tick, "stop -> Doubted"},
        // The second look finds it so again: the book is written, a damaged file kept
        // aside, and what stands before its fault joined.
        {Doubted, Missing, &NONE, Tick, "may copies -> Stale"},
        {Doubted, Missing, &NONE, Save, "must -> Stale"},
        {Doubted, Damaged, &OTHER, Save, "aside intact must -> Stale"},
        {Doubted, Unreadable, &OTHER, Tick, "aside may copies -> Stale"},
        // ... or finds it whole, or back as it was, or else changed again.
        {Doubted, Read, &OTHER, Tick, "join may copies -> Known"},
        {Doubted, Same, &KNOWN, Tick, "may copies -> Known"},
        {Doubted, Damaged, &KNOWN, Tick, "stop -> Doubted"},
        // Nothing usable in it: replaced at the next save.
        {Stale, Same, &OTHER, Tick, "may copies -> Stale"},
        {Stale, Same, &OTHER, Save, "must -> Stale"},
        {Stale, Read, &KNOWN, Tick, "join may copies -> Known"},
        {Stale, Missing, &NONE, Tick, "may copies -> Stale"},
        {Stale, Damaged, &KNOWN, Save, "aside intact must -> Stale"},
    };
    for (const PlanCase& c : cases) {
        // A doubted file was found missing (or damaged at OTHER) at the first look.
        const StoreState state{c.phase, KNOWN, c.look == Missing ? NONE : OTHER};
        EXPECT_EQ(words(decide(state, c.look, *c.stamp, c.purpose)), c.plan)
            << static_cast<int>(c.phase) << " " << static_cast<int>(c.look) << " "
            << static_cast<int>(c.purpose);
    }
}

TEST(StorePlan, AWriteAndADoubtKeepTheStamps) {
    const StorePlan read =
        decide({FilePhase::Known, KNOWN, {}}, LookKind::Read, OTHER, Purpose::Tick);
    EXPECT_EQ(read.next.stamp, OTHER);
    const StorePlan doubt =
        decide({FilePhase::Known, KNOWN, {}}, LookKind::Missing, NONE, Purpose::Tick);
    EXPECT_EQ(doubt.next.stamp, KNOWN) << "what the file held is still known";
    EXPECT_EQ(doubt.next.doubtedStamp, NONE);
}

} // namespace
