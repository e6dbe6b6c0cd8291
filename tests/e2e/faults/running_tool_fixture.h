// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A built calibration-tool on a private X server, connected to a simulated
// console, as the fault tests start from. One X server serves the whole suite.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/e2e/tool_driver.h"
#include "tools/console_sim/console_simulator.h"

namespace faults {

using namespace std::chrono_literals;

inline constexpr const char* kConnected = "Calibration tool - Connected";
inline constexpr const char* kDisconnected = "Disconnected";
// The caption of the retry dialog (the framework's error dialog).
inline constexpr const char* kErrorCaption = "Erreur";

// F0 01 R E 00 F7: what the tool answers each short frame with.
inline bool IsResistanceCommand(const std::string& frame) {
    return frame.size() == 6 && frame[0] == '\xF0' && frame[1] == '\x01';
}
inline bool IsIdentificationRequest(const std::string& frame) {
    return frame == std::string("\xF0\x08\x28\x00\x00\xF7", 6);
}

class RunningToolTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        x_ = new tool_driver::XServer();
        dir_ = new std::string(tool_driver::TempDir("tool-faults"));
        settings_ = new std::string(tool_driver::WriteSettingsFixture(*dir_ + "/user.reg"));
    }
    static void TearDownTestSuite() {
        delete x_;
        delete dir_;
        delete settings_;
        x_ = nullptr;
    }
    void TearDown() override {
        // Whatever a test left running goes before its console.
        second_.reset();
        tool_.reset();
        if (console_) console_->Stop();
    }

    // A Version 4 console at 27 km/h (keeps answering, keeps streaming).
    console_sim::ConsoleSimulator& StartConsole(double version = 4) {
        console_sim::ConsoleOptions options;
        options.version = version;
        options.speed_kmh = 27;
        console_ = std::make_unique<console_sim::ConsoleSimulator>(options);
        console_->Start();
        return *console_;
    }

    std::unique_ptr<tool_driver::Process> Launch(const std::string& ports, const std::string& log_name) {
        return std::make_unique<tool_driver::Process>(
            CALIBRATION_TOOL_BINARY, std::vector<std::string>{},
            std::map<std::string, std::string>{{"DISPLAY", x_->Name()},
                                               {"QT_QPA_PLATFORM", "xcb"},
                                               {"CALIBRATION_TOOL_PORTS", ports},
                                               {"CALIBRATION_TOOL_SETTINGS", *settings_}},
            *dir_ + "/" + log_name);
    }

    // The console, then the tool on its port, connected.
    void StartConnected() {
        StartConsole();
        tool_ = Launch(console_->SlavePath(), "tool.log");
        ASSERT_TRUE(x_->WaitForWindow(kConnected, 20s, tool_->pid()))
            << "titles: " << x_->Titles() << "\n" << tool_->Output();
    }

    // Frames the console received from frame index `from` on that satisfy `match`.
    size_t FramesSince(size_t from, bool (*match)(const std::string&)) const {
        size_t count = 0;
        const auto frames = console_->ReceivedFrames6();
        for (size_t i = from; i < frames.size(); ++i)
            if (match(frames[i].bytes)) ++count;
        return count;
    }

    bool ToolTitleIs(const char* title) const { return x_->FindWindow(title, tool_->pid()).has_value(); }

    // The window closed as a user closes it; the process ends by itself.
    void CloseAndExpectCleanExit(const char* title) {
        const auto window = x_->FindWindow(title, tool_->pid());
        ASSERT_TRUE(window.has_value()) << "titles: " << x_->Titles();
        x_->RequestClose(*window);
        const auto status = tool_->Wait(15s);
        ASSERT_TRUE(status.has_value()) << "the tool did not end after its window was closed";
        EXPECT_TRUE(WIFEXITED(*status)) << "ended by signal " << (WIFSIGNALED(*status) ? WTERMSIG(*status) : 0)
                                        << "\n" << tool_->Output();
        if (WIFEXITED(*status)) {
            EXPECT_EQ(WEXITSTATUS(*status), 0) << tool_->Output();
        }
    }

    static tool_driver::XServer* x_;
    static std::string* dir_;
    static std::string* settings_;
    std::unique_ptr<console_sim::ConsoleSimulator> console_;
    std::unique_ptr<tool_driver::Process> tool_;
    std::unique_ptr<tool_driver::Process> second_;
};

inline tool_driver::XServer* RunningToolTest::x_ = nullptr;
inline std::string* RunningToolTest::dir_ = nullptr;
inline std::string* RunningToolTest::settings_ = nullptr;

}  // namespace faults
