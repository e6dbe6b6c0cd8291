// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/diagnostics/trace_output.h"

#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include <QCoreApplication>


namespace app {
namespace {

// What an open that fails says.
constexpr const char* kCannotOpen = QT_TRANSLATE_NOOP("WireTrace", "cannot open the trace file %1: %2");
constexpr const char* kNoReaderYet = QT_TRANSLATE_NOOP("WireTrace", "nothing reads this FIFO yet (start its reader first)");
constexpr const char* kStandardErrorName = QT_TRANSLATE_NOOP("WireTrace", "standard error");

std::string Tr(const char* source) { return QCoreApplication::translate("WireTrace", source).toStdString(); }

TraceFileError OpenError(const std::string& name, const char* why) {
    return TraceFileError(QCoreApplication::translate("WireTrace", kCannotOpen)
                              .arg(QString::fromStdString(name), QString::fromLocal8Bit(why))
                              .toStdString());
}

// The standard error as a description of our own, so that its writes can
// be made non-blocking without changing the descriptor the shell and every
// other writer share. A pipe, a FIFO or a terminal is opened anew; anything
// else (a file, whose offset must stay shared; a socket, which cannot be
// opened anew) is duplicated.
int OpenStandardError() {
    struct stat status {};
    if (::fstat(STDERR_FILENO, &status) != 0) return -1;
    if (S_ISFIFO(status.st_mode) || S_ISCHR(status.st_mode)) {
        const int flags = ::fcntl(STDERR_FILENO, F_GETFL);
        const int append = flags >= 0 ? (flags & O_APPEND) : 0;
        const int fd = ::open("/proc/self/fd/2", O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | append);
        if (fd >= 0) return fd;
    }
    return ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
}

}  // namespace

TraceOutput::TraceOutput(const std::string& file)
    : name_(file == "-" ? Tr(kStandardErrorName) : file), standard_error_(file == "-") {
    if (standard_error_) {
        fd_ = OpenStandardError();
        if (fd_ < 0) throw OpenError(name_, std::strerror(errno));
    } else {
        // Without O_NONBLOCK, opening a FIFO waits for a reader, for ever.
        fd_ = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
        if (fd_ < 0) {
            const int error = errno;
            struct stat status {};
            if (error == ENXIO && ::stat(file.c_str(), &status) == 0 && S_ISFIFO(status.st_mode))
                throw OpenError(name_, Tr(kNoReaderYet).c_str());
            throw OpenError(name_, std::strerror(error));
        }
    }
    struct stat status {};
    const int flags = ::fcntl(fd_, F_GETFL);
    blocking_ = flags >= 0 && (flags & O_NONBLOCK) == 0 && ::fstat(fd_, &status) == 0 && !S_ISREG(status.st_mode);
    wake_fd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wake_fd_ < 0) {
        const int error = errno;
        ::close(fd_);
        throw OpenError(name_, std::strerror(error));
    }
}

TraceOutput::~TraceOutput() {
    if (fd_ >= 0) ::close(fd_);
    ::close(wake_fd_);
}

void TraceOutput::SetDeadline(Clock::time_point when) {
    deadline_.store(when.time_since_epoch().count());
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(wake_fd_, &one, sizeof one);
}

void TraceOutput::WaitUntilWritable() {
    for (;;) {
        const Clock::time_point deadline{Clock::duration(deadline_.load())};
        int timeout_ms = -1;
        if (deadline != Clock::time_point::max()) {
            const auto left = deadline - Clock::now();
            if (left <= Clock::duration::zero()) throw TraceFileError(Tr(kReaderStoppedReading));
            const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
            timeout_ms = static_cast<int>(std::min<decltype(ms)>(ms, INT_MAX));
        }
        pollfd fds[2] = {{fd_, POLLOUT, 0}, {wake_fd_, POLLIN, 0}};
        if (::poll(fds, 2, timeout_ms) < 0) {
            if (errno == EINTR) continue;
            throw TraceFileError(std::strerror(errno));
        }
        if (fds[1].revents & POLLIN) {
            uint64_t count = 0;
            [[maybe_unused]] const ssize_t n = ::read(wake_fd_, &count, sizeof count);
        }
        if (fds[0].revents & POLLNVAL) throw TraceFileError(std::strerror(EBADF));
        // Room, or an error that the write will name (a reader gone).
        if (fds[0].revents & (POLLOUT | POLLERR | POLLHUP)) return;
    }
}

void TraceOutput::Write(std::string_view text) {
    while (!text.empty()) {
        if (blocking_) WaitUntilWritable();
        // A pipe's wait promises room for PIPE_BUF bytes, no more.
        const size_t count = blocking_ ? std::min<size_t>(text.size(), PIPE_BUF) : text.size();
        const ssize_t n = ::write(fd_, text.data(), count);
        if (n > 0) {
            text.remove_prefix(static_cast<size_t>(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!blocking_) WaitUntilWritable();
        } else {
            throw TraceFileError(std::strerror(n < 0 ? errno : EIO));
        }
    }
}

void TraceOutput::TryWrite(std::string_view text) noexcept {
    if (blocking_) {
        pollfd fd{fd_, POLLOUT, 0};
        if (::poll(&fd, 1, 0) != 1 || (fd.revents & POLLOUT) == 0) return;
        text = text.substr(0, PIPE_BUF);
    }
    [[maybe_unused]] const ssize_t n = ::write(fd_, text.data(), text.size());
}

void TraceOutput::Close() {
    if (fd_ < 0) return;
    const int result = ::close(fd_);
    fd_ = -1;
    // After EINTR the descriptor is closed all the same on Linux.
    if (result != 0 && errno != EINTR) throw TraceFileError(std::strerror(errno));
}

}  // namespace app
