// What the running program knows of its appointment file, and how it saves into a file
// that other programs (another user's, another PC's through a sync service) change too.
//
// The store remembers the base: what the file held when this program last read or wrote
// it, with its stamp (size, last-write time, identity). A save merges: what the file holds
// now, plus what this program added since the base, minus what it removed since then. A
// file whose stamp still matches the base is not read again.
//
// The program calls, with its one book:
//   start-up      store.load(currentTime(), settings.deleteold, book, missed);
//                 then the missed-appointments dialog for `missed`, as before.
//   every 10 s    if (store.sync(book, currentTime(), missed)) { refresh the tray; show
//                 `missed` when it is not empty }  -- on a timer of its own, which runs
//                 while the alarm is off too.
//   a change      store.save(book) after each change of the book (an alarm, the list's
//                 OK); afterwards the book holds what the file holds.
//   exit          store.save(book); if (store.unsaved()) tell the user, naming
//                 store.path() -- except at the end of the session, where only the save runs.
// An administrator's start-up also calls shareWithAllUsers() for the all-users file.
#pragma once

#include <optional>
#include <string>

#include "core/appointment_book.h"
#include "store/appointment_file.h"

class AppointmentStore {
  public:
    // The file "quarvwecker.xml" in `folder`. `allUsers`: the file shared by all users of
    // the PC, which every save leaves readable and writable for all of them.
    AppointmentStore(FileSystem& files, std::string folder, bool allUsers);

    const std::string& path() const { return path_; }

    // Start-up: the folder is created when it is missing, and a temporary file that a
    // crash left is recovered. The file's future appointments join the book; past ones go
    // to `missed` (nowhere when `deleteOld`), and the file is rewritten without them. An
    // unreadable file is kept aside first ("quarvwecker.xml.bad", then ".bad2", ".bad3",
    // ...; a copy already kept is not made again) and replaced at the next save; if it
    // cannot be kept aside, it stays untouched. A file that cannot be read now (another
    // program holds it) is not known yet: no save replaces it, and every sync and save
    // tries to read it again. True when the file was read.
    bool load(TimeValue now, bool deleteOld, AppointmentBook& book, AppointmentBook& missed);

    // Puts the book into the file, merged with whatever other programs changed there; the
    // book then holds the merge. A file not read yet is read first and joined with the
    // book (its past appointments stay in the book: they fall due at the next tick). A file
    // that read well before and is now missing or unreadable (a sync service replacing it;
    // cut off before the end of its root element counts as unreadable then)
    // is looked at once more after a short pause; if it stays so, the book is written whole:
    // a missing file never deletes appointments. False when the book holds changes that
    // could not be written (unsaved(); every sync tries again).
    bool save(AppointmentBook& book);

    // At every tick: when the file's stamp has changed, the file is read and merged into
    // the book (and the merge written back when the book holds changes of its own). It
    // also retries a first read and an unsaved save. A missing or unreadable file is first
    // only noted and looked at again at the next tick. A late first read hands its past
    // appointments to `missed`, as at start-up. True when the book changed.
    bool sync(AppointmentBook& book, TimeValue now, AppointmentBook& missed);

    // The book holds changes that are not in the file (the last save or sync failed).
    bool unsaved() const { return unsaved_; }

    // Gives the existing file the rights of the file shared by all users (for an
    // administrator's start-up; every save of an all-users store sets them anyway).
    bool shareWithAllUsers();

  private:
    enum class Purpose { Load, Sync, Save };
    struct Look;

    Look lookAtFile();
    bool keepAside(const std::string& text);
    // Whether the file holds the book as far as this program knows (a missing or
    // unreadable one holds none of it).
    bool fileHolds(const AppointmentBook& book) const;
    bool update(AppointmentBook& book, Purpose purpose, TimeValue now, AppointmentBook* missed);

    FileSystem& files_;
    std::string folder_;
    std::string path_;
    bool allUsers_;
    bool deleteOld_ = false;

    bool known_ = false; // the file was read or found missing at least once
    // What the file holds at baseStamp_; while it is missing or unreadable, what it held last.
    AppointmentBook base_;
    FileStamp baseStamp_;
    bool baseIsFile_ = false;          // base_ was read from the file or written into it
    std::optional<FileStamp> doubted_; // a missing or unreadable file seen once, to look at again
    bool unsaved_ = false;
};
