// SPDX-License-Identifier: GPL-3.0-or-later
// Ctrl+C or SIGTERM while the tool searches for its trainer, or while it asks
// whether to search again: the tool ends at once, killed by that signal as a
// program that does not catch it is (a shell shows 128 + its number), without
// searching on or opening the question again.
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "running_tool_fixture.h"

namespace faults {
namespace {

enum class When { kDuringSearch, kInRetryDialog };

struct SignalCase {
    const char* name;
    int signal;
    When when;
};

void PrintTo(const SignalCase& c, std::ostream* os) { *os << c.name; }

const SignalCase kCases[] = {
    {"SigintDuringSearch", SIGINT, When::kDuringSearch},
    {"SigtermDuringSearch", SIGTERM, When::kDuringSearch},
    {"SigintInRetryDialog", SIGINT, When::kInRetryDialog},
    {"SigtermInRetryDialog", SIGTERM, When::kInRetryDialog},
};

class TerminationSignal : public RunningToolTest, public ::testing::WithParamInterface<SignalCase> {
protected:
    void TearDown() override {
        tool_.reset();
        RunningToolTest::TearDown();
    }

    // Ports that never answer: consoles that only listen.
    std::string SilentPorts(size_t count) {
        std::string names;
        for (size_t i = 0; i < count; ++i) {
            auto console = std::make_unique<console_sim::ConsoleSimulator>();
            console->SetSilent(true);
            console->Start();
            names += (names.empty() ? "" : ",") + console->SlavePath();
            silent_.push_back(std::move(console));
        }
        return names;
    }

    // Identification requests the silent ports received after `since`.
    size_t RequestsSince(tool_driver::Clock::time_point since) const {
        size_t count = 0;
        for (const auto& console : silent_)
            for (const auto& frame : console->ReceivedFrames6())
                if (frame.when >= since && IsIdentificationRequest(frame.bytes)) ++count;
        return count;
    }

    std::vector<std::unique_ptr<console_sim::ConsoleSimulator>> silent_;
};

TEST_P(TerminationSignal, EndsTheToolAtOnceByTheSignal) {
    const SignalCase& c = GetParam();
    // Four ports make a search of several seconds (three rounds of about half
    // a second per port); one makes the question come soon.
    const size_t ports = c.when == When::kDuringSearch ? 4 : 1;
    tool_ = Launch(SilentPorts(ports), std::string(c.name) + ".log");

    if (c.when == When::kDuringSearch) {
        // The first port is being asked: the search is under way.
        ASSERT_TRUE(silent_[0]->WaitForFrame(IsIdentificationRequest, 30000))
            << "the search did not start\n" << tool_->Output();
    } else {
        ASSERT_TRUE(x_->WaitForWindow(kErrorCaption, 60s, tool_->pid()))
            << "no retry dialog; titles: " << x_->Titles() << "\n" << tool_->Output();
    }
    const auto sent = tool_driver::Clock::now();
    ASSERT_EQ(::kill(tool_->pid(), c.signal), 0);

    bool asked_again = false;
    const bool ended = tool_driver::WaitUntil(
        [&] {
            asked_again = asked_again || (c.when == When::kDuringSearch && ToolTitleIs(kErrorCaption));
            return !tool_->Running();
        },
        20s, 20ms);
    ASSERT_TRUE(ended) << "still running 20 s after " << strsignal(c.signal) << "; titles: " << x_->Titles() << "\n"
                       << tool_->Output();
    const int status = *tool_->ExitStatus();
    ASSERT_TRUE(WIFSIGNALED(status)) << "exited with status " << (WIFEXITED(status) ? WEXITSTATUS(status) : -1)
                                     << "\n" << tool_->Output();
    EXPECT_EQ(WTERMSIG(status), c.signal) << tool_->Output();
    EXPECT_FALSE(WCOREDUMP(status)) << tool_->Output();
    EXPECT_FALSE(asked_again) << "the retry dialog opened after the signal";
    // Stopped where it was: at most the rest of the probe under way, where
    // searching on would have asked every port twice more.
    EXPECT_LE(RequestsSince(sent), 3u) << tool_->Output();
}

INSTANTIATE_TEST_SUITE_P(Cases, TerminationSignal, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<SignalCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace faults
