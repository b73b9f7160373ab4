// Appointment books compared and merged as multisets. The books are ordered by time,
// so one walk through them meets every appointment of one time together: the work
// grows with the books' size, nothing is copied but what goes into a result, and only
// appointments of equal time are compared.
#include "store/book_merge.h"

#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Iterator = AppointmentBook::const_iterator;

// The appointments of one time in one book, in book order.
struct Group {
    Iterator first;
    Iterator last;

    bool empty() const { return first == last; }
    std::size_t size() const { return static_cast<std::size_t>(std::distance(first, last)); }
};

// Groups of at most this many appointments of one time are compared one by one;
// larger ones (a file with thousands of appointments at one minute) are sorted first.
constexpr std::size_t SMALL_GROUP = 16;

// An order of appointments by what identifies them besides their time: their text and
// rule. Within one time it tells appointments apart; across times it gathers a series.
bool before(const Appointment* a, const Appointment* b) {
    const Recurrence& x = a->recurrence;
    const Recurrence& y = b->recurrence;
    return std::tie(a->text, x.kind, x.month, x.day, x.weekday, x.hour, x.minute) <
           std::tie(b->text, y.kind, y.month, y.day, y.weekday, y.hour, y.minute);
}

std::vector<const Appointment*> pointersTo(Group group) {
    std::vector<const Appointment*> pointers;
    for (Iterator it = group.first; it != group.last; ++it) {
        pointers.push_back(&*it);
    }
    return pointers;
}

// How often each appointment stands in a group.
class Counts {
  public:
    explicit Counts(Group group) : group_(group) {
        if (group.size() > SMALL_GROUP) {
            sorted_ = pointersTo(group);
            std::sort(sorted_.begin(), sorted_.end(), before);
        }
    }

    int operator()(const Appointment& a) const {
        if (sorted_.empty()) {
            return static_cast<int>(std::count(group_.first, group_.last, a));
        }
        const auto [first, last] = std::equal_range(sorted_.begin(), sorted_.end(), &a, before);
        return static_cast<int>(last - first);
    }

  private:
    Group group_;
    std::vector<const Appointment*> sorted_;
};

// Walks the books time by time, from the earliest. For every time, `visit` gets each
// book's appointments of that time (empty where a book has none).
template <std::size_t N, typename Visit>
void walkByTime(const std::array<const AppointmentBook*, N>& books, Visit visit) {
    std::array<Iterator, N> at;
    for (std::size_t i = 0; i < N; ++i) {
        at[i] = books[i]->begin();
    }
    for (;;) {
        bool any = false;
        TimeValue time = 0;
        for (std::size_t i = 0; i < N; ++i) {
            if (at[i] != books[i]->end() && (!any || at[i]->alarmTime < time)) {
                time = at[i]->alarmTime;
                any = true;
            }
        }
        if (!any) {
            return;
        }
        std::array<Group, N> groups;
        for (std::size_t i = 0; i < N; ++i) {
            groups[i].first = at[i];
            while (at[i] != books[i]->end() && at[i]->alarmTime == time) {
                ++at[i];
            }
            groups[i].last = at[i];
        }
        visit(groups);
    }
}

// Adds to `result` the appointments of both groups, `first`'s then `second`'s in
// their order, each at most as often as `wanted` says.
template <typename Wanted>
void take(Group first, Group second, const Wanted& wanted, AppointmentBook& result) {
    if (first.size() + second.size() <= SMALL_GROUP) {
        std::array<const Appointment*, SMALL_GROUP> taken{};
        std::size_t count = 0;
        const auto offer = [&](const Appointment& a) {
            const auto same = [&a](const Appointment* t) { return *t == a; };
            if (std::count_if(taken.begin(), taken.begin() + count, same) < wanted(a)) {
                taken[count++] = &a;
                result.insert(a);
            }
        };
        std::for_each(first.first, first.last, offer);
        std::for_each(second.first, second.last, offer);
        return;
    }
    // Equal appointments side by side, each run in its first order: the first ones of
    // a run are the ones taken, and all taken ones go in in their first order.
    std::vector<const Appointment*> both = pointersTo(first);
    const std::vector<const Appointment*> more = pointersTo(second);
    both.insert(both.end(), more.begin(), more.end());
    std::vector<std::size_t> order(both.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::stable_sort(order.begin(), order.end(),
                     [&both](std::size_t a, std::size_t b) { return before(both[a], both[b]); });
    std::vector<bool> chosen(both.size(), false);
    for (std::size_t run = 0; run < order.size();) {
        std::size_t end = run + 1;
        while (end < order.size() && *both[order[end]] == *both[order[run]]) {
            ++end;
        }
        const auto wantedCount = static_cast<std::size_t>(std::max(0, wanted(*both[order[run]])));
        for (std::size_t k = run; k < end && k - run < wantedCount; ++k) {
            chosen[order[k]] = true;
        }
        run = end;
    }
    for (std::size_t i = 0; i < both.size(); ++i) {
        if (chosen[i]) {
            result.insert(*both[i]);
        }
    }
}

} // namespace

bool sameAppointments(const AppointmentBook& a, const AppointmentBook& b) {
    if (a.count() != b.count()) {
        return false;
    }
    bool same = true;
    walkByTime<2>({&a, &b}, [&same](const std::array<Group, 2>& groups) {
        if (!same) {
            return;
        }
        const std::size_t size = groups[0].size();
        if (size != groups[1].size()) {
            same = false;
        } else if (size == 1) {
            same = *groups[0].first == *groups[1].first;
        } else {
            const Counts left(groups[0]);
            const Counts right(groups[1]);
            same = std::all_of(groups[0].first, groups[0].last,
                               [&](const Appointment& x) { return left(x) == right(x); });
        }
    });
    return same;
}

AppointmentBook mergeBooks(const AppointmentBook& base, const AppointmentBook& ours,
                           const AppointmentBook& theirs) {
    // A series moves on at every alarm: its occurrence leaves, the next one comes. So
    // where both sides removed occurrences of a series, their additions to that series
    // are the series' new places, and the sides are matched by series, not by time.
    // Counted per series, so that of two equal series only as many are matched as both
    // sides removed.
    struct SeriesCounts {
        int goneOnBoth = 0;
        int addedByOurs = 0;
        int addedByTheirs = 0;
    };
    std::map<const Appointment*, SeriesCounts, decltype(&before)> series(before);
    walkByTime<3>({&base, &ours, &theirs}, [&](const std::array<Group, 3>& groups) {
        const auto& [inBase, inOurs, inTheirs] = groups;
        const Counts b(inBase);
        const Counts o(inOurs);
        const Counts t(inTheirs);
        // Each appointment of the time once, wherever it stands.
        std::set<const Appointment*, decltype(&before)> seen(before);
        for (const Group& group : groups) {
            for (Iterator a = group.first; a != group.last; ++a) {
                if (!a->recurrence.repeats() || !seen.insert(&*a).second) {
                    continue;
                }
                SeriesCounts& counts = series[&*a];
                counts.goneOnBoth += std::max(0, std::min(b(*a) - o(*a), b(*a) - t(*a)));
                counts.addedByOurs += std::max(0, o(*a) - b(*a));
                counts.addedByTheirs += std::max(0, t(*a) - b(*a));
            }
        }
    });
    // Of the occurrences gone on both sides, each moved on by both stands where theirs
    // stands, once: our additions that moved them are not added. Each moved on by one
    // side and deleted or changed by the other stays deleted or changed: so many of
    // their additions are not taken. The earliest additions are the ones left out.
    struct Dropped {
        int ours = 0;
        int theirs = 0;
    };
    std::map<const Appointment*, Dropped, decltype(&before)> toDrop(before);
    for (const auto& [first, counts] : series) {
        const int oursMoved = std::min(counts.goneOnBoth, counts.addedByOurs);
        const int oursDeleted = counts.goneOnBoth - oursMoved;
        const int theirsMoved = std::min(counts.goneOnBoth, counts.addedByTheirs);
        if (oursMoved > 0 || theirsMoved > 0) {
            toDrop[first] = Dropped{oursMoved, std::min(theirsMoved, oursDeleted)};
        }
    }

    AppointmentBook result;
    walkByTime<3>({&base, &ours, &theirs}, [&](const std::array<Group, 3>& groups) {
        const auto& [inBase, inOurs, inTheirs] = groups;
        if (inBase.empty() && inOurs.empty() && toDrop.empty()) {
            std::for_each(inTheirs.first, inTheirs.last,
                          [&result](const Appointment& a) { result.insert(a); });
            return;
        }
        const Counts b(inBase);
        const Counts o(inOurs);
        const Counts t(inTheirs);
        // What this time's appointments leave out of the additions of their series.
        std::map<const Appointment*, Dropped, decltype(&before)> droppedHere(before);
        for (const Group& group : {inTheirs, inOurs}) {
            for (Iterator a = group.first; a != group.last; ++a) {
                const auto left = toDrop.find(&*a);
                if (left == toDrop.end() || droppedHere.contains(&*a)) {
                    continue;
                }
                Dropped& here = droppedHere[&*a];
                here.ours = std::min(left->second.ours, std::max(0, o(*a) - b(*a)));
                here.theirs = std::min(left->second.theirs, std::max(0, t(*a) - b(*a)));
                left->second.ours -= here.ours;
                left->second.theirs -= here.theirs;
            }
        }
        take(
            inTheirs, inOurs,
            [&](const Appointment& a) {
                const auto here = droppedHere.find(&a);
                const Dropped dropped = here == droppedHere.end() ? Dropped{} : here->second;
                const int added = std::max(0, o(a) - b(a)) - dropped.ours;
                const int removed = std::max(0, b(a) - o(a));
                return std::max(0, t(a) - dropped.theirs + added - removed);
            },
            result);
    });
    return result;
}

AppointmentBook joinBooks(const AppointmentBook& first, const AppointmentBook& second) {
    AppointmentBook result;
    walkByTime<2>({&first, &second}, [&result](const std::array<Group, 2>& groups) {
        const Counts f(groups[0]);
        const Counts s(groups[1]);
        take(
            groups[0], groups[1], [&](const Appointment& a) { return std::max(f(a), s(a)); },
            result);
    });
    return result;
}
