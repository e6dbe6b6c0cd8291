// SPDX-License-Identifier: GPL-3.0-or-later
// The console's wire protocol: outbound frames, the decoder of inbound frames
// and status bytes, the custom frame searches of the long-frame generation and
// the keep-alive answers.
#include <cmath>
#include <numbers>

#include "device/frame_fields.h"
#include "device/identification_answers.h"
#include "device/quarix_device.h"
#include "platform/format.h"
#include "platform/rounding.h"

namespace device {

std::string BuildFrame(uint16_t command, int32_t p1, int32_t p2) {
    const uint8_t cmd = static_cast<uint8_t>(command & 0xFF);
    const uint8_t param2 = command == kCmdIdentification ? 0 : static_cast<uint8_t>(p2 & 0xFF);
    const char frame[6] = {static_cast<char>(kFrameStart), static_cast<char>(cmd), static_cast<char>(p1 & 0xFF),
                           static_cast<char>(param2),      0,                     static_cast<char>(kFrameStop)};
    return std::string(frame, sizeof frame);
}

std::string IdentificationRequest(double version) {
    if (version >= 4) return BuildFrame(kCmdIdentification, IdentificationCode, 0);
    return std::string(1, static_cast<char>(IdentificationCode));
}

namespace {

constexpr int32_t kReceivedEventCountLimit = 2147483;

bool Counter24Zero(const std::string& data) { return ByteAt(data, 2) == 0 && ByteAt(data, 3) == 0 && ByteAt(data, 4) == 0; }

bool IsDecodedType(uint8_t type) {
    return type == kMsgRollData || type == kMsgDistanceCounter || type == kMsgSerialNumber || type == kMsgRawFrame ||
           type == kMsgProductVersion;
}

bool RideStatus(TQuarixDeviceStatus status) {
    return status == qsConnected || status == qsRunning || status == qsPaused || status == qsStopped;
}

}  // namespace

// ---------------------------------------------------------------------------
// Sending
// ---------------------------------------------------------------------------
int32_t TQuarixDevice::Send(const std::string& data) {
    if (IsDestroying()) return 0;
    if (!PortOpen()) return -1;
    const int32_t written = port_->SendText(data);
    if (frame_listener_ && written > 0) frame_listener_->FrameSent(*this, data.substr(0, static_cast<size_t>(written)));
    return written;
}

void TQuarixDevice::RequestSerialNumber() {
    if (SerialNumber != 0 || !PortOpen()) return;
    try {
        Send(BuildFrame(kCmdSerialNumber, 0, 0));
    } catch (const std::exception&) {
        // The request is repeated on the next connection.
    }
}

void TQuarixDevice::RequestProductVersion() {
    if (ProductVersion != 0 || !PortOpen()) return;
    try {
        Send(BuildFrame(kCmdProductVersion, 0, 0));
    } catch (const std::exception&) {
        // The request is repeated on the next connection.
    }
}

void TQuarixDevice::SendSerialNumberRequest() { Send(BuildFrame(kCmdSerialNumber, 0, 0)); }

void TQuarixDevice::SendByteProtocolReply() {
    if (!connected_ || !RideStatus(status_)) return;
    const uint8_t reply = status_ == qsRunning ? static_cast<uint8_t>(quarix_resistance_ & 0xFF) : 0;
    Send(std::string(1, static_cast<char>(reply)));
}

void TQuarixDevice::KeepShortFrameConsoleActive() {
    if (connected_ && version_ == 4 && maintains_console_active_ && RideStatus(status_)) SendResistance();
}

// ---------------------------------------------------------------------------
// Custom frame searches (long frames carry no reliable markers inside)
// ---------------------------------------------------------------------------
void TQuarixDevice::FindFrameStart(TObject* /*sender*/, std::string_view str, int& pos) {
    if (!(version_ > 4)) {
        DoComDataPacketCustomStart(str, pos);
        return;
    }
    pos = 0;
    if (str.empty()) return;
    PendingFrameLength = 0;
    const size_t length = str.size();
    size_t i = 1;  // 1-based positions
    while (i < length) {
        const size_t found = str.find(static_cast<char>(kFrameStart), i - 1);
        if (found == std::string_view::npos) return;
        const size_t start = found + 1;
        if (PacketLength >= 1) {
            const size_t end = start + static_cast<size_t>(PacketLength) - 1;
            if (end <= length && static_cast<uint8_t>(str[end - 1]) == kFrameStop) {
                pos = static_cast<int>(start);
                PendingFrameLength = PacketLength;
                return;
            }
        }
        i = start + 1;
    }
}

void TQuarixDevice::FindFrameEnd(TObject* /*sender*/, std::string_view str, int& pos) {
    if (!(version_ > 4)) {
        DoComDataPacketCustomStop(str, pos);
        return;
    }
    if (static_cast<int64_t>(str.size()) >= PendingFrameLength) pos = PendingFrameLength;
}

// ---------------------------------------------------------------------------
// Decoding
// ---------------------------------------------------------------------------
void TQuarixDevice::DecodeStatusBits(uint8_t status, long double& roll, long double& heart, long double& cadence) {
    if (version_ < 4 && (status & 0x40) != 0) roll = 1;
    if ((status & 0x10) != 0) cadence = 1;
    if ((status & 0x20) != 0) heart = 1;
    for (uint8_t bit = 0; bit < 4; ++bit) {
        if ((status & (1u << bit)) != 0) {
            ConsoleKey(static_cast<TConsoleKey>(bit));
            break;
        }
    }
}

void TQuarixDevice::DecodeMessage(const std::string& data) {
    if (IsDestroying()) return;
    NoDataSinceSurvey = false;
    ReceivedEventCount = ReceivedEventCount + 1 > kReceivedEventCountLimit ? 1 : ReceivedEventCount + 1;

    if (version_ < 4) {
        DecodeByteProtocol(data);
        return;
    }
    if ((data.size() == kShortFrameLength || data.size() == kLongFrameLength) && ByteAt(data, 0) != kFrameStart) {
        DoMessageRejected(data);
        return;
    }
    if (data.size() < 2) {
        DoMessageRejected(data);
        return;
    }
    const uint8_t type = ByteAt(data, 1);
    const bool long_frames = version_ > 4;
    if (type != kMsgIdentification && !IsDecodedType(type)) {
        if (!long_frames) DoMessageRejected(data);
        return;
    }
    if (data.size() < BytesTheTypeReads(type, long_frames)) {
        DoMessageRejected(data);
        return;
    }
    if (type == kMsgIdentification) {
        DecodeIdentification(data);
        return;
    }

    switch (type) {
        case kMsgRollData: {
            long double roll = 0, heart = 0, cadence = 0;
            DecodeStatusBits(ByteAt(data, 2), roll, heart, cadence);
            if (long_frames) {
                if (debug_mode_) {
                    roll = roll_value_;
                } else {
                    const uint32_t period = Word16(data, 3);
                    roll = period == 0 || period >= 65535 ? 0 : kRollPeriodFactor / period;
                }
                if (status_ == qsDisconnected) return;
                Speed = ComputeSpeed(Speed, static_cast<double>(roll));
                if (status_ == qsRunning) AddRollEvents(roll);
                // In debug mode heart and cadence are the status byte's pulses.
                const uint32_t heart_period = Word16(data, 7);
                if (!debug_mode_) heart = heart_period == 0 || heart_period >= 65535 ? 0.0 : 60000.0 / heart_period;
                if (heart != LastHeartRate) {
                    if (heart > 0) {
                        const double bpm = static_cast<double>(heart);
                        HeartSeen = true;
                        HeartRate = hr_filter2_active_ ? FilterHeartRate2(bpm) : FilterHeartRate(bpm);
                        if (OnInstantHeart) {
                            // The measured period is the beat interval: dividing 60000 by the
                            // rate again can land a hair below it and truncate to the
                            // millisecond before.
                            const int interval = debug_mode_ ? static_cast<int>(std::trunc(60000.0 / bpm))
                                                             : static_cast<int>(heart_period);
                            DoInstantHeart(platform::Format("%d\t%d\t%s", interval, 0, ""));
                        }
                    }
                    LastHeartRate = heart;
                }
                if (!debug_mode_) {
                    const uint32_t period = Word16(data, 5);
                    cadence = period <= 200 || period >= 65535 ? 0.0 : 60000.0 / period;
                }
                if (cadence > 0) {
                    AddCadence(static_cast<int32_t>(platform::Round(cadence)));
                    if (OnInstantCadence) {
                        DoInstantCadence(platform::FormatFixed(cadence, 2) +
                                         platform::Format("\t%d\t%d", Cadence, static_cast<int>(CadenceArray.size())));
                    }
                }
            } else {
                roll = debug_mode_ ? static_cast<long double>(roll_value_) : ByteAt(data, 3);
                if (status_ != qsDisconnected) {
                    Speed = ComputeSpeed(Speed, static_cast<double>(platform::Round(roll)));
                    if (status_ == qsRunning) AddRollEvents(roll);
                    if (heart > 0) {
                        HeartSeen = true;
                        CountHeartBeat();
                    }
                    if (cadence > 0) AddCadence(static_cast<int32_t>(platform::Round(cadence)));
                }
            }
            DoQuarixMessage(qmRollData, roll, heart, cadence, data);
            break;
        }
        case kMsgDistanceCounter:
            if (!Counter24Zero(data)) {
                TotalRollCount = Counter24(data);
                UpdateDistance(DistancePerRollEvent * TotalRollCount);
            }
            DoQuarixMessage(qmDistanceCounter, -1, -1, -1, data);
            break;
        case kMsgSerialNumber:
            if (long_frames) {
                if (!Counter24Zero(data)) SerialNumber = static_cast<int32_t>(Counter24(data));
                rotation_hex1_ = ByteAt(data, 5);
                rotation_hex2_ = ByteAt(data, 6);
                const int x = static_cast<int8_t>(rotation_hex1_);
                const int y = static_cast<int8_t>(rotation_hex2_);
                if (y == 0) {
                    orientation_ = 0;
                } else {
                    const double a = std::atan(static_cast<double>(x) / y) * 180.0 / std::numbers::pi;
                    orientation_ = y > 0 ? a : (x >= 0 ? a + 180 : a - 180);
                }
            } else if (!Counter24Zero(data) && SerialNumber == 0) {
                SerialNumber = static_cast<int32_t>(Counter24(data));
                DoSerialNumber();
            }
            DoQuarixMessage(qmSerialNumber, -1, -1, -1, data);
            break;
        case kMsgRawFrame:
            DoQuarixMessage(qmRawFrame, -1, -1, -1, data);
            break;
        case kMsgProductVersion:
            ProductVersion = ByteAt(data, 2);
            if (!long_frames) DoProductVersion();
            DoQuarixMessage(qmProductVersion, ByteAt(data, 2), -1, -1, data);
            break;
        default:
            break;
    }
}

void TQuarixDevice::DecodeIdentification(const std::string& data) {
    // A late answer served inside the Close of its port: counted, the search
    // would find the trainer on the next port it probes.
    if (PortClosing()) return;
    const uint8_t code = ByteAt(data, 2);
    if (const IdentificationAnswer* answer = FindIdentificationAnswer(code)) {
        SetVersion(answer->version);
        // Without an open port there is no queue to purge (a frame fed by hand).
        if (answer->purge && PortOpen()) port_->PurgeBuffers(true, false);
        SetConnected(true);
    } else {
        SetConnected(false);
    }
    DoQuarixMessage(qmIdentification, code, -1, -1, data);
}

void TQuarixDevice::DecodeByteProtocol(const std::string& data) {
    if (data.empty()) return;
    if (!connected_) {
        if (PortClosing()) return;  // a late answer, as in DecodeIdentification
        if (ByteAt(data, 0) == 2 * IdentificationCode) {
            SetConnected(true);
            DoQuarixMessage(qmIdentification, -1, -1, -1, data);
        } else {
            SetConnected(false);
        }
        return;
    }
    for (size_t i = 0; i < data.size(); ++i) {
        const uint8_t b = ByteAt(data, i);
        long double roll = 0, heart = 0, cadence = 0;
        ++RollBlockBytes;
        if (b != 0) DecodeStatusBits(b, roll, heart, cadence);
        if (status_ != qsDisconnected) {
            if (status_ == qsRunning) AddRollEvents(roll);
            RollBlockSum += static_cast<int32_t>(platform::Round(roll));
            if (RollBlockBytes >= RollBlockLength) {
                Speed = ComputeSpeed(Speed, RollBlockSum);
                RollBlockSum = 0;
                RollBlockBytes = 0;
            }
            if (heart > 0) {
                HeartSeen = true;
                CountHeartBeat();
            }
            if (cadence > 0) AddCadence(static_cast<int32_t>(platform::Round(cadence)));
        }
        if (b != 0) DoQuarixMessage(qmRollData, roll, heart, cadence, data);
    }
}

}  // namespace device
