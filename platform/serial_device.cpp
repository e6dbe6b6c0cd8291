// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/serial_device.h"

#include "platform/serial_termios.h"
#include "platform/stage_stamps.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace platform {
namespace {

constexpr uint32_t kMaxDword = 0xFFFFFFFFu;
constexpr uint32_t kTagDevice = 0;
constexpr uint32_t kTagKick = 1;
constexpr uint32_t kTagStop = 2;

[[noreturn]] void ThrowErrno() { throw SerialDeviceError(errno); }

// Modem-line calls on a device without modem lines (a pseudo-terminal) answer
// "not supported": that is no failure, the lines simply do not exist.
bool NoModemLines(int error) { return error == ENOTTY || error == EINVAL; }

speed_t StandardSpeed(uint32_t rate) {
    switch (rate) {
    case 50: return B50;
    case 75: return B75;
    case 110: return B110;
    case 134: return B134;
    case 150: return B150;
    case 200: return B200;
    case 300: return B300;
    case 600: return B600;
    case 1200: return B1200;
    case 1800: return B1800;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    case 460800: return B460800;
    case 500000: return B500000;
    case 576000: return B576000;
    case 921600: return B921600;
    case 1000000: return B1000000;
    case 1152000: return B1152000;
    case 1500000: return B1500000;
    case 2000000: return B2000000;
    case 2500000: return B2500000;
    case 3000000: return B3000000;
    case 3500000: return B3500000;
    case 4000000: return B4000000;
    default: return B0;
    }
}

using Clock = std::chrono::steady_clock;

// Milliseconds left until deadline, at least 0.
int64_t MsLeft(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left < 0 ? 0 : left;
}

void SetModemLine(int fd, int line, bool on) {
    if (ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &line) < 0 && !NoModemLines(errno)) ThrowErrno();
}

}  // namespace

bool ApplyLineSettings(const DCB& dcb, termios& t) {
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    switch (dcb.ByteSize) {
    case 5: t.c_cflag |= CS5; break;
    case 6: t.c_cflag |= CS6; break;
    case 7: t.c_cflag |= CS7; break;
    case 8: t.c_cflag |= CS8; break;
    default: throw SerialDeviceError(EINVAL);
    }
    switch (dcb.Parity) {
    case 0: break;
    case 1: t.c_cflag |= PARENB | PARODD; break;
    case 2: t.c_cflag |= PARENB; break;
    case 3: t.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case 4: t.c_cflag |= PARENB | CMSPAR; break;
    default: throw SerialDeviceError(EINVAL);
    }
    switch (dcb.StopBits) {
    case 0: break;
    case 1:  // one and a half: the driver gives 1.5 with 5 data bits, else 2
    case 2: t.c_cflag |= CSTOPB; break;
    default: throw SerialDeviceError(EINVAL);
    }
    t.c_iflag &= ~(INPCK | IGNPAR | PARMRK | IXON | IXOFF | IXANY);
    if (dcb.Flags & kDcbParity) t.c_iflag |= INPCK;
    const uint32_t rts = (dcb.Flags >> kDcbRtsControlShift) & 3u;
    if ((dcb.Flags & kDcbOutxCtsFlow) || rts == 2) t.c_cflag |= CRTSCTS;
    if (dcb.Flags & kDcbOutX) t.c_iflag |= IXON;
    if (dcb.Flags & kDcbInX) t.c_iflag |= IXOFF;
    t.c_cc[VSTART] = static_cast<cc_t>(dcb.XonChar);
    t.c_cc[VSTOP] = static_cast<cc_t>(dcb.XoffChar);
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;

    // The line has one rate. A separate input rate still in the settings (left
    // by another program, or by a custom rate of ours) would otherwise outlive
    // every later change of the output rate.
    t.c_cflag &= ~CIBAUD;
    // Rate 0 would hang the line up: refuse it like any other invalid rate.
    if (dcb.BaudRate == 0) throw SerialDeviceError(EINVAL);
    const speed_t speed = StandardSpeed(dcb.BaudRate);
    if (speed == B0) return false;
    if (cfsetspeed(&t, speed) < 0) ThrowErrno();
    return true;
}

// ---- EventSignal ------------------------------------------------------------

EventSignal::EventSignal() : fd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (fd_ < 0) ThrowErrno();
}

EventSignal::~EventSignal() { close(fd_); }

void EventSignal::Set() {
    const uint64_t one = 1;
    // A full counter (EAGAIN) is still set.
    [[maybe_unused]] ssize_t n = write(fd_, &one, sizeof one);
}

void EventSignal::Reset() {
    uint64_t value;
    [[maybe_unused]] ssize_t n = read(fd_, &value, sizeof value);
}

bool EventSignal::IsSet() const {
    pollfd p{fd_, POLLIN, 0};
    return poll(&p, 1, 0) > 0 && (p.revents & POLLIN) != 0;
}

// ---- SerialDevice -------------------------------------------------------------

std::string SerialDevicePath(const std::string& port) {
    return (!port.empty() && port[0] == '/') ? port : "/dev/" + port;
}

SerialDevice::SerialDevice(const std::string& port) {
    fd_ = open(SerialDevicePath(port).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) ThrowErrno();
    if (!isatty(fd_)) {
        // Only a terminal device is a serial line.
        const int error = errno;
        close(fd_);
        throw SerialDeviceError(error);
    }
    // Exclusive: no second open of the tty, and no second tool on it (the
    // advisory lock also holds against a privileged user, which TIOCEXCL does not).
    if (flock(fd_, LOCK_EX | LOCK_NB) < 0) {
        const int error = (errno == EWOULDBLOCK) ? EBUSY : errno;
        close(fd_);
        throw SerialDeviceError(error);
    }
    if (ioctl(fd_, TIOCEXCL) < 0 && !NoModemLines(errno)) {
        const int error = errno;
        close(fd_);
        throw SerialDeviceError(error);
    }
    epoll_fd_ = epoll_create1(EPOLL_CLOEXEC);
    if (epoll_fd_ < 0) {
        const int error = errno;
        close(fd_);
        throw SerialDeviceError(error);
    }
    epoll_event kick{};
    kick.events = EPOLLIN;
    kick.data.u32 = kTagKick;
    epoll_event device{};
    // Edge-triggered: like the driver's "characters received" event, a wait
    // ends when new bytes arrive, not while old ones are still queued.
    device.events = EPOLLIN | EPOLLET;
    device.data.u32 = kTagDevice;
    if (epoll_ctl(epoll_fd_, EPOLL_CTL_ADD, kick_.Fd(), &kick) < 0 ||
        epoll_ctl(epoll_fd_, EPOLL_CTL_ADD, fd_, &device) < 0) {
        const int error = errno;
        close(epoll_fd_);
        close(fd_);
        throw SerialDeviceError(error);
    }
    device_in_epoll_ = true;
    // Errors counted before we opened are not ours to report.
    LineErrorsSinceLastLook();
    std::lock_guard lock(mutex_);
    errors_ = 0;
}

SerialDevice::~SerialDevice() {
    close(epoll_fd_);
    close(fd_);
}

void SerialDevice::ReleaseClaim() {
    flock(fd_, LOCK_UN);
    ioctl(fd_, TIOCNXCL);
}

void SerialDevice::SetupComm(int32_t input_size, int32_t output_size) {
    if (input_size < 0 || output_size < 0) throw SerialDeviceError(EINVAL);
    input_size_.store(input_size);
}

void SerialDevice::SetCommState(const DCB& dcb) {
    termios t{};
    if (tcgetattr(fd_, &t) < 0) ThrowErrno();
    const bool standard = ApplyLineSettings(dcb, t);
    // Straight to the driver: the library's wrapper reports a driver that
    // adjusts part of the request (a pseudo-terminal keeps 8 bits, no parity)
    // as a failure, where the driver itself has accepted it.
    if (ioctl(fd_, TCSETS, &t) < 0) ThrowErrno();
    if (!standard) SetCustomBaudRate(fd_, dcb.BaudRate);

    const uint32_t rts = (dcb.Flags >> kDcbRtsControlShift) & 3u;
    const uint32_t dtr = (dcb.Flags >> kDcbDtrControlShift) & 3u;
    SetModemLine(fd_, TIOCM_DTR, dtr != 0);
    // Toggle (RTS up only while sending) has no driver support: RTS stays down.
    if (rts != 2) SetModemLine(fd_, TIOCM_RTS, rts == 1);
    discard_null_.store((dcb.Flags & kDcbNull) != 0);
    baud_.store(dcb.BaudRate);
}

void SerialDevice::SetCommTimeouts(const CommTimeouts& timeouts) {
    std::lock_guard lock(mutex_);
    timeouts_ = timeouts;
}

void SerialDevice::SetCommMask(uint32_t mask) {
    mask_.store(mask);
    mask_seq_.fetch_add(1);
    Kick();
}

void SerialDevice::Kick() { kick_.Set(); }

int32_t SerialDevice::InputCount() const {
    int count = 0;
    if (ioctl(fd_, FIONREAD, &count) < 0) return 0;
    return count;
}

uint32_t SerialDevice::LineErrorsSinceLastLook() {
    std::lock_guard lock(mutex_);
    if (!counters_supported_) return 0;
    serial_icounter_struct ic{};
    if (ioctl(fd_, TIOCGICOUNT, &ic) < 0) {
        // Drivers without counters (a pseudo-terminal) never report line errors.
        if (NoModemLines(errno)) counters_supported_ = false;
        return 0;
    }
    const int now[5] = {ic.frame, ic.parity, ic.overrun, ic.buf_overrun, ic.brk};
    static constexpr uint32_t kBits[5] = {kCeFrame, kCeRxParity, kCeOverrun, kCeRxOver, kCeBreak};
    uint32_t errors = 0;
    if (counters_valid_) {
        for (int i = 0; i < 5; ++i)
            if (now[i] != counters_[i]) errors |= kBits[i];
    }
    std::copy(std::begin(now), std::end(now), counters_);
    counters_valid_ = true;
    errors_ |= errors;
    return errors;
}

int SerialDevice::WaitTimeoutMs() const {
    if (!tx_pending_.load() || (mask_.load() & kEvTxEmpty) == 0) return -1;
    int queued = 0;
    if (ioctl(fd_, TIOCOUTQ, &queued) < 0 || queued <= 0) return 0;
    // Roughly the time the queue needs to leave at the line's rate (ten bits a
    // character), so the drain is noticed soon after it happens.
    const uint32_t baud = std::max<uint32_t>(baud_.load(), 1);
    const uint64_t ms = static_cast<uint64_t>(queued) * 10000u / baud;
    return static_cast<int>(std::clamp<uint64_t>(ms, 1, 100));
}

uint32_t SerialDevice::CollectEvents(uint32_t mask) {
    uint32_t events = 0;
    const int32_t count = InputCount();
    if (count > 0) events |= kEvRxChar;
    const uint32_t errors = LineErrorsSinceLastLook();
    if (errors != 0) events |= kEvErr;
    if (errors & kCeBreak) events |= kEvBreak;
    const int32_t size = input_size_.load();
    if (size > 0) {
        const int64_t threshold = static_cast<int64_t>(size) * 8 / 10;
        if (count >= threshold && count > 0) {
            if (!rx80_reported_) events |= kEvRx80Full;
            rx80_reported_ = true;
        } else {
            rx80_reported_ = false;
        }
    }
    return events & mask;
}

uint32_t SerialDevice::WaitCommEvent(const EventSignal& stop) {
    if (stop_fd_registered_ != stop.Fd()) {
        if (stop_fd_registered_ >= 0) epoll_ctl(epoll_fd_, EPOLL_CTL_DEL, stop_fd_registered_, nullptr);
        epoll_event ev{};
        ev.events = EPOLLIN;
        ev.data.u32 = kTagStop;
        if (epoll_ctl(epoll_fd_, EPOLL_CTL_ADD, stop.Fd(), &ev) < 0) ThrowErrno();
        stop_fd_registered_ = stop.Fd();
    }
    const uint32_t seq = mask_seq_.load();
    for (;;) {
        epoll_event ready[4];
        const int n = epoll_wait(epoll_fd_, ready, 4, WaitTimeoutMs());
        if (n < 0) {
            if (errno == EINTR) continue;
            ThrowErrno();
        }
        bool stopped = false, kicked = false, device = false, hung_up = false;
        for (int i = 0; i < n; ++i) {
            switch (ready[i].data.u32) {
            case kTagStop: stopped = true; break;
            case kTagKick: kicked = true; break;
            default:
                device = true;
                if (ready[i].events & (EPOLLHUP | EPOLLERR)) hung_up = true;
                break;
            }
        }
        if (stopped) return 0;
        if (kicked) {
            kick_.Reset();
            if (mask_seq_.load() != seq) return 0;
        }
        const uint32_t mask = mask_.load();
        uint32_t events = 0;
        if (hung_up) {
            // The line is gone (adapter unplugged, other end closed): the
            // device would report this for ever, so it is no longer waited on.
            // Only the stop signal (or a mask change) ends the wait from now on.
            if (device_in_epoll_) epoll_ctl(epoll_fd_, EPOLL_CTL_DEL, fd_, nullptr);
            device_in_epoll_ = false;
            tx_pending_.store(false);
        } else if (device) {
            events |= CollectEvents(mask);
        }
        if (tx_pending_.load()) {
            int queued = 0;
            if ((mask & kEvTxEmpty) == 0) {
                tx_pending_.store(false);
            } else if (ioctl(fd_, TIOCOUTQ, &queued) < 0 || queued <= 0) {
                tx_pending_.store(false);
                events |= kEvTxEmpty;
            }
        }
        if (events != 0) return events;
    }
}

int32_t SerialDevice::Write(const char* data, int32_t count) {
    if (count <= 0) return 0;
    StampStage(Stage::kWriteStarts);
    CommTimeouts t;
    {
        std::lock_guard lock(mutex_);
        t = timeouts_;
    }
    const uint64_t total = static_cast<uint64_t>(t.WriteTotalTimeoutMultiplier) * static_cast<uint64_t>(count) +
                           t.WriteTotalTimeoutConstant;
    const bool limited = total != 0;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(limited ? total : 0);
    const uint32_t seq = abort_seq_.load();
    int32_t written = 0;
    bool line_gone = false;
    while (written < count) {
        const ssize_t n = ::write(fd_, data + written, static_cast<size_t>(count - written));
        if (n > 0) {
            written += static_cast<int32_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) ThrowErrno();
        if (line_gone) throw SerialDeviceError(EIO);
        int timeout = -1;
        if (limited) {
            const int64_t left = MsLeft(deadline);
            if (left == 0) break;
            timeout = static_cast<int>(std::min<int64_t>(left, 1 << 30));
        }
        pollfd p[2] = {{fd_, POLLOUT, 0}, {abort_.Fd(), POLLIN, 0}};
        if (poll(p, 2, timeout) < 0 && errno != EINTR) ThrowErrno();
        if (p[1].revents & POLLIN) {
            if (abort_seq_.load() != seq) break;
            abort_.Reset();  // an abort from before this write began
        }
        if (p[0].revents & (POLLHUP | POLLERR)) line_gone = true;
    }
    if (written > 0 && (mask_.load() & kEvTxEmpty)) {
        tx_pending_.store(true);
        Kick();
    }
    StampStage(Stage::kWriteEnded);
    return written;
}

int32_t SerialDevice::Read(char* data, int32_t count) {
    if (count <= 0) return 0;
    CommTimeouts t;
    {
        std::lock_guard lock(mutex_);
        t = timeouts_;
    }
    // The driver's timeout rules: interval MAXDWORD with zero totals returns at
    // once; MAXDWORD, MAXDWORD, c waits up to c for a first byte; otherwise a
    // total (multiplier x count + constant, 0 = none) and an interval between
    // bytes (0 = none) bound the read.
    const bool immediate =
        t.ReadIntervalTimeout == kMaxDword && t.ReadTotalTimeoutMultiplier == 0 && t.ReadTotalTimeoutConstant == 0;
    const bool first_byte = t.ReadIntervalTimeout == kMaxDword && t.ReadTotalTimeoutMultiplier == kMaxDword &&
                            t.ReadTotalTimeoutConstant != 0 && t.ReadTotalTimeoutConstant != kMaxDword;
    uint64_t total = 0;
    if (first_byte) {
        total = t.ReadTotalTimeoutConstant;
    } else if (!immediate) {
        total = static_cast<uint64_t>(t.ReadTotalTimeoutMultiplier) * static_cast<uint64_t>(count) +
                t.ReadTotalTimeoutConstant;
    }
    const bool interval_used = !first_byte && t.ReadIntervalTimeout != 0 && t.ReadIntervalTimeout != kMaxDword;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(total);
    Clock::time_point last_byte{};
    const uint32_t seq = abort_seq_.load();
    const bool drop_null = discard_null_.load();
    int32_t got = 0;
    while (got < count) {
        const ssize_t n = ::read(fd_, data + got, static_cast<size_t>(count - got));
        if (n > 0) {
            int32_t kept = static_cast<int32_t>(n);
            if (drop_null) {
                char* begin = data + got;
                kept = static_cast<int32_t>(std::remove(begin, begin + n, '\0') - begin);
            }
            got += kept;
            last_byte = Clock::now();
            continue;
        }
        if (n == 0) {
            // End of file on a terminal: the line has been hung up.
            if (got > 0) return got;
            throw SerialDeviceError(EIO);
        }
        if (errno == EINTR) continue;
        if (errno != EAGAIN) ThrowErrno();
        if (immediate || (first_byte && got > 0)) return got;
        int64_t wait = -1;
        if (total != 0) wait = MsLeft(deadline);
        if (interval_used && got > 0) {
            const auto since = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - last_byte).count();
            const int64_t left = std::max<int64_t>(0, static_cast<int64_t>(t.ReadIntervalTimeout) - since);
            wait = wait < 0 ? left : std::min(wait, left);
        }
        if (wait == 0) return got;
        pollfd p[2] = {{fd_, POLLIN, 0}, {abort_.Fd(), POLLIN, 0}};
        if (poll(p, 2, wait < 0 ? -1 : static_cast<int>(std::min<int64_t>(wait, 1 << 30))) < 0 && errno != EINTR)
            ThrowErrno();
        if (p[1].revents & POLLIN) {
            if (abort_seq_.load() != seq) return got;
            abort_.Reset();
        }
    }
    return got;
}

void SerialDevice::PurgeComm(uint32_t flags) {
    if (flags & (kPurgeTxAbort | kPurgeRxAbort)) {
        abort_seq_.fetch_add(1);
        abort_.Set();
    }
    const bool rx = (flags & kPurgeRxClear) != 0;
    const bool tx = (flags & kPurgeTxClear) != 0;
    if (rx || tx) {
        if (tcflush(fd_, rx && tx ? TCIOFLUSH : (rx ? TCIFLUSH : TCOFLUSH)) < 0) ThrowErrno();
    }
}

void SerialDevice::ClearCommError(uint32_t* errors, int32_t* input_count) {
    int count = 0;
    if (ioctl(fd_, FIONREAD, &count) < 0) ThrowErrno();
    LineErrorsSinceLastLook();
    std::lock_guard lock(mutex_);
    if (errors) *errors = errors_;
    errors_ = 0;
    if (input_count) *input_count = count;
}

uint32_t SerialDevice::GetCommModemStatus() {
    int lines = 0;
    if (ioctl(fd_, TIOCMGET, &lines) < 0) {
        if (NoModemLines(errno)) return 0;
        ThrowErrno();
    }
    uint32_t status = 0;
    if (lines & TIOCM_CTS) status |= kMsCtsOn;
    if (lines & TIOCM_DSR) status |= kMsDsrOn;
    if (lines & TIOCM_RNG) status |= kMsRingOn;
    if (lines & TIOCM_CAR) status |= kMsRlsdOn;
    return status;
}

}  // namespace platform
