// SPDX-License-Identifier: GPL-3.0-or-later
// Two tools started for the same console: the first holds the port, the
// second must find it in use, say so in its retry dialog, and leave the first
// undisturbed.
//
// The second tool runs twice: as the built program (its retry dialog appears,
// nothing crashes, the first keeps answering), and as the same start-up run in
// this process, where the dialog's text can be read.
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/window/calibration_window.h"
#include "app/dialog_responder.h"
#include "app/startup/qt_message_pump.h"
#include "app/startup/start_up.h"
#include "platform/error_reporting.h"
#include "platform/exceptions.h"
#include "running_tool_fixture.h"

namespace faults {
namespace {

TEST_F(RunningToolTest, SecondToolFindsThePortInUseAndTheFirstKeepsItsConsole) {
    StartConnected();

    second_ = Launch(console_->SlavePath(), "second.log");
    ASSERT_TRUE(x_->WaitForWindow(kErrorCaption, 30s, second_->pid()))
        << "no retry dialog from the second tool; titles: " << x_->Titles() << "\n" << second_->Output();
    EXPECT_FALSE(x_->FindWindow(kConnected, second_->pid())) << "the second tool connected to a port in use";
    EXPECT_TRUE(second_->Running()) << second_->Output();

    const size_t mark = console_->FrameMark();
    EXPECT_TRUE(console_->WaitForFrame(IsResistanceCommand, 3000, mark)) << "the first tool stopped answering";
    EXPECT_TRUE(ToolTitleIs(kConnected)) << x_->Titles();
    second_.reset();  // the user would answer No; the dialog's text is checked below
    CloseAndExpectCleanExit(kConnected);
}

TEST_F(RunningToolTest, TwoToolsStartedTogetherEndWithOneConnectedAndOneAskingToRetry) {
    StartConsole();
    tool_ = Launch(console_->SlavePath(), "tool.log");
    second_ = Launch(console_->SlavePath(), "second.log");

    auto settled = [&] {
        const bool first_won = x_->FindWindow(kConnected, tool_->pid()) && x_->FindWindow(kErrorCaption, second_->pid());
        const bool second_won = x_->FindWindow(kConnected, second_->pid()) && x_->FindWindow(kErrorCaption, tool_->pid());
        return first_won || second_won;
    };
    ASSERT_TRUE(tool_driver::WaitUntil(settled, 30s)) << "titles: " << x_->Titles() << "\nfirst:\n"
                                                      << tool_->Output() << "\nsecond:\n" << second_->Output();
    EXPECT_TRUE(tool_->Running()) << tool_->Output();
    EXPECT_TRUE(second_->Running()) << second_->Output();
    EXPECT_TRUE(console_->WaitForFrame(IsResistanceCommand, 3000, console_->FrameMark()))
        << "the connected tool does not answer its console";
    if (x_->FindWindow(kConnected, second_->pid())) std::swap(tool_, second_);
    second_.reset();
    CloseAndExpectCleanExit(kConnected);
}

TEST_F(RunningToolTest, TheRetryDialogOfTheSecondToolNamesThePortInUse) {
    StartConnected();

    const char* previous_ports = std::getenv("CALIBRATION_TOOL_PORTS");
    const std::string saved_ports = previous_ports ? previous_ports : "";
    setenv("CALIBRATION_TOOL_PORTS", console_->SlavePath().c_str(), 1);
    setenv("CALIBRATION_TOOL_SETTINGS", settings_->c_str(), 1);
    std::optional<int> exit_code;
    auto previous_ender = app::SetProcessEnder([&](int code) {
        exit_code = code;
        throw platform::EAbort();
    });
    std::vector<std::string> errors;
    auto previous_reporter = platform::SetErrorReporter([&](const std::string& m) { errors.push_back(m); });

    // Answers the retry dialog with No, as the user who reads it would.
    std::vector<testing_support::SeenDialog> dialogs;
    {
        app::ScopedQtMessagePump pump;
        testing_support::DialogResponder responder([](const testing_support::SeenDialog&) { return "No"; });
        app::TForm1 form;
        form.DoCreate();
        EXPECT_FALSE(form.qdv->Connected());
        dialogs = responder.Seen();
    }
    platform::SetErrorReporter(previous_reporter);
    app::SetProcessEnder(previous_ender);
    if (previous_ports) setenv("CALIBRATION_TOOL_PORTS", saved_ports.c_str(), 1);
    else unsetenv("CALIBRATION_TOOL_PORTS");

    EXPECT_TRUE(errors.empty()) << errors.front();
    EXPECT_EQ(exit_code, 0);
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].title, kErrorCaption);
    EXPECT_EQ(dialogs[0].buttons, (std::vector<std::string>{"No", "Retry"}));
    EXPECT_NE(dialogs[0].text.find(console_->SlavePath() + ": in use"), std::string::npos) << dialogs[0].text;

    // The first tool kept its console throughout.
    EXPECT_TRUE(console_->WaitForFrame(IsResistanceCommand, 3000, console_->FrameMark()));
    EXPECT_TRUE(ToolTitleIs(kConnected)) << x_->Titles();
    CloseAndExpectCleanExit(kConnected);
}

}  // namespace
}  // namespace faults
