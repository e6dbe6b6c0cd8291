// SPDX-License-Identifier: GPL-3.0-or-later
// Ride status changes and the ride operations Start, Pause and Stop.
#include <gtest/gtest.h>

#include "device_test_support.h"
#include "platform/tick_count.h"

using device::TQuarixDevice;
using device_test::BarePty;
using device_test::Bytes;
using device_test::EventLog;
using device_test::RecordingDevice;

namespace {

class RideTest : public ::testing::Test {
protected:
    void SetUp() override {
        d.SetConnectionSurvey(false);
        d.SetSecurityActive(false);  // resistance levels are stored as written
        d.SetConnected(true);
        log.Attach(d);
    }

    platform::ScopedTickCountOverride clock{10000};
    EventLog log;  // outlives the device, whose teardown raises events
    RecordingDevice d;
};

}  // namespace

TEST_F(RideTest, StartRaisesBeforeStartThenRunsFromTheStopMark) {
    d.SetStatsInterval(700);
    d.Start();
    EXPECT_EQ(log.events, (std::vector<std::string>{"BeforeStart", "Status(4->2)"}));
    EXPECT_EQ(d.Status(), device::qsRunning);
    EXPECT_TRUE(d.TimerStats()->Enabled());
    EXPECT_EQ(d.TimerStats()->Interval(), 700u);
    EXPECT_EQ(d.StartTick, 10000u);
    EXPECT_EQ(d.PauseTick, 0u);

    // Start while running begins a new ride through the same silent mark.
    log.Clear();
    d.Start();
    EXPECT_EQ(log.events, (std::vector<std::string>{"BeforeStart", "Status(4->2)"}));
}

TEST_F(RideTest, StartAndPauseDoNothingWhileDisconnected) {
    d.SetConnected(false);
    log.Clear();
    d.Start();
    d.Pause();
    EXPECT_TRUE(log.events.empty());
    EXPECT_FALSE(d.TimerStats()->Enabled());
    EXPECT_EQ(d.Status(), device::qsDisconnected);
}

TEST_F(RideTest, APausedRideResumesWithoutCountingThePause) {
    d.Start();
    d.TotalRollCount = 40;
    clock.Advance(5000);
    d.TimerStats()->SetElapsedTime(5000);
    d.Pause();
    EXPECT_FALSE(d.TimerStats()->Enabled());
    EXPECT_EQ(d.PauseTick, 15000u);
    EXPECT_EQ(d.PausedRollCount, 40);

    d.TotalRollCount = 55;  // anything counted meanwhile is not the ride's
    d.LastRollEvents = 3;
    clock.Advance(10000);
    log.Clear();
    d.Start();
    EXPECT_EQ(log.events, (std::vector<std::string>{"BeforeStart", "Status(3->2)"}));
    EXPECT_EQ(d.StartTick, 20000u);  // ride time continues from 5 s
    EXPECT_EQ(platform::GetTickCount() - d.StartTick, 5000u);
    EXPECT_EQ(d.TimerStats()->LapTime(), 5000u);
    EXPECT_EQ(d.TotalRollCount, 40);
    EXPECT_EQ(d.LastRollEvents, 0);
    EXPECT_TRUE(d.TimerStats()->Enabled());
}

// Only a pause that held a running ride is resumed. A pause with no ride
// running (none started yet, or the last one stopped) holds no ride time or
// roll count: the Start after it begins a new ride, timed from now.
TEST_F(RideTest, StartAfterAPauseThatHeldNoRideBeginsANewRide) {
    const struct {
        const char* what;
        bool ride_before;
        bool stopped;
        bool resumed;
    } cases[] = {
        {"nothing started", false, false, false},
        {"a ride stopped", true, true, false},
        {"a running ride", true, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        d.SetConnected(false);
        d.SetConnected(true);
        if (c.ride_before) {
            d.Start();
            d.TotalRollCount = 40;
            clock.Advance(5000);
        }
        if (c.stopped) d.Stop();
        d.Pause();
        d.Pause();  // a repeated pause holds what the first one held
        clock.Advance(10000);
        log.Clear();
        d.Start();
        ASSERT_EQ(d.Status(), device::qsRunning);
        if (c.resumed) {
            EXPECT_EQ(log.events, (std::vector<std::string>{"BeforeStart", "Status(3->2)"}));
            EXPECT_EQ(platform::GetTickCount() - d.StartTick, 5000u);
            EXPECT_EQ(d.TotalRollCount, 40);
        } else {
            EXPECT_EQ(log.events, (std::vector<std::string>{"BeforeStart", "Status(4->2)"}));
            EXPECT_EQ(d.StartTick, platform::GetTickCount());
            EXPECT_EQ(d.TimerStats()->ElapsedTime(), 0u);
            EXPECT_EQ(d.TotalRollCount, 0);
        }
        d.Stop();
    }
}

TEST_F(RideTest, PauseTakesEffectBeforeItsEventAndStopsTheBrake) {
    BarePty pty;
    d.SetComPortPort(pty.SlaveName());
    d.Port()->Open();
    d.Start();
    log.Clear();
    d.OnBeforePause = [&](platform::TObject*) {
        log.events.push_back("BeforePause");
        EXPECT_EQ(d.Status(), device::qsPaused);
    };
    d.Pause();
    EXPECT_EQ(log.events, (std::vector<std::string>{"Status(2->3)", "BeforePause"}));
    EXPECT_EQ(pty.ReadFor(100), Bytes({0xF0, 0x01, 0x00, 0x00, 0x00, 0xF7}));
}

TEST_F(RideTest, OnBeforeStopCanRefuseTheStop) {
    d.Start();
    log.Clear();
    d.OnBeforeStop = [&](platform::TObject* sender, bool& can_continue) {
        EXPECT_EQ(sender, &d);
        EXPECT_TRUE(can_continue);
        can_continue = false;
    };
    d.Stop();
    EXPECT_EQ(d.Status(), device::qsRunning);
    EXPECT_TRUE(d.TimerStats()->Enabled());
    EXPECT_TRUE(log.events.empty());
    EXPECT_TRUE(static_cast<bool>(d.ConnectionSurveyTimer()->OnTimer));
}

TEST_F(RideTest, StopFromConnectedZeroesTheSpeedsAndResetsTheBrake) {
    d.SetInitialResistance(20);
    d.SetQuarixResistance(90);
    d.SetQuarixElevation(30);
    d.Speed = 21;
    d.MeanSpeed = 20;
    d.ShortMeanSpeed = 19;
    log.Clear();
    d.Stop();
    EXPECT_EQ(log.events, (std::vector<std::string>{"BeforeStop", "Status(1->4)", "AfterStop"}));
    EXPECT_EQ(d.Speed, 0);
    EXPECT_EQ(d.MeanSpeed, 0);
    EXPECT_EQ(d.ShortMeanSpeed, 0);
    EXPECT_EQ(d.QuarixResistance(), 20);
    EXPECT_EQ(d.QuarixElevation(), 0);
}

TEST_F(RideTest, StopDetachesTheSurveyTickWhileItsHandlersRunAndPutsItBack) {
    bool attached_during_stop = true;
    d.OnAfterStop = [&](platform::TObject*) {
        attached_during_stop = static_cast<bool>(d.ConnectionSurveyTimer()->OnTimer);
        throw std::runtime_error("handler failed");
    };
    EXPECT_THROW(d.Stop(), std::runtime_error);
    EXPECT_FALSE(attached_during_stop);
    EXPECT_TRUE(static_cast<bool>(d.ConnectionSurveyTimer()->OnTimer));
    d.OnAfterStop = nullptr;  // the handler's flag dies with this test body
}

TEST_F(RideTest, DisconnectingFromConnectedStopsThenDisconnects) {
    d.SetConnected(false);
    EXPECT_EQ(log.events, (std::vector<std::string>{"Status(1->4)", "AfterStop", "Status(4->0)", "Disconnected"}));
}

// SetStatus resets the speeds and the brake for the status its handler
// leaves, not for the one it was asked for.
TEST_F(RideTest, SetStatusActsOnTheStatusAHandlerLeaves) {
    using device::TQuarixDeviceStatus;
    const struct {
        TQuarixDeviceStatus asked, moved_to;
        bool reset;
    } cases[] = {
        {device::qsPaused, device::qsStopped, true},     // the handler's own SetStatus resets too
        {device::qsStopped, device::qsRunning, false},   // asked for a stop, left running
        {device::qsDisconnected, device::qsPaused, false},
        {device::qsRunning, device::qsDisconnected, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "asked " << int(c.asked) << ", moved to " << int(c.moved_to));
        d.OnQuarixDeviceStatusChanged = nullptr;
        d.SetStatus(device::qsConnected);
        d.SetInitialResistance(20);
        d.Speed = 12;
        d.MeanSpeed = 11;
        d.ShortMeanSpeed = 10;
        d.VirtualSpeed = 3;
        d.SetQuarixResistance(90);
        d.SetQuarixElevation(30);
        std::vector<std::string> seen;
        d.OnQuarixDeviceStatusChanged = [&](platform::TObject*, device::TQuarixDeviceStatus,
                                            device::TQuarixDeviceStatus n) {
            seen.push_back(platform::Format("Status(->%d)", n));
            if (n == c.asked) d.SetStatus(c.moved_to);
        };
        d.SetStatus(c.asked);
        EXPECT_EQ(d.Status(), c.moved_to);
        EXPECT_EQ(seen, (std::vector<std::string>{platform::Format("Status(->%d)", c.asked),
                                                  platform::Format("Status(->%d)", c.moved_to)}));
        EXPECT_EQ(d.Speed, c.reset ? 0 : 12);
        EXPECT_EQ(d.MeanSpeed, c.reset ? 0 : 11);
        EXPECT_EQ(d.ShortMeanSpeed, c.reset ? 0 : 10);
        EXPECT_EQ(d.VirtualSpeed, c.reset ? 0.0 : 3.0);
        EXPECT_EQ(d.QuarixResistance(), c.reset ? 20 : 90);
        EXPECT_EQ(d.QuarixElevation(), c.reset ? 0 : 30);
    }
    d.OnQuarixDeviceStatusChanged = nullptr;

    log.Attach(d);
    d.SetStatus(device::qsStopped);
    log.Clear();
    d.SetStatus(device::qsStopped);  // unchanged: nothing
    EXPECT_TRUE(log.events.empty());
}

// A line lost during a ride goes straight from running to disconnected, with
// no Stop on the way: the status change itself brings the brake back.
TEST_F(RideTest, LosingTheLineDuringARideResetsTheSpeedsAndTheBrake) {
    d.SetInitialResistance(20);
    d.SetVirtualSpeedEnabled(true);
    d.Start();
    d.Speed = 21;
    d.MeanSpeed = 20;
    d.ShortMeanSpeed = 19;
    d.VirtualSpeed = 4;
    d.VirtualDistancePerSecond = 0.001;
    d.SetQuarixResistance(90);
    d.SetQuarixElevation(30);
    log.Clear();
    d.SetConnected(false);
    EXPECT_EQ(log.events, (std::vector<std::string>{"Status(2->0)", "Disconnected"}));
    EXPECT_EQ(d.Speed, 0);
    EXPECT_EQ(d.MeanSpeed, 0);
    EXPECT_EQ(d.ShortMeanSpeed, 0);
    EXPECT_EQ(d.VirtualSpeed, 0.0);
    EXPECT_EQ(d.VirtualDistancePerSecond, 0.0);
    EXPECT_EQ(d.QuarixResistance(), 20);
    EXPECT_EQ(d.QuarixElevation(), 0);
}
