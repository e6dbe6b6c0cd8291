// SPDX-License-Identifier: GPL-3.0-or-later
// The reply path's threads ask for short time slices, and the latency
// benchmark's stage stamps.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/short_time_slices.h"
#include "platform/stage_stamps.h"

namespace {

struct SchedAttr {
    uint32_t size, policy;
    uint64_t flags;
    int32_t nice;
    uint32_t priority;
    uint64_t runtime, deadline, period;
    uint32_t util_min, util_max;
};

SchedAttr ThisThreadsAttr() {
    SchedAttr attr{};
    EXPECT_EQ(syscall(SYS_sched_getattr, 0, &attr, sizeof attr, 0), 0);
    return attr;
}

TEST(ShortTimeSlices, TheThreadKeepsItsNiceLevelAndPolicyAndGetsTheShortestSlice) {
    // On a thread of its own: the nice level set here must not leak into the
    // other tests.
    SchedAttr before{}, after{};
    std::thread([&] {
        ASSERT_EQ(setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 5), 0);
        before = ThisThreadsAttr();
        platform::AskForShortTimeSlices();
        after = ThisThreadsAttr();
    }).join();
    EXPECT_EQ(before.nice, 5);
    EXPECT_EQ(after.nice, 5);
    EXPECT_EQ(after.policy, before.policy);
    // A kernel that reports an ordinary thread's slice (Linux 6.12 on) grants
    // the request; an older one reports none and keeps the thread as it was.
    if (before.runtime != 0) {
        EXPECT_EQ(after.runtime, 100000u);
    }
}

int64_t MonotonicNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

TEST(StageStamps, StampsFromTwoThreadsAreWrittenUpToTheCapacityAndNoneOnceWritten) {
    const std::string file = testing::TempDir() + "stage-stamps.txt";
    const int64_t start = MonotonicNs();
    platform::StartStageStamps(3);
    std::thread([] { platform::StampStage(platform::Stage::kLineWoke); }).join();
    platform::StampStage(platform::Stage::kWriteEnded);
    platform::StampStage(platform::Stage::kDispatchRuns);
    platform::StampStage(platform::Stage::kWriteStarts);  // beyond the capacity
    const int64_t end = MonotonicNs();
    platform::WriteStageStamps(file);
    platform::StampStage(platform::Stage::kLineWoke);  // off again: not kept anywhere

    std::ifstream in(file);
    std::vector<int> stages;
    int stage = 0;
    long long ns = 0, last = start;
    while (in >> stage >> ns) {
        stages.push_back(stage);
        EXPECT_GE(ns, last);
        EXPECT_LE(ns, end);
        last = ns;
    }
    EXPECT_EQ(stages, (std::vector<int>{0, 4, 2}));

    EXPECT_THROW(platform::WriteStageStamps(testing::TempDir() + "no-such-dir/stamps.txt"), std::system_error);
}

}  // namespace
