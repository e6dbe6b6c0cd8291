// SPDX-License-Identifier: GPL-3.0-or-later
// Frame-to-reply latency of the trainer component at Version 4: a type-1
// console frame written on the pseudo-terminal master, through the port's
// event thread, the hand-over to the main thread, the framer, the decoder and
// SendResistance, to the resistance command read back on the master. The main
// thread waits with the platform's own loop, not the tool's Qt event loop,
// and frames follow each other 3 ms after each reply: this is the component's
// path; the running tool at the console's own cadence is bench/tool_latency.cpp.
//
// Beside it, in the same run and alternating frame by frame so that both see
// the same machine load, a plain echo on another pseudo-terminal: a thread
// that waits in poll on the slave, reads and writes back. The device's path
// is that plus one hand-over between threads, the framing and the decoding.
//
// The console side is a thread of its own; the main thread does what the
// application's main thread does, waiting for messages and processing them.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "bench/pty_helpers.h"
#include "device/quarix_device.h"
#include "platform/message_loop.h"

namespace {

constexpr int kFrames = 3000;
// Pause after each round trip: the console's next frame finds both paths idle
// without making the run last minutes.
constexpr auto kGap = std::chrono::milliseconds(3);

const std::string kRollFrame{'\xF0', '\x01', '\x00', '\x06', '\x00', '\xF7'};
const std::string kIdentified{'\xF0', '\x08', '\x50', '\x00', '\x00', '\xF7'};

// Writes `frame` and reads until a 6-byte frame of `reply_type` has come back;
// returns the microseconds taken, or -1 when nothing came within a second.
double RoundTrip(const bench::PtyMaster& master, const std::string& frame, char reply_type) {
    const auto start = bench::Clock::now();
    try {
        master.Write(frame);
    } catch (const std::system_error&) {
        return -1;
    }
    std::string got;
    while (bench::SecondsSince(start) < 1.0) {
        got += master.ReadAtLeast(6, 1000);
        const size_t at = got.find('\xF0');
        if (at != std::string::npos && got.size() >= at + 6 && got[at + 1] == reply_type && got[at + 5] == '\xF7')
            return bench::SecondsSince(start) * 1e6;
    }
    return -1;
}

void BM_FrameToReply(benchmark::State& state) {
    bench::PtyMaster console{bench::PtyMaster::Slave::kRaw}, echo_line{bench::PtyMaster::Slave::kRaw};
    bench::PlainEcho echo(echo_line.SlaveName());

    device::TQuarixDevice qdv;
    qdv.SetComPortPort(console.SlaveName());
    qdv.Port()->Open();
    // The identification answer (Version 4), then the connection's requests.
    console.Write(kIdentified);
    for (int i = 0; i < 100 && !qdv.Connected(); ++i) platform::WaitProcessing(20);
    if (!qdv.Connected()) {
        state.SkipWithError("the device did not take the identification answer");
        return;
    }
    qdv.SetQuarixResistance(80);
    qdv.Start();
    platform::WaitProcessing(100);
    console.ReadFor(50);

    std::vector<double> device_us, echo_us;
    std::atomic<bool> done{false};
    std::atomic<int> lost{0};
    for (auto _ : state) {
        std::thread console_side([&] {
            for (int i = 0; i < kFrames; ++i) {
                const double e = RoundTrip(echo_line, kRollFrame, '\x01');
                std::this_thread::sleep_for(kGap);
                const double d = RoundTrip(console, kRollFrame, '\x01');
                std::this_thread::sleep_for(kGap);
                if (e < 0 || d < 0) {
                    ++lost;
                    continue;
                }
                echo_us.push_back(e);
                device_us.push_back(d);
            }
            done = true;
            platform::WakeMainThread();
        });
        while (!done) {
            platform::WaitForMessages(100);
            platform::ProcessMessages();
        }
        console_side.join();
    }
    qdv.Stop();
    qdv.Port()->Close();

    const double dev50 = bench::Percentile(device_us, 0.50), dev99 = bench::Percentile(device_us, 0.99);
    const double echo50 = bench::Percentile(echo_us, 0.50), echo99 = bench::Percentile(echo_us, 0.99);
    state.counters["frames"] = static_cast<double>(device_us.size());
    state.counters["gap_ms"] = std::chrono::duration<double, std::milli>(kGap).count();
    state.counters["lost"] = lost.load();
    state.counters["reply_p50_us"] = dev50;
    state.counters["reply_p99_us"] = dev99;
    state.counters["echo_p50_us"] = echo50;
    state.counters["echo_p99_us"] = echo99;
    state.counters["p50_ratio"] = echo50 > 0 ? dev50 / echo50 : 0;
    state.counters["p99_ratio"] = echo99 > 0 ? dev99 / echo99 : 0;
    if (lost.load() > 0) state.SkipWithError("replies missing");
}
BENCHMARK(BM_FrameToReply)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
