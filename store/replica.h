// What one program or one file knows of the shared appointments, and the join of two
// such copies.
//
// Every appointment has an identity and a revision; a deletion leaves a tombstone. The
// join of two copies is the union of their identities, minus the tombstones, each at its
// highest revision. It is commutative, associative and idempotent, so copies may meet in
// any order, any number of times: a copy that arrives missing, cut or garbled can hide
// appointments for a while but never delete one.
//
// Identities also move: a file written by an older program holds none, and every program
// that reads it gives its appointments identities derived from their content, so that
// they all agree. A program that knew such an appointment by another identity leaves a
// forward that links the two; identities that forwards link name one appointment, under
// the smallest of them, and every copy that still holds another one follows (also with a
// change made meanwhile).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "core/appointment_book.h"

// An appointment deleted (the list's deletion, the alarm of a one-off, the end of a
// series) up to a number of edits: a change made elsewhere at the same time, which
// raised the edits beyond it, survives the deletion.
struct Tombstone {
    AppointmentId id = NO_ID;
    std::uint32_t edits = 0;
    TimeValue deletedAt = 0; // by the deleting PC's clock; only for pruning
    // 0, or of a deletion that an older program's file showed (it no longer holds what
    // the appointment said), the words it said then (wordsOf): a version of the same
    // edits that says something else was written elsewhere at the same time, and stays.
    std::uint64_t words = 0;

    bool operator==(const Tombstone&) const = default;
};

// What an appointment says (time, text and rule), as one number.
std::uint64_t wordsOf(const Appointment& appointment);

// An identity that became another one.
struct Forward {
    AppointmentId id = NO_ID;
    AppointmentId to = NO_ID;
    TimeValue madeAt = 0; // only for pruning

    bool operator==(const Forward&) const = default;
};

struct Replica {
    std::vector<Appointment> appointments; // ascending identities, each once
    std::vector<Tombstone> tombstones;     // ascending identities, each once
    std::vector<Forward> forwards;         // ascending identities and targets, each link once

    bool operator==(const Replica&) const = default;
};

// Tombstones and forwards are kept this long: a PC that was off for more than a year (a
// laptop in a drawer) still learns what was deleted meanwhile, and a file grows by at
// most one short line per deletion within that time (ten deletions a day: about 4,000
// lines, 200 KB).
constexpr TimeValue TOMBSTONE_DAYS = 400;

// Of two versions of one appointment, the one the join keeps: the higher revision; of
// equal revisions with different content, the later time, then the greater text and
// rule, so that every program decides alike.
bool supersedes(const Appointment& a, const Appointment& b);

// The join of two copies (see above). Appointments without identity are left out.
Replica join(const Replica& a, const Replica& b);

// The same, where `earlierA` holds what `a`'s appointments said at the last look (before
// changes made on a's side since): an appointment that a file without identities gave
// the identity derived from its earlier words is recognised by them too.
Replica join(const Replica& a, const Replica& b, const Replica* earlierA);

// A replica's appointments and tombstones in order, as the join needs them: sorted by
// identity, each identity once (its winning version), and the forwards followed.
Replica normalized(Replica replica);

// Drops tombstones and forwards older than TOMBSTONE_DAYS before `now`.
void prune(Replica& replica, TimeValue now);
// Whether prune would drop anything.
bool needsPruning(const Replica& replica, TimeValue now);

// The appointments of a book as a replica (no tombstones). Appointments without
// identity are left out.
Replica replicaOf(const AppointmentBook& book);

// The appointments of a file that carries no identities (an older program wrote it), as a
// replica, read against what this program last knew the file to hold (`before`). Each of
// them has the identity derived from its content, which every program reading the file
// gives it. One that `before` holds alike keeps its revision there, and where `before`
// knew it by another identity, a forward leads from that one to the derived one. What
// `before` holds and the file no longer does, the older program deleted (it alarmed or
// deleted it): a tombstone, made at `now`, unless the file is not `whole`, since what a
// cut or garbled file lacks is not deleted.
//
// `links` are forwards known besides `before`'s (this program's own since): an
// appointment linked to one the file no longer holds was changed there, not deleted.
Replica identifyUnmarked(const AppointmentBook& file, const Replica& before, bool whole,
                         TimeValue now, const std::vector<Forward>& links = {});

// Brings the book to the replica's appointments, keeping the book's order for the ones it
// holds already, and taking new ones in the order of `newOrder` (the file's, so that
// appointments of equal time keep theirs); true when anything changed.
bool applyToBook(const Replica& replica, AppointmentBook& book,
                 const AppointmentBook& newOrder = {});

// The book as a replica with what this program knew at its last look (`known`): its
// tombstones and forwards, and a tombstone, made at `now`, for every appointment that
// `known` holds and the book no longer does (the program deleted it since).
Replica withDeletions(const AppointmentBook& book, const Replica& known, TimeValue now);

// Links each appointment of `ours` that was changed since `known` to the identity derived
// from what it said before (made at `now`): a file of an older program written before the
// change and read only after it (a conflict copy) then names the same appointment.
void linkEarlierWords(Replica& ours, const Replica& known, TimeValue now);

// The edits that an appointment brought back on purpose (a row kept in the list after its
// alarm, an event imported again) takes when `known` holds a deletion of it under any of
// its names: one above every deletion `known` holds, of any appointment. A link between
// two of its names that arrives later (another program recognised one as the other) then
// finds no deletion this program knew that outranks it. None when nothing deleted it.
std::optional<std::uint32_t> revivalEdits(const Replica& known, AppointmentId id);

// Whether the book holds exactly the replica's appointments (in any order).
bool holdsExactly(const Replica& replica, const AppointmentBook& book);

// The appointment of that identity; nullptr when the replica holds none.
const Appointment* findAppointment(const Replica& replica, AppointmentId id);
