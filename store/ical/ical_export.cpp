// The iCalendar file of a list of appointments.
#include "store/ical/ical_export.h"

#include <array>

#include "core/calendar.h"
#include "store/ical/ical_import.h"
#include "core/rrule.h"
#include "store/ical/ical_text.h"

namespace {

constexpr std::array<const char*, 7> WEEKDAY_CODES{"SU", "MO", "TU", "WE", "TH", "FR", "SA"};
// The year the zone's definition starts in: before every time the program keeps.
constexpr int ZONE_START_YEAR = 1970;

void line(std::string& out, std::string_view name, std::string_view value) {
    std::string whole(name);
    whole += ':';
    whole += value;
    appendFolded(out, whole);
}

// A parameter value with ':', ';' or ',' in it must be quoted.
std::string parameterValue(std::string name) {
    std::erase(name, '"');
    return name.find_first_of(":;,") == std::string::npos ? name : '"' + name + '"';
}

void observance(std::string& out, const char* kind, const ZoneChange& change, int from, int to) {
    line(out, "BEGIN", kind);
    line(out, "DTSTART",
         icalDateTime(wallOf({ZONE_START_YEAR, change.month, ruleDay(ZONE_START_YEAR, change),
                              change.minuteOfDay / 60, change.minuteOfDay % 60}),
                      false));
    line(out, "TZOFFSETFROM", utcOffsetText(from));
    line(out, "TZOFFSETTO", utcOffsetText(to));
    line(out, "RRULE",
         "FREQ=YEARLY;BYMONTH=" + std::to_string(change.month) + ";BYDAY=" +
             std::to_string(change.week) + WEEKDAY_CODES[static_cast<std::size_t>(change.weekday)]);
    line(out, "END", kind);
}

void timeZone(std::string& out, const ZoneRules& zone) {
    line(out, "BEGIN", "VTIMEZONE");
    line(out, "TZID", zone.name);
    if (!zone.daylightOffset) {
        line(out, "BEGIN", "STANDARD");
        line(out, "DTSTART", icalDateTime(wallOf({ZONE_START_YEAR, 1, 1}), false));
        line(out, "TZOFFSETFROM", utcOffsetText(zone.standardOffset));
        line(out, "TZOFFSETTO", utcOffsetText(zone.standardOffset));
        line(out, "END", "STANDARD");
    } else {
        observance(out, "DAYLIGHT", zone.toDaylight, zone.standardOffset, *zone.daylightOffset);
        observance(out, "STANDARD", zone.toStandard, *zone.daylightOffset, zone.standardOffset);
    }
    line(out, "END", "VTIMEZONE");
}

// The wall-clock time a series was set at on the date of its alarm: where the clock skips
// it (02:30 on the day 02:00 jumps to 03:00) the alarm time says 03:30, and the zone's
// definition turns 02:30 into that same moment.
WallTime startOf(const Appointment& a) {
    std::tm local{};
    if (!timeToLocal(a.alarmTime, local)) {
        return a.alarmTime;
    }
    CivilTime civil{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                    local.tm_hour,        local.tm_min,     0};
    if (a.recurrence.repeats()) {
        civil.hour = a.recurrence.hour;
        civil.minute = a.recurrence.minute;
    }
    return wallOf(civil);
}

} // namespace

std::string exportCalendar(const std::vector<Appointment>& appointments,
                           const ExportSettings& settings) {
    std::string out;
    out.reserve(512 + appointments.size() * 320);
    line(out, "BEGIN", "VCALENDAR");
    line(out, "VERSION", "2.0");
    line(out, "PRODID", "-//Quarv Zodora//Quarv Zodora//DE");
    line(out, "CALSCALE", "GREGORIAN");
    line(out, "METHOD", "PUBLISH");
    line(out, "X-WR-CALNAME", "Quarv Zodora");
    std::string startName = "DTSTART";
    if (settings.zone) {
        timeZone(out, *settings.zone);
        startName += ";TZID=" + parameterValue(settings.zone->name);
    }
    const std::string stamp = icalDateTime(settings.now, true);
    const std::string trigger = "-PT" + std::to_string(settings.alarmOffsetMinutes) + "M";
    for (const Appointment& a : appointments) {
        const std::string text = escapeText(utf8FromWindows1252(a.text));
        line(out, "BEGIN", "VEVENT");
        line(out, "UID", uidOf(a.id));
        line(out, "DTSTAMP", stamp);
        const WallTime start = startOf(a);
        if (!a.recurrence.repeats() && momentOf(systemZone(), start) != a.alarmTime) {
            // The second pass of a wall-clock time the clock shows twice: only UTC names it.
            line(out, "DTSTART", icalDateTime(a.alarmTime, true));
        } else {
            line(out, startName, icalDateTime(start, false));
        }
        if (a.recurrence.repeats()) {
            line(out, "RRULE",
                 recurrenceToRRule(a.recurrence,
                                   settings.zone ? UntilForm::Utc : UntilForm::LocalTime));
        }
        line(out, "SUMMARY", text);
        line(out, "SEQUENCE", std::to_string(a.revision.edits));
        line(out, "BEGIN", "VALARM");
        line(out, "ACTION", "DISPLAY");
        line(out, "DESCRIPTION", text.empty() ? "Quarv Zodora" : text);
        line(out, "TRIGGER", trigger);
        line(out, "END", "VALARM");
        line(out, "END", "VEVENT");
    }
    line(out, "END", "VCALENDAR");
    return out;
}
