// SPDX-License-Identifier: GPL-3.0-or-later
// Keys, resistance, heart and cadence between the device and a simulated
// trainer console over a real pseudo-terminal.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "device/quarix_device.h"
#include "platform/format.h"
#include "platform/message_loop.h"
#include "test_support.h"
#include "tools/console_sim/console_simulator.h"

namespace {

using console_sim::ConsoleSimulator;
using device::TConsoleKey;
using device::TQuarixDevice;
using testing_support::WaitUntil;

// Generous: the machine is shared, and a late answer is not what is tested.
constexpr uint32_t kPatienceMs = 6000;

bool IsResistanceCommand(const std::string& frame) {
    return frame.size() == 6 && static_cast<uint8_t>(frame[1]) == 0x01;
}

// The 6-byte frames the console received from `mark` on, for a failure message.
std::string FramesSince(const ConsoleSimulator& sim, size_t mark) {
    std::string text;
    const auto frames = sim.ReceivedFrames6();
    for (size_t i = mark; i < frames.size(); ++i) {
        for (unsigned char c : frames[i].bytes) text += platform::Format("%02X ", c);
        text += "| ";
    }
    return text;
}

// What the trainer search does: open, let the line settle, identify.
void Connect(TQuarixDevice& dev, const ConsoleSimulator& sim) {
    dev.SetComPortPort(sim.SlavePath());
    dev.Port()->Open();
    platform::WaitProcessing(200);
    ASSERT_TRUE(dev.Identify(100));
}

TEST(ControlOverPty, EachKeyPressedOnTheConsoleIsDeliveredOnce) {
    TQuarixDevice::LastKeyTick = 0;
    ConsoleSimulator sim({.version = 4, .speed_kmh = 18});
    sim.Start();
    TQuarixDevice dev;
    std::vector<TConsoleKey> keys;
    dev.OnConsoleKeyDown = [&](platform::TObject* sender, TConsoleKey key) {
        EXPECT_EQ(sender, &dev);
        keys.push_back(key);
    };
    int key2_messages = 0;
    const int handler = platform::AddMessageHandler(static_cast<uint32_t>(dev.KeyMessage()),
                                                    [&](uint32_t, uintptr_t, intptr_t) { ++key2_messages; });
    Connect(dev, sim);

    sim.PressKey(0);
    ASSERT_TRUE(WaitUntil([&] { return !keys.empty(); }, kPatienceMs));
    platform::WaitProcessing(700);  // past the repeat block
    EXPECT_EQ(keys, std::vector<TConsoleKey>{device::ckKey0});

    sim.PressKey(1);
    ASSERT_TRUE(WaitUntil([&] { return keys.size() == 2; }, kPatienceMs));
    platform::WaitProcessing(700);
    EXPECT_EQ(keys, (std::vector<TConsoleKey>{device::ckKey0, device::ckKey1}));

    // Key 2 is handed to the application as a message once a key has been seen.
    sim.PressKey(2);
    EXPECT_TRUE(WaitUntil([&] { return key2_messages == 1; }, kPatienceMs));
    platform::WaitProcessing(300);
    EXPECT_EQ(key2_messages, 1);
    EXPECT_EQ(keys.size(), 2u);
    platform::RemoveMessageHandler(handler);
}

TEST(ControlOverPty, AHeldKeyRepeatsAtMostOncePerRepeatInterval) {
    TQuarixDevice::LastKeyTick = 0;
    ConsoleSimulator sim({.version = 4, .speed_kmh = 18});
    sim.Start();
    TQuarixDevice dev;
    int delivered = 0;
    dev.OnConsoleKeyDown = [&](platform::TObject*, TConsoleKey) { ++delivered; };
    Connect(dev, sim);

    sim.HoldKey(3, true);
    ASSERT_TRUE(WaitUntil([&] { return delivered > 0; }, kPatienceMs));
    platform::WaitProcessing(2500);
    sim.HoldKey(3, false);
    // 2.5 s held after the first report: at most one more per 500 ms, and the
    // block does end (timer ticks run on the main thread while we wait).
    EXPECT_GE(delivered, 2);
    EXPECT_LE(delivered, 6);
}

struct LevelCase {
    const char* name;
    double version;
    double speed_kmh;
    int expected_level;
};

class ResistanceOverPty : public ::testing::TestWithParam<LevelCase> {};

TEST_P(ResistanceOverPty, LevelSetWhileRidingIsCarriedByTheNextResistanceFrame) {
    const LevelCase& c = GetParam();
    ConsoleSimulator sim({.version = c.version, .speed_kmh = c.speed_kmh});
    sim.Start();
    TQuarixDevice dev;
    Connect(dev, sim);
    dev.Start();
    ASSERT_TRUE(WaitUntil([&] { return c.speed_kmh == 0 || dev.Speed > 0; }, kPatienceMs));
    // (The main thread must keep running: it is the one that answers.)
    ASSERT_TRUE(WaitUntil([&] { return sim.WaitForFrame(IsResistanceCommand, 0).has_value(); }, kPatienceMs))
        << "the console is kept active";
    platform::WaitProcessing(c.version > 4 ? 1100 : 300);

    const size_t mark = sim.FrameMark();
    dev.SetQuarixResistance(120);
    if (c.version > 4) {
        dev.SetUseElevation(true);
        dev.SetCurrentSlope(-3.5L);
    }
    const int elevation = c.version > 4 ? 108 : 0;
    auto carries_new_level = [&](const std::string& f) {
        return IsResistanceCommand(f) && static_cast<uint8_t>(f[2]) == c.expected_level &&
               static_cast<uint8_t>(f[3]) == elevation;
    };
    ASSERT_TRUE(WaitUntil([&] { return sim.WaitForFrame(carries_new_level, 0, mark).has_value(); }, kPatienceMs))
        << FramesSince(sim, mark);

    // Only a frame already on its way when the level was set may carry the
    // old one. (The log keeps every frame, so indices are positions.)
    const auto frames = sim.ReceivedFrames6();
    size_t old_level = 0, new_level = 0;
    for (size_t i = mark; i < frames.size(); ++i) {
        if (!IsResistanceCommand(frames[i].bytes)) continue;
        if (carries_new_level(frames[i].bytes)) {
            ++new_level;
        } else {
            EXPECT_EQ(new_level, 0u) << "an old level after the new one";
            ++old_level;
        }
    }
    EXPECT_GE(new_level, 1u);
    EXPECT_LE(old_level, 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Generations, ResistanceOverPty,
    ::testing::Values(LevelCase{"short_frames_answer_each_frame", 4, 20, 120},
                      LevelCase{"long_frames_keep_alive_each_statistics_step", 5, 20, 120},
                      LevelCase{"standing_roller_gets_no_brake", 4, 0, 0}),
    [](const ::testing::TestParamInfo<LevelCase>& info) { return std::string(info.param.name); });

TEST(ControlOverPty, HeartAndCadenceOfALongFrameConsoleBecomeHeartRateAndCadence) {
    ConsoleSimulator sim({.version = 5, .speed_kmh = 20, .heart_bpm = 120, .cadence_rpm = 90});
    sim.Start();
    TQuarixDevice dev;
    // The console repeats an unchanged heart period, which the device reads
    // once: a one-reading window shows each new rate at once.
    dev.SetHeartArrayLength(1);
    std::vector<std::string> heart_texts;
    int cadence_events = 0;
    dev.OnInstantHeart = [&](platform::TObject*, const std::string& text) { heart_texts.push_back(text); };
    dev.OnInstantCadence = [&](platform::TObject*, const std::string&) { ++cadence_events; };
    Connect(dev, sim);
    ASSERT_EQ(dev.Version(), 5);

    EXPECT_TRUE(WaitUntil([&] { return dev.HeartRate == 120; }, kPatienceMs)) << dev.HeartRate;
    ASSERT_FALSE(heart_texts.empty());
    EXPECT_EQ(heart_texts.front(), "500\t0\t");
    // The cadence window (10 readings, one per 100-ms frame) fills within a second.
    EXPECT_TRUE(WaitUntil([&] { return dev.Cadence == 90; }, kPatienceMs)) << dev.Cadence;
    EXPECT_GE(cadence_events, 10);

    sim.SetHeart(150);
    sim.SetCadence(60);
    EXPECT_TRUE(WaitUntil([&] { return dev.HeartRate == 150 && dev.Cadence == 60; }, kPatienceMs))
        << dev.HeartRate << " " << dev.Cadence;
}

TEST(ControlOverPty, ByteProtocolBytesAreReadDecodedAndAnswered) {
    TQuarixDevice::LastKeyTick = 0;
    ConsoleSimulator sim({.version = 3, .speed_kmh = 15});
    sim.Start();
    TQuarixDevice dev;
    dev.SetVersion(3);
    int rx_events = 0;
    dev.OnComPortRxChar = [&](platform::TObject* sender, int32_t count) {
        EXPECT_EQ(sender, &dev);
        EXPECT_GT(count, 0);
        ++rx_events;
    };
    std::vector<TConsoleKey> keys;
    dev.OnConsoleKeyDown = [&](platform::TObject*, TConsoleKey key) { keys.push_back(key); };
    Connect(dev, sim);
    dev.SetSecurityActive(false);
    dev.SetQuarixResistance(77);

    // Connected, no ride: every chunk read is answered with a 0 byte.
    ASSERT_TRUE(WaitUntil([&] { return rx_events > 5; }, kPatienceMs));
    std::string idle = sim.ReceivedBytes();
    for (const std::string& request : {std::string("\xF0\x03\x00\x00\x00\xF7", 6),
                                      std::string("\xF0\x09\x00\x00\x00\xF7", 6)}) {
        const auto at = idle.find(request);
        if (at != std::string::npos) idle.erase(at, request.size());
    }
    idle.erase(std::remove(idle.begin(), idle.end(), '\x28'), idle.end());  // identification
    EXPECT_GE(idle.size(), 5u);
    EXPECT_EQ(idle.find_first_not_of('\0'), std::string::npos);

    // Riding: the answer is the level.
    const size_t before_ride = sim.ReceivedBytes().size();
    dev.Start();
    ASSERT_TRUE(WaitUntil([&] { return sim.ReceivedBytes().find('\x4D', before_ride) != std::string::npos; },
                          kPatienceMs));

    // The status bytes are decoded: a key, and the roller's pulses.
    sim.PressKey(1);
    EXPECT_TRUE(WaitUntil([&] { return !keys.empty(); }, kPatienceMs));
    EXPECT_EQ(keys, std::vector<TConsoleKey>{device::ckKey1});
    EXPECT_TRUE(WaitUntil([&] { return dev.Speed > 0; }, kPatienceMs));
}

}  // namespace
