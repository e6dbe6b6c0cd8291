// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where a wire trace goes - a file, a terminal, a pipe or a FIFO - opened and
// written so that its reader can never hang the tool: the open does not wait
// for a FIFO's reader (a FIFO that nobody reads yet is refused at once: start
// the reader first), and a write waits for a slow reader only until the
// deadline set for it. A reader that went away is a write error like any
// other (the tool ignores SIGPIPE).
#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <string_view>

namespace app {

// The trace's destination cannot be opened or written; the text says why.
class TraceFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TraceOutput {
public:
    using Clock = std::chrono::steady_clock;

    // `file` "-" is the standard error. Throws TraceFileError ("cannot open
    // the trace file ...") when the file cannot be opened for writing.
    explicit TraceOutput(const std::string& file);
    ~TraceOutput();
    TraceOutput(const TraceOutput&) = delete;
    TraceOutput& operator=(const TraceOutput&) = delete;

    // "standard error", or the file's name as given.
    const std::string& Name() const { return name_; }
    bool IsStandardError() const { return standard_error_; }

    // Writes all of `text`, waiting while the reader is slow: as long as it
    // takes until a deadline is set, then until the deadline. Throws
    // TraceFileError with the reason (the system's text for a failed write,
    // kReaderStoppedReading at the deadline). One thread at a time.
    void Write(std::string_view text);
    // From now on a write waits no later than `when` (Clock::time_point::max():
    // without limit), also one that waits already. Any thread.
    void SetDeadline(Clock::time_point when);
    // Writes what can be written at once, and never waits; failures are
    // ignored (the last word of a trace that failed).
    void TryWrite(std::string_view text) noexcept;
    // Closes the file. Throws TraceFileError when the system says that what
    // was written is lost.
    void Close();

private:
    void WaitUntilWritable();

    std::string name_;
    bool standard_error_ = false;
    int fd_ = -1;
    int wake_fd_ = -1;  // SetDeadline wakes a waiting Write through it
    // A descriptor that stays blocking (the standard error as a socket):
    // written only in pieces that the wait has room for.
    bool blocking_ = false;
    std::atomic<Clock::rep> deadline_{Clock::time_point::max().time_since_epoch().count()};
};

// Why a write gave up at its deadline.
inline constexpr const char* kReaderStoppedReading = "the reader stopped reading";

}  // namespace app
