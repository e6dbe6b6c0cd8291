// SPDX-License-Identifier: GPL-3.0-or-later
// The simulator's tests play the program's end of the line with the shared
// pseudo-terminal client, plus a few byte helpers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/console_sim/pseudo_terminal.h"

namespace console_sim_test {

using console_sim::PtyClient;

inline std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

inline std::uint8_t At(const std::string& s, std::size_t i) { return static_cast<std::uint8_t>(s.at(i)); }

// Cuts a received stream into frames of `length` bytes that start with F0 and
// end with F7; anything else is skipped byte by byte.
inline std::vector<std::string> SplitFrames(const std::string& stream, std::size_t length) {
  std::vector<std::string> frames;
  for (std::size_t i = 0; i + length <= stream.size();) {
    if (At(stream, i) == 0xF0 && At(stream, i + length - 1) == 0xF7) {
      frames.push_back(stream.substr(i, length));
      i += length;
    } else {
      ++i;
    }
  }
  return frames;
}

inline const std::string kIdentificationRequest = Bytes({0xF0, 0x08, 0x28, 0x00, 0x00, 0xF7});

}  // namespace console_sim_test
