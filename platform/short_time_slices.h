// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The threads on the road from a received frame to its reply (the port's
// event thread, the main thread) sleep nearly all the time and run for some
// microseconds when woken. With the scheduler's default time slice, such a
// thread woken on a CPU that a long-running task holds waits until that
// task's slice has run out, which the kernel looks at on its next timer tick:
// up to 4 ms at 250 Hz, for each of the road's wake-ups. A short slice lets
// the scheduler run it at once instead. Its share of the CPU is unchanged
// (the nice level and its weight stay as they are).
namespace platform {

// The calling thread asks for the shortest time slice the scheduler grants
// an ordinary thread. Needs no privilege; a kernel that does not know the
// request (before Linux 6.12) keeps the thread as it was.
void AskForShortTimeSlices() noexcept;

}  // namespace platform
