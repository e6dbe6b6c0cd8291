// SPDX-License-Identifier: GPL-3.0-or-later
// The power estimate and the virtual speed of descents, on their own and as
// the statistics step and the speed samples use them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/quarix_device.h"
#include "device_test_support.h"
#include "platform/tick_count.h"

using device::TQuarixDevice;
using device_test::Bytes;

namespace {

constexpr int32_t kQuietInterval = 3'600'000;  // the real timer stays out of the way
constexpr double kExact = 1e-9;

std::string RollFrame(int rolls) { return Bytes({0xF0, 0x01, 0x00, rolls, 0x00, 0xF7}); }

}  // namespace

TEST(EstimatePower, FollowsTheCubicOfEachUnitSystem) {
    struct Case {
        device::TUnitMeasure unit;
        double version;
        long double weight;
        double speed;
        double slope;
        double watts;
    };
    const Case cases[] = {
        {device::umKm, 4, 0, 30, 0, 142.35},     // 39.15 + 114.3 - 11.1
        {device::umKm, 4, 0, 0, 5, 0},           // at rest
        {device::umKm, 4, 0, -3, 0, 0},          // rolling back is no power
        {device::umKm, 4, 0, 30, -20, 0},        // steep descent: negative, reported as 0
        {device::umKm, 4, 0, 30, 5, 182.85},     // no rider weight: the machine's 10 kg
        {device::umKm, 4, 80, 30, 5, 506.85},    // g = 0.027
        {device::umKm, 6, 80, 30, 5, 506.85},
        {device::umKm, 5, 80, 30, 5, 397.5},     // g = 0.0189 on the fifth generation
        {device::umMiles, 4, 0, 30, 0, 441},     // 162 + 297 - 18
        {device::umMiles, 4, 0, 20, 2, 185.6},   // 22 lb, g = 0.02
        {device::umMiles, 5, 0, 20, 2, 180.32},  // g = 0.014
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "unit " << c.unit << ", Version " << c.version << ", "
                                        << static_cast<double>(c.weight) << " + machine, " << c.speed << " at "
                                        << c.slope << " %");
        TQuarixDevice d;
        d.SetVersion(c.version);
        d.SetUnitMeasure(c.unit);
        d.SetRiderWeight(c.weight);
        EXPECT_NEAR(d.EstimatePower(c.speed, c.slope), c.watts, kExact);
    }
}

TEST(VirtualSpeed, GrowsDownhillAndDiesAwayOnTheFlatOnceWithinTolerance) {
    struct Case {
        double tolerance;
        std::vector<double> decay;  // VirtualSpeed after each step on the flat
    };
    const Case cases[] = {
        {2, {6.009149144057825, 4.353135008323465, 2.8003663645515258, 1.3424395896773498, 0}},
        {5, {6.009149144057825, 4.353135008323465, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "Tolerance " << c.tolerance);
        TQuarixDevice d;
        d.SetRiderWeight(80);  // total mass 90 kg
        d.SetTolerance(c.tolerance);
        d.SetCurrentSlope(-5);

        d.UpdateVirtualSpeed(30);
        EXPECT_NEAR(d.SlopeTerm, 2.25, kExact);  // 90 x 5 x 0.5 / 100
        EXPECT_NEAR(d.RollerPowerTerm, 4.745, kExact);  // 142.35 W / 30
        EXPECT_NEAR(d.VirtualPowerTerm, 4.745, kExact);
        EXPECT_NEAR(d.SpeedBalance, 2.25, kExact);
        EXPECT_NEAR(d.VirtualSpeed, 0.245, kExact);  // 2.25 x 9.8 / 90
        EXPECT_EQ(d.PreviousVirtualSpeed, 0.0);

        for (int step = 2; step <= 60; ++step) {
            const double before = d.VirtualSpeed;
            d.UpdateVirtualSpeed(30);
            ASSERT_GT(d.SpeedBalance, 0);
            EXPECT_GT(d.VirtualSpeed, before) << "step " << step;
            EXPECT_EQ(d.PreviousVirtualSpeed, before);
        }
        EXPECT_NEAR(d.VirtualSpeed, 7.77782356, kExact);
        EXPECT_LT(d.SpeedBalance, 0.52);  // nearing the balance of drag and slope

        d.SetCurrentSlope(0);
        for (size_t step = 0; step < c.decay.size(); ++step) {
            const double before = d.VirtualSpeed;
            d.UpdateVirtualSpeed(30);
            EXPECT_NEAR(d.VirtualSpeed, c.decay[step], kExact) << "flat step " << step + 1;
            if (c.decay[step] > 0) {
                EXPECT_NEAR(before - d.VirtualSpeed, 2.5 * d.VirtualPowerTerm * 9.8 / 90, kExact);
            }
        }
    }
}

TEST(VirtualSpeed, AStandingRollerOrSwitchingTheModelOffClearsItsState) {
    TQuarixDevice d;
    d.SetCurrentSlope(-5);
    d.SetVirtualSpeedEnabled(true);
    d.UpdateVirtualSpeed(30);
    d.UpdateVirtualSpeed(30);
    const double balance = d.SpeedBalance;
    ASSERT_GT(d.VirtualSpeed, 0);

    d.UpdateVirtualSpeed(0);
    for (double v : {d.VirtualSpeed, d.PreviousVirtualSpeed, d.SlopeTerm, d.RollerPowerTerm, d.VirtualPowerTerm,
                     d.VirtualDistancePerSecond})
        EXPECT_EQ(v, 0.0);
    EXPECT_EQ(d.SpeedBalance, balance);  // left to explain the last update

    d.UpdateVirtualSpeed(30);
    d.VirtualDistancePerSecond = 0.001;
    d.SetVirtualSpeedEnabled(false);
    EXPECT_EQ(d.VirtualSpeed, 0.0);
    EXPECT_EQ(d.VirtualDistancePerSecond, 0.0);
    EXPECT_EQ(d.SlopeTerm, 0.0);
}

namespace {

// A connected device (no port) on the short-frame constants, 80 kg rider,
// virtual speed on, stepped by hand on a fake tick.
class VirtualRide : public ::testing::Test {
protected:
    void SetUp() override {
        dev.SetStatsInterval(kQuietInterval);
        dev.SetNumberOfRoundPerRollEvent(0.5L);  // 0.062 m per roll event
        dev.SetRiderWeight(80);
        dev.SetVirtualSpeedEnabled(true);
        dev.OnStats = [this](platform::TObject*, int32_t, int32_t, long double, long double, long double,
                             bool) { ++steps; };
        dev.SetConnected(true);
        dev.Start();
    }
    void Roll(int frames, int rolls) {
        for (int i = 0; i < frames; ++i) dev.DecodeMessage(RollFrame(rolls));
    }
    void Step() {
        tick.Advance(1000);
        dev.TimerStats()->DoTimer();
    }

    platform::ScopedTickCountOverride tick{1000};
    int steps = 0;  // before the device, which outlives nothing it reports to
    TQuarixDevice dev;
};

}  // namespace

TEST_F(VirtualRide, ADescentAddsVirtualSpeedAndItsDistanceToTheSamples) {
    Roll(25, 10);  // a full window at 22.32 km/h
    dev.SetCurrentSlope(-5);
    Step();
    ASSERT_EQ(steps, 1);
    EXPECT_NEAR(dev.VirtualSpeed, 0.245, kExact);  // from rest: 2.25 x 9.8 / 90
    EXPECT_NEAR(dev.VirtualDistancePerSecond, 6.806e-05, kExact);  // 0.245 / 3600, 8 decimals

    // Each later sample carries the virtual part and a tenth of its second's distance.
    Roll(10, 10);
    EXPECT_NEAR(static_cast<double>(dev.MeanSpeed), 22.32, kExact);
    EXPECT_NEAR(static_cast<double>(dev.Speed), 22.565, kExact);
    EXPECT_NEAR(static_cast<double>(dev.ShortMeanSpeed), 22.565, kExact);
    EXPECT_NEAR(static_cast<double>(dev.TotalRollCount), 351.0977419354839, 1e-9);
    EXPECT_NEAR(static_cast<double>(dev.Distance), 0.02176806, kExact);
}

TEST_F(VirtualRide, OnTheFlatTheVirtualPartDecaysAndPowerIgnoresIt) {
    dev.VirtualSpeed = 10;
    dev.VirtualDistancePerSecond = 0.00277778;  // 10 km/h for a second, 8 decimals
    Roll(25, 10);
    EXPECT_NEAR(static_cast<double>(dev.Speed), 32.32, kExact);
    EXPECT_NEAR(static_cast<double>(dev.ShortMeanSpeed), 32.32, kExact);
    EXPECT_NEAR(static_cast<double>(dev.TotalRollCount), 250 + 25 * 4.480290322580646, 1e-9);
    EXPECT_NEAR(static_cast<double>(dev.Distance), 0.02244445, kExact);

    Step();
    EXPECT_NEAR(dev.VirtualSpeed, 8.571028113777778, kExact);  // 10 - 2.5 x 5.2493 x 9.8 / 90
    EXPECT_NEAR(dev.VirtualDistancePerSecond, 0.00238084, kExact);
    EXPECT_EQ(dev.Power, 71);  // the roller's 22.32 km/h, not the 32.32 shown (170 W)
    EXPECT_NEAR(static_cast<double>(dev.EnergyTotal), 0.2009063739392, 1e-9);  // energy counts it

    // Back within tolerance on the flat: the model resets and stops adding distance.
    dev.VirtualSpeed = 1.5;
    Step();
    EXPECT_EQ(dev.VirtualSpeed, 0.0);
    EXPECT_EQ(dev.VirtualDistancePerSecond, 0.0);
    Step();  // nothing left to update: reset, not updated
    EXPECT_EQ(dev.VirtualPowerTerm, 0.0);
    const long double rolls = dev.TotalRollCount;
    Roll(1, 0);
    EXPECT_EQ(dev.TotalRollCount, rolls);
}

// A paused ride stands still: the roller's own speed is shown, the virtual
// part covers no distance, and both come back with the resumed ride.
TEST_F(VirtualRide, APausedRideShowsOnlyTheRollerAndCoversNoVirtualDistance) {
    dev.VirtualSpeed = 10;
    dev.VirtualDistancePerSecond = 0.00277778;
    Roll(25, 10);
    ASSERT_NEAR(static_cast<double>(dev.Speed), 32.32, kExact);

    dev.Pause();
    const long double rolls = dev.TotalRollCount;
    const long double distance = dev.Distance;
    Roll(10, 10);
    EXPECT_EQ(dev.TotalRollCount, rolls);
    EXPECT_EQ(dev.Distance, distance);
    EXPECT_NEAR(static_cast<double>(dev.Speed), 22.32, kExact);
    EXPECT_NEAR(static_cast<double>(dev.ShortMeanSpeed), 22.32, kExact);

    dev.Start();
    ASSERT_EQ(dev.Status(), device::qsRunning);
    Roll(1, 10);
    EXPECT_NEAR(static_cast<double>(dev.Speed), 32.32, kExact);
    EXPECT_NEAR(static_cast<double>(dev.TotalRollCount), static_cast<double>(rolls) + 10 + 4.480290322580646, 1e-9);
}

// A second of virtual speed covers the same distance in every generation,
// whatever the time one sample stands for: ten 100-ms frames, or ten blocks of
// ten 10-ms status bytes in the byte protocol.
TEST(VirtualSpeed, ASecondAt36KmhCoversTenMetresInEveryGeneration) {
    struct Case {
        double version;
        std::string second_of_input;  // one second of a standing roller
    };
    std::string short_frames, long_frames;
    for (int i = 0; i < 10; ++i) {
        short_frames += RollFrame(0);
        long_frames += Bytes({0xF0, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF7});
    }
    const Case cases[] = {
        {3, std::string(100, '\0')}, {2, std::string(100, '\0')}, {4, short_frames}, {5, long_frames}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "Version " << c.version);
        platform::ScopedTickCountOverride tick;
        TQuarixDevice d;
        d.SetStatsInterval(kQuietInterval);
        d.SetVersion(c.version);
        d.SetVirtualSpeedEnabled(true);
        d.SetConnected(true);
        d.Start();
        d.VirtualSpeed = 36;
        d.VirtualDistancePerSecond = 0.01;  // km a second at 36 km/h

        const size_t frame = c.version < 4 ? c.second_of_input.size() : (c.version > 4 ? 10 : 6);
        for (size_t at = 0; at < c.second_of_input.size(); at += frame)
            d.DecodeMessage(c.second_of_input.substr(at, frame));

        EXPECT_NEAR(static_cast<double>(d.Distance), 0.01, 1e-7);
        EXPECT_NEAR(static_cast<double>(d.Speed), 36, kExact);  // the roller stands: all virtual
    }
}

TEST(VirtualSpeed, IsInactiveInSimulationModeSoPowerUsesTheSimulatedSpeed) {
    platform::ScopedTickCountOverride tick;
    TQuarixDevice d;
    d.SetStatsInterval(kQuietInterval);
    d.SetRiderWeight(80);
    d.SetVirtualSpeedEnabled(true);
    d.SetSimulationMode(true);
    d.Start();
    d.SetCurrentSlope(-0.5);
    d.SimulateReadings(0, 0, 30);
    tick.Advance(1000);
    d.TimerStats()->DoTimer();
    EXPECT_EQ(d.VirtualSpeed, 0.0);
    EXPECT_EQ(d.Power, 106);  // EstimatePower(30, -0.5) = 105.9; MeanSpeed is 0 here

    d.VirtualSpeed = 10;
    d.VirtualDistancePerSecond = 0.001;
    const long double rolls = d.TotalRollCount;
    EXPECT_EQ(d.ComputeSpeed(0, 0), d.MeanSpeed);
    EXPECT_EQ(d.TotalRollCount, rolls);
}
