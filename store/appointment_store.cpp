// The appointment file as the running program sees it: look, decide, carry out.
#include "store/appointment_store.h"

#include <algorithm>
#include <iterator>
#include <tuple>
#include <utility>

#include "store/conflict_copies.h"
#include "store/data_folder.h"

namespace {

// A save looks at most this often before it gives up for now (a file that changes
// between the read and the replace is joined again).
constexpr int MOST_LOOKS_PER_SAVE = 3;
// How long a save waits before it looks again at a file that has just gone missing.
constexpr int SECOND_LOOK_PAUSE_MS = 500;

// What a file seen for the first time brings that has passed: as at start-up, a past
// appointment is missed once (or dropped) and leaves the book; a series goes on at its
// next occurrence. Only what `ours` did not hold yet counts.
void takePastNewcomers(Replica& merged, const Replica& ours, TimeValue now, bool dropPast,
                       AppointmentBook& missed) {
    for (Appointment& a : merged.appointments) {
        if (findAppointment(ours, a.id) != nullptr) {
            continue;
        }
        const StartUpSplit split = splitAtStartUp(a.recurrence, a.alarmTime, now);
        if (split.missed && !dropPast) {
            missed.insert({*split.missed, a.text, split.missedRule, a.id, a.revision});
        }
        if (!split.next) {
            merged.tombstones.push_back({a.id, a.revision.edits, now});
        } else if (*split.next != a.alarmTime) {
            a.alarmTime = *split.next;
            a.recurrence = split.nextRule;
            a.revision = moved(a.revision);
        }
    }
    merged = normalized(std::move(merged));
}

bool isEmpty(const Replica& replica) {
    return replica.appointments.empty() && replica.tombstones.empty() && replica.forwards.empty();
}

// Whether both hold the same appointments, each as often, whatever their identities.
bool sameContents(const std::vector<Appointment>& a, const std::vector<Appointment>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    const auto order = [](const Appointment* x, const Appointment* y) {
        return std::tie(x->alarmTime, x->text, x->recurrence) <
               std::tie(y->alarmTime, y->text, y->recurrence);
    };
    std::vector<const Appointment*> left;
    std::vector<const Appointment*> right;
    left.reserve(a.size());
    right.reserve(b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        left.push_back(&a[i]);
        right.push_back(&b[i]);
    }
    std::sort(left.begin(), left.end(), order);
    std::sort(right.begin(), right.end(), order);
    return std::equal(
        left.begin(), left.end(), right.begin(),
        [](const Appointment* x, const Appointment* y) { return sameContent(*x, *y); });
}

} // namespace

struct AppointmentStore::Look {
    LookKind kind = LookKind::Unavailable;
    FileStamp stamp;
    FileContent content;
    std::string text; // of an unreadable or damaged file, to keep aside
};

AppointmentStore::AppointmentStore(FileSystem& files, std::string folder, bool allUsers,
                                   bool shared)
    : files_(files), folder_(std::move(folder)), path_(appointmentFilePath(folder_)),
      allUsers_(allUsers), shared_(shared), file_(std::make_shared<const Replica>()),
      known_(file_) {}

AppointmentStore::Look AppointmentStore::lookAtFile(const StoreState& state) {
    Look look;
    const bool known = state.phase == FilePhase::Known || state.phase == FilePhase::Stale ||
                       state.phase == FilePhase::Doubted;
    FileResult result = files_.fileStamp(path_, look.stamp);
    if (result == FileResult::Missing) {
        look.stamp = FileStamp{};
    } else if (result != FileResult::Ok) {
        return look;
    }
    if (known && look.stamp == state.stamp) {
        look.kind = LookKind::Same;
        return look;
    }
    if (result == FileResult::Missing) {
        look.kind = LookKind::Missing;
        return look;
    }
    result = readWholeFile(files_, path_, look.text);
    if (result == FileResult::Missing) {
        look.stamp = FileStamp{};
        look.kind = LookKind::Missing;
    } else if (result == FileResult::Ok) {
        if (!readAppointmentFile(look.text, look.content)) {
            look.kind = LookKind::Unreadable;
        } else if (look.content.whole) {
            look.kind = LookKind::Read;
            std::string().swap(look.text); // only an unreadable file's text is kept aside
        } else {
            look.kind = LookKind::Damaged;
        }
    }
    return look;
}

bool AppointmentStore::keepAside(const std::string& text) {
    if (text.empty()) {
        return true; // nothing to keep
    }
    // The first free name; when all are taken, the copy kept longest ago makes room, so
    // that a file damaged again and again never stops the saves.
    std::string oldest;
    FileStamp oldestStamp;
    for (int n = 1; n <= MOST_KEPT_ASIDE_COPIES; ++n) {
        const std::string copy =
            path_ + std::string(KEPT_ASIDE_SUFFIX) + (n == 1 ? "" : std::to_string(n));
        FileStamp stamp;
        const FileResult result = files_.fileStamp(copy, stamp);
        if (result == FileResult::Missing) {
            const FileStamp none;
            ReplaceOptions options;
            options.expected = &none;
            return replaceWholeFile(files_, copy, text, options) == ReplaceResult::Replaced;
        }
        std::string kept;
        if (result == FileResult::Ok && files_.readFile(copy, kept) == FileResult::Ok &&
            kept == text) {
            return true; // this very file was kept before
        }
        if (result == FileResult::Ok &&
            (oldest.empty() || stamp.lastWrite < oldestStamp.lastWrite)) {
            oldest = copy;
            oldestStamp = stamp;
        }
    }
    return !oldest.empty() && replaceWholeFile(files_, oldest, text) == ReplaceResult::Replaced;
}

Replica AppointmentStore::fileReplica(const Look& look, JoinKind join, TimeValue now,
                                      const std::vector<Forward>& links) const {
    if (join == JoinKind::None) {
        return {};
    }
    FileContent intact;
    if (join == JoinKind::Intact) {
        readAppointmentFile(look.text, intact, true);
    }
    const FileContent& content = join == JoinKind::Intact ? intact : look.content;
    if (!content.marked) {
        return identifyUnmarked(content.appointments, *file_, join == JoinKind::Whole, now, links);
    }
    Replica replica = replicaOf(content.appointments);
    replica.tombstones = content.tombstones;
    replica.forwards = content.forwards;
    return normalized(std::move(replica));
}

bool AppointmentStore::fileHolds(const Replica& merged) const {
    if (&merged == file_.get()) {
        return fileMarked_ == shared_; // what was read, unless it is to change its form
    }
    if (isEmpty(merged) && file_->appointments.empty()) {
        return true; // nothing to write, in either form
    }
    if (shared_) {
        return fileMarked_ && *file_ == merged;
    }
    return !fileMarked_ && sameContents(file_->appointments, merged.appointments);
}

void AppointmentStore::joinCopies(const std::vector<std::string>& copies, Replica& merged,
                                  std::vector<std::string>& joined, TimeValue now) {
    for (const std::string& copy : copies) {
        std::string text;
        FileContent content;
        if (readWholeFile(files_, copy, text) != FileResult::Ok ||
            !readAppointmentFile(text, content) || !content.whole) {
            continue; // stays where it is, for the user
        }
        // A copy tells what it holds, never what it lacks.
        Replica replica =
            content.marked ? Replica{{}, content.tombstones, content.forwards} : Replica{};
        replica = join(replica, identifyUnmarked(content.appointments, {}, false, now));
        merged = join(merged, replica, known_.get());
        joined.push_back(copy);
        shared_ = true;
    }
}

// The join of the book with the file and the copies beside it, with what a first sight
// hands to the missed dialog taken out and old tombstones pruned. Where there is nothing
// to join or take out, the file's replica is the result itself.
std::shared_ptr<const Replica>
AppointmentStore::joinWithBook(const Replica& ours, std::shared_ptr<const Replica> theirs,
                               const StorePlan& plan, const std::vector<std::string>& copies,
                               std::vector<std::string>& joined, TimeValue now,
                               AppointmentBook& missed) {
    const bool pastToTake =
        plan.firstSight && std::any_of(theirs->appointments.begin(), theirs->appointments.end(),
                                       [now](const Appointment& a) { return a.alarmTime <= now; });
    if (isEmpty(ours) && copies.empty() && !pastToTake && !needsPruning(*theirs, now)) {
        return theirs;
    }
    Replica merged = join(ours, *theirs, known_.get());
    joinCopies(copies, merged, joined, now);
    if (plan.firstSight) {
        takePastNewcomers(merged, ours, now, deleteOld_, missed);
    }
    prune(merged, now);
    return std::make_shared<const Replica>(std::move(merged));
}

bool AppointmentStore::update(AppointmentBook& book, Purpose purpose, TimeValue now,
                              AppointmentBook& missed) {
    giveIdentities(book);
    bool changed = false;
    for (int looks = 0; looks < MOST_LOOKS_PER_SAVE; ++looks) {
        Look look = lookAtFile(state_);
        const StorePlan plan = decide(state_, look.kind, look.stamp, purpose);
        const std::vector<std::string> copies =
            plan.joinCopies ? conflictCopiesOf(files_, folder_) : std::vector<std::string>{};
        if (look.kind == LookKind::Same && purpose == Purpose::Tick && !unsaved_ &&
            copies.empty()) {
            return changed; // nothing changed here or there since the last look
        }
        if (plan.lookAgain) {
            state_ = plan.next;
            files_.pause(SECOND_LOOK_PAUSE_MS);
            continue;
        }
        if (plan.stop) {
            state_ = plan.next;
            break;
        }
        if (plan.keepAside && !keepAside(look.text)) {
            // The file stays as it is and holds nothing of the book.
            unsaved_ = book.count() > 0;
            return changed;
        }
        const bool read = look.kind == LookKind::Read || look.kind == LookKind::Damaged;
        // Another program writes this file too (or wrote it in the shared form): from now
        // on it carries identities and tombstones.
        const bool seenBefore =
            state_.phase != FilePhase::Unknown && state_.phase != FilePhase::Absent;
        shared_ = shared_ || (read && (look.content.marked || seenBefore));

        Replica ours = withDeletions(book, *known_, now);
        // In a shared file, a change made here keeps a link to what the appointment said
        // before, which the file of an older program may still say.
        if (shared_) {
            linkEarlierWords(ours, *known_, now);
        }
        auto theirs =
            std::make_shared<const Replica>(fileReplica(look, plan.join, now, ours.forwards));
        std::vector<std::string> joined;
        const std::shared_ptr<const Replica> merged =
            joinWithBook(ours, theirs, plan, copies, joined, now, missed);
        // A book still empty takes the file's appointments as they are (a start-up's usual
        // case: no second copy of a big book). Where nothing was joined and the file names
        // nothing gone or linked, they are the replica's, each once, without a look.
        const bool asRead = merged == theirs && theirs->tombstones.empty() &&
                            theirs->forwards.empty() &&
                            theirs->appointments.size() ==
                                static_cast<std::size_t>(look.content.appointments.count());
        if (book.count() == 0 && (asRead || holdsExactly(*merged, look.content.appointments))) {
            changed = look.content.appointments.count() > 0 || changed;
            book = std::move(look.content.appointments);
        } else {
            changed = applyToBook(*merged, book, look.content.appointments) || changed;
        }
        if (look.kind != LookKind::Same) {
            file_ = look.kind == LookKind::Read ? theirs : std::make_shared<const Replica>();
            fileMarked_ = look.kind == LookKind::Read && look.content.marked;
        }
        state_ = plan.next;
        known_ = merged;

        if (!plan.mustWrite && !(plan.mayWrite && !fileHolds(*known_))) {
            unsaved_ = false;
            setAside(joined);
            return changed;
        }
        const ReplaceResult written = write(book);
        if (written == ReplaceResult::Replaced) {
            unsaved_ = false;
            setAside(joined);
            return changed;
        }
        if (written == ReplaceResult::Failed) {
            break;
        }
        // Changed since it was read: joined again with what it holds now.
    }
    unsaved_ = state_.phase == FilePhase::Unknown ? book.count() > 0
                                                  : !fileHolds(withDeletions(book, *known_, now));
    return changed;
}

ReplaceResult AppointmentStore::write(AppointmentBook& book) {
    if (!state_.stamp.exists) {
        files_.createFolder(folder_);
    }
    FileStamp written;
    ReplaceOptions options;
    options.allUsers = allUsers_;
    options.expected = &state_.stamp;
    options.written = &written;
    const ReplaceResult result = replaceWholeFile(
        files_, path_, appointmentFileText(book, shared_ ? known_.get() : nullptr), options);
    if (result == ReplaceResult::Replaced) {
        if (!shared_) {
            holdDerivedIdentities(book);
        }
        file_ = known_;
        fileMarked_ = shared_;
        state_ = {FilePhase::Known, written, {}};
    }
    return result;
}

// A file without identities: whoever reads it gives its appointments the identities
// derived from their content, and so does this program from now on.
void AppointmentStore::holdDerivedIdentities(AppointmentBook& book) {
    const std::vector<AppointmentId> derived = derivedIdentities(book);
    AppointmentBook renamed;
    std::size_t i = 0;
    book.forEach([&](Appointment a) {
        if (a.id != derived[i]) {
            renamed_.push_back({a.id, derived[i], 0});
            a.id = derived[i];
        }
        ++i;
        renamed.insert(std::move(a));
    });
    book = std::move(renamed);
    Replica held = replicaOf(book);
    // An appointment deleted here once and made again alike (typed again, imported again)
    // gets the identity the deleted one had: the file, which holds it now, says it is
    // there, so the deletion is over.
    std::remove_copy_if(
        known_->tombstones.begin(), known_->tombstones.end(), std::back_inserter(held.tombstones),
        [&held](const Tombstone& t) { return findAppointment(held, t.id) != nullptr; });
    held.forwards = known_->forwards;
    known_ = std::make_shared<const Replica>(std::move(held));
}

void AppointmentStore::reviveDeleted(AppointmentBook& book,
                                     const std::vector<AppointmentId>& ids) const {
    if (ids.empty()) {
        return;
    }
    AppointmentBook revived;
    book.forEach([&](Appointment a) {
        if (std::find(ids.begin(), ids.end(), a.id) != ids.end()) {
            if (const auto edits = revivalEdits(*known_, a.id);
                edits && *edits > a.revision.edits) {
                a.revision = Revision{*edits, 0};
            }
        }
        revived.insert(std::move(a));
    });
    book = std::move(revived);
}

void AppointmentStore::followIdentities(AppointmentBook& book) const {
    if (renamed_.empty()) {
        return;
    }
    AppointmentBook followed;
    book.forEach([&](Appointment a) {
        a.id = currentId(a.id);
        followed.insert(std::move(a));
    });
    book = std::move(followed);
}

AppointmentId AppointmentStore::currentId(AppointmentId id) const {
    for (std::size_t step = 0; step <= renamed_.size(); ++step) {
        const auto it = std::find_if(renamed_.begin(), renamed_.end(),
                                     [id](const Forward& f) { return f.id == id; });
        if (it == renamed_.end()) {
            break;
        }
        id = it->to;
    }
    return id;
}

// A joined copy is renamed, never deleted: the user may still want to look at it. One
// that cannot be renamed stays and is joined again at the next tick, which changes
// nothing.
void AppointmentStore::setAside(const std::vector<std::string>& copies) {
    constexpr int MOST_ATTEMPTS = 99;
    for (const std::string& copy : copies) {
        const std::size_t slash = copy.find_last_of("\\/");
        const std::string name = slash == std::string::npos ? copy : copy.substr(slash + 1);
        for (int attempt = 1; attempt <= MOST_ATTEMPTS; ++attempt) {
            const std::string target = fileInFolder(folder_, setAsideName(name, attempt).c_str());
            FileStamp stamp;
            if (files_.fileStamp(target, stamp) == FileResult::Missing) {
                files_.moveFile(copy, target);
                break;
            }
        }
    }
}

bool AppointmentStore::load(TimeValue now, bool deleteOld, AppointmentBook& book,
                            AppointmentBook& missed) {
    deleteOld_ = deleteOld;
    files_.createFolder(folder_);
    recoverTemporaryFile(files_, path_);
    update(book, Purpose::StartUp, now, missed);
    return state_.phase == FilePhase::Known && state_.stamp.exists;
}

bool AppointmentStore::save(AppointmentBook& book, TimeValue now, Purpose purpose) {
    AppointmentBook none; // a save hands nothing to the missed dialog
    update(book, purpose, now, none);
    return !unsaved_;
}

bool AppointmentStore::sync(AppointmentBook& book, TimeValue now, AppointmentBook& missed) {
    return update(book, Purpose::Tick, now, missed);
}

bool AppointmentStore::shareWithAllUsers() {
    FileStamp stamp;
    return files_.fileStamp(path_, stamp) == FileResult::Ok && files_.shareWithAllUsers(path_);
}
