// The clock seam. The Windows build asks GetLocalTime for today's date
// (clock_win32.cpp), every other build asks the C library.
#include "core/clock.h"

#include <ctime>

#ifndef _WIN32
LocalDate platformToday() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return LocalDate{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_wday};
}

void useSystemTimeZone() {}
#else
LocalDate platformToday(); // clock_win32.cpp
#endif

namespace {

TimeValue platformNow() {
    return static_cast<TimeValue>(std::time(nullptr));
}

ClockSource& activeClock() {
    static ClockSource clock = systemClock();
    return clock;
}

} // namespace

ClockSource systemClock() {
    return ClockSource{platformNow, platformToday};
}

ClockSource setClock(ClockSource clock) {
    ClockSource previous = activeClock();
    activeClock() = clock;
    return previous;
}

TimeValue currentTime() {
    return activeClock().now();
}

LocalDate todayLocalDate() {
    return activeClock().today();
}
