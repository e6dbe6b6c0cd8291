// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

#include "platform/exceptions.h"
#include "platform/error_reporting.h"
#include "platform/message_loop.h"
#include "platform/tick_count.h"
#include "test_support.h"

using testing_support::NowMs;
using testing_support::WaitUntil;

TEST(MessageLoop, SynchronizeBlocksTheWorkerUntilTheMainThreadRanTheCall) {
    std::atomic<bool> returned{false};
    bool ran_on_main = false;
    std::thread worker([&] {
        platform::Synchronize([&] { ran_on_main = platform::IsMainThread(); });
        returned = true;
    });
    // The worker is stuck until we process messages.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(returned.load());
    ASSERT_TRUE(WaitUntil([&] { return returned.load(); }, 2000));
    worker.join();
    EXPECT_TRUE(ran_on_main);
}

// Records the thread on which the fault object is finally released.
struct TracedFault : platform::Exception {
    explicit TracedFault(std::atomic<std::thread::id>* released_on)
        : platform::Exception("boom"), released_on_(released_on) {}
    TracedFault(const TracedFault&) = default;
    ~TracedFault() override { released_on_->store(std::this_thread::get_id()); }
    std::atomic<std::thread::id>* released_on_;
};

TEST(MessageLoop, AnExceptionThrownInTheCallReachesTheWorkerAndDiesThere) {
    std::string caught;
    std::atomic<bool> done{false};
    std::atomic<std::thread::id> released_on{};
    std::thread::id worker_id;
    std::thread worker([&] {
        worker_id = std::this_thread::get_id();
        try {
            platform::Synchronize([&] { throw TracedFault(&released_on); });
        } catch (const platform::Exception& e) {
            caught = e.Message();
        }
        done = true;
        platform::WakeMainThread();
    });
    platform::JoinServingSynchronize(worker, [&] { return done.load(); });
    EXPECT_EQ(caught, "boom");
    // Released by the main thread, the fault's reference count (kept where
    // the thread sanitizer cannot see it) would race with the worker's reads.
    EXPECT_EQ(released_on.load(), worker_id);
}

TEST(MessageLoop, SynchronizeFromTheMainThreadRunsInline) {
    int value = 0;
    platform::Synchronize([&] { value = 7; });
    EXPECT_EQ(value, 7);
    EXPECT_EQ(platform::PendingMessageCount(), 0u);
}

TEST(MessageLoop, WaitProcessingRunsWorkArrivingDuringTheWaitAndReturnsAfterTheTime) {
    std::atomic<bool> handed_over{false};
    double ran_at = 0;
    std::thread worker([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        platform::Synchronize([&] { ran_at = NowMs(); });
        handed_over = true;
    });
    const double start = NowMs();
    platform::WaitProcessing(200);
    const double end = NowMs();
    worker.join();
    EXPECT_TRUE(handed_over.load());
    EXPECT_GE(end - start, 199.0);
    EXPECT_GT(ran_at, start);
    EXPECT_LT(ran_at, end);  // ran inside the wait, not after it
}

TEST(MessageLoop, WaitProcessingPassesAtLeastOnceEvenForZero) {
    bool ran = false;
    platform::PostTask([&] { ran = true; });
    platform::WaitProcessing(0);
    EXPECT_TRUE(ran);
}

// A long wait ends once the process is terminating, whether the mark comes
// from work run inside the wait or from another thread while the wait is
// blocked; later waits are single passes.
TEST(MessageLoop, WaitProcessingEndsOnceTheProcessIsTerminating) {
    struct Clear {
        ~Clear() { platform::SetTerminating(false); }
    } clear;
    const double long_wait_ms = 60000;

    double start = NowMs();
    platform::PostTask([] { platform::SetTerminating(true); });
    platform::WaitProcessing(static_cast<uint32_t>(long_wait_ms));
    EXPECT_LT(NowMs() - start, long_wait_ms / 2);

    bool ran = false;
    platform::PostTask([&] { ran = true; });
    start = NowMs();
    platform::WaitProcessing(static_cast<uint32_t>(long_wait_ms));
    EXPECT_TRUE(ran);  // still one pass
    EXPECT_LT(NowMs() - start, long_wait_ms / 2);

    platform::SetTerminating(false);
    platform::ProcessMessages();
    std::thread worker([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        platform::SetTerminating(true);
    });
    start = NowMs();
    platform::WaitProcessing(static_cast<uint32_t>(long_wait_ms));
    EXPECT_LT(NowMs() - start, long_wait_ms / 2);
    worker.join();
    EXPECT_TRUE(platform::Terminating());
}

TEST(MessageLoop, PostedMessagesRunInOrderThroughTheirHandlers) {
    constexpr uint32_t kMsg = platform::WM_USER + 77;
    std::vector<std::pair<uintptr_t, intptr_t>> seen;
    const int id = platform::AddMessageHandler(kMsg, [&](uint32_t msg, uintptr_t w, intptr_t l) {
        EXPECT_EQ(msg, kMsg);
        seen.emplace_back(w, l);
    });
    std::thread poster([] {
        for (int i = 0; i < 5; ++i) platform::PostMessage(kMsg, static_cast<uintptr_t>(i), -i);
    });
    poster.join();
    platform::PostMessage(kMsg + 1, 9, 9);  // nobody listens: dropped quietly
    platform::ProcessMessages();
    platform::RemoveMessageHandler(id);
    ASSERT_EQ(seen.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(seen[static_cast<size_t>(i)].first, static_cast<uintptr_t>(i));
        EXPECT_EQ(seen[static_cast<size_t>(i)].second, -i);
    }
}

TEST(MessageLoop, ErrorsEscapingAPostedTaskGoToTheCentralReportingAndAbortStaysSilent) {
    std::vector<std::string> reported;
    auto previous = platform::SetErrorReporter([&](const std::string& m) { reported.push_back(m); });
    platform::PostTask([] { throw platform::Exception("bad value"); });
    platform::PostTask([] { throw platform::EAbort(); });
    bool later_ran = false;
    platform::PostTask([&] { later_ran = true; });
    platform::ProcessMessages();
    platform::SetErrorReporter(previous);
    EXPECT_EQ(reported, std::vector<std::string>{"bad value"});
    EXPECT_TRUE(later_ran);
}

TEST(MessageLoop, AProcessingPassRunsOnlyWhatWasQueuedBeforeIt) {
    // A task that re-queues itself must not keep one pass going for ever.
    int runs = 0;
    std::function<void()> again = [&] {
        ++runs;
        platform::PostTask(again);
    };
    platform::PostTask(again);
    platform::ProcessMessages();
    EXPECT_EQ(runs, 1);
    platform::ProcessMessages();
    EXPECT_EQ(runs, 2);
    // Drain the last one so it does not leak into other tests.
    again = [] {};
    platform::ProcessMessages();
}

TEST(MessageLoop, CheckSynchronizeServesHandOversButLeavesPostedWork) {
    bool posted_ran = false;
    platform::PostTask([&] { posted_ran = true; });
    std::atomic<bool> done{false};
    std::thread worker([&] {
        platform::Synchronize([] {});
        done = true;
    });
    platform::WaitServingSynchronize([&] { return done.load(); });
    worker.join();
    EXPECT_FALSE(posted_ran);
    platform::ProcessMessages();
    EXPECT_TRUE(posted_ran);
}

TEST(MessageLoop, WaitProcessingUnderAFakeClockMovesTheClockInsteadOfSleeping) {
    platform::ScopedTickCountOverride tick(5000);
    const double start = NowMs();
    platform::WaitProcessing(3000);
    EXPECT_EQ(tick.Now(), 8000u);
    EXPECT_LT(NowMs() - start, 1000.0);
}

TEST(TickCount, TheFakeClockWrapsAt32Bits) {
    platform::ScopedTickCountOverride tick(0xFFFFFFF0u);
    tick.Advance(0x20);
    EXPECT_EQ(platform::GetTickCount(), 0x10u);
}
