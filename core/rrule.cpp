// A series' rule as an iCalendar RRULE, and back.
#include "core/rrule.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <map>
#include <vector>

#include "core/local_days.h"

namespace {

namespace chr = std::chrono;

// Counted from Sunday, as the rule's weekday bits.
constexpr std::array<std::string_view, 7> DAY_CODES{"SU", "MO", "TU", "WE", "TH", "FR", "SA"};
constexpr std::array<std::string_view, 6> FREQUENCIES{"",       "DAILY",   "",
                                                      "WEEKLY", "MONTHLY", "YEARLY"};
// The days a monthly 29th, 30th and 31st take in every month, the last that exists.
constexpr std::array<std::string_view, 3> MONTH_END_DAYS{"28,29", "28,29,30", "28,29,30,31"};

std::string untilText(const Recurrence& rule, UntilForm form) {
    const auto last = dayOfDateNumber(rule.until);
    if (!last) {
        return {};
    }
    char buffer[32];
    if (form == UntilForm::Date) {
        std::snprintf(buffer, sizeof buffer, "%08u", rule.until);
    } else if (form == UntilForm::LocalTime) {
        std::snprintf(buffer, sizeof buffer, "%08uT%02d%02d00", rule.until, rule.hour, rule.minute);
    } else {
        const auto moment = momentOf(*last, rule.hour, rule.minute);
        if (!moment) {
            return {};
        }
        const chr::sys_seconds utc{chr::seconds{*moment}};
        const Day date = chr::floor<chr::days>(utc);
        const chr::hh_mm_ss time{utc - date};
        std::snprintf(buffer, sizeof buffer, "%08uT%02d%02d%02dZ", dateNumber(date),
                      static_cast<int>(time.hours().count()),
                      static_cast<int>(time.minutes().count()),
                      static_cast<int>(time.seconds().count()));
    }
    return buffer;
}

std::optional<int> readInt(std::string_view text) {
    int value = 0;
    const char* end = text.data() + text.size();
    if (text.empty() || std::from_chars(text.data(), end, value).ptr != end) {
        return std::nullopt;
    }
    return value;
}

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = std::min(text.find(separator, start), text.size());
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::optional<int> dayOfCode(std::string_view code) {
    const auto found = std::find(DAY_CODES.begin(), DAY_CODES.end(), code);
    return found == DAY_CODES.end() ? std::nullopt
                                    : std::optional(static_cast<int>(found - DAY_CODES.begin()));
}

// One BYDAY entry: an optional ordinal (0 for none) and the weekday.
std::optional<std::pair<int, int>> readByDay(std::string_view entry) {
    if (entry.size() < 2) {
        return std::nullopt;
    }
    const auto day = dayOfCode(entry.substr(entry.size() - 2));
    const std::string_view ordinal = entry.substr(0, entry.size() - 2);
    const auto number = ordinal.empty()
                            ? std::optional(0)
                            : readInt(ordinal.front() == '+' ? ordinal.substr(1) : ordinal);
    if (!day || !number || (!ordinal.empty() && *number == 0)) {
        return std::nullopt;
    }
    return std::pair{*number, *day};
}

// The last date whose occurrence at the rule's time is not later than UNTIL.
std::optional<std::uint32_t> readUntil(std::string_view text, int hour, int minute) {
    const auto ymd = readInt(text.substr(0, 8));
    if (text.size() < 8 || !ymd || *ymd < 0) {
        return std::nullopt;
    }
    const chr::year_month_day date{chr::year{*ymd / 10000},
                                   chr::month{static_cast<unsigned>(*ymd / 100 % 100)},
                                   chr::day{static_cast<unsigned>(*ymd % 100)}};
    if (!date.ok()) {
        return std::nullopt;
    }
    Day last{date};
    if (text.size() > 8) {
        const bool utc = text.size() == 16 && text.back() == 'Z';
        const auto time = text.size() == 15 || utc ? readInt(text.substr(9, 6)) : std::nullopt;
        if (text[8] != 'T' || !time || *time < 0 || *time / 10000 > 23 || *time / 100 % 100 > 59 ||
            *time % 100 > 60) {
            return std::nullopt;
        }
        const int seconds = *time / 10000 * 3600 + *time / 100 % 100 * 60 + *time % 100;
        if (utc) {
            const TimeValue until =
                static_cast<TimeValue>(last.time_since_epoch().count()) * 86400 + seconds;
            const auto wall = wallOf(until);
            const auto onThatDay = wall ? momentOf(wall->date, hour, minute) : std::nullopt;
            if (!onThatDay) {
                return std::nullopt;
            }
            last = *onThatDay <= until ? wall->date : wall->date - chr::days{1};
        } else if ((hour * 60 + minute) * 60 > seconds) {
            last -= chr::days{1};
        }
    }
    const std::uint32_t number = dateNumber(last);
    if (number > 20991231) {
        return 0; // beyond every alarm time: no end
    }
    return dayOfDateNumber(number) ? std::optional(number) : std::nullopt;
}

} // namespace

std::string recurrenceToRRule(const Recurrence& rule, UntilForm untilForm) {
    if (!rule.repeats()) {
        return {};
    }
    std::string text = "FREQ=";
    if (rule.kind == RepeatKind::Workdays) {
        text += "WEEKLY;BYDAY=" + weekdayList(MONDAY_TO_FRIDAY, DAY_CODES);
    } else {
        text += FREQUENCIES[static_cast<std::size_t>(rule.kind)];
    }
    if (rule.interval > 1) {
        text += ";INTERVAL=" + std::to_string(rule.interval);
    }
    switch (rule.kind) {
    case RepeatKind::Weekly:
        text += ";BYDAY=" + weekdayList(rule.weekdays, DAY_CODES);
        break;
    case RepeatKind::Monthly:
        if (rule.week != 0) {
            text += ";BYDAY=" + std::to_string(rule.week) + weekdayList(rule.weekdays, DAY_CODES);
        } else if (rule.day == 31) {
            text += ";BYMONTHDAY=-1";
        } else if (rule.day >= 29) {
            text += ";BYMONTHDAY=" + std::string(MONTH_END_DAYS[rule.day - 29u]) + ";BYSETPOS=-1";
        } else {
            text += ";BYMONTHDAY=" + std::to_string(rule.day);
        }
        break;
    case RepeatKind::Yearly:
        text += ";BYMONTH=" + std::to_string(rule.month) + ";BYMONTHDAY=" +
                (rule.month == 2 && rule.day == 29 ? std::string("-1") : std::to_string(rule.day));
        break;
    default:
        break;
    }
    if (rule.count != 0) {
        text += ";COUNT=" + std::to_string(rule.count);
    }
    if (rule.until != 0) {
        text += ";UNTIL=" + untilText(rule, untilForm);
    }
    return text;
}

RRuleReading readRRule(std::string_view rrule, const LocalDateTime& start, int passed) {
    RRuleReading reading;
    const auto cannot = [&reading](std::string why) {
        reading.reason = std::move(why);
        return reading;
    };
    const std::string unreadable = "Regel unlesbar";
    std::string upper(rrule);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    std::map<std::string_view, std::string_view> parts;
    for (const std::string_view part : split(upper, ';')) {
        const std::size_t equals = part.find('=');
        if (part.empty()) {
            continue; // a trailing ';' splits off nothing
        }
        if (equals == std::string_view::npos ||
            !parts.emplace(part.substr(0, equals), part.substr(equals + 1)).second) {
            return cannot(unreadable);
        }
    }
    const auto take = [&parts](std::string_view name) -> std::optional<std::string_view> {
        const auto found = parts.find(name);
        if (found == parts.end()) {
            return std::nullopt;
        }
        const std::string_view value = found->second;
        parts.erase(found);
        return value;
    };
    const std::string_view frequency = take("FREQ").value_or("");
    const auto freq = std::find(FREQUENCIES.begin() + 1, FREQUENCIES.end(), frequency);
    if (freq == FREQUENCIES.end() || freq->empty()) {
        for (const std::string_view often : {"SECONDLY", "MINUTELY", "HOURLY"}) {
            if (frequency == often) {
                return cannot("öfter als täglich");
            }
        }
        return cannot(unreadable);
    }
    Recurrence pattern{static_cast<RepeatKind>(freq - FREQUENCIES.begin())};
    if (const auto interval = take("INTERVAL")) {
        static constexpr std::array<std::string_view, 6> UNITS{"",       "Tage",   "",
                                                               "Wochen", "Monate", "Jahre"};
        const auto value = readInt(*interval);
        if (!value || *value < 1) {
            return cannot(unreadable);
        }
        if (*value > MOST_INTERVAL) {
            return cannot("alle " + std::to_string(*value) + " " +
                          std::string(UNITS[static_cast<std::size_t>(pattern.kind)]));
        }
        pattern.interval = static_cast<std::uint8_t>(*value);
    }
    const auto setPos = take("BYSETPOS");
    const auto monthDay = take("BYMONTHDAY");
    if (const auto byDay = take("BYDAY")) {
        int ordinals = 0;
        for (const std::string_view entry : split(*byDay, ',')) {
            const auto day = readByDay(entry);
            if (!day || (day->first != 0 && pattern.kind == RepeatKind::Weekly)) {
                return cannot(unreadable);
            }
            pattern.weekdays |= weekdayBit(day->second);
            if (day->first != 0) {
                if (pattern.kind != RepeatKind::Monthly) {
                    return cannot("am n-ten Wochentag des Jahres");
                }
                if (day->first > 4 || day->first < LAST_WEEK) {
                    return cannot(day->first > 0
                                      ? "am " + std::to_string(day->first) + ". Wochentag im Monat"
                                      : "am " + std::to_string(-day->first) +
                                            ".-letzten Wochentag im Monat");
                }
                pattern.week = static_cast<std::int8_t>(day->first);
                ++ordinals;
            }
        }
        const int days = std::popcount(unsigned{pattern.weekdays});
        if (ordinals > 1 || (ordinals == 1 && days > 1)) {
            return cannot("an mehreren Wochentagen im Monat");
        }
        if (monthDay) {
            return cannot("an Wochentagen, die auf bestimmte Tage des Monats fallen");
        }
        // One BYSETPOS value; 0 for none or several.
        const int single = setPos ? readInt(*setPos).value_or(0) : 0;
        if (pattern.kind == RepeatKind::Monthly && ordinals == 0 && days == 1 &&
            (single == LAST_WEEK || (single >= 1 && single <= 4))) {
            // BYDAY=TU;BYSETPOS=2 is the second Tuesday, as BYDAY=2TU.
            pattern.week = static_cast<std::int8_t>(single);
        } else if ((pattern.kind == RepeatKind::Daily || pattern.kind == RepeatKind::Monthly) &&
                   ordinals == 0 && pattern.interval == 1 && !setPos) {
            // Every day or every month, on the listed weekdays: every week on them.
            pattern.kind = RepeatKind::Weekly;
        } else if (pattern.kind == RepeatKind::Daily) {
            return cannot("alle " + std::to_string(pattern.interval) +
                          " Tage an bestimmten Wochentagen");
        } else if (pattern.kind == RepeatKind::Yearly) {
            return cannot("an Wochentagen im Jahr");
        } else if (pattern.kind == RepeatKind::Monthly && ordinals == 0) {
            return cannot(setPos ? "mit BYSETPOS" : "an allen solchen Wochentagen im Monat");
        }
        if (pattern.kind == RepeatKind::Weekly && pattern.weekdays == MONDAY_TO_FRIDAY &&
            pattern.interval == 1) {
            pattern = Recurrence{RepeatKind::Workdays};
        }
    }
    if (const auto month = take("BYMONTH")) {
        const auto value = readInt(*month);
        if (month->find(',') != std::string_view::npos) {
            return cannot("in mehreren Monaten");
        }
        if (!value || *value < 1 || *value > 12) {
            return cannot(unreadable);
        }
        if (pattern.kind != RepeatKind::Yearly) {
            return cannot("nur in bestimmten Monaten");
        }
        pattern.month = static_cast<std::uint8_t>(*value);
    }
    const bool monthly = pattern.kind == RepeatKind::Monthly && pattern.week == 0;
    const bool yearly = pattern.kind == RepeatKind::Yearly;
    // Where the chosen day is missing iCalendar has no occurrence; the program's series
    // falls on the month's last day.
    bool skipsShortMonths = false;
    if (monthDay) {
        const auto value = readInt(*monthDay);
        const auto monthEnd = std::find(MONTH_END_DAYS.begin(), MONTH_END_DAYS.end(), *monthDay);
        if (!monthly && !yearly) {
            return cannot("nur an bestimmten Tagen des Monats");
        }
        if (yearly && pattern.month == 0) {
            return cannot("an Tagen jedes Monats im Jahresrhythmus");
        }
        if (monthEnd == MONTH_END_DAYS.end() && monthDay->find(',') != std::string_view::npos) {
            return cannot("an mehreren Tagen des Monats");
        }
        if (setPos.has_value() != (monthEnd != MONTH_END_DAYS.end()) ||
            (setPos && *setPos != "-1")) {
            return cannot(setPos ? "mit BYSETPOS" : "an mehreren Tagen des Monats");
        }
        if (monthEnd != MONTH_END_DAYS.end()) {
            if (!monthly && (pattern.month != 2 || monthEnd != MONTH_END_DAYS.begin())) {
                return cannot("mit BYSETPOS");
            }
            pattern.day = static_cast<std::uint8_t>(29 + (monthEnd - MONTH_END_DAYS.begin()));
        } else if (value == -1) {
            // The month's last day: the 31st of every month, or of a yearly rule's month
            // in a leap year (29 February).
            const auto last =
                chr::year{2000} / chr::month{monthly ? 1u : pattern.month} / chr::last;
            pattern.day = static_cast<std::uint8_t>(unsigned{last.day()});
        } else if (value && *value >= 1 && *value <= 31) {
            pattern.day = static_cast<std::uint8_t>(*value);
            skipsShortMonths = true;
        } else if (value && *value < 0 && *value >= -31) {
            return cannot("vom Monatsende gezählt");
        } else {
            return cannot(unreadable);
        }
    } else if (setPos && pattern.week == 0) {
        return cannot("mit BYSETPOS");
    } else {
        skipsShortMonths = monthly || yearly;
    }
    if (const auto wkst = take("WKST")) {
        if (!dayOfCode(*wkst)) {
            return cannot(unreadable);
        }
        if (*wkst != "MO" && pattern.kind == RepeatKind::Weekly && pattern.interval > 1 &&
            std::popcount(unsigned{pattern.weekdays}) > 1) {
            return cannot("mit einer Woche, die nicht am Montag beginnt");
        }
    }
    const auto count = take("COUNT");
    const auto until = take("UNTIL");
    if (count && until) {
        return cannot(unreadable);
    }
    if (count) {
        const auto value = readInt(*count);
        if (!value || *value < 1 || *value <= passed) {
            return cannot(unreadable);
        }
        if (*value - passed > MOST_COUNT) {
            reading.differences.push_back("endet erst nach " + std::to_string(*value - passed) +
                                          " Terminen: hier ohne Ende");
        } else {
            pattern.count = static_cast<std::uint16_t>(*value - passed);
        }
    }
    if (!parts.empty()) {
        return cannot("mit " + std::string(parts.begin()->first));
    }
    Recurrence rule = makeRecurrence(pattern, start);
    // A yearly day its month never has (30 February) has no occurrence.
    if (rule.kind == RepeatKind::Yearly &&
        rule.day > unsigned{(chr::year{2000} / chr::month{rule.month} / chr::last).day()}) {
        return cannot("an einem Tag, den es nicht gibt");
    }
    if (until) {
        const auto last = readUntil(*until, rule.hour, rule.minute);
        if (!last) {
            return cannot(unreadable);
        }
        rule.until = *last;
    }
    if (skipsShortMonths && rule.kind == RepeatKind::Monthly && rule.day >= 29) {
        reading.differences.push_back("in Monaten ohne den " + std::to_string(rule.day) +
                                      ". am letzten Tag statt keinem Termin");
    } else if (skipsShortMonths && rule.kind == RepeatKind::Yearly && rule.month == 2 &&
               rule.day == 29) {
        reading.differences.push_back(
            "in Jahren ohne den 29. Februar am 28. Februar statt keinem Termin");
    }
    reading.rule = rule;
    return reading;
}
