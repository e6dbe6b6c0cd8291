// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Splits each frame-to-reply time of the running tool into the stages of its
// road, from the stamps the tool writes when started with
// CALIBRATION_TOOL_STAGE_STAMPS=FILE (platform/stage_stamps.h) and the
// console's own stamps of the frame's write and the reply's read. Both sides
// stamp the same monotonic clock, so the two processes' stamps line up.
//
// For each answered frame: the first line wake-up after its write, then the
// first of each later stage after the one before, all before the reply's
// read. A frame for which a stage is missing (the hand-over ran inside a wait
// of the component's, say) is left out of the breakdown, not guessed at.
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "bench/pty_helpers.h"

namespace bench {

struct StageBreakdown {
    // The tool's stages, numbered as platform::Stage, then the last leg.
    static constexpr int kToolStages = 5;
    static constexpr std::array<const char*, 6> kNames = {
        "line_wake",   // the frame's write on the console's end -> the event thread awake
        "handover",    // ... -> the GUI loop delivers the call that drains the queue
        "queue",       // ... -> the port's dispatch begins on the main thread
        "decode",      // ... -> the reply's write begins (read, framer, decoder)
        "write",       // the reply's write
        "return",      // the write's end -> the console's read of the last byte
    };
    std::array<std::vector<double>, 6> us;
    size_t frames = 0;  // frames with every stage found

    // Where the slowest frames spent their time: each stage's mean over the
    // frames whose whole road took at least its p99 (the tail is often spread
    // over stages, so that no single stage's p99 shows it).
    std::array<double, 6> TailMeanUs() const {
        std::array<double, 6> mean{};
        std::vector<double> whole(frames, 0.0);
        for (const auto& stage : us)
            for (size_t f = 0; f < frames; ++f) whole[f] += stage[f];
        const double p99 = Percentile(whole, 0.99);
        size_t n = 0;
        for (size_t f = 0; f < frames; ++f) {
            if (whole[f] < p99) continue;
            ++n;
            for (size_t s = 0; s < us.size(); ++s) mean[s] += us[s][f];
        }
        for (double& m : mean) m = n > 0 ? m / static_cast<double>(n) : 0;
        return mean;
    }
};

// Empty stamps (no file, nothing in it) give an empty breakdown.
inline StageBreakdown BreakDown(const std::string& stamps_file,
                                const std::vector<std::pair<Clock::time_point, Clock::time_point>>& sent_read) {
    std::array<std::vector<int64_t>, StageBreakdown::kToolStages> at;  // ns, in the order stamped
    std::ifstream in(stamps_file);
    int stage = 0;
    long long ns = 0;
    while (in >> stage >> ns)
        if (stage >= 0 && stage < StageBreakdown::kToolStages) at[stage].push_back(ns);
    for (auto& v : at) std::sort(v.begin(), v.end());

    constexpr int64_t kLateWriteEnd = 50'000'000;  // ns
    StageBreakdown out;
    auto ns_of = [](Clock::time_point t) {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch()).count();
    };
    for (const auto& [sent, read] : sent_read) {
        const int64_t start = ns_of(sent), end = ns_of(read);
        std::array<int64_t, StageBreakdown::kToolStages + 2> t{};
        t[0] = start;
        bool whole = true;
        for (int s = 0; s < StageBreakdown::kToolStages && whole; ++s) {
            const auto it = std::lower_bound(at[s].begin(), at[s].end(), t[s]);
            // The write's end may be stamped after the console's read, when
            // the woken console ran before the writer got back: the reply was
            // out by the read, so the write ends there.
            const bool last = s == StageBreakdown::kToolStages - 1;
            whole = it != at[s].end() && *it <= (last ? end + kLateWriteEnd : end);
            if (whole) t[s + 1] = std::min(*it, end);
        }
        if (!whole) continue;
        t[StageBreakdown::kToolStages + 1] = end;
        for (size_t s = 0; s < out.us.size(); ++s) out.us[s].push_back(static_cast<double>(t[s + 1] - t[s]) / 1000.0);
        ++out.frames;
    }
    return out;
}

}  // namespace bench
