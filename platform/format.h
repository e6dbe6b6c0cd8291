// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Number texts as the user's regional settings write them, and the
// framework's conversions with their exact error texts.
#include <cstdarg>
#include <cstdint>
#include <string>

namespace platform {

// printf into a std::string.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string FormatV(const char* format, va_list args);

// The decimal separator of the user's locale ('.' when it cannot be read).
char DecimalSeparator();
// Replaces the separator (tests, or a host that knows better); 0 = back to the locale's.
void SetDecimalSeparator(char separator);

// Whole number, optional sign, surrounding blanks allowed, "$" or "0x" for hex.
// Anything else raises EConvertError "'%s' is not a valid integer value".
int32_t StrToInt(const std::string& text);
int64_t StrToInt64(const std::string& text);

// Decimal number written with DecimalSeparator(), optional exponent, surrounding
// blanks allowed. Anything else (an empty text too) raises EConvertError
// "'%s' is not a valid floating point value".
long double StrToFloat(const std::string& text);
// The same with the separator the text's writer used ("" = DecimalSeparator()).
long double StrToFloat(const std::string& text, const std::string& separator);

// Fixed-point text with `decimals` digits and DecimalSeparator(): "%.1f".
std::string FormatFixed(long double value, int decimals);

}  // namespace platform
