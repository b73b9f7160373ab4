// The ordered appointment book.
#include "core/appointment_book.h"

void AppointmentBook::insert(Appointment appointment) {
    // Placed as close before the end as the order allows: after every appointment of
    // the same time, and at once when the books are filled in ascending order.
    const TimeValue key = appointment.alarmTime;
    entries_.emplace_hint(entries_.end(), key, std::move(appointment));
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

void giveIdentities(AppointmentBook& book) {
    bool missing = false;
    book.forEach([&missing](const Appointment& a) { missing = missing || a.id == NO_ID; });
    if (!missing) {
        return;
    }
    AppointmentBook identified;
    book.forEach([&identified](Appointment a) {
        if (a.id == NO_ID) {
            a.id = newAppointmentId();
        }
        identified.insert(std::move(a));
    });
    book = std::move(identified);
}
