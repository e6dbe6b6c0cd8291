// SPDX-License-Identifier: GPL-3.0-or-later
// Where and how events are delivered: the three sync methods, errors escaping
// handlers, Close racing a pending dispatch, and a line that hangs up.
#include <gtest/gtest.h>
#include <time.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "platform/message_loop.h"
#include "serial/com_port.h"
#include "tests/serial/port_events.h"
#include "tests/serial/pty_pair.h"
#include "tests/test_support.h"

namespace serial {
namespace {

using serial_test::PtyPair;
using serial_test::ReportedErrors;
using testing_support::NowMs;
using testing_support::ThreadCount;
using testing_support::WaitUntil;

double ProcessCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1000.0 + static_cast<double>(ts.tv_nsec) / 1e6;
}

// Waits, without serving anything, until a worker has queued more work for the
// main thread than `already`.
bool HandOverQueued(size_t already = 0) {
    const double deadline = NowMs() + 10000;
    while (platform::PendingMessageCount() <= already) {
        if (NowMs() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

class ComPortDeliveryTest : public ::testing::TestWithParam<TSyncMethod> {
protected:
    void SetUp() override {
        port.SetPort(pty.SlaveName());
        port.SetSyncMethod(GetParam());
    }
    PtyPair pty;
    TComPort port;
};

TEST_P(ComPortDeliveryTest, DataArrivesOnTheThreadTheMethodNames) {
    std::atomic<int> total{0};
    std::atomic<bool> on_main{false};
    port.OnRxChar = [&](TObject*, int32_t count) {
        on_main = platform::IsMainThread();
        std::string bytes;
        port.ReceiveText(bytes, count);
        total += static_cast<int>(bytes.size());
    };
    port.Open();
    pty.Write("hello");
    ASSERT_TRUE(WaitUntil([&] { return total.load() == 5; }, 2000));
    EXPECT_EQ(on_main.load(), GetParam() != smNone);
}

TEST_P(ComPortDeliveryTest, AnErrorFromAHandlerIsReportedAndDeliveryGoesOn) {
    ReportedErrors errors;
    std::atomic<int> calls{0};
    port.OnRxChar = [&](TObject*, int32_t count) {
        std::string bytes;
        port.ReceiveText(bytes, count);
        if (++calls == 1) throw platform::Exception("handler failed");
    };
    port.Open();
    pty.Write("a");
    ASSERT_TRUE(WaitUntil([&] { return errors.Count() == 1; }, 2000));
    EXPECT_EQ(errors.Messages()[0], "handler failed");
    pty.Write("b");
    ASSERT_TRUE(WaitUntil([&] { return calls.load() == 2; }, 2000));
    EXPECT_EQ(errors.Count(), 1u);
}

TEST_P(ComPortDeliveryTest, CloseWhileADispatchIsPendingDoesNotHang) {
    std::atomic<int> seen{0};
    std::atomic<bool> open_at_dispatch{false};
    port.OnRxChar = [&](TObject*, int32_t) {
        open_at_dispatch = port.Connected();
        ++seen;
    };
    port.Open();
    pty.Write("x");
    // The event thread now hands over (or posts) its dispatch; the main thread
    // does not serve it before Close.
    if (GetParam() == smNone)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    else
        ASSERT_TRUE(HandOverQueued());
    const double start = NowMs();
    port.Close();
    EXPECT_LT(NowMs() - start, 5000);
    EXPECT_FALSE(port.Connected());
    if (GetParam() == smThreadSync) {
        // Served inside Close, while the port still reads as open.
        EXPECT_EQ(seen.load(), 1);
        EXPECT_TRUE(open_at_dispatch.load());
    }
    platform::WaitProcessing(50);  // a posted dispatch for a closed port is dropped
    if (GetParam() == smWindowSync) {
        EXPECT_EQ(seen.load(), 0);
    }
}

TEST_P(ComPortDeliveryTest, AHandlerMayCloseAndReopenThePort) {
    std::atomic<int> closes{0};
    // Without a hand-over the handler runs beside the main thread, which must
    // be done with the port first: the owner's own synchronisation.
    std::mutex opening;
    port.OnRxChar = [&](TObject*, int32_t) {
        std::lock_guard lock(opening);
        port.Close();
        ++closes;
    };
    {
        std::lock_guard lock(opening);
        port.Open();
    }
    pty.Write("x");
    ASSERT_TRUE(WaitUntil([&] { return closes.load() == 1; }, 3000));
    EXPECT_FALSE(port.Connected());
    port.OnRxChar = nullptr;
    EXPECT_NO_THROW(port.Open());
    EXPECT_EQ(port.SendText("ok"), 2);
    EXPECT_EQ(pty.ReadAtLeast(2, 2000), "ok");
}

TEST_P(ComPortDeliveryTest, AHungUpLineNeitherSpinsNorBlocksClose) {
    std::atomic<int> events{0};
    port.OnRxChar = [&](TObject*, int32_t) { ++events; };
    port.OnError = [&](TObject*, TComErrors) { ++events; };
    port.Open();
    pty.Close();
    platform::WaitProcessing(100);
    const double cpu_before = ProcessCpuMs();
    platform::WaitProcessing(1000);
    const double cpu_used = ProcessCpuMs() - cpu_before;
    // A spinning event thread would burn about a whole second here.
    EXPECT_LT(cpu_used, 250.0);
    EXPECT_TRUE(port.Connected());  // the port stays open; its calls fail
    try {
        port.SendText("x");
        ADD_FAILURE() << "a write on a hung-up line succeeded";
    } catch (const EComPort& e) {
        EXPECT_EQ(e.ErrorCode(), 2);
    }
    const double start = NowMs();
    port.Close();
    EXPECT_LT(NowMs() - start, 2000);
    EXPECT_FALSE(port.Connected());
}

INSTANTIATE_TEST_SUITE_P(EveryMethod, ComPortDeliveryTest, ::testing::Values(smThreadSync, smWindowSync, smNone),
                         [](const ::testing::TestParamInfo<TSyncMethod>& info) {
                             switch (info.param) {
                             case smThreadSync: return std::string("ThreadSync");
                             case smWindowSync: return std::string("WindowSync");
                             default: return std::string("None");
                             }
                         });

// Close waits for the event thread while serving the hand-overs queued for the
// main thread: the port's own pending dispatch, or a timer's tick. Either may
// close the port, or close and reopen it; the outer Close still ends with the
// port closed, once.
TEST(ComPortCloseReentryTest, AHandOverServedDuringCloseMayCloseOrReopenThePort) {
    enum Served { kDispatchCloses, kTickCloses, kTickReopens };
    for (Served served : {kDispatchCloses, kTickCloses, kTickReopens}) {
        SCOPED_TRACE(served);
        PtyPair pty;
        TComPort port;
        port.SetPort(pty.SlaveName());
        int after_close = 0;
        int ran = 0;
        port.OnAfterClose = [&](TObject*) { ++after_close; };
        auto close_or_reopen = [&] {
            ++ran;
            port.Close();
            if (served == kTickReopens) port.Open();
        };
        port.Open();
        std::thread tick;
        if (served == kDispatchCloses) {
            port.OnRxChar = [&](TObject*, int32_t) { close_or_reopen(); };
            pty.Write("x");
        } else {
            tick = std::thread([&] { platform::Synchronize(close_or_reopen); });
        }
        ASSERT_TRUE(HandOverQueued());
        port.Close();
        if (tick.joinable()) tick.join();
        EXPECT_EQ(ran, 1);
        EXPECT_FALSE(port.Connected());
        EXPECT_EQ(after_close, 1);

        port.OnRxChar = nullptr;
        ASSERT_NO_THROW(port.Open());
        EXPECT_EQ(port.SendText("ok"), 2);
        EXPECT_EQ(pty.ReadAtLeast(2, 2000), "ok");
    }
}

// The after-close notifications come once the device is closed: a handler
// there may open the port again and close it, and that Close is carried out
// (not taken for the one still returning).
TEST(ComPortCloseReentryTest, AnAfterCloseHandlerMayReopenAndCloseThePort) {
    enum Hook { kLinkConnectionChanged, kOnAfterClose };
    for (Hook hook : {kLinkConnectionChanged, kOnAfterClose}) {
        SCOPED_TRACE(hook == kOnAfterClose ? "OnAfterClose" : "link ConnectionChanged(false)");
        PtyPair pty;
        TComLink link;
        TComPort port;
        port.SetPort(pty.SlaveName());
        port.AttachLink(&link);
        int calls = 0;
        bool closing_seen = true;
        auto reopen_and_close = [&] {
            if (++calls > 1) return;  // the inner Close notifies too
            closing_seen = port.Closing();
            port.Open();
            EXPECT_TRUE(port.Connected());
            port.Close();
        };
        if (hook == kOnAfterClose)
            port.OnAfterClose = [&](TObject*) { reopen_and_close(); };
        else
            link.ConnectionChanged = [&](TObject*, bool on) {
                if (!on) reopen_and_close();
            };
        port.Open();
        port.Close();
        EXPECT_EQ(calls, 2);
        EXPECT_FALSE(closing_seen);
        EXPECT_FALSE(port.Closing());
        EXPECT_FALSE(port.Connected());
        // The line is free for another port: nothing holds the device.
        TComPort other;
        other.SetPort(pty.SlaveName());
        EXPECT_NO_THROW(other.Open());
    }
}

// A thread whose port a handler closed from inside the thread's own dispatch
// is retired and joined at a later Open or Close. That join serves the
// hand-overs queued meanwhile, and one of them may close the same port, which
// joins retired threads too: each thread is joined once, the list stays sound.
TEST(ComPortCloseReentryTest, JoiningRetiredThreadsMayServeAHandlerThatClosesThePort) {
    PtyPair pty;
    TComPort port;
    port.SetPort(pty.SlaveName());
    // Counted after one open and close: a sanitizer's runtime may start a
    // thread of its own beside the first one the process starts.
    port.Open();
    port.Close();
    const int threads_while_closed = ThreadCount();
    int dispatches = 0;
    port.OnRxChar = [&](TObject*, int32_t count) {
        std::string bytes;
        port.ReceiveText(bytes, count);
        const int n = ++dispatches;
        if (n > 2) return;
        // This thread is retired; a new one starts.
        port.Close();
        port.Open();
        if (n == 1) {
            // The new thread's dispatch is served inside this one: two
            // retired threads, both still running.
            pty.Write("2");
            EXPECT_TRUE(WaitUntil([&] { return dispatches == 2; }, 5000));
        }
    };
    port.Open();
    pty.Write("1");
    ASSERT_TRUE(WaitUntil([&] { return dispatches == 2; }, 5000));
    // Both retired threads have ended; only the third runs.
    ASSERT_TRUE(WaitUntil([&] { return ThreadCount() == threads_while_closed + 1; }, 5000));

    int served = 0;
    std::thread tick([&] {
        platform::Synchronize([&] {
            ++served;
            port.Close();
        });
    });
    ASSERT_TRUE(HandOverQueued());
    port.Close();  // joins the retired threads, serving the tick
    tick.join();
    EXPECT_EQ(served, 1);
    EXPECT_FALSE(port.Connected());
    EXPECT_TRUE(WaitUntil([&] { return ThreadCount() == threads_while_closed; }, 5000));

    port.OnRxChar = nullptr;
    ASSERT_NO_THROW(port.Open());
    EXPECT_EQ(port.SendText("ok"), 2);
    EXPECT_EQ(pty.ReadAtLeast(2, 2000), "ok");
}

TEST(ComPortWindowDeliveryTest, TheEventThreadIsReleasedBeforeTheHandlerRuns) {
    PtyPair pty;
    TComPort port;
    port.SetPort(pty.SlaveName());
    port.SetSyncMethod(smWindowSync);
    int rx = 0;
    int tx_empty = 0;
    bool released_inside_rx = false;
    bool tx_empty_inside_rx = false;
    port.OnTxEmpty = [&](TObject*) { ++tx_empty; };
    port.OnRxChar = [&](TObject*, int32_t count) {
        // Released, the event thread goes on while this handler still runs:
        // it posts its next event (the write's drain, or the byte seen once
        // more before this handler has read it), which runs only once this
        // handler has returned. Held until the handler returns, it could
        // post nothing meanwhile.
        const size_t at_start = platform::PendingMessageCount();
        std::string bytes;
        port.ReceiveText(bytes, count);
        ++rx;
        const int before = tx_empty;
        port.SendText("z");
        released_inside_rx = at_start > 0 || HandOverQueued(at_start);
        tx_empty_inside_rx = tx_empty != before;
    };
    port.Open();
    pty.Write("q");
    ASSERT_TRUE(WaitUntil([&] { return rx >= 1 && tx_empty == 1; }, 20000));
    EXPECT_TRUE(released_inside_rx);
    EXPECT_FALSE(tx_empty_inside_rx);
}

}  // namespace
}  // namespace serial
