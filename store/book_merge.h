// Appointment books compared and merged as multisets: what two programs that share one
// file have each changed since they last agreed.
#pragma once

#include "core/appointment_book.h"

// Whether both books hold the same appointments, each as often, whatever their order.
bool sameAppointments(const AppointmentBook& a, const AppointmentBook& b);

// The three-way merge: theirs + (ours - base) - (base - ours). What this side added since
// the base is added to theirs, what it removed (an alarm, a delete, a change) is removed
// from theirs; what only the other side changed stays as they have it. Theirs come first
// among appointments of equal time, then our additions. A series that both sides
// moved away from an occurrence (an alarm moves it to its next one, a change or a
// delete in the list moves it nowhere) is matched by its text and rule: moved on by
// both, it stands where theirs stands, once; moved on by one side and deleted or
// changed by the other, it stays deleted or changed. Equal series count one by one: of
// two equal ones, one deleted here and both moved on there, the other goes on.
AppointmentBook mergeBooks(const AppointmentBook& base, const AppointmentBook& ours,
                           const AppointmentBook& theirs);

// Every appointment of either book, as often as the book that holds it more often: the
// merge of two books without a common base, which neither loses nor doubles anything.
AppointmentBook joinBooks(const AppointmentBook& first, const AppointmentBook& second);
