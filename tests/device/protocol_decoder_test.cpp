// SPDX-License-Identifier: GPL-3.0-or-later
// The decoder fed directly with frames of each generation: what it computes,
// which steps it hands the samples to, and which events it raises.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "device_test_support.h"
#include "platform/format.h"

using device::TQuarixDevice;
using device_test::Bytes;
using device_test::EventLog;
using device_test::RecordingDevice;
using device_test::StepCall;

namespace {

constexpr long double kRollFactor = 125000.0L / 33.0L;

class DecoderTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetDecimalSeparator('.');
        d.SetConnectionSurvey(false);  // no survey ticks in the middle of a unit test
        log.Attach(d);
    }
    void TearDown() override { platform::SetDecimalSeparator(0); }

    // Connected at `version`, with the status given and nothing recorded yet.
    void Connect(double version, device::TQuarixDeviceStatus status = device::qsConnected) {
        d.SetVersion(version);
        d.SetConnected(true);
        if (status != device::qsConnected) d.SetStatus(status);
        d.calls.clear();
        log.Clear();
    }

    EventLog log;  // outlives the device, whose teardown raises events
    RecordingDevice d;
};

std::string LongRollFrame(int status, int roll_period, int cadence_period, int heart_period) {
    return Bytes({0xF0, 0x01, status, roll_period >> 8, roll_period & 0xFF, cadence_period >> 8,
                  cadence_period & 0xFF, heart_period >> 8, heart_period & 0xFF, 0xF7});
}

}  // namespace

TEST_F(DecoderTest, LongRollFrameGivesRollHeartAndCadenceFromTheirPeriods) {
    Connect(5);
    std::vector<std::string> heart_texts, cadence_texts;
    d.OnInstantHeart = [&](platform::TObject*, const std::string& t) { heart_texts.push_back(t); };
    d.OnInstantCadence = [&](platform::TObject*, const std::string& t) { cadence_texts.push_back(t); };
    d.filter_result = 61;
    d.Cadence = 58;

    const std::string frame = LongRollFrame(0x00, 1000, 1000, 1000);
    d.DecodeMessage(frame);

    const long double roll = kRollFactor / 1000;
    EXPECT_EQ(d.calls, (std::vector<StepCall>{{"ComputeSpeed", static_cast<double>(roll)},
                                              {"FilterHeartRate", 60},
                                              {"AddCadence", 60}}));
    EXPECT_EQ(d.HeartRate, 61);
    EXPECT_TRUE(d.HeartSeen);
    EXPECT_EQ(d.LastHeartRate, 60);
    EXPECT_EQ(heart_texts, (std::vector<std::string>{"1000\t0\t"}));
    EXPECT_EQ(cadence_texts, (std::vector<std::string>{"60.00\t58\t10"}));
    ASSERT_EQ(log.messages.size(), 1u);
    const auto& m = log.messages[0];
    EXPECT_EQ(m.type, device::qmRollData);
    EXPECT_NEAR(static_cast<double>(m.value1), 3.7878787878, 1e-9);
    EXPECT_EQ(m.value2, 60);
    EXPECT_EQ(m.value3, 60);
    EXPECT_EQ(m.str, frame);
}

TEST_F(DecoderTest, LongRollFrameWhileRunningAddsTheRollEventsAndUsesTheSecondFilterWhenAsked) {
    Connect(7, device::qsRunning);
    d.SetHrFilter2Active(true);
    d.DecodeMessage(LongRollFrame(0x00, 2000, 0, 800));
    const long double roll = kRollFactor / 2000;
    EXPECT_EQ(d.calls, (std::vector<StepCall>{{"ComputeSpeed", static_cast<double>(roll)},
                                              {"AddRollEvents", roll},
                                              {"FilterHeartRate2", 75}}));
}

TEST_F(DecoderTest, LongRollFrameOnADisconnectedDeviceOnlyReportsItsKey) {
    d.SetVersion(5);
    d.calls.clear();
    log.Clear();
    d.DecodeMessage(LongRollFrame(0x01, 1000, 1000, 1000));
    EXPECT_EQ(d.calls, (std::vector<StepCall>{{"ConsoleKey", device::ckKey0}}));
    EXPECT_TRUE(log.messages.empty());
    EXPECT_EQ(d.LastHeartRate, 0);
}

TEST_F(DecoderTest, PeriodsThatMeanNoSignalGiveZeroWithoutDividing) {
    Connect(5);
    struct Case {
        int roll_period, cadence_period, heart_period;
        long double roll, cadence, heart;
    };
    const Case cases[] = {
        {0, 0, 0, 0, 0, 0},
        {65535, 65535, 65535, 0, 0, 0},
        {1, 200, 0, kRollFactor, 0, 0},
        {65534, 201, 65534, kRollFactor / 65534, 60000.0 / 201, 60000.0 / 65534},
    };
    for (const auto& c : cases) {
        log.Clear();
        d.LastHeartRate = -1;  // a fresh heart value each time
        d.DecodeMessage(LongRollFrame(0, c.roll_period, c.cadence_period, c.heart_period));
        ASSERT_EQ(log.messages.size(), 1u);
        EXPECT_NEAR(static_cast<double>(log.messages[0].value1), static_cast<double>(c.roll), 1e-9);
        EXPECT_NEAR(static_cast<double>(log.messages[0].value2), static_cast<double>(c.heart), 1e-9);
        EXPECT_NEAR(static_cast<double>(log.messages[0].value3), static_cast<double>(c.cadence), 1e-9);
    }
    // 201 ms is 298.5 rpm, handed over rounded.
    EXPECT_EQ(d.CallsOf("AddCadence"), (std::vector<StepCall>{{"AddCadence", 299}}));
}

// The text carries the beat interval the console measured. Dividing 60000 by
// the rate again lands a hair below the period for many periods (900 ms gives
// 899.999...), which truncation would turn into the wrong millisecond.
TEST_F(DecoderTest, InstantHeartTextCarriesTheMeasuredBeatInterval) {
    Connect(5);
    std::vector<std::string> texts;
    d.OnInstantHeart = [&](platform::TObject*, const std::string& t) { texts.push_back(t); };
    for (int period : {1000, 900, 383, 801, 1463, 29}) d.DecodeMessage(LongRollFrame(0, 0, 0, period));
    EXPECT_EQ(texts, (std::vector<std::string>{"1000\t0\t", "900\t0\t", "383\t0\t", "801\t0\t", "1463\t0\t",
                                               "29\t0\t"}));

    // In debug mode the rate is the status byte's pulse: one beat a minute.
    texts.clear();
    d.SetDebugMode(true);
    d.DecodeMessage(LongRollFrame(0x20, 0, 0, 0));
    EXPECT_EQ(texts, (std::vector<std::string>{"60000\t0\t"}));
}

TEST_F(DecoderTest, TheHeartFilterRunsOnlyWhenTheHeartValueChanges) {
    Connect(5);
    int instant = 0;
    d.OnInstantHeart = [&](platform::TObject*, const std::string&) { ++instant; };
    d.DecodeMessage(LongRollFrame(0, 0, 0, 800));
    d.DecodeMessage(LongRollFrame(0, 0, 0, 800));
    EXPECT_EQ(d.CallsOf("FilterHeartRate").size(), 1u);
    EXPECT_EQ(instant, 1);
    d.DecodeMessage(LongRollFrame(0, 0, 0, 65535));  // signal gone: remembered, not filtered
    EXPECT_EQ(d.LastHeartRate, 0);
    EXPECT_EQ(d.CallsOf("FilterHeartRate").size(), 1u);
    d.DecodeMessage(LongRollFrame(0, 0, 0, 800));
    EXPECT_EQ(d.CallsOf("FilterHeartRate").size(), 2u);
}

TEST_F(DecoderTest, DebugModeTakesRollValueAndThePulseBits) {
    Connect(5);
    d.SetDebugMode(true);
    d.SetRollValue(7);
    d.DecodeMessage(LongRollFrame(0x30, 1000, 1000, 1000));
    EXPECT_EQ(d.calls, (std::vector<StepCall>{{"ComputeSpeed", 7}, {"FilterHeartRate", 1}, {"AddCadence", 1}}));
    ASSERT_EQ(log.messages.size(), 1u);
    EXPECT_EQ(log.messages[0].value1, 7);
    EXPECT_EQ(log.messages[0].value2, 1);
    EXPECT_EQ(log.messages[0].value3, 1);

    // No pulse bits: nothing reaches the heart and cadence steps.
    d.calls.clear();
    d.DecodeMessage(LongRollFrame(0x00, 1000, 1000, 1000));
    EXPECT_EQ(d.calls, (std::vector<StepCall>{{"ComputeSpeed", 7}}));
}

TEST_F(DecoderTest, StatusBitsReportOnlyTheLowestKey) {
    Connect(5);
    const struct {
        int status;
        int key;  // -1: none
    } cases[] = {{0x03, 0}, {0x02, 1}, {0x0C, 2}, {0x08, 3}, {0x30, -1}, {0x0F, 0}};
    for (const auto& c : cases) {
        d.calls.clear();
        long double roll = 0, heart = 0, cadence = 0;
        d.DecodeStatusBits(static_cast<uint8_t>(c.status), roll, heart, cadence);
        const auto keys = d.CallsOf("ConsoleKey");
        if (c.key < 0) {
            EXPECT_TRUE(keys.empty()) << c.status;
        } else {
            EXPECT_EQ(keys, (std::vector<StepCall>{{"ConsoleKey", static_cast<long double>(c.key)}})) << c.status;
        }
    }
}

TEST_F(DecoderTest, ShortRollFrameWhileRunningCountsPulsesAndRollEvents) {
    Connect(4, device::qsRunning);
    d.speed_result = 12.5;
    const std::string frame = Bytes({0xF0, 0x01, 0x30, 0x04, 0x00, 0xF7});
    d.DecodeMessage(frame);
    EXPECT_EQ(d.calls, (std::vector<StepCall>{{"ComputeSpeed", 4},
                                              {"AddRollEvents", 4},
                                              {"CountHeartBeat", 0},
                                              {"AddCadence", 1}}));
    EXPECT_EQ(d.Speed, 12.5);
    EXPECT_TRUE(d.HeartSeen);
    ASSERT_EQ(log.messages.size(), 1u);
    EXPECT_EQ(log.messages[0].value1, 4);
    EXPECT_EQ(log.messages[0].value2, 1);
    EXPECT_EQ(log.messages[0].value3, 1);
}

TEST_F(DecoderTest, ShortRollFrameWhileDisconnectedStillRaisesItsMessage) {
    d.DecodeMessage(Bytes({0xF0, 0x01, 0x00, 0x09, 0x00, 0xF7}));
    EXPECT_TRUE(d.CallsOf("ComputeSpeed").empty());
    ASSERT_EQ(log.messages.size(), 1u);
    EXPECT_EQ(log.messages[0].value1, 9);
}

TEST_F(DecoderTest, IdentificationAnswersSetTheVersionAndConnect) {
    const struct {
        int code;
        double version;  // 0: not a known answer
    } cases[] = {{0x50, 4}, {0x54, 5}, {0x55, 4.5}, {0x58, 6}, {0x5A, 5.5}, {0x5C, 7}, {0x5E, 8}, {0x51, 0}, {0x00, 0}};
    for (const auto& c : cases) {
        EventLog events;
        RecordingDevice fresh;
        fresh.SetConnectionSurvey(false);
        events.Attach(fresh);
        const std::string answer = Bytes({0xF0, 0x08, c.code, 0x00, 0x00, 0xF7});
        fresh.DecodeMessage(answer);
        if (c.version > 0) {
            EXPECT_EQ(fresh.Version(), c.version) << c.code;
            EXPECT_TRUE(fresh.Connected()) << c.code;
            EXPECT_EQ(events.events, (std::vector<std::string>{"VersionChange", "Status(0->1)", "Connected",
                                                               "Message(3)"}))
                << c.code;
        } else {
            EXPECT_FALSE(fresh.Connected()) << c.code;
            EXPECT_EQ(events.events, (std::vector<std::string>{"Message(3)"})) << c.code;
        }
        ASSERT_EQ(events.messages.size(), 1u);
        EXPECT_EQ(events.messages[0].value1, c.code);
        EXPECT_EQ(events.messages[0].value2, -1);
        EXPECT_EQ(events.messages[0].value3, -1);
        EXPECT_EQ(events.messages[0].str, answer);
    }
}

TEST_F(DecoderTest, AnUnknownIdentificationAnswerDisconnectsAConnectedDevice) {
    Connect(7);
    d.DecodeMessage(Bytes({0xF0, 0x08, 0x51, 0x00, 0x00, 0xF7}));
    EXPECT_FALSE(d.Connected());
    EXPECT_EQ(d.Status(), device::qsDisconnected);
}

TEST_F(DecoderTest, AKnownAnswerReappliesTheVersionEvenWhenUnchanged) {
    Connect(4);
    d.DecodeMessage(Bytes({0xF0, 0x08, 0x50, 0x00, 0x00, 0xF7}));
    EXPECT_EQ(log.events, (std::vector<std::string>{"VersionChange", "Message(3)"}));
}

TEST_F(DecoderTest, DistanceCounterSetsTheRollCountWhenNotZero) {
    Connect(4);
    d.DistancePerRollEvent = 0.062L;
    d.DecodeMessage(Bytes({0xF0, 0x02, 0x01, 0x02, 0x03, 0xF7}));
    EXPECT_EQ(d.TotalRollCount, 0x010203);
    EXPECT_EQ(d.calls, (std::vector<StepCall>{{"UpdateDistance", 0.062L * 0x010203}}));
    d.calls.clear();
    d.DecodeMessage(Bytes({0xF0, 0x02, 0x00, 0x00, 0x00, 0xF7}));
    EXPECT_EQ(d.TotalRollCount, 0x010203);
    EXPECT_TRUE(d.calls.empty());
    ASSERT_EQ(log.messages.size(), 2u);
    EXPECT_EQ(log.messages[1].type, device::qmDistanceCounter);
    EXPECT_EQ(log.messages[1].value1, -1);
}

TEST_F(DecoderTest, ShortSerialNumberIsTakenOnceWithItsEvent) {
    Connect(4);
    d.DecodeMessage(Bytes({0xF0, 0x03, 0x01, 0x23, 0x45, 0xF7}));
    d.DecodeMessage(Bytes({0xF0, 0x03, 0x06, 0x07, 0x08, 0xF7}));
    EXPECT_EQ(d.SerialNumber, 0x012345);
    EXPECT_EQ(log.events, (std::vector<std::string>{"SerialNumber", "Message(2)", "Message(2)"}));
}

TEST_F(DecoderTest, LongSerialNumberCarriesTheOrientation) {
    Connect(5);
    const struct {
        int x, y;
        double orientation;
    } cases[] = {{0x00, 0x00, 0}, {0x10, 0xF0, 135}, {0xF0, 0xF0, -135}, {0x10, 0x00, 0}, {0x10, 0x10, 45}};
    for (const auto& c : cases) {
        log.Clear();
        d.DecodeMessage(Bytes({0xF0, 0x03, 0x00, 0x00, 0x2A, c.x, c.y, 0x00, 0x00, 0xF7}));
        EXPECT_NEAR(d.Orientation(), c.orientation, 1e-9) << c.x << "," << c.y;
        EXPECT_EQ(d.RotationHex1(), c.x);
        EXPECT_EQ(d.RotationHex2(), c.y);
        EXPECT_EQ(log.events, (std::vector<std::string>{"Message(2)"}));  // no OnSerialNumber
    }
    EXPECT_EQ(d.SerialNumber, 0x2A);
}

TEST_F(DecoderTest, ProductVersionRaisesItsEventOnlyForShortFrames) {
    Connect(4);
    d.DecodeMessage(Bytes({0xF0, 0x09, 0x03, 0x00, 0x00, 0xF7}));
    EXPECT_EQ(d.ProductVersion, 3);
    EXPECT_EQ(log.events, (std::vector<std::string>{"ProductVersion", "Message(4)"}));
    EXPECT_EQ(log.messages[0].value1, 3);

    Connect(5);
    d.DecodeMessage(Bytes({0xF0, 0x09, 0x04, 0, 0, 0, 0, 0, 0, 0xF7}));
    EXPECT_EQ(d.ProductVersion, 4);
    EXPECT_EQ(log.events, (std::vector<std::string>{"Message(4)"}));
}

TEST_F(DecoderTest, RawFrameIsReportedUndecoded) {
    Connect(4);
    d.DecodeMessage(Bytes({0xF0, 0x05, 0x01, 0x02, 0x03, 0xF7}));
    ASSERT_EQ(log.messages.size(), 1u);
    EXPECT_EQ(log.messages[0].type, device::qmRawFrame);
}

TEST_F(DecoderTest, RejectionDependsOnTheGeneration) {
    const struct {
        double version;
        std::string frame;
        bool rejected;
    } cases[] = {
        {4, Bytes({0x00, 0x01, 0x00, 0x00, 0x00, 0xF7}), true},                    // no start byte
        {5, Bytes({0x11, 0x01, 0, 0, 0, 0, 0, 0, 0, 0xF7}), true},                 // no start byte
        {4, Bytes({0xF0, 0x0B, 0x00, 0x00, 0x00, 0xF7}), true},                    // unknown type
        {5, Bytes({0xF0, 0x0B, 0, 0, 0, 0, 0, 0, 0, 0xF7}), false},                // ignored silently
        {4, Bytes({0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00}), false},             // 7 bytes: no start check
    };
    for (const auto& c : cases) {
        Connect(c.version);
        const int before = d.ReceivedEventCount;
        d.NoDataSinceSurvey = true;
        d.DecodeMessage(c.frame);
        EXPECT_EQ(log.rejected.size(), c.rejected ? 1u : 0u) << device_test::Hex(c.frame);
        if (c.rejected) {
            EXPECT_EQ(log.rejected[0], c.frame);
        }
        EXPECT_EQ(d.ReceivedEventCount, before + 1);
        EXPECT_FALSE(d.NoDataSinceSurvey);
    }
}

// The framer hands over 2- to 5-byte packets when a stop byte comes early.
// One that lacks a byte its type reads is rejected whole: nothing is read past
// its end.
TEST_F(DecoderTest, FramesShorterThanTheirTypeReadsAreRejectedWithoutEffect) {
    const struct {
        double version;
        std::string frame;
    } cases[] = {
        {4, Bytes({0xF0, 0x01, 0xF7})},                                // the roll count is byte 3
        {4, Bytes({0xF0, 0x02, 0x01, 0xF7})},                          // the counter is bytes 2-4
        {4, Bytes({0xF0, 0x03, 0x01, 0x02})},
        {4, Bytes({0xF0, 0x08})},                                      // the answer code is byte 2
        {4, Bytes({0xF0, 0x09})},
        {4, Bytes({0xF0, 0xF7})},
        {4, Bytes({0xF0})},
        {5, Bytes({0xF0, 0x01, 0x00, 0x03, 0xE8, 0x03, 0xE8, 0xF7})},  // the heart period ends at byte 8
        {5, Bytes({0xF0, 0x03, 0x00, 0x00, 0x01, 0xF7})},              // the orientation is bytes 5-6
    };
    for (const auto& c : cases) {
        Connect(c.version, device::qsRunning);
        const double version = d.Version();
        d.DecodeMessage(c.frame);
        EXPECT_EQ(log.rejected.size(), 1u) << device_test::Hex(c.frame);
        EXPECT_TRUE(log.messages.empty()) << device_test::Hex(c.frame);
        EXPECT_TRUE(d.calls.empty()) << device_test::Hex(c.frame);
        EXPECT_TRUE(d.Connected());
        EXPECT_EQ(d.Version(), version);
        EXPECT_EQ(d.SerialNumber, 0);
        EXPECT_EQ(d.ProductVersion, 0);
    }
}

// A data byte 0xF7 ends a short-frame packet early, yet the packet then holds
// every byte its type reads: it is decoded like the whole frame.
TEST_F(DecoderTest, FramesHoldingEveryByteTheirTypeReadsAreDecodedWhateverTheirLength) {
    const struct {
        const char* what;
        double version;
        std::string frame;
        device::TQuarixDeviceMessageType type;
        std::function<void(const RecordingDevice&)> check;
    } cases[] = {
        {"serial number 0x1234F7", 4, Bytes({0xF0, 0x03, 0x12, 0x34, 0xF7}), device::qmSerialNumber,
         [](const RecordingDevice& r) { EXPECT_EQ(r.SerialNumber, 0x1234F7); }},
        {"product version 0xF7", 4, Bytes({0xF0, 0x09, 0xF7}), device::qmProductVersion,
         [](const RecordingDevice& r) { EXPECT_EQ(r.ProductVersion, 0xF7); }},
        {"counter with low byte 0xF7", 4, Bytes({0xF0, 0x02, 0x00, 0x01, 0xF7}), device::qmDistanceCounter,
         [](const RecordingDevice& r) { EXPECT_EQ(r.TotalRollCount, 0x01F7); }},
        {"roll count without its unused byte", 4, Bytes({0xF0, 0x01, 0x00, 0x05}), device::qmRollData,
         [](const RecordingDevice& r) {
             EXPECT_EQ(r.CallsOf("AddRollEvents"), (std::vector<StepCall>{{"AddRollEvents", 5}}));
         }},
        {"identification answer", 4, Bytes({0xF0, 0x08, 0x50, 0xF7}), device::qmIdentification,
         [](const RecordingDevice& r) { EXPECT_EQ(r.Version(), 4); }},
        {"raw frame", 4, Bytes({0xF0, 0x05}), device::qmRawFrame, [](const RecordingDevice&) {}},
        {"long product version 0xF7", 5, Bytes({0xF0, 0x09, 0xF7}), device::qmProductVersion,
         [](const RecordingDevice& r) { EXPECT_EQ(r.ProductVersion, 0xF7); }},
        {"long serial number and orientation", 5, Bytes({0xF0, 0x03, 0x12, 0x34, 0xF7, 0x10, 0x10}),
         device::qmSerialNumber,
         [](const RecordingDevice& r) {
             EXPECT_EQ(r.SerialNumber, 0x1234F7);
             EXPECT_NEAR(r.Orientation(), 45, 1e-9);
         }},
        {"long roll frame up to its heart period", 5, Bytes({0xF0, 0x01, 0x00, 0x03, 0xE8, 0x03, 0xE8, 0x03, 0xE8}),
         device::qmRollData,
         [](const RecordingDevice& r) { EXPECT_EQ(r.CallsOf("FilterHeartRate").size(), 1u); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Connect(c.version, device::qsRunning);
        d.DecodeMessage(c.frame);
        EXPECT_TRUE(log.rejected.empty());
        ASSERT_EQ(log.messages.size(), 1u);
        EXPECT_EQ(log.messages[0].type, c.type);
        EXPECT_EQ(log.messages[0].str, c.frame);
        EXPECT_TRUE(d.Connected());
        c.check(d);
    }
}

TEST_F(DecoderTest, ReceivedEventCountWrapsToOne) {
    d.ReceivedEventCount = 2147482;
    d.DecodeMessage(Bytes({0xF0, 0x05, 0, 0, 0, 0xF7}));
    EXPECT_EQ(d.ReceivedEventCount, 2147483);
    d.DecodeMessage(Bytes({0xF0, 0x05, 0, 0, 0, 0xF7}));
    EXPECT_EQ(d.ReceivedEventCount, 1);
}

TEST_F(DecoderTest, NothingIsDecodedWhileTheDeviceIsBeingDestroyed) {
    Connect(4);
    d.Destroying();
    d.DecodeMessage(Bytes({0xF0, 0x01, 0x00, 0x04, 0x00, 0xF7}));
    EXPECT_TRUE(log.messages.empty());
    EXPECT_EQ(d.ReceivedEventCount, 0);
}

TEST_F(DecoderTest, ByteProtocolConnectsOnTheAnswerByteOnly) {
    d.SetVersion(3);
    d.DecodeMessage(Bytes({0x51}));
    EXPECT_FALSE(d.Connected());
    d.DecodeMessage(Bytes({0x50, 0x00}));
    EXPECT_TRUE(d.Connected());
    ASSERT_FALSE(log.messages.empty());
    EXPECT_EQ(log.messages.back().type, device::qmIdentification);
    EXPECT_EQ(log.messages.back().value1, -1);
}

TEST_F(DecoderTest, ByteProtocolSumsRollPulsesOverABlockOfTenBytes) {
    Connect(3, device::qsRunning);
    d.RollBlockSum = 0;
    d.RollBlockBytes = 0;
    d.DecodeMessage(std::string(10, '\x40'));
    std::vector<StepCall> expected(9, {"AddRollEvents", 1});
    expected.push_back({"AddRollEvents", 1});
    expected.push_back({"ComputeSpeed", 10});
    EXPECT_EQ(d.calls, expected);
    EXPECT_EQ(log.messages.size(), 10u);
    EXPECT_EQ(d.RollBlockSum, 0);
    EXPECT_EQ(d.RollBlockBytes, 0);

    log.Clear();
    d.calls.clear();
    d.DecodeMessage(Bytes({0x00, 0x20, 0x10}));
    EXPECT_EQ(d.RollBlockBytes, 3);
    EXPECT_EQ(log.messages.size(), 2u);  // the zero byte raises nothing
    EXPECT_EQ(d.CallsOf("CountHeartBeat").size(), 1u);
    EXPECT_EQ(d.CallsOf("AddCadence"), (std::vector<StepCall>{{"AddCadence", 1}}));
    EXPECT_EQ(log.messages[0].str, Bytes({0x00, 0x20, 0x10}));  // the whole chunk
}

TEST_F(DecoderTest, FrameStartSearchOfLongFramesNeedsTheStopByteAtTheFrameEnd) {
    d.SetVersion(5);
    int pos = -1;
    const std::string data = Bytes({0x11, 0xF0, 0x22, 0xF0, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0xF7});
    d.FindFrameStart(nullptr, data, pos);
    EXPECT_EQ(pos, 4);
    EXPECT_EQ(TQuarixDevice::PendingFrameLength, 10);

    int end = -1;
    d.FindFrameEnd(nullptr, data.substr(3), end);
    EXPECT_EQ(end, 10);
    end = -1;
    d.FindFrameEnd(nullptr, data.substr(3, 9), end);
    EXPECT_EQ(end, -1);  // the frame is not complete yet

    pos = -1;
    d.FindFrameStart(nullptr, Bytes({0xF0, 0x01, 0x02}), pos);
    EXPECT_EQ(pos, 0);  // a start whose end has not arrived waits
    pos = -1;
    d.FindFrameStart(nullptr, "", pos);
    EXPECT_EQ(pos, 0);
}

TEST_F(DecoderTest, FrameSearchesUpToVersionFourAreLeftToTheFramerOrTheHost) {
    d.SetVersion(4);
    int pos = -1;
    d.FindFrameStart(nullptr, Bytes({0xF0, 0x01, 0, 0, 0, 0xF7}), pos);
    EXPECT_EQ(pos, -1);
    d.FindFrameEnd(nullptr, Bytes({0xF0, 0x01, 0, 0, 0, 0xF7}), pos);
    EXPECT_EQ(pos, -1);

    std::vector<std::string> asked;
    d.OnComDataPacketCustomStart = [&](platform::TObject* sender, std::string_view str, int& p) {
        EXPECT_EQ(sender, &d);
        asked.emplace_back(str);
        p = 2;
    };
    d.FindFrameStart(nullptr, Bytes({0x00, 0xF0}), pos);
    EXPECT_EQ(pos, 2);
    EXPECT_EQ(asked, (std::vector<std::string>{Bytes({0x00, 0xF0})}));
}
