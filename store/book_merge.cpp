// Appointment books compared and merged as multisets.
#include "store/book_merge.h"

#include <algorithm>
#include <functional>
#include <string>
#include <unordered_map>

namespace {

// How often each appointment occurs in some books. An appointment is identified by
// operator==; time and text only spread them over the hash buckets. The appointments
// are not copied: the books must outlive the tally.
class Tally {
  public:
    Tally() = default;
    explicit Tally(const AppointmentBook& book) {
        book.forEach([this](const Appointment& a) { ++slot(a); });
    }

    int count(const Appointment& a) const {
        const auto [first, last] = entries_.equal_range(keyOf(a));
        for (auto it = first; it != last; ++it) {
            if (*it->second.appointment == a) {
                return it->second.count;
            }
        }
        return 0;
    }

    int& slot(const Appointment& a) {
        const std::size_t key = keyOf(a);
        const auto [first, last] = entries_.equal_range(key);
        for (auto it = first; it != last; ++it) {
            if (*it->second.appointment == a) {
                return it->second.count;
            }
        }
        return entries_.emplace(key, Entry{&a, 0})->second.count;
    }

  private:
    struct Entry {
        const Appointment* appointment;
        int count;
    };

    static std::size_t keyOf(const Appointment& a) {
        return std::hash<std::string>{}(a.text) * 31 + std::hash<TimeValue>{}(a.alarmTime);
    }

    std::unordered_multimap<std::size_t, Entry> entries_;
};

// The appointments of both books, each as often as `wanted` says (at most as often as the
// two hold it together), in the order of `first`, then of `second`.
template <typename Wanted>
AppointmentBook combine(const AppointmentBook& first, const AppointmentBook& second,
                        Wanted wanted) {
    AppointmentBook result;
    Tally taken;
    const auto take = [&](const Appointment& a) {
        int& count = taken.slot(a);
        if (count < wanted(a)) {
            ++count;
            result.insert(a);
        }
    };
    first.forEach(take);
    second.forEach(take);
    return result;
}

} // namespace

bool sameAppointments(const AppointmentBook& a, const AppointmentBook& b) {
    if (a.count() != b.count()) {
        return false;
    }
    Tally left(a);
    bool same = true;
    b.forEach(
        [&](const Appointment& appointment) { same = same && --left.slot(appointment) >= 0; });
    return same;
}

AppointmentBook mergeBooks(const AppointmentBook& base, const AppointmentBook& ours,
                           const AppointmentBook& theirs) {
    const Tally inBase(base);
    const Tally inOurs(ours);
    const Tally inTheirs(theirs);
    return combine(theirs, ours, [&](const Appointment& a) {
        return std::max(0, inTheirs.count(a) + inOurs.count(a) - inBase.count(a));
    });
}

AppointmentBook joinBooks(const AppointmentBook& first, const AppointmentBook& second) {
    const Tally inFirst(first);
    const Tally inSecond(second);
    return combine(first, second, [&](const Appointment& a) {
        return std::max(inFirst.count(a), inSecond.count(a));
    });
}
