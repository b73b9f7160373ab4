// Wall-clock times, durations and zones of iCalendar files.
#include "store/ical/ical_time.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "core/calendar.h"
#include "store/ical/ical_rule.h"

namespace {

namespace chr = std::chrono;

// How far around a wall time the zone's offsets are looked up: beyond any change of
// offset on that day, and too near for a second change to fall in between.
constexpr std::int64_t OFFSET_PROBE = 2 * SECONDS_PER_DAY;
// A zone's changes are worked out for these years; before them the first offset holds.
constexpr int FIRST_ZONE_YEAR = 1900;
constexpr int LAST_ZONE_YEAR = 2200;
// No zone changes its clock more often than this (a damaged definition could ask for
// one change a day for centuries).
constexpr std::size_t MOST_CHANGES = 4000;

std::optional<int> digits(std::string_view text) {
    int value = 0;
    if (text.empty()) {
        return std::nullopt;
    }
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

class UtcZone final : public Zone {
  public:
    std::optional<int> offsetAt(TimeValue) const override { return 0; }
};

class SystemZone final : public Zone {
  public:
    std::optional<int> offsetAt(TimeValue moment) const override {
        std::tm local{};
        if (!timeToLocal(moment, local)) {
            return std::nullopt;
        }
        const WallTime wall = wallOf({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                      local.tm_hour, local.tm_min, local.tm_sec});
        return static_cast<int>(wall - moment);
    }
};

struct Change {
    TimeValue at;
    int from;
    int to;
};

class DefinedZone final : public Zone {
  public:
    explicit DefinedZone(std::vector<Change> changes) : changes_(std::move(changes)) {}
    std::optional<int> offsetAt(TimeValue moment) const override {
        const auto after = std::upper_bound(changes_.begin(), changes_.end(), moment,
                                            [](TimeValue t, const Change& c) { return t < c.at; });
        return after == changes_.begin() ? after->from : std::prev(after)->to;
    }

  private:
    std::vector<Change> changes_; // ascending, never empty
};

} // namespace

WallTime wallOf(const CivilTime& civil) {
    const chr::sys_days date =
        chr::year{civil.year} / chr::month{static_cast<unsigned>(civil.month)} / chr::day{1};
    return (static_cast<std::int64_t>(date.time_since_epoch().count()) + civil.day - 1) *
               SECONDS_PER_DAY +
           civil.hour * 3600 + civil.minute * 60 + civil.second;
}

std::int64_t dayOf(WallTime wall) {
    return wall >= 0 ? wall / SECONDS_PER_DAY : -((-wall + SECONDS_PER_DAY - 1) / SECONDS_PER_DAY);
}

CivilTime civilOf(WallTime wall) {
    const std::int64_t day = dayOf(wall);
    const chr::year_month_day date{chr::sys_days{chr::days{day}}};
    const auto rest = static_cast<int>(wall - day * SECONDS_PER_DAY);
    return {static_cast<int>(date.year()),
            static_cast<int>(static_cast<unsigned>(date.month())),
            static_cast<int>(static_cast<unsigned>(date.day())),
            rest / 3600,
            rest / 60 % 60,
            rest % 60};
}

int weekdayOf(WallTime wall) {
    return static_cast<int>(chr::weekday{chr::sys_days{chr::days{dayOf(wall)}}}.c_encoding());
}

std::optional<IcalTime> readIcalTime(std::string_view value) {
    IcalTime time;
    time.isDate = value.size() == 8;
    time.utc = value.size() == 16 && value.back() == 'Z';
    if (!time.isDate && (value.size() < 15 || value.size() > 16 || value[8] != 'T' ||
                         (value.size() == 16 && !time.utc))) {
        return std::nullopt;
    }
    const auto year = digits(value.substr(0, 4));
    const auto month = digits(value.substr(4, 2));
    const auto day = digits(value.substr(6, 2));
    const auto hour = time.isDate ? 0 : digits(value.substr(9, 2));
    const auto minute = time.isDate ? 0 : digits(value.substr(11, 2));
    const auto second = time.isDate ? 0 : digits(value.substr(13, 2));
    if (!year || !month || !day || !hour || !minute || !second || *hour > 23 || *minute > 59 ||
        *second > 60) {
        return std::nullopt;
    }
    const chr::year_month_day date{chr::year{*year}, chr::month{static_cast<unsigned>(*month)},
                                   chr::day{static_cast<unsigned>(*day)}};
    if (!date.ok()) {
        return std::nullopt;
    }
    time.wall = wallOf({*year, *month, *day, *hour, *minute, std::min(*second, 59)});
    return time;
}

std::string icalDate(WallTime wall) {
    const CivilTime c = civilOf(wall);
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d%02d", c.year, c.month, c.day);
    return text;
}

std::string icalDateTime(WallTime wall, bool utc) {
    const CivilTime c = civilOf(wall);
    char text[48];
    std::snprintf(text, sizeof text, "%04d%02d%02dT%02d%02d%02d%s", c.year, c.month, c.day, c.hour,
                  c.minute, c.second, utc ? "Z" : "");
    return text;
}

std::optional<std::int64_t> readDuration(std::string_view value) {
    std::int64_t sign = 1;
    if (!value.empty() && (value.front() == '+' || value.front() == '-')) {
        sign = value.front() == '-' ? -1 : 1;
        value.remove_prefix(1);
    }
    if (value.empty() || value.front() != 'P') {
        return std::nullopt;
    }
    value.remove_prefix(1);
    std::int64_t total = 0;
    bool inTime = false;
    bool any = false;
    while (!value.empty()) {
        if (value.front() == 'T' && !inTime) {
            inTime = true;
            value.remove_prefix(1);
            continue;
        }
        std::size_t length = 0;
        while (length < value.size() && length < 9 && value[length] >= '0' &&
               value[length] <= '9') {
            ++length;
        }
        const auto number = digits(value.substr(0, length));
        if (!number || length == value.size()) {
            return std::nullopt;
        }
        const char unit = value[length];
        const std::int64_t seconds = !inTime && unit == 'W'   ? 7 * SECONDS_PER_DAY
                                     : !inTime && unit == 'D' ? SECONDS_PER_DAY
                                     : inTime && unit == 'H'  ? 3600
                                     : inTime && unit == 'M'  ? 60
                                     : inTime && unit == 'S'  ? 1
                                                              : 0;
        if (seconds == 0) {
            return std::nullopt;
        }
        total += *number * seconds;
        any = true;
        value.remove_prefix(length + 1);
    }
    return any ? std::optional<std::int64_t>{sign * total} : std::nullopt;
}

std::optional<int> readUtcOffset(std::string_view value) {
    if ((value.size() != 5 && value.size() != 7) || (value[0] != '+' && value[0] != '-')) {
        return std::nullopt;
    }
    const auto hours = digits(value.substr(1, 2));
    const auto minutes = digits(value.substr(3, 2));
    const auto seconds = value.size() == 7 ? digits(value.substr(5, 2)) : 0;
    if (!hours || !minutes || !seconds || *hours > 23 || *minutes > 59 || *seconds > 59) {
        return std::nullopt;
    }
    const int total = *hours * 3600 + *minutes * 60 + *seconds;
    return value[0] == '-' ? -total : total;
}

std::string utcOffsetText(int seconds) {
    const int magnitude = seconds < 0 ? -seconds : seconds;
    char text[16];
    if (magnitude % 60 != 0) {
        std::snprintf(text, sizeof text, "%c%02d%02d%02d", seconds < 0 ? '-' : '+',
                      magnitude / 3600, magnitude / 60 % 60, magnitude % 60);
    } else {
        std::snprintf(text, sizeof text, "%c%02d%02d", seconds < 0 ? '-' : '+', magnitude / 3600,
                      magnitude / 60 % 60);
    }
    return text;
}

std::optional<TimeValue> momentOf(const Zone& zone, WallTime wall) {
    const auto before = zone.offsetAt(wall - OFFSET_PROBE);
    const auto after = zone.offsetAt(wall + OFFSET_PROBE);
    if (!before || !after) {
        return std::nullopt;
    }
    const auto names = [&](int offset) { return zone.offsetAt(wall - offset) == offset; };
    const bool beforeNames = names(*before);
    const bool afterNames = names(*after);
    if (beforeNames && afterNames) {
        return wall - std::max(*before, *after);
    }
    return afterNames ? wall - *after : wall - *before;
}

std::optional<WallTime> wallAt(const Zone& zone, TimeValue moment) {
    const auto offset = zone.offsetAt(moment);
    return offset ? std::optional<WallTime>{moment + *offset} : std::nullopt;
}

const Zone& utcZone() {
    static const UtcZone zone;
    return zone;
}

const Zone& systemZone() {
    static const SystemZone zone;
    return zone;
}

bool sameClock(const Zone& a, const Zone& b, TimeValue from) {
    constexpr int DAYS = 2 * 366;
    for (int day = 0; day <= DAYS; ++day) {
        const TimeValue moment = from + day * SECONDS_PER_DAY;
        if (a.offsetAt(moment) != b.offsetAt(moment)) {
            return false;
        }
    }
    return true;
}

std::unique_ptr<Zone> definedZone(const std::vector<Observance>& observances) {
    std::vector<Change> changes;
    RuleBudget budget;
    for (const Observance& o : observances) {
        const auto add = [&](WallTime onset) {
            if (changes.size() < MOST_CHANGES) {
                changes.push_back({onset - o.offsetFrom, o.offsetFrom, o.offsetTo});
            }
        };
        add(o.start);
        for (const WallTime date : o.dates) {
            add(date);
        }
        const auto rule = parseRecurrenceRule(o.rule);
        if (o.rule.empty() || !rule) {
            continue;
        }
        // An UNTIL in UTC names the last onset's moment.
        std::optional<WallTime> until;
        if (rule->until) {
            until = rule->until->wall + (rule->until->utc ? o.offsetFrom : 0);
        }
        RuleOccurrences onsets(*rule, o.start, until, wallOf({FIRST_ZONE_YEAR, 1, 1}), budget);
        while (const auto onset = onsets.next()) {
            if (*onset >= wallOf({LAST_ZONE_YEAR, 1, 1}) || changes.size() >= MOST_CHANGES) {
                break;
            }
            add(*onset);
        }
    }
    if (changes.empty()) {
        return nullptr;
    }
    std::stable_sort(changes.begin(), changes.end(),
                     [](const Change& x, const Change& y) { return x.at < y.at; });
    return std::make_unique<DefinedZone>(std::move(changes));
}

namespace {

// The moment within (low, high] at which the zone's offset stops being that at `low`.
TimeValue changeBetween(const Zone& zone, TimeValue low, TimeValue high) {
    const auto first = zone.offsetAt(low);
    while (high - low > 1) {
        const TimeValue middle = low + (high - low) / 2;
        (zone.offsetAt(middle) == first ? low : high) = middle;
    }
    return high;
}

// The change of the year that leads to `to`, as the C library has it: its wall time in
// the offset before it.
struct FoundChange {
    WallTime wall = 0;
    int from = 0;
    int to = 0;
};

std::vector<FoundChange> changesOfYear(const Zone& zone, int year) {
    std::vector<FoundChange> found;
    TimeValue day = wallOf({year, 1, 1});
    const TimeValue end = wallOf({year + 1, 1, 1});
    auto offset = zone.offsetAt(day);
    for (; offset && day < end; day += SECONDS_PER_DAY) {
        const auto next = zone.offsetAt(day + SECONDS_PER_DAY);
        if (next && *next != *offset) {
            const TimeValue at = changeBetween(zone, day, day + SECONDS_PER_DAY);
            found.push_back({at + *offset, *offset, *next});
        }
        offset = next;
    }
    return found;
}

std::optional<ZoneChange> describe(WallTime wall, const std::vector<WallTime>& sameInOtherYears) {
    const CivilTime civil = civilOf(wall);
    ZoneChange change{civil.month, 0, weekdayOf(wall), civil.hour * 60 + civil.minute};
    // The nth weekday, or the last one, that every year agrees with.
    for (const int week : {1, 2, 3, 4, -1}) {
        change.week = week;
        bool fits = true;
        for (const WallTime other : sameInOtherYears) {
            const CivilTime c = civilOf(other);
            fits = fits && ruleDay(c.year, change) == c.day && c.month == change.month &&
                   weekdayOf(other) == change.weekday &&
                   c.hour * 60 + c.minute == change.minuteOfDay;
        }
        if (fits) {
            return change;
        }
    }
    return std::nullopt;
}

} // namespace

int ruleDay(int year, const ZoneChange& change) {
    const WallTime first = wallOf({year, change.month, 1});
    const int firstWeekday = weekdayOf(first);
    const int firstMatch = 1 + (change.weekday - firstWeekday + 7) % 7;
    if (change.week > 0) {
        return firstMatch + 7 * (change.week - 1);
    }
    const int days = static_cast<int>(static_cast<unsigned>(
        (chr::year{year} / chr::month{static_cast<unsigned>(change.month)} / chr::last).day()));
    return firstMatch + 7 * ((days - firstMatch) / 7);
}

std::optional<ZoneRules> systemZoneRules(TimeValue now) {
    const Zone& zone = systemZone();
    const auto offset = zone.offsetAt(now);
    if (!offset) {
        return std::nullopt;
    }
    const int year = civilOf(now + *offset).year;
    // Several years, so that the nth weekday and the last one tell apart.
    constexpr int YEARS = 7;
    std::vector<std::vector<FoundChange>> years;
    for (int y = year; y < year + YEARS; ++y) {
        years.push_back(changesOfYear(zone, y));
        if (years.back().size() != years.front().size()) {
            return std::nullopt;
        }
    }
    ZoneRules rules;
    if (years.front().empty()) {
        rules.standardOffset = *offset;
        return rules;
    }
    if (years.front().size() != 2) {
        return std::nullopt;
    }
    // The later clock is daylight-saving time.
    for (std::size_t i = 0; i < 2; ++i) {
        const FoundChange& first = years.front()[i];
        std::vector<WallTime> all;
        for (const auto& y : years) {
            if (y[i].from != first.from || y[i].to != first.to) {
                return std::nullopt;
            }
            all.push_back(y[i].wall);
        }
        const auto change = describe(first.wall, all);
        if (!change) {
            return std::nullopt;
        }
        if (first.to > first.from) {
            rules.toDaylight = *change;
            rules.daylightOffset = first.to;
        } else {
            rules.toStandard = *change;
            rules.standardOffset = first.to;
        }
    }
    if (!rules.daylightOffset || rules.toStandard.month == 0) {
        return std::nullopt;
    }
    return rules;
}
