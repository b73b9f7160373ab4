// Books merged as multisets: the cases in which two programs sharing one file lost
// appointments when the last writer won.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "store/book_merge.h"

namespace {

// Appointments named by one letter; the letter also sets the minute, so that equal
// letters are equal appointments.
AppointmentBook book(std::string_view letters) {
    AppointmentBook result;
    for (const char letter : letters) {
        result.insert(1800000000 + 60 * (letter - 'A'), std::string(1, letter));
    }
    return result;
}

std::string letters(const AppointmentBook& b) {
    std::string all;
    b.forEach([&all](const Appointment& a) { all += a.text; });
    return all;
}

// One merge written as the books' names: base, ours, theirs and the expected result.
struct MergeCase {
    const char* base;
    const char* ours;
    const char* theirs;
    const char* merged;
};

void expectMerges(std::initializer_list<MergeCase> cases, AppointmentBook (*make)(std::string_view),
                  std::string (*name)(const AppointmentBook&)) {
    for (const MergeCase& c : cases) {
        EXPECT_EQ(name(mergeBooks(make(c.base), make(c.ours), make(c.theirs))), c.merged)
            << c.base << " " << c.ours << " " << c.theirs;
    }
}

TEST(BookMerge, EachSideKeepsWhatTheOtherDidNotTouch) {
    expectMerges(
        {
            {"AB", "ABC", "ABD", "ABCD"}, // both added
            {"AB", "B", "ABD", "BD"},     // we alarmed A, they added D
            {"AB", "ABC", "B", "BC"},     // they deleted A, we added C
            {"AB", "B", "B", "B"},        // both alarmed A
            {"AB", "AB", "", ""},         // they emptied the book
            {"", "A", "A", "AA"},         // added on both sides: two appointments now
            {"AA", "A", "AAB", "AB"},     // one of two equal ones alarmed here
            {"AA", "A", "A", ""},         // ... and there one, the other
            {"AAA", "A", "AA", ""},       // we removed two, they one
        },
        book, letters);
}

TEST(BookMerge, AnAlarmHereDoesNotUndoAChangeThere) {
    // They changed A's text; we alarmed A meanwhile. The changed appointment is a new one.
    AppointmentBook theirs = book("B");
    theirs.insert(1800000000, "A geändert");
    const AppointmentBook merged = mergeBooks(book("AB"), book("B"), theirs);
    EXPECT_TRUE(sameAppointments(merged, theirs));
}

// A daily series at 08:00 named by the days of its occurrences ('0' today, '1'
// tomorrow, ...); 'x' is today's occurrence with its text changed.
constexpr TimeValue TODAY = 1800000000;
constexpr TimeValue DAY = 24 * 3600;
const Recurrence DAILY{RepeatKind::Daily, 0, 0, 0, 8};

AppointmentBook series(std::string_view marks) {
    AppointmentBook result;
    for (const char mark : marks) {
        result.insert(mark == 'x' ? Appointment{TODAY, "Pille!", DAILY}
                                  : Appointment{TODAY + (mark - '0') * DAY, "Pille", DAILY});
    }
    return result;
}

std::string marks(const AppointmentBook& b) {
    std::string all;
    b.forEach([&all](const Appointment& a) {
        all += a.text == "Pille!" ? 'x' : static_cast<char>('0' + (a.alarmTime - TODAY) / DAY);
    });
    return all;
}

TEST(BookMerge, ASeriesMovedOnByAnAlarmIsMatchedByItsSeries) {
    expectMerges(
        {
            {"0", "1", "1", "1"}, // both alarmed today's: tomorrow's once
            {"0", "1", "0", "1"}, // only we alarmed it
            {"0", "0", "1", "1"}, // only they alarmed it
            {"0", "1", "3", "3"}, // they alarmed it later, at a later day: theirs stands
            {"0", "1", "", ""},   // they deleted the series while we alarmed it
            {"0", "", "1", ""},   // we deleted it while they alarmed it
            {"0", "1", "x", "x"}, // they changed it while we alarmed it
            // One of two equal series deleted or changed on one side, both alarmed on
            // the other: the one left goes on.
            {"00", "0", "11", "1"},
            {"00", "11", "0", "1"},
            {"00", "0x", "11", "x1"},
        },
        series, marks);
}

TEST(BookMerge, RepetitionAndOrderCount) {
    AppointmentBook daily;
    daily.insert(Appointment{1800000000, "A", Recurrence{RepeatKind::Daily}});
    EXPECT_FALSE(sameAppointments(daily, book("A")));
    EXPECT_EQ(mergeBooks(book("A"), book(""), daily).count(), 1);

    // Equal times in another order are the same appointments.
    AppointmentBook one;
    one.insert(1800000000, "x");
    one.insert(1800000000, "y");
    AppointmentBook other;
    other.insert(1800000000, "y");
    other.insert(1800000000, "x");
    EXPECT_TRUE(sameAppointments(one, other));
    EXPECT_FALSE(sameAppointments(book("AAB"), book("ABB")));
}

TEST(BookMerge, ManyAppointmentsOfOneTimeCountAsWell) {
    // More of one minute than are compared one by one: the sorted way gives the same.
    const auto many = [](int a, int b, int c) {
        AppointmentBook result;
        for (const auto& [text, times] : {std::pair{"A", a}, {"B", b}, {"C", c}}) {
            for (int i = 0; i < times; ++i) {
                result.insert(1800000000, text);
            }
        }
        return result;
    };
    const AppointmentBook merged = mergeBooks(many(20, 10, 0), many(19, 10, 1), many(20, 9, 0));
    EXPECT_TRUE(sameAppointments(merged, many(19, 9, 1)));
    EXPECT_EQ(letters(merged).substr(0, 20), std::string(19, 'A') + "B") << "theirs first";
    EXPECT_TRUE(sameAppointments(joinBooks(many(20, 0, 3), many(5, 12, 0)), many(20, 12, 3)));
    EXPECT_FALSE(sameAppointments(many(20, 10, 0), many(19, 11, 0)));
}

TEST(BookMerge, JoinNeitherLosesNorDoubles) {
    EXPECT_EQ(letters(joinBooks(book("AAB"), book("ABC"))), "AABC");
    EXPECT_EQ(letters(joinBooks(book(""), book("A"))), "A");
}

} // namespace
