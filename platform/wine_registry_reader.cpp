#include "platform/wine_registry_reader.h"

#include <cstdint>
#include <string>

#include "platform/registry_text.h"

namespace platform {
namespace {
using namespace registry_text;

constexpr std::string_view kHeader = "WINE REGISTRY Version 2";

void AppendUtf16(std::u16string& out, uint32_t cp) {
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (cp >> 10));
        out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
        out += static_cast<char16_t>(cp);
    }
}

// One character of valid UTF-8 text at `pos` (the decoded file is UTF-8).
uint32_t TakeUtf8(std::string_view s, size_t& pos) {
    const auto c = static_cast<unsigned char>(s[pos++]);
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    uint32_t cp = extra == 0 ? c : c & (0x3F >> extra);
    for (; extra > 0 && pos < s.size(); --extra) cp = cp << 6 | (static_cast<unsigned char>(s[pos++]) & 0x3F);
    return cp;
}

// Reads from `pos` (just after the opening delimiter) up to the unescaped
// `closing` character, which is consumed. The text comes out as UTF-16 code
// units, since a \x escape names one unit and a surrogate pair comes as two.
bool ReadEscaped(std::string_view s, size_t& pos, char closing, std::u16string& out, std::string& error) {
    while (pos < s.size()) {
        const char c = s[pos];
        if (c == closing) {
            ++pos;
            return true;
        }
        if (c != '\\') {
            AppendUtf16(out, TakeUtf8(s, pos));
            continue;
        }
        if (++pos >= s.size()) break;
        const char e = s[pos++];
        switch (e) {
        case 'n': out += u'\n'; break;
        case 'r': out += u'\r'; break;
        case 't': out += u'\t'; break;
        case '0': out += u'\0'; break;
        case 'x': {
            uint32_t unit = 0;
            int digits = 0;
            for (; digits < 4 && pos < s.size() && HexDigit(s[pos]) >= 0; ++digits)
                unit = unit * 16 + static_cast<uint32_t>(HexDigit(s[pos++]));
            if (digits == 0) {
                error = "a \\x escape needs one to four hexadecimal digits";
                return false;
            }
            out += static_cast<char16_t>(unit);
            break;
        }
        default:  // \\, \" and the escaped delimiters stand for themselves
            --pos;
            AppendUtf16(out, TakeUtf8(s, pos));
            break;
        }
    }
    error = closing == ']' ? "a key line must close its path with ']'"
                           : "the text is not closed by '\"' at the end of the line";
    return false;
}

bool AllDigits(std::string_view s) {
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
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
                if (line == kHeader) continue;
                Problem("the file does not start with \"WINE REGISTRY Version 2\"");
            }
            if (line[0] == ';') Comment(line);
            else if (line[0] == '#') continue;  // #arch=, #time=, #class=, #link: no values
            else if (line[0] == '[') Key(line);
            else Value(line);
        }
        return std::move(content_);
    }

private:
    enum class State { NoKey, Skipped, Active };

    // ";; All keys relative to \\User\\S-..." tells whose keys follow; the
    // machine's file (relative to \\Machine) holds no per-user keys.
    void Comment(std::string_view line) {
        constexpr std::string_view kRelative = ";; All keys relative to ";
        if (line.substr(0, kRelative.size()) != kRelative) return;
        const std::string root = LowerAscii(line.substr(kRelative.size()));
        other_root_ = root.compare(0, 7, "\\\\user\\") != 0;
        if (other_root_) Problem("the keys of this file are not a user's: none of them is read");
    }

    void Key(std::string_view line) {
        size_t pos = 1;
        std::u16string units;
        std::string error;
        state_ = State::Skipped;
        if (!ReadEscaped(line, pos, ']', units, error)) {
            Problem(error);
            return;
        }
        if (!AllDigits(Trim(line.substr(pos)))) {
            Problem("a key line is [path] followed by its time stamp");
            return;
        }
        if (other_root_) return;
        current_ = NormalizeKeyPath(Utf16UnitsToUtf8(units, false));
        content_.keys[current_];
        state_ = State::Active;
    }

    void Value(std::string_view line) {
        const size_t first_line = index_;
        std::string error;
        std::string name;
        size_t pos = 0;
        if (line[0] == '@') {
            pos = 1;
        } else if (line[0] == '"') {
            std::u16string units;
            pos = 1;
            if (!ReadEscaped(line, pos, '"', units, error)) {
                Problem("the value name is not closed by '\"'");
                return;
            }
            name = Utf16UnitsToUtf8(units, false);
        } else {
            Problem("expected a [key] line, a \"name\"=value line, a ';;' comment or a '#' line");
            return;
        }
        while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
        if (pos >= line.size() || line[pos] != '=') {
            Problem("expected '=' after the value name");
            return;
        }
        std::string data(Trim(line.substr(pos + 1)));
        const std::string lower = LowerAscii(std::string_view(data).substr(0, 6));
        if (lower.compare(0, 3, "hex") == 0 && !TakeContinuedLines(lines_, index_, data)) {
            Problem("the value's data is continued past the end of the file");
            return;
        }

        RegistryValue value;
        if (!ParseData(data, value, error)) {
            ProblemAt(first_line, error);
            return;
        }
        if (state_ == State::NoKey) {
            if (!other_root_) ProblemAt(first_line, "a value before any [key] line");
            return;
        }
        if (state_ == State::Skipped) return;
        content_.keys[current_][LowerAscii(name)] = std::move(value);
    }

    static bool ParseData(const std::string& data, RegistryValue& value, std::string& error) {
        const std::string lower = LowerAscii(data);
        if (lower.compare(0, 4, "str(") == 0) {  // str(2):"..." expandable, str(7):"..." multi-text
            const size_t close = data.find(')');
            uint32_t type = 0;
            bool ok = close != std::string::npos && close > 4 && close <= 12 && close + 2 < data.size() &&
                      data[close + 1] == ':' && data[close + 2] == '"';
            for (size_t i = 4; ok && i < close; ++i) {
                ok = HexDigit(data[i]) >= 0;
                type = type * 16 + static_cast<uint32_t>(HexDigit(data[i]));
            }
            if (!ok) {
                error = "expected str(type):\"text\"";
                return false;
            }
            if (!ParseText(std::string_view(data).substr(close + 2), value, error)) return false;
            if (type != 1 && type != 2) value = {};
            return true;
        }
        if (!data.empty() && data[0] == '"') return ParseText(data, value, error);
        if (lower.compare(0, 6, "dword:") == 0) {
            if (IsDwordDigits(Trim(std::string_view(data).substr(6)))) return true;
            error = "a dword value needs 1 to 8 hexadecimal digits";
            return false;
        }
        if (lower.compare(0, 4, "hex:") == 0 || lower.compare(0, 4, "hex(") == 0)
            return ParseHexValue(lower, false, value, error);
        error = "unknown value data (expected \"text\", str(n):, dword:, hex: or hex(n):)";
        return false;
    }

    // A quoted text filling the rest of the line; a registry text ends at
    // its first NUL.
    static bool ParseText(std::string_view data, RegistryValue& value, std::string& error) {
        std::u16string units;
        size_t pos = 1;
        if (!ReadEscaped(data, pos, '"', units, error)) return false;
        if (!Trim(data.substr(pos)).empty()) {
            error = "the text is not closed by '\"' at the end of the line";
            return false;
        }
        value.is_text = true;
        value.text = Utf16UnitsToUtf8(units, true);
        return true;
    }

    void Problem(const std::string& reason) { ProblemAt(index_, reason); }
    void ProblemAt(size_t line_index, const std::string& reason) {
        if (problems_) problems_->push_back(MakeProblem(lines_, line_index, reason));
    }

    std::vector<RegistryProblem>* problems_;
    std::vector<std::string> lines_;
    size_t index_ = 0;
    bool other_root_ = false;
    State state_ = State::NoKey;
    std::string current_;
    RegistryContent content_;
};

}  // namespace

bool IsWineRegistry(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    while (!bytes.empty() && (bytes[0] == '\r' || bytes[0] == '\n' || bytes[0] == ' ' || bytes[0] == '\t'))
        bytes.remove_prefix(1);
    if (bytes.substr(0, kHeader.size()) != kHeader) return false;
    bytes.remove_prefix(kHeader.size());
    return bytes.empty() || bytes[0] == '\r' || bytes[0] == '\n' || bytes[0] == ' ' || bytes[0] == '\t';
}

RegistryContent ParseWineRegistry(std::string_view bytes, std::vector<RegistryProblem>* problems) {
    return Parser(bytes, problems).Run();
}

}  // namespace platform
