// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where a received frame's time goes on its way to the reply: a few fixed
// points of the road (the line's wake-up, the hand-over to the main thread,
// the reply's write) stamped on the monotonic clock, for the latency
// benchmark to lay beside the console's own stamps. Off unless the tool is
// started with CALIBRATION_TOOL_STAGE_STAMPS=FILE; off, a stamp is one relaxed
// load and a branch.
#include <atomic>
#include <cstdint>
#include <string>

namespace platform {

enum class Stage : uint8_t {
    kLineWoke,         // the event thread's wait ended on received bytes
    kHandOverRuns,     // the GUI loop delivered the call that drains our queue
    kDispatchRuns,     // the port's dispatch began on the main thread
    kWriteStarts,      // a write to the line began
    kWriteEnded,       // ... and returned
};

namespace stage_stamps_detail {
extern std::atomic<bool> on;
void Record(Stage stage) noexcept;
}  // namespace stage_stamps_detail

// Any thread.
inline void StampStage(Stage stage) noexcept {
    if (stage_stamps_detail::on.load(std::memory_order_relaxed)) [[unlikely]]
        stage_stamps_detail::Record(stage);
}

// Before any thread stamps: keeps the first `capacity` stamps in memory.
void StartStageStamps(size_t capacity);
// Once the threads that stamp have ended: one line per stamp, "<stage>
// <nanoseconds on CLOCK_MONOTONIC>", stages numbered as above. Throws
// std::system_error when the file cannot be written.
void WriteStageStamps(const std::string& file);

}  // namespace platform
