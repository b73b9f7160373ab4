// What tells one appointment from every other across programs and PCs: its identity,
// made once when the appointment is made, and its revision, raised by every change.
#pragma once

#include <compare>
#include <cstdint>
#include <string_view>

// 64 random bits, so that PCs make identities without asking each other; 0 is none.
using AppointmentId = std::uint64_t;
constexpr AppointmentId NO_ID = 0;

// How often an appointment was changed. The PCs' clocks differ, so changes are counted,
// not timed. A change by the user (an edit) outranks any number of moves of a series
// at its alarms since the last edit: a date changed on one PC wins against another PC
// moving that series on at the same time.
struct Revision {
    std::uint32_t edits = 0;
    std::uint32_t moves = 0; // a series moving on at an alarm, since the last edit

    auto operator<=>(const Revision&) const = default;
};

// The revision of an appointment the user changed, after `newest`, the highest revision
// of it that this program knows.
inline Revision edited(Revision newest) {
    return Revision{newest.edits + 1, 0};
}

// The revision of a series that moved on to its next occurrence.
inline Revision moved(Revision current) {
    return Revision{current.edits, current.moves + 1};
}

// A new identity, unlike any other made anywhere (random; never NO_ID).
AppointmentId newAppointmentId();

// Makes newAppointmentId() repeat the same identities from a seed: for tests that
// replay a random run. A seed of 0 goes back to random identities.
void seedAppointmentIds(std::uint64_t seed);

// The identity of an appointment read from a file that holds none: made from what the
// file says of it (text, "zeit" and "wdh" as written) and how many equal ones come before
// it in the file, so that every program that reads the same file gives it the same one.
AppointmentId derivedAppointmentId(std::string_view text, std::string_view key,
                                   std::string_view rule, int equalBefore);
