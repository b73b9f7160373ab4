// The ordered appointment book.
#include "core/appointment_book.h"

void AppointmentBook::insert(Appointment appointment) {
    // multimap::insert places an equal key at the upper bound of its range.
    const TimeValue key = appointment.alarmTime;
    entries_.emplace(key, std::move(appointment));
}

Appointment AppointmentBook::earliest() const {
    return entries_.begin()->second;
}

void AppointmentBook::removeEarliest() {
    entries_.erase(entries_.begin());
}

void AppointmentBook::forEach(const std::function<void(const Appointment&)>& visit) const {
    for (const auto& entry : entries_) {
        visit(entry.second);
    }
}
