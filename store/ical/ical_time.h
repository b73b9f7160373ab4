// Times of iCalendar files: wall-clock times as they are written, the zones that turn
// them into moments (a VTIMEZONE definition, the PC's own zone, UTC), and durations.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/time_value.h"

// A wall-clock time counted in seconds as if it were UTC: 1970-01-01 00:00:00 is 0.
// Calendar arithmetic on it needs no zone.
using WallTime = std::int64_t;

constexpr std::int64_t SECONDS_PER_DAY = 86400;

struct CivilTime {
    int year = 0;
    int month = 0; // 1-12
    int day = 0;   // 1-31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

WallTime wallOf(const CivilTime& civil);
CivilTime civilOf(WallTime wall);
// The days since 1970-01-01 of a wall time (rounded down) and its day of the week (0 = Sunday).
std::int64_t dayOf(WallTime wall);
int weekdayOf(WallTime wall);

// A DATE or DATE-TIME value as written: "20261207", "20261207T153000" or "...Z".
struct IcalTime {
    WallTime wall = 0;
    bool isDate = false;
    bool utc = false;
    std::string zone; // the TZID parameter; empty for UTC and floating times
};

// Reads "YYYYMMDD" (a date) or "YYYYMMDDTHHMMSS" with an optional "Z"; none when the
// value is no such date or time.
std::optional<IcalTime> readIcalTime(std::string_view value);
// "YYYYMMDD", or "YYYYMMDDTHHMMSS" with "Z" when `utc`.
std::string icalDate(WallTime wall);
std::string icalDateTime(WallTime wall, bool utc);

// "[+-]P[nW][nD][T[nH][nM][nS]]" in seconds.
std::optional<std::int64_t> readDuration(std::string_view value);
// "+HHMM" or "+HHMMSS" in seconds east of UTC.
std::optional<int> readUtcOffset(std::string_view value);
std::string utcOffsetText(int seconds);

// A zone: how far its wall clock is ahead of UTC at a moment.
class Zone {
  public:
    virtual ~Zone() = default;
    virtual std::optional<int> offsetAt(TimeValue moment) const = 0;
};

// The moment a wall-clock time of the zone names. Of a time the clock shows twice, the
// first; a time the clock skips is read with the offset before the change (02:30 is
// 03:30 when 02:00 jumps to 03:00), as iCalendar and the program's own series read them.
std::optional<TimeValue> momentOf(const Zone& zone, WallTime wall);
// The wall-clock time of a moment in the zone.
std::optional<WallTime> wallAt(const Zone& zone, TimeValue moment);

// UTC, and the PC's own zone as the C library has it.
const Zone& utcZone();
const Zone& systemZone();

// Whether two zones keep the same clock from `from` for about two years: then a series
// set in one repeats at the same wall-clock time in the other.
bool sameClock(const Zone& a, const Zone& b, TimeValue from);

// One part (STANDARD or DAYLIGHT) of a VTIMEZONE: from its start on, and at every onset
// of its rule or its RDATEs, the clock goes from offsetFrom to offsetTo. Onsets are wall
// times in offsetFrom.
struct Observance {
    WallTime start = 0;
    int offsetFrom = 0;
    int offsetTo = 0;
    std::string rule; // the RRULE value, empty for none
    std::vector<WallTime> dates;
};

// A zone as a VTIMEZONE defines it; none when no observance can be used.
std::unique_ptr<Zone> definedZone(const std::vector<Observance>& observances);

// The rules of a zone that changes its clock the same way every year, as Windows keeps
// them: the change to daylight-saving time and back, each on the nth (or last, -1)
// weekday of a month at a wall-clock time before the change.
struct ZoneChange {
    int month = 0;
    int week = 0;    // 1-4, or -1 for the last
    int weekday = 0; // 0 = Sunday
    int minuteOfDay = 0;
};
struct ZoneRules {
    std::string name;
    int standardOffset = 0; // seconds east of UTC
    std::optional<int> daylightOffset;
    ZoneChange toDaylight;
    ZoneChange toStandard;
};

// The day of the month a change falls on in a year.
int ruleDay(int year, const ZoneChange& change);

// The rules of the PC's zone as the C library applies them around `now`; none when the
// clock changes in ways such rules cannot say (then times are written without a zone).
std::optional<ZoneRules> systemZoneRules(TimeValue now);
