#pragma once
// A trainer component whose outbound frames are recorded instead of written,
// with the protected steps of the resistance, key and heart code reachable
// from tests.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "device/quarix_device.h"
#include "platform/format.h"

namespace control_test {

// Bytes from small integers: Bytes({0xF0, 0x01}).
inline std::string Bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) out.push_back(static_cast<char>(v));
    return out;
}

// "F0 01 2C 00 00 F7": readable in a failure message.
inline std::string Hex(const std::string& bytes) {
    std::string text;
    for (unsigned char c : bytes) text += platform::Format("%02X ", c);
    if (!text.empty()) text.pop_back();
    return text;
}

class ControlDevice : public device::TQuarixDevice {
public:
    using TQuarixDevice::TQuarixDevice;
    using TQuarixDevice::CheckHeartAlarm;
    using TQuarixDevice::ConsoleKey;
    using TQuarixDevice::HeartSurveyTick;
    using TQuarixDevice::StatsTimerTick;

    int32_t Send(const std::string& data) override {
        sent.push_back(data);
        return static_cast<int32_t>(data.size());
    }

    std::vector<std::string> sent;
};

// The resistance command as it must appear on the wire.
inline std::string ResistanceFrame(int r, int e) { return Hex(Bytes({0xF0, 0x01, r & 0xFF, e & 0xFF, 0x00, 0xF7})); }

}  // namespace control_test
