// SPDX-License-Identifier: GPL-3.0-or-later
// Speed samples, distance, and the statistics step of a ride: figures worked
// out by hand from the roller constants, ride times read from a fake tick.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "device/quarix_device.h"
#include "device_test_support.h"
#include "platform/exceptions.h"
#include "platform/rounding.h"
#include "platform/tick_count.h"
#include "test_support.h"

using device::TQuarixDevice;
using device_test::Bytes;

namespace {

// Long enough that the real timer never fires while a test steps by hand.
constexpr int32_t kQuietInterval = 3'600'000;
constexpr long double kExact = 1e-9L;

// A short-frame measurement reporting `rolls` roll events in 100 ms.
std::string RollFrame(int rolls) { return Bytes({0xF0, 0x01, 0x00, rolls, 0x00, 0xF7}); }

// One statistics step, delivered the way the timer's tick delivers it.
void Step(TQuarixDevice& d) { d.TimerStats()->DoTimer(); }

// The arguments of one OnStats.
struct StatsCall {
    int32_t lap_time;
    int32_t lap_event_count;
    long double lap_roll_count;
    long double lap_distance;
    long double old_speed;
    bool speed_changed;
};

struct StatsLog {
    std::vector<StatsCall> calls;
    void Attach(TQuarixDevice& d) {
        d.OnStats = [this](platform::TObject*, int32_t lap, int32_t events, long double rolls, long double distance,
                           long double old_speed, bool changed) {
            calls.push_back({lap, events, rolls, distance, old_speed, changed});
        };
    }
};

// A device on the short-frame constants (0.062 m per roll event), connected
// without a port, whose statistics are stepped by hand on a fake tick.
class FakeTickRide : public ::testing::Test {
protected:
    void SetUp() override {
        dev.SetStatsInterval(kQuietInterval);
        dev.SetNumberOfRoundPerRollEvent(0.5L);
        stats.Attach(dev);
    }
    // Roller input through the decoder: `frames` frames of `rolls` each.
    void Roll(int frames, int rolls) {
        for (int i = 0; i < frames; ++i) dev.DecodeMessage(RollFrame(rolls));
    }
    void Second() {
        tick.Advance(1000);
        Step(dev);
    }

    // Declared before the device: its destructor stops the ride, and the
    // handlers it raises then must still find what they write to.
    platform::ScopedTickCountOverride tick{1000};
    StatsLog stats;
    std::vector<std::string> events;
    TQuarixDevice dev;
};

// The same, but measurements come from SimulateReadings (default constants:
// 0.1241 m per roll event, so 30 km/h is 67 roll events a second).
class SimulatedRide : public FakeTickRide {
protected:
    void SetUp() override {
        dev.SetStatsInterval(kQuietInterval);
        stats.Attach(dev);
        dev.SetSimulationMode(true);
        ASSERT_TRUE(dev.Connected());
    }
};

}  // namespace

TEST(RoundDecimals, RoundsHalvesAwayFromZeroAndSnapsNearZeroToZero) {
    struct Case {
        int32_t decimals;
        long double value;
        long double expected;
    };
    const Case cases[] = {
        {1, 2.25L, 2.3L},   {1, -2.25L, -2.3L}, {0, 0.5L, 1},   {0, -0.5L, -1},     {0, 2.5L, 3},
        {8, 1.2e-8L, 0},    {8, -1.2e-8L, 0},   {8, 2.6e-8L, 3e-8L}, {4, 0.12409L, 0.1241L},
        {2, 22.344L, 22.34L},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "RoundDecimals(" << c.decimals << ", " << static_cast<double>(c.value)
                                        << ")");
        const long double r = platform::RoundDecimals(c.decimals, c.value);
        EXPECT_NEAR(static_cast<double>(r), static_cast<double>(c.expected), 1e-15);
        if (c.expected == 0) {
            EXPECT_EQ(r, 0.0L);  // exactly 0, not a tiny residue
        }
    }
}

TEST(DistancePerRollEvent, FollowsTheRollerConstants) {
    struct Case {
        long double diameter;
        long double rounds;
        long double metres;
    };
    const Case cases[] = {{39.5L, 1, 0.1241L}, {39.5L, 0.5L, 0.062L}, {45, 1, 0.1414L}, {30, 2, 0.1885L}};
    TQuarixDevice d;
    EXPECT_NEAR(static_cast<double>(d.DistancePerRollEvent), 0.1241, 1e-12);  // as constructed
    for (const Case& c : cases) {
        d.SetRollDiameter(c.diameter);
        d.SetNumberOfRoundPerRollEvent(c.rounds);
        EXPECT_NEAR(static_cast<double>(d.DistancePerRollEvent), static_cast<double>(c.metres), 1e-12)
            << static_cast<double>(c.diameter) << " mm x " << static_cast<double>(c.rounds);
    }
    // Metres stay metres whatever the unit of speed.
    d.SetUnitMeasure(device::umMiles);
    EXPECT_NEAR(static_cast<double>(d.DistancePerRollEvent), 0.1885, 1e-12);
}

TEST(ComputeSpeed, AFirstShortFrameOfTenRollsGivesTheSampleAndBothMeans) {
    TQuarixDevice d;
    d.SetNumberOfRoundPerRollEvent(0.5L);
    const long double result = d.ComputeSpeed(0, 10);

    ASSERT_EQ(d.SpeedArray.size(), 25u);
    EXPECT_NEAR(d.SpeedArray.back(), 22.32, kExact);  // 0.062 m x 10 per 100 ms
    EXPECT_NEAR(static_cast<double>(d.MeanSpeed), 0.8928, kExact);      // 22.32 / 25
    EXPECT_NEAR(static_cast<double>(d.ShortMeanSpeed), 3.72, kExact);   // 22.32 / 6 at Version 4
    EXPECT_EQ(result, d.MeanSpeed);
    EXPECT_EQ(d.Speed, 0.0L);  // storing it is the decoder's business
}

TEST(ComputeSpeed, TheShortMeanCoversSixSamplesBelow4Point5AndThreeFromThere) {
    struct Case {
        double version;
        size_t window;
    };
    const Case cases[] = {{3, 6}, {4, 6}, {4.5, 3}, {5, 3}, {8, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "Version " << c.version);
        TQuarixDevice d;
        d.SetVersion(c.version);
        d.SetRollDiameter(39.5L);
        d.SetNumberOfRoundPerRollEvent(0.5L);
        d.RollBlockBytes = 10;  // byte protocol: a block of ten bytes is 100 ms too
        for (size_t n = 1; n <= 8; ++n) {
            d.ComputeSpeed(0, 10);
            const double expected_short = 22.32 * static_cast<double>(std::min(n, c.window)) / c.window;
            EXPECT_NEAR(static_cast<double>(d.ShortMeanSpeed), expected_short, kExact) << "after " << n;
            EXPECT_NEAR(static_cast<double>(d.MeanSpeed), 22.32 * n / 25, kExact) << "after " << n;
        }
    }
}

TEST(ComputeSpeed, SampleTimeAndUnitScaleTheSpeed) {
    struct Case {
        const char* what;
        double version;
        int32_t block_bytes;
        device::TUnitMeasure unit;
        int32_t array_length;
        double sample;
        double mean;
        double short_mean;
    };
    const Case cases[] = {
        {"a mile is 1609 m", 4, 0, device::umMiles, 25, 13.87197017, 0.55487881, 2.31199503},
        {"five bytes are 50 ms", 3, 5, device::umKm, 25, 44.64, 1.7856, 7.44},
        {"an empty block is no time, not infinite speed", 3, 0, device::umKm, 25, 0, 0, 0},
        {"the short mean never exceeds the array", 4, 0, device::umKm, 2, 22.32, 11.16, 11.16},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TQuarixDevice d;
        d.SetVersion(c.version);
        d.SetRollDiameter(39.5L);
        d.SetNumberOfRoundPerRollEvent(0.5L);
        d.SetUnitMeasure(c.unit);
        d.SetSpeedArrayLength(c.array_length);
        d.RollBlockBytes = c.block_bytes;
        d.ComputeSpeed(0, 10);
        EXPECT_NEAR(d.SpeedArray.back(), c.sample, kExact);
        EXPECT_NEAR(static_cast<double>(d.MeanSpeed), c.mean, kExact);
        EXPECT_NEAR(static_cast<double>(d.ShortMeanSpeed), c.short_mean, kExact);
    }
}

TEST(ComputeSpeed, ADescendantsRoundValueDecidesTheSample) {
    // Whole km/h only: 22.32 becomes 22.
    struct WholeKmh : TQuarixDevice {
        long double RoundValue(int32_t, long double value) override { return std::trunc(value); }
    } d;
    d.SetNumberOfRoundPerRollEvent(0.5L);
    d.ComputeSpeed(0, 10);
    EXPECT_EQ(d.SpeedArray.back(), 22.0);
    EXPECT_NEAR(static_cast<double>(d.MeanSpeed), 0.88, kExact);
}

TEST_F(FakeTickRide, AnInstantSpeedHandlerSeesTheNewMeansButStillThePreviousSpeed) {
    dev.SetConnected(true);
    std::vector<std::vector<double>> seen;  // Speed, MeanSpeed, ShortMeanSpeed
    dev.OnInstantSpeed = [&](platform::TObject*) {
        seen.push_back({static_cast<double>(dev.Speed), static_cast<double>(dev.MeanSpeed),
                        static_cast<double>(dev.ShortMeanSpeed)});
    };
    Roll(2, 10);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_NEAR(seen[0][0], 0, kExact);
    EXPECT_NEAR(seen[0][1], 0.8928, kExact);
    EXPECT_NEAR(seen[0][2], 3.72, kExact);
    EXPECT_NEAR(seen[1][0], 0.8928, kExact);
    EXPECT_NEAR(seen[1][1], 1.7856, kExact);
    EXPECT_NEAR(static_cast<double>(dev.Speed), 1.7856, kExact);
}

TEST(AddRollEvents, NegativeSamplesAreIgnoredAndDistanceFollowsTheTotal) {
    TQuarixDevice d;
    d.SetNumberOfRoundPerRollEvent(0.5L);
    d.AddRollEvents(100);
    EXPECT_EQ(d.TotalRollCount, 100.0L);
    EXPECT_EQ(d.LastRollEvents, 100.0L);
    EXPECT_NEAR(static_cast<double>(d.Distance), 0.0062, kExact);

    d.AddRollEvents(-5);
    d.AddRollEvents(std::nanl(""));
    EXPECT_EQ(d.TotalRollCount, 100.0L);
    EXPECT_EQ(d.LastRollEvents, 100.0L);
    EXPECT_NEAR(static_cast<double>(d.Distance), 0.0062, kExact);

    d.AddRollEvents(0);
    EXPECT_EQ(d.LastRollEvents, 0.0L);

    // Already counted metres are reported in miles from the next update on.
    d.SetUnitMeasure(device::umMiles);
    d.AddRollEvents(0);
    EXPECT_NEAR(static_cast<double>(d.Distance), 0.00385333, kExact);  // 6.2 m / 1609, 8 decimals
}

TEST(SimulateReadings, CountsOneSecondAtTheGivenSpeedOnlyInSimulation) {
    platform::ScopedTickCountOverride tick;
    TQuarixDevice d;
    d.SimulateReadings(150, 90, 30);
    EXPECT_EQ(d.Speed, 0.0L);
    EXPECT_EQ(d.TotalRollCount, 0.0L);
    EXPECT_EQ(d.HeartRate, 0);

    d.SetSimulationMode(true);
    d.SimulateReadings(150, 90, 30);
    EXPECT_EQ(d.Speed, 30.0L);
    EXPECT_EQ(d.ShortMeanSpeed, 30.0L);
    EXPECT_EQ(d.TotalRollCount, 67.0L);  // Round(30000 m / 0.1241 m / 3600) = Round(67.15)
    EXPECT_NEAR(static_cast<double>(d.Distance), 0.0083147, kExact);
    EXPECT_TRUE(d.HeartSeen);
    EXPECT_EQ(d.HeartRate, 150);
    EXPECT_EQ(d.HeartSum, 150);
    EXPECT_EQ(d.HeartCount, 1);
    EXPECT_EQ(d.Cadence, 90);

    // 30 mph: Round(30 x 1609 / 0.1241 / 3600) = Round(108.04); zero heart
    // and cadence readings are not readings.
    d.SetUnitMeasure(device::umMiles);
    d.SimulateReadings(0, 0, 30);
    EXPECT_EQ(d.TotalRollCount, 67.0L + 108.0L);
    EXPECT_EQ(d.HeartCount, 1);
    EXPECT_EQ(d.Cadence, 90);
}

TEST(SimulateReadings, AnAbsurdHeartRateHoldsTheHeartSumAtItsLimit) {
    platform::ScopedTickCountOverride tick;
    TQuarixDevice d;
    d.SetSimulationMode(true);
    d.SimulateReadings(std::numeric_limits<int32_t>::max(), 0, 0);
    d.SimulateReadings(std::numeric_limits<int32_t>::max(), 0, 0);
    EXPECT_EQ(d.HeartSum, std::numeric_limits<int32_t>::max());
    EXPECT_EQ(d.HeartCount, 2);
}

TEST(ResetStats, ClearsTheRideFiguresAndKeepsTheSpeedsOnlyWhileRunning) {
    for (const bool running : {false, true}) {
        SCOPED_TRACE(running ? "running" : "connected");
        platform::ScopedTickCountOverride tick;
        TQuarixDevice d;
        d.SetConnected(true);
        if (running) d.SetStatus(device::qsRunning);
        d.Speed = d.MeanSpeed = d.ShortMeanSpeed = 12;
        d.VirtualSpeed = 3;
        d.RollBlockSum = d.RollBlockBytes = 4;
        d.SetSpeedArrayLength(7);
        d.SetCadenceArrayLength(4);
        d.SpeedArray.assign(7, 9.0);
        d.CadenceArray.assign(4, 9);
        d.HeartRate = d.Cadence = d.ReceivedEventCount = d.CadenceTotal = d.Energy = d.Power = 5;
        d.TotalRollCount = d.PausedRollCount = d.LastRollEvents = d.RollCountAtLastTick = 5;
        d.Distance = d.EnergyTotal = d.MaxSpeed = d.AverageSpeed = 5;
        d.MaxCadence = d.MaxHeartRate = d.AverageCadence = d.AverageHeartRate = 5;
        d.SetCurrentSlope(3);
        d.SetCurrentElevation(2000);
        const int32_t elevation_sent = d.QuarixElevation();

        d.ResetStats();

        const long double speed = running ? 12 : 0;
        EXPECT_EQ(d.Speed, speed);
        EXPECT_EQ(d.MeanSpeed, speed);
        EXPECT_EQ(d.ShortMeanSpeed, speed);
        EXPECT_EQ(d.VirtualSpeed, running ? 3.0 : 0.0);
        EXPECT_EQ(d.RollBlockSum + d.RollBlockBytes, 0);
        EXPECT_EQ(d.SpeedArray, std::vector<double>(7, 0.0));
        EXPECT_EQ(d.CadenceArray, std::vector<int32_t>(4, 0));
        for (int32_t v : {d.HeartRate, d.Cadence, d.ReceivedEventCount, d.CadenceTotal, d.Energy, d.Power,
                          d.MaxCadence, d.MaxHeartRate, d.AverageCadence, d.AverageHeartRate})
            EXPECT_EQ(v, 0);
        for (long double v : {d.TotalRollCount, d.PausedRollCount, d.LastRollEvents, d.RollCountAtLastTick,
                              d.Distance, d.EnergyTotal, d.MaxSpeed, d.AverageSpeed})
            EXPECT_EQ(v, 0.0L);
        EXPECT_EQ(d.CurrentSlope(), 0.0L);
        EXPECT_EQ(d.CurrentElevation(), 0);
        EXPECT_EQ(d.QuarixElevation(), elevation_sent);  // what the trainer has stays
    }
}

TEST_F(FakeTickRide, EachStepReportsItsLapAndTheRideFiguresFollowTheFrames) {
    dev.SetConnected(true);
    dev.Start();
    ASSERT_EQ(dev.Status(), device::qsRunning);

    // Three seconds of ten frames of 10 roll events: 22.32 km/h, 6.2 m a second.
    struct Expected {
        int32_t events;
        double old_speed;
        double distance;
        int32_t power;
        double energy_total;
    };
    const Expected expected[] = {
        {10, 8.928, 0.0062, 8, 0.00473827},    // window 10/25 full
        {20, 17.856, 0.0124, 42, 0.03300221},  // 20/25
        {30, 22.32, 0.0186, 71, 0.08594530},   // full
    };
    for (size_t s = 0; s < 3; ++s) {
        SCOPED_TRACE(testing::Message() << "second " << s + 1);
        Roll(10, 10);
        Second();
        ASSERT_EQ(stats.calls.size(), s + 1);
        const StatsCall& call = stats.calls.back();
        EXPECT_EQ(call.lap_time, 1000);
        EXPECT_EQ(call.lap_event_count, expected[s].events);  // a running count, not per lap
        EXPECT_EQ(call.lap_roll_count, 100.0L);
        EXPECT_NEAR(static_cast<double>(call.lap_distance), 0.0062, kExact);
        EXPECT_NEAR(static_cast<double>(call.old_speed), expected[s].old_speed, kExact);
        EXPECT_FALSE(call.speed_changed);
        EXPECT_EQ(dev.TimerStats()->ElapsedTime(), 1000u * (s + 1));
        EXPECT_NEAR(static_cast<double>(dev.Distance), expected[s].distance, kExact);
        EXPECT_NEAR(static_cast<double>(dev.AverageSpeed), 22.32, kExact);
        EXPECT_EQ(dev.Power, expected[s].power);
        EXPECT_NEAR(static_cast<double>(dev.EnergyTotal), expected[s].energy_total, 1e-8);
        EXPECT_EQ(dev.Energy, 0);
        EXPECT_NEAR(static_cast<double>(dev.MaxSpeed), expected[s].old_speed, kExact);
    }

    // The roller stops: the maximum stays, the average falls with time.
    Roll(25, 0);
    tick.Advance(1000);
    Step(dev);
    EXPECT_EQ(dev.Speed, 0.0L);
    EXPECT_NEAR(static_cast<double>(dev.MaxSpeed), 22.32, kExact);
    EXPECT_NEAR(static_cast<double>(dev.AverageSpeed), 16.74, kExact);  // 0.0186 km in 4 s
    EXPECT_EQ(stats.calls.back().lap_roll_count, 0.0L);
    EXPECT_EQ(dev.TimerStatsInterval(), static_cast<uint32_t>(kQuietInterval));  // re-armed, no correction
}

// A handler that starts a new ride during a statistics step (from OnStats, or
// from the heart alarm the step raises) gets a ride whose first lap counts
// from that Start: the step must not carry the old ride's total into it.
TEST_F(FakeTickRide, ARideRestartedDuringAStepKeepsItsFirstLap) {
    for (const bool from_alarm : {false, true}) {
        SCOPED_TRACE(from_alarm ? "from OnAlarmHeart" : "from OnStats");
        stats.calls.clear();
        dev.SetConnected(true);
        dev.SetHeartEnabled(from_alarm);
        dev.SetHeartConnectionSurvey(false);
        dev.Start();
        bool restart = true;
        auto restart_once = [&] {
            if (!restart) return;
            restart = false;
            dev.Start();
        };
        dev.OnStats = [&](platform::TObject*, int32_t lap, int32_t events, long double rolls, long double distance,
                          long double old_speed, bool changed) {
            stats.calls.push_back({lap, events, rolls, distance, old_speed, changed});
            if (!from_alarm) restart_once();
        };
        dev.OnAlarmHeart = [&](platform::TObject*, int32_t, bool, bool, bool& do_stop) {
            do_stop = false;
            restart_once();
        };
        dev.HeartRate = 170;  // above the high limit: the alarm is raised
        Roll(10, 10);
        Second();
        ASSERT_FALSE(restart);
        ASSERT_EQ(stats.calls.size(), 1u);
        EXPECT_EQ(stats.calls[0].lap_roll_count, 100.0L);

        Roll(10, 5);  // the new ride's first second
        tick.Advance(1000);
        Step(dev);
        ASSERT_EQ(stats.calls.size(), 2u);
        EXPECT_EQ(stats.calls[1].lap_roll_count, 50.0L);
        EXPECT_NEAR(static_cast<double>(stats.calls[1].lap_distance), 0.0031, kExact);  // 50 x 0.062 m
        EXPECT_EQ(stats.calls[1].lap_time, 1000);
        EXPECT_EQ(dev.TimerStats()->ElapsedTime(), 1000u);
        EXPECT_EQ(dev.RollCountAtLastTick, 50.0L);
        dev.OnAlarmHeart = nullptr;
        dev.Stop();
    }
}

TEST_F(SimulatedRide, RideTimeExcludesPausesAndTheRollCountResumesFromThePause) {
    dev.Start();
    dev.SimulateReadings(0, 0, 30);
    tick.Advance(1000);
    Step(dev);
    ASSERT_EQ(stats.calls.size(), 1u);
    EXPECT_EQ(stats.calls[0].lap_time, 1000);  // the first lap runs from Start
    EXPECT_EQ(dev.TimerStats()->ElapsedTime(), 1000u);
    EXPECT_EQ(stats.calls[0].lap_roll_count, 67.0L);

    dev.SimulateReadings(0, 0, 30);
    tick.Advance(1500);
    Step(dev);
    EXPECT_EQ(stats.calls[1].lap_time, 1500);
    EXPECT_EQ(dev.TimerStats()->ElapsedTime(), 2500u);

    tick.Advance(500);
    dev.Pause();
    dev.SimulateReadings(0, 0, 30);  // rolls while paused are not kept
    tick.Advance(10000);
    dev.Start();
    ASSERT_EQ(dev.Status(), device::qsRunning);
    EXPECT_EQ(dev.TotalRollCount, 134.0L);

    dev.SimulateReadings(0, 0, 30);
    tick.Advance(1000);
    Step(dev);
    ASSERT_EQ(stats.calls.size(), 3u);
    EXPECT_EQ(dev.TimerStats()->ElapsedTime(), 4000u);  // 3 s before the pause, 1 s after
    EXPECT_EQ(stats.calls[2].lap_time, 1500);           // since the last step, without the pause
    EXPECT_EQ(stats.calls[2].lap_roll_count, 67.0L);
    EXPECT_NEAR(static_cast<double>(dev.Distance), 0.0249441, kExact);  // 201 x 0.1241 m
    EXPECT_NEAR(static_cast<double>(dev.AverageSpeed), 22.44969, kExact);
}

TEST_F(SimulatedRide, RideTimeSurvivesTheTickCountWrapping) {
    tick.Set(0xFFFFFC18u);  // one second before the 32-bit tick wraps
    dev.Start();
    tick.Advance(3000);
    Step(dev);
    EXPECT_EQ(dev.TimerStats()->ElapsedTime(), 3000u);
    EXPECT_EQ(stats.calls.at(0).lap_time, 3000);
}

TEST_F(SimulatedRide, ANegativeSpeedIsClampedAndReportedAsTheOldSpeed) {
    struct Case {
        long double speed;
        bool changed;
        long double speed_after;
    };
    const Case cases[] = {{-0.5L, true, 0}, {20, false, 20}, {0, false, 0}};
    dev.Start();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "Speed " << static_cast<double>(c.speed));
        dev.SimulateReadings(0, 0, c.speed);
        dev.MeanSpeed = 5;
        const long double energy_before = dev.EnergyTotal;
        tick.Advance(1000);
        Step(dev);
        const StatsCall& call = stats.calls.back();
        EXPECT_EQ(call.old_speed, c.speed);
        EXPECT_EQ(call.speed_changed, c.changed);
        EXPECT_EQ(dev.Speed, c.speed_after);
        EXPECT_EQ(dev.MeanSpeed, c.changed ? 0.0L : 5.0L);
        if (c.speed <= 0) {
            EXPECT_EQ(dev.EnergyTotal, energy_before);  // no negative energy
            EXPECT_EQ(dev.Power, 0);
        }
    }
}

TEST_F(SimulatedRide, EnergyIsAddedOncePerStepWhateverItsLength) {
    struct Case {
        device::TUnitMeasure unit;
        long double weight;
        long double slope;
        double energy_per_step;
        int32_t power;
    };
    const Case cases[] = {
        {device::umKm, 80, 0, 0.1674, 142},      // 0.1188 + 0.0486; 39.15 + 114.3 - 11.1 W
        {device::umMiles, 80, 0, 0.53388, 441},  // mass 80 lb + 22
        {device::umKm, 80, 5, 0.4674, 507},      // + 0.002 x 30 x 5
        {device::umKm, 80, -10, 0, 0},           // downhill the sum goes negative: nothing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "unit " << c.unit << ", slope " << static_cast<double>(c.slope));
        dev.SetUnitMeasure(c.unit);
        dev.SetRiderWeight(c.weight);
        dev.Start();
        dev.SetCurrentSlope(c.slope);  // a new ride starts on the flat
        const uint32_t step_lengths[] = {1000, 500, 3000};
        for (int n = 1; n <= 3; ++n) {
            dev.SimulateReadings(0, 0, 30);
            tick.Advance(step_lengths[n - 1]);
            Step(dev);
            EXPECT_NEAR(static_cast<double>(dev.EnergyTotal), n * c.energy_per_step, 1e-12);
            EXPECT_EQ(dev.Power, c.power);
        }
        EXPECT_EQ(dev.Energy, platform::Round(3 * c.energy_per_step));
    }
}

// A host may simulate any speed; whole-number figures hold at their largest
// value instead of wrapping or overflowing the conversion.
TEST_F(SimulatedRide, AbsurdSpeedsHoldTheWholeNumberFiguresAtTheirLimit) {
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    struct Case {
        long double speed;
        long double rolls;  // one second at that speed, 0.1241 m per roll event
        int32_t energy_and_power;
    };
    const Case cases[] = {
        // Round(223834.06) rolls; energy and power pass 2^31 in one step.
        {1e5L, 223834.0L, kMax},
        // The roll count itself passes 2^63.
        {1e30L, 1e33L / 0.1241L / 3600, kMax},
        // No second of riding to count, and no figure to add (inf x 0 slope).
        {std::numeric_limits<long double>::infinity(), 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "speed " << static_cast<double>(c.speed));
        dev.Start();
        dev.SimulateReadings(0, 0, c.speed);
        if (c.rolls < 1e18L) {
            EXPECT_EQ(dev.TotalRollCount, c.rolls);
        } else {
            EXPECT_NEAR(static_cast<double>(dev.TotalRollCount / c.rolls), 1.0, 1e-12);
        }
        tick.Advance(1000);
        Step(dev);
        ASSERT_FALSE(stats.calls.empty());
        EXPECT_EQ(dev.Energy, c.energy_and_power);
        EXPECT_EQ(dev.Power, c.energy_and_power);
        stats.calls.clear();
    }
}

TEST_F(SimulatedRide, AverageCadenceNeedsACadenceAndSomeRideTime) {
    struct Case {
        const char* what;
        double version;
        int32_t cadence_total;
        int32_t cadence;
        uint32_t elapsed;
        int32_t expected;
    };
    const Case cases[] = {
        {"periods: one value per 100-ms frame", 5, 900, 90, 1000, 90},
        {"pulses: per minute", 4, 3, 90, 2000, 90},
        {"pulses, halves to even", 4, 1, 90, 24000, 2},  // 2.5 per minute
        {"no cadence now: unchanged", 5, 900, 0, 1000, 77},
        {"first millisecond of the ride: unchanged", 5, 900, 90, 0, 77},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dev.SetVersion(c.version);
        dev.Start();
        dev.AverageCadence = 77;
        dev.CadenceTotal = c.cadence_total;
        dev.Cadence = c.cadence;
        tick.Advance(c.elapsed);
        Step(dev);
        EXPECT_EQ(dev.AverageCadence, c.expected);
        EXPECT_EQ(dev.AverageSpeed, 0.0L);  // no distance (and no division by a zero time)
    }
}

// Each step raises the ride maxima to the cadence and heart rate it sees; a
// lower reading leaves them, a new ride starts them afresh.
TEST_F(SimulatedRide, EachStepKeepsTheRideMaximaOfCadenceAndHeartRate) {
    dev.SetHeartEnabled(true);  // without it the step clears the heart rate
    dev.SetHeartConnectionSurvey(false);
    dev.Start();
    const struct {
        int32_t heart_rate, cadence;
        int32_t max_heart_rate, max_cadence;
    } steps[] = {{150, 90, 150, 90}, {120, 80, 150, 90}, {155, 100, 155, 100}, {140, 95, 155, 100}};
    for (const auto& s : steps) {
        SCOPED_TRACE(testing::Message() << s.heart_rate << " bpm, " << s.cadence << " rpm");
        dev.SimulateReadings(s.heart_rate, s.cadence, 30);
        Second();
        EXPECT_EQ(dev.MaxHeartRate, s.max_heart_rate);
        EXPECT_EQ(dev.MaxCadence, s.max_cadence);
    }
    dev.Start();
    EXPECT_EQ(dev.MaxHeartRate, 0);
    EXPECT_EQ(dev.MaxCadence, 0);
}

TEST_F(SimulatedRide, ACourseEndsAtTheFirstStepThatReachesItsDistance) {
    dev.OnAfterStop = [&](platform::TObject*) { events.push_back("AfterStop"); };
    dev.OnCourseFinished = [&](platform::TObject*) { events.push_back("CourseFinished"); };
    dev.SetCourseDistance(0.05L);  // 50 m: 8.3147 m a second at 30 km/h
    dev.Start();
    for (int s = 1; s <= 6; ++s) {
        dev.SimulateReadings(0, 0, 30);
        Second();
    }
    EXPECT_FALSE(dev.CourseFinished);
    EXPECT_TRUE(events.empty());

    dev.SimulateReadings(0, 0, 30);  // 58.2 m
    EXPECT_TRUE(dev.CourseFinished);
    EXPECT_EQ(dev.Status(), device::qsRunning);  // stopped by the step, not by the distance
    Second();
    EXPECT_EQ(events, (std::vector<std::string>{"AfterStop", "CourseFinished"}));
    EXPECT_EQ(dev.Status(), device::qsStopped);
    EXPECT_FALSE(dev.TimerStats()->Enabled());
    EXPECT_EQ(stats.calls.size(), 7u);  // the last step still reported

    dev.SimulateReadings(0, 0, 30);
    EXPECT_NEAR(static_cast<double>(dev.Distance), 0.0582029, kExact);  // frozen

    // A new ride clears it; without a course distance it never ends.
    dev.SetCourseDistance(0);
    dev.Start();
    EXPECT_FALSE(dev.CourseFinished);
    for (int s = 0; s < 20; ++s) {
        dev.SimulateReadings(0, 0, 30);
        Second();
    }
    EXPECT_FALSE(dev.CourseFinished);
    EXPECT_EQ(dev.Status(), device::qsRunning);
}

TEST(StatsStep, OnlyOneStepRunsAtATimeInTheWholeProcess) {
    platform::ScopedTickCountOverride tick;
    TQuarixDevice a, b;
    int a_steps = 0, b_steps = 0;
    for (TQuarixDevice* d : {&a, &b}) {
        d->SetStatsInterval(kQuietInterval);
        d->SetSimulationMode(true);
        d->Start();
    }
    // A handler that pumps messages could let another device's tick in.
    a.OnStats = [&](platform::TObject*, int32_t, int32_t, long double, long double, long double, bool) {
        ++a_steps;
        Step(b);
    };
    b.OnStats = [&](platform::TObject*, int32_t, int32_t, long double, long double, long double, bool) { ++b_steps; };
    tick.Advance(1000);
    Step(a);
    EXPECT_EQ(a_steps, 1);
    EXPECT_EQ(b_steps, 0);  // skipped, not queued
    EXPECT_FALSE(TQuarixDevice::StatsBusy);
    Step(b);
    EXPECT_EQ(b_steps, 1);
}

namespace {

// Lets a test make the keep-alive or the power estimate fail.
class FailingDevice : public TQuarixDevice {
public:
    bool fail_send = false;
    int failed_sends = 0;
    bool fail_power = false;

    void SendResistance() override {
        if (!fail_send) return TQuarixDevice::SendResistance();
        ++failed_sends;
        throw platform::Exception("write failed");
    }
    double EstimatePower(double speed, double slope) override {
        if (fail_power) throw platform::Exception("model failed");
        return TQuarixDevice::EstimatePower(speed, slope);
    }
};

}  // namespace

TEST(StatsStep, AFailedKeepAliveIsSwallowedAndTheStepGoesOn) {
    struct Case {
        double version;
        bool maintains;
        int keep_alive_calls;
    };
    const Case cases[] = {{5, true, 1}, {8, true, 1}, {4, true, 0}, {5, false, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "Version " << c.version << (c.maintains ? "" : ", console not kept"));
        platform::ScopedTickCountOverride tick;
        FailingDevice d;
        StatsLog stats;
        stats.Attach(d);
        d.SetStatsInterval(kQuietInterval);
        d.SetVersion(c.version);
        d.SetMaintainsConsoleActive(c.maintains);
        d.SetSimulationMode(true);
        d.Start();
        d.SimulateReadings(0, 0, 30);
        tick.Advance(1000);
        d.fail_send = true;
        Step(d);
        d.fail_send = false;
        EXPECT_EQ(d.failed_sends, c.keep_alive_calls);
        EXPECT_EQ(stats.calls.size(), 1u);
        EXPECT_EQ(d.TimerStats()->ElapsedTime(), 1000u);
    }
}

TEST(StatsStep, AFaultEndsTheStepButItsClosingPartStillRuns) {
    platform::ScopedTickCountOverride tick;
    FailingDevice d;
    StatsLog stats;
    stats.Attach(d);
    int finished = 0;
    d.OnCourseFinished = [&](platform::TObject*) { ++finished; };
    d.SetStatsInterval(kQuietInterval);
    d.SetSimulationMode(true);
    d.SetCourseDistance(0.005L);
    d.Start();
    d.SimulateReadings(0, 0, 30);  // 8.3 m: the course is done
    d.fail_power = true;
    tick.Advance(1000);
    Step(d);  // the timer swallows the fault
    EXPECT_TRUE(stats.calls.empty());
    EXPECT_FALSE(TQuarixDevice::StatsBusy);
    EXPECT_EQ(d.Status(), device::qsStopped);
    EXPECT_EQ(finished, 1);

    // The next ride's steps run normally.
    d.fail_power = false;
    d.SetCourseDistance(0);
    d.Start();
    tick.Advance(1000);
    Step(d);
    EXPECT_EQ(stats.calls.size(), 1u);
}

namespace {

// Records what the keep-alive and OnStats see of the step around them.
class StepWatchingDevice : public TQuarixDevice {
public:
    std::vector<uint32_t> elapsed_at_keep_alive;
    void SendResistance() override { elapsed_at_keep_alive.push_back(TimerStats()->ElapsedTime()); }
};

}  // namespace

// The step's parts run in a fixed order: the keep-alive before the ride time
// moves, the reduction, power and maxima before OnStats, the next lap's
// starting point only after it.
TEST(StatsStep, HandlersSeeTheStepsPartsInTheirOrder) {
    platform::ScopedTickCountOverride tick{1000};
    StepWatchingDevice d;
    d.SetStatsInterval(kQuietInterval);
    d.SetVersion(5);
    d.SetSimulationMode(true);
    d.SetHighPowerReduceEnable(true);
    d.Start();

    struct Seen {
        double coefficient;
        int32_t power;
        long double max_speed;
        long double roll_count_at_last_tick;
        uint32_t lap_time;
    };
    std::vector<Seen> seen;
    d.OnStats = [&](platform::TObject*, int32_t, int32_t, long double, long double, long double, bool) {
        seen.push_back({d.ResistanceCoefficient, d.Power, d.MaxSpeed, d.RollCountAtLastTick,
                        d.TimerStats()->LapTime()});
    };

    d.SimulateReadings(0, 0, 3.5L);
    const long double rolls_per_second = d.TotalRollCount;
    ASSERT_GT(rolls_per_second, 0.0L);
    tick.Advance(1000);
    Step(d);
    d.SimulateReadings(0, 0, 3.5L);
    tick.Advance(500);
    Step(d);

    EXPECT_EQ(d.elapsed_at_keep_alive, (std::vector<uint32_t>{0, 1000}));
    ASSERT_EQ(seen.size(), 2u);
    const int32_t power = static_cast<int32_t>(platform::Round(d.EstimatePower(3.5, 0)));
    const long double rolls_before[] = {0, rolls_per_second};
    const uint32_t laps[] = {1000, 500};
    for (size_t i = 0; i < seen.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "step " << i + 1);
        EXPECT_DOUBLE_EQ(seen[i].coefficient, 0.625);  // 0.25 + 3.5 x 0.75 / 7
        EXPECT_EQ(seen[i].power, power);
        EXPECT_EQ(seen[i].max_speed, 3.5L);
        EXPECT_EQ(seen[i].roll_count_at_last_tick, rolls_before[i]);
        EXPECT_EQ(seen[i].lap_time, laps[i]);
    }
    EXPECT_EQ(d.RollCountAtLastTick, 2 * rolls_per_second);
    EXPECT_EQ(d.TimerStats()->LapTime(), 1500u);  // the next lap starts from the ride time
}

TEST(StatsStep, TheRealTimerDrivesTheStepsAtStatsInterval) {
    TQuarixDevice d;
    std::vector<int32_t> laps;
    std::vector<uint32_t> elapsed;
    d.OnStats = [&](platform::TObject*, int32_t lap, int32_t, long double, long double, long double, bool) {
        laps.push_back(lap);
        elapsed.push_back(d.TimerStats()->ElapsedTime());
        d.SimulateReadings(0, 0, 30);
    };
    d.SetStatsInterval(50);
    d.SetSimulationMode(true);
    d.Start();
    ASSERT_TRUE(testing_support::WaitUntil([&] { return laps.size() >= 5; }, 10000));
    d.Stop();

    int64_t sum = 0;
    for (size_t i = 0; i < laps.size(); ++i) {
        EXPECT_GE(laps[i], 49) << "lap " << i;  // never before the interval
        sum += laps[i];
        EXPECT_EQ(static_cast<int64_t>(elapsed[i]), sum) << "laps add up to the ride time";
    }
    EXPECT_EQ(d.TimerStats()->Interval(), 50u);

    // Stopped: no further step.
    const size_t steps = laps.size();
    testing_support::WaitUntil([] { return false; }, 200);
    EXPECT_EQ(laps.size(), steps);
    EXPECT_GT(d.Distance, 0.0L);
}
