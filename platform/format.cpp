// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/format.h"

#include <atomic>
#include <cctype>
#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <langinfo.h>
#include <locale>
#include <vector>

#include "platform/exceptions.h"

namespace platform {
namespace {
std::atomic<char> separator_override{0};

std::string Trimmed(const std::string& text) {
    size_t begin = 0, end = text.size();
    while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
    while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
    return text.substr(begin, end - begin);
}

char LocaleSeparator() {
    // The user's locale, not the process's "C" default: the number texts in
    // the settings were written by a person with their regional settings.
    try {
        const std::locale user("");
        const char sep = std::use_facet<std::numpunct<char>>(user).decimal_point();
        return sep ? sep : '.';
    } catch (...) {
        return '.';
    }
}
}  // namespace

std::string FormatV(const char* format, va_list args) {
    va_list copy;
    va_copy(copy, args);
    const int size = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (size <= 0) return {};
    std::vector<char> buffer(static_cast<size_t>(size) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    return std::string(buffer.data(), static_cast<size_t>(size));
}

std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string result = FormatV(format, args);
    va_end(args);
    return result;
}

char DecimalSeparator() {
    const char forced = separator_override.load();
    if (forced) return forced;
    static const char from_locale = LocaleSeparator();
    return from_locale;
}

void SetDecimalSeparator(char separator) { separator_override.store(separator); }

int64_t StrToInt64(const std::string& text) {
    const std::string t = Trimmed(text);
    auto fail = [&]() -> int64_t { throw EConvertError(Format("'%s' is not a valid integer value", text.c_str())); };
    size_t i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
    int base = 10;
    if (i < t.size() && t[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < t.size() && t[i] == '0' && (t[i + 1] == 'x' || t[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= t.size()) return fail();
    // The limit is checked before each step, so that no number, however
    // many digits it has, wraps around into range.
    const unsigned long long limit = negative ? 0x8000000000000000ULL : 0x7FFFFFFFFFFFFFFFULL;
    unsigned long long value = 0;
    for (; i < t.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(t[i]);
        unsigned digit;
        if (std::isdigit(c)) digit = c - '0';
        else if (base == 16 && std::isxdigit(c)) digit = static_cast<unsigned>(std::tolower(c) - 'a' + 10);
        else return fail();
        if (value > (limit - digit) / static_cast<unsigned>(base)) return fail();
        value = value * static_cast<unsigned>(base) + digit;
    }
    return negative ? static_cast<int64_t>(0 - value) : static_cast<int64_t>(value);
}

int32_t StrToInt(const std::string& text) {
    const int64_t value = StrToInt64(text);
    if (value < INT32_MIN || value > INT32_MAX)
        throw EConvertError(Format("'%s' is not a valid integer value", text.c_str()));
    return static_cast<int32_t>(value);
}

long double StrToFloat(const std::string& text) { return StrToFloat(text, std::string()); }

long double StrToFloat(const std::string& text, const std::string& separator) {
    const std::string t = Trimmed(text);
    auto fail = [&]() -> long double {
        throw EConvertError(Format("'%s' is not a valid floating point value", text.c_str()));
    };
    const std::string sep = separator.empty() ? std::string(1, DecimalSeparator()) : separator;
    // Validate the shape ourselves, then hand a "C"-locale text to strtold.
    std::string c_text;
    size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) c_text += t[i++];
    size_t digits = 0;
    while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) c_text += t[i++], ++digits;
    if (t.compare(i, sep.size(), sep) == 0) {
        c_text += '.';
        i += sep.size();
        while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) c_text += t[i++], ++digits;
    }
    if (digits == 0) return fail();
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        c_text += 'e';
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) c_text += t[i++];
        size_t exp_digits = 0;
        while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) c_text += t[i++], ++exp_digits;
        if (exp_digits == 0) return fail();
    }
    if (i != t.size()) return fail();
    // strtold follows LC_NUMERIC; read the text with the "C" rules explicitly.
    locale_t c_locale = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(0));
    locale_t previous = uselocale(c_locale);
    errno = 0;
    const long double value = std::strtold(c_text.c_str(), nullptr);
    const int err = errno;
    uselocale(previous);
    freelocale(c_locale);
    if (err == ERANGE && std::isinf(value)) return fail();
    return value;
}

std::string FormatFixed(long double value, int decimals) {
    locale_t c_locale = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(0));
    locale_t previous = uselocale(c_locale);
    std::string text = Format("%.*Lf", decimals, value);
    uselocale(previous);
    freelocale(c_locale);
    const char sep = DecimalSeparator();
    if (sep != '.')
        for (char& c : text)
            if (c == '.') c = sep;
    return text;
}

}  // namespace platform
