// RRULE: read and expanded period by period.
#include "store/ical/ical_rule.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>

#include "store/ical/ical_text.h"

namespace {

namespace chr = std::chrono;

constexpr std::array<std::string_view, 7> WEEKDAY_CODES{"SU", "MO", "TU", "WE", "TH", "FR", "SA"};
constexpr std::array<std::string_view, 7> FREQUENCY_NAMES{"SECONDLY", "MINUTELY", "HOURLY", "DAILY",
                                                          "WEEKLY",   "MONTHLY",  "YEARLY"};
// Occurrences end here at the latest: far beyond the program's last alarm time and the
// years a zone's changes are worked out for.
constexpr int LAST_YEAR = 2200;

std::optional<int> number(std::string_view text, int low, int high) {
    int value = 0;
    const char* end = text.data() + text.size();
    if (text.starts_with('+')) {
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 9 || std::from_chars(text.data(), end, value).ptr != end ||
        value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

std::optional<int> weekdayCode(std::string_view text) {
    for (std::size_t i = 0; i < WEEKDAY_CODES.size(); ++i) {
        if (sameName(text, WEEKDAY_CODES[i])) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

template <typename Read> bool readList(std::string_view value, Read read, char separator = ',') {
    if (value.empty()) {
        return false;
    }
    for (std::size_t start = 0;;) {
        const std::size_t comma = value.find(separator, start);
        if (!read(value.substr(start, comma - start))) {
            return false;
        }
        if (comma == std::string_view::npos) {
            return true;
        }
        start = comma + 1;
    }
}

bool readNumbers(std::string_view value, std::vector<int>& into, int limit) {
    into.clear();
    return readList(value, [&](std::string_view item) {
        const auto n = number(item, -limit, limit);
        if (!n || *n == 0) {
            return false;
        }
        into.push_back(*n);
        return true;
    });
}

int daysInMonth(int year, int month) {
    return static_cast<int>(static_cast<unsigned>(
        (chr::year{year} / chr::month{static_cast<unsigned>(month)} / chr::last).day()));
}

std::int64_t firstDayOfMonth(int year, int month) {
    return dayOf(wallOf({year, month, 1}));
}

bool contains(const std::vector<int>& list, int value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

bool weekdayListed(const std::vector<WeekdayNum>& days, int weekday) {
    return std::any_of(days.begin(), days.end(),
                       [weekday](const WeekdayNum& d) { return d.weekday == weekday; });
}

int weekdayOfDay(std::int64_t day) {
    return weekdayOf(day * SECONDS_PER_DAY);
}

// The days of [first, first + count) on the weekday with the ordinal (0: all of them).
void weekdaysIn(std::int64_t first, int count, const WeekdayNum& wanted,
                std::vector<std::int64_t>& out) {
    const int offset = (wanted.weekday - weekdayOfDay(first) + 7) % 7;
    const int matches = offset < count ? (count - 1 - offset) / 7 + 1 : 0;
    if (wanted.ordinal == 0) {
        for (int i = 0; i < matches; ++i) {
            out.push_back(first + offset + 7 * i);
        }
        return;
    }
    const int index = wanted.ordinal > 0 ? wanted.ordinal - 1 : matches + wanted.ordinal;
    if (index >= 0 && index < matches) {
        out.push_back(first + offset + 7 * index);
    }
}

} // namespace

std::optional<RecurrenceRule> parseRecurrenceRule(std::string_view value) {
    RecurrenceRule rule;
    bool frequency = false;
    bool fine = readList(
        value,
        [&](std::string_view part) {
            const std::size_t equals = part.find('=');
            if (equals == std::string_view::npos) {
                return part.empty(); // a trailing ';' splits off nothing
            }
            const std::string_view name = part.substr(0, equals);
            const std::string_view v = part.substr(equals + 1);
            if (sameName(name, "FREQ")) {
                const auto found = std::find_if(FREQUENCY_NAMES.begin(), FREQUENCY_NAMES.end(),
                                                [v](std::string_view f) { return sameName(f, v); });
                rule.frequency = static_cast<Frequency>(found - FREQUENCY_NAMES.begin());
                frequency = found != FREQUENCY_NAMES.end();
                return frequency;
            }
            if (sameName(name, "INTERVAL")) {
                const auto n = number(v, 1, 100000);
                rule.interval = n.value_or(1);
                return n.has_value();
            }
            if (sameName(name, "COUNT")) {
                const auto n = number(v, 1, 999999999);
                rule.count =
                    n ? std::optional<std::uint32_t>(static_cast<std::uint32_t>(*n)) : std::nullopt;
                return n.has_value();
            }
            if (sameName(name, "UNTIL")) {
                rule.until = readIcalTime(v);
                return rule.until.has_value();
            }
            if (sameName(name, "BYDAY")) {
                rule.byDay.clear();
                return readList(v, [&](std::string_view item) {
                    if (item.size() < 2) {
                        return false;
                    }
                    const auto weekday = weekdayCode(item.substr(item.size() - 2));
                    const std::string_view ordinal = item.substr(0, item.size() - 2);
                    const auto n =
                        ordinal.empty() ? std::optional<int>{0} : number(ordinal, -53, 53);
                    if (!weekday || !n || (!ordinal.empty() && *n == 0)) {
                        return false;
                    }
                    rule.byDay.push_back({*n, *weekday});
                    return true;
                });
            }
            if (sameName(name, "BYMONTHDAY")) {
                return readNumbers(v, rule.byMonthDay, 31);
            }
            if (sameName(name, "BYMONTH")) {
                return readNumbers(v, rule.byMonth, 12) &&
                       std::all_of(rule.byMonth.begin(), rule.byMonth.end(),
                                   [](int m) { return m > 0; });
            }
            if (sameName(name, "BYSETPOS")) {
                return readNumbers(v, rule.bySetPos, 366);
            }
            if (sameName(name, "WKST")) {
                const auto weekday = weekdayCode(v);
                rule.weekStart = weekday.value_or(1);
                return weekday.has_value();
            }
            rule.unsupported.emplace_back(name);
            return true;
        },
        ';');
    if (!fine || !frequency) {
        return std::nullopt;
    }
    return rule;
}

RuleOccurrences::RuleOccurrences(const RecurrenceRule& rule, WallTime start,
                                 std::optional<WallTime> until, WallTime from, RuleBudget& budget)
    : rule_(rule), start_(start), until_(until), budget_(budget) {
    if (rule.count || from <= start) {
        return;
    }
    const CivilTime a = civilOf(start);
    const CivilTime b = civilOf(from);
    std::int64_t units = 0;
    switch (rule.frequency) {
    case Frequency::Daily:
        units = dayOf(from) - dayOf(start);
        break;
    case Frequency::Weekly:
        units = (dayOf(from) - dayOf(start) + 7) / 7;
        break;
    case Frequency::Monthly:
        units = (b.year - a.year) * 12 + (b.month - a.month);
        break;
    case Frequency::Yearly:
        units = b.year - a.year;
        break;
    default:
        break;
    }
    period_ = std::max<std::int64_t>(0, units / rule.interval - 1);
    startGiven_ = period_ > 0;
}

void RuleOccurrences::fillPeriod() {
    const CivilTime first = civilOf(start_);
    const std::int64_t startDay = dayOf(start_);
    std::vector<std::int64_t> days;
    const auto monthDays = [&](int year, int month) {
        const std::int64_t day1 = firstDayOfMonth(year, month);
        const int length = daysInMonth(year, month);
        if (!rule_.byMonthDay.empty()) {
            for (const int d : rule_.byMonthDay) {
                const int day = d > 0 ? d : length + 1 + d;
                if (day >= 1 && day <= length &&
                    (rule_.byDay.empty() ||
                     weekdayListed(rule_.byDay, weekdayOfDay(day1 + day - 1)))) {
                    days.push_back(day1 + day - 1);
                }
            }
        } else if (!rule_.byDay.empty()) {
            for (const WeekdayNum& wanted : rule_.byDay) {
                weekdaysIn(day1, length, wanted, days);
            }
        } else if (first.day <= length) {
            days.push_back(day1 + first.day - 1);
        }
    };
    std::int64_t periodStart = 0;
    switch (rule_.frequency) {
    case Frequency::Daily: {
        const std::int64_t day = startDay + period_ * rule_.interval;
        periodStart = day;
        const CivilTime c = civilOf(day * SECONDS_PER_DAY);
        const bool monthDayFits =
            rule_.byMonthDay.empty() || contains(rule_.byMonthDay, c.day) ||
            contains(rule_.byMonthDay, c.day - daysInMonth(c.year, c.month) - 1);
        if ((rule_.byMonth.empty() || contains(rule_.byMonth, c.month)) && monthDayFits &&
            (rule_.byDay.empty() || weekdayListed(rule_.byDay, weekdayOfDay(day)))) {
            days.push_back(day);
        }
        break;
    }
    case Frequency::Weekly: {
        const std::int64_t weekStart = startDay -
                                       (weekdayOfDay(startDay) - rule_.weekStart + 7) % 7 +
                                       7 * period_ * rule_.interval;
        periodStart = weekStart;
        for (std::int64_t day = weekStart; day < weekStart + 7; ++day) {
            const bool listed = rule_.byDay.empty() ? weekdayOfDay(day) == weekdayOfDay(startDay)
                                                    : weekdayListed(rule_.byDay, weekdayOfDay(day));
            if (listed && (rule_.byMonth.empty() ||
                           contains(rule_.byMonth, civilOf(day * SECONDS_PER_DAY).month))) {
                days.push_back(day);
            }
        }
        break;
    }
    case Frequency::Monthly: {
        const std::int64_t index = first.year * 12LL + first.month - 1 + period_ * rule_.interval;
        const int year = static_cast<int>(index / 12);
        const int month = static_cast<int>(index % 12) + 1;
        periodStart = firstDayOfMonth(year, month);
        if (rule_.byMonth.empty() || contains(rule_.byMonth, month)) {
            monthDays(year, month);
        }
        break;
    }
    case Frequency::Yearly: {
        const int year = static_cast<int>(first.year + period_ * rule_.interval);
        periodStart = firstDayOfMonth(year, 1);
        if (rule_.byMonth.empty() && rule_.byMonthDay.empty() && !rule_.byDay.empty()) {
            const int length = static_cast<int>(firstDayOfMonth(year + 1, 1) - periodStart);
            for (const WeekdayNum& wanted : rule_.byDay) {
                weekdaysIn(periodStart, length, wanted, days);
            }
        } else if (!rule_.byMonth.empty()) {
            for (const int month : rule_.byMonth) {
                monthDays(year, month);
            }
        } else if (!rule_.byMonthDay.empty()) {
            for (int month = 1; month <= 12; ++month) {
                monthDays(year, month);
            }
        } else {
            monthDays(year, first.month);
        }
        break;
    }
    default:
        ended_ = true; // more often than daily: not expanded
        return;
    }
    if (periodStart > dayOf(wallOf({LAST_YEAR, 1, 1})) ||
        (until_ && periodStart * SECONDS_PER_DAY > *until_)) {
        ended_ = true;
        return;
    }
    std::sort(days.begin(), days.end());
    days.erase(std::unique(days.begin(), days.end()), days.end());
    if (!rule_.bySetPos.empty()) {
        std::vector<std::int64_t> chosen;
        const auto size = static_cast<int>(days.size());
        for (const int pos : rule_.bySetPos) {
            const int index = pos > 0 ? pos - 1 : size + pos;
            if (index >= 0 && index < size) {
                chosen.push_back(days[static_cast<std::size_t>(index)]);
            }
        }
        std::sort(chosen.begin(), chosen.end());
        chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
        days = std::move(chosen);
    }
    const WallTime timeOfDay = start_ - startDay * SECONDS_PER_DAY;
    for (auto day = days.rbegin(); day != days.rend(); ++day) {
        pending_.push_back(*day * SECONDS_PER_DAY + timeOfDay);
    }
    ++period_;
}

std::optional<WallTime> RuleOccurrences::next() {
    const auto counts = [this](WallTime occurrence) -> std::optional<WallTime> {
        if ((until_ && occurrence > *until_) || (rule_.count && counted_ >= *rule_.count)) {
            ended_ = true;
            return std::nullopt;
        }
        ++counted_;
        return occurrence;
    };
    if (!startGiven_) {
        startGiven_ = true;
        return counts(start_);
    }
    while (!ended_) {
        if (pending_.empty()) {
            if (--budget_.left < 0) {
                exhausted_ = true;
                ended_ = true;
                break;
            }
            fillPeriod();
            continue;
        }
        const WallTime occurrence = pending_.back();
        pending_.pop_back();
        if (occurrence > start_) {
            return counts(occurrence);
        }
    }
    return std::nullopt;
}
