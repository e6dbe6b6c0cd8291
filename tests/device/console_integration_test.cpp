// SPDX-License-Identifier: GPL-3.0-or-later
// The device against a simulated trainer console over a real pseudo-terminal:
// identification, keep-alive answers, a silent console and an unplugged one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "device/quarix_device.h"
#include "device_test_support.h"
#include "platform/message_loop.h"
#include "test_support.h"
#include "tools/console_sim/console_simulator.h"

using console_sim::ConsoleOptions;
using console_sim::ConsoleSimulator;
using device::TQuarixDevice;
using device_test::EventLog;
using testing_support::WaitUntil;

namespace {

ConsoleOptions Console(double version, double speed_kmh) {
    ConsoleOptions options;
    options.version = version;
    options.speed_kmh = speed_kmh;
    return options;
}

bool IsCommand(const std::string& frame, int command) {
    return frame.size() == 6 && static_cast<uint8_t>(frame[1]) == command;
}

// The search's way of finding a console: open, let the line settle, identify.
bool OpenAndIdentify(TQuarixDevice& d, const ConsoleSimulator& sim) {
    d.SetComPortPort(sim.SlavePath());
    d.Port()->Open();
    platform::WaitProcessing(200);
    return d.Identify(100);
}

// The roll events per 100 ms a console riding at kmh reports to d.
long double RollPer100Ms(const TQuarixDevice& d, double kmh) { return kmh / 3.6L * 0.1L / d.DistancePerRollEvent; }

// True once a roll measurement of about `roll` events has been decoded since
// `from` (a tenth off at most: the console dithers its periods around it).
bool RollDecodedSince(const EventLog& log, size_t from, long double roll) {
    for (size_t i = from; i < log.messages.size(); ++i) {
        const auto& m = log.messages[i];
        if (m.type == device::qmRollData && std::fabs(m.value1 - roll) < roll / 10) return true;
    }
    return false;
}

}  // namespace

class ConsoleIdentifyTest : public ::testing::TestWithParam<double> {};

TEST_P(ConsoleIdentifyTest, IdentifyFindsTheConsoleAndAsksForItsNumbers) {
    const double version = GetParam();
    ConsoleSimulator sim(Console(version, 25));
    sim.Start();
    EventLog log;
    TQuarixDevice d;
    log.Attach(d);

    ASSERT_TRUE(OpenAndIdentify(d, sim));
    EXPECT_EQ(d.Version(), version);
    EXPECT_TRUE(d.Connected());
    EXPECT_EQ(d.Status(), device::qsConnected);
    EXPECT_NE(std::find(log.events.begin(), log.events.end(), "Connected"), log.events.end());

    EXPECT_TRUE(sim.WaitForFrame([](const std::string& f) { return IsCommand(f, 0x03); }, 2000));
    EXPECT_TRUE(sim.WaitForFrame([](const std::string& f) { return IsCommand(f, 0x09); }, 2000));
    // The answers come back and are decoded in the generation found.
    EXPECT_TRUE(WaitUntil([&] { return d.SerialNumber != 0 && d.ProductVersion != 0; }, 2000));

    // Measurements flow: the roller turns.
    EXPECT_TRUE(WaitUntil(
        [&] {
            return std::any_of(log.messages.begin(), log.messages.end(), [](const device_test::Message& m) {
                return m.type == device::qmRollData && m.value1 > 0;
            });
        },
        2000));
}

INSTANTIATE_TEST_SUITE_P(Generations, ConsoleIdentifyTest, ::testing::Values(4.0, 5.0, 7.0));

TEST(ConsoleKeepAlive, EveryShortFrameIsAnsweredWithAResistanceCommand) {
    ConsoleSimulator sim(Console(4, 20));
    sim.Start();
    TQuarixDevice d;
    ASSERT_TRUE(OpenAndIdentify(d, sim));
    d.SetSecurityActive(false);
    d.SetQuarixResistance(77);
    d.Start();
    platform::WaitProcessing(1500);
    // The console falls silent, so its count of frames stays put while the
    // device answers those still on their way.
    sim.SetSilent(true);

    // Every frame the console sent, answers to its requests included.
    std::string sent;
    for (const auto& chunk : sim.Sent()) sent += chunk.bytes;
    const size_t frames_sent = device_test::SplitFrames(sent, 6).size();
    auto answers = [&] {
        std::vector<std::string> found;
        for (const auto& frame : sim.ReceivedFrames6())
            if (IsCommand(frame.bytes, 0x01)) found.push_back(frame.bytes);
        return found;
    };
    ASSERT_GE(sim.State().measurements_sent, 10u);
    // One answer per frame.
    EXPECT_TRUE(WaitUntil([&] { return answers().size() >= frames_sent; }, 10000));
    platform::WaitProcessing(200);
    const auto answered = answers();
    EXPECT_EQ(answered.size(), frames_sent);
    ASSERT_FALSE(answered.empty());
    EXPECT_EQ(static_cast<uint8_t>(answered.back()[2]), 77);
}

// The byte protocol has no framer: the device reads the status bytes itself
// and answers every chunk with one byte, the level while a ride runs.
TEST(ConsoleKeepAlive, ByteProtocolChunksAreAnsweredWithTheLevelWhileRiding) {
    ConsoleSimulator sim(Console(3, 25));
    sim.Start();
    TQuarixDevice d;
    d.SetVersion(3);
    ASSERT_TRUE(OpenAndIdentify(d, sim));
    EXPECT_EQ(d.Framer()->ComPort(), nullptr);
    d.SetSecurityActive(false);
    d.SetQuarixResistance(0x21);
    const size_t before = sim.ReceivedBytes().size();
    d.Start();
    platform::WaitProcessing(600);

    // Replies to chunks read just before Start (0x00) may still reach the
    // console after the mark; from the first level on, every reply is the level.
    const std::string replies = sim.ReceivedBytes().substr(before);
    const size_t first_level = replies.find_first_not_of('\0');
    ASSERT_NE(first_level, std::string::npos) << device_test::Hex(replies);
    ASSERT_GE(replies.size() - first_level, 5u);
    EXPECT_EQ(replies.find_first_not_of('\x21', first_level), std::string::npos) << device_test::Hex(replies);
    EXPECT_TRUE(WaitUntil([&] { return d.Speed > 0; }, 2000));
    EXPECT_GT(d.TotalRollCount, 0);
}

TEST(ConsoleSupervision, ASilentConsoleIsRepairedAndStaysConnected) {
    ConsoleSimulator sim(Console(4, 15));
    sim.Start();
    EventLog log;
    TQuarixDevice d;
    ASSERT_TRUE(OpenAndIdentify(d, sim));
    log.Attach(d);
    int closes = 0, opens = 0;
    d.OnComPortAfterClose = [&](platform::TObject*) { ++closes; };
    d.OnComPortAfterOpen = [&](platform::TObject*) { ++opens; };

    const size_t mark = sim.FrameMark();
    sim.SetSilent(true);
    ASSERT_TRUE(WaitUntil(
        [&] { return std::find(log.events.begin(), log.events.end(), "Error(3,614,-1)") != log.events.end(); },
        5000));
    EXPECT_TRUE(d.Connected());
    EXPECT_GE(closes, 1);
    EXPECT_GE(opens, 1);
    EXPECT_EQ(std::count(log.events.begin(), log.events.end(), "Disconnected"), 0);
    const std::vector<std::string> expected_start{"RepairingConnection", "Error(2,720,1)", "Error(2,611,-1)",
                                                  "Error(3,614,-1)"};
    // Frames already on their way when the console fell silent may still be decoded.
    std::vector<std::string> notices;
    for (const auto& e : log.events)
        if (e.rfind("Message", 0) != 0) notices.push_back(e);
    ASSERT_GE(notices.size(), expected_start.size());
    EXPECT_EQ(std::vector<std::string>(notices.begin(), notices.begin() + 4), expected_start);
    EXPECT_TRUE(sim.WaitForFrame([](const std::string& f) { return IsCommand(f, 0x08); }, 2000, mark));

    // The console speaks again: the next identification answer brings the stream back.
    sim.SetSilent(false);
    log.Clear();
    EXPECT_TRUE(WaitUntil(
        [&] {
            return std::any_of(log.messages.begin(), log.messages.end(),
                               [](const device_test::Message& m) { return m.type == device::qmRollData; });
        },
        5000));
    EXPECT_TRUE(d.Connected());
}

TEST(ConsoleSupervision, AnUnpluggedConsoleIsGivenUpAfterDisconMaxTry) {
    ConsoleSimulator sim(Console(4, 15));
    sim.Start();
    EventLog log;
    TQuarixDevice d;
    ASSERT_TRUE(OpenAndIdentify(d, sim));
    d.SetDisconMaxTry(2);
    log.Attach(d);
    bool lost = false;
    d.OnConnectionLost = [&](platform::TObject*) { lost = true; };

    sim.Unplug();
    ASSERT_TRUE(WaitUntil([&] { return lost; }, 15000));
    EXPECT_FALSE(d.Connected());
    EXPECT_EQ(d.Status(), device::qsDisconnected);
    EXPECT_EQ(std::count(log.events.begin(), log.events.end(), "RepairingConnection"), 1);
    EXPECT_EQ(std::count(log.events.begin(), log.events.end(), "Error(2,710,-1)"), 2);
    EXPECT_NE(std::find(log.events.begin(), log.events.end(), "Error(2,711,2)"), log.events.end());
    EXPECT_EQ(std::count(log.events.begin(), log.events.end(), "Disconnected"), 1);
}

TEST(ConsoleSupervision, ALongFrameConsoleIsFoundAgainAfterBeingReplugged) {
    ConsoleSimulator sim(Console(7, 30));
    sim.Start();
    EventLog log;
    TQuarixDevice d;
    ASSERT_TRUE(OpenAndIdentify(d, sim));
    d.SetDisconDelayBetweenCloseOpenPort(300);
    log.Attach(d);

    sim.Unplug();
    ASSERT_TRUE(WaitUntil(
        [&] { return std::find(log.events.begin(), log.events.end(), "Error(2,710,-1)") != log.events.end(); },
        10000));
    // The replugged console rides at another speed: its measurements, and no
    // others, say 15 km/h.
    sim.SetSpeed(15);
    sim.Replug();
    ASSERT_TRUE(WaitUntil(
        [&] { return std::find(log.events.begin(), log.events.end(), "Error(3,614,-1)") != log.events.end(); },
        10000));
    EXPECT_TRUE(d.Connected());
    const size_t restored = log.messages.size();
    EXPECT_TRUE(WaitUntil([&] { return RollDecodedSince(log, restored, RollPer100Ms(d, 15)); }, 5000));
    EXPECT_FALSE(RollDecodedSince(log, restored, RollPer100Ms(d, 30)));
    EXPECT_EQ(d.Version(), 7);
}

// A device that already holds a long-frame Version (a stored form sets it)
// asks in short frames, since the answer is one, and reads the long
// measurements once the answer has set the Version again.
TEST(ConsoleIdentify, AStoredLongFrameVersionIdentifiesOnShortFramesThenReadsLongOnes) {
    ConsoleSimulator sim(Console(7, 25));
    sim.Start();
    EventLog log;
    TQuarixDevice d;
    d.SetVersion(7);
    ASSERT_EQ(d.PacketLength, 10);
    log.Attach(d);

    ASSERT_TRUE(OpenAndIdentify(d, sim));
    EXPECT_EQ(d.Version(), 7);
    EXPECT_EQ(d.PacketLength, 10);
    EXPECT_EQ(d.Framer()->Size(), 10);
    EXPECT_TRUE(WaitUntil([&] { return RollDecodedSince(log, 0, RollPer100Ms(d, 25)); }, 5000));
}

// The port's after-close notice comes once the port is closed: a handler
// there that opens it again and identifies hears the console's answer.
TEST(ConsoleIdentify, AnAfterCloseHandlerThatReopensThePortFindsTheConsole) {
    ConsoleSimulator sim(Console(5, 20));
    sim.Start();
    TQuarixDevice d;
    d.SetComPortPort(sim.SlavePath());
    d.Port()->Open();
    int handled = 0;
    d.OnComPortAfterClose = [&](platform::TObject*) {
        if (handled++) return;
        d.Port()->Open();
        platform::WaitProcessing(200);
        d.Identify(100);
    };
    d.Port()->Close();
    EXPECT_EQ(handled, 1);
    EXPECT_TRUE(d.Port()->Connected());
    EXPECT_TRUE(d.Connected());
    EXPECT_EQ(d.Version(), 5);
}
