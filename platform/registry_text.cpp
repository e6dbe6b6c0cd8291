// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/registry_text.h"

namespace platform::registry_text {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string LowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = LowerAscii(c);
    return out;
}

std::string_view Trim(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
    return s.substr(b, e - b);
}

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string Utf16UnitsToUtf8(std::u16string_view units, bool stop_at_nul) {
    std::string out;
    out.reserve(units.size());
    for (size_t i = 0; i < units.size(); ++i) {
        uint32_t u = units[i];
        if (u == 0 && stop_at_nul) break;
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size()) {
            const uint32_t low = units[i + 1];
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        if (u >= 0xD800 && u <= 0xDFFF) u = 0xFFFD;
        AppendUtf8(out, u);
    }
    return out;
}

std::string Utf16ToUtf8(std::string_view bytes, bool big_endian, bool stop_at_nul) {
    std::u16string units(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < units.size(); ++i) {
        const auto a = static_cast<unsigned char>(bytes[2 * i]);
        const auto b = static_cast<unsigned char>(bytes[2 * i + 1]);
        units[i] = static_cast<char16_t>(big_endian ? (a << 8 | b) : (b << 8 | a));
    }
    return Utf16UnitsToUtf8(units, stop_at_nul);
}

std::string Latin1ToUtf8(std::string_view bytes, bool stop_at_nul) {
    std::string out;
    for (char c : bytes) {
        if (c == 0 && stop_at_nul) break;
        AppendUtf8(out, static_cast<unsigned char>(c));
    }
    return out;
}

bool IsValidUtf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        size_t extra;
        if (c < 0x80) extra = 0;
        else if (c >= 0xC2 && c <= 0xDF) extra = 1;
        else if (c >= 0xE0 && c <= 0xEF) extra = 2;
        else if (c >= 0xF0 && c <= 0xF4) extra = 3;
        else return false;
        if (i + extra >= s.size() && extra > 0) return false;
        for (size_t k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += extra + 1;
    }
    return true;
}

std::string DecodeFileText(std::string_view bytes) {
    auto starts = [&](std::string_view prefix) { return bytes.substr(0, prefix.size()) == prefix; };
    if (starts("\xFF\xFE")) return Utf16ToUtf8(bytes.substr(2), false, false);
    if (starts("\xFE\xFF")) return Utf16ToUtf8(bytes.substr(2), true, false);
    if (starts("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    // An export saved without its mark still shows itself by the zero high
    // byte of its first character.
    else if (bytes.size() >= 2 && bytes[0] != 0 && bytes[1] == 0) return Utf16ToUtf8(bytes, false, false);
    if (IsValidUtf8(bytes)) return std::string(bytes);
    return Latin1ToUtf8(bytes, false);
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = LowerAscii(c);
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool IsDwordDigits(std::string_view digits) {
    bool ok = !digits.empty() && digits.size() <= 8;
    for (char c : digits) ok = ok && HexDigit(c) >= 0;
    return ok;
}

bool TakeContinuedLines(const std::vector<std::string>& lines, size_t& index, std::string& data) {
    while (!data.empty() && data.back() == '\\') {
        data.pop_back();
        if (index + 1 >= lines.size()) return false;
        ++index;
        data += Trim(lines[index]);
    }
    return true;
}

namespace {

// "41,00,42,00" (blanks allowed around the commas, a trailing comma tolerated).
bool ParseHexBytes(std::string_view s, std::string& out) {
    s = Trim(s);
    size_t pos = 0;
    while (pos < s.size()) {
        size_t comma = s.find(',', pos);
        std::string_view item = Trim(s.substr(pos, comma == std::string_view::npos ? std::string_view::npos : comma - pos));
        if (item.empty()) {
            // Only a trailing comma may leave an empty item.
            if (comma != std::string_view::npos || pos != s.size()) {
                if (!Trim(s.substr(pos)).empty()) return false;
            }
            break;
        }
        if (item.size() > 2) return false;
        int value = 0;
        for (char c : item) {
            const int d = HexDigit(c);
            if (d < 0) return false;
            value = value * 16 + d;
        }
        out += static_cast<char>(value);
        if (comma == std::string_view::npos) break;
        pos = comma + 1;
    }
    return true;
}

}  // namespace

bool ParseHexValue(std::string_view data, bool eight_bit_text, RegistryValue& value, std::string& error) {
    const size_t colon = data.find(':');
    uint32_t type = 3;  // binary; a registry type is a 32-bit unsigned number
    if (data.size() > 3 && data[3] == '(') {
        const size_t close = data.find(')');
        if (close == std::string_view::npos || close + 1 != colon || close == 4) {
            error = "expected hex(type): before the bytes";
            return false;
        }
        type = 0;
        for (size_t i = 4; i < close; ++i) {
            const int d = HexDigit(data[i]);
            if (d < 0 || type > 0xFFFFFFF) {
                error = "expected hex(type): before the bytes";
                return false;
            }
            type = type * 16 + static_cast<uint32_t>(d);
        }
    }
    std::string bytes;
    if (colon == std::string_view::npos || !ParseHexBytes(data.substr(colon + 1), bytes)) {
        error = "expected bytes as two hexadecimal digits separated by commas";
        return false;
    }
    // 1 = text and 2 = expandable text, both read as texts.
    value = {};
    if (type == 1 || type == 2) {
        value.is_text = true;
        value.text = eight_bit_text ? Latin1ToUtf8(bytes, true) : Utf16ToUtf8(bytes, false, true);
    }
    return true;
}

RegistryProblem MakeProblem(const std::vector<std::string>& lines, size_t index, const std::string& reason) {
    // The line as written, cut short: enough to find it, never a flood.
    std::string text(Trim(lines[index]));
    if (text.size() > 60) {
        size_t cut = 57;
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
        text = text.substr(0, cut) + "...";
    }
    return {static_cast<int>(index) + 1, reason, std::move(text)};
}

}  // namespace platform::registry_text
