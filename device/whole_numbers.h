// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The device's float figures turned into its whole-number ones. A figure can
// come from a host's absurd input (a simulated speed of 1e30 km/h, say): the
// conversion then holds at its limit instead of overflowing the integer.
#include <cmath>
#include <cstdint>

#include "platform/rounding.h"

namespace device {

// Nearest integer (halves to even), held inside the 32-bit range; NaN counts as 0.
inline int32_t RoundToInt32(long double value) {
    if (std::isnan(value)) return 0;
    if (value >= INT32_MAX) return INT32_MAX;
    if (value <= INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(platform::Round(value));
}

// Nearest whole number (halves to even), kept as a float. Past 2^62 a float
// is whole (or off by half a unit nobody could count) and passes unchanged,
// where the 64-bit conversion inside Round would overflow.
inline long double RoundWhole(long double value) {
    constexpr long double kBeyondRounding = 0x1p62L;
    if (!(std::fabs(value) < kBeyondRounding)) return value;
    return static_cast<long double>(platform::Round(value));
}

// Nearest integer (halves to even) of a figure held within +/-bound, so that
// its low bits stay meaningful where a caller keeps only those; NaN counts as 0.
inline int64_t RoundWithin(long double value, long double bound) {
    if (std::isnan(value)) return 0;
    if (value > bound) value = bound;
    if (value < -bound) value = -bound;
    return platform::Round(value);
}

}  // namespace device
