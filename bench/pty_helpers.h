// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Pseudo-terminals and small timing helpers shared by the measurement programs.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "tools/console_sim/pseudo_terminal.h"

namespace bench {

using Clock = std::chrono::steady_clock;

// The console's end of a line: the simulator's pseudo-terminal master.
using PtyMaster = console_sim::PseudoTerminal;

// The yardstick of the latency figures: a thread that waits in poll on a
// pseudo-terminal's slave and writes back whatever it reads.
class PlainEcho {
public:
    explicit PlainEcho(const std::string& slave_path) : slave_(slave_path) {
        if (pipe(stop_) != 0) throw std::runtime_error("pipe failed");
        thread_ = std::thread([this] {
            const int slave = slave_.Fd();
            pollfd p[2] = {{slave, POLLIN, 0}, {stop_[0], POLLIN, 0}};
            char buffer[64];
            for (;;) {
                if (poll(p, 2, -1) < 0) continue;
                if (p[1].revents) return;
                const ssize_t n = read(slave, buffer, sizeof buffer);
                if (n > 0 && write(slave, buffer, static_cast<size_t>(n)) != n) return;
            }
        });
    }
    ~PlainEcho() {
        [[maybe_unused]] ssize_t w = write(stop_[1], "x", 1);
        thread_.join();
        close(stop_[0]);
        close(stop_[1]);
    }
    PlainEcho(const PlainEcho&) = delete;
    PlainEcho& operator=(const PlainEcho&) = delete;

private:
    console_sim::PtyClient slave_;
    int stop_[2] = {-1, -1};
    std::thread thread_;
};

inline double ProcessCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

inline double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The p-th quantile (0..1) by the nearest-rank rule.
inline double Percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t rank = static_cast<size_t>(std::max(1.0, std::ceil(p * static_cast<double>(values.size()))));
    return values[std::min(values.size(), rank) - 1];
}

}  // namespace bench
