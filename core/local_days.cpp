// Local calendar dates and the moments they name.
#include "core/local_days.h"

#include <algorithm>
#include <ctime>

#include "core/calendar.h"

namespace chr = std::chrono;

namespace {

constexpr TimeValue SECONDS_PER_DAY = 86400;
// How far before and after a wall-clock time the zone's offsets are looked up:
// beyond any change of offset that happens on that day, and too near for a
// second change to fall in between.
constexpr TimeValue OFFSET_PROBE = 2 * SECONDS_PER_DAY;

// The wall-clock time counted in seconds as if local time were UTC.
TimeValue wallSeconds(Day date, int hour, int minute) {
    return static_cast<TimeValue>(date.time_since_epoch().count()) * SECONDS_PER_DAY + hour * 3600 +
           minute * 60;
}

// How far local time is ahead of UTC at a moment.
std::optional<TimeValue> utcOffset(TimeValue time) {
    const auto wall = wallOf(time);
    if (!wall) {
        return std::nullopt;
    }
    return wallSeconds(wall->date, wall->hour, wall->minute) + wall->second - time;
}

} // namespace

Day dateOf(int year, int month, int day) {
    return Day{chr::year{year} / chr::month{static_cast<unsigned>(month)} / 1} + chr::days{day - 1};
}

int weekdayOf(Day date) {
    return static_cast<int>(chr::weekday{date}.c_encoding());
}

std::optional<Wall> wallOf(TimeValue time) {
    std::tm local{};
    if (!timeToLocal(time, local)) {
        return std::nullopt;
    }
    return Wall{dateOf(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday), local.tm_hour,
                local.tm_min, local.tm_sec};
}

std::optional<TimeValue> momentOf(Day date, int hour, int minute) {
    const TimeValue wall = wallSeconds(date, hour, minute);
    const auto before = utcOffset(wall - OFFSET_PROBE);
    const auto after = utcOffset(wall + OFFSET_PROBE);
    if (!before || !after) {
        return std::nullopt;
    }
    const auto names = [wall](TimeValue offset) { return utcOffset(wall - offset) == offset; };
    const bool beforeNames = names(*before);
    const bool afterNames = names(*after);
    if (beforeNames && afterNames) {
        return wall - std::max(*before, *after);
    }
    return afterNames ? wall - *after : wall - *before;
}

std::optional<Day> occurrenceDate(TimeValue time, int hour, int minute) {
    const auto wall = wallOf(time);
    if (!wall) {
        return std::nullopt;
    }
    const Day dayBefore = wall->date - chr::days{1};
    if (momentOf(wall->date, hour, minute) != time && momentOf(dayBefore, hour, minute) == time) {
        return dayBefore;
    }
    return wall->date;
}

std::uint32_t dateNumber(Day date) {
    const chr::year_month_day ymd{date};
    return static_cast<std::uint32_t>(static_cast<int>(ymd.year()) * 10000 +
                                      static_cast<int>(static_cast<unsigned>(ymd.month())) * 100 +
                                      static_cast<int>(static_cast<unsigned>(ymd.day())));
}

std::optional<Day> dayOfDateNumber(std::uint32_t value) {
    const chr::year_month_day ymd{chr::year{static_cast<int>(value / 10000)},
                                  chr::month{value / 100 % 100}, chr::day{value % 100}};
    if (!ymd.ok() || ymd.year() < chr::year{2000} || ymd.year() > chr::year{2099}) {
        return std::nullopt;
    }
    return Day{ymd};
}

std::string weekdayList(std::uint8_t days, const std::array<std::string_view, 7>& names) {
    std::string list;
    for (int fromMonday = 0; fromMonday < 7; ++fromMonday) {
        const int day = (fromMonday + 1) % 7;
        if (days & (1u << day)) {
            list += list.empty() ? "" : ",";
            list += names[static_cast<std::size_t>(day)];
        }
    }
    return list;
}
