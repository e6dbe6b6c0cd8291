// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The system's millisecond tick: 32 bits, wrapping. Everything that times rides,
// waits, key repeats and pulse intervals reads it here, so a test can replace it.
#include <cstdint>

namespace platform {

uint32_t GetTickCount();

// While alive, GetTickCount returns a value the test controls. WaitProcessing
// under an override does one pass of messages and then moves the fake clock
// forward by the requested time, so timed logic can be stepped without sleeping.
class ScopedTickCountOverride {
public:
    explicit ScopedTickCountOverride(uint32_t start = 1000);
    ~ScopedTickCountOverride();
    ScopedTickCountOverride(const ScopedTickCountOverride&) = delete;
    ScopedTickCountOverride& operator=(const ScopedTickCountOverride&) = delete;

    void Set(uint32_t value);
    void Advance(uint32_t ms);
    uint32_t Now() const;
};

// True while a ScopedTickCountOverride is alive.
bool TickCountOverridden();

// Moves the fake clock of the live override forward (no effect without one).
void AdvanceTickCountOverride(uint32_t ms);

}  // namespace platform
