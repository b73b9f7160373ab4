// Proves the Wine harness: the time helpers agree with the Windows clock.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>

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

} // namespace
