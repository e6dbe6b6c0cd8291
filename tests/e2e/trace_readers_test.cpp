// SPDX-License-Identifier: GPL-3.0-or-later
// The built calibration-tool's --trace read by another program, as a
// technician reads it: through a pipe (`--trace - 2>&1 | head`) or a FIFO
// (`tail -f`), whose reader quits or stops reading while the rider rides.
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "e2e/tool_driver.h"
#include "test_ports.h"
#include "tools/console_sim/console_simulator.h"

namespace {
using namespace std::chrono_literals;

const std::string tool_path = CALIBRATION_TOOL_BINARY;
constexpr const char* kConnected = "Calibration tool - Connected";

bool IsResistanceCommand(const std::string& frame) {
    return frame.size() == 6 && frame[0] == '\xF0' && frame[1] == '\x01';
}

// Reads `fd` until `what` has come or 30 s have passed.
bool ReadUntil(int fd, const std::string& what, std::string& read) {
    const auto end = tool_driver::Clock::now() + 30s;
    while (read.find(what) == std::string::npos && tool_driver::Clock::now() < end) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0) continue;
        char buffer[4096];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) read.append(buffer, static_cast<size_t>(n));
        else if (n == 0) break;
    }
    return read.find(what) != std::string::npos;
}

size_t Count(const std::string& text, const std::string& what) {
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
    return count;
}

class TraceReaders : public ::testing::Test {
protected:
    void SetUp() override {
        console_ = testing_support::StartConsole(folder_, "console", 4, 22);
        std::ofstream(folder_.Path("user.reg"), std::ios::binary)
            << "Windows Registry Editor Version 5.00\r\n\r\n"
               "[HKEY_CURRENT_USER\\Software\\Corvane\\Trakova\\AppPath]\r\n\"AppPath\"=\"C:\\\\Trakova\"\r\n\r\n"
               "[HKEY_CURRENT_USER\\Software\\Corvane\\Trakova\\Versions]\r\n\"Soft. version\"=\"6.1.0.0\"\r\n";
    }

    std::unique_ptr<tool_driver::Process> Start(const std::string& trace, const std::string& output_path) {
        return std::make_unique<tool_driver::Process>(
            tool_path, std::vector<std::string>{"--port", console_->SlavePath(), "--trace", trace},
            std::map<std::string, std::string>{{"DISPLAY", display_.Name()},
                                               {"QT_QPA_PLATFORM", "xcb"},
                                               {"CALIBRATION_TOOL_SETTINGS", folder_.Path("user.reg")}},
            output_path);
    }

    // A FIFO with its reader (the test) opened first, as `tail -f` would be.
    int OpenFifo(const std::string& path) {
        if (::mkfifo(path.c_str(), 0600) != 0) return -1;
        return ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    }

    testing_support::PortFolder folder_;
    std::unique_ptr<console_sim::ConsoleSimulator> console_;
    tool_driver::XServer display_;
};

// The reader quits (`| head -1`, a pager closed): the trace stops with one
// line on the error stream, the ride goes on, and the window closes as
// usual - where SIGPIPE used to kill the tool with the brake at its level.
TEST_F(TraceReaders, AReaderThatQuitsStopsTheTraceAndTheRideGoesOn) {
    const struct {
        const char* name;
        bool standard_error;  // --trace - into a pipe, else a FIFO
    } cases[] = {{"pipe", true}, {"fifo", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string output_path = folder_.Path(std::string(c.name) + ".log");
        std::string trace = "-";
        int reader = -1, writer = -1;
        if (c.standard_error) {
            int fds[2];
            ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0);
            reader = fds[0];
            writer = fds[1];
            output_path = "/dev/fd/" + std::to_string(writer);
        } else {
            trace = folder_.Path("trace-fifo");
            reader = OpenFifo(trace);
            ASSERT_GE(reader, 0) << std::strerror(errno);
        }
        auto tool = Start(trace, output_path);
        if (writer >= 0) ::close(writer);
        ASSERT_TRUE(display_.WaitForWindow(kConnected, 30s, tool->pid())) << "titles: " << display_.Titles();
        std::string read;
        ASSERT_TRUE(ReadUntil(reader, "identification answer, Version 4", read)) << read;
        ::close(reader);
        // A few of the trace's writes later.
        std::this_thread::sleep_for(1500ms);
        ASSERT_TRUE(tool->Running()) << "the tool ended when its trace's reader quit, status "
                                     << tool->ExitStatus().value_or(-1);
        const size_t mark = console_->FrameMark();
        EXPECT_TRUE(console_->WaitForFrame(IsResistanceCommand, 10000, mark)) << "the ride stopped";

        const auto window = display_.FindWindow(kConnected, tool->pid());
        ASSERT_TRUE(window);
        display_.RequestClose(*window);
        const auto status = tool->Wait(20s);
        ASSERT_TRUE(status) << "the tool did not end after its window was closed";
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0)
            << "status " << *status << (WIFSIGNALED(*status) ? std::string(" ") + strsignal(WTERMSIG(*status)) : "");
        if (!c.standard_error) {
            const std::string said = tool->Output();
            EXPECT_EQ(Count(said, "cannot write the trace"), 1u) << said;
            EXPECT_NE(said.find("calibration-tool: cannot write the trace to " + trace + ": " + std::strerror(EPIPE) +
                                "; tracing stops\n"),
                      std::string::npos)
                << said;
        }
    }
}

// The reader stays but stops reading (a pager at its prompt): the trace's
// writes wait, the ride does not, and SIGTERM still ends the tool - its last
// writes wait a bounded time, where they used to hold the exit for ever.
TEST_F(TraceReaders, AReaderThatStopsReadingDoesNotHoldTheToolsEnd) {
    const std::string trace = folder_.Path("trace-fifo");
    const int reader = OpenFifo(trace);
    ASSERT_GE(reader, 0) << std::strerror(errno);
    // One page of room, so that the trace fills it within seconds.
    ASSERT_GE(::fcntl(reader, F_SETPIPE_SZ, 4096), 0) << std::strerror(errno);
    auto tool = Start(trace, folder_.Path("tool.log"));
    ASSERT_TRUE(display_.WaitForWindow(kConnected, 30s, tool->pid())) << "titles: " << display_.Titles();
    const bool full = tool_driver::WaitUntil(
        [&] {
            int waiting = 0;
            return ::ioctl(reader, FIONREAD, &waiting) == 0 && waiting > 4096 - 128;
        },
        30s, 50ms);
    ASSERT_TRUE(full) << "the trace never filled the FIFO\n" << tool->Output();
    // The ride goes on while the trace waits.
    std::this_thread::sleep_for(1s);
    const size_t mark = console_->FrameMark();
    EXPECT_TRUE(console_->WaitForFrame(IsResistanceCommand, 10000, mark)) << "the ride stopped";

    ASSERT_EQ(::kill(tool->pid(), SIGTERM), 0);
    const auto status = tool->Wait(30s);
    ASSERT_TRUE(status) << "still running 30 s after SIGTERM\n" << tool->Output();
    EXPECT_TRUE(WIFSIGNALED(*status) && WTERMSIG(*status) == SIGTERM) << "status " << *status;
    EXPECT_NE(tool->Output().find("calibration-tool: cannot write the trace to " + trace +
                                  ": the reader stopped reading; tracing stops\n"),
              std::string::npos)
        << tool->Output();
    ::close(reader);
}

}  // namespace
