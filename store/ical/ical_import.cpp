// Turning the events of an iCalendar file into the program's appointments.
#include "store/ical/ical_import.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <charconv>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "core/calendar.h"
#include "core/local_days.h"
#include "core/rrule.h"
#include "store/ical/ical_rule.h"
#include "store/ical/ical_text.h"

namespace {

constexpr std::size_t ID_DIGITS = 16;
// Occurrences passed over (EXDATE, RECURRENCE-ID) before the next one of a series.
constexpr int MOST_PASSED_OVER = 10000;
// What the hash of a foreign UID is told apart from the identities derived from a file.
constexpr std::string_view UID_TAG = "ics";

bool isUtcName(std::string_view name) {
    for (const std::string_view utc : {"UTC", "Etc/UTC", "GMT", "Etc/GMT", "Z", "UCT", "Etc/UCT",
                                       "Universal", "Etc/Universal", "Zulu", "Etc/Zulu"}) {
        if (sameName(name, utc)) {
            return true;
        }
    }
    return false;
}

// The PC's wall-clock time of a wall-clock time of a zone, for what the summary says.
WallTime localWall(const Zone& zone, WallTime wall) {
    const auto moment = momentOf(zone, wall);
    return moment ? wallAt(systemZone(), *moment).value_or(wall) : wall;
}

// The identity of an event: by its UID; an event without one (which the standard does not
// allow, but some programs write) by what it says.
AppointmentId eventIdentity(const IcalEvent& event) {
    if (!event.uid.empty()) {
        return identityOfUid(event.uid);
    }
    const std::string start = event.start ? icalDateTime(event.start->wall, event.start->utc) : "";
    return identityOfUid(event.summary + '\n' + start + '\n' +
                         event.start.value_or(IcalTime{}).zone + '\n' + event.rule);
}

std::string wallText(WallTime wall, bool withTime) {
    const CivilTime c = civilOf(wall);
    char text[32];
    if (withTime) {
        std::snprintf(text, sizeof text, "%02d.%02d.%04d %02d:%02d", c.day, c.month, c.year, c.hour,
                      c.minute);
    } else {
        std::snprintf(text, sizeof text, "%02d.%02d.%04d", c.day, c.month, c.year);
    }
    return text;
}

// Tab, line breaks and other control characters become blanks: a text is one line.
std::string oneLine(std::string text) {
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20) {
            c = ' ';
        }
    }
    return text;
}

// The zones of the file's TZIDs, each made once; a TZID without a definition is the PC's
// own zone when it has its name or is UTC, and is taken as the PC's zone otherwise.
class Zones {
  public:
    Zones(const IcalCalendar& calendar, const ImportSettings& settings)
        : calendar_(calendar), settings_(settings) {}

    // The zone of a time, and whether its name was unknown.
    const Zone& of(const IcalTime& time, bool& unknown) {
        unknown = false;
        if (time.utc) {
            return utcZone();
        }
        if (time.isDate || time.zone.empty()) {
            return systemZone();
        }
        auto found = made_.find(time.zone);
        if (found == made_.end()) {
            std::unique_ptr<Zone> zone;
            if (const auto defined = calendar_.zones.find(time.zone);
                defined != calendar_.zones.end()) {
                zone = definedZone(defined->second);
            }
            found = made_.emplace(time.zone, std::move(zone)).first;
        }
        if (found->second) {
            return *found->second;
        }
        if (isUtcName(time.zone)) {
            return utcZone();
        }
        unknown = !sameName(time.zone, settings_.systemZoneName);
        return systemZone();
    }

    // Whether a series set in the zone keeps the PC's wall-clock time.
    bool keepsLocalClock(const Zone& zone) {
        if (&zone == &systemZone()) {
            return true;
        }
        const auto known = sameClock_.find(&zone);
        if (known != sameClock_.end()) {
            return known->second;
        }
        return sameClock_[&zone] = sameClock(zone, systemZone(), settings_.now);
    }

  private:
    const IcalCalendar& calendar_;
    const ImportSettings& settings_;
    std::map<std::string, std::unique_ptr<Zone>, std::less<>> made_;
    std::map<const Zone*, bool> sameClock_;
};

// A rule of another zone, set at the PC's local time `here` of its next occurrence, which
// is `days` (-1, 0 or 1) from that occurrence's date in its own zone: a weekly rule's days
// move along. None where that cannot be said: a monthly or yearly rule on another day,
// or an interval of weeks on days that the move carries into another week.
std::optional<Recurrence> inOtherZone(Recurrence rule, int days, const LocalDateTime& here) {
    if (days != 0) {
        if (rule.kind == RepeatKind::Workdays) {
            rule = Recurrence{RepeatKind::Weekly, 0, 0, MONDAY_TO_FRIDAY};
        }
        if (rule.kind == RepeatKind::Weekly) {
            if (rule.interval > 1 && std::popcount(unsigned{rule.weekdays}) > 1) {
                return std::nullopt;
            }
            const unsigned bits = rule.weekdays;
            const int by = (days % 7 + 7) % 7;
            rule.weekdays = static_cast<WeekdaySet>(((bits << by) | (bits >> (7 - by))) & 0x7F);
        } else if (rule.kind != RepeatKind::Daily) {
            return std::nullopt;
        }
        if (const auto last = dayOfDateNumber(rule.until)) {
            rule.until = dateNumber(*last + std::chrono::days{days});
        }
    }
    return makeRecurrence(rule, here);
}

// The wall times and dates of a series that do not take place (EXDATE, or moved or
// cancelled on their own with RECURRENCE-ID), in the series' zone.
struct Exceptions {
    std::vector<WallTime> times;
    std::vector<std::int64_t> days; // of DATE values
    bool covers(WallTime wall) const {
        return std::find(times.begin(), times.end(), wall) != times.end() ||
               std::find(days.begin(), days.end(), dayOf(wall)) != days.end();
    }
};

class Planner {
  public:
    Planner(const IcalCalendar& calendar, const ImportSettings& settings)
        : calendar_(calendar), settings_(settings), zones_(calendar, settings) {}

    std::vector<Appointment> plan();
    std::vector<ImportNote> notes;
    int past = 0;

  private:
    void planMaster(const IcalEvent& event, const std::vector<const IcalEvent*>& overrides);
    void planOverride(const IcalEvent& event);
    void planSeries(const IcalEvent& event, const Zone& zone, WallTime start,
                    const Exceptions& exceptions, std::vector<std::string> differences,
                    const std::string& text, AppointmentId id);
    void add(TimeValue moment, const std::string& text, Recurrence rule, AppointmentId id,
             const std::vector<std::string>& differences);
    std::optional<WallTime> wallIn(const Zone& zone, const IcalTime& time);
    // A note on the event being planned: its text and when it is.
    void note(std::string how, bool skipped) {
        notes.push_back({whatText_ + (whatTime_ ? ", " + wallText(*whatTime_, whatHasTime_) : ""),
                         std::move(how), skipped});
    }
    void describe(const std::string& text, std::optional<WallTime> time = {},
                  bool withTime = true) {
        whatText_ = text;
        whatTime_ = time;
        whatHasTime_ = withTime;
    }
    std::string textOf(const IcalEvent& event, std::vector<std::string>& differences) const;
    const Zone* begin(const IcalEvent& event, std::string& text,
                      std::vector<std::string>& differences);

    const IcalCalendar& calendar_;
    const ImportSettings& settings_;
    Zones zones_;
    RuleBudget budget_;
    std::vector<Appointment> planned_;
    // The event being planned, for its notes.
    std::string whatText_;
    std::optional<WallTime> whatTime_;
    bool whatHasTime_ = true;
};

std::string Planner::textOf(const IcalEvent& event, std::vector<std::string>& differences) const {
    int replaced = 0;
    std::string text = oneLine(windows1252FromUtf8(event.summary, replaced));
    if (replaced > 0) {
        differences.push_back(std::to_string(replaced) +
                              " Zeichen außerhalb von Windows-1252 durch \"?\" ersetzt");
    }
    constexpr std::size_t MOST_CHARS = 63;
    if (text.size() > MOST_CHARS) {
        text.resize(MOST_CHARS);
        differences.push_back("Text nach 63 Zeichen abgeschnitten");
    }
    return text;
}

// The text of an event and the zone of its start, with the event described for its notes;
// nullptr, and a note, for an event without a start.
const Zone* Planner::begin(const IcalEvent& event, std::string& text,
                           std::vector<std::string>& differences) {
    text = textOf(event, differences);
    describe(text);
    if (!event.start) {
        note("ohne gültigen Beginn: übersprungen", true);
        return nullptr;
    }
    bool unknown = false;
    const Zone& zone = zones_.of(*event.start, unknown);
    if (unknown) {
        differences.push_back("Zeitzone \"" + event.start->zone +
                              "\" unbekannt: als hiesige Zeit gelesen");
    }
    describe(text, localWall(zone, event.start->wall), !event.start->isDate);
    return &zone;
}

std::optional<WallTime> Planner::wallIn(const Zone& zone, const IcalTime& time) {
    if (time.isDate || (time.zone.empty() && !time.utc)) {
        return time.wall;
    }
    bool unknown = false;
    const auto moment = momentOf(zones_.of(time, unknown), time.wall);
    return moment ? wallAt(zone, *moment) : std::nullopt;
}

void Planner::add(TimeValue moment, const std::string& text, Recurrence rule, AppointmentId id,
                  const std::vector<std::string>& differences) {
    if (moment < earliestAlarmTime() || moment > latestAlarmTime()) {
        note("liegt nach 2099: übersprungen", true);
        return;
    }
    planned_.push_back({moment, text, rule, id});
    for (const std::string& difference : differences) {
        note(difference, false);
    }
}

void Planner::planSeries(const IcalEvent& event, const Zone& zone, WallTime start,
                         const Exceptions& exceptions, std::vector<std::string> differences,
                         const std::string& text, AppointmentId id) {
    const auto rule = parseRecurrenceRule(event.rule);
    const auto nowWall = wallAt(zone, settings_.now);
    if (!rule || !nowWall) {
        const auto moment = momentOf(zone, start);
        if (moment && *moment > settings_.now) {
            differences.push_back("Regel unlesbar: nur der erste Termin übernommen");
            add(*moment, text, {}, id, differences);
        } else {
            note("Regel unlesbar: übersprungen", true);
        }
        return;
    }
    std::optional<WallTime> until;
    if (rule->until) {
        until = rule->until->isDate ? rule->until->wall + SECONDS_PER_DAY - 1
                                    : wallIn(zone, *rule->until).value_or(rule->until->wall);
    }
    // The next occurrence that takes place, and whether another one follows. An excluded
    // occurrence (EXDATE, RECURRENCE-ID) before it is passed over as skipping one passes
    // it: COUNT counts it, so the series goes on with what is left after it.
    RuleOccurrences occurrences(*rule, start, until, *nowWall - 2 * SECONDS_PER_DAY, budget_);
    std::optional<WallTime> first;
    std::optional<TimeValue> firstMoment;
    std::uint32_t before = 0; // occurrences of the rule before `first`
    bool more = false;
    for (int passed = 0; passed < MOST_PASSED_OVER;) {
        const auto occurrence = occurrences.next();
        if (!occurrence) {
            break;
        }
        if (exceptions.covers(*occurrence)) {
            ++passed;
            continue;
        }
        if (first) {
            more = true;
            break;
        }
        const auto moment = momentOf(zone, *occurrence);
        if (moment && *moment > settings_.now) {
            first = occurrence;
            firstMoment = moment;
            before = occurrences.counted() - 1;
        }
    }
    if (!first) {
        if (occurrences.exhausted()) {
            note("Regel zu aufwendig: übersprungen", true);
        } else {
            ++past;
        }
        return;
    }
    describe(text, wallAt(systemZone(), *firstMoment).value_or(*first));
    const auto localDateTime = [](WallTime wall) {
        const CivilTime c = civilOf(wall);
        return LocalDateTime{c.year, c.month, c.day, c.hour, c.minute};
    };
    RRuleReading reading = readRRule(event.rule, localDateTime(*first), static_cast<int>(before));
    // A zone whose clock differs from the PC's: the series is set at the PC's time of its
    // next occurrence, and its weekdays follow where that is another day.
    const bool sameClock = zones_.keepsLocalClock(zone);
    if (!sameClock && reading.rule) {
        const WallTime here = wallAt(systemZone(), *firstMoment).value_or(*first);
        reading.rule = inOtherZone(*reading.rule, static_cast<int>(dayOf(here) - dayOf(*first)),
                                   localDateTime(here));
    }
    // The rule must fall on the next occurrence; where it does not, the shift of the days
    // cannot be said, or the series starts (DTSTART) off its rule.
    if (reading.reason.empty() &&
        (!reading.rule || firstAlarmTime(*reading.rule, *firstMoment) != *firstMoment)) {
        reading.rule.reset();
        reading.reason = sameClock ? "Beginn (DTSTART) außerhalb der Regel"
                                   : "in einer anderen Zeitzone an anderen Tagen";
    }
    const auto later = std::count_if(exceptions.times.begin(), exceptions.times.end(),
                                     [&](WallTime t) { return t > *first; }) +
                       std::count_if(exceptions.days.begin(), exceptions.days.end(),
                                     [&](std::int64_t d) { return d > dayOf(*first); });
    if (!more && (!reading.rule || later > 0 || !reading.differences.empty())) {
        add(*firstMoment, text, {}, id, differences); // its last occurrence: exactly a one-off
        return;
    }
    if (!reading.rule) {
        differences.push_back(reading.reason + ": nur der nächste Termin übernommen");
        add(*firstMoment, text, {}, id, differences);
        return;
    }
    differences.insert(differences.end(), reading.differences.begin(), reading.differences.end());
    if (event.ruleCount > 1) {
        differences.push_back("weitere Regeln (RRULE) nicht übernommen");
    }
    if (event.extraDates) {
        differences.push_back("zusätzliche Termine (RDATE) nicht übernommen");
    }
    if (later > 0) {
        differences.push_back(std::to_string(later) +
                              " spätere Ausnahme(n) nicht übernommen: die Serie erinnert dort "
                              "trotzdem");
    }
    if (!sameClock) {
        differences.push_back("in einer anderen Zeitzone: Uhrzeit nach hiesiger Zeit, die sich "
                              "bei Zeitumstellungen verschieben kann");
    }
    add(*firstMoment, text, *reading.rule, id, differences);
}

void Planner::planMaster(const IcalEvent& event, const std::vector<const IcalEvent*>& overrides) {
    std::vector<std::string> differences;
    std::string text;
    const Zone* found = begin(event, text, differences);
    if (found == nullptr) {
        return;
    }
    const Zone& zone = *found;
    if (event.cancelled) {
        note("abgesagt: übersprungen", true);
        return;
    }
    WallTime start = event.start->wall;
    if (event.start->isDate) {
        // All day: at the chosen time, or at the time of its alarm on that day.
        std::int64_t at = settings_.allDayMinute * 60;
        if (event.alarm && !event.alarm->at) {
            const std::int64_t end =
                event.end && event.end->isDate ? event.end->wall - start : SECONDS_PER_DAY;
            const std::int64_t alarm = event.alarm->offset + (event.alarm->fromEnd ? end : 0);
            const std::int64_t inDay =
                (alarm % SECONDS_PER_DAY + SECONDS_PER_DAY) % SECONDS_PER_DAY;
            at = event.rule.empty() ? alarm : inDay;
            if (!event.rule.empty() && inDay != alarm) {
                differences.push_back("Erinnerung an einem anderen Tag: hier am Tag selbst um " +
                                      wallText(inDay, true).substr(11));
            }
        } else if (event.alarm && event.alarm->at && event.rule.empty()) {
            at = event.alarm->at->wall - start; // a moment: taken below as it is
        }
        start += at;
    }
    if (!event.rule.empty()) {
        Exceptions exceptions;
        for (const IcalTime& t : event.exceptions) {
            if (t.isDate) {
                exceptions.days.push_back(dayOf(t.wall));
            } else if (const auto wall = wallIn(zone, t)) {
                exceptions.times.push_back(*wall);
            }
        }
        for (const IcalEvent* instance : overrides) {
            if (const auto wall = wallIn(zone, *instance->recurrenceId)) {
                (instance->recurrenceId->isDate ? exceptions.days : exceptions.times)
                    .push_back(instance->recurrenceId->isDate ? dayOf(*wall) : *wall);
            }
        }
        planSeries(event, zone, start, exceptions, differences, text, eventIdentity(event));
        return;
    }
    std::optional<TimeValue> moment;
    if (event.start->isDate && event.alarm && event.alarm->at) {
        moment = event.alarm->at->wall; // VALUE=DATE-TIME in UTC
    } else {
        moment = momentOf(zone, start);
    }
    if (!moment || *moment <= settings_.now) {
        ++past;
        return;
    }
    add(*moment, text, {}, eventIdentity(event), differences);
}

void Planner::planOverride(const IcalEvent& event) {
    IcalEvent single = event;
    single.rule.clear();
    const std::string instance = icalDateTime(event.recurrenceId->wall, event.recurrenceId->utc);
    if (event.cancelled) {
        return; // the series' occurrence it names does not take place, and that is all
    }
    std::vector<std::string> differences;
    std::string text;
    const Zone* zone = begin(single, text, differences);
    if (zone == nullptr) {
        return;
    }
    WallTime start = single.start->wall + (single.start->isDate ? settings_.allDayMinute * 60 : 0);
    const auto moment = momentOf(*zone, start);
    if (!moment || *moment <= settings_.now) {
        ++past;
        return;
    }
    describe(text, localWall(*zone, start));
    add(*moment, text, {}, identityOfUid(event.uid, instance), differences);
}

std::vector<Appointment> Planner::plan() {
    // The events of one UID: the series (or single event) and its changed occurrences.
    std::unordered_map<std::string_view, std::vector<const IcalEvent*>> overridesOf;
    std::unordered_map<std::string_view, const IcalEvent*> masterOf;
    for (const IcalEvent& event : calendar_.events) {
        if (event.recurrenceId) {
            overridesOf[event.uid].push_back(&event);
        } else if (!event.uid.empty()) {
            masterOf.emplace(event.uid, &event);
        }
    }
    for (const IcalEvent& event : calendar_.events) {
        if (event.recurrenceId) {
            if (!event.uid.empty() && masterOf.contains(event.uid)) {
                planOverride(event);
            } else {
                IcalEvent alone = event;
                alone.recurrenceId.reset();
                planMaster(alone, {});
            }
            continue;
        }
        if (!event.uid.empty() && masterOf.at(event.uid) != &event) {
            describe(event.summary.empty() ? "(ohne Text)" : oneLine(event.summary));
            note("UID doppelt: übersprungen", true);
            continue;
        }
        const auto overrides = overridesOf.find(event.uid);
        planMaster(event, overrides == overridesOf.end() || event.uid.empty()
                              ? std::vector<const IcalEvent*>{}
                              : overrides->second);
    }
    return std::move(planned_);
}

struct ContentKey {
    TimeValue time;
    std::string_view text;
    Recurrence rule;
    auto operator<=>(const ContentKey&) const = default;
};

} // namespace

std::string uidOf(AppointmentId id) {
    char digits[ID_DIGITS + 1];
    std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(id));
    return digits + std::string(UID_DOMAIN);
}

AppointmentId identityOfUid(std::string_view uid, std::string_view instance) {
    if (instance.empty() && uid.size() == ID_DIGITS + UID_DOMAIN.size() &&
        uid.ends_with(UID_DOMAIN)) {
        AppointmentId id = NO_ID;
        const char* end = uid.data() + ID_DIGITS;
        if (std::from_chars(uid.data(), end, id, 16).ptr == end && id != NO_ID) {
            return id;
        }
    }
    return derivedAppointmentId(uid, instance, UID_TAG, 0);
}

ImportPlan planImport(const IcalCalendar& calendar, const std::vector<Appointment>& current,
                      const ImportSettings& settings) {
    Planner planner(calendar, settings);
    std::vector<Appointment> planned = planner.plan();
    ImportPlan plan;
    plan.notes = std::move(planner.notes);
    plan.past = planner.past;
    if (calendar.isCalendar && !calendar.complete) {
        plan.notes.insert(
            plan.notes.begin(),
            {"Die Datei", "endet vor END:VCALENDAR: nur die ganzen Termine gelesen", false});
    }

    constexpr std::size_t MOST_CHARS = 63;
    std::unordered_map<AppointmentId, std::size_t> byId;
    std::map<ContentKey, std::vector<std::size_t>> byContent;
    for (std::size_t i = 0; i < current.size(); ++i) {
        byId.emplace(current[i].id, i);
        const Appointment& a = current[i];
        byContent[{a.alarmTime, std::string_view(a.text).substr(0, MOST_CHARS), a.recurrence}]
            .push_back(i);
    }
    std::vector<bool> taken(current.size(), false);
    std::unordered_set<AppointmentId> plannedIds;
    for (Appointment& a : planned) {
        if (!plannedIds.insert(a.id).second) {
            plan.notes.push_back({a.text, "zweimal in der Datei: übersprungen", true});
            continue;
        }
        const auto known = byId.find(a.id);
        if (a.id != NO_ID && known != byId.end() && !taken[known->second]) {
            const Appointment& was = current[known->second];
            taken[known->second] = true;
            if (was.alarmTime == a.alarmTime && was.recurrence == a.recurrence &&
                std::string_view(was.text).substr(0, MOST_CHARS) == a.text) {
                ++plan.unchanged;
            } else {
                plan.updated.emplace_back(known->second, std::move(a));
            }
            continue;
        }
        auto alike = byContent.find({a.alarmTime, a.text, a.recurrence});
        const auto free = alike == byContent.end() ? nullptr : [&]() -> const std::size_t* {
            for (const std::size_t& i : alike->second) {
                if (!taken[i]) {
                    return &i;
                }
            }
            return nullptr;
        }();
        if (free != nullptr) {
            taken[*free] = true;
            ++plan.unchanged;
            continue;
        }
        plan.added.push_back(std::move(a));
    }
    return plan;
}
