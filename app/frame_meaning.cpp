#include "app/frame_meaning.h"

#include <charconv>
#include <cstdint>

#include "device/identification_answers.h"
#include "device/quarix_protocol.h"
#include "platform/format.h"

namespace app {
namespace {

using device::kFrameStart;
using device::kFrameStop;

uint8_t At(const std::string& bytes, size_t i) { return static_cast<uint8_t>(bytes[i]); }

unsigned Word16(const std::string& bytes, size_t i) { return static_cast<unsigned>(At(bytes, i)) << 8 | At(bytes, i + 1); }

unsigned Counter24(const std::string& bytes) {
    return static_cast<unsigned>(At(bytes, 2)) << 16 | static_cast<unsigned>(At(bytes, 3)) << 8 | At(bytes, 4);
}

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
        const uint8_t byte = At(bytes, 0);
        if (byte == device::IdentificationCode && (!context.connected || context.repairing))
            return "identification request";
        return "resistance level " + std::to_string(byte);
    }
    if (bytes.size() != 6 || At(bytes, 0) != kFrameStart || At(bytes, 5) != kFrameStop) return {};
    switch (At(bytes, 1)) {
    case device::kCmdIdentification:
        return "identification request";
    case device::kCmdResistance:
        return "resistance level " + std::to_string(At(bytes, 2)) + ", elevation " + std::to_string(At(bytes, 3));
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
        return At(bytes, 0) == 2 * device::IdentificationCode ? "identification answer"
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
    if (bytes.size() < 2 || At(bytes, 0) != kFrameStart) return "not a frame (no start byte)";
    const uint8_t type = At(bytes, 1);
    const bool long_frames = context.version > 4;
    const std::string cut_short = "cut short";
    switch (type) {
    case device::kMsgIdentification: {
        if (bytes.size() < 3) return "identification answer, " + cut_short;
        const auto* answer = device::FindIdentificationAnswer(At(bytes, 2));
        if (!answer) return platform::Format("identification answer, unknown code %02X", At(bytes, 2));
        return "identification answer, Version " + VersionText(answer->version);
    }
    case device::kMsgRollData:
        if (long_frames) {
            if (bytes.size() < 9) return "status, " + cut_short;
            return "status: " + StatusBits(At(bytes, 2), false) + ", roll period " + Period(Word16(bytes, 3), "") +
                   ", cadence period " + Period(Word16(bytes, 5), " ms") + ", heart period " +
                   Period(Word16(bytes, 7), " ms");
        }
        if (bytes.size() < 4) return "status, " + cut_short;
        return "status: " + StatusBits(At(bytes, 2), false) + ", roll count " + std::to_string(At(bytes, 3));
    case device::kMsgDistanceCounter:
        if (bytes.size() < 5) return "distance counter, " + cut_short;
        return "distance counter " + std::to_string(Counter24(bytes));
    case device::kMsgSerialNumber:
        if (bytes.size() < 5) return "serial number, " + cut_short;
        if (long_frames && bytes.size() >= 7)
            return "serial number " + std::to_string(Counter24(bytes)) +
                   platform::Format(", orientation %02X %02X", At(bytes, 5), At(bytes, 6));
        return "serial number " + std::to_string(Counter24(bytes));
    case device::kMsgRawFrame:
        return "raw frame";
    case device::kMsgProductVersion:
        if (bytes.size() < 3) return "product version, " + cut_short;
        return "product version " + std::to_string(At(bytes, 2));
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
