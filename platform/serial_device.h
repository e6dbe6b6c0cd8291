// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The serial device as the port component sees it: a line-settings record, a
// timeouts record, an event mask, and blocking reads and writes bounded by
// those timeouts. Here they are met with termios, poll/epoll and an eventfd.
//
// The device is always in raw mode: a trainer frame is binary, so there is no
// echo, no line editing, no signal keys and no CR/LF translation.
#include <atomic>
#include <cstdint>
#include <exception>
#include <mutex>
#include <string>

namespace platform {

// An operating-system failure with its error number (errno).
class SerialDeviceError : public std::exception {
public:
    explicit SerialDeviceError(int error_number) : error_number_(error_number) {}
    int ErrorNumber() const noexcept { return error_number_; }
    const char* what() const noexcept override { return "serial device call failed"; }

private:
    int error_number_;
};

// Line event bits (the event mask and the result of WaitCommEvent).
constexpr uint32_t kEvRxChar = 0x0001;
constexpr uint32_t kEvRxFlag = 0x0002;
constexpr uint32_t kEvTxEmpty = 0x0004;
constexpr uint32_t kEvCts = 0x0008;
constexpr uint32_t kEvDsr = 0x0010;
constexpr uint32_t kEvRlsd = 0x0020;
constexpr uint32_t kEvBreak = 0x0040;
constexpr uint32_t kEvErr = 0x0080;
constexpr uint32_t kEvRing = 0x0100;
constexpr uint32_t kEvRx80Full = 0x0400;

// Line error bits (ClearCommError).
constexpr uint32_t kCeRxOver = 0x0001;
constexpr uint32_t kCeOverrun = 0x0002;
constexpr uint32_t kCeRxParity = 0x0004;
constexpr uint32_t kCeFrame = 0x0008;
constexpr uint32_t kCeBreak = 0x0010;
constexpr uint32_t kCeTxFull = 0x0100;
constexpr uint32_t kCeIoe = 0x0400;
constexpr uint32_t kCeMode = 0x8000;

// Modem status bits (GetCommModemStatus).
constexpr uint32_t kMsCtsOn = 0x0010;
constexpr uint32_t kMsDsrOn = 0x0020;
constexpr uint32_t kMsRingOn = 0x0040;
constexpr uint32_t kMsRlsdOn = 0x0080;

// Purge flags.
constexpr uint32_t kPurgeTxAbort = 0x0001;
constexpr uint32_t kPurgeRxAbort = 0x0002;
constexpr uint32_t kPurgeTxClear = 0x0004;
constexpr uint32_t kPurgeRxClear = 0x0008;

// Flag word of the line-settings record.
constexpr uint32_t kDcbBinary = 0x0001;
constexpr uint32_t kDcbParity = 0x0002;
constexpr uint32_t kDcbOutxCtsFlow = 0x0004;
constexpr uint32_t kDcbOutxDsrFlow = 0x0008;
constexpr uint32_t kDcbDtrControlShift = 4;   // 2 bits: 0 disable, 1 enable, 2 handshake
constexpr uint32_t kDcbDsrSensitivity = 0x0040;
constexpr uint32_t kDcbTxContinueOnXoff = 0x0080;
constexpr uint32_t kDcbOutX = 0x0100;
constexpr uint32_t kDcbInX = 0x0200;
constexpr uint32_t kDcbErrorChar = 0x0400;
constexpr uint32_t kDcbNull = 0x0800;
constexpr uint32_t kDcbRtsControlShift = 12;  // 2 bits: 0 disable, 1 enable, 2 handshake, 3 toggle
constexpr uint32_t kDcbAbortOnError = 0x4000;

// The line-settings record; every field not set stays zero.
struct DCB {
    uint32_t DCBlength = 28;
    uint32_t BaudRate = 0;
    uint32_t Flags = 0;
    uint16_t wReserved = 0;
    uint16_t XonLim = 0;
    uint16_t XoffLim = 0;
    uint8_t ByteSize = 0;  // 5..8
    uint8_t Parity = 0;    // 0 none, 1 odd, 2 even, 3 mark, 4 space
    uint8_t StopBits = 0;  // 0 one, 1 one and a half, 2 two
    uint8_t XonChar = 0;
    uint8_t XoffChar = 0;
    uint8_t ErrorChar = 0;
    uint8_t EofChar = 0;
    uint8_t EvtChar = 0;
    uint16_t wReserved1 = 0;
};

// Read and write timeouts in milliseconds (0xFFFFFFFF = "MAXDWORD").
struct CommTimeouts {
    uint32_t ReadIntervalTimeout = 0;
    uint32_t ReadTotalTimeoutMultiplier = 0;
    uint32_t ReadTotalTimeoutConstant = 0;
    uint32_t WriteTotalTimeoutMultiplier = 0;
    uint32_t WriteTotalTimeoutConstant = 0;
};

// A manual-reset signal a poll can wait on (an eventfd).
class EventSignal {
public:
    EventSignal();
    ~EventSignal();
    EventSignal(const EventSignal&) = delete;
    EventSignal& operator=(const EventSignal&) = delete;

    void Set();
    void Reset();
    bool IsSet() const;
    int Fd() const { return fd_; }

private:
    int fd_;
};

// One open serial device. Calls may come from the main thread and from the
// port's event thread at the same time; the device keeps its shared state safe.
class SerialDevice {
public:
    // Opens "/dev/" + port, or port itself when it starts with '/'; exclusive.
    // Throws SerialDeviceError with errno.
    explicit SerialDevice(const std::string& port);
    ~SerialDevice();
    SerialDevice(const SerialDevice&) = delete;
    SerialDevice& operator=(const SerialDevice&) = delete;

    int Handle() const { return fd_; }

    // Queue sizes: Linux keeps its own queues; the input size still sets the
    // "80 % full" threshold.
    void SetupComm(int32_t input_size, int32_t output_size);
    // Applies the record as termios (raw), modem lines and speed.
    void SetCommState(const DCB& dcb);
    void SetCommTimeouts(const CommTimeouts& timeouts);
    // The events WaitCommEvent reports; a change ends a wait in progress (with 0).
    void SetCommMask(uint32_t mask);
    uint32_t CommMask() const { return mask_.load(); }

    // Blocks, without polling, until a masked event occurs, the mask changes or
    // `stop` is set. Returns the event bits (0 = stopped or mask changed).
    // After a hang-up the device is no longer waited on: only `stop` ends it.
    // Reported: received data, line errors, break, input queue 80 % full and
    // transmit queue empty. Modem-line changes (CTS, DSR, ring, RLSD) and the
    // event character are never reported: a terminal cannot wait for line
    // changes together with its data without a second blocked thread, nor show
    // received bytes without taking them, and the trainer uses neither.
    uint32_t WaitCommEvent(const EventSignal& stop);

    // Blocking write and read bounded by the timeouts; they return the count
    // moved (a timeout or an abort ends them early). Throw SerialDeviceError.
    int32_t Write(const char* data, int32_t count);
    int32_t Read(char* data, int32_t count);

    // Flushes the queues (clear flags) and ends any read or write in progress
    // (abort flags).
    void PurgeComm(uint32_t flags);
    // The accumulated line errors (then cleared) and the input queue count.
    void ClearCommError(uint32_t* errors, int32_t* input_count);
    // Modem lines; a device without them reads as all off.
    uint32_t GetCommModemStatus();

    // Gives up the exclusive claim while this handle still lingers (a thread
    // that uses it ends a moment later), so the name can be opened again.
    void ReleaseClaim();

private:
    uint32_t CollectEvents(uint32_t ready_mask);
    void Kick();
    int32_t InputCount() const;
    uint32_t LineErrorsSinceLastLook();
    int WaitTimeoutMs() const;

    int fd_ = -1;
    int epoll_fd_ = -1;
    EventSignal kick_;   // wakes WaitCommEvent: mask change, write done
    EventSignal abort_;  // wakes reads and writes in progress
    std::atomic<uint32_t> abort_seq_{0};
    std::atomic<uint32_t> mask_{0};
    std::atomic<uint32_t> mask_seq_{0};
    std::atomic<bool> tx_pending_{false};
    std::atomic<bool> discard_null_{false};
    std::atomic<int32_t> input_size_{1024};
    std::atomic<uint32_t> baud_{9600};
    int stop_fd_registered_ = -1;
    bool device_in_epoll_ = false;
    bool rx80_reported_ = false;

    mutable std::mutex mutex_;  // guards the fields below
    CommTimeouts timeouts_{};
    uint32_t errors_ = 0;
    bool counters_supported_ = true;
    bool counters_valid_ = false;
    int counters_[5] = {0, 0, 0, 0, 0};  // frame, parity, overrun, buf_overrun, brk
};

// Sets a rate no standard speed constant names (termios2, BOTHER).
void SetCustomBaudRate(int fd, uint32_t rate);

// The device file a port name stands for: the name under /dev, or the name
// itself when it is an absolute path.
std::string SerialDevicePath(const std::string& port);

}  // namespace platform
