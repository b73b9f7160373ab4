// Today's local date from the Windows clock.
#include "core/clock.h"

#include <windows.h>

LocalDate platformToday() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return LocalDate{now.wYear, now.wMonth, now.wDay, now.wDayOfWeek};
}
