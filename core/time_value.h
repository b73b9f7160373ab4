// The program's time value.
#pragma once

#include <cstdint>

// Seconds since 1970-01-01 00:00:00 UTC, as time() gives it.
using TimeValue = std::int64_t;
