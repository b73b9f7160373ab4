// The appointment record and the ordered appointment book.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>

#include "core/recurrence.h"
#include "core/time_value.h"

// An appointment is identified by all three: two programs that share one file
// recognise the same appointment by them.
struct Appointment {
    TimeValue alarmTime = 0;
    std::string text; // Windows-1252 bytes
    Recurrence recurrence;

    bool operator==(const Appointment&) const = default;
};

// Appointments ordered by alarm time, ascending. Equal times are kept in the
// order of insertion: a new appointment goes after every one of the same time.
class AppointmentBook {
  public:
    void insert(Appointment appointment);
    void insert(TimeValue alarmTime, std::string text) {
        insert(Appointment{alarmTime, std::move(text), {}});
    }
    int count() const { return static_cast<int>(entries_.size()); }

    // Only valid while count() > 0.
    Appointment earliest() const;
    void removeEarliest();

    void clear() { entries_.clear(); }

    // Visits every appointment in book order without changing the book.
    void forEach(const std::function<void(const Appointment&)>& visit) const;

  private:
    std::multimap<TimeValue, Appointment> entries_;
};
