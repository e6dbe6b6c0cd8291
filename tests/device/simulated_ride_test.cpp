// SPDX-License-Identifier: GPL-3.0-or-later
// A ten-second ride at a steady 30 km/h against the console simulator, over a
// real pseudo-terminal and the real statistics timer: the figures the rider
// sees must match what the roller did.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/quarix_device.h"
#include "platform/message_loop.h"
#include "test_support.h"
#include "tools/console_sim/console_simulator.h"

using console_sim::ConsoleSimulator;
using device::TQuarixDevice;
using testing_support::WaitUntil;

namespace {

constexpr double kKmh = 30;
constexpr double kFrameMs = 100;  // one measurement per 100 ms in both frame generations
constexpr double kOnePercent = 0.01;

// What the device showed at one statistics step.
struct Shown {
    uint32_t elapsed_ms;
    long double speed;
    long double distance;
    long double average_speed;
    long double frames;  // measurements decoded since the ride started
};

}  // namespace

class SimulatedConsoleRide : public ::testing::TestWithParam<double> {};

TEST_P(SimulatedConsoleRide, TenSecondsAtThirtyGiveSpeedDistanceAndAverageWithinOnePercent) {
    const double version = GetParam();
    console_sim::ConsoleOptions options;
    options.version = version;
    options.speed_kmh = kKmh;
    ConsoleSimulator sim(options);
    sim.Start();

    TQuarixDevice d;
    d.SetComPortPort(sim.SlavePath());
    d.Port()->Open();
    platform::WaitProcessing(200);
    ASSERT_TRUE(d.Identify(100));
    ASSERT_EQ(d.Version(), version);

    long double frames = 0;
    d.OnQuarixMessage = [&](platform::TObject*, device::TQuarixDeviceMessageType type, long double, long double,
                            long double, const std::string&) {
        if (type == device::qmRollData && d.Status() == device::qsRunning) frames += 1;
    };
    std::vector<Shown> shown;
    d.OnStats = [&](platform::TObject*, int32_t, int32_t, long double, long double, long double, bool) {
        shown.push_back({d.TimerStats()->ElapsedTime(), d.Speed, d.Distance, d.AverageSpeed, frames});
    };

    d.Start();
    ASSERT_TRUE(WaitUntil([&] { return shown.size() >= 10; }, 30000));
    d.Stop();

    const Shown& last = shown.back();
    ASSERT_GE(last.elapsed_ms, 10000u);
    ASSERT_GT(last.frames, 90);

    // The speed window (2.5 s) is full of 30 km/h samples by now.
    EXPECT_NEAR(static_cast<double>(last.speed), kKmh, kKmh * kOnePercent);

    // Distance: exactly what the decoded measurements rolled, and what 30 km/h
    // covers in the ride time give or take the one measurement in flight.
    const double rolled_km = kKmh * static_cast<double>(last.frames) * kFrameMs / 3600000;
    EXPECT_NEAR(static_cast<double>(last.distance), rolled_km, rolled_km * kOnePercent);
    const double ride_km = kKmh * last.elapsed_ms / 3600000;
    const double one_frame_km = kKmh * kFrameMs / 3600000;
    EXPECT_NEAR(static_cast<double>(last.distance), ride_km, ride_km * kOnePercent + one_frame_km);

    // Average speed: the distance over the ride time, in km/h.
    const double rolled_average = rolled_km / last.elapsed_ms * 3600000;
    EXPECT_NEAR(static_cast<double>(last.average_speed), rolled_average, rolled_average * kOnePercent);
    EXPECT_NEAR(static_cast<double>(last.average_speed), kKmh, kKmh * (kOnePercent + kFrameMs / last.elapsed_ms));

    // Every step saw the ride so far: the distance never went back.
    for (size_t i = 1; i < shown.size(); ++i) EXPECT_GE(shown[i].distance, shown[i - 1].distance);
}

INSTANTIATE_TEST_SUITE_P(ShortAndLongFrames, SimulatedConsoleRide, ::testing::Values(4.0, 5.0),
                         [](const ::testing::TestParamInfo<double>& info) {
                             return info.param == 4.0 ? std::string("Version4") : std::string("Version5");
                         });
