// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading an inbound frame's fields: shared by the decoder and by whatever
// describes the wire (the trace), so that both read a frame alike.
#include <cstddef>
#include <cstdint>
#include <string>

#include "device/quarix_protocol.h"

namespace device {

inline uint8_t ByteAt(const std::string& data, size_t index) { return static_cast<uint8_t>(data[index]); }

// Big-endian, bytes index and index + 1.
inline uint32_t Word16(const std::string& data, size_t index) {
    return static_cast<uint32_t>(ByteAt(data, index)) << 8 | ByteAt(data, index + 1);
}

// The 24-bit counter of bytes 2-4.
inline uint32_t Counter24(const std::string& data) {
    return static_cast<uint32_t>(ByteAt(data, 2)) << 16 | static_cast<uint32_t>(ByteAt(data, 3)) << 8 |
           ByteAt(data, 4);
}

// How many bytes a message type reads, from the start byte on. The
// short-frame framer hands over a packet cut short when a data byte is 0xF7;
// one that still holds every byte its type reads is decoded like the whole
// frame, anything shorter is rejected rather than read past its end.
inline size_t BytesTheTypeReads(uint8_t type, bool long_frames) {
    switch (type) {
        case kMsgRollData:
            return long_frames ? 9 : 4;  // periods up to byte 8; the roll count at byte 3
        case kMsgDistanceCounter:
            return 5;  // bytes 2-4
        case kMsgSerialNumber:
            return long_frames ? 7 : 5;  // the orientation follows in bytes 5-6
        case kMsgIdentification:
        case kMsgProductVersion:
            return 3;
        default:
            return 2;  // the type byte
    }
}

}  // namespace device
