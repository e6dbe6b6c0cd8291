// SPDX-License-Identifier: GPL-3.0-or-later
// What the trace says a frame means, by direction and generation.
#include "app/diagnostics/frame_meaning.h"

#include <gtest/gtest.h>

#include <string>

#include "device/device_test_support.h"
#include "device/quarix_protocol.h"

namespace {
using app::FrameContext;
using app::FrameDirection;

using device_test::Bytes;

TEST(FrameMeaning, HexIsUpperCaseSeparatedBySpaces) {
    EXPECT_EQ(device::HexDigits(Bytes({0xF0, 0x08, 0x28, 0x00, 0x00, 0xF7}), " "), "F0 08 28 00 00 F7");
    EXPECT_EQ(device::HexDigits(Bytes({0x0A}), " "), "0A");
    EXPECT_EQ(device::HexDigits("", " "), "");
}

TEST(FrameMeaning, SaysWhatEachFrameIs) {
    const FrameContext short_frames{4, true, false}, long_frames{6, true, false}, unknown{4, false, false},
        bytes_idle{3, false, false}, bytes_connected{3, true, false}, bytes_repairing{3, true, true};
    struct Case {
        FrameDirection direction;
        std::string bytes;
        FrameContext context;
        const char* meaning;
    };
    const auto to = FrameDirection::kToConsole;
    const auto from = FrameDirection::kFromConsole;
    const Case cases[] = {
        {to, Bytes({0xF0, 0x08, 0x28, 0x00, 0x00, 0xF7}), unknown, "identification request"},
        {to, Bytes({0xF0, 0x01, 0x28, 0x05, 0x00, 0xF7}), short_frames, "resistance level 40, elevation 5"},
        {to, Bytes({0xF0, 0x03, 0x00, 0x00, 0x00, 0xF7}), long_frames, "serial number request"},
        {to, Bytes({0xF0, 0x09, 0x00, 0x00, 0x00, 0xF7}), long_frames, "product version request"},
        {to, Bytes({0xF0, 0x07, 0x00, 0x00, 0x00, 0xF7}), long_frames, ""},
        // The byte protocol: a lone 0x28 is the request until connected.
        {to, Bytes({0x28}), bytes_idle, "identification request"},
        {to, Bytes({0x28}), bytes_connected, "resistance level 40"},
        {to, Bytes({0x28}), bytes_repairing, "identification request"},
        {to, Bytes({0x00}), bytes_connected, "resistance level 0"},

        {from, Bytes({0xF0, 0x08, 0x50, 0x00, 0x00, 0xF7}), unknown, "identification answer, Version 4"},
        {from, Bytes({0xF0, 0x08, 0x55, 0x00, 0x00, 0xF7}), unknown, "identification answer, Version 4.5"},
        {from, Bytes({0xF0, 0x08, 0x5C, 0x00, 0x00, 0xF7}), long_frames, "identification answer, Version 7"},
        {from, Bytes({0xF0, 0x08, 0x51, 0x00, 0x00, 0xF7}), unknown, "identification answer, unknown code 51"},
        {from, Bytes({0xF0, 0x01, 0x30, 0x04, 0x00, 0xF7}), short_frames,
         "status: no key, cadence pulse, heart pulse, roll count 4"},
        {from, Bytes({0xF0, 0x01, 0x05, 0x00, 0x00, 0xF7}), short_frames, "status: keys 0+2, roll count 0"},
        {from, Bytes({0xF0, 0x01, 0x02, 0x03, 0xE8, 0x03, 0xE8, 0xFF, 0xFF, 0xF7}), long_frames,
         "status: key 1, roll period 1000, cadence period 1000 ms, heart period none"},
        {from, Bytes({0xF0, 0x02, 0x01, 0x00, 0x02, 0xF7}), short_frames, "distance counter 65538"},
        {from, Bytes({0xF0, 0x03, 0x12, 0x34, 0x56, 0xF7}), short_frames, "serial number 1193046"},
        {from, Bytes({0xF0, 0x03, 0x00, 0x00, 0x01, 0x10, 0xF0, 0x00, 0x00, 0xF7}), long_frames,
         "serial number 1, orientation 10 F0"},
        {from, Bytes({0xF0, 0x09, 0x03, 0x00, 0x00, 0xF7}), short_frames, "product version 3"},
        {from, Bytes({0xF0, 0x05, 0x00, 0x00, 0x00, 0xF7}), short_frames, "raw frame"},
        {from, Bytes({0xF0, 0x0B, 0x00, 0x00, 0x00, 0xF7}), short_frames, "unknown type 0B"},
        {from, Bytes({0x11, 0x01, 0x00, 0x00, 0x00, 0xF7}), short_frames, "not a frame (no start byte)"},
        // Cut short by an early stop byte: told, never read past the end.
        {from, Bytes({0xF0, 0x01, 0xF7}), short_frames, "status, cut short"},
        {from, Bytes({0xF0, 0x01, 0x00, 0x04, 0x00, 0xF7}), long_frames, "status, cut short"},
        {from, Bytes({0xF0, 0x03, 0x12, 0xF7}), short_frames, "serial number, cut short"},
        {from, Bytes({0xF0, 0x08}), unknown, "identification answer, cut short"},
        {from, Bytes({0xF0}), unknown, "not a frame (no start byte)"},

        {from, Bytes({0x50}), bytes_idle, "identification answer"},
        {from, Bytes({0x51}), bytes_idle, "not an identification answer"},
        {from, Bytes({0x40, 0x40, 0x00, 0x61, 0x12}), bytes_connected,
         "status: roll pulses 3, heart pulses 1, cadence pulses 1, keys 0+1"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(app::FrameMeaning(c.direction, c.bytes, c.context), c.meaning) << device::HexDigits(c.bytes, " ");
}

}  // namespace
