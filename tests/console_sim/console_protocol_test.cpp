// SPDX-License-Identifier: GPL-3.0-or-later
// The console's wire content without a pseudo-terminal: generations, answers,
// and a measurement stream that decodes (the receiver's way, recomputed here)
// to the speed, heart rate and cadence set.
#include "tools/console_sim/console_protocol.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "console_sim/pty_client.h"

namespace console_sim {
namespace {

using console_sim_test::At;
using console_sim_test::Bytes;

struct GenerationCase {
  double version;
  std::uint8_t code;
  WireFormat format;
  double metres_per_roll_event;  // as the receiver rounds it
};

const GenerationCase kGenerations[] = {
    {4.0, 0x50, WireFormat::kShortFrames, 0.0620}, {4.5, 0x55, WireFormat::kLongFrames, 0.1241},
    {5.0, 0x54, WireFormat::kLongFrames, 0.1414},  {5.5, 0x5A, WireFormat::kLongFrames, 0.0471},
    {6.0, 0x58, WireFormat::kLongFrames, 0.1257},  {7.0, 0x5C, WireFormat::kLongFrames, 0.0942},
    {8.0, 0x5E, WireFormat::kLongFrames, 0.0471},  {1.0, 0x50, WireFormat::kStatusBytes, 0.2513},
    {2.0, 0x50, WireFormat::kStatusBytes, 0.1885}, {3.0, 0x50, WireFormat::kStatusBytes, 0.1885},
    {0.4, 0x50, WireFormat::kStatusBytes, 0.2482},
};

// Roll events the receiver reads from one measurement.
long double DecodeRoll(WireFormat format, const std::string& m) {
  switch (format) {
    case WireFormat::kStatusBytes: return (At(m, 0) & 0x40) ? 1 : 0;
    case WireFormat::kShortFrames: return At(m, 3);
    case WireFormat::kLongFrames: {
      const unsigned period = At(m, 3) * 256u + At(m, 4);
      return period == 0 || period >= 65535 ? 0 : (125000.0L / 33.0L) / period;
    }
  }
  return 0;
}

TEST(ConsoleGeneration, VersionsCodesFormatsAndRollerConstants) {
  for (const auto& c : kGenerations) {
    SCOPED_TRACE(c.version);
    const auto g = FindGeneration(c.version);
    ASSERT_TRUE(g.has_value());
    EXPECT_EQ(g->identification_code, c.code);
    EXPECT_EQ(g->format, c.format);
    EXPECT_NEAR(static_cast<double>(DistancePerRollEvent(*g)), c.metres_per_roll_event, 1e-12);
  }
}

TEST(ConsoleGeneration, VersionsNoConsolePlays) {
  for (double v : {0.0, -1.0, 3.5, 3.0001, 4.2, 9.0, std::numeric_limits<double>::quiet_NaN(),
                   std::numeric_limits<double>::infinity()}) {
    EXPECT_FALSE(FindGeneration(v).has_value()) << v;
  }
}

TEST(ConsoleAnswers, IdentificationSerialNumberAndProductVersionPerFormat) {
  const auto v4 = *FindGeneration(4), v7 = *FindGeneration(7), v2 = *FindGeneration(2);
  EXPECT_EQ(IdentificationAnswer(v4), Bytes({0xF0, 0x08, 0x50, 0x00, 0x00, 0xF7}));
  // Long-frame consoles still answer the identification with a short frame.
  EXPECT_EQ(IdentificationAnswer(v7), Bytes({0xF0, 0x08, 0x5C, 0x00, 0x00, 0xF7}));
  EXPECT_EQ(IdentificationAnswer(v2), Bytes({0x50}));

  EXPECT_EQ(SerialNumberAnswer(v4, 0x012345, 16, -16), Bytes({0xF0, 0x03, 0x01, 0x23, 0x45, 0xF7}));
  EXPECT_EQ(SerialNumberAnswer(v7, 0x012345, 16, -16),
            Bytes({0xF0, 0x03, 0x01, 0x23, 0x45, 0x10, 0xF0, 0x00, 0x00, 0xF7}));
  EXPECT_EQ(ProductVersionAnswer(v4, 7), Bytes({0xF0, 0x09, 0x07, 0x00, 0x00, 0xF7}));
  EXPECT_EQ(ProductVersionAnswer(v7, 7), Bytes({0xF0, 0x09, 0x07, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF7}));
}

TEST(ConsoleMeasurements, FormatPerGeneration) {
  for (const auto& c : kGenerations) {
    SCOPED_TRACE(c.version);
    MeasurementGenerator generator(*FindGeneration(c.version));
    generator.SetSpeed(20);
    const auto measurement = generator.Next();
      const std::string& m = measurement.bytes;
    switch (c.format) {
      case WireFormat::kStatusBytes:
        EXPECT_EQ(m.size(), 1u);
        EXPECT_EQ(generator.Interval(), std::chrono::milliseconds(10));
        break;
      case WireFormat::kShortFrames:
        ASSERT_EQ(m.size(), 6u);
        EXPECT_EQ(At(m, 0), 0xF0);
        EXPECT_EQ(At(m, 1), 0x01);
        EXPECT_EQ(At(m, 5), 0xF7);
        EXPECT_EQ(generator.Interval(), std::chrono::milliseconds(100));
        break;
      case WireFormat::kLongFrames:
        ASSERT_EQ(m.size(), 10u);
        EXPECT_EQ(At(m, 0), 0xF0);
        EXPECT_EQ(At(m, 1), 0x01);
        EXPECT_EQ(At(m, 9), 0xF7);
        EXPECT_EQ(generator.Interval(), std::chrono::milliseconds(100));
        break;
    }
  }
}

// Over 10 s of measurements the roll events decoded add up to the exact figure
// for the speed within one roll event, and no single measurement strays from
// the speed by a roll event or more (the carry dithers, it does not bunch up).
TEST(ConsoleMeasurements, RollEventsAddUpToTheSpeedSet) {
  for (const auto& c : kGenerations) {
    for (double kmh : {0.4, 7.3, 25.0, 42.195}) {
      SCOPED_TRACE(testing::Message() << "version " << c.version << ", " << kmh << " km/h");
      MeasurementGenerator generator(*FindGeneration(c.version));
      generator.SetSpeed(kmh);
      const int per_100ms = c.format == WireFormat::kStatusBytes ? 10 : 1;
      const long double exact_per_100ms = kmh / (36.0L * c.metres_per_roll_event);
      long double total = 0;
      for (int i = 0; i < 100 * per_100ms; ++i) {
        const auto m = generator.Next();
        const long double roll = DecodeRoll(c.format, m.bytes);
        EXPECT_NEAR(static_cast<double>(m.roll_events), static_cast<double>(roll), 1e-9);
        if (c.format != WireFormat::kStatusBytes) {
          EXPECT_LT(std::fabs(static_cast<double>(roll - exact_per_100ms)), 1.0);
        }
        total += roll;
      }
      EXPECT_LE(std::fabs(static_cast<double>(total - 100 * exact_per_100ms)), 1.0);
      // What the receiver's speed window shows once filled with these samples.
      const double mean_kmh = static_cast<double>(total / 100 * 36 * c.metres_per_roll_event);
      EXPECT_NEAR(mean_kmh, kmh, 36 * c.metres_per_roll_event / 100 + 1e-9);
    }
  }
}

TEST(ConsoleMeasurements, SpeedChangeAndStop) {
  const auto v4 = *FindGeneration(4), v5 = *FindGeneration(5);
  MeasurementGenerator short_frames(v4), long_frames(v5);
  for (auto* g : {&short_frames, &long_frames}) {
    g->SetSpeed(33.3);
    for (int i = 0; i < 7; ++i) g->Next();
  }
  short_frames.SetSpeed(12);
  long_frames.SetSpeed(12);
  long double short_total = 0, long_total = 0;
  for (int i = 0; i < 50; ++i) {
    short_total += DecodeRoll(WireFormat::kShortFrames, short_frames.Next().bytes);
    long_total += DecodeRoll(WireFormat::kLongFrames, long_frames.Next().bytes);
  }
  EXPECT_LE(std::fabs(static_cast<double>(short_total - 50 * 12 / (36 * 0.0620L))), 1.0);
  EXPECT_LE(std::fabs(static_cast<double>(long_total - 50 * 12 / (36 * 0.1414L))), 1.0);

  // A stopped roller: no roll events at all, and "no signal" as the period.
  short_frames.SetSpeed(0);
  long_frames.SetSpeed(-5);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(At(short_frames.Next().bytes, 3), 0);
    const auto measurement = long_frames.Next();
    const std::string& m = measurement.bytes;
    EXPECT_EQ(At(m, 3) * 256 + At(m, 4), 0xFFFF);
  }
  EXPECT_THROW(short_frames.SetSpeed(std::numeric_limits<double>::quiet_NaN()), std::invalid_argument);
}

TEST(ConsoleMeasurements, HeartAndCadencePulsesFollowTheRate) {
  for (double version : {4.0, 2.0}) {
    SCOPED_TRACE(version);
    MeasurementGenerator generator(*FindGeneration(version));
    generator.SetHeart(72);
    generator.SetCadence(90);
    const int count = version == 4.0 ? 100 : 1000;  // 10 s either way
    int beats = 0, revolutions = 0;
    for (int i = 0; i < count; ++i) {
      const auto measurement = generator.Next();
      const std::string& m = measurement.bytes;
      const std::uint8_t status = version == 4.0 ? At(m, 2) : At(m, 0);
      beats += (status >> 5) & 1;
      revolutions += (status >> 4) & 1;
    }
    EXPECT_EQ(beats, 12);
    EXPECT_EQ(revolutions, 15);
  }
}

TEST(ConsoleMeasurements, LongFramesCarryHeartAndCadencePeriods) {
  MeasurementGenerator generator(*FindGeneration(6));
  auto periods = [&] {
    const auto measurement = generator.Next();
      const std::string& m = measurement.bytes;
    return std::pair<int, int>{At(m, 5) * 256 + At(m, 6), At(m, 7) * 256 + At(m, 8)};
  };
  EXPECT_EQ(periods(), (std::pair<int, int>{0, 0}));  // no sensor
  generator.SetHeart(60);
  generator.SetCadence(80);
  EXPECT_EQ(periods(), (std::pair<int, int>{750, 1000}));  // cadence 60000/80, heart 60000/60
  generator.SetHeart(75);
  EXPECT_EQ(periods().second, 800);
}

TEST(ConsoleMeasurements, KeysPressedQueueUpAndHeldKeysRepeat) {
  MeasurementGenerator generator(*FindGeneration(4));
  auto status = [&] { return At(generator.Next().bytes, 2) & 0x0F; };
  generator.PressKey(0);
  generator.PressKey(3);
  EXPECT_EQ(status(), 0x01);
  EXPECT_EQ(status(), 0x08);
  EXPECT_EQ(status(), 0x00);
  generator.HoldKey(1, true);
  EXPECT_EQ(status(), 0x02);
  EXPECT_EQ(status(), 0x02);
  generator.PressKey(2);
  EXPECT_EQ(status(), 0x06);
  generator.HoldKey(1, false);
  EXPECT_EQ(status(), 0x00);
  EXPECT_THROW(generator.PressKey(8), std::invalid_argument);
  EXPECT_THROW(generator.HoldKey(-1, true), std::invalid_argument);
}

}  // namespace
}  // namespace console_sim
