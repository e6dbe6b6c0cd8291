// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/error_reporting.h"
#include "platform/exceptions.h"
#include "platform/message_loop.h"
#include "test_support.h"

using testing_support::WaitUntil;

namespace {

constexpr uint32_t kMessage = platform::WM_USER + 300;

TEST(SendMessage, RunsTheHandlersBeforeReturning) {
    std::vector<std::pair<uintptr_t, intptr_t>> received;
    const int id = platform::AddMessageHandler(kMessage, [&](uint32_t, uintptr_t w, intptr_t l) {
        EXPECT_TRUE(platform::IsMainThread());
        received.emplace_back(w, l);
    });
    platform::SendMessage(kMessage, 3, -4);
    EXPECT_EQ(received, (std::vector<std::pair<uintptr_t, intptr_t>>{{3, -4}}));
    EXPECT_EQ(platform::PendingMessageCount(), 0u);  // nothing was queued

    // From a worker: the handler runs on the main thread while the worker waits.
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        platform::SendMessage(kMessage, 5, 6);
        returned = true;
    });
    ASSERT_TRUE(WaitUntil([&] { return returned.load(); }, 2000));
    worker.join();
    EXPECT_EQ(received.size(), 2u);
    EXPECT_EQ(received.back(), (std::pair<uintptr_t, intptr_t>{5, 6}));
    platform::RemoveMessageHandler(id);
}

TEST(SendMessage, AnErrorInAHandlerGoesToTheCentralReporting) {
    std::vector<std::string> reported;
    platform::SetErrorReporter([&](const std::string& m) { reported.push_back(m); });
    bool second_ran = false;
    const int a = platform::AddMessageHandler(kMessage, [](uint32_t, uintptr_t, intptr_t) {
        throw platform::Exception("handler failed");
    });
    const int b = platform::AddMessageHandler(kMessage, [&](uint32_t, uintptr_t, intptr_t) { second_ran = true; });
    EXPECT_NO_THROW(platform::SendMessage(kMessage, 0, 0));
    platform::SetErrorReporter({});
    platform::RemoveMessageHandler(a);
    platform::RemoveMessageHandler(b);
    EXPECT_EQ(reported, (std::vector<std::string>{"handler failed"}));
    EXPECT_TRUE(second_ran);
}

}  // namespace
