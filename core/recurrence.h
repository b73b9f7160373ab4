// How an appointment repeats. An appointment that does not repeat (the default)
// behaves and is stored exactly as every appointment did before repetition.
#pragma once

#include <cstdint>

enum class RepeatKind : std::uint8_t {
    None,
    Daily,
    Workdays, // Monday to Friday
    Weekly,
    Monthly,
    Yearly,
};

struct Recurrence {
    RepeatKind kind = RepeatKind::None;

    bool repeats() const { return kind != RepeatKind::None; }
    bool operator==(const Recurrence&) const = default;
};
