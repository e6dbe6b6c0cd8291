// SPDX-License-Identifier: GPL-3.0-or-later
// What a trainer console puts on the wire, independent of any pseudo-terminal:
// the generations it can play, its answers, and the measurement stream.
//
// Deliberately shares nothing with the tool's own protocol code: the simulator
// is a second, independent reading of the wire, so it can catch the tool's
// mistakes instead of repeating them.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>

namespace console_sim {

inline constexpr std::uint8_t kFrameStart = 0xF0;
inline constexpr std::uint8_t kFrameStop = 0xF7;
// Parameter 1 of the identification request, and the single byte of the byte
// protocol's request; a byte-protocol console answers twice this value.
inline constexpr std::uint8_t kIdentificationRequestCode = 0x28;

// Inbound (computer to console) command bytes the console reacts to.
inline constexpr std::uint8_t kCommandResistance = 0x01;
inline constexpr std::uint8_t kCommandSerialNumber = 0x03;
inline constexpr std::uint8_t kCommandIdentification = 0x08;
inline constexpr std::uint8_t kCommandProductVersion = 0x09;

// Outbound (console to computer) message types.
inline constexpr std::uint8_t kTypeMeasurement = 0x01;
inline constexpr std::uint8_t kTypeSerialNumber = 0x03;
inline constexpr std::uint8_t kTypeIdentification = 0x08;
inline constexpr std::uint8_t kTypeProductVersion = 0x09;

// Long-frame roll periods count 26.4 us ticks: a period of P ticks stands for
// kRollTicksPer100ms / P roll events per 100 ms.
inline constexpr long double kRollTicksPer100ms = 125000.0L / 33.0L;
// A period the receiver reads as "no signal".
inline constexpr std::uint16_t kNoSignalPeriod = 0xFFFF;

// Status-byte bits.
inline constexpr std::uint8_t kCadencePulseBit = 4;
inline constexpr std::uint8_t kHeartPulseBit = 5;
inline constexpr std::uint8_t kRollPulseBit = 6;

enum class WireFormat { kStatusBytes, kShortFrames, kLongFrames };

// One protocol generation as the console plays it.
struct Generation {
  double version = 4;
  WireFormat format = WireFormat::kShortFrames;
  // Byte 2 of the identification answer (the whole answer in the byte protocol).
  std::uint8_t identification_code = 0x50;
  // The roller constants the receiving side assumes for this generation; the
  // roll counts are derived from them so that the speed decoded is the speed set.
  double roll_diameter_mm = 39.5;
  double rounds_per_roll_event = 0.5;
};

// The generation for a version: 4 (short frames); 4.5, 5, 5.5, 6, 7, 8 (long
// frames); above 0 and up to 3 (byte protocol: diameter 40 mm at versions that
// round to 1, 30 mm at 2 and 3, otherwise 39.5 mm; two rounds per roll event).
// Any other value has no generation.
std::optional<Generation> FindGeneration(double version);

// Metres per roll event, rounded to 4 decimals (halves away from zero) as the
// receiver rounds it.
long double DistancePerRollEvent(const Generation& generation);

// Roll events per 100 ms that make the receiver compute `kmh`.
long double RollEventsPer100ms(const Generation& generation, double kmh);

// Outbound 6-byte frame: F0 type b2 b3 b4 F7.
std::string ShortFrame(std::uint8_t type, std::uint8_t b2, std::uint8_t b3, std::uint8_t b4);
// Outbound 10-byte frame: F0 type p[0..6] F7.
std::string LongFrame(std::uint8_t type, const std::uint8_t (&payload)[7]);

// Answer to an identification request: a 6-byte type-8 frame in every frame
// generation, the single code byte in the byte protocol.
std::string IdentificationAnswer(const Generation& generation);
// Type-3 answer: the 24-bit serial number big-endian; long frames add the two
// orientation bytes.
std::string SerialNumberAnswer(const Generation& generation, std::uint32_t serial_number,
                               std::int8_t rotation_x, std::int8_t rotation_y);
// Type-9 answer carrying the product version byte.
std::string ProductVersionAnswer(const Generation& generation, std::uint8_t product_version);

// The console's measurement stream: one status byte every 10 ms in the byte
// protocol, one type-1 frame every 100 ms otherwise. Roll counts carry their
// fractions from one measurement to the next, so the mean over any run at a
// constant speed is exact; heart and cadence pulses likewise.
class MeasurementGenerator {
 public:
  struct Measurement {
    std::string bytes;
    long double roll_events = 0;  // what the receiver decodes from `bytes`
  };

  explicit MeasurementGenerator(const Generation& generation);

  std::chrono::milliseconds Interval() const;

  // Negative speeds count as 0; the carry restarts at each change.
  // Throws std::invalid_argument for a value that is not finite.
  void SetSpeed(double kmh);
  void SetHeart(int bpm);
  void SetCadence(int rpm);
  // One measurement with status bit `bit` (0..7) set; presses queue up, one
  // per measurement. Throws std::invalid_argument for another bit.
  void PressKey(int bit);
  // While held, every measurement carries the bit.
  void HoldKey(int bit, bool held);

  Measurement Next();

 private:
  std::uint8_t NextStatus();
  Measurement NextStatusByte();
  Measurement NextShortFrame();
  Measurement NextLongFrame();

  Generation generation_;
  long double roll_per_100ms_ = 0;
  long double roll_owed_ = 0;
  int heart_bpm_ = 0;
  int cadence_rpm_ = 0;
  double heart_phase_ = 0;
  double cadence_phase_ = 0;
  std::deque<std::uint8_t> pressed_;
  std::uint8_t held_mask_ = 0;
};

}  // namespace console_sim
