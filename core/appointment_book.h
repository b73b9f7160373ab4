// The appointment record and the ordered appointment book.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <utility>

#include "core/identity.h"
#include "core/recurrence.h"
#include "core/time_value.h"

// One appointment: what the user sees of it (time, text, repetition), and its identity
// and revision, by which programs that share one file recognise it and its changes.
struct Appointment {
    Appointment() = default;
    Appointment(TimeValue time, std::string what, Recurrence rule = {},
                AppointmentId identity = NO_ID, Revision changes = {})
        : alarmTime(time), text(std::move(what)), recurrence(rule), id(identity),
          revision(changes) {}

    TimeValue alarmTime = 0;
    std::string text; // Windows-1252 bytes
    Recurrence recurrence;
    AppointmentId id = NO_ID; // none until the appointment reaches the store
    Revision revision;

    bool operator==(const Appointment&) const = default;
};

// Whether the two say the same to the user: time, text and repetition.
inline bool sameContent(const Appointment& a, const Appointment& b) {
    return a.alarmTime == b.alarmTime && a.text == b.text && a.recurrence == b.recurrence;
}

// Appointments ordered by alarm time, ascending. Equal times are kept in the
// order of insertion: a new appointment goes after every one of the same time.
class AppointmentBook {
  public:
    void insert(Appointment appointment);
    void insert(TimeValue alarmTime, std::string text) {
        insert(Appointment{alarmTime, std::move(text)});
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

// Gives every appointment of the book that has no identity one of its own.
void giveIdentities(AppointmentBook& book);
