// SPDX-License-Identifier: GPL-3.0-or-later
// Ten seconds of a noisy line under the running tool: random bytes (frame
// markers among them) and frames cut short, about as many bytes as the line
// carries at 9600 bit/s, between the console's own frames.
#include <gtest/gtest.h>

#include <random>

#include "running_tool_fixture.h"

namespace faults {
namespace {

TEST_F(RunningToolTest, GarbageAndTruncatedFramesForTenSecondsNeitherCrashNorStopTheAnswers) {
    StartConnected();
    ASSERT_TRUE(console_->WaitForFrame(IsResistanceCommand, 3000, console_->FrameMark()));

    std::mt19937 rng(20261210);
    const std::string truncated[] = {
        std::string("\xF0\x01\x00", 3), std::string("\xF0\x01", 2), std::string("\xF0", 1),
        std::string("\xF0\x01\x00\x06\x00", 5), std::string("\x01\x00\x06\x00\xF7", 5),
        std::string("\xF0\x63\x00\x00\x00\xF7", 6),  // a type the short-frame console never sends
    };
    const size_t start = console_->FrameMark();
    const uint64_t measurements0 = console_->State().measurements_sent;
    uint64_t injected = 0;
    const auto end = tool_driver::Clock::now() + 10s;
    // 960 bytes a second fill a 9600 bit/s line (10 bits a byte): 10 bytes
    // every 10 ms, a cut frame every 50 ms.
    for (int tick = 0; tool_driver::Clock::now() < end; ++tick) {
        std::string noise;
        for (int i = 0; i < 10; ++i) noise += static_cast<char>(rng() & 0xFF);
        if (tick % 5 == 0) noise += truncated[rng() % std::size(truncated)];
        if (console_->Inject(noise)) injected += noise.size();
        std::this_thread::sleep_for(10ms);
    }
    const uint64_t measurements = console_->State().measurements_sent - measurements0;
    std::this_thread::sleep_for(500ms);

    EXPECT_GT(injected, 5000u) << "the noise did not reach the line";
    ASSERT_TRUE(tool_->Running()) << tool_->Output();
    EXPECT_TRUE(ToolTitleIs(kConnected)) << x_->Titles();
    // Noise glued to a frame can cost that frame, but most of the console's
    // frames are still decoded and answered.
    const size_t answers = FramesSince(start, IsResistanceCommand);
    EXPECT_GT(answers, measurements / 2) << answers << " answers to " << measurements << " frames";

    // And once the line is clean the tool answers every frame again.
    const size_t clean = console_->FrameMark();
    const uint64_t clean_measurements0 = console_->State().measurements_sent;
    std::this_thread::sleep_for(2s);
    const uint64_t clean_measurements = console_->State().measurements_sent - clean_measurements0;
    EXPECT_GE(FramesSince(clean, IsResistanceCommand) + 2, clean_measurements);
    CloseAndExpectCleanExit(kConnected);
}

}  // namespace
}  // namespace faults
