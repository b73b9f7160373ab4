// A test fixture whose clock stands on Sunday 2026-12-06 14:30:00 CET.
#pragma once

#include <gtest/gtest.h>

#include "core/clock.h"

// 2026-12-06 14:30:00 CET = 13:30 UTC, a Sunday.
constexpr TimeValue sunday1430 = 1796563800;

class FixedClockTest : public ::testing::Test {
  protected:
    void SetUp() override { previous_ = setClock(ClockSource{fixedNow, fixedToday}); }
    void TearDown() override { setClock(previous_); }

  private:
    static TimeValue fixedNow() { return sunday1430; }
    static LocalDate fixedToday() { return LocalDate{2026, 12, 6, 0}; }

    ClockSource previous_{};
};
