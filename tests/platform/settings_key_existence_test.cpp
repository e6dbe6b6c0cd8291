// SPDX-License-Identifier: GPL-3.0-or-later
// Whether a key exists when the file names only keys below it: the registry
// has no orphan keys, so every parent of a written key opens, whatever its
// siblings are called.
#include <gtest/gtest.h>

#include <string>

#include "platform/settings_store.h"

namespace {

TEST(SettingsKeyExistence, AParentOpensWhateverItsSiblingsAreCalled) {
    // Sibling names that sort between the parent's name and its subkeys: a
    // blank, '-', '.', a digit all come before the path separator.
    const std::string kHeader = "Windows Registry Editor Version 5.00\r\n\r\n";
    const std::string siblings[] = {"Quarix6 old", "Quarix6-old", "Quarix6.bak", "Quarix60"};
    for (const std::string& sibling : siblings) {
        const platform::RegistryContent content = platform::ParseRegistryExport(
            kHeader + "[HKEY_CURRENT_USER\\Software\\Calibration\\" + sibling + "\\Keep]\r\n\"A\"=\"1\"\r\n" +
            "[HKEY_CURRENT_USER\\Software\\Calibration\\Quarix6\\Below]\r\n\"B\"=\"2\"\r\n");
        EXPECT_TRUE(content.HasKey("software\\calibration\\quarix6")) << sibling;
        EXPECT_TRUE(content.HasKey("software\\calibration")) << sibling;
        // A name that only begins like a written key is still no key.
        EXPECT_FALSE(content.HasKey("software\\calibration\\quarix")) << sibling;
        EXPECT_FALSE(content.HasKey("software\\calibration\\quarix6\\bel")) << sibling;
    }
}

}  // namespace
