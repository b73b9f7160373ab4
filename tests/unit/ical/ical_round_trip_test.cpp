// Export then import gives the same book, for any book the program can hold; and a file
// imported twice adds nothing, in a file of one program (identities derived from the
// content) and in a shared one, also after an imported appointment was deleted.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <random>

#include "core/calendar.h"
#include "store/appointment_store.h"
#include "store/ical/ical_export.h"
#include "store/ical/ical_import.h"
#include "tests/support/rule_patterns.h"
#include "tests/unit/store/test_files.h"
#include "ui/appointment_rows.h"

namespace {

const TimeValue NOW = 1796079600; // 2026-12-01 00:00 CET

std::vector<Appointment> sorted(std::vector<Appointment> all) {
    std::sort(all.begin(), all.end(),
              [](const Appointment& a, const Appointment& b) { return a.id < b.id; });
    for (Appointment& a : all) {
        a.revision = {};
    }
    return all;
}

std::vector<Appointment> appointmentsOf(const AppointmentBook& book) {
    return {book.begin(), book.end()};
}

ImportPlan importInto(const std::string& file, const std::vector<Appointment>& current) {
    ImportSettings settings;
    settings.now = NOW;
    return planImport(readCalendar(file), current, settings);
}

std::string exported(const std::vector<Appointment>& appointments) {
    ExportSettings settings;
    settings.zone = systemZoneRules(NOW);
    settings.zone->name = "W. Europe Standard Time";
    settings.alarmOffsetMinutes = 10;
    settings.now = NOW;
    return exportCalendar(appointments, settings);
}

// A rule of any kind: an interval, weekdays, a week of the month, an end.
Recurrence randomPattern(std::mt19937& random, TimeValue chosen) {
    const auto pick = [&random](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    Recurrence pattern = every(static_cast<RepeatKind>(pick(0, 5)), pick(0, 1) ? 1 : pick(2, 99));
    if (pattern.kind == RepeatKind::Workdays) {
        pattern.interval = 1;
    }
    if (pattern.kind == RepeatKind::Weekly && pick(0, 1)) {
        pattern.weekdays = static_cast<WeekdaySet>(pick(1, EVERY_WEEKDAY));
    }
    if (pattern.kind == RepeatKind::Monthly && pick(0, 1)) {
        const int week = pick(0, 4);
        pattern = onWeek(week == 0 ? LAST_WEEK : week, pick(0, 6), pattern.interval);
    }
    const int end = pick(0, 2);
    std::tm last{};
    const TimeValue lastTime = chosen + 86400 * TimeValue{pick(0, 3000)};
    const bool dated = end == 2 && timeToLocal(lastTime, last);
    return ending(pattern, end == 1 ? pick(1, 40) : 0,
                  dated ? static_cast<std::uint32_t>((last.tm_year + 1900) * 10000 +
                                                     (last.tm_mon + 1) * 100 + last.tm_mday)
                        : 0);
}

// Series set at the times a user may choose, and the cases where a time says less than
// the rule: a 02:30 the clock skips, the second pass of 02:30, a monthly 31st in April, a
// yearly 29 February in another year.
std::vector<Appointment> randomBook(std::mt19937& random) {
    static const std::string LETTERS = "aZ09 ,;\\:\"\xE4\xF6\xFC\xDF\x80\x81\x8D\x96\x9D\xFF\xA0";
    std::vector<Appointment> book;
    const int count = std::uniform_int_distribution<int>(0, 12)(random);
    for (int i = 0; i < count; ++i) {
        std::string text;
        const int length = std::uniform_int_distribution<int>(0, 63)(random);
        for (int c = 0; c < length; ++c) {
            text +=
                LETTERS[std::uniform_int_distribution<std::size_t>(0, LETTERS.size() - 1)(random)];
        }
        const TimeValue chosen =
            NOW + 60 * std::uniform_int_distribution<TimeValue>(1, 60 * 24 * 365 * 70)(random);
        Recurrence rule = makeRecurrence(randomPattern(random, chosen), chosen);
        if (!nextOccurrence(rule, chosen - 1)) {
            rule = {}; // its end came before its first occurrence
        }
        book.push_back({firstAlarmTime(rule, chosen), text, rule, random() | 1});
    }
    Recurrence skipped = makeRecurrence(RepeatKind::Daily, fileKeyToTime("2703270230"));
    book.push_back({fileKeyToTime("2703280330"), "skipped", skipped, 11});
    book.push_back({fileKeyToTime("2710310230") + 3600, "second pass", {}, 12});
    Recurrence monthEnd = makeRecurrence(RepeatKind::Monthly, fileKeyToTime("2703310900"));
    book.push_back({fileKeyToTime("2704300900"), "31st", monthEnd, 13});
    Recurrence leap = makeRecurrence(RepeatKind::Yearly, fileKeyToTime("2802290900"));
    book.push_back({fileKeyToTime("2702280900"), "29 Feb", leap, 14});
    // Each rule beyond the kind once: set on Tuesday 8 December 2026.
    const TimeValue tuesday = fileKeyToTime("2612080900");
    const Recurrence rules[] = {
        every(RepeatKind::Daily, 14),
        every(RepeatKind::Weekly, 2, {MONDAY, WEDNESDAY, FRIDAY}),
        onWeek(2, TUESDAY),
        onWeek(LAST_WEEK, FRIDAY, 3),
        onDay(RepeatKind::Monthly, 30, 2),
        every(RepeatKind::Yearly, 4),
        ending(every(RepeatKind::Workdays), 10),
        ending(every(RepeatKind::Weekly, 1, {TUESDAY, THURSDAY}), 0, 20271231),
        ending(onWeek(1, MONDAY), 1),
    };
    for (const Recurrence& pattern : rules) {
        const Recurrence rule = makeRecurrence(pattern, tuesday);
        book.push_back({firstAlarmTime(rule, tuesday), "rule", rule, 20 + book.size()});
    }
    return book;
}

TEST(IcalRoundTrip, AnyBookComesBackAsItWas) {
    std::mt19937 random(2026);
    for (int round = 0; round < 300; ++round) {
        const std::vector<Appointment> book = randomBook(random);
        const std::string file = exported(book);
        const ImportPlan p = importInto(file, {});
        ASSERT_EQ(sorted(p.added), sorted(book)) << file;
        // An end date in UTC, as RFC 5545 asks beside a DTSTART with TZID.
        EXPECT_NE(file.find("BYDAY=TU,TH;UNTIL=20271231T080000Z\r\n"), std::string::npos);
        EXPECT_TRUE(p.notes.empty()) << p.notes.front().how;
        const ImportPlan again = importInto(file, book);
        EXPECT_TRUE(again.added.empty() && again.updated.empty());
        EXPECT_EQ(again.unchanged, static_cast<int>(book.size()));
    }
}

// What the list does with a plan: updated rows in place, new ones at the end; then its OK.
void importAndCommit(AppointmentStore& store, AppointmentBook& book, const std::string& file) {
    const std::vector<Appointment> current = appointmentsOf(book);
    const ImportPlan p = importInto(file, current);
    std::vector<Appointment> rows = current;
    for (const auto& [index, changed] : p.updated) {
        rows[index] = changed;
    }
    std::vector<AppointmentId> newIds;
    for (const Appointment& a : p.added) {
        rows.push_back(a);
        newIds.push_back(a.id);
    }
    AppointmentBook committed;
    for (const Appointment& row : rows) {
        committed.insert(row);
    }
    book = applyListEdits(book, book, committed, {});
    store.reviveDeleted(book, newIds);
    ASSERT_TRUE(store.save(book, NOW));
}

TEST(IcalRoundTrip, AFileImportedTwiceAddsNothing) {
    const std::string file = exported({{NOW + 86400, "Zahnarzt", {}, 0x5f2c9a0e4b7d1c38},
                                       {NOW + 2 * 86400, "Friseur", {}, 0x77}}) +
                             "BEGIN:VCALENDAR\r\n"; // what follows the end is not read
    for (const bool shared : {false, true}) {
        SCOPED_TRACE(shared ? "shared" : "one program's file");
        TempFolders folders;
        FaultyFileSystem files{folders.user(), folders.common()};
        AppointmentStore store{files, folders.user(), false, shared};
        AppointmentBook book;
        AppointmentBook missed;
        store.load(NOW, false, book, missed);
        book.insert(NOW + 3 * 86400, "schon da");
        ASSERT_TRUE(store.save(book, NOW));

        importAndCommit(store, book, file);
        EXPECT_EQ(book.count(), 3);
        EXPECT_TRUE(importInto(file, appointmentsOf(book)).added.empty());

        // The imported Zahnarzt deleted, then imported again: it comes back and stays.
        AppointmentBook rest = book;
        rest.removeEarliest();
        book = applyListEdits(book, book, rest, {});
        ASSERT_TRUE(store.save(book, NOW));
        EXPECT_EQ(importInto(file, appointmentsOf(book)).added.size(), 1u);
        importAndCommit(store, book, file);
        book.insert(NOW + 4 * 86400, "danach");
        ASSERT_TRUE(store.save(book, NOW));
        EXPECT_EQ(book.count(), 4);
        const ImportPlan last = importInto(file, appointmentsOf(book));
        EXPECT_TRUE(last.added.empty() && last.updated.empty());
        EXPECT_EQ(last.unchanged, 2);
    }
}

} // namespace
