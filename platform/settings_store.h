#pragma once
// The per-user settings store (the model of the Windows per-user registry hive),
// backed by a registry export file so that a rider can export the companion
// programs' keys on Windows and use them here unchanged. The file is read at
// every OpenKey and never written.
//
// Accepted files: "Windows Registry Editor Version 5.00" (UTF-16LE with a BOM,
// as the registry editor exports it, or UTF-8) and "REGEDIT4" (UTF-8 or an
// 8-bit code page). Only keys under HKEY_CURRENT_USER (or HKCU) count; keys of
// other hives are skipped quietly.
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/exceptions.h"

namespace platform {

// A value exists but is not a text value: "Type de données incorrect pour '%s'".
class ERegistryException : public Exception {
public:
    using Exception::Exception;
};

// One value of a key. Plain and expandable texts are texts; everything else
// (dword, binary, multi-text, ...) is of another type.
struct RegistryValue {
    bool is_text = false;
    std::string text;  // UTF-8; empty for values of another type
};

// A parsed export: key paths (below the hive, lower-cased, '\'-separated,
// without a leading '\') to their values (names lower-cased).
struct RegistryContent {
    std::map<std::string, std::map<std::string, RegistryValue>> keys;
    // Does the key exist? A key exists when it is written in the file or when
    // a written key lies below it (the registry has no orphan keys). The root
    // always exists.
    bool HasKey(const std::string& normalized_path) const;
};

// A line the parser skipped, with its 1-based number in the file.
struct RegistryProblem {
    int line = 0;
    std::string reason;
    std::string text;  // the line as written (shortened when long)
};

// Parses the raw bytes of an export file. Never throws for bad content: each
// malformed line is skipped and listed in `problems` (when given).
RegistryContent ParseRegistryExport(std::string_view bytes, std::vector<RegistryProblem>* problems = nullptr);

// Lower-cases and splits a key path into the form RegistryContent uses.
// Empty segments (a leading, trailing or doubled '\') are dropped.
std::string NormalizeKeyPath(std::string_view path);

// Where the settings come from: $CALIBRATION_TOOL_SETTINGS when set, else
// $XDG_CONFIG_HOME/calibration-tool/user.reg, else ~/.config/calibration-tool/user.reg.
std::string SettingsFilePath();

struct SettingsSource {
    std::string path;      // the file looked for, or the built-in text's name
    bool found = false;    // the file exists and could be read
    bool built_in = false; // an in-process text replaces the file
};

// Where the next OpenKey would read from, and whether anything is there.
SettingsSource CurrentSettingsSource();

// Replaces the file with a text held by the process (a demonstration without
// any file on disk). `name` stands where a path would be named. Pass nothing
// to go back to the file.
void UseBuiltInSettings(std::optional<std::string> text, std::string name = {});

// The OpenKey / ReadText / CloseKey sequence of the per-user store.
class SettingsStore {
public:
    // Reads wherever CurrentSettingsSource() points at each OpenKey.
    SettingsStore() = default;
    // Reads the given file instead.
    explicit SettingsStore(std::string file_path);

    // Opens an existing key (never creates one). A path that starts with '\'
    // is taken from the root; otherwise from the open key, or from the root
    // when none is open. A failed open leaves the open key as it was.
    bool OpenKey(const std::string& path);

    // The text of a value of the open key (the root's when none is open); an
    // empty text when the value does not exist. A value of another type raises
    // ERegistryException "Type de données incorrect pour '%s'".
    std::string ReadText(const std::string& name) const;

    // Back to the root; forgets what was read.
    void CloseKey();

    // The open key's normalised path ("" = root).
    const std::string& CurrentPath() const { return current_path_; }

private:
    std::optional<std::string> file_path_;
    std::shared_ptr<const RegistryContent> content_;
    std::string current_path_;
};

}  // namespace platform
