// What the appointment store does next with its file: decided from what it knows of
// the file, what it finds there now, and why it looks. The store carries the plan out.
#pragma once

#include "store/file_system.h"

// Why the store looks at its file.
enum class Purpose {
    StartUp, // the first look of the run
    Tick,    // following the file every ten seconds
    Save,    // the book changed here
    Exit,    // the last save of the run
};

// What the store knows of its file.
enum class FilePhase {
    Unknown, // never looked at successfully (held by another program): never written over
    Absent,  // there was no file since the store began; one that turns up is seen first
    Known,   // read or written: what it holds at its stamp is known
    Stale,   // gone, or kept aside as unreadable: it holds nothing, the next save replaces it
    Doubted, // was known, then found missing or unreadable once: looked at again first
};

// What a look at the file found.
enum class LookKind {
    Same,        // the stamp is the known one: not read
    Read,        // read whole
    Damaged,     // read, but cut off or garbled: only what was read counts
    Unreadable,  // no appointment file at all (or empty)
    Missing,     // no file
    Unavailable, // could not be looked at or read now (held, or an error)
};

struct StoreState {
    FilePhase phase = FilePhase::Unknown;
    FileStamp stamp;        // Known, Doubted: the stamp of what the file is known to hold
    FileStamp doubtedStamp; // Doubted: the stamp of the missing or unreadable file
};

// How the file's appointments meet the book.
enum class JoinKind {
    None,      // the file holds nothing to join (missing, unreadable, unchanged)
    Whole,     // all of it: a file without identities also tells what an older program
               // deleted (what the file held before and holds no more)
    Additions, // what could be read: nothing of what it lacks counts as deleted
    Intact,    // ... only what stands before its first fault
};

struct StorePlan {
    bool lookAgain = false; // pause, then look once more and decide anew
    bool stop = false;      // nothing more now (next tick)
    bool keepAside = false; // keep the file's text aside before it is replaced
    JoinKind join = JoinKind::None;
    bool firstSight = false; // the file is seen for the first time at the start or a tick:
                             // its past appointments are missed, as at start-up
    bool mayWrite = false;   // the file may be written when it does not hold the book
    bool mustWrite = false;  // ... and even when it does (the first save creates the file)
    bool joinCopies = false; // sync services' conflict copies are joined, then set aside
    StoreState next;         // the state once the plan is carried out (a write sets the
                             // stamp anew)
};

StorePlan decide(const StoreState& state, LookKind look, const FileStamp& stamp, Purpose purpose);
