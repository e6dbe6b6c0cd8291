// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A per-user settings file for one test: written to a private folder and
// named in CALIBRATION_TOOL_SETTINGS while the fixture lives.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>
#include <unistd.h>

namespace testing_support {

class ScopedSettingsFile {
public:
    // `body` is the file after its header line; nullopt = no file at all.
    explicit ScopedSettingsFile(const std::optional<std::string>& body) {
        char pattern[] = "/tmp/calibration_settings_XXXXXX";
        dir_ = ::mkdtemp(pattern);
        path_ = dir_ / "user.reg";
        if (body) std::ofstream(path_, std::ios::binary) << "Windows Registry Editor Version 5.00\r\n\r\n" << *body;
        if (const char* old = std::getenv("CALIBRATION_TOOL_SETTINGS")) old_ = old;
        ::setenv("CALIBRATION_TOOL_SETTINGS", path_.c_str(), 1);
    }
    ~ScopedSettingsFile() {
        if (old_) ::setenv("CALIBRATION_TOOL_SETTINGS", old_->c_str(), 1);
        else ::unsetenv("CALIBRATION_TOOL_SETTINGS");
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    ScopedSettingsFile(const ScopedSettingsFile&) = delete;
    ScopedSettingsFile& operator=(const ScopedSettingsFile&) = delete;

    std::string Path() const { return path_.string(); }

private:
    std::filesystem::path dir_, path_;
    std::optional<std::string> old_;
};

// The places the tool searches when no file is named, in a private home: the
// environment's settings variables are unset while the fixture lives, HOME
// points at the private folder, and files can be written at either place.
class ScopedSettingsPlaces {
public:
    ScopedSettingsPlaces() {
        char pattern[] = "/tmp/calibration_places_XXXXXX";
        home_ = ::mkdtemp(pattern);
        for (const char* name : kNames) {
            const char* old = std::getenv(name);
            old_.push_back(old ? std::optional<std::string>(old) : std::nullopt);
            ::unsetenv(name);
        }
        ::setenv("HOME", home_.c_str(), 1);
    }
    ~ScopedSettingsPlaces() {
        for (size_t i = 0; i < std::size(kNames); ++i) {
            if (old_[i]) ::setenv(kNames[i], old_[i]->c_str(), 1);
            else ::unsetenv(kNames[i]);
        }
        std::error_code ignored;
        std::filesystem::remove_all(home_, ignored);
    }
    ScopedSettingsPlaces(const ScopedSettingsPlaces&) = delete;
    ScopedSettingsPlaces& operator=(const ScopedSettingsPlaces&) = delete;

    std::string UserConfigFile() const { return (home_ / ".config/calibration-tool/user.reg").string(); }
    std::string WineFile() const { return (home_ / ".wine/user.reg").string(); }
    // Writes `bytes` as the file at `path` (below the private home).
    static std::string Write(const std::string& path, const std::string& bytes) {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    const std::filesystem::path& Home() const { return home_; }

private:
    static constexpr const char* kNames[] = {"CALIBRATION_TOOL_SETTINGS", "XDG_CONFIG_HOME", "WINEPREFIX", "HOME"};
    std::filesystem::path home_;
    std::vector<std::optional<std::string>> old_;
};

// A Wine prefix's registry file: its header, then `body` (keys relative to
// HKEY_CURRENT_USER, written with WineKey and WineText).
inline std::string WineRegistry(const std::string& body) {
    return "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n\n#arch=win64\n\n" +
           body;
}
// "[Software\\Corvane\\...] 1796953361": each backslash of the path doubled.
inline std::string WineKey(const std::string& path) {
    std::string doubled;
    for (char c : path) doubled += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return "\n[" + doubled + "] 1796953361\n#time=1dd8910e94ef5b8\n";
}
inline std::string WineText(const std::string& name, const std::string& value) {
    return "\"" + name + "\"=\"" + value + "\"\n";
}

// Registry-export lines for a key under HKEY_CURRENT_USER.
inline std::string RegKey(const std::string& path) { return "[HKEY_CURRENT_USER\\" + path + "]\r\n"; }
inline std::string RegText(const std::string& name, const std::string& value) {
    return "\"" + name + "\"=\"" + value + "\"\r\n";
}

inline const std::string kQuarix5Key = "Software\\Corvane\\Solvane\\Calibration\\Quarix5";
inline const std::string kQuarix6Key = "Software\\Corvane\\Trakova\\Calibration\\Quarix6";
inline const std::string kQuarix7Key = "Software\\Corvane\\Marnico\\Calibration\\Quarix7";

// A companion product's presence and version keys.
inline std::string RegProduct(const std::string& product, const std::string& app_path,
                              const std::optional<std::string>& version) {
    std::string out = RegKey("Software\\Corvane\\" + product + "\\AppPath") + RegText("AppPath", app_path);
    if (version) out += RegKey("Software\\Corvane\\" + product + "\\Versions") + RegText("Soft. version", *version);
    return out;
}

}  // namespace testing_support
