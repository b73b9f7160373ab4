// The platform's clock. The Windows build asks GetLocalTime for today's date
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

class SystemClock final : public Clock {
  public:
    TimeValue currentTime() const override { return static_cast<TimeValue>(std::time(nullptr)); }
    LocalDate today() const override { return platformToday(); }
};

} // namespace

const Clock& systemClock() {
    static const SystemClock clock;
    return clock;
}
