// Every appointment of a book in book order, for comparing in tests.
#pragma once

#include <vector>

#include "core/appointment_book.h"

inline std::vector<Appointment> contents(const AppointmentBook& book) {
    std::vector<Appointment> all;
    book.forEach([&](const Appointment& appointment) { all.push_back(appointment); });
    return all;
}
