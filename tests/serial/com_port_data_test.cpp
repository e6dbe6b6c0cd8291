// SPDX-License-Identifier: GPL-3.0-or-later
// Data over a real pseudo-terminal: received bytes as OnRxChar or OnRxBuf and
// link data, writes and reads with every byte value, timeouts and purges.
#include <gtest/gtest.h>

#include <chrono>

#include "platform/message_loop.h"
#include "serial/com_port.h"
#include "tests/serial/port_events.h"
#include "tests/serial/pty_pair.h"
#include "tests/test_support.h"

namespace serial {
namespace {

using serial_test::EventLog;
using serial_test::PtyPair;
using testing_support::NowMs;
using testing_support::WaitUntil;

class ComPortDataTest : public ::testing::Test {
protected:
    void SetUp() override { port.SetPort(pty.SlaveName()); }
    PtyPair pty;
    TComPort port;
};

TEST_F(ComPortDataTest, WithoutALinkBytesAreAnnouncedAndStayQueued) {
    std::vector<int32_t> counts;
    bool on_main = true;
    port.OnRxChar = [&](TObject* sender, int32_t count) {
        EXPECT_EQ(sender, &port);
        on_main = on_main && platform::IsMainThread();
        counts.push_back(count);
    };
    int rx_buf = 0;
    port.OnRxBuf = [&](TObject*, const char*, int32_t) { ++rx_buf; };
    port.Open();
    pty.Write("\xF0\x01\x02\x03\x04\xF7");
    ASSERT_TRUE(WaitUntil([&] { return !counts.empty(); }, 2000));
    EXPECT_EQ(counts.front(), 6);
    // The handler read nothing: the next event reports the larger total.
    pty.Write("abc");
    ASSERT_TRUE(WaitUntil([&] { return !counts.empty() && counts.back() == 9; }, 2000));
    EXPECT_TRUE(on_main);
    EXPECT_EQ(rx_buf, 0);
    std::string got;
    EXPECT_EQ(port.ReceiveText(got, 100), 9);
    EXPECT_EQ(got, std::string("\xF0\x01\x02\x03\x04\xF7" "abc", 9));
}

TEST_F(ComPortDataTest, WithADataLinkBytesGoToOnRxBufThenToTheLinks) {
    EventLog log;
    std::string delivered;
    port.OnRxChar = [&](TObject*, int32_t count) { log.Add("RxChar" + std::to_string(count)); };
    port.OnRxBuf = [&](TObject*, const char* buffer, int32_t count) {
        log.Add("RxBuf" + std::to_string(count));
        delivered.assign(buffer, static_cast<size_t>(count));
    };
    TComLink first, plain, second;
    first.RxActivity = [&](TObject*, bool on) { log.Add(std::string("first:RxActivity") + (on ? "1" : "0")); };
    first.DataReceived = [&](TObject* sender, const char* buffer, int count) {
        EXPECT_EQ(sender, &port);
        EXPECT_EQ(std::string(buffer, static_cast<size_t>(count)), delivered);
        log.Add("first:Data" + std::to_string(count));
    };
    plain.CTSChanged = [](TObject*, bool) {};
    second.DataReceived = [&](TObject*, const char* buffer, int count) {
        EXPECT_EQ(std::string(buffer, static_cast<size_t>(count)), delivered);
        log.Add("second:Data" + std::to_string(count));
    };
    port.AttachLink(&first);
    port.AttachLink(&plain);
    port.AttachLink(&second);
    port.Open();
    const std::string frame("\xF0\x00\x10\x20\x00\xF7", 6);
    pty.Write(frame);
    ASSERT_TRUE(WaitUntil([&] { return log.Count("second:Data6") == 1; }, 2000));
    // The read itself empties the queue, which the links hear before the data.
    const std::vector<std::string> expected = {"first:RxActivity1", "first:RxActivity0", "RxBuf6", "first:Data6",
                                               "second:Data6"};
    EXPECT_EQ(log.Entries(), expected);
    EXPECT_EQ(delivered, frame);
    EXPECT_EQ(port.PendingInputCount(), 0);
    port.DetachLink(&first);
    port.DetachLink(&plain);
    port.DetachLink(&second);
}

TEST_F(ComPortDataTest, EveryByteValueMakesTheRoundTrip) {
    port.SetEvents({});
    port.Open();
    const std::string all = serial_test::AllByteValues();
    EXPECT_EQ(port.SendText(all), 256);
    EXPECT_EQ(pty.ReadAtLeast(256, 2000), all);

    pty.Write(all);
    std::string received;
    const double deadline = NowMs() + 2000;
    while (received.size() < all.size() && NowMs() < deadline) {
        std::string chunk;
        port.ReceiveText(chunk, 300);
        received += chunk;
    }
    EXPECT_EQ(received, all);
}

TEST_F(ComPortDataTest, WritesReportToLinksAndEmptyWritesSendNothing) {
    EventLog log;
    TComLink link;
    link.TxActivity = [&](TObject*, bool on) { log.Add(std::string("TxActivity") + (on ? "1" : "0")); };
    link.DataSent = [&](TObject*, const char* buffer, int count) {
        log.Add("DataSent:" + std::string(buffer, static_cast<size_t>(count)));
    };
    link.TxEmptied = [&](TObject*) { log.Add("TxEmptied"); };
    port.OnTxEmpty = [&](TObject*) { log.Add("TxEmpty"); };
    port.AttachLink(&link);
    port.Open();

    EXPECT_EQ(port.SendText(""), 0);
    EXPECT_EQ(pty.ReadFor(50), "");
    platform::WaitProcessing(50);
    EXPECT_TRUE(log.Entries().empty());

    EXPECT_EQ(port.SendText("ping"), 4);
    EXPECT_EQ(pty.ReadAtLeast(4, 2000), "ping");
    ASSERT_TRUE(WaitUntil([&] { return log.Count("TxEmpty") == 1; }, 2000));
    const std::vector<std::string> expected = {"TxActivity1", "DataSent:ping", "TxActivity0", "TxEmptied", "TxEmpty"};
    EXPECT_EQ(log.Entries(), expected);
    port.DetachLink(&link);
}

TEST_F(ComPortDataTest, ReadAndCountCallsWithNothingToDo) {
    port.SetEvents({});
    port.Open();
    std::string text = "stale";
    EXPECT_EQ(port.ReceiveText(text, 0), 0);
    EXPECT_EQ(text, "");
    EXPECT_EQ(port.ReceiveText(text, -5), 0);
    EXPECT_EQ(port.ReceiveBytes(nullptr, 0), 0);
    // Default timeouts: a read returns at once with what is waiting.
    const double start = NowMs();
    EXPECT_EQ(port.ReceiveText(text, 10), 0);
    EXPECT_LT(NowMs() - start, 1000);
    // No modem lines and no line errors on a pseudo-terminal: no failure either.
    EXPECT_TRUE(port.LineSignals().Empty());
    EXPECT_TRUE(port.TakeLineErrors().Empty());
}

TEST_F(ComPortDataTest, CallsOnAClosedPortFailWithTheirCodes) {
    struct Case {
        const char* name;
        std::function<void()> call;
        int32_t code;
    };
    std::string text;
    char buffer[4];
    const Case cases[] = {
        {"SendText", [&] { port.SendText("x"); }, 2},
        {"ReceiveText", [&] { port.ReceiveText(text, 4); }, 3},
        {"ReceiveBytes", [&] { port.ReceiveBytes(buffer, 4); }, 3},
        {"PurgeBuffers", [&] { port.PurgeBuffers(true, true); }, 5},
        {"AbortPendingIO", [&] { port.AbortPendingIO(); }, 5},
        {"PendingInputCount", [&] { port.PendingInputCount(); }, 10},
        {"TakeLineErrors", [&] { port.TakeLineErrors(); }, 10},
        {"LineSignals", [&] { port.LineSignals(); }, 11},
        {"StartWrite without record", [&] { port.StartWrite("x", 1, nullptr); }, 4},
        {"StartRead without record", [&] { port.StartRead(buffer, 1, nullptr); }, 4},
        {"WaitForIO without record", [&] { port.WaitForIO(nullptr); }, 4},
    };
    for (const Case& c : cases) {
        try {
            c.call();
            ADD_FAILURE() << c.name << " did not fail";
        } catch (const EComPort& e) {
            EXPECT_EQ(e.ErrorCode(), c.code) << c.name;
        }
    }
}

TEST_F(ComPortDataTest, PurgeDiscardsWaitingInput) {
    port.SetEvents({});
    port.Open();
    pty.Write("discard me");
    ASSERT_TRUE(WaitUntil([&] { return port.PendingInputCount() == 10; }, 2000));
    port.PurgeBuffers(true, false);
    EXPECT_EQ(port.PendingInputCount(), 0);
    pty.Write("kept");
    ASSERT_TRUE(WaitUntil([&] { return port.PendingInputCount() == 4; }, 2000));
    std::string got;
    port.ReceiveText(got, 10);
    EXPECT_EQ(got, "kept");
}

TEST_F(ComPortDataTest, ReadsWaitAsTheirTimeoutsSay) {
    port.SetEvents({});
    port.Open();
    port.Timeouts().SetReadInterval(0);
    port.Timeouts().SetReadTotalConstant(200);
    std::string got;
    double start = NowMs();
    EXPECT_EQ(port.ReceiveText(got, 10), 0);
    EXPECT_GE(NowMs() - start, 180);

    // A byte that arrives within the total ends the wait once all are there.
    port.Timeouts().SetReadTotalConstant(5000);
    std::thread sender([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        pty.Write("12345");
    });
    start = NowMs();
    EXPECT_EQ(port.ReceiveText(got, 5), 5);
    EXPECT_EQ(got, "12345");
    EXPECT_LT(NowMs() - start, 4000);
    sender.join();

    // Interval MAXDWORD with multiplier MAXDWORD: up to the constant for a first byte.
    port.Timeouts().SetReadInterval(-1);
    port.Timeouts().SetReadTotalMultiplier(-1);
    port.Timeouts().SetReadTotalConstant(150);
    start = NowMs();
    EXPECT_EQ(port.ReceiveText(got, 5), 0);
    EXPECT_GE(NowMs() - start, 130);
}

TEST_F(ComPortDataTest, AWriteTheLineCannotTakeEndsAtItsTimeout) {
    port.SetEvents({});
    port.Open();
    port.Timeouts().SetWriteTotalMultiplier(0);
    port.Timeouts().SetWriteTotalConstant(200);
    // Nobody reads the master: the terminal's queues fill up.
    const std::string big(4 << 20, 'x');
    const double start = NowMs();
    const int32_t written = port.SendText(big);
    EXPECT_GE(NowMs() - start, 180);
    EXPECT_GT(written, 0);
    EXPECT_LT(written, static_cast<int32_t>(big.size()));
    EXPECT_TRUE(port.Connected());
}

TEST_F(ComPortDataTest, DiscardNullDropsReceivedZeroBytes) {
    port.SetEvents({});
    port.SetDiscardNull(true);
    port.Open();
    pty.Write(std::string("a\0b\0\0c", 6));
    ASSERT_TRUE(WaitUntil([&] { return port.PendingInputCount() == 6; }, 2000));
    std::string got;
    port.ReceiveText(got, 6);
    EXPECT_EQ(got, "abc");
}

TEST_F(ComPortDataTest, AFullInputQueueIsAnnouncedOnceAfterTheData) {
    EventLog log;
    port.OnRx80Full = [&](TObject*) { log.Add("Rx80Full"); };
    port.OnRxChar = [&](TObject*, int32_t count) { log.Add("RxChar" + std::to_string(count)); };
    port.Buffer().SetInputSize(100);
    port.Open();
    pty.Write(std::string(85, 'x'));
    ASSERT_TRUE(WaitUntil([&] { return log.Count("Rx80Full") == 1; }, 2000));
    // Both come from the same wait: the data step runs before the full-queue step.
    const auto entries = log.Entries();
    ASSERT_GE(entries.size(), 2u);
    EXPECT_EQ(entries[entries.size() - 2], "RxChar85");
    EXPECT_EQ(entries.back(), "Rx80Full");
    pty.Write("y");
    ASSERT_TRUE(WaitUntil([&] { return log.Count("RxChar86") == 1; }, 2000));
    platform::WaitProcessing(50);
    EXPECT_EQ(log.Count("Rx80Full"), 1u);
}

}  // namespace
}  // namespace serial
