// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/startup/calibration_settings.h"

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>

#include "platform/exceptions.h"
#include "platform/format.h"
#include "platform/settings_store.h"
#include "settings_fixture.h"
#include "test_support.h"

namespace {
using namespace app;
using testing_support::kQuarix5Key;
using testing_support::kQuarix6Key;
using testing_support::kQuarix7Key;
using testing_support::RegKey;
using testing_support::RegProduct;
using testing_support::RegText;
using testing_support::ScopedSettingsFile;
using testing_support::ScopedSettingsPlaces;
using testing_support::WineKey;
using testing_support::WineRegistry;
using testing_support::WineText;
using testing_support::ErrorOf;
using testing_support::SeparatorScope;

}  // namespace

TEST(CalibrationSettings, ProfileByExactVersion) {
    struct Case {
        double version;
        const CalibrationProfileInfo* expected;
    } cases[] = {
        {5, &ProfileInfo(CalibrationProfile::Quarix5)}, {6, &ProfileInfo(CalibrationProfile::Quarix6)},
        {4.5, &ProfileInfo(CalibrationProfile::Quarix6)}, {4, &ProfileInfo(CalibrationProfile::Quarix6)},
        {7, &ProfileInfo(CalibrationProfile::Quarix7)}, {5.5, nullptr}, {8, nullptr}, {0, nullptr},
        {4.000000001, nullptr}, {3, nullptr},
    };
    for (const auto& c : cases) EXPECT_EQ(ProfileForVersion(c.version), c.expected) << c.version;
}

TEST(CalibrationSettings, ReadersPerProfile) {
    SeparatorScope comma(',');
    const ScopedSettingsFile file(RegKey(kQuarix5Key) + RegText("Speed1", "22") + RegText("Speed2", "22.5") +
                                  RegText("Speed3", "") + RegText("Resist1", "-1") + RegText("Resist2", "") +
                                  "\"Resist3\"=dword:00000010\r\n" +  //
                                  RegKey(kQuarix6Key) + RegText("Speed1", "18,5") + RegText("Speed3", "18.5") +
                                  RegText("Resist1", "55") + RegText("Resist2", "") +  //
                                  RegKey(kQuarix7Key) + RegText("Speed1", " 31 ") + RegText("Resist1", "0"));
    using P = CalibrationProfile;
    // Speeds.
    EXPECT_EQ(ReadCalibrationSpeed(P::Quarix5, 1), 22.0);
    EXPECT_EQ(ErrorOf([] { ReadCalibrationSpeed(P::Quarix5, 2); }), "'22.5' is not a valid integer value");
    EXPECT_EQ(ReadCalibrationSpeed(P::Quarix5, 3), -1);  // empty: not set
    EXPECT_DOUBLE_EQ(ReadCalibrationSpeed(P::Quarix6, 1), 18.5);
    EXPECT_EQ(ErrorOf([] { ReadCalibrationSpeed(P::Quarix6, 2); }), "'' is not a valid floating point value");
    EXPECT_EQ(ErrorOf([] { ReadCalibrationSpeed(P::Quarix6, 3); }), "'18.5' is not a valid floating point value");
    EXPECT_EQ(ReadCalibrationSpeed(P::Quarix7, 1), 31.0);
    // Levels.
    EXPECT_EQ(ReadCalibrationResistance(P::Quarix5, 1), -1);
    EXPECT_EQ(ReadCalibrationResistance(P::Quarix5, 2), -1);  // empty: not set
    EXPECT_EQ(ErrorOf([] { ReadCalibrationResistance(P::Quarix5, 3); }), "Type de données incorrect pour 'Resist3'");
    EXPECT_EQ(ReadCalibrationResistance(P::Quarix6, 1), 55);
    EXPECT_EQ(ErrorOf([] { ReadCalibrationResistance(P::Quarix6, 2); }), "'' is not a valid integer value");
    EXPECT_EQ(ErrorOf([] { ReadCalibrationResistance(P::Quarix7, 2); }), "'' is not a valid integer value");
    EXPECT_EQ(ReadCalibrationResistance(P::Quarix7, 1), 0);
}

TEST(CalibrationSettings, MissingKeyReadsAsNotSetAndGivesTheDefaults) {
    for (const auto& body : {std::optional<std::string>(), std::optional<std::string>(RegKey("Software\\Other"))}) {
        const ScopedSettingsFile file(body);
        for (auto profile : {CalibrationProfile::Quarix5, CalibrationProfile::Quarix6, CalibrationProfile::Quarix7}) {
            std::array<double, 3> speeds{};
            std::array<int32_t, 3> levels{};
            ReadCalibrationPoints(profile, speeds, levels);
            EXPECT_EQ(speeds, (std::array<double, 3>{20, 30, 40}));
            EXPECT_EQ(levels, (std::array<int32_t, 3>{100, 60, 0}));
        }
    }
}

TEST(CalibrationSettings, MinusOneIsReplacedSlotBySlot) {
    const ScopedSettingsFile file(RegKey(kQuarix7Key) + RegText("Speed1", "-1") + RegText("Speed2", "25") +
                                  RegText("Speed3", "-1") + RegText("Resist1", "7") + RegText("Resist2", "-1") +
                                  RegText("Resist3", "-1"));
    std::array<double, 3> speeds{};
    std::array<int32_t, 3> levels{};
    ReadCalibrationPoints(CalibrationProfile::Quarix7, speeds, levels);
    EXPECT_EQ(speeds, (std::array<double, 3>{20, 25, 40}));
    EXPECT_EQ(levels, (std::array<int32_t, 3>{7, 60, 0}));
}

TEST(CalibrationSettings, AnErrorLeavesTheSlotsNotYetRead) {
    SeparatorScope comma(',');
    const ScopedSettingsFile file(RegKey(kQuarix6Key) + RegText("Speed1", "18,5") + RegText("Speed3", "40") +
                                  RegText("Resist1", "100") + RegText("Resist2", "60") + RegText("Resist3", "0"));
    std::array<double, 3> speeds{};
    std::array<int32_t, 3> levels{};
    EXPECT_EQ(ErrorOf([&] { ReadCalibrationPoints(CalibrationProfile::Quarix6, speeds, levels); }),
              "'' is not a valid floating point value");
    EXPECT_EQ(speeds, (std::array<double, 3>{18.5, 0, 0}));
    EXPECT_EQ(levels, (std::array<int32_t, 3>{0, 0, 0}));
}

TEST(CalibrationSettings, CompanionProducts) {
    struct Case {
        const char* what;
        std::string body;
        bool installed;
        CompanionVersion version;
        std::string error;  // raised by ReadProductVersion
    } cases[] = {
        {"installed", RegProduct("Branzo", "C:\\B", "6.2.0.114"), true, {6, 2, 0, 114}, ""},
        {"below six", RegProduct("Branzo", "C:\\B", "5.9.9.9"), true, {5, 9, 9, 9}, ""},
        {"extra tokens ignored", RegProduct("Branzo", "C:\\B", "7.1.2.3.4"), true, {7, 1, 2, 3}, ""},
        {"empty AppPath", RegProduct("Branzo", "", "6.0.0.0"), false, {}, ""},
        {"no presence key", RegKey("Software\\Corvane\\Branzo\\Versions") + RegText("Soft. version", "6.0.0.0"), false,
         {}, ""},
        {"no version key", RegProduct("Branzo", "C:\\B", std::nullopt), true, {}, ""},
        {"three numbers", RegProduct("Branzo", "C:\\B", "6.1.0"), true, {}, "'' is not a valid integer value"},
        {"empty version", RegProduct("Branzo", "C:\\B", ""), true, {}, "'' is not a valid integer value"},
        {"not a number", RegProduct("Branzo", "C:\\B", "6.x.0.0"), true, {}, "'x' is not a valid integer value"},
        // Past the range it fails rather than wrapping round to 6.
        {"past the range", RegProduct("Branzo", "C:\\B", "18446744073709551622.0.0.0"), true, {},
         "'18446744073709551622' is not a valid integer value"},
    };
    for (const auto& c : cases) {
        const ScopedSettingsFile file(c.body);
        EXPECT_EQ(IsProductInstalled(CompanionProduct::Branzo), c.installed) << c.what;
        EXPECT_FALSE(IsProductInstalled(CompanionProduct::Trakova)) << c.what;
        CompanionVersion v;
        EXPECT_EQ(ErrorOf([&] { v = ReadProductVersion(CompanionProduct::Branzo); }), c.error) << c.what;
        if (c.error.empty()) {
            EXPECT_EQ(v.Major, c.version.Major) << c.what;
            EXPECT_EQ(v.Minor, c.version.Minor) << c.what;
            EXPECT_EQ(v.Release, c.version.Release) << c.what;
            EXPECT_EQ(v.Build, c.version.Build) << c.what;
        }
    }
}

TEST(CalibrationSettings, TakeToken) {
    struct Case {
        std::string text, separator, head, rest;
    } cases[] = {
        {"6.0.1.2", ".", "6", "0.1.2"}, {"6", ".", "6", ""},     {"", ".", "", ""},
        {".5", ".", "", "5"},           {"a::b", "::", "a", "b"}, {"abc", "", "abc", ""},
    };
    for (auto c : cases) {
        std::string text = c.text;
        EXPECT_EQ(TakeToken(text, c.separator), c.head) << c.text;
        EXPECT_EQ(text, c.rest) << c.text;
    }
}

TEST(CalibrationSettings, OriginNoteNamesTheFileReadOrEveryPlaceLookedAt) {
    const ScopedSettingsPlaces places;
    const std::string config = places.UserConfigFile(), wine = places.WineFile();
    const std::string nowhere = "No settings file was found (looked for: --settings FILE, $CALIBRATION_TOOL_SETTINGS, " +
                                config + ", the Wine prefix's " + wine + "). Put the companion programs' keys in " +
                                config + ", or name the file with --settings or in CALIBRATION_TOOL_SETTINGS.";
    EXPECT_EQ(SettingsOriginNote(), nowhere);

    ScopedSettingsPlaces::Write(wine, WineRegistry(WineKey("Software")));
    EXPECT_EQ(SettingsOriginNote(), "Settings read from the Wine prefix's registry " + wine + ".");

    // The configuration folder's export comes before the prefix.
    ScopedSettingsPlaces::Write(config, "Windows Registry Editor Version 5.00\r\n\r\n" + RegKey("Software"));
    EXPECT_EQ(SettingsOriginNote(), "Settings read from " + config + ".");

    // Something that exists but cannot be read is said to be so, with why,
    // and is not passed over for the prefix.
    std::filesystem::remove(config);
    std::filesystem::create_directories(config);
    EXPECT_EQ(SettingsOriginNote(),
              "The settings file " + config + " exists but cannot be read (" + std::strerror(EISDIR) +
                  "): every key counts as absent.");

    ::setenv("CALIBRATION_TOOL_SETTINGS", (places.Home() / "gone.reg").c_str(), 1);
    EXPECT_EQ(SettingsOriginNote(), "No settings file: " + (places.Home() / "gone.reg").string() +
                                        ", named in CALIBRATION_TOOL_SETTINGS, does not exist.");
    ::setenv("CALIBRATION_TOOL_SETTINGS", "", 1);
    EXPECT_EQ(SettingsOriginNote(), "No settings file: CALIBRATION_TOOL_SETTINGS is set but empty.");

    platform::SetSettingsFileOption((places.Home() / "named.reg").string());
    EXPECT_EQ(SettingsOriginNote(), "No settings file: " + (places.Home() / "named.reg").string() +
                                        ", named by --settings, does not exist.");
    platform::SetSettingsFileOption(std::nullopt);
}

// What the note says and what standard error says of the same file agree:
// a file too large to be read is not "read from", and a WINEPREFIX that
// Wine would refuse reads no prefix, the default one neither.
TEST(CalibrationSettings, TheNoteAndStandardErrorTellOneTruth) {
    const ScopedSettingsPlaces places;
    const std::string wine = places.WineFile();
    ScopedSettingsPlaces::Write(wine, WineRegistry(WineKey("Software\\Corvane\\Trakova\\AppPath") +
                                                   WineText("AppPath", "C:\\\\T")));
    const std::string large = (places.Home() / "large" / "user.reg").string();
    std::filesystem::create_directories(std::filesystem::path(large).parent_path());
    { std::ofstream(large, std::ios::binary) << "WINE REGISTRY Version 2\n"; }
    std::filesystem::resize_file(large, platform::kMaxSettingsFileSize + 1);
    struct Case {
        const char* what;
        std::optional<std::string> wine_prefix;
        std::string note;
        std::string told;  // on standard error
        bool installed;
    } cases[] = {
        {"the default prefix", std::nullopt, "Settings read from the Wine prefix's registry " + wine + ".", "", true},
        {"a prefix too large to read", (places.Home() / "large").string(),
         "The settings file " + large +
             " exists but cannot be read (larger than 16 MiB, too large to be a settings file): every key counts as "
             "absent.",
         "calibration-tool: settings file " + large +
             " exists but cannot be read (larger than 16 MiB, too large to be a settings file); every key counts as "
             "absent\n",
         false},
        {"an empty WINEPREFIX", "",
         "No settings file: WINEPREFIX is set to \"\", which is not an absolute path: Wine does not use it, and no "
         "Wine prefix is read.",
         "calibration-tool: WINEPREFIX is set to \"\", which is not an absolute path: Wine does not use it, and no "
         "Wine prefix is read; every key counts as absent\n",
         false},
        {"a relative WINEPREFIX", ".wine",
         "No settings file: WINEPREFIX is set to \".wine\", which is not an absolute path: Wine does not use it, and "
         "no Wine prefix is read.",
         "calibration-tool: WINEPREFIX is set to \".wine\", which is not an absolute path: Wine does not use it, and "
         "no Wine prefix is read; every key counts as absent\n",
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.wine_prefix) ::setenv("WINEPREFIX", c.wine_prefix->c_str(), 1);
        else ::unsetenv("WINEPREFIX");
        EXPECT_EQ(SettingsOriginNote(), c.note);
        testing::internal::CaptureStderr();
        EXPECT_EQ(IsProductInstalled(CompanionProduct::Trakova), c.installed);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.told);
    }
}

// The prefixes Wine made, found by WINEPREFIX or as ~/.wine: the speeds in
// the separator of the prefix, whatever the tool's own locale says.
TEST(CalibrationSettings, PrefixesWineMadeGiveTheirNumbers) {
    const std::filesystem::path fixtures = std::filesystem::path(QUARIX_PLATFORM_FIXTURES) / "wine";
    using P = CalibrationProfile;
    for (const char* prefix : {"english", "french"}) {
        for (const char tool_separator : {'.', ','}) {
            for (const bool default_prefix : {false, true}) {
                SCOPED_TRACE(std::string(prefix) + ", tool separator " + tool_separator +
                             (default_prefix ? ", ~/.wine" : ", WINEPREFIX"));
                const ScopedSettingsPlaces places;
                SeparatorScope separator(tool_separator);
                if (default_prefix) {
                    std::filesystem::create_directories(places.Home() / ".wine");
                    std::filesystem::copy_file(fixtures / prefix / "user.reg", places.WineFile());
                } else {
                    ::setenv("WINEPREFIX", (fixtures / prefix).c_str(), 1);
                }
                std::array<double, 3> speeds{};
                std::array<int32_t, 3> levels{};
                ReadCalibrationPoints(P::Quarix6, speeds, levels);
                EXPECT_EQ(speeds, (std::array<double, 3>{18.5, 25.5, 35}));
                EXPECT_EQ(levels, (std::array<int32_t, 3>{120, 77, 10}));
                ReadCalibrationPoints(P::Quarix7, speeds, levels);
                EXPECT_EQ(speeds, (std::array<double, 3>{21.5, 31, 41}));
                EXPECT_EQ(levels, (std::array<int32_t, 3>{110, 66, 5}));
                EXPECT_EQ(ReadProductVersion(CompanionProduct::Trakova).Major, 6);
            }
        }
    }
    // Wine wrote "6\1" for a six and a control character: not the level 61.
    const ScopedSettingsPlaces places;
    ::setenv("WINEPREFIX", (fixtures / "english").c_str(), 1);
    EXPECT_EQ(ErrorOf([] { ReadCalibrationResistance(P::Quarix5, 1); }), "'6\x01' is not a valid integer value");
}

TEST(CalibrationSettings, TheSettingsOptionNamesTheOnlyFileRead) {
    const ScopedSettingsPlaces places;
    const std::string config = ScopedSettingsPlaces::Write(
        places.UserConfigFile(), "Windows Registry Editor Version 5.00\r\n\r\n" + RegProduct("Trakova", "C:\\T", "6.0.0.0"));
    const std::string named = (places.Home() / "other prefix/user.reg").string();
    struct Case {
        const char* what;
        std::function<void()> make;
        std::optional<std::string> refused;
    } cases[] = {
        {"not there", [] {}, "cannot read the settings file '" + named + "' (--settings): " + std::strerror(ENOENT)},
        {"a folder", [&] { std::filesystem::create_directories(named); },
         "cannot read the settings file '" + named + "' (--settings): " + std::strerror(EISDIR)},
        {"a Wine registry", [&] {
             std::filesystem::remove_all(named);
             ScopedSettingsPlaces::Write(named, WineRegistry(WineKey("Software\\Corvane\\Branzo\\AppPath") +
                                                              WineText("AppPath", "C:\\\\B")));
         },
         std::nullopt},
    };
    for (const auto& c : cases) {
        c.make();
        EXPECT_EQ(UseSettingsFileOption(named), c.refused) << c.what;
        // Refused or not, the configuration folder's file is not read in its place.
        EXPECT_FALSE(IsProductInstalled(CompanionProduct::Trakova)) << c.what;
        EXPECT_EQ(IsProductInstalled(CompanionProduct::Branzo), !c.refused) << c.what;
    }
    platform::SetSettingsFileOption(std::nullopt);
    EXPECT_TRUE(IsProductInstalled(CompanionProduct::Trakova));
    (void)config;
}
