// The rows of the appointment list as texts with their rules.
#include "ui/appointment_rows.h"

#include <algorithm>
#include <chrono>
#include <ctime>

namespace {

// Each field of a rule in one byte of the row data, the kind lowest.
constexpr int RULE_FIELDS = 6;

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
    return rule.repeats() ? REPEAT_WORDS[static_cast<std::size_t>(rule.kind)] : "";
}

ColumnWidths fitColumnWidths(int listWidth, int textLimit, const ColumnNeeds& needs) {
    ColumnWidths widths;
    widths.time = needs.time;
    widths.text = std::min(textLimit, std::max(needs.text, listWidth - needs.time - needs.repeat));
    const int left = std::max(0, listWidth - widths.text - widths.time);
    widths.repeat = needs.anySeries ? std::max(needs.repeat, left) : left;
    return widths;
}

std::uint64_t ruleToRowData(const Recurrence& rule) {
    const std::uint8_t fields[RULE_FIELDS] = {static_cast<std::uint8_t>(rule.kind),
                                              rule.month,
                                              rule.day,
                                              rule.weekday,
                                              rule.hour,
                                              rule.minute};
    std::uint64_t data = 0;
    for (int i = RULE_FIELDS - 1; i >= 0; --i) {
        data = data << 8 | fields[i];
    }
    return data;
}

Recurrence ruleFromRowData(std::uint64_t data) {
    std::uint8_t fields[RULE_FIELDS] = {};
    for (std::uint8_t& field : fields) {
        field = static_cast<std::uint8_t>(data & 0xFF);
        data >>= 8;
    }
    if (data != 0 || fields[0] >= REPEAT_WORDS.size()) {
        return {};
    }
    return Recurrence{
        static_cast<RepeatKind>(fields[0]), fields[1], fields[2], fields[3], fields[4], fields[5]};
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
                        appointment.recurrence});
    });
    return rows;
}

void commitRows(const std::vector<AppointmentRow>& rows, AppointmentBook& book) {
    book.clear();
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        const TimeValue alarmTime = displayToTime(row->display);
        if (alarmTime != -1) {
            book.insert({alarmTime, cutText(row->text, APPOINTMENT_TEXT_CHARS), row->recurrence});
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

AppointmentRow editedRow(std::string text, const CalendarFields& picked, RepeatKind kind,
                         const AppointmentRow* original, TimeValue now) {
    AppointmentRow row{std::move(text), calendarToDisplay(picked), {}};
    const TimeValue chosen = displayToTime(row.display);
    const bool sameSeries = original != nullptr && original->recurrence.kind == kind;
    if (sameSeries && displayToTime(original->display) == chosen) {
        row.recurrence = original->recurrence;
        return row;
    }
    if (sameSeries && original->recurrence.repeats() && onSameDate(original->display, picked)) {
        // Only the time changed: the date shown may stand in for the chosen day (30 April
        // for a monthly 31st), which the series keeps.
        row.recurrence = original->recurrence;
        row.recurrence.hour = static_cast<std::uint8_t>(picked.hour);
        row.recurrence.minute = static_cast<std::uint8_t>(picked.minute);
    } else {
        row.recurrence = makeRecurrence(
            kind, LocalDateTime{picked.year, picked.month, picked.day, picked.hour, picked.minute});
    }
    if (row.recurrence.repeats() && chosen != -1) {
        TimeValue first = firstAlarmTime(row.recurrence, chosen);
        // The current minute itself still counts: the editor opens at it.
        if (first < now / 60 * 60) {
            first = nextOccurrence(row.recurrence, now).value_or(first);
        }
        if (first != chosen) {
            row.display = displayWithWeekday(first);
        }
    }
    return row;
}
