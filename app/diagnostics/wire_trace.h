// SPDX-License-Identifier: GPL-3.0-or-later
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
// the file cannot be written (disk full, a reader that went away) one line
// says so on the error stream and tracing stops; the tool goes on. A reader
// that is slow holds up only the trace; the last writes (Flush, the end of
// the trace) wait for it no longer than kLastWriteWait.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "app/diagnostics/frame_meaning.h"
#include "device/frame_listener.h"

namespace app {

class WireTrace : public device::TFrameListener {
public:
    // How long Flush and the end of the trace wait for a reader who does not
    // read (a pager left at its prompt) before tracing gives up.
    static constexpr std::chrono::milliseconds kLastWriteWait{2000};

    // `file` "-" is the standard error. Throws TraceFileError when the file
    // cannot be opened for writing, or is a FIFO that nothing reads yet.
    explicit WireTrace(const std::string& file, std::FILE* errors = stderr);
    // Writes what is still pending, then closes the file.
    ~WireTrace() override;
    WireTrace(const WireTrace&) = delete;
    WireTrace& operator=(const WireTrace&) = delete;

    // Writes everything traced so far, now (before a process ends without
    // unwinding). Any thread.
    void Flush();
    // Writing failed and tracing has stopped.
    bool Stopped() const;

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
    // The output, the queue and the writer thread's state: shared with the
    // thread, so that a writer stuck in the system (a disk that does not
    // answer) can be left behind without anything it uses going away.
    struct Writer;

    void Add(Kind kind, const device::TQuarixDevice& device, std::string bytes, int32_t attempt = 0);
    static std::string Line(const Record& record);

    const std::chrono::steady_clock::time_point start_;
    std::shared_ptr<Writer> writer_;
    std::thread thread_;
};

}  // namespace app
