// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Helpers of the device tests: byte strings, a device whose measurement and
// control steps record their calls (so the decoder and the supervision can be
// checked on their own), an event log, and a bare pseudo-terminal.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

#include "device/quarix_device.h"
#include "platform/format.h"
#include "tools/console_sim/pseudo_terminal.h"

namespace device_test {

using device::TQuarixDevice;

inline std::string Bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s.push_back(static_cast<char>(v));
    return s;
}

inline std::string Hex(const std::string& bytes) {
    std::string text;
    for (unsigned char c : bytes) text += platform::Format("%02X ", c);
    if (!text.empty()) text.pop_back();
    return text;
}

// The 6- or 10-byte frames (F0 .. F7) of a byte stream, other bytes skipped.
inline std::vector<std::string> SplitFrames(const std::string& stream, size_t length) {
    std::vector<std::string> frames;
    for (size_t i = 0; i + length <= stream.size();) {
        if (static_cast<uint8_t>(stream[i]) == 0xF0 && static_cast<uint8_t>(stream[i + length - 1]) == 0xF7) {
            frames.push_back(stream.substr(i, length));
            i += length;
        } else {
            ++i;
        }
    }
    return frames;
}

// One call of a replaced step, with its argument.
struct StepCall {
    std::string step;
    long double value = 0;
    bool operator==(const StepCall&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const StepCall& call) {
    return os << call.step << "(" << static_cast<double>(call.value) << ")";
}

// The steps the decoder hands its samples to are replaced by recorders, so a
// test sees exactly what the decoder computed. Protected steps are opened up.
class RecordingDevice : public TQuarixDevice {
public:
    using TQuarixDevice::ConnectionSurveyTick;
    using TQuarixDevice::DecodeStatusBits;

    std::vector<StepCall> calls;
    long double speed_result = 0;
    int32_t filter_result = 0;
    bool record_send_resistance = true;

    long double ComputeSpeed(long double, double roll_events) override {
        calls.push_back({"ComputeSpeed", roll_events});
        return speed_result;
    }
    void AddRollEvents(long double roll_events) override { calls.push_back({"AddRollEvents", roll_events}); }
    void UpdateDistance(long double metres) override { calls.push_back({"UpdateDistance", metres}); }
    void ConsoleKey(device::TConsoleKey key) override { calls.push_back({"ConsoleKey", static_cast<long double>(key)}); }
    int32_t FilterHeartRate(double bpm) override {
        calls.push_back({"FilterHeartRate", bpm});
        return filter_result;
    }
    int32_t FilterHeartRate2(double bpm) override {
        calls.push_back({"FilterHeartRate2", bpm});
        return filter_result;
    }
    void CountHeartBeat() override { calls.push_back({"CountHeartBeat", 0}); }
    void AddCadence(int32_t value) override { calls.push_back({"AddCadence", static_cast<long double>(value)}); }
    void SendResistance() override {
        if (record_send_resistance) calls.push_back({"SendResistance", 0});
    }

    std::vector<StepCall> CallsOf(const std::string& step) const {
        std::vector<StepCall> found;
        for (const auto& call : calls)
            if (call.step == step) found.push_back(call);
        return found;
    }
};

// A message raised through OnQuarixMessage.
struct Message {
    device::TQuarixDeviceMessageType type;
    long double value1, value2, value3;
    std::string str;
};

// Records the device's events, in order, as short texts.
struct EventLog {
    std::vector<std::string> events;
    std::vector<Message> messages;
    std::vector<std::string> rejected;

    void Attach(TQuarixDevice& d) {
        d.OnConnected = [this](platform::TObject*) { events.push_back("Connected"); };
        d.OnDisconnected = [this](platform::TObject*) { events.push_back("Disconnected"); };
        d.OnVersionChange = [this](platform::TObject*) { events.push_back("VersionChange"); };
        d.OnQuarixDeviceStatusChanged = [this](platform::TObject*, device::TQuarixDeviceStatus o,
                                               device::TQuarixDeviceStatus n) {
            events.push_back(platform::Format("Status(%d->%d)", o, n));
        };
        d.OnConnectionLost = [this](platform::TObject*) { events.push_back("ConnectionLost"); };
        d.OnRepairingConnection = [this](platform::TObject*) { events.push_back("RepairingConnection"); };
        d.OnQdvErrorInfo = [this](platform::TObject*, device::TQdvErrorType t, int32_t code, int32_t occurrence) {
            events.push_back(platform::Format("Error(%d,%d,%d)", t, code, occurrence));
        };
        d.OnBeforeStart = [this](platform::TObject*) { events.push_back("BeforeStart"); };
        d.OnBeforePause = [this](platform::TObject*) { events.push_back("BeforePause"); };
        d.OnAfterStop = [this](platform::TObject*) { events.push_back("AfterStop"); };
        d.OnBeforeStop = [this](platform::TObject*, bool&) { events.push_back("BeforeStop"); };
        d.OnSerialNumber = [this](platform::TObject*) { events.push_back("SerialNumber"); };
        d.OnProductVersion = [this](platform::TObject*) { events.push_back("ProductVersion"); };
        d.OnQuarixMessage = [this](platform::TObject*, device::TQuarixDeviceMessageType t, long double v1,
                                   long double v2, long double v3, const std::string& str) {
            events.push_back(platform::Format("Message(%d)", t));
            messages.push_back({t, v1, v2, v3, str});
        };
        d.OnMessageRejected = [this](const std::string& str) {
            events.push_back("Rejected");
            rejected.push_back(str);
        };
    }

    void Clear() {
        events.clear();
        messages.clear();
        rejected.clear();
    }
};

// A pseudo-terminal opened by the test itself, raw from the start (the
// device's frames are binary): the device opens the slave by its name, the
// test plays the console on the master.
class BarePty : public console_sim::PseudoTerminal {
public:
    BarePty() : PseudoTerminal(Slave::kRaw) {}
};

}  // namespace device_test
