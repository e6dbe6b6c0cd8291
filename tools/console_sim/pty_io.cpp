// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/console_sim/pty_io.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <poll.h>
#include <system_error>
#include <unistd.h>

namespace console_sim {

namespace {

using Clock = std::chrono::steady_clock;

int MillisecondsLeft(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace

void WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
    } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
      pollfd p{fd, POLLOUT, 0};
      ::poll(&p, 1, 100);
    } else {
      throw std::system_error(n < 0 ? errno : EIO, std::generic_category(), "writing to the pseudo-terminal");
    }
  }
}

std::string ReadAtLeast(int fd, std::size_t count, int timeout_ms) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  std::string data;
  // At least one look, so that a zero timeout takes what is already waiting.
  while (data.size() < count) {
    const int left = MillisecondsLeft(deadline);
    pollfd p{fd, POLLIN, 0};
    const int ready = ::poll(&p, 1, left);
    if (ready > 0 && (p.revents & POLLIN)) {
      char buffer[4096];
      const std::size_t wanted = std::min(sizeof buffer, count - data.size());
      const ssize_t n = ::read(fd, buffer, wanted);
      if (n > 0) {
        data.append(buffer, static_cast<std::size_t>(n));
        continue;
      }
    }
    if (left == 0) break;
    // Hung up (a master whose slave is closed reports POLLHUP at once): wait
    // for the peer to come back instead of spinning.
    if (ready > 0) ::poll(nullptr, 0, std::min(left, 5));
  }
  return data;
}

std::string ReadFor(int fd, int ms) { return ReadAtLeast(fd, static_cast<std::size_t>(-1), ms); }

bool WaitHangUp(int fd, int timeout_ms) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, MillisecondsLeft(deadline)) > 0) {
      if (p.revents & POLLHUP) return true;
      char buffer[4096];
      [[maybe_unused]] const ssize_t n = ::read(fd, buffer, sizeof buffer);
    }
    if (Clock::now() >= deadline) return false;
  }
}

termios LineSettings(int fd) {
  termios t{};
  if (tcgetattr(fd, &t) != 0) throw std::system_error(errno, std::generic_category(), "tcgetattr");
  return t;
}

void MakeRaw(int fd) {
  termios t = LineSettings(fd);
  cfmakeraw(&t);
  if (tcsetattr(fd, TCSANOW, &t) != 0) throw std::system_error(errno, std::generic_category(), "tcsetattr");
}

}  // namespace console_sim
