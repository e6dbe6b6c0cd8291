// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The per-user settings store (the model of the Windows per-user registry
// hive), backed by a settings file: a registry export, so that a rider can
// export the companion programs' keys on Windows and use them here unchanged,
// or the registry file of the Wine prefix the companion programs run in. The
// file is found where settings_location.h says, read at every OpenKey and
// never written.
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/exceptions.h"
#include "platform/registry_content.h"
#include "platform/registry_export_reader.h"
#include "platform/settings_location.h"
#include "platform/wine_registry_reader.h"

namespace platform {

// A value exists but is not a text value: "Type de données incorrect pour '%s'".
class ERegistryException : public Exception {
public:
    using Exception::Exception;
};

// Parses a settings file in whichever format it is written: Wine's registry
// by its header line, else a registry export.
RegistryContent ParseSettingsFile(std::string_view bytes, std::vector<RegistryProblem>* problems = nullptr);

// Where the next OpenKey would read from, and whether anything is there: the
// built-in text when one is in use, else LocateSettingsFile().
SettingsLocation CurrentSettingsSource();

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

    // The decimal separator the open key's numbers were written with: the
    // Wine prefix's when the file is one that says it, else "" (the user's
    // own, DecimalSeparator()).
    std::string NumberSeparator() const;

private:
    std::optional<std::string> file_path_;
    std::shared_ptr<const RegistryContent> content_;
    std::string current_path_;
};

}  // namespace platform
