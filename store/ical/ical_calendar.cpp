// Reading the events and zones of an iCalendar file in one pass over its lines.
#include "store/ical/ical_calendar.h"

#include "store/ical/ical_text.h"

namespace {

// A time property's value with its TZID and VALUE parameters.
std::optional<IcalTime> timeOf(const ContentLine& line, std::string_view value) {
    auto time = readIcalTime(value);
    if (!time) {
        return std::nullopt;
    }
    const auto kind = parameter(line.params, "VALUE");
    if (kind && sameName(*kind, "DATE") != time->isDate) {
        return std::nullopt;
    }
    if (!time->utc && !time->isDate) {
        if (const auto zone = parameter(line.params, "TZID")) {
            time->zone = *zone;
        }
    }
    return time;
}

void readTimes(const ContentLine& line, std::vector<IcalTime>& into) {
    std::string_view value = line.value;
    for (std::size_t start = 0; start <= value.size();) {
        const std::size_t comma = std::min(value.find(',', start), value.size());
        if (const auto time = timeOf(line, value.substr(start, comma - start))) {
            into.push_back(*time);
        }
        start = comma + 1;
    }
}

// Where the reader stands: the component names from VCALENDAR down.
enum class Part { Outside, Calendar, Event, Alarm, Zone, Observance, Other };

} // namespace

IcalCalendar readCalendar(std::string_view text) {
    IcalCalendar calendar;
    ContentLineReader reader(text);
    ContentLine line;
    if (!reader.next(line) || !sameName(line.name, "BEGIN") || !sameName(line.value, "VCALENDAR")) {
        return calendar;
    }
    calendar.isCalendar = true;
    std::vector<Part> parts{Part::Calendar};
    std::vector<std::string> otherNames; // of the components passed over, to find their ends
    IcalEvent event;
    bool alarmSeen = false;
    AlarmTrigger trigger;
    bool triggerSet = false;
    std::string zoneId;
    std::vector<Observance> observances;
    Observance observance;
    bool observanceFine = true;
    int observanceParts = 0; // DTSTART, TZOFFSETFROM and TZOFFSETTO, one bit each
    while (reader.next(line)) {
        const Part part = parts.back();
        const bool begin = sameName(line.name, "BEGIN");
        const bool end = sameName(line.name, "END");
        if (part == Part::Other) {
            if (begin) {
                otherNames.emplace_back(line.value);
            } else if (end && sameName(line.value, otherNames.back())) {
                otherNames.pop_back();
                if (otherNames.empty()) {
                    parts.pop_back();
                }
            }
            continue;
        }
        if (begin) {
            Part next = Part::Other;
            if (part == Part::Calendar && sameName(line.value, "VEVENT")) {
                next = Part::Event;
                event = IcalEvent{};
                event.line = reader.lineNumber();
                alarmSeen = false;
            } else if (part == Part::Calendar && sameName(line.value, "VTIMEZONE")) {
                next = Part::Zone;
                zoneId.clear();
                observances.clear();
            } else if (part == Part::Event && sameName(line.value, "VALARM")) {
                next = Part::Alarm;
                triggerSet = false;
                trigger = AlarmTrigger{};
            } else if (part == Part::Zone &&
                       (sameName(line.value, "STANDARD") || sameName(line.value, "DAYLIGHT"))) {
                next = Part::Observance;
                observance = Observance{};
                observanceFine = true;
                observanceParts = 0;
            }
            if (next == Part::Other) {
                otherNames.assign(1, std::string(line.value));
            }
            parts.push_back(next);
            continue;
        }
        if (end) {
            if (part == Part::Event) {
                calendar.events.push_back(std::move(event));
            } else if (part == Part::Alarm && triggerSet && !alarmSeen) {
                event.alarm = trigger;
                alarmSeen = true;
            } else if (part == Part::Zone && !zoneId.empty()) {
                calendar.zones[zoneId] = std::move(observances);
            } else if (part == Part::Observance && observanceFine && observanceParts == 7) {
                observances.push_back(std::move(observance));
            } else if (part == Part::Calendar) {
                calendar.complete = true;
                return calendar;
            }
            parts.pop_back();
            continue;
        }
        const auto is = [&line](std::string_view name) { return sameName(line.name, name); };
        switch (part) {
        case Part::Event:
            if (is("UID")) {
                event.uid = line.value;
            } else if (is("SUMMARY")) {
                event.summary = unescapeText(line.value);
            } else if (is("DTSTART")) {
                event.start = timeOf(line, line.value);
            } else if (is("DTEND")) {
                event.end = timeOf(line, line.value);
            } else if (is("DURATION")) {
                event.duration = readDuration(line.value);
            } else if (is("RRULE")) {
                if (event.ruleCount++ == 0) {
                    event.rule = line.value;
                }
            } else if (is("RDATE")) {
                event.extraDates = true;
            } else if (is("EXDATE")) {
                readTimes(line, event.exceptions);
            } else if (is("RECURRENCE-ID")) {
                event.recurrenceId = timeOf(line, line.value);
            } else if (is("STATUS")) {
                event.cancelled = sameName(line.value, "CANCELLED");
            }
            break;
        case Part::Alarm:
            if (is("TRIGGER")) {
                const auto kind = parameter(line.params, "VALUE");
                if (kind && sameName(*kind, "DATE-TIME")) {
                    trigger.at = readIcalTime(line.value);
                    triggerSet = trigger.at && trigger.at->utc;
                } else if (const auto offset = readDuration(line.value)) {
                    trigger.offset = *offset;
                    const auto related = parameter(line.params, "RELATED");
                    trigger.fromEnd = related && sameName(*related, "END");
                    triggerSet = true;
                }
            }
            break;
        case Part::Zone:
            if (is("TZID")) {
                zoneId = line.value;
            }
            break;
        case Part::Observance:
            if (is("DTSTART")) {
                const auto start = readIcalTime(line.value);
                observanceFine = observanceFine && start && !start->utc;
                observance.start = start ? start->wall : 0;
                observanceParts |= 1;
            } else if (is("TZOFFSETFROM") || is("TZOFFSETTO")) {
                const auto offset = readUtcOffset(line.value);
                observanceFine = observanceFine && offset;
                observanceParts |= is("TZOFFSETTO") ? 4 : 2;
                (is("TZOFFSETTO") ? observance.offsetTo : observance.offsetFrom) =
                    offset.value_or(0);
            } else if (is("RRULE")) {
                observance.rule = line.value;
            } else if (is("RDATE")) {
                std::vector<IcalTime> dates;
                readTimes(line, dates);
                for (const IcalTime& date : dates) {
                    observance.dates.push_back(date.wall);
                }
            }
            break;
        default:
            break;
        }
    }
    return calendar;
}
