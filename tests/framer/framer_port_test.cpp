// SPDX-License-Identifier: GPL-3.0-or-later
// The framer on a real port: attaching and detaching through the port's links,
// the port's removal notice, and the case table replayed through a
// pseudo-terminal whose bytes arrive as packets on the main thread.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "framer/framer_cases.h"
#include "serial/com_data_packet.h"
#include "serial/com_port.h"
#include "test_support.h"
#include "tools/console_sim/pseudo_terminal.h"

using namespace framer_test;
using serial::TComDataPacket;
using serial::TComPort;

namespace {

TEST(FramerAttach, LinkFollowsTheComPortProperty) {
    TComPort first;
    TComPort second;
    TComDataPacket framer;
    EXPECT_FALSE(first.HasDataLink());

    framer.SetComPort(&first);
    EXPECT_EQ(framer.ComPort(), &first);
    EXPECT_TRUE(first.HasDataLink());
    framer.SetComPort(&first);  // same port: no second registration, no error
    EXPECT_TRUE(first.HasDataLink());

    framer.SetComPort(&second);
    EXPECT_FALSE(first.HasDataLink());
    EXPECT_TRUE(second.HasDataLink());

    framer.SetComPort(nullptr);
    EXPECT_FALSE(second.HasDataLink());
    EXPECT_EQ(framer.ComPort(), nullptr);
}

TEST(FramerAttach, FreeingThePortDetachesTheFramer) {
    TComDataPacket framer;
    auto port = std::make_unique<TComPort>();
    framer.SetComPort(port.get());
    port.reset();
    EXPECT_EQ(framer.ComPort(), nullptr);
    // A framer once attached to a freed port carries on: attach elsewhere.
    TComPort other;
    framer.SetComPort(&other);
    EXPECT_TRUE(other.HasDataLink());
}

TEST(FramerAttach, FreeingTheFramerLeavesThePortWithoutItsLink) {
    TComPort port;
    {
        TComDataPacket framer;
        framer.SetComPort(&port);
        EXPECT_TRUE(port.HasDataLink());
    }
    EXPECT_FALSE(port.HasDataLink());
}

TEST(FramerAttach, OldPortFreedAfterDetachDoesNotTouchTheFramer) {
    TComPort current;
    TComDataPacket framer;
    {
        TComPort old;
        framer.SetComPort(&old);
        framer.SetComPort(&current);
    }  // `old` still tells the framer it is going: it must be ignored
    EXPECT_EQ(framer.ComPort(), &current);
    EXPECT_TRUE(current.HasDataLink());
}

class FramerOnPty : public ::testing::Test {
protected:
    void SetUp() override {
        port_ = std::make_unique<TComPort>();
        port_->SetPort(pty_.SlaveName());
        port_->OnRxBuf = [this](platform::TObject*, const char*, int32_t count) {
            received_ += static_cast<size_t>(count);
        };
        port_->OnRxChar = [this](platform::TObject*, int32_t count) { rx_char_counts_.push_back(count); };
        port_->Open();
    }
    void TearDown() override {
        if (port_) port_->Close();
    }

    // Writes one chunk on the master and pumps the main thread until the port
    // has handed all of it over.
    void Send(const std::string& chunk) {
        ASSERT_NO_THROW(pty_.Write(chunk));
        const size_t target = received_ + chunk.size();
        ASSERT_TRUE(testing_support::WaitUntil([&] { return received_ >= target; }, 5000))
            << "received " << received_ << " of " << target << " bytes";
    }

    console_sim::PseudoTerminal pty_{console_sim::PseudoTerminal::Slave::kAsCreated};
    std::unique_ptr<TComPort> port_;
    size_t received_ = 0;
    std::vector<int32_t> rx_char_counts_;
};

class FramerPtyTable : public FramerOnPty, public ::testing::WithParamInterface<Case> {};

TEST_P(FramerPtyTable, ThroughARealPort) {
    const Case& c = GetParam();
    TComDataPacket framer;
    Apply(framer, c.settings);
    Recorder rec;
    rec.Attach(framer);
    framer.SetComPort(port_.get());
    for (const std::string& chunk : c.chunks) Send(chunk);
    EXPECT_EQ(rec.events, c.events);
    EXPECT_EQ(ShowHex(std::string(framer.PendingData())), ShowHex(c.pending));
    EXPECT_TRUE(rx_char_counts_.empty()) << "OnRxChar fired while the framer was attached";
}

INSTANTIATE_TEST_SUITE_P(Cases, FramerPtyTable, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST_F(FramerOnPty, DetachedFramerKeepsItsPendingBytesForLater) {
    TComDataPacket framer;
    Apply(framer, Trainer());
    Recorder rec;
    rec.Attach(framer);
    framer.SetComPort(port_.get());
    Send(Hex("F0 01 02"));
    EXPECT_TRUE(rec.events.empty());

    framer.SetComPort(nullptr);
    ASSERT_NO_THROW(pty_.Write(Hex("AA BB")));
    ASSERT_TRUE(testing_support::WaitUntil([&] { return !rx_char_counts_.empty(); }, 5000));
    EXPECT_TRUE(rec.events.empty());
    std::string unread;
    port_->ReceiveText(unread, 16);  // the owner reads them itself while detached
    EXPECT_EQ(ShowHex(unread), "AA BB");

    framer.SetComPort(port_.get());
    Send(Hex("03 04 F7"));
    EXPECT_EQ(rec.events, std::vector<std::string>{Packet(Hex("F0 01 02 03 04 F7"))});
}

}  // namespace
