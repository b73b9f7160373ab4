// Random bits from the C++ library's random device (where the system is not Windows).
#include "core/entropy.h"

#include <random>

std::uint64_t systemEntropy() {
    try {
        std::random_device device;
        return (static_cast<std::uint64_t>(device()) << 32) ^ device();
    } catch (...) {
        return 0;
    }
}
