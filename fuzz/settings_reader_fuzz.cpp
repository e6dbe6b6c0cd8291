// SPDX-License-Identifier: GPL-3.0-or-later
// Reads settings files made from the input: as they are, or behind a header
// of each accepted kind (a registry export in each accepted encoding, UTF-8,
// UTF-16LE with a byte-order mark, 8-bit; Wine's registry file), so that the
// fuzzer spends its time inside the keys and values rather than on the header
// check. Then the calibration keys are opened and read through the store the
// start-up uses.
//
// Beyond memory safety and termination it checks that the parsed content is
// in the store's own normal form (every key path normalised, every value name
// lower-cased), that every parsed key and each of its parents exists, that a
// reported problem names a line of the file, and that reading a value either
// gives a text or raises the store's read error, nothing else.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/settings_store.h"

namespace {

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "settings reader check failed: %s\n", what);
        std::abort();
    }
}

std::string Utf16Le(std::string_view utf8_ascii) {
    std::string out("\xFF\xFE", 2);
    for (char c : utf8_ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// The export as the fuzzer's first byte chooses to dress it.
std::string MakeFile(uint8_t mode, std::string_view body) {
    static const std::string kHeader5 = "Windows Registry Editor Version 5.00\r\n\r\n";
    static const std::string kHeader4 = "REGEDIT4\r\n\r\n";
    static const std::string kCalibrationKey = "[HKEY_CURRENT_USER\\Software\\Corvane\\Trakova\\Calibration\\Quarix6]\r\n";
    static const std::string kWineHeader =
        "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n\n";
    static const std::string kWineCalibrationKey =
        "[Software\\\\Corvane\\\\Trakova\\\\Calibration\\\\Quarix6] 1796953361\n#time=1dd8910e94ef5b8\n";
    switch (mode % 8) {
        case 6: return kWineHeader + std::string(body);
        case 7: return kWineHeader + kWineCalibrationKey + std::string(body);
        case 0: return std::string(body);
        case 1: return kHeader5 + std::string(body);
        case 2: return kHeader4 + std::string(body);
        case 3: return kHeader5 + kCalibrationKey + std::string(body);
        case 4: {  // as the registry editor writes it: UTF-16LE with a BOM
            std::string file = Utf16Le(kHeader5);
            file.append(body.data(), body.size());  // the body as raw code units
            return file;
        }
        default: {
            std::string file = Utf16Le(kHeader5 + kCalibrationKey);
            for (char c : body) {  // the body widened byte by byte
                file += c;
                file += '\0';
            }
            return file;
        }
    }
}

size_t LineCount(std::string_view file) {
    size_t lines = 1;
    for (char c : file)
        if (c == '\n' || c == '\r') ++lines;  // generous: CR LF counts twice
    return lines;
}

// The keys and values the start-up reads.
const char* const kKeys[] = {
    "Software\\Corvane\\Solvane\\Calibration\\Quarix5", "Software\\Corvane\\Trakova\\Calibration\\Quarix6",
    "Software\\Corvane\\Marnico\\Calibration\\Quarix7", "Software\\Corvane\\Branzo\\AppPath",
    "Software\\Corvane\\Trakova\\AppPath",            "\\Software\\Corvane\\Branzo\\Versions",
    "\\Software\\Corvane\\Trakova\\Versions",
};
const char* const kValues[] = {"Speed1", "Speed2", "Speed3", "Resist1", "Resist2", "Resist3", "AppPath",
                               "Soft. version", ""};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::string file =
        MakeFile(data[0], std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));

    std::vector<platform::RegistryProblem> problems;
    const platform::RegistryContent content = platform::ParseSettingsFile(file, &problems);

    const size_t lines = LineCount(file);
    for (const auto& p : problems) {
        Check(p.line >= 1 && static_cast<size_t>(p.line) <= lines, "problem outside the file");
        Check(!p.reason.empty(), "problem without a reason");
    }
    for (const auto& [path, values] : content.keys) {
        Check(platform::NormalizeKeyPath(path) == path, "key path not normalised");
        for (size_t cut = path.find('\\'); cut != std::string::npos; cut = path.find('\\', cut + 1))
            Check(content.HasKey(path.substr(0, cut)), "parent of a key missing");
        Check(content.HasKey(path), "parsed key missing");
        for (const auto& [name, value] : values) {
            Check(Lower(name) == name, "value name not lower-cased");
            Check(value.is_text || value.text.empty(), "non-text value with a text");
        }
    }

    // The same text through the store, as start-up reads it.
    platform::UseBuiltInSettings(file, "fuzz input");
    platform::SettingsStore store;
    for (const char* key : kKeys) {
        if (!store.OpenKey(key)) continue;
        for (const char* name : kValues) {
            try {
                (void)store.ReadText(name);
            } catch (const platform::ERegistryException&) {
                // A value of another type: the store's one read error.
            }
        }
        store.CloseKey();
    }
    platform::UseBuiltInSettings(std::nullopt);
    return 0;
}
