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

TEST(BookMerge, JoinNeitherLosesNorDoubles) {
    EXPECT_EQ(letters(joinBooks(book("AAB"), book("ABC"))), "AABC");
    EXPECT_EQ(letters(joinBooks(book(""), book("A"))), "A");
}

} // namespace
