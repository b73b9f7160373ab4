// The choices of the dialog "Wiederholung" and the rule they make.
#include "ui/repeat_choices.h"

#include <algorithm>
#include <bit>
#include <chrono>

namespace {

namespace chr = std::chrono;

// The date of a local date and time; a day beyond the month's end carries over.
chr::year_month_day dateOf(const LocalDateTime& at) {
    return chr::year_month_day{
        chr::sys_days{chr::year{at.year} / chr::month{static_cast<unsigned>(at.month)} / 1} +
        chr::days{at.day - 1}};
}

int weekdayOfDate(const chr::year_month_day& date) {
    return static_cast<int>(chr::weekday{chr::sys_days{date}}.c_encoding());
}

int longestDay(int month) {
    return static_cast<int>(
        unsigned{(chr::year{2000} / chr::month{static_cast<unsigned>(month)} / chr::last).day()});
}

} // namespace

RepeatChoices choicesFor(const Recurrence& rule, const LocalDateTime& picked) {
    const chr::year_month_day date = dateOf(picked);
    const int day = static_cast<int>(unsigned{date.day()});
    const int weekday = weekdayOfDate(date);
    RepeatChoices choices;
    choices.kind = rule.repeats() ? static_cast<int>(rule.kind) - 1 : 2;
    choices.interval = rule.repeats() ? rule.interval : 1;
    choices.weekdays = rule.kind == RepeatKind::Weekly ? rule.weekdays : weekdayBit(weekday);
    choices.onWeekday = rule.kind == RepeatKind::Monthly && rule.week != 0;
    choices.day = rule.day != 0 ? rule.day : day;
    // The weekday of the picked date in its week of the month; a fifth one is the last.
    choices.week = std::min((day - 1) / 7, 4);
    choices.weekday = weekday;
    if (choices.onWeekday) {
        choices.week = rule.week == LAST_WEEK ? 4 : rule.week - 1;
        choices.weekday = std::countr_zero(static_cast<unsigned>(rule.weekdays));
    }
    choices.month =
        rule.kind == RepeatKind::Yearly ? rule.month : static_cast<int>(unsigned{date.month()});
    choices.end = rule.count != 0   ? RepeatEnd::AfterCount
                  : rule.until != 0 ? RepeatEnd::OnDate
                                    : RepeatEnd::Never;
    choices.count = rule.count != 0 ? rule.count : DEFAULT_COUNT;
    // A year after the picked date (the 28th after 29 February), within the alarm times.
    const auto nextYear = chr::year{std::min(int{date.year()} + 1, 2099)} / date.month();
    const chr::year_month_day defaultEnd = (nextYear / date.day()).ok()
                                               ? nextYear / date.day()
                                               : chr::year_month_day{nextYear / chr::last};
    const chr::year_month_day end =
        rule.until != 0
            ? chr::year_month_day{chr::year{static_cast<int>(rule.until / 10000)},
                                  chr::month{rule.until / 100 % 100}, chr::day{rule.until % 100}}
            : defaultEnd;
    choices.until = LocalDateTime{int{end.year()}, static_cast<int>(unsigned{end.month()}),
                                  static_cast<int>(unsigned{end.day()})};
    return choices;
}

Recurrence ruleOfChoices(const RepeatChoices& choices, const LocalDateTime& picked) {
    Recurrence pattern{static_cast<RepeatKind>(std::clamp(choices.kind, 0, 4) + 1)};
    pattern.interval = static_cast<std::uint8_t>(std::clamp(choices.interval, 1, MOST_INTERVAL));
    switch (pattern.kind) {
    case RepeatKind::Weekly:
        pattern.weekdays = choices.weekdays & EVERY_WEEKDAY;
        break;
    case RepeatKind::Monthly:
        if (choices.onWeekday) {
            const int week = std::clamp(choices.week, 0, 4);
            pattern.week = static_cast<std::int8_t>(week == 4 ? LAST_WEEK : week + 1);
            pattern.weekdays = weekdayBit(std::clamp(choices.weekday, 0, 6));
        } else {
            pattern.day = static_cast<std::uint8_t>(std::clamp(choices.day, 1, 31));
        }
        break;
    case RepeatKind::Yearly:
        pattern.month = static_cast<std::uint8_t>(std::clamp(choices.month, 1, 12));
        pattern.day =
            static_cast<std::uint8_t>(std::clamp(choices.day, 1, longestDay(pattern.month)));
        break;
    default:
        break;
    }
    if (choices.end == RepeatEnd::AfterCount) {
        pattern.count = static_cast<std::uint16_t>(std::clamp(choices.count, 1, MOST_COUNT));
    } else if (choices.end == RepeatEnd::OnDate) {
        const int year = std::clamp(choices.until.year, 2000, 2099);
        const int month = std::clamp(choices.until.month, 1, 12);
        const int day = std::clamp(choices.until.day, 1, longestDay(month));
        const chr::year_month_day until{chr::year{year}, chr::month{static_cast<unsigned>(month)},
                                        chr::day{static_cast<unsigned>(day)}};
        // 29 February of a common year is its 28th.
        const chr::year_month_day valid =
            until.ok() ? until : chr::year_month_day{until.year() / until.month() / chr::last};
        pattern.until = static_cast<std::uint32_t>(static_cast<int>(valid.year()) * 10000 +
                                                   static_cast<int>(unsigned{valid.month()}) * 100 +
                                                   static_cast<int>(unsigned{valid.day()}));
    }
    return makeRecurrence(pattern, picked);
}
