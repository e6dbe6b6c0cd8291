// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/short_time_slices.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <cstdint>

namespace platform {
namespace {
// The kernel's struct sched_attr (linux/sched/types.h), which glibc does not
// declare.
struct SchedAttr {
    uint32_t size;
    uint32_t sched_policy;
    uint64_t sched_flags;
    int32_t sched_nice;
    uint32_t sched_priority;
    uint64_t sched_runtime;  // an ordinary thread's time slice, in ns
    uint64_t sched_deadline;
    uint64_t sched_period;
    uint32_t sched_util_min;
    uint32_t sched_util_max;
};
// The kernel's lower bound for a requested slice.
constexpr uint64_t kShortestSliceNs = 100000;
}  // namespace

void AskForShortTimeSlices() noexcept {
#if defined(SYS_sched_getattr) && defined(SYS_sched_setattr)
    SchedAttr attr{};
    if (syscall(SYS_sched_getattr, 0, &attr, sizeof attr, 0) != 0) return;
    // Only an ordinary thread: a real-time one chosen by its user stays so.
    if (attr.sched_policy != 0 /* SCHED_OTHER */ && attr.sched_policy != 3 /* SCHED_BATCH */) return;
    attr.size = sizeof attr;
    attr.sched_flags = 0;
    attr.sched_runtime = kShortestSliceNs;
    [[maybe_unused]] const long ignored = syscall(SYS_sched_setattr, 0, &attr, 0);
#endif
}

}  // namespace platform
