// Two to four programs on one shared file, driven at random: they add, change and delete
// appointments, alarm one-offs and series, open the list while alarms happen, restart,
// with clocks that differ by minutes. Between their steps the file is removed, cut,
// zeroed in the middle, garbled, rewritten by an older program (no identities, no
// tombstones) or put beside a conflict copy while an older version comes back.
//
// Whenever all programs have looked at an undisturbed file again, every appointment that
// no program deleted is in every book and in the file, none is there twice, and the books
// agree. QZ_SHARING_STEPS and QZ_SHARING_SEED make a longer run (make fuzz).
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "app/scheduler.h"
#include "core/calendar.h"
#include "store/appointment_store.h"
#include "tests/support/appointment_files.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/older_reader.h"
#include "tests/support/rule_patterns.h"
#include "ui/appointment_rows.h"

namespace {

const std::string FOLDER = "D:\\Sync";
const std::string FILE_PATH = FOLDER + "\\quarvwecker.xml";
const std::string COPY_PATH = FOLDER + "\\quarvwecker (conflicted copy 2026-12-07 120000).xml";
constexpr TimeValue MINUTE = 60;
constexpr int OLDER_PROGRAM = -1;

std::uint64_t setting(const char* name, std::uint64_t fallback) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::strtoull(value, nullptr, 10) : fallback;
}

// An appointment's tag: its text up to a change mark ("T12" of "T12'3").
std::string tagOf(const std::string& text) {
    return text.substr(0, text.find('\''));
}

struct Program {
    TimeValue skew = 0;
    std::unique_ptr<AppointmentStore> store;
    AppointmentBook book;
};

class Simulation {
  public:
    explicit Simulation(std::uint64_t seed) : random_(seed) {
        seedAppointmentIds(seed);
        files_.addFolder(FOLDER);
        const int programs = 2 + static_cast<int>(random_() % 3);
        for (int p = 0; p < programs; ++p) {
            programs_.emplace_back();
            programs_.back().skew = static_cast<TimeValue>(random_() % 11) * MINUTE - 5 * MINUTE;
            start(p);
        }
    }

    // After a program's step: what an older program added counts once a program holds it;
    // the tags of the file, when it is whole.
    void noteStep() {
        for (const Program& program : programs_) {
            program.book.forEach([this](const Appointment& a) {
                if (writtenByOlder_.erase(tagOf(a.text)) > 0) {
                    created_.insert(tagOf(a.text));
                }
            });
        }
        if (FileContent content; readAppointmentFile(file(), content) && content.whole) {
            const std::multiset<std::string> tags = tagsOf(content.appointments);
            lastWholeTags_ = std::set<std::string>(tags.begin(), tags.end());
        }
    }

    // What happened, step by step, for QZ_SHARING_TRACE=1 (2: a fault's file whole): the
    // file and each program's book, each appointment with the end of its identity.
    void trace(const std::string& what) {
        if (!tracing_) {
            return;
        }
        AppointmentBook inFile;
        readAppointmentFileText(file(), inFile);
        std::string line = what + " | file:";
        const auto add = [&line](const Appointment& a) {
            line += " " + a.text + "@" + std::to_string(a.id % 10000);
        };
        inFile.forEach(add);
        for (std::size_t p = 0; p < programs_.size(); ++p) {
            line += " | " + std::to_string(p) + ":";
            programs_[p].book.forEach(add);
        }
        const bool whole = what.starts_with("fault") && setting("QZ_SHARING_TRACE", 0) > 1;
        std::fprintf(stderr, "%s\n%s", line.c_str(), whole ? (file() + "\n").c_str() : "");
    }

    // A new appointment's text, the tag that follows it through every version.
    std::string newTag() {
        std::string tag = std::to_string(nextTag_++);
        return tag.insert(0, 1, 'T');
    }

    // One step of one program, or a fault of the file.
    void step() {
        now_ += static_cast<TimeValue>(random_() % 21) * MINUTE;
        if (random_() % 8 == 0) {
            trace("fault " + std::to_string(fault()));
            return;
        }
        const int p = static_cast<int>(random_() % programs_.size());
        // Half of the steps are ticks.
        static constexpr std::pair<const char*, void (Simulation::*)(int)> OPS[] = {
            {"add", &Simulation::add},
            {"add", &Simulation::add},
            {"change", &Simulation::change},
            {"remove", &Simulation::remove},
            {"list", &Simulation::listWithAlarms},
            {"restart", &Simulation::restart},
            {"tick", &Simulation::tick}};
        const auto& [name, op] = OPS[std::min<std::uint64_t>(random_() % 12, 6)];
        (this->*op)(p);
        noteStep();
        trace(std::string(name) + " " + std::to_string(p));
        if (random_() % 10 == 0) {
            snapshot_ = file();
        }
    }

    // All programs look at the file, now undisturbed, until nothing changes any more;
    // then the properties hold.
    void settleAndCheck(const std::string& where) {
        // Until a whole round changes neither a book nor the file.
        for (int round = 0; round < 10; ++round) {
            const std::string fileBefore = file();
            bool changed = false;
            for (std::size_t p = 0; p < programs_.size(); ++p) {
                changed = sync(static_cast<int>(p)) || changed;
            }
            if (!changed && round > 0 && file() == fileBefore) {
                break;
            }
        }
        trace("settled");
        AppointmentBook inFile;
        ASSERT_TRUE(readAppointmentFileText(file(), inFile)) << where;
        const std::multiset<std::string> tags = tagsOf(inFile);
        for (const std::string& tag : created_) {
            const bool deleted = deletedBy_.contains(tag) && !deletedBy_.at(tag).empty();
            ASSERT_TRUE(tags.count(tag) <= 1 || twoVersions_.contains(tag))
                << where << ": " << tag << " doubled";
            ASSERT_TRUE(deleted || tags.count(tag) >= 1) << where << ": " << tag << " lost";
        }
        for (const Program& program : programs_) {
            ASSERT_EQ(contentsOf(program.book), contentsOf(inFile))
                << where << ": a book and the file do not agree";
        }
    }

  private:
    std::string file() const { return files_.file(FILE_PATH).value_or(""); }
    static std::multiset<std::string> tagsOf(const AppointmentBook& book) {
        std::multiset<std::string> all;
        book.forEach([&all](const Appointment& a) { all.insert(tagOf(a.text)); });
        return all;
    }
    // What the user sees of each appointment.
    static std::multiset<std::string> contentsOf(const AppointmentBook& book) {
        std::multiset<std::string> all;
        book.forEach([&all](const Appointment& a) {
            all.insert(timeToFileKey(a.alarmTime) + " " + a.text + " " +
                       recurrenceToAttribute(a.recurrence, a.alarmTime));
        });
        return all;
    }

    TimeValue nowOf(int p) const { return now_ + programs_[static_cast<std::size_t>(p)].skew; }
    Program& program(int p) { return programs_[static_cast<std::size_t>(p)]; }

    void deleted(const Appointment& a, int by) { deletedBy_[tagOf(a.text)].insert(by); }

    // What the program took out of its book as missed (one-offs) counts as deleted by it.
    void missedBy(int p, const AppointmentBook& missed) {
        missed.forEach([&](const Appointment& a) {
            bool stays = false;
            program(p).book.forEach([&](const Appointment& b) { stays = stays || b.id == a.id; });
            if (!stays) {
                deleted(a, p);
            }
        });
    }

    void start(int p) {
        Program& pr = program(p);
        pr.store = std::make_unique<AppointmentStore>(files_, FOLDER, false, true);
        pr.book.clear();
        AppointmentBook missed;
        pr.store->load(nowOf(p), false, pr.book, missed);
        missedBy(p, missed);
    }

    bool sync(int p) {
        AppointmentBook missed;
        const bool changed = program(p).store->sync(program(p).book, nowOf(p), missed);
        missedBy(p, missed);
        return changed;
    }

    void save(int p) { program(p).store->save(program(p).book, nowOf(p)); }

    void add(int p) {
        const TimeValue time =
            (nowOf(p) / MINUTE + 60 + static_cast<TimeValue>(random_() % 4000)) * MINUTE;
        const std::string tag = newTag();
        created_.insert(tag);
        const Recurrence rule = makeRecurrence(randomPattern(), time);
        program(p).book.insert({firstAlarmTime(rule, time), tag, rule});
        save(p);
    }

    // Mostly a one-off; a daily or weekly series; now and then one that only the rules
    // beyond the kind say: every 2 weeks on two days, the last Friday three times, every
    // other day until a date.
    Recurrence randomPattern() {
        const Recurrence patterns[] = {Recurrence{RepeatKind::Daily},
                                       Recurrence{RepeatKind::Daily},
                                       Recurrence{RepeatKind::Weekly},
                                       Recurrence{RepeatKind::Weekly},
                                       every(RepeatKind::Weekly, 2, {MONDAY, THURSDAY}),
                                       ending(onWeek(LAST_WEEK, FRIDAY), 3),
                                       ending(every(RepeatKind::Daily, 2), 0, 20270115)};
        const std::size_t kind = random_() % 16;
        return kind < std::size(patterns) ? patterns[kind] : Recurrence{};
    }

    // A random appointment of the book; none when it is empty.
    std::optional<Appointment> pick(int p) {
        std::vector<Appointment> all;
        program(p).book.forEach([&all](const Appointment& a) { all.push_back(a); });
        if (all.empty()) {
            return std::nullopt;
        }
        return all[random_() % all.size()];
    }

    // The list's OK with one row changed (text, or a one-off's time) or deleted.
    void commitList(int p, const AppointmentBook& opened, AppointmentBook rows,
                    const std::vector<AppointmentId>& alarmed) {
        program(p).book = applyListEdits(opened, program(p).book, rows, alarmed);
        program(p).store->reviveDeleted(program(p).book, broughtBack(opened, rows, alarmed));
        save(p);
    }

    AppointmentBook editedRows(const AppointmentBook& opened, const Appointment& target,
                               bool drop) {
        AppointmentBook rows;
        opened.forEach([&](Appointment a) {
            if (a.id != target.id) {
                rows.insert(a);
            } else if (!drop) {
                a.text = tagOf(a.text) + "'" + std::to_string(random_() % 100);
                if (!a.recurrence.repeats() && random_() % 2 == 0) {
                    a.alarmTime += 30 * MINUTE;
                }
                rows.insert(a);
            }
        });
        return rows;
    }

    void change(int p) {
        giveIdentities(program(p).book);
        if (const auto target = pick(p)) {
            const AppointmentBook opened = program(p).book;
            commitList(p, opened, editedRows(opened, *target, false), {});
        }
    }

    void remove(int p) {
        giveIdentities(program(p).book);
        if (const auto target = pick(p)) {
            const AppointmentBook opened = program(p).book;
            deleted(*target, p);
            commitList(p, opened, editedRows(opened, *target, true), {});
        }
    }

    // The list is open while appointments fall due here; its OK keeps the rows as they
    // were, or with one row changed.
    void listWithAlarms(int p) {
        giveIdentities(program(p).book);
        const AppointmentBook opened = program(p).book;
        const auto target = pick(p);
        now_ += static_cast<TimeValue>(random_() % 600) * MINUTE;
        std::vector<AppointmentId> alarmed;
        alarm(p, &alarmed);
        AppointmentBook rows =
            target && random_() % 2 ? editedRows(opened, *target, false) : opened;
        program(p).store->followIdentities(rows);
        AppointmentBook followed = opened;
        program(p).store->followIdentities(followed);
        for (AppointmentId& id : alarmed) {
            id = program(p).store->currentId(id);
        }
        // A one-off alarmed here whose row stays as it was comes back.
        followed.forEach([&](const Appointment& a) {
            if (std::find(alarmed.begin(), alarmed.end(), a.id) != alarmed.end()) {
                bool rowKept = false;
                rows.forEach([&](const Appointment& r) { rowKept = rowKept || r.id == a.id; });
                if (rowKept) {
                    deletedBy_[tagOf(a.text)].erase(p);
                }
            }
        });
        commitList(p, followed, rows, alarmed);
    }

    // What a tick does: follow the file, then alarm what is due.
    void tick(int p) {
        sync(p);
        alarm(p, nullptr);
    }

    void alarm(int p, std::vector<AppointmentId>* alarmedOneOffs) {
        Program& pr = program(p);
        bool any = false;
        while (pr.book.count() > 0 && isDue(pr.book.earliest().alarmTime, nowOf(p), 0)) {
            const Appointment due = pr.book.earliest();
            pr.book.removeEarliest();
            any = true;
            if (const auto next = nextInSeries(due, nowOf(p))) {
                pr.book.insert(*next);
            } else {
                deleted(due, p);
                if (alarmedOneOffs != nullptr && !due.recurrence.repeats()) {
                    alarmedOneOffs->push_back(due.id);
                }
            }
        }
        if (any) {
            save(p);
        }
    }

    void restart(int p) {
        program(p).store->save(program(p).book, nowOf(p), Purpose::Exit);
        start(p);
    }

    // What a sync service, a network drive, a crash or an older program does to the file;
    // its kind.
    std::uint64_t fault() {
        std::string text = file();
        const std::size_t at = text.empty() ? 0 : random_() % text.size();
        const auto kind = random_() % 7;
        switch (kind) {
        case 0:
            files_.removeFile(FILE_PATH);
            return kind;
        case 1:
            text.resize(at);
            break;
        case 2:
            text.replace(at, std::min<std::size_t>(text.size() - at, 1 + random_() % 200),
                         std::min<std::size_t>(text.size() - at, 1 + random_() % 200), '\0');
            break;
        case 3: {
            constexpr const char* GARBLE[] = {"</version1>", "<!--", "</termine>", "<date"};
            const std::size_t gt = text.find('>', at);
            if (random_() % 2 == 0 && gt != std::string::npos) {
                text.erase(gt, 1);
            } else {
                text.insert(at, GARBLE[random_() % 4]);
            }
            break;
        }
        case 4:
            olderProgram(text);
            break;
        default:
            // Two PCs changed the file before the service carried either change: the
            // service keeps one version and puts the other beside it.
            if (snapshot_.empty()) {
                return kind;
            }
            files_.setFile(COPY_PATH, text);
            text = snapshot_;
            // An older program's version that comes back says, as its write did, that what
            // it lacks was deleted.
            if (FileContent back; readAppointmentFile(text, back) && !back.marked) {
                excuseLeftOut(back.appointments);
            }
            break;
        }
        files_.setFile(FILE_PATH, text);
        return kind;
    }

    // The previous version of the program: it reads text, time and repetition (a rule
    // beyond the kind as none), drops what passed (as its start-up does), may delete one
    // appointment or add one, and writes the file without identities and tombstones.
    void olderProgram(std::string& text) {
        AppointmentBook read;
        if (!readAppointmentFileText(text, read)) {
            return;
        }
        AppointmentBook kept;
        const int drop =
            read.count() > 0 && random_() % 3 == 0
                ? static_cast<int>(random_() % static_cast<std::uint64_t>(read.count()))
                : -1;
        int index = 0;
        read.forEach([&](Appointment a) {
            if (!olderReaderSeesASeries(recurrenceToAttribute(a.recurrence, a.alarmTime))) {
                a.recurrence = {};
            }
            const StartUpSplit split = splitAtStartUp(a.recurrence, a.alarmTime, now_);
            if (index++ == drop || !split.next) {
                deleted(a, OLDER_PROGRAM);
                return;
            }
            kept.insert({*split.next, a.text, split.nextRule});
            for (const Program& program : programs_) {
                program.book.forEach([&](const Appointment& b) {
                    if (tagOf(b.text) == tagOf(a.text) && !sameContent(a, b)) {
                        twoVersions_.insert(tagOf(a.text));
                    }
                });
            }
        });
        if (random_() % 3 == 0) {
            // Held by nobody but the file until a program has read it: a fault before that
            // may destroy it, as it would destroy any file's only copy.
            const std::string tag = newTag();
            writtenByOlder_.insert(tag);
            kept.insert({(now_ / MINUTE + 120) * MINUTE, tag});
        }
        text = appointmentFileText(kept);
        excuseLeftOut(kept);
    }

    // What an older program's file lacks that the file held for any program (in its book,
    // or in the last whole file), the programs take as deleted by it, as the merge by
    // content always did.
    void excuseLeftOut(const AppointmentBook& written) {
        std::set<std::string> before = lastWholeTags_;
        for (const Program& program : programs_) {
            program.book.forEach([&before](const Appointment& a) { before.insert(tagOf(a.text)); });
        }
        const std::multiset<std::string> kept = tagsOf(written);
        for (const std::string& tag : before) {
            if (!kept.contains(tag)) {
                deletedBy_[tag].insert(OLDER_PROGRAM);
            }
        }
    }

    std::mt19937_64 random_;
    MemoryFileSystem files_;
    std::vector<Program> programs_;
    TimeValue now_ = 1796079600; // 2026-12-01 00:00 CET
    int nextTag_ = 0;
    std::set<std::string> created_;
    std::set<std::string> writtenByOlder_; // not yet seen by any program
    // Appointments that an older program wrote back in one version while a program held
    // another one (changed there, or there since a version the program has not seen, or
    // misread by the older program from a garbled file): a file without identities cannot
    // tell that they are one, and both versions may stay.
    std::set<std::string> twoVersions_;
    std::map<std::string, std::set<int>> deletedBy_;
    std::string snapshot_;
    std::set<std::string> lastWholeTags_; // of the file as the programs last left it whole
    bool tracing_ = setting("QZ_SHARING_TRACE", 0) != 0;
};

TEST(SharingSimulation, NothingThatNobodyDeletedIsLostNothingDoublesTheBooksAgree) {
    const std::uint64_t steps = setting("QZ_SHARING_STEPS", 1000);
    const std::uint64_t firstSeed = setting("QZ_SHARING_SEED", 1);
    constexpr std::uint64_t STEPS_PER_RUN = 2000;
    constexpr std::uint64_t CHECK_EVERY = 100;
    std::uint64_t done = 0;
    for (std::uint64_t seed = firstSeed; done < steps; ++seed) {
        Simulation simulation(seed);
        for (std::uint64_t step = 1; step <= STEPS_PER_RUN && done < steps; ++step, ++done) {
            simulation.step();
            if (step % CHECK_EVERY == 0) {
                simulation.settleAndCheck("seed " + std::to_string(seed) + ", step " +
                                          std::to_string(step));
                if (HasFatalFailure()) {
                    return;
                }
            }
        }
        simulation.settleAndCheck("seed " + std::to_string(seed) + " at its end");
        if (HasFatalFailure()) {
            return;
        }
    }
    std::printf("sharing simulation: %llu steps\n", static_cast<unsigned long long>(done));
}

} // namespace
