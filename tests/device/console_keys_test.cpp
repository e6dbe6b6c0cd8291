// SPDX-License-Identifier: GPL-3.0-or-later
// Console keys: the repeat block, the process-wide key clock, the key-2
// message, and the relays of the port's and framer's notifications.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "device/control_device.h"
#include "platform/message_loop.h"
#include "platform/tick_count.h"

namespace {

using control_test::Bytes;
using control_test::ControlDevice;
using control_test::Hex;
using control_test::ResistanceFrame;
using device::TConsoleKey;
using namespace device;  // ckKey0..3, qs*

constexpr uint32_t kStart = 1'000'000;

// Drives one device's key reports on the fake clock. The repeat timer counts
// real time on its own thread; here its tick is given at the fake instant its
// blocking window ends, before any report of that instant.
class KeyBench {
public:
    explicit KeyBench(ControlDevice& dev) : dev_(dev) {
        dev_.OnConsoleKeyDown = [this](platform::TObject* sender, TConsoleKey key) {
            EXPECT_EQ(sender, &dev_);
            delivered.emplace_back(platform::GetTickCount() - kStart, key);
        };
    }

    void Report(uint32_t at, TConsoleKey key) {
        platform::AdvanceTickCountOverride(kStart + at - platform::GetTickCount());
        auto* timer = dev_.KeyRepeatTimer();
        if (timer->Enabled() && platform::GetTickCount() - window_start_ >= timer->Interval()) timer->DoTimer();
        const bool was_blocking = timer->Enabled();
        const TConsoleKey before = dev_.LastConsoleKey;
        dev_.ConsoleKey(key);
        if (timer->Enabled() && (!was_blocking || key != before)) window_start_ = platform::GetTickCount();
    }

    std::vector<std::pair<uint32_t, TConsoleKey>> delivered;

private:
    ControlDevice& dev_;
    uint32_t window_start_ = 0;
};

// Counts the key-2 messages posted to the application.
class PostedKeyMessages {
public:
    explicit PostedKeyMessages(uint32_t msg) {
        id_ = platform::AddMessageHandler(msg, [this](uint32_t, uintptr_t w, intptr_t l) {
            EXPECT_EQ(w, 0u);
            EXPECT_EQ(l, 0);
            ++count_;
        });
    }
    ~PostedKeyMessages() { platform::RemoveMessageHandler(id_); }
    int Count() {
        platform::ProcessMessages();
        return count_;
    }

private:
    int id_;
    int count_ = 0;
};

class ConsoleKeys : public ::testing::Test {
protected:
    void SetUp() override {
        // A key was delivered long ago in this process.
        TQuarixDevice::LastKeyTick = kStart - 100'000;
        TQuarixDevice::KeyBusy = false;
    }
    void TearDown() override { platform::ProcessMessages(); }

    platform::ScopedTickCountOverride clock_{kStart};
};

struct KeySequence {
    const char* name;
    uint32_t repeat_interval;
    std::vector<std::pair<uint32_t, TConsoleKey>> reports;
    std::vector<std::pair<uint32_t, TConsoleKey>> delivered;
};

std::vector<std::pair<uint32_t, TConsoleKey>> Every(uint32_t step, uint32_t until, TConsoleKey key) {
    std::vector<std::pair<uint32_t, TConsoleKey>> out;
    for (uint32_t t = 0; t < until; t += step) out.emplace_back(t, key);
    return out;
}

TEST_F(ConsoleKeys, RepeatBlockTurnsReportsIntoSingleKeys) {
    const KeySequence cases[] = {
        {"held key every 100 ms for 2 s", 500, Every(100, 2000, ckKey0),
         {{0, ckKey0}, {500, ckKey0}, {1000, ckKey0}, {1500, ckKey0}}},
        {"held key with a shorter repeat interval", 200, Every(100, 1000, ckKey1),
         {{0, ckKey1}, {200, ckKey1}, {400, ckKey1}, {600, ckKey1}, {800, ckKey1}}},
        {"change of key within the interval is swallowed", 500,
         {{0, ckKey0}, {100, ckKey1}, {700, ckKey1}},
         {{0, ckKey0}, {700, ckKey1}}},
        {"the swallowed key restarts the count", 500,
         {{0, ckKey0}, {100, ckKey1}, {400, ckKey1}, {550, ckKey1}, {650, ckKey1}},
         {{0, ckKey0}, {650, ckKey1}}},
        {"keys alternating faster than the interval", 500,
         {{0, ckKey0}, {300, ckKey1}, {600, ckKey0}, {900, ckKey1}, {1200, ckKey0}},
         {{0, ckKey0}}},
        {"released and pressed again", 500, {{0, ckKey3}, {800, ckKey3}}, {{0, ckKey3}, {800, ckKey3}}},
        {"first report after the window", 500, {{0, ckKey0}, {450, ckKey0}, {520, ckKey0}},
         {{0, ckKey0}, {520, ckKey0}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TQuarixDevice::LastKeyTick = kStart - 100'000;
        ControlDevice dev;
        dev.SetKeyRepeatInterval(c.repeat_interval);
        ASSERT_EQ(dev.KeyRepeatTimer()->Interval(), c.repeat_interval);
        KeyBench bench(dev);
        for (const auto& [at, key] : c.reports) bench.Report(at, key);
        EXPECT_EQ(bench.delivered, c.delivered);
    }
}

TEST_F(ConsoleKeys, FirstKeyOfTheProcessIsDeliveredEvenKey2ThenKey2BecomesAMessage) {
    TQuarixDevice::LastKeyTick = 0;
    ControlDevice dev;
    PostedKeyMessages posted(12345);
    KeyBench bench(dev);

    bench.Report(0, ckKey2);
    EXPECT_EQ(bench.delivered, (decltype(bench.delivered){{0, ckKey2}}));
    EXPECT_EQ(TQuarixDevice::LastKeyTick, kStart);
    EXPECT_EQ(posted.Count(), 0);

    bench.Report(600, ckKey2);
    EXPECT_EQ(bench.delivered.size(), 1u) << "key 2 is no longer an event";
    EXPECT_EQ(posted.Count(), 1);

    bench.Report(1200, ckKey0);
    EXPECT_EQ(bench.delivered.back(), std::make_pair(1200u, ckKey0));
    EXPECT_EQ(posted.Count(), 1);
}

TEST_F(ConsoleKeys, Key2IsPostedUnderTheConfiguredMessageNumber) {
    ControlDevice dev;
    EXPECT_EQ(dev.KeyMessage(), 12345);
    dev.SetKeyMessage(0x0400 + 77);
    PostedKeyMessages old_number(12345);
    PostedKeyMessages new_number(0x0400 + 77);
    KeyBench bench(dev);
    bench.Report(0, ckKey2);
    EXPECT_TRUE(bench.delivered.empty());
    EXPECT_EQ(new_number.Count(), 1);
    EXPECT_EQ(old_number.Count(), 0);
}

TEST_F(ConsoleKeys, DisabledKeysAreBlockedAllTheSameButNotDelivered) {
    ControlDevice dev;
    KeyBench bench(dev);
    const uint32_t key_clock = TQuarixDevice::LastKeyTick;
    dev.DisableConsoleKeys();
    EXPECT_FALSE(dev.ConsoleKeysEnabled);
    bench.Report(0, ckKey1);
    EXPECT_TRUE(bench.delivered.empty());
    EXPECT_EQ(dev.LastConsoleKey, ckKey1);
    EXPECT_EQ(TQuarixDevice::LastKeyTick, key_clock) << "an undelivered key does not move the key clock";

    dev.EnableConsoleKeys();
    EXPECT_TRUE(dev.ConsoleKeysEnabled);
    bench.Report(100, ckKey1);  // still inside the block that ran while disabled
    EXPECT_TRUE(bench.delivered.empty());
    bench.Report(600, ckKey1);
    EXPECT_EQ(bench.delivered, (decltype(bench.delivered){{600, ckKey1}}));
}

TEST_F(ConsoleKeys, WithoutAHandlerNothingChangesAndNothingIsPosted) {
    ControlDevice dev;
    PostedKeyMessages posted(12345);
    const uint32_t key_clock = TQuarixDevice::LastKeyTick;
    for (TConsoleKey key : {ckKey2, ckKey1, ckKey3}) dev.ConsoleKey(key);
    EXPECT_EQ(dev.LastConsoleKey, ckKey0);
    EXPECT_FALSE(dev.KeyRepeatTimer()->Enabled());
    EXPECT_EQ(TQuarixDevice::LastKeyTick, key_clock);
    EXPECT_EQ(posted.Count(), 0);
}

TEST_F(ConsoleKeys, KeyReportedWhileAHandlerRunsIsDroppedAndAFailingHandlerFreesTheGuard) {
    ControlDevice dev;
    std::vector<TConsoleKey> seen;
    bool fail = false;
    dev.OnConsoleKeyDown = [&](platform::TObject*, TConsoleKey key) {
        seen.push_back(key);
        EXPECT_TRUE(TQuarixDevice::KeyBusy);
        dev.ConsoleKey(ckKey3);  // as if the handler pumped a frame with a key
        if (fail) throw std::runtime_error("handler failed");
    };
    dev.ConsoleKey(ckKey0);
    EXPECT_EQ(seen, std::vector<TConsoleKey>{ckKey0});
    EXPECT_EQ(dev.LastConsoleKey, ckKey0);
    EXPECT_FALSE(TQuarixDevice::KeyBusy);

    fail = true;
    clock_.Advance(1000);
    dev.KeyRepeatTimer()->SetEnabled(false);
    EXPECT_THROW(dev.ConsoleKey(ckKey1), std::runtime_error);
    EXPECT_FALSE(TQuarixDevice::KeyBusy);
    EXPECT_EQ(seen, (std::vector<TConsoleKey>{ckKey0, ckKey1}));
}

TEST_F(ConsoleKeys, TwoDevicesShareTheKeyClock) {
    ControlDevice first;
    ControlDevice second;
    KeyBench first_bench(first);
    KeyBench second_bench(second);
    first_bench.Report(0, ckKey0);
    second_bench.Report(100, ckKey0);  // its own block is open, the shared clock is not
    second_bench.Report(700, ckKey0);
    EXPECT_EQ(first_bench.delivered.size(), 1u);
    EXPECT_EQ(second_bench.delivered, (decltype(second_bench.delivered){{700, ckKey0}}));
}

TEST_F(ConsoleKeys, RepeatTimerTickEndsTheBlockingWindow) {
    ControlDevice dev;
    dev.OnConsoleKeyDown = [](platform::TObject*, TConsoleKey) {};
    dev.ConsoleKey(ckKey0);
    ASSERT_TRUE(dev.KeyRepeatTimer()->Enabled());
    dev.KeyRepeatTimer()->DoTimer();
    EXPECT_FALSE(dev.KeyRepeatTimer()->Enabled());
}

// ---------------------------------------------------------------------------
// Relays of the port's and the framer's notifications
// ---------------------------------------------------------------------------

struct PortRelay {
    const char* name;
    bool relayed_while_destroying;
    std::function<void(ControlDevice&, std::string&)> listen;
    std::function<void(serial::TComPort*)> fire;
    const char* heard;
};

std::vector<PortRelay> PortRelays() {
    using serial::TComPort;
    auto notify = [](std::string& log, const char* what, ControlDevice& dev) {
        return [&log, what, &dev](platform::TObject* sender) { log += (sender == &dev ? what : "wrong sender"); };
    };
    auto signal = [](std::string& log, const char* what, ControlDevice& dev) {
        return [&log, what, &dev](platform::TObject* sender, bool on) {
            log += (sender == &dev ? what : "wrong sender");
            log += on ? "(on)" : "(off)";
        };
    };
    return {
        {"after open", true, [=](ControlDevice& d, std::string& l) { d.OnComPortAfterOpen = notify(l, "AfterOpen", d); },
         [](TComPort* p) { p->OnAfterOpen(p); }, "AfterOpen"},
        {"before open", true, [=](ControlDevice& d, std::string& l) { d.OnComPortBeforeOpen = notify(l, "BeforeOpen", d); },
         [](TComPort* p) { p->OnBeforeOpen(p); }, "BeforeOpen"},
        {"after close", false, [=](ControlDevice& d, std::string& l) { d.OnComPortAfterClose = notify(l, "AfterClose", d); },
         [](TComPort* p) { p->OnAfterClose(p); }, "AfterClose"},
        {"before close", false, [=](ControlDevice& d, std::string& l) { d.OnComPortBeforeClose = notify(l, "BeforeClose", d); },
         [](TComPort* p) { p->OnBeforeClose(p); }, "BeforeClose"},
        {"tx empty", false, [=](ControlDevice& d, std::string& l) { d.OnComPortTxEmpty = notify(l, "TxEmpty", d); },
         [](TComPort* p) { p->OnTxEmpty(p); }, "TxEmpty"},
        {"break", false, [=](ControlDevice& d, std::string& l) { d.OnComPortBreak = notify(l, "Break", d); },
         [](TComPort* p) { p->OnBreak(p); }, "Break"},
        {"ring", false, [=](ControlDevice& d, std::string& l) { d.OnComPortRing = notify(l, "Ring", d); },
         [](TComPort* p) { p->OnRing(p); }, "Ring"},
        {"rx flag", false, [=](ControlDevice& d, std::string& l) { d.OnComPortRxFlag = notify(l, "RxFlag", d); },
         [](TComPort* p) { p->OnRxFlag(p); }, "RxFlag"},
        {"rx 80% full", false, [=](ControlDevice& d, std::string& l) { d.OnComPortRx80Full = notify(l, "Rx80Full", d); },
         [](TComPort* p) { p->OnRx80Full(p); }, "Rx80Full"},
        {"cts", false, [=](ControlDevice& d, std::string& l) { d.OnComPortCTSChange = signal(l, "CTS", d); },
         [](TComPort* p) { p->OnCTSChange(p, true); }, "CTS(on)"},
        {"dsr", false, [=](ControlDevice& d, std::string& l) { d.OnComPortDSRChange = signal(l, "DSR", d); },
         [](TComPort* p) { p->OnDSRChange(p, false); }, "DSR(off)"},
        {"rlsd", false, [=](ControlDevice& d, std::string& l) { d.OnComPortRLSDChange = signal(l, "RLSD", d); },
         [](TComPort* p) { p->OnRLSDChange(p, true); }, "RLSD(on)"},
        {"error", false,
         [](ControlDevice& d, std::string& l) {
             d.OnComPortError = [&l, &d](platform::TObject* sender, serial::TComErrors errors) {
                 l += (sender == &d && errors == serial::TComErrors{serial::errFrame, serial::errOverrun}) ? "Error"
                                                                                                           : "bad error";
             };
         },
         [](TComPort* p) { p->OnError(p, serial::TComErrors{serial::errFrame, serial::errOverrun}); }, "Error"},
        {"rx buf", false,
         [](ControlDevice& d, std::string& l) {
             d.OnComPortRxBuf = [&l, &d](platform::TObject* sender, const char* buffer, int32_t count) {
                 l += (sender == &d) ? "RxBuf:" + std::string(buffer, static_cast<size_t>(count)) : "wrong sender";
             };
         },
         [](TComPort* p) { p->OnRxBuf(p, "ab\0c", 4); }, nullptr},
    };
}

TEST(DeviceNotifications, PortNotificationsAreRelayedWithTheDeviceAsSender) {
    for (const auto& relay : PortRelays()) {
        SCOPED_TRACE(relay.name);
        std::string log;
        ControlDevice dev;
        auto* port = dev.Port();
        relay.fire(port);  // unassigned: nothing to raise, nothing fails
        relay.listen(dev, log);
        relay.fire(port);
        const std::string expected = relay.heard ? relay.heard : std::string("RxBuf:ab\0c", 10);
        EXPECT_EQ(log, expected);

        log.clear();
        dev.Destroying();
        relay.fire(port);
        EXPECT_EQ(log, relay.relayed_while_destroying ? expected : "");
    }
}

TEST(DeviceNotifications, ClosingThePortOutsideARepairDisconnectsBeforeTheRelay) {
    ControlDevice dev;
    dev.SetSimulationMode(true);
    ASSERT_TRUE(dev.Connected());
    std::vector<std::string> order;
    dev.OnDisconnected = [&](platform::TObject*) { order.push_back("disconnected"); };
    dev.OnComPortBeforeClose = [&](platform::TObject*) {
        order.push_back(dev.Connected() ? "before close, connected" : "before close, disconnected");
    };
    dev.Port()->OnBeforeClose(dev.Port());
    EXPECT_EQ(order, (std::vector<std::string>{"disconnected", "before close, disconnected"}));
}

TEST(DeviceNotifications, ClosingThePortDuringARepairKeepsTheConnection) {
    ControlDevice dev;
    dev.SetSimulationMode(true);
    dev.Repairing = true;
    bool relayed = false;
    dev.OnComPortBeforeClose = [&](platform::TObject*) { relayed = true; };
    dev.Port()->OnBeforeClose(dev.Port());
    EXPECT_TRUE(relayed);
    EXPECT_TRUE(dev.Connected());
}

TEST(DeviceNotifications, FramerDiscardAndCustomSearchesAreRelayed) {
    ControlDevice dev;
    auto* framer = dev.Framer();
    std::string discarded;
    dev.OnComDataPacketDiscard = [&](platform::TObject* sender, const std::string& str) {
        EXPECT_EQ(sender, &dev);
        discarded = str;
    };
    framer->OnDiscard(framer, Bytes({0x11, 0x00, 0x22}));
    EXPECT_EQ(discarded, Bytes({0x11, 0x00, 0x22}));

    // Short frames: the host's own searches decide, and without them the
    // framer's own rules (the position is left as it came).
    int pos = -1;
    framer->OnCustomStart(framer, "xyz", pos);
    EXPECT_EQ(pos, -1);
    dev.OnComDataPacketCustomStart = [&](platform::TObject* sender, std::string_view str, int& p) {
        EXPECT_EQ(sender, &dev);
        p = static_cast<int>(str.size());
    };
    dev.OnComDataPacketCustomStop = [&](platform::TObject*, std::string_view, int& p) { p = 42; };
    framer->OnCustomStart(framer, "xyz", pos);
    EXPECT_EQ(pos, 3);
    framer->OnCustomStop(framer, "xyz", pos);
    EXPECT_EQ(pos, 42);
}

TEST(DeviceNotifications, ShortFramePacketIsDecodedAnsweredAndRelayed) {
    ControlDevice dev;
    dev.SetSimulationMode(true);
    dev.SetSecurityActive(false);
    dev.SetQuarixResistance(77);
    ASSERT_EQ(dev.Status(), qsConnected);
    std::vector<std::string> order;
    dev.OnQuarixMessage = [&](platform::TObject*, device::TQuarixDeviceMessageType, long double, long double,
                              long double, const std::string&) { order.push_back("decoded"); };
    dev.OnComDataPacketPacket = [&](platform::TObject* sender, const std::string& str) {
        EXPECT_EQ(sender, &dev);
        order.push_back(dev.sent.empty() ? "relayed, unanswered" : "relayed, answered " + Hex(str));
    };
    auto* framer = dev.Framer();
    const std::string frame = Bytes({0xF0, 0x01, 0x00, 0x05, 0x00, 0xF7});
    framer->OnPacket(framer, frame);
    EXPECT_EQ(order, (std::vector<std::string>{"decoded", "relayed, answered " + Hex(frame)}));
    ASSERT_EQ(dev.sent.size(), 1u);
    EXPECT_EQ(Hex(dev.sent[0]), ResistanceFrame(77, 0));

    order.clear();
    dev.Destroying();
    framer->OnPacket(framer, frame);
    EXPECT_TRUE(order.empty());
    EXPECT_EQ(dev.sent.size(), 1u);
}

// The per-frame keep-alive answers the short frames of a connected console
// that is kept active, in every ride status; a long-frame console is kept
// awake by the statistics step instead, and gets no answer per frame.
TEST(DeviceNotifications, OnlyAConnectedShortFrameConsoleKeptActiveIsAnsweredPerFrame) {
    const std::string short_frame = Bytes({0xF0, 0x01, 0x00, 0x05, 0x00, 0xF7});
    const std::string long_frame = Bytes({0xF0, 0x01, 0x00, 0x03, 0xE8, 0x00, 0x00, 0x00, 0x00, 0xF7});
    const struct {
        const char* what;
        double version;
        bool connect;
        std::function<void(ControlDevice&)> then;
        bool answered;
    } cases[] = {
        {"connected", 4, true, [](ControlDevice&) {}, true},
        {"riding", 4, true, [](ControlDevice& d) { d.Start(); }, true},
        {"paused", 4, true, [](ControlDevice& d) { d.Pause(); }, true},
        {"stopped", 4, true, [](ControlDevice& d) { d.Stop(); }, true},
        {"long frames, Version 4.5", 4.5, true, [](ControlDevice& d) { d.Start(); }, false},
        {"long frames, Version 5", 5, true, [](ControlDevice& d) { d.Start(); }, false},
        {"long frames, Version 8", 8, true, [](ControlDevice&) {}, false},
        {"never connected", 4, false, [](ControlDevice&) {}, false},
        // Stop on a disconnected device leaves the stopped status without a line.
        {"disconnected, stopped by the host", 4, false, [](ControlDevice& d) { d.Stop(); }, false},
        {"disconnected by an unknown answer", 4, true,
         [](ControlDevice& d) { d.DecodeMessage(Bytes({0xF0, 0x08, 0x51, 0x00, 0x00, 0xF7})); }, false},
        {"console not kept active", 4, true, [](ControlDevice& d) { d.SetMaintainsConsoleActive(false); }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ControlDevice dev;
        dev.SetConnectionSurvey(false);
        dev.SetVersion(c.version);
        dev.SetSecurityActive(false);
        if (c.connect) dev.SetConnected(true);
        c.then(dev);
        dev.SetQuarixResistance(77);  // after a stop, which resets the level
        dev.sent.clear();

        auto* framer = dev.Framer();
        framer->OnPacket(framer, c.version > 4 ? long_frame : short_frame);
        if (c.answered) {
            ASSERT_EQ(dev.sent.size(), 1u);
            EXPECT_EQ(Hex(dev.sent[0]), ResistanceFrame(77, 0));
        } else {
            EXPECT_EQ(dev.sent, std::vector<std::string>{});
        }
    }
}

}  // namespace
