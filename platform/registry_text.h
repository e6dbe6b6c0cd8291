// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Text pieces both settings file readers use: encodings, hexadecimal data,
// lines and the shortened line a problem report quotes.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry_content.h"

namespace platform::registry_text {

char LowerAscii(char c);
std::string LowerAscii(std::string_view s);
// Without the blanks and tabs around it.
std::string_view Trim(std::string_view s);

void AppendUtf8(std::string& out, uint32_t code_point);
// UTF-16 code units to UTF-8. A surrogate pair becomes one character, a lone
// surrogate U+FFFD. With stop_at_nul the text ends at the first NUL unit, as
// a registry string does.
std::string Utf16UnitsToUtf8(std::u16string_view units, bool stop_at_nul);
// The same from bytes; an odd last byte is dropped.
std::string Utf16ToUtf8(std::string_view bytes, bool big_endian, bool stop_at_nul);
// 8-bit code page text taken as Latin-1, which agrees with the Western code
// page on every letter a key path or a number can hold.
std::string Latin1ToUtf8(std::string_view bytes, bool stop_at_nul);
bool IsValidUtf8(std::string_view s);
// A file's bytes as UTF-8 text: UTF-16 (with a byte-order mark, or LE
// without one), UTF-8 (a mark dropped), else an 8-bit code page.
std::string DecodeFileText(std::string_view bytes);
// The text cut at '\n', each line without a trailing '\r'.
std::vector<std::string> SplitLines(const std::string& text);

// 0..15, or -1 for anything that is no hexadecimal digit.
int HexDigit(char c);
// 1 to 8 hexadecimal digits.
bool IsDwordDigits(std::string_view digits);

// The data of a value line that continues on the next lines while it ends in
// '\' (hexadecimal data): appends them to `data` and moves `index` to the
// last line taken. False when the file ends first.
bool TakeContinuedLines(const std::vector<std::string>& lines, size_t& index, std::string& data);

// "hex:01,02" or "hex(N):41,00,..." as a value: types 1 and 2 are texts
// (UTF-16LE, or 8-bit with eight_bit_text), any other type is a value of
// another type. False, with `error` set, when the data is malformed.
bool ParseHexValue(std::string_view data, bool eight_bit_text, RegistryValue& value, std::string& error);

// A problem on `lines[index]`, quoting the line shortened to a readable size.
RegistryProblem MakeProblem(const std::vector<std::string>& lines, size_t index, const std::string& reason);

}  // namespace platform::registry_text
