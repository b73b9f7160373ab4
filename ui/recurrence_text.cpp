// A series' rule in plain German.
#include "ui/recurrence_text.h"

#include <array>
#include <cstdio>
#include <vector>

namespace {

constexpr std::array<std::string_view, 7> WEEKDAY_NAMES{
    "Sonntag", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag"};
constexpr std::array<std::string_view, 12> MONTH_NAMES{
    "Januar", "Februar", "März",      "April",   "Mai",      "Juni",
    "Juli",   "August",  "September", "Oktober", "November", "Dezember"};
constexpr std::array<std::string_view, 6> PLAIN_WORDS{
    "", "täglich", "werktags", "wöchentlich", "monatlich", "jährlich"};
constexpr std::string_view ELLIPSIS = "…";
// Three weekdays in a row and more are named by the first and the last.
constexpr int SHORTEST_RUN = 3;

// "a", "a und b", "a, b und c".
std::string listed(const std::vector<std::string>& items) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        text += i == 0 ? "" : i + 1 == items.size() ? " und " : ", ";
        text += items[i];
    }
    return text;
}

// The weekdays from Monday to Sunday: "Dienstag und Donnerstag", "Montag bis Mittwoch
// und Freitag".
std::string weekdayList(WeekdaySet days) {
    std::vector<std::string> items;
    for (int fromMonday = 0; fromMonday < 7;) {
        const auto has = [days](int index) { return (days & weekdayBit((index + 1) % 7)) != 0; };
        if (!has(fromMonday)) {
            ++fromMonday;
            continue;
        }
        int end = fromMonday;
        while (end + 1 < 7 && has(end + 1)) {
            ++end;
        }
        const std::string first(weekdayLongName((fromMonday + 1) % 7));
        if (end - fromMonday + 1 >= SHORTEST_RUN) {
            items.push_back(first + " bis " + std::string(weekdayLongName((end + 1) % 7)));
        } else {
            for (int day = fromMonday; day <= end; ++day) {
                items.emplace_back(weekdayLongName((day + 1) % 7));
            }
        }
        fromMonday = end + 1;
    }
    return listed(items);
}

// "alle 3 Monate" for an interval, the word for every period otherwise.
std::string every(int interval, std::string_view single, std::string_view plural) {
    return interval > 1 ? "alle " + std::to_string(interval) + " " + std::string(plural)
                        : std::string(single);
}

std::string weekOfMonth(const Recurrence& rule) {
    return rule.week == LAST_WEEK ? "letzten" : std::to_string(rule.week) + ".";
}

std::string withoutEnd(const Recurrence& rule) {
    const auto weekday = [&rule] {
        for (int day = 0; day < 7; ++day) {
            if (rule.weekdays & weekdayBit(day)) {
                return std::string(weekdayLongName(day));
            }
        }
        return std::string();
    };
    switch (rule.kind) {
    case RepeatKind::Daily:
        return every(rule.interval, "täglich", "Tage");
    case RepeatKind::Workdays:
        return "werktags";
    case RepeatKind::Weekly:
        return rule.interval > 1
                   ? every(rule.interval, "", "Wochen") + " am " + weekdayList(rule.weekdays)
                   : "jeden " + weekdayList(rule.weekdays);
    case RepeatKind::Monthly:
        if (rule.week == 0) {
            return every(rule.interval, "monatlich", "Monate") + " am " + std::to_string(rule.day) +
                   ".";
        }
        return rule.interval > 1 ? every(rule.interval, "", "Monate") + " am " + weekOfMonth(rule) +
                                       " " + weekday()
                                 : "jeden " + weekOfMonth(rule) + " " + weekday() + " im Monat";
    case RepeatKind::Yearly:
        return every(rule.interval, "jährlich", "Jahre") + " am " + std::to_string(rule.day) +
               ". " + std::string(monthName(rule.month));
    case RepeatKind::None:
        break;
    }
    return {};
}

} // namespace

std::string_view weekdayLongName(int dayOfWeek) {
    return dayOfWeek >= 0 && dayOfWeek < 7 ? WEEKDAY_NAMES[static_cast<std::size_t>(dayOfWeek)]
                                           : std::string_view{};
}

std::string_view monthName(int month) {
    return month >= 1 && month <= 12 ? MONTH_NAMES[static_cast<std::size_t>(month - 1)]
                                     : std::string_view{};
}

std::string describeRecurrence(const Recurrence& rule, bool wordForPlain) {
    if (!rule.repeats()) {
        return {};
    }
    if (wordForPlain && isPlainRule(rule)) {
        return std::string(PLAIN_WORDS[static_cast<std::size_t>(rule.kind)]);
    }
    std::string text = withoutEnd(rule);
    if (rule.count == 1) {
        text += ", noch einmal";
    } else if (rule.count != 0) {
        text += ", noch " + std::to_string(rule.count) + "-mal";
    }
    if (rule.until != 0) {
        char date[16];
        std::snprintf(date, sizeof date, "%02u.%02u.%04u", rule.until % 100, rule.until / 100 % 100,
                      rule.until / 10000);
        text += ", bis " + std::string(date);
    }
    return text;
}

std::string shortenToWidth(std::string_view text, int width,
                           const std::function<int(std::string_view)>& measure) {
    if (measure(text) <= width) {
        return std::string(text);
    }
    const auto cut = [text](std::size_t length) {
        std::string_view kept = text.substr(0, length);
        while (!kept.empty() && (kept.back() == ' ' || kept.back() == ',')) {
            kept.remove_suffix(1);
        }
        return std::string(kept) + std::string(ELLIPSIS);
    };
    // The longest beginning that fits: widths only grow with the length.
    std::size_t fits = 0;
    std::size_t tooLong = text.size();
    while (tooLong - fits > 1) {
        const std::size_t middle = (fits + tooLong) / 2;
        (measure(cut(middle)) <= width ? fits : tooLong) = middle;
    }
    return cut(fits);
}
