// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a settings file reader produces: the per-user keys and their values,
// whichever file format they were read from.
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// One value of a key. Plain and expandable texts are texts; everything else
// (dword, binary, multi-text, ...) is of another type.
struct RegistryValue {
    bool is_text = false;
    std::string text;  // UTF-8; empty for values of another type
};

// Key paths (below the hive, lower-cased, '\'-separated, without a leading
// '\') to their values (names lower-cased).
struct RegistryContent {
    std::map<std::string, std::map<std::string, RegistryValue>> keys;
    // The decimal separator the programs that wrote these keys used, when
    // the file says it (a Wine prefix keeps its regional settings with the
    // user's keys); empty: the user's own.
    std::string decimal_separator;
    // Does the key exist? A key exists when it is written in the file or when
    // a written key lies below it (the registry has no orphan keys). The root
    // always exists.
    bool HasKey(const std::string& normalized_path) const;
};

// A line a reader skipped, with its 1-based number in the file.
struct RegistryProblem {
    int line = 0;
    std::string reason;
    std::string text;  // the line as written (shortened when long)
    // The line named a value whose data could not be read: the value is
    // there, of another type, as the Wine server keeps it.
    bool value_kept = false;
};

// Lower-cases and splits a key path into the form RegistryContent uses.
// Empty segments (a leading, trailing or doubled '\') are dropped.
std::string NormalizeKeyPath(std::string_view path);

}  // namespace platform
