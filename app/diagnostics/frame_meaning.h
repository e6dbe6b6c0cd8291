// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a frame on the trainer's line means, in words, for the wire trace.
#include <string>

namespace app {

enum class FrameDirection { kToConsole, kFromConsole };

// What the trainer component knew when the frame crossed: the generation
// decides how a frame reads, and in the byte protocol a lone 0x28 is the
// identification request only while no connection stands (or a repair runs).
struct FrameContext {
    double version = 0;
    bool connected = false;
    bool repairing = false;
};

// The frame's meaning where the protocol gives one ("identification
// request", "identification answer, Version 6", "resistance level 40,
// elevation 0", "status: key 0, roll count 4" ...); empty where it gives none.
std::string FrameMeaning(FrameDirection direction, const std::string& bytes, const FrameContext& context);

}  // namespace app
