// The ordered appointment book.
#include "core/appointment_book.h"

void AppointmentBook::insert(TimeValue alarmTime, std::string text) {
    // multimap::insert places an equal key at the upper bound of its range.
    entries_.emplace(alarmTime, std::move(text));
}

Appointment AppointmentBook::earliest() const {
    const auto& first = *entries_.begin();
    return Appointment{first.first, first.second};
}

void AppointmentBook::removeEarliest() {
    entries_.erase(entries_.begin());
}

void AppointmentBook::forEach(
    const std::function<void(TimeValue alarmTime, const std::string& text)>& visit) const {
    for (const auto& [time, text] : entries_) {
        visit(time, text);
    }
}
