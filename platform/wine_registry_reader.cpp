// SPDX-License-Identifier: GPL-3.0-or-later
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
// `closing` character, which is consumed, with the escapes of the Wine
// server's loader: \a \b \e \f \n \r \t \v, one to three octal digits, \x
// with one to four hexadecimal digits (one UTF-16 code unit; \x without a
// digit is the letter x), and any other escaped character standing for
// itself. The text comes out as UTF-16 code units, since a surrogate pair
// comes as two escapes.
bool ReadEscaped(std::string_view s, size_t& pos, char closing, std::u16string& out, std::string& error) {
    auto octal = [&](size_t at) { return at < s.size() && s[at] >= '0' && s[at] <= '7'; };
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
        case 'a': out += u'\a'; break;
        case 'b': out += u'\b'; break;
        case 'e': out += u'\x1b'; break;
        case 'f': out += u'\f'; break;
        case 'n': out += u'\n'; break;
        case 'r': out += u'\r'; break;
        case 't': out += u'\t'; break;
        case 'v': out += u'\v'; break;
        case 'x': {
            uint32_t unit = 0;
            int digits = 0;
            for (; digits < 4 && pos < s.size() && HexDigit(s[pos]) >= 0; ++digits)
                unit = unit * 16 + static_cast<uint32_t>(HexDigit(s[pos++]));
            out += digits == 0 ? u'x' : static_cast<char16_t>(unit);
            break;
        }
        case '0': case '1': case '2': case '3': case '4': case '5': case '6': case '7': {
            uint32_t unit = static_cast<uint32_t>(e - '0');
            for (int more = 0; more < 2 && octal(pos); ++more) unit = unit * 8 + static_cast<uint32_t>(s[pos++] - '0');
            out += static_cast<char16_t>(unit);
            break;
        }
        default:  // \\, \", \[, \] and any other: the character itself
            --pos;
            AppendUtf16(out, TakeUtf8(s, pos));
            break;
        }
    }
    error = closing == ']' ? "a key line must close its path with ']'"
                           : "the text is not closed by '\"' at the end of the line";
    return false;
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
        TakeDecimalSeparator();
        return std::move(content_);
    }

private:
    enum class State { NoKey, Skipped, Active };

    // The server itself reads no ';' line, but the one it writes second,
    // ";; All keys relative to REGISTRY\\User\\S-..." (older servers:
    // "\\User\\S-..."), says whose keys the file holds. Only what it clearly
    // says counts: the machine's keys (system.reg) and the template of new
    // users (userdef.reg, User\\.Default) are none of the user's.
    void Comment(std::string_view line) {
        constexpr std::string_view kRelative = ";; All keys relative to ";
        if (line.substr(0, kRelative.size()) != kRelative) return;
        std::string root = LowerAscii(Trim(line.substr(kRelative.size())));
        if (root.compare(0, 8, "registry") == 0) root.erase(0, 8);
        auto is = [&](std::string_view name) {
            return root.compare(0, name.size(), name) == 0 &&
                   (root.size() == name.size() || root.compare(name.size(), 2, "\\\\") == 0);
        };
        other_root_ = is("\\\\machine") || is("\\\\user\\\\.default");
        if (other_root_) Problem("the keys of this file are not a user's: none of them is read");
    }

    // "[path]" and what follows it: the server takes a time stamp when one
    // is there and does without otherwise.
    void Key(std::string_view line) {
        size_t pos = 1;
        std::u16string units;
        std::string error;
        state_ = State::Skipped;
        if (!ReadEscaped(line, pos, ']', units, error)) {
            Problem(error);
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
        bool continued = true;
        if (data.compare(0, 3, "hex") == 0) continued = TakeContinuedLines(lines_, index_, data);

        if (state_ == State::NoKey) {
            if (!other_root_) ProblemAt(first_line, "a value before any [key] line");
            return;
        }
        if (state_ == State::Skipped) return;

        // The server keeps a value whose data it cannot read, without data
        // and of no type: the programs see a value of another type.
        RegistryValue value;
        if (!continued || !ParseData(data, value, error)) {
            value = {};
            ProblemAt(first_line, continued ? error : "the value's data is continued past the end of the file", true);
        }
        content_.keys[current_][LowerAscii(name)] = std::move(value);
    }

    // The server's type tags, compared as written (lower case): "text",
    // str:"text", str(2):"text" (expandable), str(7):"..." (multi-text),
    // hex:, hex(N): and dword:.
    static bool ParseData(const std::string& data, RegistryValue& value, std::string& error) {
        auto starts = [&](std::string_view tag) { return data.compare(0, tag.size(), tag) == 0; };
        if (starts("\"")) return ParseText(std::string_view(data).substr(1), true, value, error);
        if (starts("str:\"")) return ParseText(std::string_view(data).substr(5), true, value, error);
        if (starts("str(2):\"")) return ParseText(std::string_view(data).substr(8), true, value, error);
        if (starts("str(7):\"")) return ParseText(std::string_view(data).substr(8), false, value, error);
        if (starts("dword:")) return true;  // whatever follows: the server reads what it can as a number
        if (starts("hex:") || starts("hex(")) return ParseHexValue(data, false, value, error);
        error = "unknown value data (expected \"text\", str:, str(2):, str(7):, dword:, hex: or hex(n):)";
        return false;
    }

    // A quoted text up to its closing quote (the server reads nothing after
    // it); a registry text ends at its first NUL, as programs read it.
    static bool ParseText(std::string_view data, bool is_text, RegistryValue& value, std::string& error) {
        std::u16string units;
        size_t pos = 0;
        if (!ReadEscaped(data, pos, '"', units, error)) return false;
        value = {};
        value.is_text = is_text;
        if (is_text) value.text = Utf16UnitsToUtf8(units, true);
        return true;
    }

    // Programs under Wine write numbers with the prefix's regional settings,
    // which the prefix keeps among the user's keys.
    void TakeDecimalSeparator() {
        const auto key = content_.keys.find("control panel\\international");
        if (key == content_.keys.end()) return;
        const auto value = key->second.find("sdecimal");
        if (value != key->second.end() && value->second.is_text) content_.decimal_separator = value->second.text;
    }

    void Problem(const std::string& reason) { ProblemAt(index_, reason); }
    void ProblemAt(size_t line_index, const std::string& reason, bool value_kept = false) {
        if (!problems_) return;
        problems_->push_back(MakeProblem(lines_, line_index, reason));
        problems_->back().value_kept = value_kept;
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
