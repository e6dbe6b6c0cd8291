// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The two roundings of the system, and the only place they are written.
#include <cmath>
#include <cstdint>

namespace platform {

// Float to integer: nearest, halves to even (the FPU's default mode).
inline int64_t Round(long double value) { return static_cast<int64_t>(std::nearbyint(value)); }

// Rounds to `decimals` (0..9) decimals with halves away from zero; results
// within 1e-8 of zero come back as exactly 0. The power of ten is a 32-bit
// integer, so more than 9 decimals (a precision property set too high) are
// taken as 9 rather than overflowing it; fewer than 0 round to whole numbers.
inline long double RoundDecimals(int32_t decimals, long double value) {
    int32_t p = 1;
    for (int32_t i = 0; i < decimals && i < 9; ++i) p *= 10;
    const long double scaled = value * p + (value >= 0 ? 0.5L : -0.5L);
    const long double result = std::trunc(scaled) / p;
    return std::fabs(result) <= 1e-8L ? 0.0L : result;
}

}  // namespace platform
