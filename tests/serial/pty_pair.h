#pragma once
// A real pseudo-terminal for the port tests: the test holds the master side and
// plays the other end of the line; the port opens the slave by its path.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <string>

namespace serial_test {

class PtyPair {
public:
    PtyPair() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0)
            throw std::runtime_error("cannot create a pseudo-terminal");
        char name[128];
        if (ptsname_r(master_, name, sizeof name) != 0) throw std::runtime_error("ptsname_r failed");
        slave_path_ = name;
    }
    ~PtyPair() { CloseMaster(); }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    const std::string& SlavePath() const { return slave_path_; }
    int Master() const { return master_; }

    // The other end hangs up.
    void CloseMaster() {
        if (master_ >= 0) close(master_);
        master_ = -1;
    }

    void Send(const std::string& bytes) {
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = write(master_, bytes.data() + done, bytes.size() - done);
            if (n <= 0) throw std::runtime_error("write to the pseudo-terminal master failed");
            done += static_cast<size_t>(n);
        }
    }

    // Reads until `count` bytes arrived or timeout_ms passed; returns what came.
    std::string Receive(size_t count, int timeout_ms = 2000) {
        std::string got;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
        while (got.size() < count) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
            if (left <= 0) break;
            pollfd p{master_, POLLIN, 0};
            if (poll(&p, 1, static_cast<int>(left)) <= 0) continue;
            char buffer[4096];
            const ssize_t n = read(master_, buffer, std::min(sizeof buffer, count - got.size()));
            if (n <= 0) break;
            got.append(buffer, static_cast<size_t>(n));
        }
        return got;
    }

    // Whatever arrives within timeout_ms (for "nothing was sent" checks).
    std::string Drain(int timeout_ms) { return Receive(1 << 20, timeout_ms); }

    // The line settings the slave side runs with (the master reads them).
    termios LineSettings() const {
        termios t{};
        if (tcgetattr(master_, &t) != 0) throw std::runtime_error("tcgetattr failed");
        return t;
    }

private:
    int master_ = -1;
    std::string slave_path_;
};

// Every byte value once, in order.
inline std::string AllByteValues() {
    std::string bytes(256, '\0');
    for (int i = 0; i < 256; ++i) bytes[static_cast<size_t>(i)] = static_cast<char>(i);
    return bytes;
}

}  // namespace serial_test
