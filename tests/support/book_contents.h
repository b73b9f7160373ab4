// Every appointment of a book in book order, as the user sees it (without identity and
// revision), for comparing in tests.
#pragma once

#include <vector>

#include "core/appointment_book.h"

inline std::vector<Appointment> contents(const AppointmentBook& book) {
    std::vector<Appointment> all;
    book.forEach([&](const Appointment& appointment) {
        all.emplace_back(appointment.alarmTime, appointment.text, appointment.recurrence);
    });
    return all;
}
