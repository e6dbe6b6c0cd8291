// The wire trace on a real search against a simulated console, its writes
// without being asked, and a file that cannot be written.
#include "app/wire_trace.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/calibration_window.h"
#include "app/qt_message_pump.h"
#include "app/trainer_search.h"
#include "dialog_responder.h"
#include "port_fixture.h"
#include "search_ports_fixture.h"

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
    // No Flush: the writer's own pace. Generous, for a loaded machine.
    const auto end = std::chrono::steady_clock::now() + 20s;
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

TEST(WireTrace, AFileThatCannotBeOpenedIsRefused) {
    EXPECT_THROW(app::WireTrace("/nonexistent/dir/trace.txt"), std::system_error);
}

}  // namespace
