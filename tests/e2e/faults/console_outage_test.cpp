// SPDX-License-Identifier: GPL-3.0-or-later
// The console falls silent or is unplugged under a running tool.
//
// The built tool shows only its caption, so the tool-level tests watch the
// caption and the wire. The codes the trainer component reports on the way
// (720, 611, 614, 710, 711) are checked on the component itself, on the same
// kind of line: a pseudo-terminal with the simulated console behind it.
#include <gtest/gtest.h>

#include <vector>

#include "device/quarix_device.h"
#include "platform/message_loop.h"
#include "running_tool_fixture.h"

namespace faults {
namespace {

TEST_F(RunningToolTest, SilentConsoleForThreeSecondsIsRepairedWhileTheCaptionStaysConnected) {
    StartConnected();
    ASSERT_TRUE(console_->WaitForFrame(IsResistanceCommand, 3000, console_->FrameMark()))
        << "no resistance command before the silence";

    const size_t silence_start = console_->FrameMark();
    console_->SetSilent(true);
    int connected_checks = 0, checks = 0;
    const auto end = tool_driver::Clock::now() + 3s;
    while (tool_driver::Clock::now() < end) {
        ++checks;
        if (ToolTitleIs(kConnected)) ++connected_checks;
        std::this_thread::sleep_for(100ms);
    }
    console_->SetSilent(false);
    const size_t silence_end = console_->FrameMark();

    EXPECT_EQ(connected_checks, checks) << "the caption left \"Connected\" during the silence: " << x_->Titles();
    // Each repair reopens the line and asks the console to identify itself.
    EXPECT_GE(FramesSince(silence_start, IsIdentificationRequest), 2u);
    EXPECT_TRUE(console_->WaitForFrame(IsResistanceCommand, 5000, silence_end))
        << "resistance traffic did not resume";
    std::this_thread::sleep_for(2s);
    EXPECT_GE(FramesSince(silence_end, IsResistanceCommand), 10u) << "the tool does not answer every frame again";
    EXPECT_TRUE(ToolTitleIs(kConnected)) << x_->Titles();
    EXPECT_TRUE(tool_->Running()) << tool_->Output();
    CloseAndExpectCleanExit(kConnected);
}

TEST_F(RunningToolTest, UnpluggedConsoleIsGivenUpWithoutSpinningAndTheWindowStillCloses) {
    StartConnected();
    console_->Unplug();

    // Thirty repair attempts of a survey interval and two reopen delays each.
    ASSERT_TRUE(x_->WaitForWindow(kDisconnected, 90s, tool_->pid()))
        << "titles: " << x_->Titles() << "\n" << tool_->Output();
    EXPECT_FALSE(ToolTitleIs(kConnected));

    // A thread left polling the dead line would cost a whole core; the
    // benchmark reports the exact share.
    const double cpu0 = tool_->CpuSeconds();
    const auto wall0 = tool_driver::Clock::now();
    std::this_thread::sleep_for(5s);
    const double share = 100.0 * (tool_->CpuSeconds() - cpu0) /
                         std::chrono::duration<double>(tool_driver::Clock::now() - wall0).count();
    EXPECT_LT(share, 20.0) << "CPU share while disconnected: " << share << " %";
    EXPECT_TRUE(tool_->Running()) << tool_->Output();

    CloseAndExpectCleanExit(kDisconnected);
}

// ---------------------------------------------------------------------------
// The codes, on the trainer component over a pseudo-terminal.
// ---------------------------------------------------------------------------

struct Report {
    device::TQdvErrorType type;
    int32_t code;
};

class OutageCodesTest : public ::testing::Test {
protected:
    void Connect() {
        console_sim::ConsoleOptions options;
        options.version = 4;
        options.speed_kmh = 27;
        console_ = std::make_unique<console_sim::ConsoleSimulator>(options);
        console_->Start();
        qdv_.OnQdvErrorInfo = [this](platform::TObject*, device::TQdvErrorType type, int32_t code, int32_t) {
            reports_.push_back({type, code});
        };
        qdv_.OnConnectionLost = [this](platform::TObject*) { ++lost_; };
        qdv_.SetComPortPort(console_->SlavePath());
        qdv_.Port()->Open();
        platform::WaitProcessing(200);
        ASSERT_TRUE(qdv_.Identify(100));
        qdv_.Start();
    }
    void TearDown() override {
        qdv_.Stop();
        qdv_.Disconnect();
        if (console_) console_->Stop();
    }
    std::vector<int32_t> Codes() const {
        std::vector<int32_t> codes;
        for (const Report& r : reports_) codes.push_back(r.code);
        return codes;
    }

    std::unique_ptr<console_sim::ConsoleSimulator> console_;
    device::TQuarixDevice qdv_;
    std::vector<Report> reports_;
    int lost_ = 0;
};

TEST_F(OutageCodesTest, ASilenceIsReportedAsFaultAndRestoredOnEachTickThenTrafficResumes) {
    Connect();
    console_->SetSilent(true);
    platform::WaitProcessing(3000);
    console_->SetSilent(false);
    const size_t reports_during_silence = reports_.size();
    platform::WaitProcessing(2000);

    ASSERT_GE(reports_during_silence, 3u);
    const auto codes = Codes();
    // Every repair: the fault (720), the request sent on the reopened line
    // (611), the line open again (614).
    EXPECT_EQ(std::vector<int32_t>(codes.begin(), codes.begin() + 3), (std::vector<int32_t>{720, 611, 614}));
    EXPECT_EQ(reports_.front().type, device::qetConnectionFault);
    for (const Report& r : reports_) {
        EXPECT_TRUE(r.code == 720 || r.code == 611 || r.code == 614) << r.code;
        EXPECT_EQ(r.type, r.code == 614 ? device::qetConnectionRestored : device::qetConnectionFault);
    }
    EXPECT_EQ(codes.back(), 614);
    EXPECT_TRUE(qdv_.Connected());
    EXPECT_EQ(qdv_.Status(), device::qsRunning);
    EXPECT_EQ(lost_, 0);
    // Quiet again once the console talks.
    const size_t settled = reports_.size();
    const size_t mark = console_->FrameMark();
    platform::WaitProcessing(1500);
    EXPECT_EQ(reports_.size(), settled) << "the survey still repairs a talking line";
    size_t replies = 0;
    for (const auto& frame : console_->ReceivedFrames6())
        if (IsResistanceCommand(frame.bytes)) ++replies;
    EXPECT_GT(console_->FrameMark(), mark);
    EXPECT_GT(replies, 10u);
}

TEST_F(OutageCodesTest, AnUnpluggedConsoleFailsEachRepairWith710AndIsGivenUpWith711) {
    Connect();
    qdv_.SetDisconMaxTry(3);
    console_->Unplug();
    for (int i = 0; i < 100 && qdv_.Connected(); ++i) platform::WaitProcessing(100);

    EXPECT_FALSE(qdv_.Connected());
    EXPECT_EQ(lost_, 1);
    const auto codes = Codes();
    ASSERT_FALSE(codes.empty());
    EXPECT_EQ(codes.front(), 720);
    EXPECT_EQ(codes.back(), 711);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), 710), 3) << ::testing::PrintToString(codes);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), 614), 0);
    // Given up: nothing more happens on the dead line.
    const size_t after = reports_.size();
    platform::WaitProcessing(1500);
    EXPECT_EQ(reports_.size(), after);
}

}  // namespace
}  // namespace faults
