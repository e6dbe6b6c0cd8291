// SPDX-License-Identifier: GPL-3.0-or-later
// Byte strings as hexadecimal text, and back to a number.
#include <algorithm>
#include <cstddef>
#include <string_view>
#include <utility>

#include "device/quarix_device.h"

namespace device {

namespace {
constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr size_t kHexTextLimit = 1000;  // bytes converted at most
}  // namespace

std::string HexDigits(const std::string& bytes, const char* separator) {
    const std::string_view between = separator;
    std::string hex;
    hex.reserve(bytes.size() * (2 + between.size()));
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<uint8_t>(bytes[i]);
        if (i != 0) hex += between;
        hex.push_back(kHexDigits[byte >> 4]);
        hex.push_back(kHexDigits[byte & 0x0F]);
    }
    return hex;
}

// Built aside and assigned last: a caller may convert a string in place.
// Spaced, every byte has a space before it, the first one too.
void TQuarixDevice::HexText(const std::string& data, bool spaced, std::string& text) {
    const std::string part = data.substr(0, std::min(data.size(), kHexTextLimit));
    if (part.empty()) {
        text.clear();
        return;
    }
    text = spaced ? " " + HexDigits(part, " ") : HexDigits(part, "");
}

// Big-endian, summed in 32 bits; meaningful up to 4 bytes (longer data wraps
// its shifts modulo 32, as the digits are weighted by position).
int32_t TQuarixDevice::HexValue(const std::string& data) {
    std::string text;
    HexText(data, false, text);
    uint32_t value = 0;
    const size_t digits = text.size();
    for (size_t i = 0; i < digits; ++i) {
        const char c = text[i];
        const uint32_t digit = c <= '9' ? static_cast<uint32_t>(c - '0') : static_cast<uint32_t>(c - 'A' + 10);
        const uint32_t shift = static_cast<uint32_t>((digits - 1 - i) * 4 % 32);
        value += digit << shift;
    }
    return static_cast<int32_t>(value);
}

}  // namespace device
