// Proves the Wine harness: the time helpers agree with the Windows clock and its time
// zone, also with a TZ variable in the environment that the C runtime cannot read.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "core/calendar.h"
#include "core/clock.h"

namespace {

TEST(LocalTime, CurrentTimeIsTodayForGetLocalTime) {
    // Retry across a minute boundary between the two clock readings.
    for (int attempt = 0; attempt < 3; ++attempt) {
        SYSTEMTIME before{};
        GetLocalTime(&before);
        const std::string display =
            timeToDisplay(systemClock().currentTime(), systemClock().today());
        SYSTEMTIME after{};
        GetLocalTime(&after);
        if (before.wMinute != after.wMinute) {
            continue;
        }
        char expected[32];
        std::snprintf(expected, sizeof expected, "ht., %02d.%02d.%04d %02d:%02d", before.wDay,
                      before.wMonth, before.wYear, before.wHour, before.wMinute);
        EXPECT_EQ(display, expected);
        return;
    }
    FAIL() << "the clock kept changing minutes";
}

TEST(LocalTime, FileKeyRoundTripsOnThePlatformClock) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    char key[16];
    std::snprintf(key, sizeof key, "%02d%02d%02d%02d%02d", now.wYear - 2000, now.wMonth, now.wDay,
                  now.wHour, now.wMinute);
    const TimeValue t = fileKeyToTime(key);
    ASSERT_GT(t, 0);
    EXPECT_EQ(timeToFileKey(t), key);
    // In the hour repeated when daylight saving ends, mktime may name the
    // later of the two moments.
    EXPECT_LE(t, systemClock().currentTime() + 3600);
    EXPECT_GT(t, systemClock().currentTime() - 120);
}

// The time value of a local time as Windows' own time zone converts it.
TimeValue systemLocalToTime(WORD year, WORD month, WORD day, WORD hour, WORD minute) {
    const SYSTEMTIME local{year, month, 0, day, hour, minute, 0, 0};
    SYSTEMTIME utc{};
    FILETIME file{};
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) ||
        !SystemTimeToFileTime(&utc, &file)) {
        return -1;
    }
    const ULONGLONG ticks = (ULONGLONG{file.dwHighDateTime} << 32) | file.dwLowDateTime;
    return static_cast<TimeValue>((ticks - 116444736000000000ULL) / 10000000ULL);
}

// Winter and summer, and the days on which the US and Europe change their clocks.
TEST(LocalTime, FileKeysFollowTheSystemTimeZone) {
    const struct {
        const char* key;
        WORD month;
        WORD day;
    } days[] = {{"2701151200", 1, 15}, {"2703141030", 3, 14}, {"2703211200", 3, 21},
                {"2703291200", 3, 29}, {"2707011200", 7, 1},  {"2711011200", 11, 1},
                {"2711071030", 11, 7}};
    for (const auto& day : days) {
        const WORD hour = static_cast<WORD>((day.key[6] - '0') * 10 + (day.key[7] - '0'));
        const WORD minute = static_cast<WORD>((day.key[8] - '0') * 10 + (day.key[9] - '0'));
        EXPECT_EQ(fileKeyToTime(day.key), systemLocalToTime(2027, day.month, day.day, hour, minute))
            << day.key;
        EXPECT_EQ(timeToFileKey(fileKeyToTime(day.key)), day.key);
    }
}

} // namespace
