// The appointment store's decisions, free of any file.
#include "store/store_plan.h"

namespace {

bool isSaving(Purpose purpose) {
    return purpose == Purpose::Save || purpose == Purpose::Exit;
}

// A file that read well before is missing or unreadable now: a sync service may be
// replacing it. Nothing is done before a second look finds it so again; a save looks
// again at once, a tick at the next tick.
StorePlan doubt(const StoreState& state, const FileStamp& stamp, Purpose purpose) {
    StorePlan plan;
    plan.next = {FilePhase::Doubted, state.stamp, stamp};
    plan.lookAgain = isSaving(purpose);
    plan.stop = !plan.lookAgain;
    return plan;
}

} // namespace

StorePlan decide(const StoreState& state, LookKind look, const FileStamp& stamp, Purpose purpose) {
    StorePlan plan;
    plan.next = state;
    if (look == LookKind::Unavailable) {
        plan.stop = true;
        return plan;
    }
    const bool firstLook = state.phase == FilePhase::Unknown || state.phase == FilePhase::Absent;
    // Past appointments of a file seen first go to the missed dialog at the start and at a
    // tick; a save, after which the program may end at once, leaves them to fall due.
    const bool firstSight = firstLook && (purpose == Purpose::StartUp || purpose == Purpose::Tick);
    // Only a file that read well is doubted; the doubt is over when the same missing or
    // unreadable file is found again.
    const bool mayDoubt = state.phase == FilePhase::Known ||
                          (state.phase == FilePhase::Doubted && stamp != state.doubtedStamp);
    plan.mayWrite = true;
    plan.joinCopies = purpose == Purpose::Tick;
    switch (look) {
    case LookKind::Same:
        // A file that holds nothing of the book is replaced at the next save.
        plan.mustWrite = state.phase == FilePhase::Stale && isSaving(purpose);
        plan.next.phase = state.phase == FilePhase::Stale ? FilePhase::Stale : FilePhase::Known;
        return plan;
    case LookKind::Read:
        plan.join = JoinKind::Whole;
        plan.firstSight = firstSight;
        plan.next = {FilePhase::Known, stamp, {}};
        return plan;
    case LookKind::Missing:
        if (mayDoubt) {
            return doubt(state, stamp, purpose);
        }
        // The first save of a run without a file creates it.
        plan.mustWrite = isSaving(purpose);
        plan.next = {firstLook ? FilePhase::Absent : FilePhase::Stale, stamp, {}};
        return plan;
    case LookKind::Damaged:
    case LookKind::Unreadable:
        if (mayDoubt) {
            return doubt(state, stamp, purpose);
        }
        // Kept aside for the user to look at; nothing it lacks counts as deleted. What a
        // damaged file seen for the first time holds is all there is, so all it holds joins;
        // otherwise only what stands before its first fault (after it, what the reader
        // makes of a garbled file may be garbled too; another program holds it whole).
        plan.keepAside = true;
        if (look == LookKind::Damaged) {
            plan.join = firstLook ? JoinKind::Additions : JoinKind::Intact;
        }
        plan.firstSight = firstSight;
        plan.mustWrite = isSaving(purpose);
        plan.next = {FilePhase::Stale, stamp, {}};
        return plan;
    case LookKind::Unavailable:
        break;
    }
    return plan;
}
