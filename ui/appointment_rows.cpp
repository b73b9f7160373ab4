// The rows of the appointment list as texts with their rules.
#include "ui/appointment_rows.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <map>
#include <set>

#include "ui/recurrence_text.h"

namespace {

// The display form of a time with its weekday, as the editor writes it.
std::string displayWithWeekday(TimeValue time) {
    std::tm local{};
    if (!timeToLocal(time, local)) {
        return {};
    }
    return calendarToDisplay(CalendarFields{
        static_cast<std::uint16_t>(local.tm_year + 1900),
        static_cast<std::uint16_t>(local.tm_mon + 1), static_cast<std::uint16_t>(local.tm_wday),
        static_cast<std::uint16_t>(local.tm_mday), static_cast<std::uint16_t>(local.tm_hour),
        static_cast<std::uint16_t>(local.tm_min)});
}

// Whether the picked date is the date of a display form.
bool onSameDate(std::string_view display, const CalendarFields& picked) {
    CalendarFields shown;
    displayToCalendar(display, shown);
    return shown.year == picked.year && shown.month == picked.month && shown.day == picked.day;
}

} // namespace

std::string repeatLabel(const Recurrence& rule) {
    return describeRecurrence(rule);
}

bool sameChoice(const Recurrence& rule, const Recurrence& choice) {
    const auto withoutTime = [](Recurrence r) {
        r.hour = 0;
        r.minute = 0;
        r.phase = 0;
        return r;
    };
    const Recurrence shown =
        !rule.repeats() || isPlainRule(rule) ? Recurrence{rule.kind} : withoutTime(rule);
    return shown == withoutTime(choice);
}

ColumnWidths fitColumnWidths(int listWidth, int textLimit, const ColumnNeeds& needs) {
    ColumnWidths widths;
    widths.time = needs.time;
    widths.text = std::min(textLimit, std::max(needs.text, listWidth - needs.time - needs.repeat));
    const int left = std::max(0, listWidth - widths.text - widths.time);
    widths.repeat = needs.anySeries ? std::max(needs.repeatWords, left) : left;
    return widths;
}

std::string cutText(std::string_view text, std::size_t maxChars) {
    return std::string(text.substr(0, maxChars));
}

std::vector<AppointmentRow> rowsFromBook(const AppointmentBook& book, std::size_t cellChars,
                                         const LocalDate& today) {
    std::vector<AppointmentRow> rows;
    book.forEach([&](const Appointment& appointment) {
        rows.push_back({cutText(appointment.text, cellChars),
                        cutText(timeToDisplay(appointment.alarmTime, today), cellChars),
                        appointment.recurrence, appointment.id});
    });
    return rows;
}

void commitRows(const std::vector<AppointmentRow>& rows, AppointmentBook& book) {
    book.clear();
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        const TimeValue alarmTime = displayToTime(row->display);
        if (alarmTime != -1) {
            book.insert({alarmTime,
                         cutText(row->text, APPOINTMENT_TEXT_CHARS),
                         row->recurrence,
                         row->id,
                         {}});
        }
    }
}

CalendarFields pickedMoment(const CalendarFields& date, const CalendarFields& time) {
    using namespace std::chrono;
    CalendarFields moment = date;
    moment.hour = time.hour;
    moment.minute = time.minute;
    moment.second = 0;
    moment.millisecond = 0;
    const year_month_day ymd{year{date.year}, month{date.month}, day{date.day}};
    if (ymd.ok()) {
        moment.dayOfWeek = static_cast<std::uint16_t>(weekday{sys_days{ymd}}.c_encoding());
    }
    return moment;
}

SeriesStart startOfSeries(const Recurrence& rule, TimeValue chosen, TimeValue now) {
    if (!rule.repeats() || chosen == -1) {
        return {rule, chosen};
    }
    TimeValue first = firstAlarmTime(rule, chosen);
    if (previousOccurrence(rule, first) != first) {
        return {Recurrence{}, chosen}; // no occurrence from `chosen` on
    }
    // The current minute itself still counts: the editor opens at it.
    if (first < now / 60 * 60) {
        first = nextOccurrence(rule, now).value_or(first);
    }
    return {rule, first};
}

AppointmentRow editedRow(std::string text, const CalendarFields& picked, const Recurrence& choice,
                         const AppointmentRow* original, TimeValue now) {
    AppointmentRow row{
        std::move(text), calendarToDisplay(picked), {}, original != nullptr ? original->id : NO_ID};
    const TimeValue chosen = displayToTime(row.display);
    const bool sameSeries = original != nullptr && sameChoice(original->recurrence, choice);
    if (sameSeries && displayToTime(original->display) == chosen) {
        row.recurrence = original->recurrence;
        return row;
    }
    Recurrence rule;
    if (sameSeries && original->recurrence.repeats() && onSameDate(original->display, picked)) {
        // Only the time changed: the date shown may stand in for the chosen day (30 April
        // for a monthly 31st), which the series keeps.
        rule = original->recurrence;
        rule.hour = static_cast<std::uint8_t>(picked.hour);
        rule.minute = static_cast<std::uint8_t>(picked.minute);
    } else {
        rule = makeRecurrence(choice, LocalDateTime{picked.year, picked.month, picked.day,
                                                    picked.hour, picked.minute});
    }
    const SeriesStart start = startOfSeries(rule, chosen, now);
    row.recurrence = start.rule;
    if (start.first != chosen) {
        row.display = displayWithWeekday(start.first);
    }
    return row;
}

std::optional<AppointmentRow> skippedRow(const AppointmentRow& row) {
    const TimeValue shown = displayToTime(row.display);
    const auto next = shown != -1 ? seriesAfter(row.recurrence, shown, shown) : std::nullopt;
    if (!next) {
        return std::nullopt;
    }
    AppointmentRow skipped = row;
    skipped.display = displayWithWeekday(next->time);
    skipped.recurrence = next->rule;
    return skipped;
}

std::vector<std::string> upcomingDisplays(const Recurrence& rule, TimeValue first, int most) {
    std::vector<std::string> displays;
    for (const TimeValue time : upcomingOccurrences(rule, first, most)) {
        displays.push_back(displayWithWeekday(time));
    }
    return displays;
}

AppointmentBook applyListEdits(const AppointmentBook& opened, const AppointmentBook& current,
                               const AppointmentBook& committed,
                               const std::vector<AppointmentId>& alarmedMeanwhile) {
    const auto byId = [](const AppointmentBook& book) {
        std::map<AppointmentId, Appointment> all;
        book.forEach([&all](const Appointment& a) {
            if (a.id != NO_ID) {
                all.emplace(a.id, a);
            }
        });
        return all;
    };
    const std::map<AppointmentId, Appointment> before = byId(opened);
    std::map<AppointmentId, Appointment> now = byId(current);
    std::set<AppointmentId> kept;
    committed.forEach([&](const Appointment& row) {
        const auto was = before.find(row.id);
        if (was == before.end()) {
            return; // a new row
        }
        kept.insert(row.id);
        const auto is = now.find(row.id);
        const bool alarmedHere = std::find(alarmedMeanwhile.begin(), alarmedMeanwhile.end(),
                                           row.id) != alarmedMeanwhile.end();
        if (sameContent(row, was->second) && (is != now.end() || !alarmedHere)) {
            return; // as it is now, or gone as it went meanwhile
        }
        Revision newest = was->second.revision;
        if (is != now.end()) {
            newest = std::max(newest, is->second.revision);
        }
        Appointment changed = row;
        changed.revision = edited(newest);
        now[row.id] = std::move(changed);
    });
    for (const auto& [id, appointment] : before) {
        if (!kept.contains(id)) {
            now.erase(id); // its row was deleted
        }
    }
    // In the order of the rows, as OK always did; then what arrived meanwhile.
    AppointmentBook result;
    committed.forEach([&](const Appointment& row) {
        if (!before.contains(row.id)) {
            result.insert(row); // a new row: the store gives it its identity
        } else if (const auto it = now.find(row.id); it != now.end()) {
            result.insert(it->second);
            now.erase(it);
        }
    });
    current.forEach([&](const Appointment& a) {
        if (const auto it = now.find(a.id); it != now.end() || a.id == NO_ID) {
            result.insert(a);
        }
    });
    return result;
}

std::vector<AppointmentId> broughtBack(const AppointmentBook& opened,
                                       const AppointmentBook& committed,
                                       const std::vector<AppointmentId>& alarmedMeanwhile) {
    std::set<AppointmentId> known;
    opened.forEach([&known](const Appointment& a) { known.insert(a.id); });
    std::vector<AppointmentId> back = alarmedMeanwhile;
    committed.forEach([&](const Appointment& row) {
        if (row.id != NO_ID && !known.contains(row.id)) {
            back.push_back(row.id);
        }
    });
    return back;
}
