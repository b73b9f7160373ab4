// Random bits from Windows' own generator.
#include "core/entropy.h"

#include <windows.h>

#include <bcrypt.h>

std::uint64_t systemEntropy() {
    std::uint64_t bits = 0;
    const NTSTATUS status = BCryptGenRandom(nullptr, reinterpret_cast<PUCHAR>(&bits), sizeof bits,
                                            BCRYPT_USE_SYSTEM_PREFERRED_RNG);
    return status >= 0 ? bits : 0;
}
