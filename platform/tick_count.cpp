// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/tick_count.h"

#include <atomic>
#include <chrono>

namespace platform {
namespace {
std::atomic<bool> overridden{false};
std::atomic<uint32_t> fake_tick{0};
}  // namespace

uint32_t GetTickCount() {
    if (overridden.load(std::memory_order_acquire)) return fake_tick.load(std::memory_order_acquire);
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

ScopedTickCountOverride::ScopedTickCountOverride(uint32_t start) {
    fake_tick.store(start);
    overridden.store(true);
}
ScopedTickCountOverride::~ScopedTickCountOverride() { overridden.store(false); }
void ScopedTickCountOverride::Set(uint32_t value) { fake_tick.store(value); }
void ScopedTickCountOverride::Advance(uint32_t ms) { fake_tick.fetch_add(ms); }
uint32_t ScopedTickCountOverride::Now() const { return fake_tick.load(); }

bool TickCountOverridden() { return overridden.load(std::memory_order_acquire); }

void AdvanceTickCountOverride(uint32_t ms) {
    if (overridden.load()) fake_tick.fetch_add(ms);
}

}  // namespace platform
