// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The trainer console's wire vocabulary: frame markers, command numbers, the
// types reported to the host and the outbound frame builder. Everything a
// sender or a test needs without pulling in the whole device component.
#include <cstdint>
#include <string>

namespace device {

// Ride status; ordinals are part of the component's contract.
enum TQuarixDeviceStatus : uint8_t {
    qsDisconnected = 0,
    qsConnected = 1,
    qsRunning = 2,
    qsPaused = 3,
    qsStopped = 4,
};

// What an OnQuarixMessage reports.
enum TQuarixDeviceMessageType : uint8_t {
    qmRollData = 0,
    qmDistanceCounter = 1,
    qmSerialNumber = 2,
    qmIdentification = 3,
    qmProductVersion = 4,
    qmRawFrame = 5,
};

// The number of the status bit that reported the key.
enum TConsoleKey : uint8_t {
    ckKey0 = 0,
    ckKey1 = 1,
    ckKey2 = 2,
    ckKey3 = 3,
};

// Ordinals 0 and 1 exist but the component never raises them.
enum TQdvErrorType : uint8_t {
    qetUnused0 = 0,
    qetUnused1 = 1,
    qetConnectionFault = 2,
    qetConnectionRestored = 3,
};

enum TUnitMeasure : uint8_t {
    umKm = 0,
    umMiles = 1,
};

// Frame markers (inbound and outbound).
constexpr uint8_t kFrameStart = 0xF0;
constexpr uint8_t kFrameStop = 0xF7;

// Carried by the identification request; the console answers relative to
// twice this value.
constexpr uint8_t IdentificationCode = 0x28;

// Lengths of inbound frames.
constexpr int32_t kShortFrameLength = 6;
constexpr int32_t kLongFrameLength = 10;

// Outbound command numbers.
constexpr uint16_t kCmdResistance = 1;
constexpr uint16_t kCmdSerialNumber = 3;
constexpr uint16_t kCmdIdentification = 8;
constexpr uint16_t kCmdProductVersion = 9;

// Inbound message types (byte 1 of a frame).
constexpr uint8_t kMsgRollData = 1;
constexpr uint8_t kMsgDistanceCounter = 2;
constexpr uint8_t kMsgSerialNumber = 3;
constexpr uint8_t kMsgRawFrame = 5;
constexpr uint8_t kMsgIdentification = 8;
constexpr uint8_t kMsgProductVersion = 9;

// Roll events per 100 ms for a roll period of one tick (26.4 us): 125000/33.
constexpr long double kRollPeriodFactor = 125000.0L / 33.0L;

// F0, command, parameter 1, parameter 2, 00, F7: the low 8 bits of each
// value; parameter 2 is always 0 in an identification request.
std::string BuildFrame(uint16_t command, int32_t p1, int32_t p2);

// The identification request of the frame generations and of the byte protocol.
std::string IdentificationRequest(double version);

// Bytes as upper-case hexadecimal, `separator` between two bytes:
// HexDigits("\xF0\x08", " ") is "F0 08".
std::string HexDigits(const std::string& bytes, const char* separator);

}  // namespace device
