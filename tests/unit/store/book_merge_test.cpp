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

TEST(BookMerge, EachSideKeepsWhatTheOtherDidNotTouch) {
    struct Case {
        const char* base;
        const char* ours;
        const char* theirs;
        const char* merged;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"AB", "ABC", "ABD", "ABCD"}, // both added
             {"AB", "B", "ABD", "BD"},     // we alarmed A, they added D
             {"AB", "ABC", "B", "BC"},     // they deleted A, we added C
             {"AB", "B", "B", "B"},        // both alarmed A
             {"AB", "AB", "", ""},         // they emptied the book
             {"", "A", "A", "AA"},         // added on both sides: two appointments now
             {"AA", "A", "AAB", "AB"},     // one of two equal ones alarmed here
             {"AA", "A", "A", ""},         // ... and there one, the other
             {"AAA", "A", "AA", ""},       // we removed two, they one
         }) {
        EXPECT_EQ(letters(mergeBooks(book(c.base), book(c.ours), book(c.theirs))), c.merged)
            << c.base << " " << c.ours << " " << c.theirs;
    }
}

TEST(BookMerge, AnAlarmHereDoesNotUndoAChangeThere) {
    // They changed A's text; we alarmed A meanwhile. The changed appointment is a new one.
    AppointmentBook theirs = book("B");
    theirs.insert(1800000000, "A geändert");
    const AppointmentBook merged = mergeBooks(book("AB"), book("B"), theirs);
    EXPECT_TRUE(sameAppointments(merged, theirs));
}

TEST(BookMerge, ASeriesAlarmedOnBothSidesGoesOnOnce) {
    const auto daily = [](TimeValue time) {
        AppointmentBook result;
        result.insert(Appointment{time, "Tablette", Recurrence{RepeatKind::Daily, 0, 0, 0, 8}});
        return result;
    };
    const TimeValue today = 1800000000;
    const TimeValue tomorrow = today + 24 * 3600;
    // Each program took today's occurrence and put in tomorrow's.
    EXPECT_TRUE(sameAppointments(mergeBooks(daily(today), daily(tomorrow), daily(tomorrow)),
                                 daily(tomorrow)));
    // Only we alarmed it: the other side still holds today's.
    EXPECT_TRUE(
        sameAppointments(mergeBooks(daily(today), daily(tomorrow), daily(today)), daily(tomorrow)));
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
