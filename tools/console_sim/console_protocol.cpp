// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/console_sim/console_protocol.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace console_sim {

namespace {

struct FrameGeneration {
  double version;
  std::uint8_t code;
  double diameter_mm;
  double rounds;
};

// Long- and short-frame consoles: the answer code tells the receiver the
// version, which in turn fixes the roller constants it assumes.
constexpr FrameGeneration kFrameGenerations[] = {
    {4.0, 0x50, 39.5, 0.5}, {4.5, 0x55, 39.5, 1.0}, {5.0, 0x54, 45.0, 1.0},
    {5.5, 0x5A, 30.0, 0.5}, {6.0, 0x58, 40.0, 1.0}, {7.0, 0x5C, 30.0, 1.0},
    {8.0, 0x5E, 30.0, 0.5},
};

// The receiver starts at this diameter and keeps it for byte-protocol
// versions that round to neither 1, 2 nor 3.
constexpr double kDefaultRollDiameterMm = 39.5;

std::uint16_t PeriodMs(int per_minute) {
  if (per_minute <= 0) return 0;
  const double period = std::nearbyint(60000.0 / per_minute);
  return static_cast<std::uint16_t>(std::clamp(period, 1.0, 65534.0));
}

// Advances a pulse phase by one measurement; true when a pulse falls in it.
// At most one pulse fits in a measurement; a faster rate is capped there
// rather than building up a debt that would leak out after a slowdown.
bool AdvancePulse(double& phase, int per_minute, std::chrono::milliseconds interval) {
  if (per_minute <= 0) return false;
  phase += per_minute * static_cast<double>(interval.count()) / 60000.0;
  if (phase < 1.0) return false;
  phase = std::min(phase - 1.0, 0.999999);
  return true;
}

long double RollOfPeriod(std::uint32_t period) {
  if (period == 0 || period >= 65535) return 0;
  return kRollTicksPer100ms / period;
}

}  // namespace

std::optional<Generation> FindGeneration(double version) {
  for (const auto& g : kFrameGenerations) {
    if (version == g.version) {
      return Generation{g.version, g.version == 4.0 ? WireFormat::kShortFrames : WireFormat::kLongFrames,
                        g.code, g.diameter_mm, g.rounds};
    }
  }
  if (version > 0 && version <= 3) {
    const double rounded = std::nearbyint(version);
    double diameter = kDefaultRollDiameterMm;
    if (rounded == 1) diameter = 40;
    if (rounded == 2 || rounded == 3) diameter = 30;
    return Generation{version, WireFormat::kStatusBytes, 2 * kIdentificationRequestCode, diameter, 2.0};
  }
  return std::nullopt;
}

long double DistancePerRollEvent(const Generation& generation) {
  const long double metres = static_cast<long double>(generation.roll_diameter_mm) *
                             std::numbers::pi_v<long double> * generation.rounds_per_roll_event / 1000.0L;
  return std::trunc(metres * 10000.0L + 0.5L) / 10000.0L;
}

long double RollEventsPer100ms(const Generation& generation, double kmh) {
  // km/h = metres per roll event x roll events per 100 ms x 36.
  return static_cast<long double>(kmh) / (DistancePerRollEvent(generation) * 36.0L);
}

std::string ShortFrame(std::uint8_t type, std::uint8_t b2, std::uint8_t b3, std::uint8_t b4) {
  return std::string{static_cast<char>(kFrameStart), static_cast<char>(type), static_cast<char>(b2),
                     static_cast<char>(b3), static_cast<char>(b4), static_cast<char>(kFrameStop)};
}

std::string LongFrame(std::uint8_t type, const std::uint8_t (&payload)[7]) {
  std::string frame{static_cast<char>(kFrameStart), static_cast<char>(type)};
  for (std::uint8_t b : payload) frame.push_back(static_cast<char>(b));
  frame.push_back(static_cast<char>(kFrameStop));
  return frame;
}

std::string IdentificationAnswer(const Generation& generation) {
  if (generation.format == WireFormat::kStatusBytes) {
    return std::string(1, static_cast<char>(generation.identification_code));
  }
  return ShortFrame(kTypeIdentification, generation.identification_code, 0, 0);
}

std::string SerialNumberAnswer(const Generation& generation, std::uint32_t serial_number,
                               std::int8_t rotation_x, std::int8_t rotation_y) {
  const auto b2 = static_cast<std::uint8_t>(serial_number >> 16);
  const auto b3 = static_cast<std::uint8_t>(serial_number >> 8);
  const auto b4 = static_cast<std::uint8_t>(serial_number);
  if (generation.format != WireFormat::kLongFrames) return ShortFrame(kTypeSerialNumber, b2, b3, b4);
  const std::uint8_t payload[7] = {b2, b3, b4, static_cast<std::uint8_t>(rotation_x),
                                   static_cast<std::uint8_t>(rotation_y), 0, 0};
  return LongFrame(kTypeSerialNumber, payload);
}

std::string ProductVersionAnswer(const Generation& generation, std::uint8_t product_version) {
  if (generation.format != WireFormat::kLongFrames) return ShortFrame(kTypeProductVersion, product_version, 0, 0);
  const std::uint8_t payload[7] = {product_version, 0, 0, 0, 0, 0, 0};
  return LongFrame(kTypeProductVersion, payload);
}

MeasurementGenerator::MeasurementGenerator(const Generation& generation) : generation_(generation) {}

std::chrono::milliseconds MeasurementGenerator::Interval() const {
  // Each status byte stands for 10 ms of roller time; frames for 100 ms.
  return std::chrono::milliseconds(generation_.format == WireFormat::kStatusBytes ? 10 : 100);
}

void MeasurementGenerator::SetSpeed(double kmh) {
  if (!std::isfinite(kmh)) throw std::invalid_argument("speed must be a finite number");
  roll_per_100ms_ = kmh > 0 ? RollEventsPer100ms(generation_, kmh) : 0;
  roll_owed_ = 0;
}

void MeasurementGenerator::SetHeart(int bpm) { heart_bpm_ = std::max(bpm, 0); }

void MeasurementGenerator::SetCadence(int rpm) { cadence_rpm_ = std::max(rpm, 0); }

void MeasurementGenerator::PressKey(int bit) {
  if (bit < 0 || bit > 7) throw std::invalid_argument("a status bit is 0 to 7");
  pressed_.push_back(static_cast<std::uint8_t>(bit));
}

void MeasurementGenerator::HoldKey(int bit, bool held) {
  if (bit < 0 || bit > 7) throw std::invalid_argument("a status bit is 0 to 7");
  const auto mask = static_cast<std::uint8_t>(1u << bit);
  held_mask_ = held ? (held_mask_ | mask) : (held_mask_ & ~mask);
}

std::uint8_t MeasurementGenerator::NextStatus() {
  std::uint8_t status = held_mask_;
  if (!pressed_.empty()) {
    status |= static_cast<std::uint8_t>(1u << pressed_.front());
    pressed_.pop_front();
  }
  if (AdvancePulse(heart_phase_, heart_bpm_, Interval())) status |= 1u << kHeartPulseBit;
  if (AdvancePulse(cadence_phase_, cadence_rpm_, Interval())) status |= 1u << kCadencePulseBit;
  return status;
}

MeasurementGenerator::Measurement MeasurementGenerator::Next() {
  switch (generation_.format) {
    case WireFormat::kStatusBytes: return NextStatusByte();
    case WireFormat::kShortFrames: return NextShortFrame();
    case WireFormat::kLongFrames: return NextLongFrame();
  }
  return {};
}

MeasurementGenerator::Measurement MeasurementGenerator::NextStatusByte() {
  std::uint8_t status = NextStatus();
  // One byte holds at most one roll pulse: ten per 100 ms is the ceiling.
  roll_owed_ += std::min(roll_per_100ms_ / 10, 1.0L);
  long double roll = 0;
  if (roll_owed_ >= 1) {
    roll_owed_ -= 1;
    roll = 1;
    status |= 1u << kRollPulseBit;
  }
  return {std::string(1, static_cast<char>(status)), roll};
}

MeasurementGenerator::Measurement MeasurementGenerator::NextShortFrame() {
  const std::uint8_t status = NextStatus();
  roll_owed_ += roll_per_100ms_;
  const long double roll = std::min(std::floor(roll_owed_), 255.0L);
  roll_owed_ -= roll;
  return {ShortFrame(kTypeMeasurement, status, static_cast<std::uint8_t>(roll), 0), roll};
}

MeasurementGenerator::Measurement MeasurementGenerator::NextLongFrame() {
  const std::uint8_t status = NextStatus();
  roll_owed_ += roll_per_100ms_;
  // The period whose roll count lies nearest to what is owed; the remainder
  // carries over, so consecutive periods dither around the exact speed.
  std::uint32_t period = kNoSignalPeriod;
  if (roll_owed_ > 0) {
    const long double exact = kRollTicksPer100ms / roll_owed_;
    const auto shorter = static_cast<std::uint32_t>(std::clamp(std::floor(exact), 1.0L, 65535.0L));
    const std::uint32_t longer = std::min<std::uint32_t>(shorter + 1, 65535);
    period = std::fabs(RollOfPeriod(shorter) - roll_owed_) <= std::fabs(RollOfPeriod(longer) - roll_owed_)
                 ? shorter
                 : longer;
  }
  const long double roll = RollOfPeriod(period);
  roll_owed_ -= roll;
  const std::uint16_t heart = PeriodMs(heart_bpm_);
  const std::uint16_t cadence = PeriodMs(cadence_rpm_);
  const std::uint8_t payload[7] = {status,
                                   static_cast<std::uint8_t>(period >> 8),
                                   static_cast<std::uint8_t>(period),
                                   static_cast<std::uint8_t>(cadence >> 8),
                                   static_cast<std::uint8_t>(cadence),
                                   static_cast<std::uint8_t>(heart >> 8),
                                   static_cast<std::uint8_t>(heart)};
  return {LongFrame(kTypeMeasurement, payload), roll};
}

}  // namespace console_sim
