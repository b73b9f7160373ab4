// Today's local date from the Windows clock, and the runtime's time zone from Windows.
#include "core/clock.h"

#include <windows.h>

#include <cstdlib>
#include <ctime>

LocalDate platformToday() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return LocalDate{now.wYear, now.wMonth, now.wDay, now.wDayOfWeek};
}

// Without TZ the runtime takes the zone and its daylight-saving rules from
// GetTimeZoneInformation, as GetLocalTime does.
void useSystemTimeZone() {
    static const bool done = [] {
        _putenv("TZ=");
        _tzset();
        return true;
    }();
    (void)done;
}
