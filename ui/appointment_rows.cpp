// The rows of the appointment list as texts.
#include "ui/appointment_rows.h"

#include <chrono>

std::string cutText(std::string_view text, std::size_t maxChars) {
    return std::string(text.substr(0, maxChars));
}

std::vector<AppointmentRow> rowsFromBook(const AppointmentBook& book, std::size_t cellChars,
                                         const LocalDate& today) {
    std::vector<AppointmentRow> rows;
    book.forEach([&](const Appointment& appointment) {
        rows.push_back({cutText(appointment.text, cellChars),
                        cutText(timeToDisplay(appointment.alarmTime, today), cellChars)});
    });
    return rows;
}

void commitRows(const std::vector<AppointmentRow>& rows, AppointmentBook& book) {
    book.clear();
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        const TimeValue alarmTime = displayToTime(row->display);
        if (alarmTime != -1) {
            book.insert(alarmTime, cutText(row->text, APPOINTMENT_TEXT_CHARS));
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
