#pragma once
// A per-user settings file for one test: written to a private folder and
// named in CALIBRATION_TOOL_SETTINGS while the fixture lives.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
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
