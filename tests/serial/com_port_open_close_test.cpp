// SPDX-License-Identifier: GPL-3.0-or-later
// Opening and closing a port over a real pseudo-terminal: notification order,
// the property writes that open, close or refuse, and the failures of Open.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <vector>

#include "platform/message_loop.h"
#include "serial/com_port.h"
#include "tests/serial/port_events.h"
#include "tests/serial/pty_pair.h"
#include "tests/test_support.h"

namespace serial {
namespace {

using serial_test::EventLog;
using serial_test::PtyPair;
using serial_test::ReportedErrors;
using testing_support::WaitUntil;

using Log = std::vector<std::string>;

const Log kOpenOrder = {"BeforeOpen", "link:Connection1", "AfterOpen", "link:CTS0", "CTS0",
                        "link:DSR0",  "DSR0",             "link:RLSD0", "RLSD0"};
const Log kCloseOrder = {"link:CTS0", "link:DSR0",   "link:RLSD0",        "CTS0",
                         "DSR0",      "RLSD0",       "BeforeClose",       "link:Connection0",
                         "AfterClose"};

TEST(ComPortOpenCloseTest, OpenAndCloseNotifyInOrderWithTheCurrentLineStates) {
    PtyPair pty;
    TComPort port;
    TComLink link;
    EventLog log;
    serial_test::RecordLifecycle(port, log);
    serial_test::RecordLink(link, log);
    port.AttachLink(&link);
    port.SetPort(pty.SlaveName());

    port.Open();
    EXPECT_TRUE(port.Connected());
    EXPECT_EQ(log.Entries(), kOpenOrder);  // a pseudo-terminal has no modem lines: all off

    log.Clear();
    port.Open();  // already open
    port.Close();
    EXPECT_FALSE(port.Connected());
    EXPECT_EQ(log.Entries(), kCloseOrder);

    log.Clear();
    port.Close();  // already closed
    EXPECT_TRUE(log.Entries().empty());
    port.DetachLink(&link);
}

TEST(ComPortOpenCloseTest, ConnectedOpensAndCloses) {
    PtyPair pty;
    TComPort port;
    port.SetPort(pty.SlaveName());
    port.SetConnected(true);
    EXPECT_TRUE(port.Connected());
    EXPECT_NE(port.DeviceHandle(), nullptr);
    port.SetConnected(false);
    EXPECT_FALSE(port.Connected());
    EXPECT_EQ(port.DeviceHandle(), nullptr);
}

TEST(ComPortOpenCloseTest, WritingPortWhileOpenReopensUnderTheNewName) {
    PtyPair first, second;
    TComPort port;
    EventLog log;
    serial_test::RecordLifecycle(port, log);
    port.SetPort(first.SlaveName());
    port.Open();
    log.Clear();

    port.SetPort(first.SlaveName());  // equal: nothing
    EXPECT_TRUE(log.Entries().empty());

    port.SetPort(second.SlaveName());
    const Log expected = {"CTS0", "DSR0", "RLSD0", "BeforeClose", "AfterClose", "BeforeOpen",
                          "AfterOpen", "CTS0", "DSR0", "RLSD0"};
    EXPECT_EQ(log.Entries(), expected);
    EXPECT_TRUE(port.Connected());
    EXPECT_EQ(port.Port(), second.SlaveName());
    EXPECT_EQ(port.SendText("hi"), 2);
    EXPECT_EQ(second.ReadAtLeast(2, 2000), "hi");
    EXPECT_EQ(first.ReadFor(50), "");

    port.Close();
    port.SetPort(first.SlaveName());  // closed: only stored
    EXPECT_FALSE(port.Connected());
}

TEST(ComPortOpenCloseTest, OpenFailuresRaiseCodeOneWithTheSystemError) {
    PtyPair pty;
    TComPort holder;
    holder.SetPort(pty.SlaveName());
    holder.Open();

    struct Case {
        const char* name;
        std::string port;
        int32_t os_error;
    };
    const Case cases[] = {
        {"missing device", "/dev/calibration-tool-no-such-port", ENOENT},
        {"missing name under /dev", "COM1", ENOENT},
        {"empty name", "", EISDIR},
        {"port in use", pty.SlaveName(), EBUSY},
    };
    for (const Case& c : cases) {
        TComPort port;
        EventLog log;
        serial_test::RecordLifecycle(port, log);
        port.SetPort(c.port);
        try {
            port.Open();
            ADD_FAILURE() << c.name << ": Open succeeded";
        } catch (const EComPort& e) {
            EXPECT_EQ(e.ErrorCode(), 1) << c.name;
            EXPECT_EQ(e.OSErrorCode(), c.os_error) << c.name;
            EXPECT_EQ(e.Message(), "Unable to open com port (win error code: " + std::to_string(c.os_error) + ")")
                << c.name;
        }
        EXPECT_FALSE(port.Connected()) << c.name;
        EXPECT_EQ(log.Entries(), Log{"BeforeOpen"}) << c.name;
    }
    EXPECT_TRUE(holder.Connected());
}

TEST(ComPortOpenCloseTest, SyncMethodCannotChangeWhileOpen) {
    PtyPair pty;
    TComPort port;
    port.SetPort(pty.SlaveName());
    port.SetSyncMethod(smNone);  // closed: stored
    EXPECT_EQ(port.SyncMethod(), smNone);
    port.Open();
    port.SetSyncMethod(smNone);  // equal: no error
    try {
        port.SetSyncMethod(smThreadSync);
        FAIL() << "expected code 14";
    } catch (const EComPort& e) {
        EXPECT_EQ(e.ErrorCode(), 14);
        EXPECT_EQ(e.OSErrorCode(), -1);
        EXPECT_EQ(e.Message(), "Cannot set property while connected");
    }
    EXPECT_EQ(port.SyncMethod(), smNone);
}

TEST(ComPortOpenCloseTest, LinksRegisterOnceAndTrackDataClients) {
    TComPort port;
    TComLink plain, data;
    data.DataReceived = [](TObject*, const char*, int) {};
    port.AttachLink(&plain);
    EXPECT_FALSE(port.HasDataLink());
    port.AttachLink(&data);
    EXPECT_TRUE(port.HasDataLink());

    for (auto call : {std::function<void()>([&] { port.AttachLink(&plain); }),
                      std::function<void()>([&] { port.DetachLink(&data); port.DetachLink(&data); })}) {
        try {
            call();
            ADD_FAILURE() << "expected code 18";
        } catch (const EComPort& e) {
            EXPECT_EQ(e.ErrorCode(), 18);
            EXPECT_EQ(e.Message(), "Link (un)registration failed");
        }
    }
    EXPECT_FALSE(port.HasDataLink());  // the first detach went through
    port.DetachLink(&plain);
}

TEST(ComPortOpenCloseTest, ConnectedStoredWhileLoadingOpensWhenLoadingEnds) {
    PtyPair pty;
    TComPort port;
    port.BeginLoading();
    port.SetPort(pty.SlaveName());
    port.SetConnected(true);
    EXPECT_FALSE(port.Connected());
    port.EndLoading();
    EXPECT_TRUE(port.Connected());
}

TEST(ComPortOpenCloseTest, AFailedOpenAtTheEndOfLoadingIsReportedNotThrown) {
    ReportedErrors errors;
    TComPort port;
    port.BeginLoading();
    port.SetPort("/dev/calibration-tool-no-such-port");
    port.SetConnected(true);
    EXPECT_NO_THROW(port.EndLoading());
    EXPECT_FALSE(port.Connected());
    ASSERT_EQ(errors.Count(), 1u);
    EXPECT_EQ(errors.Messages()[0], "Unable to open com port (win error code: 2)");
}

TEST(ComPortOpenCloseTest, WithoutEventsNothingIsDeliveredButTheLineWorks) {
    PtyPair pty;
    TComPort port;
    int rx = 0;
    port.OnRxChar = [&](TObject*, int32_t) { ++rx; };
    port.SetEvents({});
    port.SetPort(pty.SlaveName());
    port.Open();
    pty.Write("abc");
    EXPECT_TRUE(WaitUntil([&] { return port.PendingInputCount() == 3; }, 2000));
    platform::WaitProcessing(50);
    EXPECT_EQ(rx, 0);
    std::string got;
    EXPECT_EQ(port.ReceiveText(got, 10), 3);
    EXPECT_EQ(got, "abc");
    port.Close();
    EXPECT_FALSE(port.Connected());
}

size_t OpenDescriptorCount() {
    size_t n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++n;
    return n;
}

// The process has run out of descriptors just when the event thread needs its
// stop signal: Open raises the port's own error and leaves the port closed.
TEST(ComPortOpenCloseTest, AnEventThreadThatCannotStartFailsTheOpenAndLeavesThePortClosed) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    // The sanitizer runtimes need descriptors of their own for their checks
    // (reading the process's memory map); with none left they report faults
    // that are not there.
    GTEST_SKIP() << "descriptor exhaustion starves the sanitizer runtime";
#endif
    PtyPair pty;
    TComPort port;
    EventLog log;
    serial_test::RecordLifecycle(port, log);
    port.SetPort(pty.SlaveName());
    // What the open device itself takes, measured on a port without a thread.
    port.SetEvents({});
    const size_t before = OpenDescriptorCount();
    port.Open();
    const size_t device_needs = OpenDescriptorCount() - before;
    port.Close();
    port.SetEvents(kAllComEvents);
    log.Clear();

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit low = saved;
    low.rlim_cur = std::min<rlim_t>(saved.rlim_cur, 512);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
    std::vector<int> filler;
    for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;) filler.push_back(fd);
    for (size_t i = 0; i < device_needs && !filler.empty(); ++i) {
        ::close(filler.back());
        filler.pop_back();
    }
    int code = 0;
    int os_error = 0;
    try {
        port.Open();
    } catch (const EComPort& e) {
        code = e.ErrorCode();
        os_error = e.OSErrorCode();
    } catch (...) {
        code = -1;
    }
    const bool connected_after_failure = port.Connected();
    for (int fd : filler) ::close(fd);
    setrlimit(RLIMIT_NOFILE, &saved);

    EXPECT_EQ(code, CError_OpenFailed);
    EXPECT_EQ(os_error, EMFILE);
    EXPECT_FALSE(connected_after_failure);
    EXPECT_EQ(log.Entries(), Log{"BeforeOpen"});
    EXPECT_EQ(OpenDescriptorCount(), before);  // the device was closed again
    // The name can be opened again once descriptors are back.
    EXPECT_NO_THROW(port.Open());
    EXPECT_TRUE(port.Connected());
}

TEST(ComPortOpenCloseTest, EventsChangedWhileOpenApplyAtTheNextOpen) {
    PtyPair pty;
    TComPort port;
    int rx = 0;
    port.OnRxChar = [&](TObject*, int32_t count) {
        std::string bytes;
        port.ReceiveText(bytes, count);
        ++rx;
    };
    port.SetEvents({});
    port.SetPort(pty.SlaveName());
    port.Open();
    port.SetEvents({evRxChar});
    EXPECT_EQ(port.Events(), TComEvents{evRxChar});
    pty.Write("a");
    platform::WaitProcessing(100);
    EXPECT_EQ(rx, 0);
    port.PurgeBuffers(true, true);
    port.Close();
    port.Open();
    pty.Write("b");
    EXPECT_TRUE(WaitUntil([&] { return rx == 1; }, 2000));
}

// A client that watches the port the way the packet framer does.
class LinkedClient : public platform::TComponent {
public:
    explicit LinkedClient(TComPort* port) : port_(port) {
        link_.DataReceived = [](TObject*, const char*, int) {};
        port_->FreeNotification(this);
        port_->AttachLink(&link_);
    }
    bool detached = false;
    bool port_was_open_at_notice = true;

protected:
    void Notification(platform::TComponent* component, platform::TOperation operation) override {
        if (component == port_ && operation == platform::opRemove) {
            port_was_open_at_notice = port_->Connected();
            port_->DetachLink(&link_);
            detached = true;
            port_ = nullptr;
        }
    }

private:
    TComPort* port_;
    TComLink link_;
};

TEST(ComPortOpenCloseTest, DestructionClosesThenLetsWatchersDetach) {
    PtyPair pty;
    auto* port = new TComPort;
    EventLog log;
    serial_test::RecordLifecycle(*port, log);
    port->SetPort(pty.SlaveName());
    port->Open();
    LinkedClient client(port);
    log.Clear();
    delete port;
    EXPECT_TRUE(client.detached);
    EXPECT_FALSE(client.port_was_open_at_notice);
    EXPECT_EQ(log.Entries().back(), "AfterClose");
}

}  // namespace
}  // namespace serial
