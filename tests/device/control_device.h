// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A trainer component whose outbound frames are recorded instead of written,
// with the protected steps of the resistance, key and heart code reachable
// from tests.
#include <cstdint>
#include <string>
#include <vector>

#include "device/quarix_device.h"
#include "device_test_support.h"

namespace control_test {

using device_test::Bytes;
using device_test::Hex;

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
