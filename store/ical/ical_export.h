// Writing appointments as an iCalendar file that the big calendars read: one VEVENT per
// appointment, its time in the PC's zone with that zone's definition, its rule as RRULE
// and a reminder at the program's alarm offset.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/appointment_book.h"
#include "store/ical/ical_time.h"

struct ExportSettings {
    // The PC's zone (name and rules); none: times are written without a zone (floating),
    // which every calendar reads as its own local time.
    std::optional<ZoneRules> zone;
    int alarmOffsetMinutes = 0;
    TimeValue now = 0; // DTSTAMP
};

// The file: CRLF line ends, lines folded at 75 octets, texts in UTF-8. Every appointment
// needs its identity (its UID).
std::string exportCalendar(const std::vector<Appointment>& appointments,
                           const ExportSettings& settings);
