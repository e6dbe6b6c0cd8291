// SPDX-License-Identifier: GPL-3.0-or-later
// The type number of a hex(n): value may take all eight hexadecimal digits a
// registry type has; reading it must not overflow on the way.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/settings_store.h"

TEST(RegistryValueTypeNumber, EightDigitTypesAreValuesOfAnotherTypeAndNineDigitsAreSkipped) {
    const std::string file =
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Corvane\\Trakova\\Versions]\r\n"
        "\"Large\"=hex(eeeeeeee):41,00,00,00\r\n"
        "\"Largest\"=hex(ffffffff):41,00\r\n"
        "\"TooLong\"=hex(100000000):41,00\r\n"
        "\"Text\"=hex(2):41,00,00,00\r\n";
    std::vector<platform::RegistryProblem> problems;
    const platform::RegistryContent content = platform::ParseRegistryExport(file, &problems);

    const auto key = content.keys.find("software\\corvane\\trakova\\versions");
    ASSERT_NE(key, content.keys.end());
    ASSERT_EQ(key->second.count("large"), 1u);
    EXPECT_FALSE(key->second.at("large").is_text);
    ASSERT_EQ(key->second.count("largest"), 1u);
    EXPECT_FALSE(key->second.at("largest").is_text);
    EXPECT_EQ(key->second.count("toolong"), 0u);
    ASSERT_EQ(key->second.count("text"), 1u);
    EXPECT_EQ(key->second.at("text").text, "A");
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].line, 6);
}
