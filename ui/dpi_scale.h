// Lengths given for 96 DPI, scaled to the DPI of a display.
#pragma once

#include <cstdint>

// The DPI at which Windows draws at 100 % and for which pixel lengths are given.
constexpr int BASE_DPI = 96;

// length × dpi / 96 rounded to the nearest pixel, halves away from zero, as the
// platform's MulDiv rounds: the same length the system gives its own metrics.
constexpr int scaleToDpi(int length, int dpi) noexcept {
    const std::int64_t product = static_cast<std::int64_t>(length) * dpi;
    const std::int64_t half = BASE_DPI / 2;
    return static_cast<int>(product >= 0 ? (product + half) / BASE_DPI
                                         : (product - half) / BASE_DPI);
}

// The sizes at which the program's icons are drawn (res/icons/make_icons.py).
constexpr int DRAWN_ICON_SIZES[] = {16, 20, 24, 32, 40, 48, 64, 256};

// The largest drawn icon size of at most pixels; the smallest one when none fits.
constexpr int drawnIconSizeWithin(int pixels) noexcept {
    int best = DRAWN_ICON_SIZES[0];
    for (int size : DRAWN_ICON_SIZES) {
        if (size <= pixels) {
            best = size;
        }
    }
    return best;
}
