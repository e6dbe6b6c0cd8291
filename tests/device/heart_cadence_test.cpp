// SPDX-License-Identifier: GPL-3.0-or-later
// Heart rate and cadence: the two heart filters, pulse timing, cadence
// samples, the heart-signal survey and the heart-rate alarm.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/control_device.h"
#include "platform/tick_count.h"

namespace {

using control_test::ControlDevice;
using namespace device;

constexpr uint32_t kStart = 500'000;

TEST(HeartFilter, AverageAppearsOnlyOnceTheWindowIsFull) {
    struct Case {
        double version;
        int32_t expected;  // mean of 60..84 is 72
        bool counted;
    };
    const Case cases[] = {{4, 71, false}, {3, 71, false}, {4.5, 72, true}, {5, 72, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        ControlDevice dev;
        dev.SetVersion(c.version);
        ASSERT_EQ(dev.HeartArray.size(), 25u);
        for (int i = 0; i < 24; ++i) ASSERT_EQ(dev.FilterHeartRate(60 + i), 0) << "reading " << i;
        EXPECT_EQ(dev.HeartCount, 0);
        EXPECT_EQ(dev.FilterHeartRate(84), c.expected);
        EXPECT_EQ(dev.HeartCount, c.counted ? 1 : 0);
        EXPECT_EQ(dev.HeartSum, c.counted ? 72 : 0);
        // The window slides: 60 leaves, 110 comes in (sum 1850 -> 74).
        EXPECT_EQ(dev.FilterHeartRate(110), c.expected + 2);
    }
}

TEST(HeartFilter, MeanIsRoundedHalfToEven) {
    ControlDevice dev;
    dev.SetVersion(5);
    dev.SetHeartArrayLength(2);
    dev.FilterHeartRate(70);
    EXPECT_EQ(dev.FilterHeartRate(71), 70);  // 70.5
    EXPECT_EQ(dev.FilterHeartRate(72), 72);  // 71.5
}

// Runs readings through the second filter the way the decoder does: the
// result becomes HeartRate.
std::vector<int32_t> Filter2(ControlDevice& dev, const std::vector<double>& readings) {
    std::vector<int32_t> out;
    for (double bpm : readings) {
        dev.HeartRate = dev.FilterHeartRate2(bpm);
        out.push_back(dev.HeartRate);
    }
    return out;
}

TEST(HeartFilter2, JumpsAreRejectedUntilTheyPersist) {
    struct Case {
        const char* name;
        std::vector<double> readings;
        std::vector<int32_t> results;
    };
    const Case cases[] = {
        {"history fills, a single jump is rejected, the next close reading is taken",
         {70, 72, 71, 140, 75}, {0, 0, 0, 0, 75}},
        {"a rejected reading returns the rate held before the last accepted one",
         {70, 72, 71, 75, 76, 150, 77}, {0, 0, 0, 75, 76, 75, 77}},
        {"a jump of exactly the limit is accepted", {70, 72, 71, 131, 71}, {0, 0, 0, 131, 71}},
        {"the third jump the same way in a row is believed", {70, 72, 71, 75, 150, 151, 149, 150},
         {0, 0, 0, 75, 0, 0, 149, 150}},
        {"drops likewise", {150, 152, 151, 150, 80, 81, 79}, {0, 0, 0, 150, 0, 0, 79}},
        {"jumps that change direction are never believed", {70, 72, 71, 75, 150, 10, 150, 10, 150},
         {0, 0, 0, 75, 0, 0, 0, 0, 0}},
        {"an accepted reading ends a run of jumps", {70, 72, 71, 75, 150, 151, 80, 150, 151},
         {0, 0, 0, 75, 0, 0, 80, 0, 0}},
        {"jumps already in the history make the next one in that direction credible",
         {70, 140, 210, 280}, {0, 0, 0, 280}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ControlDevice dev;
        dev.SetVersion(5);
        dev.SetHeartArrayLength(1);
        dev.ResetHeartState();
        EXPECT_EQ(Filter2(dev, c.readings), c.results);
    }
}

TEST(HeartFilter2, AcceptedReadingsFeedTheMovingAverageAndAreCountedAbove4) {
    for (double version : {4.0, 5.0}) {
        SCOPED_TRACE(version);
        ControlDevice dev;
        dev.SetVersion(version);
        dev.SetHeartArrayLength(3);
        Filter2(dev, {70, 72, 71});
        EXPECT_EQ(Filter2(dev, {80, 81}), (std::vector<int32_t>{0, 0})) << "window not yet full";
        EXPECT_EQ(Filter2(dev, {82}), std::vector<int32_t>{81}) << "no correction of one beat";
        EXPECT_EQ(dev.HeartCount, version > 4 ? 1 : 0);
        EXPECT_EQ(dev.HeartSum, version > 4 ? 81 : 0);
    }
}

// Heart pulses of the pulse protocols on the fake clock.
class HeartBeats : public ::testing::Test {
protected:
    void SetUp() override {
        dev.SetHeartArrayLength(1);
        dev.ResetHeartState();
        dev.OnInstantHeart = [this](platform::TObject* sender, const std::string& text) {
            EXPECT_EQ(sender, &dev);
            instant.push_back(text);
        };
    }
    void PulseAt(uint32_t at) {
        clock.Set(kStart + at);
        dev.CountHeartBeat();
    }

    platform::ScopedTickCountOverride clock{kStart};
    ControlDevice dev;
    std::vector<std::string> instant;
};

TEST_F(HeartBeats, FirstPulseOnlyStartsTheTiming) {
    PulseAt(0);
    EXPECT_TRUE(dev.BeatTimingStarted);
    EXPECT_EQ(dev.HeartRate, 0);
    EXPECT_EQ(dev.HeartCount, 0);
    EXPECT_EQ(instant, std::vector<std::string>{"0\t0\t"});
}

TEST_F(HeartBeats, PulseIntervalsBecomeTheHeartRate) {
    struct Case {
        uint32_t interval;
        int32_t window;
        const char* text;
        int32_t heart_rate;
        int32_t beat_interval;
    };
    const Case cases[] = {
        {1000, 1, "1000\t0\t", 59, 1000},  // 60 bpm, one beat less below 4.5
        {800, 1, "800\t0\t", 74, 800},
        {400, 1, "400\t0\t", 149, 400},
        // 240 bpm is beyond belief: held at 230 and the timing restarts, so
        // the instant text already reports the restarted (empty) interval.
        {250, 1, "0\t0\t", 230, 0},
        // Closer pulses are timed as 240 ms (the unfilled window gives 0).
        {200, 25, "240\t0\t", 0, 240},
        {50, 25, "240\t0\t", 0, 240},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.interval);
        ControlDevice d;
        d.SetHeartArrayLength(c.window);
        d.ResetHeartState();
        std::string text;
        d.OnInstantHeart = [&](platform::TObject*, const std::string& t) { text = t; };
        clock.Set(kStart);
        d.CountHeartBeat();
        clock.Set(kStart + c.interval);
        d.CountHeartBeat();
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(d.HeartRate, c.heart_rate);
        EXPECT_EQ(d.HeartSum, c.heart_rate);
        EXPECT_EQ(d.HeartCount, c.heart_rate > 0 ? 1 : 0);
        EXPECT_EQ(d.BeatInterval, c.beat_interval);
        EXPECT_EQ(d.BeatTimingStarted, c.beat_interval != 0);
    }
}

TEST_F(HeartBeats, SecondFilterIsUsedWhenActive) {
    dev.SetHrFilter2Active(true);
    for (uint32_t t : {0u, 1000u, 2000u, 3000u}) PulseAt(t);
    EXPECT_EQ(dev.HeartRate, 0) << "three readings fill the history";
    PulseAt(4000);
    EXPECT_EQ(dev.HeartRate, 60);
    EXPECT_EQ(dev.HeartSum, 60);
}

TEST_F(HeartBeats, ARateBelowZeroIsHeldAtZeroAndRestartsTheTiming) {
    dev.SetHeartArrayLength(2);
    dev.ResetHeartState();
    PulseAt(0);
    PulseAt(60'000);   // 1 bpm: the window is not full yet
    PulseAt(260'000);  // 0 bpm: mean 0.5 rounds to 0, one beat less is -1
    EXPECT_EQ(dev.HeartRate, 0);
    EXPECT_FALSE(dev.BeatTimingStarted);
    EXPECT_EQ(dev.HeartCount, 0);
}

TEST_F(HeartBeats, NothingHappensWhileTheDeviceIsDestroyed) {
    dev.Destroying();
    PulseAt(0);
    EXPECT_FALSE(dev.BeatTimingStarted);
    EXPECT_TRUE(instant.empty());
}

class CadencePulses : public ::testing::Test {
protected:
    platform::ScopedTickCountOverride clock{kStart};
    ControlDevice dev;
};

TEST_F(CadencePulses, PulsesCloserThan300msAreIgnoredOnThePulseProtocols) {
    struct Case {
        uint32_t gap;
        int32_t cadence;
        int32_t total;
    };
    const Case cases[] = {{250, 0, 0}, {299, 0, 0}, {300, 200, 1}, {500, 120, 1}, {1000, 60, 1}, {700, 86, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.gap);
        ControlDevice d;
        d.SetCadenceArrayLength(1);
        d.CadenceLastTick = clock.Now();
        clock.Advance(c.gap);
        d.AddCadence(1);
        EXPECT_EQ(d.Cadence, c.cadence);
        EXPECT_EQ(d.CadenceTotal, c.total);
        EXPECT_EQ(d.CadenceLastTick, c.total ? clock.Now() : clock.Now() - c.gap);
    }
}

TEST_F(CadencePulses, AnIgnoredPulseDoesNotMoveTheReference) {
    dev.SetCadenceArrayLength(1);
    dev.CadenceLastTick = clock.Now();
    clock.Advance(250);
    dev.AddCadence(1);
    clock.Advance(250);
    dev.AddCadence(1);  // 500 ms after the last accepted pulse
    EXPECT_EQ(dev.Cadence, 120);
}

TEST_F(CadencePulses, PeriodProtocolsTakeTheValueAsItIsAndAverageAFullWindow) {
    dev.SetVersion(5);
    ASSERT_EQ(dev.CadenceArray.size(), 10u);
    for (int i = 0; i < 9; ++i) {
        dev.AddCadence(90 + i);
        ASSERT_EQ(dev.Cadence, 0) << "window not full after " << i + 1;
    }
    dev.AddCadence(95);  // 90..98 and 95: 941 / 10
    EXPECT_EQ(dev.Cadence, 94);
    EXPECT_EQ(dev.CadenceTotal, 941);
    dev.AddCadence(100);  // at the same instant: no pulse floor here; 90 leaves
    EXPECT_EQ(dev.Cadence, 95);
    EXPECT_EQ(dev.CadenceTotal, 1041);
}

// ---------------------------------------------------------------------------
// Heart-signal survey
// ---------------------------------------------------------------------------

TEST(HeartSurvey, SignalSeenActivatesSilenceDeactivatesAndIsReportedEachTime) {
    ControlDevice dev;
    int lost = 0;
    dev.OnHeartConnectionLost = [&](platform::TObject* sender) {
        EXPECT_EQ(sender, &dev);
        ++lost;
    };
    dev.HeartSeen = true;
    dev.HeartSurveyTick(dev.HeartSurveyTimer());
    EXPECT_TRUE(dev.HeartConnectionActive());
    EXPECT_FALSE(dev.HeartSeen);
    EXPECT_EQ(lost, 0);

    dev.HeartRate = 120;
    dev.AverageHeartRate = 110;
    dev.BeatTimingStarted = true;
    dev.HistoryPending1 = dev.HistoryPending2 = dev.HistoryPending3 = false;
    dev.HeartSurveyTick(dev.HeartSurveyTimer());
    EXPECT_FALSE(dev.HeartConnectionActive());
    EXPECT_EQ(dev.HeartRate, 0);
    EXPECT_EQ(dev.AverageHeartRate, 0);
    EXPECT_FALSE(dev.BeatTimingStarted);
    EXPECT_TRUE(dev.HistoryPending1 && dev.HistoryPending2 && dev.HistoryPending3);
    EXPECT_EQ(lost, 1);

    dev.HeartSurveyTick(dev.HeartSurveyTimer());
    EXPECT_EQ(lost, 2) << "reported again while the channel stays silent";

    dev.Destroying();
    dev.HeartSurveyTick(dev.HeartSurveyTimer());
    EXPECT_EQ(lost, 2);
}

TEST(HeartSurvey, ConnectionActiveSetterZeroesTheRateOnlyWhenItGoesOff) {
    ControlDevice dev;
    dev.HeartRate = 120;
    dev.AverageHeartRate = 110;
    dev.SetHeartConnectionActive(true);
    EXPECT_EQ(dev.HeartRate, 120);
    dev.SetHeartConnectionActive(true);
    dev.SetHeartConnectionActive(false);
    EXPECT_EQ(dev.HeartRate, 0);
    EXPECT_EQ(dev.AverageHeartRate, 0);
    dev.HeartRate = 90;
    dev.SetHeartConnectionActive(false);  // unchanged: nothing happens
    EXPECT_EQ(dev.HeartRate, 90);
}

TEST(HeartSurvey, ResetKeepsTheWindowContentsAtTheConfiguredLength) {
    ControlDevice dev;
    dev.SetVersion(5);
    dev.SetHeartArrayLength(2);
    dev.FilterHeartRate(70);
    dev.FilterHeartRate(80);
    dev.HeartJumpLimit = 5;
    dev.ResetHeartState();
    EXPECT_EQ(dev.HeartArray, (std::vector<double>{70, 80}));
    EXPECT_EQ(dev.HeartJumpLimit, 60);
    EXPECT_EQ(dev.BeatInterval, 0);
}

// ---------------------------------------------------------------------------
// Heart-rate alarm
// ---------------------------------------------------------------------------

struct AlarmCase {
    int32_t heart_rate;
    bool handler_stops;  // what the handler leaves in doStop
    bool raised;
    int32_t percent_delta;
    bool higher;
    bool stopped;
    bool released_before_event;
};

TEST(HeartAlarm, LimitsRaiseTheAlarmAndMayStopTheRide) {
    const AlarmCase cases[] = {
        {170, true, true, 6, true, true, false},     // Round(6.25)
        {170, false, true, 6, true, false, false},   // the handler lets the ride go on
        {225, false, true, 41, true, false, true},   // beyond the absolute limit: released, never stopped
        {225, true, true, 41, true, false, true},
        {40, true, true, 20, false, true, false},
        {40, false, true, 20, false, false, false},
        {160, true, true, 0, true, true, false},     // the limits themselves are outside
        {50, true, true, 0, false, true, false},
        {100, true, false, 0, false, false, false},
        {220, false, true, 38, true, false, false},  // at the absolute limit: still asked (Round(37.5))
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.heart_rate << (c.handler_stops ? " stop" : " go on"));
        ControlDevice dev;
        dev.SetSimulationMode(true);
        dev.Start();
        ASSERT_EQ(dev.Status(), qsRunning);
        dev.SetSecurityActive(false);
        dev.SetQuarixResistance(100);
        dev.SetQuarixElevation(30);
        int raised = 0;
        dev.OnAlarmHeart = [&](platform::TObject* sender, int32_t percent, bool higher, bool aborted,
                               bool& do_stop) {
            ++raised;
            EXPECT_EQ(sender, &dev);
            EXPECT_EQ(percent, c.percent_delta);
            EXPECT_EQ(higher, c.higher);
            EXPECT_FALSE(aborted);
            EXPECT_TRUE(do_stop);
            EXPECT_EQ(dev.QuarixResistance() == 0 && dev.QuarixElevation() == 0, c.released_before_event);
            do_stop = c.handler_stops;
        };
        dev.HeartRate = c.heart_rate;
        dev.CheckHeartAlarm();
        EXPECT_EQ(raised, c.raised ? 1 : 0);
        EXPECT_EQ(dev.Status(), c.stopped ? qsStopped : qsRunning);
        const bool released = c.stopped || c.released_before_event;
        EXPECT_EQ(dev.QuarixResistance(), released ? 0 : 100);
        EXPECT_EQ(dev.QuarixElevation(), released ? 0 : 30);
    }
}

TEST(HeartAlarm, WithoutAPositiveLowLimitThePercentageIsZero) {
    for (int32_t low : {0, -10}) {
        SCOPED_TRACE(low);
        ControlDevice dev;
        dev.SetAlarmHeartLowLimit(low);
        std::vector<int32_t> percents;
        dev.OnAlarmHeart = [&](platform::TObject*, int32_t percent, bool, bool, bool& do_stop) {
            percents.push_back(percent);
            do_stop = false;
        };
        for (int32_t hr : {170, -20}) {
            dev.HeartRate = hr;
            dev.CheckHeartAlarm();
        }
        EXPECT_EQ(percents, (std::vector<int32_t>{0, 0}));
    }
}

TEST(HeartAlarm, AZeroHighLimitGivesZeroPercentInsteadOfDividing) {
    ControlDevice dev;
    dev.SetAlarmHeartHighLimit(0);
    int32_t seen = -1;
    dev.OnAlarmHeart = [&](platform::TObject*, int32_t percent, bool higher, bool, bool& do_stop) {
        seen = percent;
        EXPECT_TRUE(higher);
        do_stop = false;
    };
    dev.HeartRate = 90;
    dev.CheckHeartAlarm();
    EXPECT_EQ(seen, 0);
}

TEST(HeartAlarm, StatisticsStepDropsAVanishingSignalBeforeCheckingTheLimits) {
    struct Case {
        bool heart_enabled;
        int32_t heart_rate;
        bool still_active;
        int alarms;
        int32_t percent_delta;
        int32_t heart_rate_after;
    };
    const Case cases[] = {
        {true, 30, false, 0, 0, 0},    // below 35: no signal, so no alarm
        {true, 35, true, 1, 30, 35},   // a low alarm: Round(15 / 50 * 100)
        {true, 40, true, 1, 20, 40},
        {true, 120, true, 0, 0, 120},
        {false, 170, false, 0, 0, 0},  // heart off: the rate is cleared, never checked
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.heart_rate);
        ControlDevice dev;
        dev.SetHeartEnabled(c.heart_enabled);
        ASSERT_EQ(dev.HeartConnectionActive(), c.heart_enabled);
        int alarms = 0;
        dev.OnAlarmHeart = [&](platform::TObject*, int32_t percent, bool, bool, bool& do_stop) {
            ++alarms;
            EXPECT_EQ(percent, c.percent_delta);
            do_stop = false;
        };
        dev.HeartRate = c.heart_rate;
        dev.AverageHeartRate = 99;
        dev.StatsTimerTick(dev.TimerStats());
        EXPECT_EQ(dev.HeartConnectionActive(), c.still_active);
        EXPECT_EQ(alarms, c.alarms);
        EXPECT_EQ(dev.HeartRate, c.heart_rate_after);
        if (!c.still_active) {
            EXPECT_EQ(dev.AverageHeartRate, 0);
        }
    }
}

TEST(HeartAlarm, AverageHeartRateIsUpdatedByEveryCheck) {
    ControlDevice dev;
    dev.HeartRate = 100;  // no alarm
    dev.HeartSum = 250;
    dev.HeartCount = 4;
    dev.CheckHeartAlarm();
    EXPECT_EQ(dev.AverageHeartRate, 62);  // 62.5
    dev.HeartSum = 0;
    dev.AverageHeartRate = 7;
    dev.CheckHeartAlarm();
    EXPECT_EQ(dev.AverageHeartRate, 7);
}

}  // namespace
