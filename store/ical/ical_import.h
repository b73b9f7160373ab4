// What an iCalendar file brings into a list of appointments: which are new, which update
// one that is there (same UID), which are there already, and what the program's rules
// can carry only approximately or not at all, with the reason.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/appointment_book.h"
#include "store/ical/ical_calendar.h"

// The end of the UID of every appointment this program exports: "0123456789abcdef@quarvzodora".
constexpr std::string_view UID_DOMAIN = "@quarvzodora";

// The UID of an appointment: its identity and UID_DOMAIN.
std::string uidOf(AppointmentId id);

// The identity an event stands for: its own for a UID of ours; otherwise one derived
// from the UID (and the instance a RECURRENCE-ID names), the same in every program, so
// that a file imported twice, or on two PCs, names the same appointments.
AppointmentId identityOfUid(std::string_view uid, std::string_view instance = {});

struct ImportSettings {
    TimeValue now = 0;
    int allDayMinute = 8 * 60; // when an all-day event without VALARM time alarms
    // The PC's zone by the name Windows gives it ("W. Europe Standard Time"): a TZID of
    // that name needs no definition in the file.
    std::string systemZoneName;
};

// An event that comes in differently or not at all: what it is ("Zahnarzt,
// 07.12.2026 09:00") and how ("alle 2 Wochen: nur der nächste Termin übernommen").
struct ImportNote {
    std::string what;
    std::string how;
    bool skipped = false;
};

struct ImportPlan {
    std::vector<Appointment> added;
    std::vector<std::pair<std::size_t, Appointment>> updated; // index into `current`
    int unchanged = 0;                                        // there already
    int past = 0;                                             // over, or a series that has ended
    std::vector<ImportNote> notes;
};

// The plan for the file's events against `current` (the appointments as they stand, in
// order). An event is there already when `current` holds its identity with the same
// time, text and rule, or, failing its identity, an appointment alike that no other
// event is there as (a file without identities gives its appointments identities derived
// from what they say, which change with it).
ImportPlan planImport(const IcalCalendar& calendar, const std::vector<Appointment>& current,
                      const ImportSettings& settings);
