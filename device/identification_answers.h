// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The console's identification answers (F0 08 D 00 00 F7): the generation
// each code announces and whether the input queue is purged after it. The
// codes sit relative to twice IdentificationCode (0x50). Shared by the
// decoder and by whatever describes the wire (the trace).
#include <cstdint>

namespace device {

struct IdentificationAnswer {
    uint8_t code;
    double version;
    bool purge;
};

inline constexpr IdentificationAnswer kIdentificationAnswers[] = {
    {0x50, 4, false}, {0x54, 5, true}, {0x55, 4.5, true}, {0x58, 6, true},
    {0x5A, 5.5, true}, {0x5C, 7, true}, {0x5E, 8, true},
};

// The answer a code stands for; nullptr for a code no console sends.
inline const IdentificationAnswer* FindIdentificationAnswer(uint8_t code) {
    for (const auto& answer : kIdentificationAnswers)
        if (answer.code == code) return &answer;
    return nullptr;
}

}  // namespace device
