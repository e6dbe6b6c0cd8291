// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The fuzzer's bytes read as a script: each call takes the next bytes, and an
// exhausted input keeps answering zeros so a script always runs to its end.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace fuzzing {

class Input {
public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool Empty() const { return at_ >= size_; }
    uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    uint16_t Word() { return static_cast<uint16_t>(Byte() << 8 | Byte()); }
    uint32_t Long() { return static_cast<uint32_t>(Word()) << 16 | Word(); }
    // Up to n bytes (fewer at the end of the input).
    std::string_view Bytes(size_t n) {
        n = std::min(n, size_ - std::min(at_, size_));
        std::string_view out(reinterpret_cast<const char*>(data_) + at_, n);
        at_ += n;
        return out;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

}  // namespace fuzzing
