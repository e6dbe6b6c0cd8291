#pragma once
// --trace FILE: a line for every frame to and from the console and for every
// open, close and repair of its port, with the time since the trace began:
//
//      0 ms  port opened   ttyUSB0 (FT232R USB UART, serial A50285BI)
//    203 ms  to console    F0 08 28 00 00 F7  identification request
//    214 ms  from console  F0 08 58 00 00 F7  identification answer, Version 6
//
// The frame path only stores what crossed (a short lock, no formatting, no
// system call); a thread of its own formats and writes at least every
// half-second, and the rest is written when the trace ends or on Flush. When
// the file cannot be written (disk full ...) one line says so on the error
// stream and tracing stops; the tool goes on.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/frame_meaning.h"
#include "device/frame_listener.h"

namespace app {

class WireTrace : public device::TFrameListener {
public:
    // `file` "-" is the standard error. Throws std::system_error when the
    // file cannot be opened for writing.
    explicit WireTrace(const std::string& file, std::FILE* errors = stderr);
    // Writes what is still pending, then closes the file.
    ~WireTrace() override;
    WireTrace(const WireTrace&) = delete;
    WireTrace& operator=(const WireTrace&) = delete;

    // Writes everything traced so far, now (before a process ends without
    // unwinding). Any thread.
    void Flush();
    // Writing failed and tracing has stopped.
    bool Stopped() const { return failed_.load(std::memory_order_relaxed); }

    void FrameSent(const device::TQuarixDevice& device, const std::string& bytes) override;
    void FrameReceived(const device::TQuarixDevice& device, const std::string& bytes) override;
    void PortOpened(const device::TQuarixDevice& device) override;
    void PortClosed(const device::TQuarixDevice& device) override;
    void RepairAttempt(const device::TQuarixDevice& device, int32_t attempt) override;

private:
    enum class Kind { kSent, kReceived, kOpened, kClosed, kRepair };
    struct Record {
        uint32_t ms = 0;
        Kind kind = Kind::kSent;
        std::string bytes;  // the frame, or the port's name
        FrameContext context;
        int32_t attempt = 0;
    };

    void Add(Kind kind, const device::TQuarixDevice& device, std::string bytes, int32_t attempt = 0);
    void Run();
    void Write(std::vector<Record>& records, size_t dropped);
    static std::string Line(const Record& record);
    void Fail(int error);

    std::string name_;
    std::FILE* out_ = nullptr;
    bool owns_out_ = false;
    std::FILE* errors_;
    const std::chrono::steady_clock::time_point start_;
    std::atomic<bool> failed_{false};

    std::mutex mutex_;  // guards the four below
    std::condition_variable wake_;
    std::vector<Record> pending_;
    size_t dropped_ = 0;
    bool stop_ = false;

    std::mutex write_mutex_;  // one writer at a time: the thread or Flush
    std::thread writer_;
};

}  // namespace app
