#include "app/termination_signals.h"

#include <QEventLoop>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <csignal>

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

}  // namespace
