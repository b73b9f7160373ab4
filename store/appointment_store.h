// What the running program knows of its appointment file, and how it keeps the file and
// the book together when other programs (another user's, another PC's through a sync
// service) change the file too.
//
// Every appointment has an identity and a revision, and what this program deletes leaves
// a tombstone: the store joins the book with what the file holds (see store/replica.h),
// so that whatever state the file arrives in, nothing that nobody deleted is lost. The
// decisions are store_plan's; the store looks at the file, asks, and carries the plan out.
//
// The program calls, with its one book:
//   start-up      store.load(currentTime(), settings.deleteold, book, missed);
//                 then the missed-appointments dialog for `missed`.
//   every 10 s    if (store.sync(book, currentTime(), missed)) { refresh the tray; show
//                 `missed` when it is not empty }  -- on a timer of its own, which runs
//                 while the alarm is off too.
//   a change      store.save(book, currentTime()) after each change of the book (an
//                 alarm, the list's OK); afterwards the book holds what the file holds.
//   exit          store.save(book, currentTime(), Purpose::Exit); if (store.unsaved())
//                 tell the user, naming store.path() -- except at the end of the session.
// An administrator's start-up also calls shareWithAllUsers() for the all-users file.
//
// Between the calls the program changes the book as it likes: an appointment it removes
// (an alarm, a deletion in the list) is deleted, one without identity gets one, and one
// whose revision it raised (an edit, a series moving on) is changed.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/appointment_book.h"
#include "store/appointment_file.h"
#include "store/replica.h"
#include "store/store_plan.h"

class AppointmentStore {
  public:
    // The file "quarvwecker.xml" in `folder`. `allUsers`: the file shared by all users of
    // the PC, which every save leaves readable and writable for all of them. `shared`: a
    // file that several programs use (the all-users file, a folder of the user's choice);
    // it carries identities and tombstones. A file that only this program writes is
    // written as it always was, until it turns out that another program changes it too.
    AppointmentStore(FileSystem& files, std::string folder, bool allUsers, bool shared);

    const std::string& path() const { return path_; }

    // Start-up: the folder is created when it is missing, and a temporary file that a
    // crash left is recovered. The file's future appointments join the book; past ones go
    // to `missed` (nowhere when `deleteOld`), and the file is rewritten without them. An
    // unreadable file is kept aside ("quarvwecker.xml.bad", then ".bad2", ...; a copy
    // already kept is not made again). A file that cannot be read now (another program
    // holds it) is not known yet: nothing replaces it, and every sync and save tries to
    // read it again. True when the file was read.
    bool load(TimeValue now, bool deleteOld, AppointmentBook& book, AppointmentBook& missed);

    // Puts the book into the file, joined with whatever other programs changed there; the
    // book then holds the join (past appointments of a file seen first stay in it and fall
    // due: the program may end right after a save). False when the book holds changes
    // that could not be written (unsaved(); every sync tries again).
    bool save(AppointmentBook& book, TimeValue now, Purpose purpose = Purpose::Save);

    // At every tick: a file changed elsewhere is read and joined with the book (and the
    // join written back when the book holds more), a save that failed is tried again, and
    // the conflict copies that sync services put beside the file are joined and set
    // aside. A file seen for the first time (held at start-up, or missing until now)
    // hands its past appointments to `missed`, as at start-up. True when the book changed.
    bool sync(AppointmentBook& book, TimeValue now, AppointmentBook& missed);

    // The book holds changes that are not in the file (the last save or sync failed).
    bool unsaved() const { return unsaved_; }

    // The identity an appointment has now that had `id` before: a file written without
    // identities gives its appointments those derived from their content, so a save may
    // change them (for what the program still holds of the book from before a save).
    AppointmentId currentId(AppointmentId id) const;
    // The same for every appointment of a book.
    void followIdentities(AppointmentBook& book) const;

    // Appointments of the book that the user made again on purpose under an identity that
    // was deleted (an event imported again after its appointment was deleted, a row kept
    // after its alarm): each becomes an edit above the deletions this program knows
    // (revivalEdits), so that the join keeps it, here and on other PCs.
    void reviveDeleted(AppointmentBook& book, const std::vector<AppointmentId>& ids) const;

    // Gives the existing file the rights of the file shared by all users (for an
    // administrator's start-up; every save of an all-users store sets them anyway).
    bool shareWithAllUsers();

  private:
    struct Look;

    Look lookAtFile(const StoreState& state);
    bool keepAside(const std::string& text);
    Replica fileReplica(const Look& look, JoinKind join, TimeValue now,
                        const std::vector<Forward>& links) const;
    std::shared_ptr<const Replica>
    joinWithBook(const Replica& ours, std::shared_ptr<const Replica> theirs, const StorePlan& plan,
                 const std::vector<std::string>& copies, std::vector<std::string>& joined,
                 TimeValue now, AppointmentBook& missed);
    void joinCopies(const std::vector<std::string>& copies, Replica& merged,
                    std::vector<std::string>& joined, TimeValue now);
    void setAside(const std::vector<std::string>& copies);
    bool fileHolds(const Replica& merged) const;
    ReplaceResult write(AppointmentBook& book);
    void holdDerivedIdentities(AppointmentBook& book);
    bool update(AppointmentBook& book, Purpose purpose, TimeValue now, AppointmentBook& missed);

    FileSystem& files_;
    std::string folder_;
    std::string path_;
    bool allUsers_;
    bool shared_;            // the file carries identities and tombstones
    bool deleteOld_ = false; // past appointments seen first are dropped, not missed

    StoreState state_;
    // What the file holds at state_.stamp (nothing while it is unknown, missing or
    // unreadable), with the identities this program knows it by.
    std::shared_ptr<const Replica> file_;
    // What the book held at the last look, by identity, and the tombstones and forwards
    // this program knows: an appointment gone from the book since was deleted here.
    // Often the very same as file_, and then shared with it.
    std::shared_ptr<const Replica> known_;
    bool fileMarked_ = false; // the file is written in the shared form
    bool unsaved_ = false;
    // Identities changed to the derived ones by saves without identities, in order.
    std::vector<Forward> renamed_;
};
