// SPDX-License-Identifier: GPL-3.0-or-later
// Round-trip latency over a pseudo-terminal: one byte written on the master,
// received by the port's event thread, handed to the main thread as OnRxBuf
// (through a data link, as the packet framer receives it), answered with
// SendText, and read back on the master. Measured against a plain
// poll/read/write echo on another pseudo-terminal in the same run.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "bench/pty_helpers.h"
#include "platform/message_loop.h"
#include "serial/com_port.h"

namespace {

using bench::Clock;

void ReadOne(int fd) {
    pollfd p{fd, POLLIN, 0};
    for (;;) {
        if (poll(&p, 1, 5000) <= 0) throw std::runtime_error("no reply within 5 s");
        char c;
        if (read(fd, &c, 1) == 1) return;
    }
}

struct Samples {
    std::vector<double> us;
    double Percentile(double p) const { return bench::Percentile(us, p); }
};

Samples port_samples;
Samples echo_samples;
constexpr int kRoundTrips = 3000;

// The two round trips alternate, so both see the same machine load.
void BM_RoundTrip(benchmark::State& state) {
    bench::PtyMaster port_pty{bench::PtyMaster::Slave::kRaw}, echo_pty{bench::PtyMaster::Slave::kRaw};
    bench::PlainEcho echo(echo_pty.SlaveName());

    serial::TComPort port;
    port.SetPort(port_pty.SlaveName());
    port.Parity().SetBits(serial::prEven);
    // The trainer's events: each reply also brings a transmit-queue-empty event.
    port.SetEvents({serial::evRxChar, serial::evTxEmpty, serial::evError, serial::evRx80Full});
    std::atomic<int> replies{0};
    std::atomic<int> tx_empties{0};
    port.OnTxEmpty = [&](platform::TObject*) { ++tx_empties; };
    serial::TComLink link;
    link.DataReceived = [&](platform::TObject*, const char*, int) {};
    port.OnRxBuf = [&](platform::TObject*, const char* buffer, int32_t count) {
        port.SendText(std::string(buffer, static_cast<size_t>(count)));
        ++replies;
    };
    port.AttachLink(&link);
    port.Open();
    port_samples.us.clear();
    echo_samples.us.clear();
    const char byte = 0x5A;
    for (auto _ : state) {
        auto start = Clock::now();
        if (write(echo_pty.Master(), &byte, 1) != 1) state.SkipWithError("write failed");
        ReadOne(echo_pty.Master());
        echo_samples.us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());

        const int before = replies.load();
        start = Clock::now();
        if (write(port_pty.Master(), &byte, 1) != 1) state.SkipWithError("write failed");
        while (replies.load() == before) {
            platform::WaitForMessages(1000);
            platform::ProcessMessages();
        }
        ReadOne(port_pty.Master());
        const double us = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
        port_samples.us.push_back(us);
        state.SetIterationTime(us / 1e6);
        // Between frames the application's main loop is idle and serves the
        // transmit-empty event of the reply; so does this loop, untimed.
        while (tx_empties.load() < replies.load()) {
            platform::WaitForMessages(1000);
            platform::ProcessMessages();
        }
    }
    port.Close();
    port.DetachLink(&link);
    state.counters["port_p50_us"] = port_samples.Percentile(0.50);
    state.counters["port_p99_us"] = port_samples.Percentile(0.99);
    state.counters["echo_p50_us"] = echo_samples.Percentile(0.50);
    state.counters["echo_p99_us"] = echo_samples.Percentile(0.99);
    const double echo99 = echo_samples.Percentile(0.99);
    state.counters["p99_ratio"] = echo99 > 0 ? port_samples.Percentile(0.99) / echo99 : 0;
}

BENCHMARK(BM_RoundTrip)->Iterations(kRoundTrips)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (port_samples.us.empty() || echo_samples.us.empty()) {
        std::fprintf(stderr, "no round trips measured\n");
        return 1;
    }
    const double port_p50 = port_samples.Percentile(0.50), port_p99 = port_samples.Percentile(0.99);
    const double echo_p50 = echo_samples.Percentile(0.50), echo_p99 = echo_samples.Percentile(0.99);
    std::printf("\nround trips: %zu port, %zu plain echo\n", port_samples.us.size(), echo_samples.us.size());
    std::printf("plain echo : p50 %8.1f us   p90 %8.1f us   p99 %8.1f us\n", echo_p50, echo_samples.Percentile(0.9),
                echo_p99);
    std::printf("port p95 %.1f p97 %.1f p98 %.1f | echo p95 %.1f p97 %.1f p98 %.1f\n", port_samples.Percentile(0.95),
                port_samples.Percentile(0.97), port_samples.Percentile(0.98), echo_samples.Percentile(0.95),
                echo_samples.Percentile(0.97), echo_samples.Percentile(0.98));
    std::printf("port       : p50 %8.1f us   p90 %8.1f us   p99 %8.1f us\n", port_p50, port_samples.Percentile(0.9),
                port_p99);
    const double ratio = port_p99 / echo_p99;
    const bool met = ratio <= 3.0;
    std::printf("p99 ratio port/echo: %.2f (target: at most 3.00) %s\n", ratio, met ? "MET" : "NOT MET");
    return met ? 0 : 1;
}
