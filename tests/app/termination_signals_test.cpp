// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/startup/termination_signals.h"

#include <QEventLoop>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <cstring>

#include "platform/message_loop.h"

namespace {

// A termination signal closes the application's windows from Qt's loop, as
// the user's close would, is remembered for the exit status, and marks the
// process as terminating so that the waits under way end.
TEST(TerminationSignals, CloseTheWindowsFromTheLoop) {
    struct Clear {
        ~Clear() { platform::SetTerminating(false); }
    } clear;
    app::QuitOnTerminationSignals termination;
    QWidget window;
    window.show();
    ASSERT_TRUE(window.isVisible());
    ::raise(SIGTERM);
    EXPECT_TRUE(window.isVisible());  // nothing happens inside the handler itself
    EXPECT_FALSE(platform::Terminating());
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!window.isVisible()) loop.quit();
    });
    poll.start(5);
    QTimer::singleShot(3000, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(termination.ReceivedSignal(), SIGTERM);
    EXPECT_TRUE(platform::Terminating());
}

// Asked twice, the process ends at once by the second signal, also while
// the first still waits for a loop to deal with it.
TEST(TerminationSignalsDeathTest, ASecondSignalEndsTheProcessAtOnce) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const struct {
        int first, second;
    } cases[] = {{SIGINT, SIGINT}, {SIGTERM, SIGTERM}, {SIGTERM, SIGINT}, {SIGHUP, SIGTERM}};
    for (const auto& c : cases) {
        EXPECT_EXIT(
            {
                app::QuitOnTerminationSignals termination;
                ::raise(c.first);
                if (termination.ReceivedSignal() != c.first) std::_Exit(3);
                ::raise(c.second);
                std::_Exit(0);
            },
            testing::KilledBySignal(c.second), "")
            << strsignal(c.first) << ", then " << strsignal(c.second);
    }
}

// At the end the tool dies by the signal it was told to end by, whatever
// handler is in place, as a program that does not catch it would.
TEST(TerminationSignalsDeathTest, TheToolEndsByTheSignalItReceived) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        EXPECT_EXIT(
            {
                app::QuitOnTerminationSignals termination;
                ::raise(signal);
                app::EndBySignal(termination.ReceivedSignal());
            },
            testing::KilledBySignal(signal), "")
            << strsignal(signal);
    }
}

}  // namespace
