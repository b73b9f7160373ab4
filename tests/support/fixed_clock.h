// A clock that stands still where a test puts it, and a fixture whose clock
// stands on Sunday 2026-12-06 14:30:00 CET.
#pragma once

#include <gtest/gtest.h>

#include "core/clock.h"

class FixedClock final : public Clock {
  public:
    FixedClock(TimeValue now, LocalDate today) : now_(now), today_(today) {}

    TimeValue currentTime() const override { return now_; }
    LocalDate today() const override { return today_; }

    void set(TimeValue now) { now_ = now; }
    void set(TimeValue now, LocalDate today) {
        now_ = now;
        today_ = today;
    }

  private:
    TimeValue now_;
    LocalDate today_;
};

// 2026-12-06 14:30:00 CET = 13:30 UTC, a Sunday.
constexpr TimeValue sunday1430 = 1796563800;
constexpr LocalDate sunday1430Date{2026, 12, 6, 0};

class FixedClockTest : public ::testing::Test {
  protected:
    FixedClock clock{sunday1430, sunday1430Date};
};
