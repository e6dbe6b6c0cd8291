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

namespace bench {

using Clock = std::chrono::steady_clock;

// A pseudo-terminal whose master the measurement holds: the console's end.
class PtyMaster {
public:
    PtyMaster() {
        fd_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (fd_ < 0 || grantpt(fd_) != 0 || unlockpt(fd_) != 0) throw std::runtime_error("no pseudo-terminal");
        char name[128];
        if (ptsname_r(fd_, name, sizeof name) != 0) throw std::runtime_error("no pseudo-terminal name");
        slave_path_ = name;
    }
    ~PtyMaster() { Close(); }
    PtyMaster(const PtyMaster&) = delete;
    PtyMaster& operator=(const PtyMaster&) = delete;

    int fd() const { return fd_; }
    const std::string& SlavePath() const { return slave_path_; }
    void Close() {
        if (fd_ >= 0) close(fd_);
        fd_ = -1;
    }

    bool Write(const std::string& bytes) const {
        return write(fd_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }

    // Everything readable within timeout_ms (at least one read's worth), or
    // empty on timeout.
    std::string ReadSome(int timeout_ms) const {
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, timeout_ms) <= 0 || !(p.revents & POLLIN)) return {};
        char buffer[256];
        const ssize_t n = read(fd_, buffer, sizeof buffer);
        return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
    }

    // Discards whatever arrives until the line has been quiet for quiet_ms.
    void Drain(int quiet_ms) const {
        while (!ReadSome(quiet_ms).empty()) {
        }
    }

private:
    int fd_ = -1;
    std::string slave_path_;
};

inline void MakeRaw(int fd) {
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    tcsetattr(fd, TCSANOW, &t);
}

// The yardstick of the latency figures: a thread that waits in poll on a
// pseudo-terminal's slave and writes back whatever it reads.
class PlainEcho {
public:
    explicit PlainEcho(const std::string& slave_path) {
        slave_ = open(slave_path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (slave_ < 0) throw std::runtime_error("cannot open the echo's slave");
        MakeRaw(slave_);
        if (pipe(stop_) != 0) throw std::runtime_error("pipe failed");
        thread_ = std::thread([this] {
            pollfd p[2] = {{slave_, POLLIN, 0}, {stop_[0], POLLIN, 0}};
            char buffer[64];
            for (;;) {
                if (poll(p, 2, -1) < 0) continue;
                if (p[1].revents) return;
                const ssize_t n = read(slave_, buffer, sizeof buffer);
                if (n > 0 && write(slave_, buffer, static_cast<size_t>(n)) != n) return;
            }
        });
    }
    ~PlainEcho() {
        [[maybe_unused]] ssize_t w = write(stop_[1], "x", 1);
        thread_.join();
        close(stop_[0]);
        close(stop_[1]);
        close(slave_);
    }
    PlainEcho(const PlainEcho&) = delete;
    PlainEcho& operator=(const PlainEcho&) = delete;

private:
    int slave_ = -1;
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
