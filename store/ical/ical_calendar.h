// What an iCalendar file holds for the program: its events (VEVENT) with the properties
// the program uses, and its time zone definitions (VTIMEZONE).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/ical/ical_time.h"

// When a VALARM fires: a duration from the event's start (or end), or a moment.
struct AlarmTrigger {
    std::int64_t offset = 0;    // seconds
    bool fromEnd = false;       // RELATED=END
    std::optional<IcalTime> at; // VALUE=DATE-TIME
};

struct IcalEvent {
    std::string uid;
    std::string summary; // UTF-8, unescaped
    std::optional<IcalTime> start;
    std::optional<IcalTime> end;
    std::optional<std::int64_t> duration;
    std::string rule;                 // the first RRULE value
    int ruleCount = 0;                // how many RRULEs it has
    bool extraDates = false;          // RDATE
    std::vector<IcalTime> exceptions; // EXDATE
    std::optional<IcalTime> recurrenceId;
    bool cancelled = false;
    std::optional<AlarmTrigger> alarm; // the first VALARM's
    int line = 0;                      // where BEGIN:VEVENT stands
};

struct IcalCalendar {
    bool isCalendar = false; // it begins with BEGIN:VCALENDAR
    bool complete = false;   // it ends with END:VCALENDAR
    std::vector<IcalEvent> events;
    std::map<std::string, std::vector<Observance>, std::less<>> zones; // by TZID
};

// Reads a file's text. Anything that is not iCalendar gives isCalendar false; parts it
// does not know (VTODO, VJOURNAL, unknown properties) are passed over.
IcalCalendar readCalendar(std::string_view text);
