// SPDX-License-Identifier: GPL-3.0-or-later
// The wire trace on a real search against a simulated console, its writes
// without being asked, a file that cannot be written or opened, and a FIFO
// whose reader goes away or stops reading.
#include "app/diagnostics/wire_trace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <mutex>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/diagnostics/trace_output.h"
#include "app/startup/qt_message_pump.h"
#include "app/startup/trainer_search.h"
#include "app/window/calibration_window.h"
#include "dialog_responder.h"
#include "port_fixture.h"
#include "search_ports_fixture.h"
#include "test_support.h"

namespace {
using namespace testing_support;
using namespace std::chrono_literals;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The first line at or after `from` that contains `what`; lines.size() if none.
size_t Find(const std::vector<std::string>& lines, const std::string& what, size_t from = 0) {
    for (size_t i = from; i < lines.size(); ++i)
        if (lines[i].find(what) != std::string::npos) return i;
    return lines.size();
}

class WireTraceTest : public ::testing::Test {
protected:
    void SetUp() override { form_ = std::make_unique<app::TForm1>(); }
    void TearDown() override { form_.reset(); }
    device::TQuarixDevice& qdv() { return *form_->qdv; }

    app::ScopedQtMessagePump pump_;
    PortFolder folder_;
    std::unique_ptr<app::TForm1> form_;
};

TEST_F(WireTraceTest, ASearchIsTracedFrameByFrameInBothDirections) {
    SilentPort silent(folder_, "silent");
    auto console = StartConsole(folder_, "console", 4, 20);
    ScopedSearchPorts ports({silent.Name(), folder_.Path("console")});
    DialogResponder no_dialog_expected;
    const std::string file = folder_.Path("trace.txt");
    {
        app::WireTrace trace(file);
        qdv().SetFrameListener(&trace);
        ASSERT_TRUE(app::SearchTrainer(qdv(), 3, 100));
        // A few measurements and their answers.
        console->WaitForFrame([](const std::string& f) { return static_cast<unsigned char>(f[1]) == 0x01; }, 10000);
        platform::WaitProcessing(300);
        qdv().Port()->Close();
        qdv().SetFrameListener(nullptr);
    }
    const std::vector<std::string> lines = Lines(ReadFile(file));
    ASSERT_FALSE(lines.empty());
    // Every line: time, then what happened.
    const std::regex frame_line(R"( *\d+ ms  (to console    |from console  )([0-9A-F]{2})( [0-9A-F]{2})*(  .+)?)");
    const std::regex port_line(R"( *\d+ ms  (port opened   |port closed   |repair        attempt \d+ on ).+)");
    for (const std::string& line : lines)
        EXPECT_TRUE(std::regex_match(line, frame_line) || std::regex_match(line, port_line)) << line;

    // The silent port: opened, asked three times, closed.
    const size_t opened = Find(lines, "port opened   " + silent.Name());
    ASSERT_LT(opened, lines.size()) << ReadFile(file);
    const size_t asked = Find(lines, "to console    F0 08 28 00 00 F7  identification request", opened);
    const size_t closed = Find(lines, "port closed   " + silent.Name(), opened);
    EXPECT_LT(asked, closed);
    // The console: asked, answered, then asked for its serial number and
    // product version, which it gives; measurements, each answered.
    const size_t found = Find(lines, "port opened   " + folder_.Path("console"), closed);
    ASSERT_LT(found, lines.size()) << ReadFile(file);
    const size_t answer = Find(lines, "from console  F0 08 50 00 00 F7  identification answer, Version 4", found);
    ASSERT_LT(answer, lines.size()) << ReadFile(file);
    EXPECT_LT(Find(lines, "to console    F0 03 00 00 00 F7  serial number request", answer), lines.size());
    EXPECT_LT(Find(lines, "to console    F0 09 00 00 00 F7  product version request", answer), lines.size());
    EXPECT_LT(Find(lines, "from console  F0 03 01 23 45 F7  serial number 74565", answer), lines.size());
    EXPECT_LT(Find(lines, "from console  F0 09 03 00 00 F7  product version 3", answer), lines.size());
    const size_t status = Find(lines, "from console  F0 01 ", answer);
    ASSERT_LT(status, lines.size()) << ReadFile(file);
    EXPECT_NE(lines[status].find("  status: no key, roll count "), std::string::npos) << lines[status];
    EXPECT_LT(Find(lines, "  resistance level 0, elevation 0", status), lines.size());
    EXPECT_LT(Find(lines, "port closed   " + folder_.Path("console"), status), lines.size());

    // Times never go back.
    long last = -1;
    for (const std::string& line : lines) {
        const long ms = std::stol(line);
        EXPECT_GE(ms, last) << line;
        last = ms;
    }
}

TEST_F(WireTraceTest, WhatIsTracedReachesTheFileWithinASecondUnasked) {
    auto console = StartConsole(folder_, "console", 6, 20);
    ScopedSearchPorts ports({folder_.Path("console")});
    const std::string file = folder_.Path("trace.txt");
    app::WireTrace trace(file);
    qdv().SetFrameListener(&trace);
    ASSERT_TRUE(app::SearchTrainer(qdv(), 1, 100));
    // No Flush: the writer's own pace, every half-second. Ten times that
    // leaves room for a loaded machine, and still finds a writer that waits
    // several seconds between writes.
    const auto end = std::chrono::steady_clock::now() + 5s;
    while (ReadFile(file).find("identification answer, Version 6") == std::string::npos &&
           std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(20ms);
    EXPECT_NE(ReadFile(file).find("identification answer, Version 6"), std::string::npos) << ReadFile(file);
    qdv().SetFrameListener(nullptr);
}

TEST_F(WireTraceTest, AFullDiskStopsTheTraceWithOneLineAndTheToolGoesOn) {
    auto console = StartConsole(folder_, "console", 4, 20);
    ScopedSearchPorts ports({folder_.Path("console")});
    char* text = nullptr;
    size_t size = 0;
    std::FILE* errors = ::open_memstream(&text, &size);
    {
        app::WireTrace trace("/dev/full", errors);
        qdv().SetFrameListener(&trace);
        ASSERT_TRUE(app::SearchTrainer(qdv(), 1, 100));
        trace.Flush();
        EXPECT_TRUE(trace.Stopped());
        // Still connected and talking; nothing more is tried.
        platform::WaitProcessing(300);
        trace.Flush();
        EXPECT_TRUE(qdv().Connected());
        qdv().SetFrameListener(nullptr);
    }
    std::fclose(errors);
    const std::string said = text;
    std::free(text);
    EXPECT_EQ(said, "calibration-tool: cannot write the trace to /dev/full: " + std::string(std::strerror(ENOSPC)) +
                        "; tracing stops\n");
}

TEST_F(WireTraceTest, ARepairOfTheConnectionIsTraced) {
    auto console = StartConsole(folder_, "console", 4, 20);
    ScopedSearchPorts ports({folder_.Path("console")});
    const std::string file = folder_.Path("trace.txt");
    app::WireTrace trace(file);
    qdv().SetFrameListener(&trace);
    ASSERT_TRUE(app::SearchTrainer(qdv(), 1, 100));
    qdv().Start();
    console->SetSilent(true);
    // The connection survey notices the silence and repairs: close, reopen,
    // ask again.
    const std::string repair = "repair        attempt 1 on " + folder_.Path("console");
    const auto end = std::chrono::steady_clock::now() + 30s;
    while (ReadFile(file).find(repair) == std::string::npos && std::chrono::steady_clock::now() < end) {
        platform::WaitProcessing(100);
        trace.Flush();
    }
    const std::vector<std::string> lines = Lines(ReadFile(file));
    const size_t repaired = Find(lines, repair);
    ASSERT_LT(repaired, lines.size()) << ReadFile(file);
    EXPECT_LT(Find(lines, "to console    F0 08 28 00 00 F7  identification request", repaired), lines.size())
        << ReadFile(file);
    qdv().Stop();
    qdv().SetFrameListener(nullptr);
}

// What the tool does from the moment it may write the trace on: a reader
// that goes away makes a write fail instead of killing the process.
class ScopedIgnoreBrokenPipes {
public:
    ScopedIgnoreBrokenPipes() { previous_ = std::signal(SIGPIPE, SIG_IGN); }
    ~ScopedIgnoreBrokenPipes() { std::signal(SIGPIPE, previous_); }

private:
    void (*previous_)(int);
};

// A FIFO whose reader is the test, opened before the trace as a pager or
// `tail -f` would be, with room for one page only.
class FifoReader {
public:
    explicit FifoReader(const std::string& path) {
        if (::mkfifo(path.c_str(), 0600) != 0) throw std::runtime_error("mkfifo failed");
        fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0) throw std::runtime_error("cannot open the FIFO");
        ::fcntl(fd_, F_SETPIPE_SZ, 4096);
    }
    ~FifoReader() { Quit(); }
    // Reads until `what` has come, or 20 s have passed.
    bool ReadUntil(const std::string& what) {
        const auto end = std::chrono::steady_clock::now() + 20s;
        while (read_.find(what) == std::string::npos && std::chrono::steady_clock::now() < end) {
            char buffer[4096];
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n > 0) read_.append(buffer, static_cast<size_t>(n));
            else std::this_thread::sleep_for(10ms);
        }
        return read_.find(what) != std::string::npos;
    }
    void Quit() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_ = -1;
    std::string read_;
};

std::string MemoryText(std::FILE* stream, char*& text, size_t& size) {
    std::fclose(stream);
    std::string said(text, size);
    std::free(text);
    return said;
}

// A reader that quits or one that stops reading ends the trace with one
// line; the trace's last writes and its end wait a bounded time for it, where
// a writer blocked in the system would hold the tool for ever.
TEST_F(WireTraceTest, AReaderThatQuitsOrStopsReadingEndsTheTraceWithOneLine) {
    ScopedIgnoreBrokenPipes ignore_broken_pipes;
    const struct {
        const char* name;
        bool reader_quits;
        std::string reason;
    } cases[] = {
        {"quits", true, std::strerror(EPIPE)},
        {"stops-reading", false, app::kReaderStoppedReading},
    };
    const std::string frame("\xF0\x01\x00\x00\x00\xF7", 6);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string fifo = folder_.Path(std::string("trace-") + c.name);
        FifoReader reader(fifo);
        char* text = nullptr;
        size_t size = 0;
        std::FILE* errors = ::open_memstream(&text, &size);
        auto* trace = new app::WireTrace(fifo, errors);
        trace->FrameSent(qdv(), frame);
        trace->Flush();
        ASSERT_TRUE(reader.ReadUntil("to console    F0 01 00 00 00 F7"));
        if (c.reader_quits) reader.Quit();
        // Many times what the FIFO holds.
        for (int i = 0; i < 2000; ++i) trace->FrameSent(qdv(), frame);

        // As the tool ends: the last flush, then the end of the trace.
        // On a thread of its own, which a trace that never ends is left to.
        struct Outcome {
            std::atomic<bool> stopped{false}, ended{false};
        };
        auto outcome = std::make_shared<Outcome>();
        std::thread([trace, outcome] {
            trace->Flush();
            outcome->stopped = trace->Stopped();
            delete trace;
            outcome->ended = true;
        }).detach();
        ASSERT_TRUE(testing_support::WaitUntil([&] { return outcome->ended.load(); }, 60000))
            << "the trace's end still waits for its reader";
        EXPECT_TRUE(outcome->stopped);
        EXPECT_EQ(MemoryText(errors, text, size),
                  "calibration-tool: cannot write the trace to " + fifo + ": " + c.reason + "; tracing stops\n");
    }
}

TEST(WireTrace, AFileThatCannotBeOpenedIsRefusedAtOnce) {
    PortFolder folder;
    const std::string fifo = folder.Path("nobody-reads");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        std::string file;
        std::string why;
    } cases[] = {
        {"/nonexistent/dir/trace.txt", std::strerror(ENOENT)},
        {folder.Path(""), std::strerror(EISDIR)},
        // Waiting for a reader would hold the tool before any window opens.
        {fifo, "nothing reads this FIFO yet (start its reader first)"},
    };
    for (const auto& c : cases) {
        // On a thread of its own, which an open that waits is left to.
        struct Outcome {
            std::mutex mutex;
            std::optional<std::string> refusal;
        };
        auto outcome = std::make_shared<Outcome>();
        std::thread([file = c.file, outcome] {
            std::string said;
            try {
                app::WireTrace trace(file);
                said = "opened";
            } catch (const app::TraceFileError& e) {
                said = e.what();
            }
            std::lock_guard lock(outcome->mutex);
            outcome->refusal = said;
        }).detach();
        const bool answered = testing_support::WaitUntil(
            [&] {
                std::lock_guard lock(outcome->mutex);
                return outcome->refusal.has_value();
            },
            30000);
        ASSERT_TRUE(answered) << "the open of " << c.file << " still waits";
        std::lock_guard lock(outcome->mutex);
        EXPECT_EQ(*outcome->refusal, "cannot open the trace file " + c.file + ": " + c.why);
    }
}

}  // namespace
