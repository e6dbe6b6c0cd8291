// SPDX-License-Identifier: GPL-3.0-or-later
// CPU share of an idle WaitProcessing: the wait must block on the queue, not
// spin (a spinning wait costs a whole core, 100 %).
#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>

#include "platform/message_loop.h"

namespace {

double ProcessCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

void BM_WaitProcessingIdleCpuShare(benchmark::State& state) {
    const auto ms = static_cast<uint32_t>(state.range(0));
    double cpu = 0, wall = 0;
    for (auto _ : state) {
        const double cpu0 = ProcessCpuSeconds();
        const auto wall0 = std::chrono::steady_clock::now();
        platform::WaitProcessing(ms);
        cpu += ProcessCpuSeconds() - cpu0;
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    }
    state.counters["cpu_percent"] = wall > 0 ? 100.0 * cpu / wall : 0.0;
}
BENCHMARK(BM_WaitProcessingIdleCpuShare)->Arg(1000)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
