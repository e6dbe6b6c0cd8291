// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/diagnostics/frame_meaning.h"

#include <charconv>
#include <cstdint>

#include "device/frame_fields.h"
#include "device/identification_answers.h"
#include "device/quarix_protocol.h"
#include "platform/format.h"

namespace app {
namespace {

using device::kFrameStart;
using device::kFrameStop;

using device::ByteAt;
using device::BytesTheTypeReads;
using device::Counter24;
using device::Word16;

// Whatever the user's locale: a trace is read by whoever helps them.
std::string VersionText(double version) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, version).ptr;
    return std::string(text, end);
}

// Keys, heart and cadence pulses of a status byte (bit 6, the roll pulse,
// counts only in the byte protocol).
std::string StatusBits(uint8_t status, bool roll_bit) {
    std::string keys;
    for (int bit = 0; bit < 4; ++bit)
        if (status & (1u << bit)) keys += (keys.empty() ? "" : "+") + std::to_string(bit);
    std::string text = keys.empty() ? "no key" : (keys.size() == 1 ? "key " : "keys ") + keys;
    if (status & 0x10) text += ", cadence pulse";
    if (status & 0x20) text += ", heart pulse";
    if (roll_bit && (status & 0x40)) text += ", roll pulse";
    return text;
}

std::string Period(unsigned period, const char* unit) {
    if (period == 0 || period >= 0xFFFF) return "none";
    return std::to_string(period) + unit;
}

std::string Outbound(const std::string& bytes, const FrameContext& context) {
    if (context.version < 4 && bytes.size() == 1) {
        const uint8_t byte = ByteAt(bytes, 0);
        if (byte == device::IdentificationCode && (!context.connected || context.repairing))
            return "identification request";
        return "resistance level " + std::to_string(byte);
    }
    if (bytes.size() != 6 || ByteAt(bytes, 0) != kFrameStart || ByteAt(bytes, 5) != kFrameStop) return {};
    switch (ByteAt(bytes, 1)) {
    case device::kCmdIdentification:
        return "identification request";
    case device::kCmdResistance:
        return "resistance level " + std::to_string(ByteAt(bytes, 2)) + ", elevation " + std::to_string(ByteAt(bytes, 3));
    case device::kCmdSerialNumber:
        return "serial number request";
    case device::kCmdProductVersion:
        return "product version request";
    default:
        return {};
    }
}

std::string ByteProtocolInbound(const std::string& bytes, const FrameContext& context) {
    if (bytes.empty()) return {};
    if (!context.connected) {
        return ByteAt(bytes, 0) == 2 * device::IdentificationCode ? "identification answer"
                                                               : "not an identification answer";
    }
    int rolls = 0, hearts = 0, cadences = 0;
    std::string keys;
    for (char c : bytes) {
        const auto b = static_cast<uint8_t>(c);
        if (b & 0x40) ++rolls;
        if (b & 0x20) ++hearts;
        if (b & 0x10) ++cadences;
        for (int bit = 0; bit < 4; ++bit) {
            if (b & (1u << bit)) {
                keys += (keys.empty() ? "" : "+") + std::to_string(bit);
                break;  // the lowest key bit is the one reported
            }
        }
    }
    std::string text = "status: roll pulses " + std::to_string(rolls);
    if (hearts) text += ", heart pulses " + std::to_string(hearts);
    if (cadences) text += ", cadence pulses " + std::to_string(cadences);
    if (!keys.empty()) text += ", keys " + keys;
    return text;
}

std::string FrameInbound(const std::string& bytes, const FrameContext& context) {
    if (bytes.size() < 2 || ByteAt(bytes, 0) != kFrameStart) return "not a frame (no start byte)";
    const uint8_t type = ByteAt(bytes, 1);
    const bool long_frames = context.version > 4;
    const std::string cut_short = "cut short";
    switch (type) {
    case device::kMsgIdentification: {
        if (bytes.size() < BytesTheTypeReads(type, long_frames)) return "identification answer, " + cut_short;
        const auto* answer = device::FindIdentificationAnswer(ByteAt(bytes, 2));
        if (!answer) return platform::Format("identification answer, unknown code %02X", ByteAt(bytes, 2));
        return "identification answer, Version " + VersionText(answer->version);
    }
    case device::kMsgRollData:
        if (long_frames) {
            if (bytes.size() < BytesTheTypeReads(type, true)) return "status, " + cut_short;
            return "status: " + StatusBits(ByteAt(bytes, 2), false) + ", roll period " + Period(Word16(bytes, 3), "") +
                   ", cadence period " + Period(Word16(bytes, 5), " ms") + ", heart period " +
                   Period(Word16(bytes, 7), " ms");
        }
        if (bytes.size() < BytesTheTypeReads(type, false)) return "status, " + cut_short;
        return "status: " + StatusBits(ByteAt(bytes, 2), false) + ", roll count " + std::to_string(ByteAt(bytes, 3));
    case device::kMsgDistanceCounter:
        if (bytes.size() < BytesTheTypeReads(type, long_frames)) return "distance counter, " + cut_short;
        return "distance counter " + std::to_string(Counter24(bytes));
    case device::kMsgSerialNumber:
        // The counter is read in every generation; the orientation only
        // where the long frame holds it.
        if (bytes.size() < BytesTheTypeReads(type, false)) return "serial number, " + cut_short;
        if (long_frames && bytes.size() >= BytesTheTypeReads(type, true))
            return "serial number " + std::to_string(Counter24(bytes)) +
                   platform::Format(", orientation %02X %02X", ByteAt(bytes, 5), ByteAt(bytes, 6));
        return "serial number " + std::to_string(Counter24(bytes));
    case device::kMsgRawFrame:
        return "raw frame";
    case device::kMsgProductVersion:
        if (bytes.size() < BytesTheTypeReads(type, long_frames)) return "product version, " + cut_short;
        return "product version " + std::to_string(ByteAt(bytes, 2));
    default:
        return platform::Format("unknown type %02X", type);
    }
}

}  // namespace

std::string FrameMeaning(FrameDirection direction, const std::string& bytes, const FrameContext& context) {
    if (direction == FrameDirection::kToConsole) return Outbound(bytes, context);
    if (context.version < 4) return ByteProtocolInbound(bytes, context);
    return FrameInbound(bytes, context);
}

}  // namespace app
