// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/registry_export_reader.h"

#include <iterator>
#include <string>

#include "platform/registry_text.h"

namespace platform {
namespace {
using namespace registry_text;

// A quoted text with the export's two escapes, \\ and \". Any other backslash
// is kept as written, so a hand-written "C:\Program Files" still reads right.
bool ParseQuoted(std::string_view s, size_t& pos, std::string& out) {
    if (pos >= s.size() || s[pos] != '"') return false;
    ++pos;
    while (pos < s.size()) {
        const char c = s[pos];
        if (c == '\\' && pos + 1 < s.size() && (s[pos + 1] == '\\' || s[pos + 1] == '"')) {
            out += s[pos + 1];
            pos += 2;
        } else if (c == '"') {
            ++pos;
            return true;
        } else {
            out += c;
            ++pos;
        }
    }
    return false;
}

enum class Hive { CurrentUser, Other, Unknown };

Hive HiveOf(std::string_view root) {
    const std::string r = LowerAscii(root);
    if (r == "hkey_current_user" || r == "hkcu") return Hive::CurrentUser;
    static const char* const others[] = {"hkey_local_machine", "hklm", "hkey_classes_root", "hkcr", "hkey_users", "hku",
                                         "hkey_current_config", "hkcc", "hkey_performance_data", "hkey_dyn_data"};
    for (const char* o : others)
        if (r == o) return Hive::Other;
    return Hive::Unknown;
}

class Parser {
public:
    Parser(std::string_view bytes, std::vector<RegistryProblem>* problems)
        : problems_(problems), lines_(SplitLines(DecodeFileText(bytes))) {}

    RegistryContent Run() {
        bool first = true;
        for (index_ = 0; index_ < lines_.size(); ++index_) {
            const std::string_view line = Trim(lines_[index_]);
            if (line.empty()) continue;
            if (first) {
                first = false;
                if (line == "Windows Registry Editor Version 5.00") continue;
                if (line == "REGEDIT4") {
                    regedit4_ = true;
                    continue;
                }
                Problem("the file does not start with \"Windows Registry Editor Version 5.00\" or \"REGEDIT4\"");
            }
            if (line[0] == ';') continue;
            if (line[0] == '[') {
                Section(line);
            } else {
                Value(line);
            }
        }
        return std::move(content_);
    }

private:
    enum class State { NoKey, Skipped, Active };

    void Problem(const std::string& reason) { ProblemAt(index_, reason); }

    void Section(std::string_view line) {
        if (line.back() != ']') {
            Problem("a key line must end with ']'");
            state_ = State::Skipped;
            return;
        }
        std::string_view inner = line.substr(1, line.size() - 2);
        const bool remove = !inner.empty() && inner[0] == '-';
        if (remove) inner.remove_prefix(1);
        const size_t slash = inner.find('\\');
        const std::string_view root = inner.substr(0, slash);
        const std::string_view rest = slash == std::string_view::npos ? std::string_view() : inner.substr(slash + 1);
        switch (HiveOf(root)) {
        case Hive::Other:
            state_ = State::Skipped;
            return;
        case Hive::Unknown:
            Problem("the key does not start with HKEY_CURRENT_USER");
            state_ = State::Skipped;
            return;
        case Hive::CurrentUser:
            break;
        }
        const std::string path = NormalizeKeyPath(rest);
        if (remove) {
            for (auto it = content_.keys.begin(); it != content_.keys.end();) {
                const bool below = path.empty() || it->first == path ||
                                   (it->first.size() > path.size() && it->first.compare(0, path.size(), path) == 0 &&
                                    it->first[path.size()] == '\\');
                it = below ? content_.keys.erase(it) : std::next(it);
            }
            state_ = State::Skipped;
            return;
        }
        current_ = path;
        content_.keys[current_];
        state_ = State::Active;
    }

    void Value(std::string_view line) {
        const size_t first_line = index_;
        std::string name;
        size_t pos = 0;
        if (line[0] == '@') {
            pos = 1;
        } else if (line[0] != '"') {
            Problem("expected a key in [brackets], a \"name\"=value line or a ';' comment");
            return;
        } else if (!ParseQuoted(line, pos, name)) {
            Problem("the value name is not closed by '\"'");
            return;
        }
        while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
        if (pos >= line.size() || line[pos] != '=') {
            Problem("expected '=' after the value name");
            return;
        }
        ++pos;
        std::string data(Trim(line.substr(pos)));

        // Hex data continues on the next lines while a line ends with '\'.
        if (LowerAscii(std::string_view(data).substr(0, 3)) == "hex" && !TakeContinuedLines(lines_, index_, data)) {
            Problem("the value's data is continued past the end of the file");
            return;
        }

        RegistryValue value;
        bool remove = false;
        const std::string lower = LowerAscii(data);
        if (!data.empty() && data[0] == '"') {
            size_t p = 0;
            if (!ParseQuoted(data, p, value.text) || !Trim(std::string_view(data).substr(p)).empty()) {
                ProblemAt(first_line, "the text is not closed by '\"' at the end of the line");
                return;
            }
            value.is_text = true;
        } else if (data == "-") {
            remove = true;
        } else if (lower.compare(0, 6, "dword:") == 0) {
            if (!IsDwordDigits(Trim(std::string_view(data).substr(6)))) {
                ProblemAt(first_line, "a dword value needs 1 to 8 hexadecimal digits");
                return;
            }
        } else if (lower.compare(0, 4, "hex:") == 0 || lower.compare(0, 4, "hex(") == 0) {
            std::string error;
            if (!ParseHexValue(lower, regedit4_, value, error)) {
                ProblemAt(first_line, error);
                return;
            }
        } else {
            ProblemAt(first_line, "unknown value data (expected \"text\", dword:, hex: or hex(n):)");
            return;
        }

        if (state_ == State::NoKey) {
            ProblemAt(first_line, "a value before any [key] line");
            return;
        }
        if (state_ == State::Skipped) return;
        auto& values = content_.keys[current_];
        if (remove) values.erase(LowerAscii(name));
        else values[LowerAscii(name)] = std::move(value);
    }

    void ProblemAt(size_t line_index, const std::string& reason) {
        if (problems_) problems_->push_back(MakeProblem(lines_, line_index, reason));
    }

    std::vector<RegistryProblem>* problems_;
    std::vector<std::string> lines_;
    size_t index_ = 0;
    bool regedit4_ = false;
    State state_ = State::NoKey;
    std::string current_;
    RegistryContent content_;
};

}  // namespace

RegistryContent ParseRegistryExport(std::string_view bytes, std::vector<RegistryProblem>* problems) {
    return Parser(bytes, problems).Run();
}

}  // namespace platform
