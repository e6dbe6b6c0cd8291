// SPDX-License-Identifier: GPL-3.0-or-later
// RoundDecimals with a number of decimals outside 0..9: a trainer's precision
// properties accept any integer, and the power of ten must not overflow.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/rounding.h"

TEST(RoundDecimalsRange, MoreThanNineDecimalsRoundAsNineAndNegativeAsNone) {
    struct Case {
        int decimals;
        long double value, expected;
    } cases[] = {
        {10, 1.23456789012L, 1.234567890L},
        {12, 25.0000000004L, 25.0L},
        {2147483647, -7.1234567896L, -7.123456790L},
        {-1, 2.5L, 3.0L},
        {-2147483647 - 1, -2.4L, -2.0L},
    };
    for (const auto& c : cases) {
        const long double got = platform::RoundDecimals(c.decimals, c.value);
        EXPECT_TRUE(std::isfinite(static_cast<double>(got))) << c.decimals;
        EXPECT_NEAR(static_cast<double>(got), static_cast<double>(c.expected), 1e-12) << c.decimals;
    }
}
