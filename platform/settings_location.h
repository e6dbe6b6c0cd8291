#pragma once
// Where the per-user settings file is. One function decides it, in this
// order:
//   1. the file named on the command line (--settings FILE);
//   2. $CALIBRATION_TOOL_SETTINGS;
//   3. $XDG_CONFIG_HOME/calibration-tool/user.reg, else
//      ~/.config/calibration-tool/user.reg (a registry editor export);
//   4. $WINEPREFIX/user.reg, else ~/.wine/user.reg (the Wine prefix's own
//      registry, where the companion programs keep their keys under Wine).
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
    Nowhere,      // nothing at either searched place
};

enum class SettingsFileState { Readable, Missing, Unreadable };

struct SettingsLocation {
    SettingsPlace place = SettingsPlace::Nowhere;
    std::string path;  // the file chosen, or the built-in text's name; "" for Nowhere
    SettingsFileState state = SettingsFileState::Missing;
    std::string why;  // when Unreadable: the system's reason ("Permission denied")
    // The two searched places, for telling where the tool looked.
    std::string user_config_file;
    std::string wine_file;

    bool Found() const { return state == SettingsFileState::Readable; }
};

// The file --settings named (nullopt: none). Set before the first read.
void SetSettingsFileOption(std::optional<std::string> path);

// Where the next read goes, and what is there. Looks again at every call.
SettingsLocation LocateSettingsFile();

// Opens the file at `path` as a settings file and, when `bytes` is given,
// reads it whole (at most max_bytes + 1 bytes, so a caller can tell a file
// that is too large). Missing when nothing is there; Unreadable, with the
// reason in `why`, when something is there that cannot be read as a file
// (no permission, a folder, a device or pipe). Never blocks on a pipe.
SettingsFileState ReadSettingsFile(const std::string& path, std::string* bytes = nullptr, std::string* why = nullptr,
                                   size_t max_bytes = 0);

}  // namespace platform
