// Random bits from the system, for what must differ between PCs without asking each other.
#pragma once

#include <cstdint>

// 64 bits from the system's source of randomness; 0 when it has none.
std::uint64_t systemEntropy();
