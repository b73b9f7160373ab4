// The join of two copies of the shared appointments.
#include "store/replica.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <tuple>
#include <utility>

#include "core/calendar.h"

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

// Which identity stands for an appointment that forwards link to others: every identity a
// chain of forwards links, in either direction, names one appointment, and the smallest of
// them stands for it, so that every copy agrees whatever forwards it learnt first.
class Resolver {
  public:
    explicit Resolver(const std::vector<Forward>& forwards) {
        for (const Forward& f : forwards) {
            ids_.push_back(f.id);
            ids_.push_back(f.to);
        }
        std::sort(ids_.begin(), ids_.end());
        ids_.erase(std::unique(ids_.begin(), ids_.end()), ids_.end());
        root_.resize(ids_.size());
        for (std::size_t i = 0; i < root_.size(); ++i) {
            root_[i] = i;
        }
        for (const Forward& f : forwards) {
            const std::size_t a = find(indexOf(f.id));
            const std::size_t b = find(indexOf(f.to));
            // The ids are sorted, so the smaller index is the smaller identity.
            root_[std::max(a, b)] = std::min(a, b);
        }
    }

    AppointmentId operator()(AppointmentId id) const {
        const auto at = std::lower_bound(ids_.begin(), ids_.end(), id);
        if (at == ids_.end() || *at != id) {
            return id;
        }
        return ids_[find(static_cast<std::size_t>(at - ids_.begin()))];
    }

  private:
    std::size_t indexOf(AppointmentId id) const {
        return static_cast<std::size_t>(std::lower_bound(ids_.begin(), ids_.end(), id) -
                                        ids_.begin());
    }
    std::size_t find(std::size_t i) const {
        while (root_[i] != i) {
            i = root_[i];
        }
        return i;
    }

    std::vector<AppointmentId> ids_;
    std::vector<std::size_t> root_;
};

auto contentOrder(const Appointment& a) {
    return std::tie(a.alarmTime, a.text, a.recurrence);
}

// Where a series stood since its last edit: where it stands, then back an occurrence for
// each time it moved on; then forward to each occurrence up to `until`; at most `most`
// each way. A one-off only where it stands. A count rises going back.
std::vector<SeriesStep> stepsOfEdit(const Appointment& a, std::uint32_t most, TimeValue until) {
    std::vector<SeriesStep> steps{{a.alarmTime, a.recurrence}};
    for (std::optional<SeriesStep> t = steps.front();
         a.recurrence.repeats() && t && steps.size() <= std::min(a.revision.moves, most);) {
        if ((t = seriesBefore(t->rule, t->time))) {
            steps.push_back(*t);
        }
    }
    std::optional<SeriesStep> t = steps.front();
    for (std::uint32_t step = 0; a.recurrence.repeats() && step < most; ++step) {
        if (!(t = seriesAfter(t->rule, t->time, t->time)) || t->time > until) {
            break;
        }
        steps.push_back(*t);
    }
    return steps;
}

// The identities a file without identities may have given the appointment: derived from
// what it says now, and for a series from what it said at earlier occurrences (as often
// as it moved since its last change) and would say at later ones up to `until` (an older
// program may have moved it on).
std::vector<AppointmentId> derivedNames(const Appointment& a, TimeValue until) {
    constexpr int MOST_ALIKE = 4;
    constexpr std::uint32_t MOST_STEPS = 1000;
    const std::vector<SeriesStep> steps = stepsOfEdit(a, MOST_STEPS, until);
    std::vector<AppointmentId> names;
    for (const auto& [time, recurrence] : steps) {
        const std::string key = timeToFileKey(time);
        const std::string rule = recurrenceToAttribute(recurrence, time);
        for (int k = 0; k < MOST_ALIKE; ++k) {
            names.push_back(derivedAppointmentId(a.text, key, rule, k));
        }
    }
    return names;
}

// A program that read a file without identities against an older state than another
// program (a sync service skipped a version) gave an appointment the identity derived
// from its content, while the other knows it by its own. Where one side holds an
// appointment under an identity derived from what an appointment that only the other
// side holds says (or said, or will say at a later occurrence), they are one appointment
// under the other's identity, as the merge by content had it, also when the derived one
// was changed since; a forward leads copies that still hold the derived one to it.
void recogniseDerived(Replica& joined, const Replica& a, const Replica& b,
                      const Replica* earlierA) {
    const Resolver resolve(joined.forwards);
    // A derived name that a link already gives to an appointment (it was changed since
    // under the name of its new words) stands for that appointment.
    const auto resolved = [&resolve](std::vector<AppointmentId> names) {
        for (AppointmentId& name : names) {
            name = resolve(name);
        }
        return names;
    };
    using Held = std::pair<AppointmentId, const Appointment*>;
    const auto heldBy = [&resolve](const Replica& side) {
        std::vector<Held> held;
        for (const Appointment& x : side.appointments) {
            held.emplace_back(resolve(x.id), &x);
        }
        std::sort(held.begin(), held.end(),
                  [](const Held& x, const Held& y) { return x.first < y.first; });
        return held;
    };
    // Whether a side holds the joined appointment as the join kept it, or at another
    // occurrence of the same edit. A side that holds only a version from before an edit
    // may hold the edited words besides, under the name a file without identities derived
    // from them.
    const auto holdsAlike = [](const std::vector<Held>& held, const Appointment& x) {
        const auto [from, to] =
            std::equal_range(held.begin(), held.end(), Held{x.id, nullptr},
                             [](const Held& p, const Held& q) { return p.first < q.first; });
        return std::any_of(from, to, [&x](const Held& h) {
            const Revision& r = h.second->revision;
            return sameContent(*h.second, x) ||
                   (r.edits == x.revision.edits && r.moves != x.revision.moves);
        });
    };
    const std::vector<Held> inA = heldBy(a);
    const std::vector<Held> inB = heldBy(b);
    // The appointments that one side holds in the words the join kept and the other does
    // not, by side.
    std::vector<std::size_t> onlyIn[2];
    TimeValue latest[2] = {0, 0};
    for (std::size_t i = 0; i < joined.appointments.size(); ++i) {
        const Appointment& x = joined.appointments[i];
        const bool holdsA = holdsAlike(inA, x);
        if (holdsA != holdsAlike(inB, x)) {
            onlyIn[holdsA ? 0 : 1].push_back(i);
            latest[holdsA ? 0 : 1] = std::max(latest[holdsA ? 0 : 1], x.alarmTime);
        }
    }
    std::vector<Forward> forwards;
    // What `a` deleted since its last look is deleted under the names derived from it too,
    // and with what the other side holds under an identity that its name was derived from:
    // the two are one appointment, known apart through a file without identities.
    if (earlierA != nullptr) {
        struct Deleted {
            AppointmentId id;                 // the identity that stands for it now
            AppointmentId was;                // the identity it had here
            std::vector<AppointmentId> names; // derived from what it said
        };
        std::vector<Deleted> deleted;
        TimeValue latestDeleted = 0;
        for (const Appointment& was : earlierA->appointments) {
            const AppointmentId id = resolve(was.id);
            if (findById(joined.tombstones, id) != nullptr && !findById(joined.appointments, id)) {
                deleted.push_back({id, was.id, resolved(derivedNames(was, latest[1]))});
                latestDeleted = std::max(latestDeleted, was.alarmTime);
            }
        }
        const auto among = [](const std::vector<AppointmentId>& ids, AppointmentId x) {
            return std::find(ids.begin(), ids.end(), x) != ids.end();
        };
        for (std::size_t i = 0; !deleted.empty() && i < onlyIn[1].size(); ++i) {
            const Appointment& copy = joined.appointments[onlyIn[1][i]];
            const std::vector<AppointmentId> names = derivedNames(copy, latestDeleted);
            // Not where it has an equal beside it: that may be another appointment alike.
            const auto alike = [&copy](const Appointment& x) { return sameContent(x, copy); };
            if (std::count_if(joined.appointments.begin(), joined.appointments.end(), alike) > 1) {
                continue;
            }
            for (const Deleted& gone : deleted) {
                if (among(gone.names, copy.id) || among(names, gone.was)) {
                    forwards.push_back({copy.id, gone.id, copy.alarmTime});
                }
            }
        }
    }
    if (onlyIn[0].empty() || onlyIn[1].empty()) {
        if (!forwards.empty()) {
            joined.forwards.insert(joined.forwards.end(), forwards.begin(), forwards.end());
            joined = normalized(std::move(joined));
        }
        return;
    }
    std::vector<bool> dropped(joined.appointments.size(), false);
    for (int side = 0; side < 2; ++side) {
        const std::vector<std::size_t>& others = onlyIn[1 - side];
        for (const std::size_t keep : onlyIn[side]) {
            if (dropped[keep]) {
                continue;
            }
            std::vector<AppointmentId> names =
                resolved(derivedNames(joined.appointments[keep], latest[1 - side]));
            // What it said before a change made since its last look, on the side that
            // knows that.
            const Appointment* earlier =
                side == 0 && earlierA != nullptr
                    ? findById(earlierA->appointments, joined.appointments[keep].id)
                    : nullptr;
            if (earlier != nullptr && !sameContent(*earlier, joined.appointments[keep])) {
                const std::vector<AppointmentId> more = derivedNames(*earlier, latest[1 - side]);
                names.insert(names.end(), more.begin(), more.end());
            }
            for (const std::size_t drop : others) {
                Appointment& gone = joined.appointments[drop];
                if (dropped[drop] || gone.id == joined.appointments[keep].id ||
                    std::find(names.begin(), names.end(), gone.id) == names.end()) {
                    continue;
                }
                // The version that wins, under the identity that was not derived from it.
                Appointment& kept = joined.appointments[keep];
                if (supersedes(gone, kept)) {
                    const AppointmentId id = kept.id;
                    kept = gone;
                    kept.id = id;
                }
                // Kept as long as the appointment's own time is near.
                forwards.push_back({gone.id, kept.id, kept.alarmTime});
                dropped[drop] = true;
            }
        }
    }
    if (forwards.empty()) {
        return;
    }
    std::size_t i = 0;
    std::erase_if(joined.appointments, [&](const Appointment&) { return dropped[i++]; });
    joined.forwards.insert(joined.forwards.end(), forwards.begin(), forwards.end());
    joined = normalized(std::move(joined));
}

// Whether the appointment says the words that a deletion shown by an older program's file
// was limited to, where it stands or at another occurrence of the same edit: a series that
// moved on at its alarms, here or at the program that saw the deletion, is no other version.
bool saysTheDeletedWords(const Appointment& a, const Tombstone& t) {
    if (t.words == 0 || wordsOf(a) == t.words) {
        return true;
    }
    if (!a.recurrence.repeats()) {
        return false;
    }
    const std::vector<AppointmentId> names =
        derivedNames(a, t.deletedAt + TOMBSTONE_DAYS * SECONDS_PER_DAY);
    return std::find(names.begin(), names.end(), t.words) != names.end();
}

} // namespace

std::uint64_t wordsOf(const Appointment& a) {
    return derivedAppointmentId(a.text, timeToFileKey(a.alarmTime),
                                recurrenceToAttribute(a.recurrence, a.alarmTime), 0);
}

bool supersedes(const Appointment& a, const Appointment& b) {
    if (a.revision != b.revision) {
        return a.revision > b.revision;
    }
    return contentOrder(a) > contentOrder(b);
}

Replica normalized(Replica replica) {
    // Each link once, at its latest time.
    auto& forwards = replica.forwards;
    std::sort(forwards.begin(), forwards.end(), [](const Forward& x, const Forward& y) {
        return std::tie(x.id, x.to, y.madeAt) < std::tie(y.id, y.to, x.madeAt);
    });
    forwards.erase(std::unique(forwards.begin(), forwards.end(),
                               [](const Forward& x, const Forward& y) {
                                   return x.id == y.id && x.to == y.to;
                               }),
                   forwards.end());
    const Resolver resolve(forwards);
    // A deletion follows its appointment to the identity it moved to.
    for (Tombstone& tombstone : replica.tombstones) {
        tombstone.id = resolve(tombstone.id);
    }
    // The deletion of the most edits; of equal edits, one of any words wins over one of
    // certain words.
    const auto latest = [](Tombstone& kept, const Tombstone& other) {
        if (other.edits > kept.edits) {
            kept.words = other.words;
        } else if (other.edits == kept.edits) {
            kept.words =
                kept.words == 0 || other.words == 0 ? 0 : std::max(kept.words, other.words);
        }
        kept.edits = std::max(kept.edits, other.edits);
        kept.deletedAt = std::max(kept.deletedAt, other.deletedAt);
    };
    foldById(replica.tombstones, latest);
    auto& appointments = replica.appointments;
    std::erase_if(appointments, [](const Appointment& a) { return a.id == NO_ID; });
    for (Appointment& appointment : appointments) {
        appointment.id = resolve(appointment.id);
    }
    foldById(appointments, [](Appointment& kept, Appointment& other) {
        if (supersedes(other, kept)) {
            kept = std::move(other);
        }
    });
    std::erase_if(appointments, [&replica](const Appointment& a) {
        const Tombstone* t = findById(replica.tombstones, a.id);
        return t != nullptr && (t->edits > a.revision.edits ||
                                (t->edits == a.revision.edits && saysTheDeletedWords(a, *t)));
    });
    return replica;
}

Replica join(const Replica& a, const Replica& b) {
    return join(a, b, nullptr);
}

Replica join(const Replica& a, const Replica& b, const Replica* earlierA) {
    Replica both = a;
    both.appointments.insert(both.appointments.end(), b.appointments.begin(), b.appointments.end());
    both.tombstones.insert(both.tombstones.end(), b.tombstones.begin(), b.tombstones.end());
    both.forwards.insert(both.forwards.end(), b.forwards.begin(), b.forwards.end());
    both = normalized(std::move(both));
    recogniseDerived(both, a, b, earlierA);
    return both;
}

bool needsPruning(const Replica& replica, TimeValue now) {
    const TimeValue oldest = now - TOMBSTONE_DAYS * SECONDS_PER_DAY;
    const auto old = [oldest](const auto& t) { return t.deletedAt < oldest; };
    return std::any_of(replica.tombstones.begin(), replica.tombstones.end(), old) ||
           std::any_of(replica.forwards.begin(), replica.forwards.end(),
                       [oldest](const Forward& f) { return f.madeAt < oldest; });
}

void prune(Replica& replica, TimeValue now) {
    const TimeValue oldest = now - TOMBSTONE_DAYS * SECONDS_PER_DAY;
    const auto old = [oldest](const Tombstone& t) { return t.deletedAt < oldest; };
    std::erase_if(replica.tombstones, old);
    std::erase_if(replica.forwards, [oldest](const Forward& f) { return f.madeAt < oldest; });
}

Replica replicaOf(const AppointmentBook& book) {
    Replica replica;
    replica.appointments.reserve(static_cast<std::size_t>(book.count()));
    book.forEach([&replica](const Appointment& a) { replica.appointments.push_back(a); });
    return normalized(std::move(replica));
}

Replica identifyUnmarked(const AppointmentBook& file, const Replica& before, bool whole,
                         TimeValue now, const std::vector<Forward>& links) {
    Replica result = replicaOf(file);
    if (before.appointments.empty()) {
        return result; // nothing to compare with (a first look)
    }
    // Both sides by content, then identity: one walk finds what is alike.
    const auto byContent = [](const Appointment* x, const Appointment* y) {
        return std::tie(x->alarmTime, x->text, x->recurrence, x->id) <
               std::tie(y->alarmTime, y->text, y->recurrence, y->id);
    };
    std::vector<Appointment*> ours;
    ours.reserve(result.appointments.size());
    for (Appointment& a : result.appointments) {
        ours.push_back(&a);
    }
    std::vector<const Appointment*> earlier;
    earlier.reserve(before.appointments.size());
    for (const Appointment& a : before.appointments) {
        earlier.push_back(&a);
    }
    std::sort(ours.begin(), ours.end(), byContent);
    std::sort(earlier.begin(), earlier.end(), byContent);
    // What the file holds and nobody had, and what it held and holds no more.
    std::vector<Appointment*> newcomers;
    std::vector<const Appointment*> gone;
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
            // A name that an equal appointment had when it was deleted is not linked: the
            // link would take this one along into the deletion.
            if (findById(before.tombstones, unmatched[paired]->id) != nullptr) {
                unmatched[paired]->id = wasThere[paired]->id;
            } else {
                result.forwards.push_back({wasThere[paired]->id, unmatched[paired]->id, now});
            }
        }
        newcomers.insert(newcomers.end(), unmatched.begin() + static_cast<std::ptrdiff_t>(paired),
                         unmatched.end());
        // Of equal ones, the file holding fewer than before deletes none: two copies of one
        // appointment may have met since, and a deletion of one would take both.
        if (inFile.empty()) {
            gone.insert(gone.end(), wasThere.begin() + static_cast<std::ptrdiff_t>(paired),
                        wasThere.end());
        }
    }
    // One that the file holds under an identity already linked to one it no longer holds
    // (an older program wrote back another version of it): changed there, not deleted.
    std::vector<Forward> known = before.forwards;
    known.insert(known.end(), links.begin(), links.end());
    const Resolver resolve(known);
    for (const Appointment*& was : gone) {
        const AppointmentId id = resolve(was->id);
        const auto linked =
            std::find_if(newcomers.begin(), newcomers.end(),
                         [&](const Appointment* a) { return resolve(a->id) == id; });
        if (linked != newcomers.end()) {
            (*linked)->revision = edited(was->revision);
            newcomers.erase(linked);
            was = nullptr;
        }
    }
    std::erase(gone, nullptr);
    // One linked to an identity that the file holds still (two copies of one appointment
    // met before): the file holds it.
    known.insert(known.end(), result.forwards.begin(), result.forwards.end());
    const Resolver linkedNow(known);
    std::vector<AppointmentId> held;
    for (const Appointment& a : result.appointments) {
        held.push_back(linkedNow(a.id));
    }
    std::sort(held.begin(), held.end());
    std::erase_if(gone, [&](const Appointment* was) {
        return std::binary_search(held.begin(), held.end(), linkedNow(was->id));
    });
    // A series that the older program alarmed stands at a later occurrence: the same text
    // and rule (but for the occurrences it has left), later. It moved on, so a change made
    // elsewhere meanwhile still wins.
    const auto ruleOf = [](const Appointment* x) {
        Recurrence rule = x->recurrence;
        rule.count = 0;
        return rule;
    };
    const auto bySeries = [&ruleOf](const Appointment* x, const Appointment* y) {
        if (x->text != y->text) {
            return x->text < y->text;
        }
        const Recurrence a = ruleOf(x);
        const Recurrence b = ruleOf(y);
        return a != b ? a < b : x->alarmTime < y->alarmTime;
    };
    std::sort(newcomers.begin(), newcomers.end(), bySeries);
    std::sort(gone.begin(), gone.end(), bySeries);
    std::vector<const Appointment*> movedOn;
    auto next = newcomers.begin();
    for (const Appointment*& was : gone) {
        if (!was->recurrence.repeats()) {
            continue;
        }
        const auto sameSeries = [was, &ruleOf](const Appointment* a) {
            return a->text == was->text && ruleOf(a) == ruleOf(was);
        };
        while (next != newcomers.end() && bySeries(*next, was) && !sameSeries(*next)) {
            ++next;
        }
        while (next != newcomers.end() && sameSeries(*next) &&
               (*next)->alarmTime <= was->alarmTime) {
            ++next;
        }
        if (next != newcomers.end() && sameSeries(*next)) {
            (*next)->revision = moved(was->revision);
            movedOn.push_back(*next);
            result.forwards.push_back({was->id, (*next)->id, now});
            ++next;
            was = nullptr;
        }
    }
    std::optional<std::uint32_t> mostEdits;
    for (const Appointment* was : gone) {
        if (whole && was != nullptr && findById(result.appointments, was->id) == nullptr) {
            result.tombstones.push_back({was->id, was->revision.edits, now, wordsOf(*was)});
            mostEdits = std::max(mostEdits.value_or(0), was->revision.edits);
        }
    }
    // What the older program wrote anew may be another version of what it no longer holds
    // (linked to it later, when another program knew both): it is the newer one, and no
    // deletion this file shows takes it.
    if (mostEdits) {
        for (Appointment* added : newcomers) {
            if (std::find(movedOn.begin(), movedOn.end(), added) == movedOn.end()) {
                added->revision = std::max(added->revision, edited(Revision{*mostEdits, 0}));
            }
        }
    }
    return normalized(std::move(result));
}

bool applyToBook(const Replica& replica, AppointmentBook& book, const AppointmentBook& newOrder) {
    const auto& wanted = replica.appointments;
    const Resolver resolve(replica.forwards);
    std::vector<bool> taken(wanted.size(), false);
    AppointmentBook result;
    // The replica's version of an appointment, once; nullptr when it has none or gave it.
    const auto take = [&](const Appointment& a) -> const Appointment* {
        const Appointment* found = findById(wanted, resolve(a.id));
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
    const Resolver resolve(ours.forwards);
    for (const Appointment& was : known.appointments) {
        if (findById(ours.appointments, resolve(was.id)) == nullptr) {
            ours.tombstones.push_back({was.id, was.revision.edits, now});
        }
    }
    return normalized(std::move(ours));
}

void linkEarlierWords(Replica& ours, const Replica& known, TimeValue now) {
    const std::size_t before = ours.forwards.size();
    // A name that another appointment has, or had when it was deleted (one alike, which a
    // file without identities named first), stays that one's.
    const auto namesAnother = [&ours, &known](AppointmentId id) {
        const auto linked = [id](const Forward& f) { return f.id == id || f.to == id; };
        return std::any_of(ours.forwards.begin(), ours.forwards.end(), linked) ||
               std::any_of(known.forwards.begin(), known.forwards.end(), linked) ||
               findById(ours.appointments, id) || findById(known.appointments, id) ||
               findById(ours.tombstones, id) || findById(known.tombstones, id);
    };
    for (const Appointment& a : ours.appointments) {
        const Appointment* was = findById(known.appointments, a.id);
        if (was == nullptr || sameContent(*was, a) || was->revision.edits == a.revision.edits) {
            continue;
        }
        // Its words where it stood, and for a series at each occurrence it had since its
        // last edit (it moved on at alarms, also while the list was open) and at each one
        // from there to the first after now (an older program that started while it was
        // due moved it on): an older program's file, or a copy of one, may say any of them.
        constexpr std::uint32_t MOST_STEPS = 8;
        constexpr TimeValue CLOCKS_APART = 60 * 60; // its PC's clock may be ahead
        const TimeValue due = now + CLOCKS_APART;
        const std::optional<SeriesStep> next =
            was->alarmTime <= due ? seriesAfter(was->recurrence, was->alarmTime, due)
                                  : std::nullopt;
        const std::vector<SeriesStep> steps =
            stepsOfEdit(*was, MOST_STEPS, next ? next->time : was->alarmTime);
        for (const auto& [time, rule] : steps) {
            const AppointmentId earlier = wordsOf({time, was->text, rule});
            if (earlier != a.id && !namesAnother(earlier)) {
                ours.forwards.push_back({earlier, a.id, now});
            }
        }
    }
    if (ours.forwards.size() != before) {
        ours = normalized(std::move(ours));
    }
}

std::optional<std::uint32_t> revivalEdits(const Replica& known, AppointmentId id) {
    const Resolver resolve(known.forwards);
    const AppointmentId name = resolve(id);
    bool deleted = false;
    std::uint32_t highest = 0;
    for (const Tombstone& t : known.tombstones) {
        deleted = deleted || resolve(t.id) == name;
        highest = std::max(highest, t.edits);
    }
    return deleted ? std::optional(highest + 1) : std::nullopt;
}

bool holdsExactly(const Replica& replica, const AppointmentBook& book) {
    if (static_cast<std::size_t>(book.count()) != replica.appointments.size()) {
        return false;
    }
    bool all = true;
    book.forEach([&](const Appointment& a) {
        const Appointment* found = all ? findById(replica.appointments, a.id) : nullptr;
        all = found != nullptr && *found == a;
    });
    return all;
}

const Appointment* findAppointment(const Replica& replica, AppointmentId id) {
    return findById(replica.appointments, id);
}
