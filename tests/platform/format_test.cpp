// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "platform/exceptions.h"
#include "platform/format.h"
#include "platform/rounding.h"

#include "test_support.h"

using testing_support::ErrorOf;
using testing_support::SeparatorScope;

TEST(Format, WholeNumbers) {
    EXPECT_EQ(platform::StrToInt("22"), 22);
    EXPECT_EQ(platform::StrToInt(" -1"), -1);
    EXPECT_EQ(platform::StrToInt("$FF"), 255);
    EXPECT_EQ(platform::StrToInt("2147483647"), 2147483647);
    for (const char* bad : {"22.5", "", "abc", "1 2", "2147483648", "-"})
        EXPECT_EQ(ErrorOf([&] { platform::StrToInt(bad); }), std::string("'") + bad + "' is not a valid integer value")
            << bad;
}

// Past the 64-bit range a number fails however many digits it has: a value
// that wrapped on the way would reach the brake or the version check as a
// small number.
TEST(Format, WholeNumbersPastTheRangeFailInsteadOfWrapping) {
    struct Case {
        const char* text;
        std::optional<int64_t> value;  // nullopt: the conversion error
    } cases[] = {
        {"9223372036854775807", INT64_MAX},
        {"-9223372036854775808", INT64_MIN},
        {"$7FFFFFFFFFFFFFFF", INT64_MAX},
        {"-$8000000000000000", INT64_MIN},
        {"0x000000000000000000000001", 1},  // leading zeros are no overflow
        {"9223372036854775808", std::nullopt},
        {"-9223372036854775809", std::nullopt},
        {"18446744073709551616", std::nullopt},  // 2^64: wrapped to 0
        {"18446744073709551617", std::nullopt},  // wrapped to 1
        {"18446744073709551622", std::nullopt},  // wrapped to 6
        {"$10000000000000005", std::nullopt},    // wrapped to 5
        {"0x10000000000000000", std::nullopt},
        {"-$8000000000000001", std::nullopt},
        {"99999999999999999999999999999999999999", std::nullopt},
    };
    for (const auto& c : cases) {
        if (c.value) {
            EXPECT_EQ(platform::StrToInt64(c.text), *c.value) << c.text;
        } else {
            EXPECT_EQ(ErrorOf([&] { platform::StrToInt64(c.text); }),
                      std::string("'") + c.text + "' is not a valid integer value")
                << c.text;
            EXPECT_EQ(ErrorOf([&] { platform::StrToInt(c.text); }),
                      std::string("'") + c.text + "' is not a valid integer value")
                << c.text;
        }
    }
}

TEST(Format, DecimalNumbersFollowTheUsersSeparator) {
    {
        SeparatorScope comma(',');
        EXPECT_DOUBLE_EQ(static_cast<double>(platform::StrToFloat("18,5")), 18.5);
        EXPECT_EQ(ErrorOf([] { platform::StrToFloat("18.5"); }), "'18.5' is not a valid floating point value");
        EXPECT_EQ(platform::FormatFixed(19.56L, 1), "19,6");
    }
    SeparatorScope dot('.');
    EXPECT_DOUBLE_EQ(static_cast<double>(platform::StrToFloat("22")), 22.0);
    EXPECT_DOUBLE_EQ(static_cast<double>(platform::StrToFloat("-1.25e1")), -12.5);
    for (const char* bad : {"", " ", "1e", "x1", "1.2.3"})
        EXPECT_EQ(ErrorOf([&] { platform::StrToFloat(bad); }),
                  std::string("'") + bad + "' is not a valid floating point value")
            << bad;
    // The separator of the text's writer (a Wine prefix's) overrides the
    // user's; it may be longer than one byte.
    EXPECT_DOUBLE_EQ(static_cast<double>(platform::StrToFloat("18,5", ",")), 18.5);
    EXPECT_EQ(ErrorOf([] { platform::StrToFloat("18.5", ","); }), "'18.5' is not a valid floating point value");
    EXPECT_DOUBLE_EQ(static_cast<double>(platform::StrToFloat("18\xD9\xAB" "5", "\xD9\xAB")), 18.5);
    EXPECT_DOUBLE_EQ(static_cast<double>(platform::StrToFloat("18.5", "")), 18.5);
}

TEST(Rounding, RoundIsHalfToEvenAndRoundDecimalsHalfAwayFromZero) {
    struct Case {
        long double value;
        int64_t round;
    } cases[] = {{0.5L, 0}, {1.5L, 2}, {2.5L, 2}, {-0.5L, 0}, {-1.5L, -2}, {2.6L, 3}};
    for (const auto& c : cases) EXPECT_EQ(platform::Round(c.value), c.round) << static_cast<double>(c.value);

    struct DecimalCase {
        int decimals;
        long double value, expected;
    } decimal_cases[] = {{1, 0.25L, 0.3L}, {1, -0.25L, -0.3L}, {0, 2.5L, 3.0L},
                         {4, 0.124092L, 0.1241L}, {3, 0.00000001L, 0.0L}};
    for (const auto& c : decimal_cases)
        EXPECT_NEAR(static_cast<double>(platform::RoundDecimals(c.decimals, c.value)), static_cast<double>(c.expected),
                    1e-12)
            << static_cast<double>(c.value);
    EXPECT_EQ(platform::RoundDecimals(2, -0.000000001L), 0.0L);
}
