// The appointment file as the running program sees it: load, merge on save, follow
// changes made elsewhere.
#include "store/appointment_store.h"

#include <utility>

#include "store/book_merge.h"

namespace {

// A save looks at most this often before it gives up for now (a file that changes
// between the read and the replace is merged again).
constexpr int MOST_LOOKS_PER_SAVE = 3;
// How long a save waits before it looks again at a file that has just gone missing.
constexpr int SECOND_LOOK_PAUSE_MS = 500;
// Kept-aside copies of unreadable files: "quarvwecker.xml.bad", ".bad2", ... up to this.
constexpr int MOST_KEPT_COPIES = 99;

// The future appointments; the past ones go to `missed` unless they are dropped. A
// past series is missed once, at its last passed occurrence, and goes on at its next.
AppointmentBook takePast(const AppointmentBook& all, TimeValue now, bool dropPast,
                         AppointmentBook& missed) {
    AppointmentBook future;
    all.forEach([&](const Appointment& a) {
        const StartUpSplit split = splitAtStartUp(a.recurrence, a.alarmTime, now);
        if (split.missed && !dropPast) {
            missed.insert({*split.missed, a.text, a.recurrence});
        }
        if (split.next) {
            future.insert({*split.next, a.text, a.recurrence});
        }
    });
    return future;
}

} // namespace

struct AppointmentStore::Look {
    enum Kind {
        Same,        // the stamp is the base's: not read
        Read,        // read; `content` holds it
        Missing,     // no file
        Unreadable,  // read, but no appointment file (or empty); `text` holds it
        Unavailable, // could not be looked at or read now
    } kind = Unavailable;
    FileStamp stamp;
    AppointmentBook content;
    std::string text;
};

AppointmentStore::AppointmentStore(FileSystem& files, std::string folder, bool allUsers)
    : files_(files), folder_(std::move(folder)), path_(appointmentFilePath(folder_)),
      allUsers_(allUsers) {}

AppointmentStore::Look AppointmentStore::lookAtFile() {
    Look look;
    FileResult result = files_.fileStamp(path_, look.stamp);
    if (result == FileResult::Missing) {
        look.stamp = FileStamp{};
        look.kind = known_ && !baseStamp_.exists ? Look::Same : Look::Missing;
        return look;
    }
    if (result != FileResult::Ok) {
        return look;
    }
    if (known_ && look.stamp == baseStamp_) {
        look.kind = Look::Same;
        return look;
    }
    result = readWholeFile(files_, path_, look.text);
    if (result == FileResult::Missing) {
        look.stamp = FileStamp{};
        look.kind = Look::Missing;
    } else if (result == FileResult::Ok) {
        // Against a base that holds appointments, a cut-off file would delete its lost
        // tail everywhere: it counts as unreadable. The first read takes what it can.
        const bool whole = !known_ || base_.count() == 0 || reachesItsEnd(look.text);
        look.kind = whole && readAppointmentFileText(look.text, look.content) ? Look::Read
                                                                              : Look::Unreadable;
        if (look.kind == Look::Read) {
            std::string().swap(look.text); // only an unreadable file's text is kept aside
        }
    }
    return look;
}

bool AppointmentStore::keepAside(const std::string& text) {
    if (text.empty()) {
        return true; // nothing to keep
    }
    for (int n = 1; n <= MOST_KEPT_COPIES; ++n) {
        const std::string copy = path_ + ".bad" + (n == 1 ? "" : std::to_string(n));
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
    }
    return false;
}

bool AppointmentStore::fileHolds(const AppointmentBook& book) const {
    return baseIsFile_ ? sameAppointments(book, base_) : book.count() == 0;
}

bool AppointmentStore::update(AppointmentBook& book, Purpose purpose, TimeValue now,
                              AppointmentBook* missed) {
    bool changed = false;
    for (int looks = 0; looks < MOST_LOOKS_PER_SAVE; ++looks) {
        Look look = lookAtFile();
        if (look.kind == Look::Unavailable) {
            break;
        }
        const bool doubtful = look.kind == Look::Missing || look.kind == Look::Unreadable;
        if (doubtful && baseIsFile_ && doubted_ != look.stamp) {
            // A file that read well is gone or unreadable: a sync service may be replacing
            // it. Nothing is written before a second look finds it so again.
            doubted_ = look.stamp;
            if (purpose != Purpose::Save) {
                break;
            }
            files_.pause(SECOND_LOOK_PAUSE_MS);
            continue;
        }
        doubted_.reset();
        if (look.kind == Look::Unreadable && !keepAside(look.text)) {
            // The file stays as it is and holds nothing of the book, whatever the base.
            unsaved_ = book.count() > 0;
            return changed;
        }

        if (look.kind != Look::Same) {
            AppointmentBook merged;
            if (!known_) {
                // Nothing was known of the file: nothing of it or of the book can have been
                // removed since, so the two are joined (at start-up the book is empty).
                AppointmentBook fromFile = missed == nullptr
                                               ? look.content
                                               : takePast(look.content, now, deleteOld_, *missed);
                merged = book.count() == 0 ? std::move(fromFile) : joinBooks(book, fromFile);
            } else {
                // A missing or unreadable file tells nothing of what others removed.
                merged = mergeBooks(base_, book, look.kind == Look::Read ? look.content : base_);
            }
            if (!sameAppointments(merged, book)) {
                book = std::move(merged);
                changed = true;
            }
            // A missing or unreadable file keeps the base: it is still what this program and
            // the others last agreed on, and a file that another program writes back is
            // merged against it (against nothing, what both hold would count twice).
            if (look.kind == Look::Read) {
                base_ = std::move(look.content);
            }
            baseStamp_ = look.stamp;
            baseIsFile_ = look.kind == Look::Read;
            known_ = true;
        }

        const bool mustWrite = !fileHolds(book) || (purpose == Purpose::Save && !baseIsFile_);
        if (!mustWrite) {
            unsaved_ = false;
            return changed;
        }
        if (!baseStamp_.exists) {
            files_.createFolder(folder_);
        }
        FileStamp written;
        ReplaceOptions options;
        options.allUsers = allUsers_;
        options.expected = &baseStamp_;
        options.written = &written;
        const ReplaceResult result =
            replaceWholeFile(files_, path_, appointmentFileText(book), options);
        if (result == ReplaceResult::Replaced) {
            base_ = book;
            baseStamp_ = written;
            baseIsFile_ = true;
            unsaved_ = false;
            return changed;
        }
        if (result == ReplaceResult::Failed) {
            break;
        }
        // Changed since it was read: merge again with what it holds now.
    }
    unsaved_ = !fileHolds(book);
    return changed;
}

bool AppointmentStore::load(TimeValue now, bool deleteOld, AppointmentBook& book,
                            AppointmentBook& missed) {
    deleteOld_ = deleteOld;
    files_.createFolder(folder_);
    recoverTemporaryFile(files_, path_);
    update(book, Purpose::Load, now, &missed);
    return known_ && baseStamp_.exists && baseIsFile_;
}

bool AppointmentStore::save(AppointmentBook& book) {
    update(book, Purpose::Save, 0, nullptr);
    return !unsaved_;
}

bool AppointmentStore::sync(AppointmentBook& book, TimeValue now, AppointmentBook& missed) {
    if (known_ && !unsaved_ && !doubted_) {
        FileStamp stamp;
        const FileResult result = files_.fileStamp(path_, stamp);
        if ((result == FileResult::Ok && stamp == baseStamp_) ||
            (result == FileResult::Missing && !baseStamp_.exists)) {
            return false;
        }
    }
    return update(book, Purpose::Sync, now, &missed);
}

bool AppointmentStore::shareWithAllUsers() {
    FileStamp stamp;
    return files_.fileStamp(path_, stamp) == FileResult::Ok && files_.shareWithAllUsers(path_);
}
