// Identities of appointments: random ones for new appointments, derived ones for the
// appointments of a file that holds none.
#include "core/identity.h"

#include <chrono>

#include "core/entropy.h"

namespace {

// SplitMix64: spreads every bit of its input over the whole result.
std::uint64_t mix(std::uint64_t value) {
    value += 0x9E3779B97F4A7C15ull;
    value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ull;
    value = (value ^ (value >> 27)) * 0x94D049BB133111EBull;
    return value ^ (value >> 31);
}

// 64-bit FNV-1a over the bytes, each part followed by its length so that parts cannot
// run into each other.
class Hash {
  public:
    void add(std::string_view bytes) {
        for (const char byte : bytes) {
            step(static_cast<unsigned char>(byte));
        }
        add(static_cast<std::uint64_t>(bytes.size()));
    }
    void add(std::uint64_t number) {
        for (int shift = 0; shift < 64; shift += 8) {
            step(static_cast<unsigned char>(number >> shift));
        }
    }
    std::uint64_t value() const { return mix(state_); }

  private:
    void step(unsigned char byte) {
        state_ ^= byte;
        state_ *= 0x100000001B3ull;
    }
    std::uint64_t state_ = 0xCBF29CE484222325ull;
};

// The source of new identities: 64 bits of the system's randomness, mixed with the time
// and this object's address (so that even without them no two runs start alike), then a
// counter spread over all bits. One per process, used by the user-interface thread only.
class IdSource {
  public:
    AppointmentId next() {
        if (!seeded_) {
            const auto time = static_cast<std::uint64_t>(
                std::chrono::high_resolution_clock::now().time_since_epoch().count());
            state_ = mix(systemEntropy() ^ mix(time) ^ reinterpret_cast<std::uintptr_t>(this));
            seeded_ = true;
        }
        AppointmentId id = NO_ID;
        while (id == NO_ID) {
            state_ += 0x9E3779B97F4A7C15ull;
            id = mix(state_);
        }
        return id;
    }
    void seed(std::uint64_t seed) {
        state_ = seed;
        seeded_ = seed != 0;
    }

  private:
    std::uint64_t state_ = 0;
    bool seeded_ = false;
};

IdSource& idSource() {
    static IdSource source;
    return source;
}

} // namespace

AppointmentId newAppointmentId() {
    return idSource().next();
}

void seedAppointmentIds(std::uint64_t seed) {
    idSource().seed(seed);
}

AppointmentId derivedAppointmentId(std::string_view text, std::string_view key,
                                   std::string_view rule, int equalBefore) {
    Hash hash;
    hash.add(text);
    hash.add(key);
    hash.add(rule);
    hash.add(static_cast<std::uint64_t>(equalBefore));
    const AppointmentId id = hash.value();
    return id == NO_ID ? 1 : id;
}
