// SPDX-License-Identifier: GPL-3.0-or-later
// Version and framing, Connected, identification, the survey tick and its
// repairs, and the survey switches.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

#include "device_test_support.h"
#include "device/quarix_protocol.h"
#include "platform/exceptions.h"
#include "platform/message_loop.h"
#include "platform/tick_count.h"
#include "test_support.h"

using device::TQuarixDevice;
using device_test::BarePty;
using device_test::Bytes;
using device_test::EventLog;
using device_test::RecordingDevice;

namespace {

const std::string kIdentificationRequest = Bytes({0xF0, 0x08, 0x28, 0x00, 0x00, 0xF7});

size_t Count(const std::string& haystack, const std::string& needle) {
    size_t n = 0;
    for (size_t at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at + 1)) ++n;
    return n;
}

}  // namespace

TEST(DeviceVersion, NormalisesTheValueAndConfiguresItsGeneration) {
    enum Framing { kByte, kShort, kLong };
    const struct {
        double written, version;
        Framing framing;
        long double rounds, diameter;
    } cases[] = {
        {0, 4, kShort, 0.5L, 39.5L},   {-1, 4, kShort, 0.5L, 39.5L},  {NAN, 4, kShort, 0.5L, 39.5L},
        {3.5, 4, kShort, 0.5L, 39.5L}, {4, 4, kShort, 0.5L, 39.5L},   {3, 3, kByte, 2, 30},
        {2, 2, kByte, 2, 30},          {1, 1, kByte, 2, 40},          {0.4, 0.4, kByte, 2, 39.5L},
        {4.5, 4.5, kLong, 1, 39.5L},   {5, 5, kLong, 1, 45},          {5.5, 5.5, kLong, 0.5L, 30},
        {6, 6, kLong, 1, 40},          {7, 7, kLong, 1, 30},          {8, 8, kLong, 0.5L, 30},
        {9, 9, kLong, 1, 39.5L},  // an unknown long-frame version keeps the roll constants
    };
    for (const auto& c : cases) {
        TQuarixDevice d;
        int changes = 0;
        d.OnVersionChange = [&](platform::TObject*) { ++changes; };
        d.SetVersion(c.written);
        SCOPED_TRACE(c.written);
        EXPECT_EQ(d.Version(), c.version);
        EXPECT_EQ(changes, 1);
        EXPECT_EQ(d.NumberOfRoundPerRollEvent(), c.rounds);
        EXPECT_EQ(d.RollDiameter(), c.diameter);
        switch (c.framing) {
            case kByte:
                EXPECT_EQ(d.Framer()->ComPort(), nullptr);
                break;
            case kShort:
                EXPECT_EQ(d.Framer()->ComPort(), d.Port());
                EXPECT_EQ(d.PacketLength, 6);
                EXPECT_EQ(d.Framer()->Size(), 6);
                EXPECT_EQ(d.Framer()->StartString(), Bytes({0xF0}));
                EXPECT_EQ(d.Framer()->StopString(), Bytes({0xF7}));
                EXPECT_EQ(d.ConnectionSurveyTimer()->Interval(), 400u);
                break;
            case kLong:
                EXPECT_EQ(d.Framer()->ComPort(), d.Port());
                EXPECT_EQ(d.PacketLength, 10);
                EXPECT_EQ(d.Framer()->Size(), 10);
                EXPECT_EQ(d.Framer()->StartString(), "");
                EXPECT_EQ(d.Framer()->StopString(), "");
                EXPECT_TRUE(d.MaintainsConsoleActive());
                EXPECT_EQ(d.ConnectionSurveyTimer()->Interval(), 3000u);
                EXPECT_EQ(d.ConnectionSurveyInterval(), 400);  // the stored value is kept
                break;
        }
    }
}

TEST(DeviceVersion, EveryWriteRunsAllStepsAndTheShortFramerKeepsAnEmptyStart) {
    TQuarixDevice d;
    int changes = 0;
    d.OnVersionChange = [&](platform::TObject*) { ++changes; };
    d.SetVersion(4);
    d.SetVersion(4);
    EXPECT_EQ(changes, 2);
    d.SetVersion(5);
    d.SetVersion(4);
    EXPECT_EQ(d.Framer()->StartString(), "");  // unchanged since the long frames
    EXPECT_EQ(d.Framer()->StopString(), Bytes({0xF7}));
    EXPECT_EQ(d.Framer()->Size(), 6);
    d.SetVersion(3);
    d.SetVersion(4);
    EXPECT_EQ(d.Framer()->ComPort(), d.Port());
}

TEST(DeviceSettings, SurveyIntervalAndReopenDelayAreClamped) {
    TQuarixDevice d;
    const struct {
        int32_t written, stored;
    } intervals[] = {{100, 400}, {5000, 3000}, {1000, 1000}, {400, 400}, {3000, 3000}};
    for (const auto& c : intervals) {
        d.SetConnectionSurveyInterval(c.written);
        EXPECT_EQ(d.ConnectionSurveyInterval(), c.stored);
        EXPECT_EQ(d.ConnectionSurveyTimer()->Interval(), static_cast<uint32_t>(c.stored));
    }
    d.SetVersion(5);
    d.SetConnectionSurveyInterval(1000);
    EXPECT_EQ(d.ConnectionSurveyInterval(), 3000);  // stored value untouched above Version 4
    EXPECT_EQ(d.ConnectionSurveyTimer()->Interval(), 3000u);
    d.SetVersion(4);
    EXPECT_EQ(d.ConnectionSurveyTimer()->Interval(), 3000u);

    const struct {
        int32_t written, stored;
    } delays[] = {{100, 300}, {2500, 2000}, {700, 700}};
    for (const auto& c : delays) {
        d.SetDisconDelayBetweenCloseOpenPort(c.written);
        EXPECT_EQ(d.DisconDelayBetweenCloseOpenPort(), c.stored);
    }
}

TEST(DeviceConnected, ConnectingAndDisconnectingRunTheirStepsInOrder) {
    EventLog log;  // outlives the device, whose teardown raises events
    RecordingDevice d;
    log.Attach(d);
    d.SerialNumber = 5;
    d.ReceivedEventCount = 9;
    d.NoDataSinceSurvey = true;
    d.SetConnected(true);
    EXPECT_EQ(log.events, (std::vector<std::string>{"Status(0->1)", "Connected"}));
    EXPECT_EQ(d.ReceivedEventCount, 0);
    EXPECT_FALSE(d.NoDataSinceSurvey);
    EXPECT_TRUE(d.ConnectionSurveyTimer()->Enabled());
    EXPECT_FALSE(d.HeartSurveyTimer()->Enabled());

    log.Clear();
    d.SetConnected(true);
    EXPECT_TRUE(log.events.empty());

    d.SetConnected(false);
    // Not running: the ride is stopped (no OnBeforeStop: no longer connected).
    EXPECT_EQ(log.events, (std::vector<std::string>{"Status(1->4)", "AfterStop", "Status(4->0)", "Disconnected"}));
    EXPECT_EQ(d.SerialNumber, 0);
    EXPECT_TRUE(d.NoDataSinceSurvey);
    EXPECT_FALSE(d.ConnectionSurveyTimer()->Enabled());
    d.Disconnect();
    EXPECT_EQ(log.events.size(), 4u);
}

// A line lost during a ride holds the ride as paused: the statistics step
// stops, the figures stay.
TEST(DeviceConnected, ALineLostDuringARideStopsTheStatisticsAndKeepsTheFigures) {
    platform::ScopedTickCountOverride clock(5000);
    EventLog log;
    RecordingDevice d;
    d.SetConnectionSurvey(false);
    d.SetConnected(true);
    d.Start();
    ASSERT_TRUE(d.TimerStats()->Enabled());
    d.TotalRollCount = 120;
    d.Distance = 7.5L;
    clock.Advance(3000);
    log.Attach(d);

    d.SetConnected(false);

    EXPECT_FALSE(d.TimerStats()->Enabled());
    EXPECT_EQ(d.Status(), device::qsDisconnected);
    EXPECT_EQ(log.events, (std::vector<std::string>{"Status(2->0)", "Disconnected"}));
    EXPECT_EQ(d.TotalRollCount, 120);
    EXPECT_EQ(d.PausedRollCount, 120);
    EXPECT_EQ(d.Distance, 7.5L);
    EXPECT_EQ(d.PauseTick, 8000u);
}

TEST(DeviceConnected, SimulationModeConnectsAndSilencesTheSurvey) {
    EventLog log;
    RecordingDevice d;
    d.SetConnectionSurvey(false);
    log.Attach(d);
    d.SetSimulationMode(true);
    EXPECT_TRUE(d.Connected());
    log.Clear();
    d.NoDataSinceSurvey = true;
    d.ConnectionSurveyTick(nullptr);
    EXPECT_TRUE(log.events.empty());
    EXPECT_EQ(d.RepairAttempts, 0);
    d.SetSimulationMode(false);
    EXPECT_FALSE(d.Connected());
}

TEST(DeviceSurveys, HeartAndConnectionSurveySwitches) {
    RecordingDevice d;
    d.SetHeartEnabled(true);
    EXPECT_TRUE(d.HeartConnectionSurvey());
    EXPECT_TRUE(d.HeartConnectionActive());
    EXPECT_FALSE(d.HeartSurveyTimer()->Enabled());  // not connected

    d.SetConnected(true);
    EXPECT_TRUE(d.HeartSurveyTimer()->Enabled());
    d.SetHeartConnectionSurvey(false);
    EXPECT_FALSE(d.HeartSurveyTimer()->Enabled());
    d.SetHeartConnectionSurvey(true);
    EXPECT_TRUE(d.HeartSurveyTimer()->Enabled());

    d.SetSurveysActive(false);
    EXPECT_FALSE(d.HeartSurveyTimer()->Enabled());
    EXPECT_FALSE(d.ConnectionSurveyTimer()->Enabled());
    d.SetSurveysActive(true);
    EXPECT_TRUE(d.HeartSurveyTimer()->Enabled());
    EXPECT_TRUE(d.ConnectionSurveyTimer()->Enabled());

    d.SetConnectionSurvey(false);
    EXPECT_FALSE(d.ConnectionSurveyTimer()->Enabled());
    d.SetConnected(false);
    d.SetConnectionSurvey(true);  // switched with the setting, connected or not
    EXPECT_TRUE(d.ConnectionSurveyTimer()->Enabled());
    d.SetSurveysActive(true);  // not connected: both off
    EXPECT_FALSE(d.ConnectionSurveyTimer()->Enabled());
}

TEST(DeviceErrors, ErrorTextKnowsTwelveCodes) {
    TQuarixDevice d;
    const struct {
        int32_t code;
        const char* text;
    } cases[] = {{100, "message discarded"},
                 {101, "message rejected"},
                 {102, "error com port"},
                 {520, "Heart connection lost"},
                 {611, "identification request sent"},
                 {612, "port opened"},
                 {613, "port closed"},
                 {614, "connection restablished"},
                 {700, "New disconnection"},
                 {710, "can't open the com port"},
                 {711, "repairing process aborted"},
                 {720, "connection lost, trying to reconnect"},
                 {0, "Error unknown"},
                 {-1, "Error unknown"},
                 {615, "Error unknown"}};
    for (const auto& c : cases) {
        std::string text;
        d.ErrorText(c.code, text);
        EXPECT_EQ(text, c.text) << c.code;
    }
}

// Identify returns at once: no wait (a wait moves the fake clock by its
// length), no framing change and nothing on the wire.
TEST(DeviceIdentify, DoesNothingOnAClosedPortOrWhileDisabled) {
    platform::ScopedTickCountOverride clock;
    const uint32_t start = clock.Now();
    TQuarixDevice d;
    d.SetVersion(5);
    EXPECT_FALSE(d.Identify(100));
    EXPECT_EQ(clock.Now(), start);
    EXPECT_EQ(d.PacketLength, 10);

    BarePty pty;
    d.SetComPortPort(pty.SlaveName());
    d.Port()->Open();
    d.SetEnabled(false);
    EXPECT_FALSE(d.Identify(100));
    EXPECT_EQ(clock.Now(), start);
    EXPECT_EQ(d.PacketLength, 10);
    EXPECT_EQ(pty.ReadFor(100), "");
}

TEST(DeviceIdentify, AnUnknownAnswerLeavesTheDeviceDisconnectedAfterThreeRequests) {
    TQuarixDevice d;
    BarePty pty;
    d.SetComPortPort(pty.SlaveName());
    d.Port()->Open();
    pty.Write(Bytes({0xF0, 0x08, 0x51, 0x00, 0x00, 0xF7}));
    EXPECT_FALSE(d.Identify(100));
    EXPECT_EQ(Count(pty.ReadFor(200), kIdentificationRequest), 3u);
}

TEST(DeviceIdentify, AnAnswerWaitingOnTheLineConnectsAfterOneRequest) {
    TQuarixDevice d;
    BarePty pty;
    d.SetComPortPort(pty.SlaveName());
    d.Port()->Open();
    pty.Write(Bytes({0xF0, 0x08, 0x50, 0x00, 0x00, 0xF7}));
    EXPECT_TRUE(d.Identify(100));
    EXPECT_EQ(d.Version(), 4);
    EXPECT_EQ(d.Status(), device::qsConnected);
    const std::string wire = pty.ReadFor(200);
    EXPECT_EQ(Count(wire, kIdentificationRequest), 1u);
    EXPECT_EQ(Count(wire, Bytes({0xF0, 0x03, 0x00, 0x00, 0x00, 0xF7})), 1u);
    EXPECT_EQ(Count(wire, Bytes({0xF0, 0x09, 0x00, 0x00, 0x00, 0xF7})), 1u);
}

TEST(DeviceIdentify, TheByteProtocolSendsTheSingleRequestByte) {
    TQuarixDevice d;
    d.SetVersion(3);
    BarePty pty;
    d.SetComPortPort(pty.SlaveName());
    d.Port()->Open();
    EXPECT_FALSE(d.Identify(20));
    EXPECT_EQ(pty.ReadFor(100), Bytes({0x28, 0x28, 0x28}));
}

// The answer of a long-frame console purges the input queue: what waits behind
// the answer is dropped, what arrives after it is decoded. A short-frame
// answer purges nothing. The bytes behind are put on the line while the answer
// is being decoded, so they are in the queue when the purge comes.
TEST(DeviceIdentify, AnAnswerPurgesTheInputQueueWhereItsGenerationSaysSo) {
    const struct {
        int code;
        double version;
        bool purged;
    } cases[] = {{0x50, 4, false}, {0x54, 5, true},   {0x55, 4.5, true}, {0x58, 6, true},
                 {0x5A, 5.5, true}, {0x5C, 7, true}, {0x5E, 8, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "answer " << std::hex << c.code);
        BarePty pty;
        TQuarixDevice d;
        d.SetConnectionSurvey(false);
        d.SetComPortPort(pty.SlaveName());
        d.Port()->Open();
        std::vector<device::TQuarixDeviceMessageType> messages;
        d.OnQuarixMessage = [&](platform::TObject*, device::TQuarixDeviceMessageType type, long double, long double,
                                long double, const std::string&) { messages.push_back(type); };

        const bool long_frames = c.version > 4;
        auto frame = [&](int type, int value) {
            return long_frames ? Bytes({0xF0, type, value, 0, 0, 0, 0, 0, 0, 0xF7})
                               : Bytes({0xF0, type, value, 0, 0, 0xF7});
        };
        const std::string behind = frame(0x09, 0x07);  // product version 7
        bool queued = false;
        d.OnVersionChange = [&](platform::TObject*) {
            if (queued) return;
            pty.Write(behind);
            queued = testing_support::WaitUntil(
                [&] { return d.Port()->PendingInputCount() >= static_cast<int32_t>(behind.size()); }, 5000);
        };
        pty.Write(Bytes({0xF0, 0x08, c.code, 0x00, 0x00, 0xF7}));
        ASSERT_TRUE(testing_support::WaitUntil([&] { return d.Connected(); }, 5000));
        EXPECT_EQ(d.Version(), c.version);
        ASSERT_TRUE(queued);

        // Once a frame sent after the answer is decoded, whatever was left
        // behind the answer has been decoded before it.
        pty.Write(frame(0x05, 0x00));
        ASSERT_TRUE(testing_support::WaitUntil(
            [&] { return std::find(messages.begin(), messages.end(), device::qmRawFrame) != messages.end(); },
            5000));
        EXPECT_EQ(d.ProductVersion, c.purged ? 0 : 7);
        EXPECT_EQ(std::count(messages.begin(), messages.end(), device::qmProductVersion), c.purged ? 0 : 1);
    }
}

// The search closes a port whose console did not answer in time. An answer
// that arrives just then is handed over by the event thread and served inside
// that Close; counted, it would make the next port probed look found.
TEST(DeviceIdentify, AnAnswerServedWhileItsPortClosesDoesNotCount) {
    struct Case {
        const char* name;
        double version;
        std::string answer;
    };
    const Case cases[] = {
        {"short frames", 4, Bytes({0xF0, 0x08, 0x50, 0x00, 0x00, 0xF7})},
        {"byte protocol", 3, Bytes({2 * device::IdentificationCode})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TQuarixDevice d;
        d.SetVersion(c.version);
        BarePty late;
        d.SetComPortPort(late.SlaveName());
        d.Port()->Open();
        late.Write(c.answer);
        // Handed over, not yet served.
        const double deadline = testing_support::NowMs() + 5000;
        while (platform::PendingMessageCount() == 0 && testing_support::NowMs() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        ASSERT_GT(platform::PendingMessageCount(), 0u);
        d.Port()->Close();
        EXPECT_FALSE(d.Connected());

        // The next port is silent: nothing is found there.
        BarePty silent;
        d.SetComPortPort(silent.SlaveName());
        d.Port()->Open();
        EXPECT_FALSE(d.Identify(50));
        d.Port()->Close();
    }
}

// ---------------------------------------------------------------------------
// The survey tick, run by hand with a fake clock so its waits take no time.
// ---------------------------------------------------------------------------
class SurveyTest : public ::testing::Test {
protected:
    void SetUp() override {
        d.record_send_resistance = false;
        d.SetConnectionSurvey(false);  // ticks are run by hand
        d.SetComPortPort(pty.SlaveName());
        d.Port()->Open();
        d.SetConnected(true);
        pty.ReadFor(50);  // the connection-time requests
        log.Attach(d);
    }

    // One silent survey interval.
    void SilentTick() {
        d.NoDataSinceSurvey = true;
        d.ConnectionSurveyTick(nullptr);
    }

    BarePty pty;
    EventLog log;  // outlives the device, whose teardown raises events
    RecordingDevice d;
};

TEST_F(SurveyTest, DataSinceTheLastTickMeansNoRepair) {
    d.NoDataSinceSurvey = false;
    d.ConnectionSurveyTick(nullptr);
    EXPECT_TRUE(log.events.empty());
    EXPECT_TRUE(d.NoDataSinceSurvey);
    EXPECT_TRUE(static_cast<bool>(d.ConnectionSurveyTimer()->OnTimer));
}

TEST_F(SurveyTest, ASilentShortFrameLineIsReopenedAndReidentified) {
    platform::ScopedTickCountOverride clock;
    d.OnRepairingConnection = [&](platform::TObject*) {
        log.events.push_back("RepairingConnection");
        // While a repair runs, the timer finds no tick to call.
        EXPECT_FALSE(static_cast<bool>(d.ConnectionSurveyTimer()->OnTimer));
        EXPECT_TRUE(d.Repairing);
    };
    SilentTick();
    EXPECT_EQ(log.events, (std::vector<std::string>{"RepairingConnection", "Error(2,720,1)", "Error(2,611,-1)",
                                                    "Error(3,614,-1)"}));
    EXPECT_TRUE(d.Connected());
    EXPECT_TRUE(d.Port()->Connected());
    EXPECT_EQ(d.RepairAttempts, 0);
    EXPECT_EQ(d.DisconnectionCount, 1);
    EXPECT_FALSE(d.Repairing);
    EXPECT_TRUE(d.NoDataSinceSurvey);
    EXPECT_TRUE(static_cast<bool>(d.ConnectionSurveyTimer()->OnTimer));
    EXPECT_EQ(Count(pty.ReadFor(100), kIdentificationRequest), 1u);

    // A console that stays silent is lost and restored on every tick.
    log.Clear();
    SilentTick();
    EXPECT_EQ(log.events, (std::vector<std::string>{"RepairingConnection", "Error(2,720,1)", "Error(2,611,-1)",
                                                    "Error(3,614,-1)"}));
    EXPECT_EQ(d.DisconnectionCount, 2);
}

TEST_F(SurveyTest, WithoutReopeningTheRequestGoesOutOnTheOpenPort) {
    platform::ScopedTickCountOverride clock;
    d.SetDisconUseCloseOpenPort(false);
    int closes = 0;
    d.OnComPortAfterClose = [&](platform::TObject*) { ++closes; };
    SilentTick();
    EXPECT_EQ(closes, 0);
    EXPECT_EQ(log.events.back(), "Error(3,614,-1)");
    EXPECT_EQ(Count(pty.ReadFor(100), kIdentificationRequest), 1u);
}

TEST_F(SurveyTest, AnUnpluggedShortFrameConsoleIsGivenUpAfterDisconMaxTry) {
    platform::ScopedTickCountOverride clock;
    d.SetDisconMaxTry(2);
    pty.Close();

    SilentTick();
    EXPECT_EQ(log.events, (std::vector<std::string>{"RepairingConnection", "Error(2,720,1)", "Error(2,710,-1)"}));
    EXPECT_EQ(d.RepairAttempts, 1);
    EXPECT_TRUE(d.Connected());

    log.Clear();
    SilentTick();
    EXPECT_EQ(log.events, (std::vector<std::string>{"Error(2,720,2)", "Error(2,710,-1)"}));

    log.Clear();
    SilentTick();
    EXPECT_EQ(log.events, (std::vector<std::string>{"Error(2,720,3)", "Error(2,711,2)", "Status(1->4)", "AfterStop",
                                                    "Status(4->0)", "Disconnected", "ConnectionLost"}));
    EXPECT_FALSE(d.Connected());
    EXPECT_FALSE(d.Repairing);
}

TEST_F(SurveyTest, ASilentLongFrameLineGetsTheRequestWithoutReopening) {
    platform::ScopedTickCountOverride clock;
    d.SetVersion(5);
    int closes = 0;
    d.OnComPortAfterClose = [&](platform::TObject*) { ++closes; };
    log.Clear();
    SilentTick();
    EXPECT_EQ(log.events, (std::vector<std::string>{"RepairingConnection", "Error(2,720,1)", "Error(3,614,-1)"}));
    EXPECT_EQ(closes, 0);
    EXPECT_EQ(Count(pty.ReadFor(100), kIdentificationRequest), 1u);
}

TEST_F(SurveyTest, AnUnpluggedLongFrameConsoleIsGivenUpAfterThreeClosedAttempts) {
    platform::ScopedTickCountOverride clock;
    d.SetVersion(5);
    log.Clear();
    pty.Close();

    SilentTick();
    EXPECT_EQ(log.events, (std::vector<std::string>{"RepairingConnection", "Error(2,720,1)", "Error(2,710,-1)"}));
    EXPECT_FALSE(d.Port()->Connected());
    log.Clear();
    SilentTick();
    EXPECT_EQ(log.events, (std::vector<std::string>{"Error(2,720,2)", "Error(2,710,-1)"}));
    log.Clear();
    SilentTick();
    EXPECT_EQ(log.events, (std::vector<std::string>{"Error(2,720,3)", "Error(2,710,-1)", "Error(2,711,3)",
                                                    "Status(1->4)", "AfterStop", "Status(4->0)", "Disconnected",
                                                    "ConnectionLost"}));
    EXPECT_FALSE(d.Connected());
}

// 611 says the request went out: a write that fails on a hung-up line is no
// request sent.
TEST_F(SurveyTest, QuickConnectReportsTheRequestOnlyWhenItWentOut) {
    platform::ScopedTickCountOverride clock;
    d.QuickConnectDevice(false);
    EXPECT_EQ(log.events, (std::vector<std::string>{"Error(2,611,-1)"}));
    EXPECT_EQ(Count(pty.ReadFor(100), kIdentificationRequest), 1u);

    log.Clear();
    pty.Close();
    ASSERT_TRUE(d.Port()->Connected());
    d.QuickConnectDevice(false);
    EXPECT_EQ(log.events, std::vector<std::string>{});
    EXPECT_TRUE(d.Connected());
}

TEST_F(SurveyTest, QuickConnectRefusesLongFrameVersions) {
    d.SetVersion(5);
    try {
        d.QuickConnectDevice(true);
        FAIL() << "no error";
    } catch (const platform::Exception& e) {
        EXPECT_EQ(e.Message(), "Procedure QuickConnectDevice: the Quarix version must be 4 or lower!");
    }
    EXPECT_TRUE(d.Port()->Connected());
}

// Closing the port by any path but a survey repair disconnects the device,
// before the host hears of the close.
TEST_F(SurveyTest, ClosingThePortOutsideARepairDisconnects) {
    std::vector<std::string> order;
    d.OnComPortBeforeClose = [&](platform::TObject*) { order.push_back(d.Connected() ? "close:connected" : "close:disconnected"); };
    d.SetComPortConnected(false);
    EXPECT_FALSE(d.Connected());
    EXPECT_EQ(order, (std::vector<std::string>{"close:disconnected"}));

    d.Port()->Open();
    d.SetConnected(true);
    platform::ScopedTickCountOverride clock;
    d.QuickConnectDevice(true);
    EXPECT_FALSE(d.Connected());
    EXPECT_TRUE(d.Port()->Connected());
}
