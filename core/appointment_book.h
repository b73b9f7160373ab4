// The appointment record and the ordered appointment book.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>

// Seconds since 1970-01-01 00:00:00 UTC, as time() gives it.
using TimeValue = std::int64_t;

struct Appointment {
    TimeValue alarmTime = 0;
    std::string text; // Windows-1252 bytes
};

// Appointments ordered by alarm time, ascending. Equal times are kept in the
// order of insertion: a new appointment goes after every one of the same time.
class AppointmentBook {
  public:
    void insert(TimeValue alarmTime, std::string text);
    int count() const { return static_cast<int>(entries_.size()); }

    // Only valid while count() > 0.
    Appointment earliest() const;
    void removeEarliest();

    void clear() { entries_.clear(); }

    // Visits every appointment in book order without changing the book.
    void
    forEach(const std::function<void(TimeValue alarmTime, const std::string& text)>& visit) const;

  private:
    std::multimap<TimeValue, std::string> entries_;
};
