// The appointment book: ordering, equal times, removal.
#include <gtest/gtest.h>

#include <vector>

#include "core/appointment_book.h"
#include "tests/support/book_contents.h"

namespace {

TEST(AppointmentBook, EmptyBookHasNothingToVisit) {
    AppointmentBook book;
    EXPECT_EQ(book.count(), 0);
    EXPECT_TRUE(contents(book).empty());
}

TEST(AppointmentBook, OrdersByTimeAndKeepsInsertionOrderAmongEqualTimes) {
    AppointmentBook book;
    book.insert(300, "c");
    book.insert(100, "a1");
    book.insert(200, "b");
    book.insert(100, "a2");
    book.insert(100, "a1"); // same time and text: kept as well
    book.insert(-5, "negative sorts first");

    const auto all = contents(book);
    ASSERT_EQ(all.size(), 6u);
    EXPECT_EQ(all[0].text, "negative sorts first");
    EXPECT_EQ(all[1].text, "a1");
    EXPECT_EQ(all[2].text, "a2");
    EXPECT_EQ(all[3].text, "a1");
    EXPECT_EQ(all[4].text, "b");
    EXPECT_EQ(all[5].text, "c");
    EXPECT_EQ(book.count(), 6);
}

TEST(AppointmentBook, EarliestAndRemoveEarliestWalkEqualTimesFirstInsertedFirst) {
    AppointmentBook book;
    book.insert(50, "first");
    book.insert(50, "second");
    book.insert(10, "earlier");

    EXPECT_EQ(book.earliest().text, "earlier");
    book.removeEarliest();
    EXPECT_EQ(book.earliest().alarmTime, 50);
    EXPECT_EQ(book.earliest().text, "first");
    book.removeEarliest();
    EXPECT_EQ(book.earliest().text, "second");
    book.removeEarliest();
    EXPECT_EQ(book.count(), 0);
}

TEST(AppointmentBook, InsertingFromLastToFirstReversesEqualTimes) {
    // The loader and the list's commit insert their rows from the last one up.
    const std::vector<Appointment> rows{{7, "x", {}}, {7, "y", {}}, {7, "z", {}}};
    AppointmentBook book;
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        book.insert(it->alarmTime, it->text);
    }
    const auto all = contents(book);
    EXPECT_EQ(all[0].text, "z");
    EXPECT_EQ(all[1].text, "y");
    EXPECT_EQ(all[2].text, "x");
}

TEST(AppointmentBook, ClearEmptiesAndEarliestIsACopy) {
    AppointmentBook book;
    book.insert(1, "kept");
    const Appointment copy = book.earliest();
    book.clear();
    EXPECT_EQ(book.count(), 0);
    EXPECT_EQ(copy.text, "kept");
}

} // namespace
