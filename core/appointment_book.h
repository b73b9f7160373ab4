// The appointment record and the ordered appointment book.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iterator>
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
    using Entries = std::multimap<TimeValue, Appointment>;

  public:
    // Reading the book in order, for walks through several books at once.
    class const_iterator {
      public:
        using iterator_category = std::bidirectional_iterator_tag;
        using value_type = Appointment;
        using difference_type = std::ptrdiff_t;
        using pointer = const Appointment*;
        using reference = const Appointment&;

        const_iterator() = default;
        explicit const_iterator(Entries::const_iterator at) : at_(at) {}
        reference operator*() const { return at_->second; }
        pointer operator->() const { return &at_->second; }
        const_iterator& operator++() {
            ++at_;
            return *this;
        }
        const_iterator operator++(int) { return const_iterator(at_++); }
        const_iterator& operator--() {
            --at_;
            return *this;
        }
        const_iterator operator--(int) { return const_iterator(at_--); }
        bool operator==(const const_iterator&) const = default;

      private:
        Entries::const_iterator at_;
    };
    const_iterator begin() const { return const_iterator(entries_.begin()); }
    const_iterator end() const { return const_iterator(entries_.end()); }

  private:
    Entries entries_;
};
