// The join of two copies of the shared appointments.
#include "store/replica.h"

#include <algorithm>
#include <iterator>
#include <tuple>
#include <utility>

namespace {

constexpr TimeValue SECONDS_PER_DAY = 86400;

// Sorts by identity and folds the entries of one identity into one with `fold`.
template <typename Entry, typename Fold> void foldById(std::vector<Entry>& entries, Fold fold) {
    std::sort(entries.begin(), entries.end(),
              [](const Entry& x, const Entry& y) { return x.id < y.id; });
    auto kept = entries.begin();
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        if (kept != entries.begin() && std::prev(kept)->id == it->id) {
            fold(*std::prev(kept), *it);
        } else {
            if (kept != it) {
                *kept = std::move(*it);
            }
            ++kept;
        }
    }
    entries.erase(kept, entries.end());
}

template <typename Entry>
const Entry* findById(const std::vector<Entry>& entries, AppointmentId id) {
    const auto at = std::lower_bound(entries.begin(), entries.end(), id,
                                     [](const Entry& e, AppointmentId x) { return e.id < x; });
    return at != entries.end() && at->id == id ? &*at : nullptr;
}

// Where the forwards lead an identity: to the end of its chain, or, should two forwards
// have made a cycle, to the smallest identity on it, so that every copy agrees.
AppointmentId resolve(const std::vector<Forward>& forwards, AppointmentId id) {
    if (forwards.empty()) {
        return id;
    }
    std::vector<AppointmentId> path;
    for (;;) {
        const auto seen = std::find(path.begin(), path.end(), id);
        if (seen != path.end()) {
            return *std::min_element(seen, path.end());
        }
        const Forward* forward = findById(forwards, id);
        if (forward == nullptr) {
            return id;
        }
        path.push_back(id);
        id = forward->to;
    }
}

auto contentOrder(const Appointment& a) {
    return std::tie(a.alarmTime, a.text, a.recurrence);
}

} // namespace

bool supersedes(const Appointment& a, const Appointment& b) {
    if (a.revision != b.revision) {
        return a.revision > b.revision;
    }
    return contentOrder(a) > contentOrder(b);
}

Replica normalized(Replica replica) {
    foldById(replica.forwards, [](Forward& kept, const Forward& other) {
        kept.to = std::max(kept.to, other.to);
        kept.madeAt = std::max(kept.madeAt, other.madeAt);
    });
    // A deletion follows its appointment to the identity it moved to.
    for (Tombstone& tombstone : replica.tombstones) {
        tombstone.id = resolve(replica.forwards, tombstone.id);
    }
    foldById(replica.tombstones, [](Tombstone& kept, const Tombstone& other) {
        kept.edits = std::max(kept.edits, other.edits);
        kept.deletedAt = std::max(kept.deletedAt, other.deletedAt);
    });
    auto& appointments = replica.appointments;
    std::erase_if(appointments, [](const Appointment& a) { return a.id == NO_ID; });
    for (Appointment& appointment : appointments) {
        appointment.id = resolve(replica.forwards, appointment.id);
    }
    foldById(appointments, [](Appointment& kept, Appointment& other) {
        if (supersedes(other, kept)) {
            kept = std::move(other);
        }
    });
    std::erase_if(appointments, [&replica](const Appointment& a) {
        const Tombstone* tombstone = findById(replica.tombstones, a.id);
        return tombstone != nullptr && tombstone->edits >= a.revision.edits;
    });
    return replica;
}

Replica join(const Replica& a, const Replica& b) {
    Replica both = a;
    both.appointments.insert(both.appointments.end(), b.appointments.begin(), b.appointments.end());
    both.tombstones.insert(both.tombstones.end(), b.tombstones.begin(), b.tombstones.end());
    both.forwards.insert(both.forwards.end(), b.forwards.begin(), b.forwards.end());
    return normalized(std::move(both));
}

void prune(Replica& replica, TimeValue now) {
    const TimeValue oldest = now - TOMBSTONE_DAYS * SECONDS_PER_DAY;
    std::erase_if(replica.tombstones,
                  [oldest](const Tombstone& t) { return t.deletedAt < oldest; });
    std::erase_if(replica.forwards, [oldest](const Forward& f) { return f.madeAt < oldest; });
}

Replica replicaOf(const AppointmentBook& book) {
    Replica replica;
    replica.appointments.reserve(static_cast<std::size_t>(book.count()));
    book.forEach([&replica](const Appointment& a) { replica.appointments.push_back(a); });
    return normalized(std::move(replica));
}

Replica identifyUnmarked(const AppointmentBook& file, const Replica& before, bool whole,
                         TimeValue now) {
    Replica result = replicaOf(file);
    // Both sides by content, then identity: one walk finds what is alike.
    const auto byContent = [](const Appointment* x, const Appointment* y) {
        return std::tie(x->alarmTime, x->text, x->recurrence, x->id) <
               std::tie(y->alarmTime, y->text, y->recurrence, y->id);
    };
    std::vector<Appointment*> ours;
    for (Appointment& a : result.appointments) {
        ours.push_back(&a);
    }
    std::vector<const Appointment*> earlier;
    for (const Appointment& a : before.appointments) {
        earlier.push_back(&a);
    }
    std::sort(ours.begin(), ours.end(), byContent);
    std::sort(earlier.begin(), earlier.end(), byContent);
    auto mine = ours.begin();
    auto old = earlier.begin();
    while (mine != ours.end() || old != earlier.end()) {
        // The next group of equal content on either side.
        const Appointment& first =
            old == earlier.end() || (mine != ours.end() && byContent(*mine, *old)) ? **mine : **old;
        std::vector<Appointment*> inFile;
        while (mine != ours.end() && sameContent(**mine, first)) {
            inFile.push_back(*mine++);
        }
        std::vector<const Appointment*> wasThere;
        while (old != earlier.end() && sameContent(**old, first)) {
            wasThere.push_back(*old++);
        }
        // Alike by identity first (a derived identity that this program already uses),
        // then the rest in order.
        std::vector<Appointment*> unmatched;
        for (Appointment* a : inFile) {
            const auto same = std::find_if(wasThere.begin(), wasThere.end(),
                                           [a](const Appointment* b) { return b->id == a->id; });
            if (same != wasThere.end()) {
                a->revision = (*same)->revision;
                wasThere.erase(same);
            } else {
                unmatched.push_back(a);
            }
        }
        std::size_t paired = 0;
        for (; paired < unmatched.size() && paired < wasThere.size(); ++paired) {
            unmatched[paired]->revision = wasThere[paired]->revision;
            result.forwards.push_back({wasThere[paired]->id, unmatched[paired]->id, now});
        }
        for (std::size_t gone = paired; whole && gone < wasThere.size(); ++gone) {
            const AppointmentId id = wasThere[gone]->id;
            if (findById(result.appointments, id) == nullptr) {
                result.tombstones.push_back({id, wasThere[gone]->revision.edits, now});
            }
        }
    }
    return normalized(std::move(result));
}

bool applyToBook(const Replica& replica, AppointmentBook& book, const AppointmentBook& newOrder) {
    const auto& wanted = replica.appointments;
    std::vector<bool> taken(wanted.size(), false);
    AppointmentBook result;
    // The replica's version of an appointment, once; nullptr when it has none or gave it.
    const auto take = [&](const Appointment& a) -> const Appointment* {
        const Appointment* found = findById(wanted, resolve(replica.forwards, a.id));
        if (found == nullptr) {
            return nullptr;
        }
        const auto index = static_cast<std::size_t>(found - wanted.data());
        if (taken[index]) {
            return nullptr;
        }
        taken[index] = true;
        result.insert(*found);
        return found;
    };
    bool changed = false;
    book.forEach([&](const Appointment& a) {
        const Appointment* kept = take(a);
        changed = changed || kept == nullptr || !(*kept == a);
    });
    newOrder.forEach([&](const Appointment& a) { changed = take(a) != nullptr || changed; });
    for (const Appointment& a : wanted) {
        changed = take(a) != nullptr || changed;
    }
    if (changed) {
        book = std::move(result);
    }
    return changed;
}

Replica withDeletions(const AppointmentBook& book, const Replica& known, TimeValue now) {
    Replica ours = replicaOf(book);
    ours.tombstones = known.tombstones;
    ours.forwards = known.forwards;
    ours = normalized(std::move(ours));
    for (const Appointment& was : known.appointments) {
        if (findById(ours.appointments, resolve(ours.forwards, was.id)) == nullptr) {
            ours.tombstones.push_back({was.id, was.revision.edits, now});
        }
    }
    return normalized(std::move(ours));
}

const Appointment* findAppointment(const Replica& replica, AppointmentId id) {
    return findById(replica.appointments, id);
}
