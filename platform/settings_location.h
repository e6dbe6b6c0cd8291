// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the per-user settings file is. One function decides it, in this
// order:
//   1. the file named on the command line (--settings FILE);
//   2. $CALIBRATION_TOOL_SETTINGS;
//   3. $XDG_CONFIG_HOME/calibration-tool/user.reg, else
//      ~/.config/calibration-tool/user.reg (a registry editor export);
//   4. $WINEPREFIX/user.reg, else ~/.wine/user.reg (the Wine prefix's own
//      registry, where the companion programs keep their keys under Wine).
//      A WINEPREFIX that is set but not an absolute path (empty too) names
//      no prefix: Wine refuses to start with it, and ~/.wine, which the user
//      did not name, is not read instead.
// A file named in 1 or 2 is the one read, or none: a rider who names a file
// means that file, and another place's keys would reach the brake unnoticed.
// Of 3 and 4 the first where something exists is chosen, also when it then
// cannot be read (it is told, not passed over).
#include <optional>
#include <string>

namespace platform {

enum class SettingsPlace {
    BuiltIn,      // a text held by the process stands for the file
    Option,       // --settings FILE
    Environment,  // $CALIBRATION_TOOL_SETTINGS
    UserConfig,   // the export in the user's configuration folder
    WinePrefix,   // the Wine prefix's user.reg
    BadWinePrefix,  // WINEPREFIX is set but is no absolute path: nothing is read
    Nowhere,      // nothing at either searched place
};

enum class SettingsFileState { Readable, Missing, Unreadable };

struct SettingsLocation {
    SettingsPlace place = SettingsPlace::Nowhere;
    std::string path;  // the file chosen, or the built-in text's name; "" for Nowhere
    SettingsFileState state = SettingsFileState::Missing;
    std::string why;  // when Unreadable: the system's reason ("Permission denied")
    // The two searched places, for telling where the tool looked. wine_file
    // is empty when WINEPREFIX names no usable prefix.
    std::string user_config_file;
    std::string wine_file;
    std::string wine_prefix;  // WINEPREFIX as set, for BadWinePrefix


    bool Found() const { return state == SettingsFileState::Readable; }
};

// The file --settings named (nullopt: none). Set before the first read.
void SetSettingsFileOption(std::optional<std::string> path);

// Where the next read goes, and what is there. Looks again at every call.
SettingsLocation LocateSettingsFile();

// A settings file is a few kilobytes (a Wine prefix's some hundred); a file
// larger than this is not one, and reading it whole would only cost memory.
inline constexpr size_t kMaxSettingsFileSize = 16 * 1024 * 1024;

// Opens the file at `path` as a settings file and, when `bytes` is given,
// reads it whole. Missing when nothing is there; Unreadable, with the reason
// in `why`, when something is there that cannot be read as a settings file
// (no permission, a folder, a device or pipe, more than
// kMaxSettingsFileSize bytes). Never blocks on a pipe.
SettingsFileState ReadSettingsFile(const std::string& path, std::string* bytes = nullptr, std::string* why = nullptr);

// Why a BadWinePrefix location reads nothing, as the user is told it.
std::string BadWinePrefixText(const std::string& wine_prefix);

}  // namespace platform
