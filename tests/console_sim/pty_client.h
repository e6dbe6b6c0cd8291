// A plain client of a pseudo-terminal slave: open, raw mode, read and write
// with deadlines. Deliberately free of the tool's serial code, so the
// simulator is checked against nothing but the kernel.
#pragma once

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace console_sim_test {

class PtyClient {
 public:
  // Opens `path` non-blocking; `make_raw` applies cfmakeraw. Throws
  // std::runtime_error with errno's text when the open fails.
  explicit PtyClient(const std::string& path, bool make_raw = true) {
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) throw std::runtime_error("open " + path + ": " + std::to_string(errno));
    if (make_raw) {
      termios t{};
      tcgetattr(fd_, &t);
      cfmakeraw(&t);
      tcsetattr(fd_, TCSANOW, &t);
    }
  }
  ~PtyClient() { Close(); }
  PtyClient(const PtyClient&) = delete;
  PtyClient& operator=(const PtyClient&) = delete;

  // errno of an open attempt, 0 when it succeeds (and the fd is closed again).
  static int OpenError(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno;
    ::close(fd);
    return 0;
  }

  int Fd() const { return fd_; }

  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

  void Write(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
      if (n > 0) {
        done += static_cast<std::size_t>(n);
      } else if (n < 0 && errno == EAGAIN) {
        pollfd p{fd_, POLLOUT, 0};
        ::poll(&p, 1, 100);
      } else {
        throw std::runtime_error("write failed: " + std::to_string(errno));
      }
    }
  }

  // Reads until `count` bytes have arrived or `timeout_ms` has passed.
  std::string ReadAtLeast(std::size_t count, int timeout_ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    std::string data;
    while (data.size() < count) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) break;
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
      if (!ReadSome(data)) break;
    }
    return data;
  }

  // Everything that arrives within `ms`.
  std::string ReadFor(int ms) { return ReadAtLeast(static_cast<std::size_t>(-1), ms); }

  // Whether the line hangs up (POLLHUP) within `timeout_ms`.
  bool WaitHangUp(int timeout_ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
      pollfd p{fd_, POLLIN, 0};
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (::poll(&p, 1, static_cast<int>(std::max<long long>(left.count(), 0))) > 0) {
        if (p.revents & POLLHUP) return true;
        std::string drained;
        ReadSome(drained);
      }
      if (std::chrono::steady_clock::now() >= deadline) return false;
    }
  }

 private:
  bool ReadSome(std::string& data) {
    char buffer[4096];
    const ssize_t n = ::read(fd_, buffer, sizeof buffer);
    if (n <= 0) return n < 0 && errno == EAGAIN;
    data.append(buffer, static_cast<std::size_t>(n));
    return true;
  }

  int fd_ = -1;
};

inline std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

inline std::uint8_t At(const std::string& s, std::size_t i) { return static_cast<std::uint8_t>(s.at(i)); }

// Cuts a received stream into frames of `length` bytes that start with F0 and
// end with F7; anything else is skipped byte by byte.
inline std::vector<std::string> SplitFrames(const std::string& stream, std::size_t length) {
  std::vector<std::string> frames;
  for (std::size_t i = 0; i + length <= stream.size();) {
    if (At(stream, i) == 0xF0 && At(stream, i + length - 1) == 0xF7) {
      frames.push_back(stream.substr(i, length));
      i += length;
    } else {
      ++i;
    }
  }
  return frames;
}

inline const std::string kIdentificationRequest = Bytes({0xF0, 0x08, 0x28, 0x00, 0x00, 0xF7});

}  // namespace console_sim_test
