// SPDX-License-Identifier: GPL-3.0-or-later
// Where the settings file is found: the command line's file, the
// environment's, the user's configuration folder, then the Wine prefix.
#include "platform/settings_location.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/settings_store.h"
#include "child_process.h"
#include "test_support.h"

namespace {
namespace fs = std::filesystem;
using platform::SettingsFileState;
using platform::SettingsPlace;

using testing_support::EnvScope;

struct OptionScope {
    explicit OptionScope(std::optional<std::string> path) { platform::SetSettingsFileOption(std::move(path)); }
    ~OptionScope() { platform::SetSettingsFileOption(std::nullopt); }
};

class TempDir {
public:
    TempDir() {
        char pattern[] = "/tmp/settings_location_test_XXXXXX";
        path_ = ::mkdtemp(pattern);
    }
    ~TempDir() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    fs::path Write(const std::string& name, const std::string& bytes = "Windows Registry Editor Version 5.00\n") const {
        const fs::path p = path_ / name;
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << bytes;
        return p;
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

// Every variable the location reads, set for one scope; "@" stands for the
// test's folder.
struct Environment {
    std::optional<std::string> option, named, xdg, wine_prefix, home = "@/home";
};
using Text = std::optional<std::string>;
Environment Env(Text option = {}, Text named = {}, Text xdg = {}, Text wine_prefix = {}) {
    return {std::move(option), std::move(named), std::move(xdg), std::move(wine_prefix)};
}

class LocationScope {
public:
    LocationScope(const TempDir& dir, const Environment& env)
        : option_(Expand(dir, env.option)),
          named_("CALIBRATION_TOOL_SETTINGS", Expand(dir, env.named)),
          xdg_("XDG_CONFIG_HOME", Expand(dir, env.xdg)),
          wine_("WINEPREFIX", Expand(dir, env.wine_prefix)),
          home_("HOME", Expand(dir, env.home)) {}

    static std::optional<std::string> Expand(const TempDir& dir, std::optional<std::string> text) {
        if (text && text->compare(0, 1, "@") == 0) text = dir.path().string() + text->substr(1);
        return text;
    }

private:
    OptionScope option_;
    EnvScope named_, xdg_, wine_, home_;
};

const char* kHomeConfig = "home/.config/calibration-tool/user.reg";
const char* kHomeWine = "home/.wine/user.reg";
const char* kXdgConfig = "xdg/calibration-tool/user.reg";
const char* kPrefixWine = "prefix/user.reg";

}  // namespace

TEST(SettingsLocation, OrderOfThePlaces) {
    const std::vector<std::string> all = {"named.reg", kHomeConfig, kHomeWine, kXdgConfig, kPrefixWine};
    struct Case {
        const char* what;
        Environment env;
        std::vector<std::string> files;  // below the test's folder
        SettingsPlace place;
        std::string path;  // "@" = the test's folder
        SettingsFileState state;
    } cases[] = {
        {"the command line beats everything", Env("@/named.reg", "@/other.reg", "@/xdg", "@/prefix"), all,
         SettingsPlace::Option, "@/named.reg", SettingsFileState::Readable},
        {"a missing command-line file is not passed over", Env("@/gone.reg", "@/named.reg"), all, SettingsPlace::Option,
         "@/gone.reg", SettingsFileState::Missing},
        {"the environment's file beats the searched places", Env({}, "@/named.reg"), all,
         SettingsPlace::Environment, "@/named.reg", SettingsFileState::Readable},
        {"a missing environment file is not passed over", Env({}, "@/gone.reg"), all,
         SettingsPlace::Environment, "@/gone.reg", SettingsFileState::Missing},
        {"the configuration folder beats the Wine prefix", Env(), {kHomeConfig, kHomeWine}, SettingsPlace::UserConfig,
         std::string("@/") + kHomeConfig, SettingsFileState::Readable},
        {"XDG_CONFIG_HOME replaces ~/.config", Env({}, {}, "@/xdg"), all, SettingsPlace::UserConfig,
         std::string("@/") + kXdgConfig, SettingsFileState::Readable},
        {"XDG_CONFIG_HOME without the file: ~/.config is not read", Env({}, {}, "@/xdg"),
         {kHomeConfig, kHomeWine}, SettingsPlace::WinePrefix, std::string("@/") + kHomeWine,
         SettingsFileState::Readable},
        {"a relative XDG_CONFIG_HOME is ignored", Env({}, {}, "xdg"), {kHomeConfig, kXdgConfig},
         SettingsPlace::UserConfig, std::string("@/") + kHomeConfig, SettingsFileState::Readable},
        {"the default Wine prefix", Env(), {kHomeWine}, SettingsPlace::WinePrefix, std::string("@/") + kHomeWine,
         SettingsFileState::Readable},
        {"WINEPREFIX names the prefix", Env({}, {}, {}, "@/prefix/"),
         {kHomeWine, kPrefixWine}, SettingsPlace::WinePrefix, std::string("@/") + kPrefixWine,
         SettingsFileState::Readable},
        {"WINEPREFIX without a registry: ~/.wine is not read", Env({}, {}, {}, "@/prefix"),
         {kHomeWine}, SettingsPlace::Nowhere, "", SettingsFileState::Missing},
        // Wine refuses to start with such a WINEPREFIX; ~/.wine is not what
        // the user named.
        {"an empty WINEPREFIX names no prefix", Env({}, {}, {}, ""), {kHomeWine}, SettingsPlace::BadWinePrefix, "",
         SettingsFileState::Missing},
        {"a relative WINEPREFIX names no prefix", Env({}, {}, {}, "prefix"), {kHomeWine, kPrefixWine},
         SettingsPlace::BadWinePrefix, "", SettingsFileState::Missing},
        {"the configuration folder still comes first", Env({}, {}, {}, "prefix"), {kHomeConfig},
         SettingsPlace::UserConfig, std::string("@/") + kHomeConfig, SettingsFileState::Readable},
        {"nothing anywhere", Env(), {}, SettingsPlace::Nowhere, "", SettingsFileState::Missing},
        // Something is there: it is chosen and said to be unreadable, not
        // silently replaced by the next place's keys.
        {"a folder where the export should be", Env(), {std::string(kHomeConfig) + "/inside", kHomeWine},
         SettingsPlace::UserConfig, std::string("@/") + kHomeConfig, SettingsFileState::Unreadable},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        for (const auto& f : c.files) dir.Write(f);
        const LocationScope scope(dir, c.env);
        const platform::SettingsLocation location = platform::LocateSettingsFile();
        EXPECT_EQ(location.place, c.place);
        EXPECT_EQ(location.path, LocationScope::Expand(dir, c.path));
        EXPECT_EQ(location.state, c.state);
        if (c.state == SettingsFileState::Unreadable) {
            EXPECT_EQ(location.why, "Is a directory");
        }
        // Where the search looks is always told.
        const std::string xdg = c.env.xdg && c.env.xdg->compare(0, 1, "@") == 0 ? std::string("@/") + kXdgConfig
                                                                                 : std::string("@/") + kHomeConfig;
        const std::string wine = !c.env.wine_prefix                               ? std::string("@/") + kHomeWine
                                 : c.env.wine_prefix->compare(0, 1, "@") == 0 ? std::string("@/") + kPrefixWine
                                                                              : std::string();
        EXPECT_EQ(location.user_config_file, LocationScope::Expand(dir, xdg));
        EXPECT_EQ(location.wine_file, LocationScope::Expand(dir, wine));
    }
}

TEST(SettingsLocation, WithoutHomeThePasswordEntryGivesTheFolders) {
    TempDir dir;
    Environment env;
    env.home = std::nullopt;
    const LocationScope scope(dir, env);
    const passwd* entry = ::getpwuid(::getuid());
    // A container may run the tests under an id it does not list: there is
    // no entry to take the folders from then.
    if (entry == nullptr) GTEST_SKIP() << "uid " << ::getuid() << " has no password entry";
    const platform::SettingsLocation location = platform::LocateSettingsFile();
    EXPECT_EQ(location.user_config_file, std::string(entry->pw_dir) + "/.config/calibration-tool/user.reg");
    EXPECT_EQ(location.wine_file, std::string(entry->pw_dir) + "/.wine/user.reg");
}

// A file the user may not read, read as a user (a child that is not root).
TEST(SettingsLocation, AFileThatCannotBeReadSaysWhy) {
    TempDir dir;
    const fs::path file = dir.Write("locked.reg");
    fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    fs::permissions(file, fs::perms::none);
    const EnvScope named("CALIBRATION_TOOL_SETTINGS", file.string());

    auto probe = [] {
        const platform::SettingsLocation location = platform::LocateSettingsFile();
        std::string bytes;
        const bool read = platform::ReadSettingsFile(location.path, &bytes) == SettingsFileState::Readable;
        return std::to_string(static_cast<int>(location.state)) + "|" + location.why + "|" + (read ? "read" : "-");
    };
    const std::optional<std::string> seen = testing_support::AsUnprivilegedUser(probe);
    ASSERT_TRUE(seen.has_value()) << "the child failed";
    EXPECT_EQ(*seen, std::to_string(static_cast<int>(SettingsFileState::Unreadable)) + "|Permission denied|-");
}

TEST(SettingsLocation, TheStoreReadsTheLocatedFileOrTheBuiltInText) {
    TempDir dir;
    const std::string header = "Windows Registry Editor Version 5.00\r\n\r\n";
    const auto file = dir.Write("a.reg", header + "[HKCU\\K]\n\"A\"=\"from file\"\n");
    const EnvScope env("CALIBRATION_TOOL_SETTINGS", file.string());
    platform::SettingsStore store;
    ASSERT_TRUE(store.OpenKey("K"));
    EXPECT_EQ(store.ReadText("A"), "from file");
    EXPECT_EQ(platform::CurrentSettingsSource().path, file.string());
    EXPECT_TRUE(platform::CurrentSettingsSource().Found());

    // Read at every open: a changed file is seen by the next OpenKey.
    dir.Write("a.reg", header + "[HKCU\\K]\n\"A\"=\"changed\"\n");
    store.CloseKey();
    ASSERT_TRUE(store.OpenKey("K"));
    EXPECT_EQ(store.ReadText("A"), "changed");
    store.CloseKey();

    // The command line's file, here in Wine's format, comes first.
    const auto wine = dir.Write("user.reg", "WINE REGISTRY Version 2\n\n[K] 1796953361\n\"A\"=\"from Wine\"\n");
    {
        const OptionScope option(wine.string());
        ASSERT_TRUE(store.OpenKey("K"));
        EXPECT_EQ(store.ReadText("A"), "from Wine");
        EXPECT_EQ(platform::CurrentSettingsSource().place, SettingsPlace::Option);
        store.CloseKey();
    }

    platform::UseBuiltInSettings(header + "[HKCU\\K]\n\"A\"=\"built in\"\n", "demo settings");
    ASSERT_TRUE(store.OpenKey("K"));
    EXPECT_EQ(store.ReadText("A"), "built in");
    EXPECT_EQ(platform::CurrentSettingsSource().place, SettingsPlace::BuiltIn);
    EXPECT_EQ(platform::CurrentSettingsSource().path, "demo settings");
    platform::UseBuiltInSettings(std::nullopt);
    store.CloseKey();

    const EnvScope gone("CALIBRATION_TOOL_SETTINGS", (dir.path() / "missing.reg").string());
    EXPECT_FALSE(store.OpenKey("K"));
    EXPECT_FALSE(platform::CurrentSettingsSource().Found());
}
