// Placement, nudge, snooze length and quiet moments of the alarm window.
#include <gtest/gtest.h>

#include <utility>

#include "app/alarm_logic.h"

namespace {

TEST(AlarmWindowPlace, EachPositionKeepsTheMarginFromItsEdges) {
    // A 1280 x 1024 screen and a 300 x 151 window: odd sizes show the halving.
    const int W = 1280, H = 1024, w = 300, h = 151;
    EXPECT_EQ(alarmWindowPlace(W, H, w, h, 1), (ScreenPoint{960, 20}));
    EXPECT_EQ(alarmWindowPlace(W, H, w, h, 2), (ScreenPoint{960, 436}));
    EXPECT_EQ(alarmWindowPlace(W, H, w, h, 3), (ScreenPoint{960, 853}));
    EXPECT_EQ(alarmWindowPlace(W, H, w, h, 4), (ScreenPoint{20, 20}));
    EXPECT_EQ(alarmWindowPlace(W, H, w, h, 5), (ScreenPoint{20, 436}));
    EXPECT_EQ(alarmWindowPlace(W, H, w, h, 6), (ScreenPoint{20, 853}));
}

TEST(AlarmWindowPlace, ZeroAndEveryUnknownPositionCentre) {
    for (int position : {0, 7, 9, -1, 1000}) {
        EXPECT_EQ(alarmWindowPlace(1280, 1024, 300, 151, position), (ScreenPoint{490, 436}))
            << position;
    }
}

TEST(AlarmWindowPlace, HalvesTruncateTowardZeroForAWindowLargerThanTheScreen) {
    EXPECT_EQ(alarmWindowPlace(100, 80, 151, 121, 0), (ScreenPoint{-25, -20}));
    EXPECT_EQ(alarmWindowPlace(100, 80, 151, 121, 3), (ScreenPoint{-71, -61}));
}

TEST(NudgedAlarmWindowPlace, StepsTwentyPixelsTowardsTheMiddle) {
    // left, top, bottom of a 300 x 150 window in each quadrant of 1280 x 1024.
    EXPECT_EQ(nudgedAlarmWindowPlace(1280, 1024, 20, 20, 170), (ScreenPoint{40, 40}));
    EXPECT_EQ(nudgedAlarmWindowPlace(1280, 1024, 960, 20, 170), (ScreenPoint{940, 40}));
    EXPECT_EQ(nudgedAlarmWindowPlace(1280, 1024, 20, 854, 1004), (ScreenPoint{40, 834}));
    EXPECT_EQ(nudgedAlarmWindowPlace(1280, 1024, 960, 854, 1004), (ScreenPoint{940, 834}));
}

TEST(NudgedAlarmWindowPlace, TheMiddleLineCountsAsTheFarHalf) {
    // left exactly at W / 2 moves left; bottom exactly at H / 2 moves up, and
    // one pixel less moves the other way.
    EXPECT_EQ(nudgedAlarmWindowPlace(1280, 1024, 640, 362, 512), (ScreenPoint{620, 342}));
    EXPECT_EQ(nudgedAlarmWindowPlace(1280, 1024, 639, 361, 511), (ScreenPoint{659, 381}));
    // The vertical step looks at the bottom edge, not the top: a centred window
    // whose top lies in the upper half still moves up.
    EXPECT_EQ(nudgedAlarmWindowPlace(1280, 1024, 490, 436, 587), (ScreenPoint{510, 416}));
}

TEST(AlarmWindowPlace, MarginAndStepGrowWithTheDpi) {
    // 20 pixels at 96 DPI: 25 at 120, 30 at 144, 40 at 192.
    for (auto [dpi, margin] : {std::pair{120, 25}, {144, 30}, {192, 40}}) {
        EXPECT_EQ(alarmWindowPlace(2560, 1440, 600, 300, 1, dpi),
                  (ScreenPoint{2560 - 600 - margin, margin}))
            << dpi;
        EXPECT_EQ(alarmWindowPlace(2560, 1440, 600, 300, 6, dpi),
                  (ScreenPoint{margin, 1440 - 300 - margin}))
            << dpi;
        EXPECT_EQ(alarmWindowPlace(2560, 1440, 600, 300, 0, dpi), (ScreenPoint{980, 570})) << dpi;
        EXPECT_EQ(nudgedAlarmWindowPlace(2560, 1440, margin, margin, 300 + margin, dpi),
                  (ScreenPoint{2 * margin, 2 * margin}))
            << dpi;
        EXPECT_EQ(nudgedAlarmWindowPlace(2560, 1440, 1900, 1100, 1400, dpi),
                  (ScreenPoint{1900 - margin, 1100 - margin}))
            << dpi;
    }
}

TEST(SnoozeMinutesFromText, ReadsAnUnsignedNumberAndFallsBackToOneMinute) {
    EXPECT_EQ(snoozeMinutesFromText("5"), 5u);
    EXPECT_EQ(snoozeMinutesFromText("60"), 60u);
    EXPECT_EQ(snoozeMinutesFromText("  7"), 7u);
    EXPECT_EQ(snoozeMinutesFromText("12 Minuten"), 12u);
    EXPECT_EQ(snoozeMinutesFromText("007"), 7u);
    for (const char* notANumber : {"", " ", "0", "000", "abc", "-5", "+"}) {
        EXPECT_EQ(snoozeMinutesFromText(notANumber), 1u) << '"' << notANumber << '"';
    }
}

TEST(SnoozeMinutesFromText, ANumberBeyondAnyTimerGivesTheLongestTimer) {
    EXPECT_EQ(LONGEST_TIMER_MINUTES, 35791u);
    EXPECT_EQ(snoozeMinutesFromText("35791"), 35791u);
    EXPECT_EQ(snoozeMinutesFromText("35792"), LONGEST_TIMER_MINUTES);
    EXPECT_EQ(snoozeMinutesFromText("4294967296"), LONGEST_TIMER_MINUTES);
    EXPECT_EQ(snoozeMinutesFromText("99999999999999999999999999"), LONGEST_TIMER_MINUTES);
}

TEST(TimerMilliseconds, MinutesTimesSixtyThousandWithoutWrapping) {
    EXPECT_EQ(timerMilliseconds(1), 60000u);
    EXPECT_EQ(timerMilliseconds(2), 120000u);
    EXPECT_EQ(timerMilliseconds(35791), 2147460000u);
    // 71583 minutes would wrap a 32-bit product round to 12,704 ms.
    EXPECT_EQ(timerMilliseconds(71583), 2147460000u);
    EXPECT_EQ(timerMilliseconds(0xFFFFFFFFu), 2147460000u);
}

} // namespace

// Held quiet only while the user presents or a full-screen program runs; any
// other moment, an unknown number and a failed query leave the alarm as it is.
TEST(HoldsAlarmQuiet, OnlyPresentationsAndFullScreenProgramsHoldAnAlarm) {
    // Index: the moment's number, 0 to 8 (2 busy, 3 Direct3D, 4 presentation).
    const bool held[] = {false, false, true, true, true, false, false, false, false};
    for (int moment = 0; moment < 9; ++moment) {
        EXPECT_EQ(holdsAlarmQuiet(true, moment), held[moment]) << moment;
        EXPECT_FALSE(holdsAlarmQuiet(false, moment)) << moment;
    }
}
