// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/diagnostics/wire_trace.h"

#include <QCoreApplication>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "app/diagnostics/port_naming.h"
#include "app/diagnostics/trace_output.h"
#include "device/quarix_device.h"
#include "platform/format.h"

namespace app {
namespace {

// What the trace itself says.
constexpr const char* kCannotWrite = QT_TRANSLATE_NOOP("WireTrace", "cannot write the trace to %1: %2; tracing stops");
constexpr const char* kFellBehind = "%zu more lines not traced: the trace fell behind\n";

constexpr auto kWriteInterval = std::chrono::milliseconds(500);
// A writer this far behind would only grow the memory: later records are
// counted, not kept, until it catches up.
constexpr size_t kMaxPending = 200000;
// Wake the writer early when this much is waiting.
constexpr size_t kEagerWrite = 4096;
// Beyond its last writes' wait, what the writer may take to format and hand
// them to the system before it is left behind.
constexpr auto kWriterGrace = std::chrono::seconds(5);

using Clock = std::chrono::steady_clock;

FrameContext ContextOf(const device::TQuarixDevice& device) {
    return {device.Version(), device.Connected(), device.Repairing};
}

std::string PortName(const device::TQuarixDevice& device) { return device.Port()->Port(); }

}  // namespace

struct WireTrace::Writer {
    Writer(const std::string& file, std::FILE* errors_stream) : output(file), errors(errors_stream) {}

    void Run();
    void Write(const std::vector<Record>& records, size_t dropped);
    void Fail(const std::string& reason);

    TraceOutput output;
    std::FILE* const errors;
    std::atomic<bool> failed{false};

    std::mutex mutex;  // guards everything below
    std::condition_variable wake;      // for the writer: work, a flush, the end
    std::condition_variable progress;  // for Flush and the end: a flush done, the writer finished
    std::vector<Record> pending;
    size_t dropped = 0;
    uint64_t flushes_asked = 0;
    uint64_t flushes_done = 0;
    Clock::time_point last_write_deadline;  // of the latest Flush or the end
    bool stop = false;
    bool finished = false;
};

WireTrace::WireTrace(const std::string& file, std::FILE* errors)
    : start_(Clock::now()), writer_(std::make_shared<Writer>(file, errors)) {
    thread_ = std::thread([writer = writer_] { writer->Run(); });
}

WireTrace::~WireTrace() {
    Writer& writer = *writer_;
    std::unique_lock lock(writer.mutex);
    writer.stop = true;
    writer.last_write_deadline = Clock::now() + kLastWriteWait;
    writer.output.SetDeadline(writer.last_write_deadline);
    writer.wake.notify_one();
    const bool ended = writer.progress.wait_until(lock, writer.last_write_deadline + kWriterGrace,
                                                  [&writer] { return writer.finished; });
    lock.unlock();
    if (ended) thread_.join();
    else thread_.detach();
}

bool WireTrace::Stopped() const { return writer_->failed.load(std::memory_order_relaxed); }

void WireTrace::Add(Kind kind, const device::TQuarixDevice& device, std::string bytes, int32_t attempt) {
    if (Stopped()) return;
    Record record;
    record.ms = static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start_).count());
    record.kind = kind;
    record.bytes = std::move(bytes);
    record.context = ContextOf(device);
    record.attempt = attempt;
    Writer& writer = *writer_;
    bool eager = false;
    {
        std::lock_guard lock(writer.mutex);
        if (writer.pending.size() >= kMaxPending) {
            ++writer.dropped;
            return;
        }
        writer.pending.push_back(std::move(record));
        eager = writer.pending.size() == kEagerWrite;
    }
    if (eager) writer.wake.notify_one();
}

void WireTrace::FrameSent(const device::TQuarixDevice& device, const std::string& bytes) { Add(Kind::kSent, device, bytes); }

void WireTrace::FrameReceived(const device::TQuarixDevice& device, const std::string& bytes) {
    Add(Kind::kReceived, device, bytes);
}

// Opens are rare beside frames: the adapter's description is read here, on
// the main thread, where the search's sysfs is set.
void WireTrace::PortOpened(const device::TQuarixDevice& device) {
    if (Stopped()) return;
    Add(Kind::kOpened, device, PortDisplayName(PortName(device)));
}

void WireTrace::PortClosed(const device::TQuarixDevice& device) { Add(Kind::kClosed, device, PortName(device)); }

void WireTrace::RepairAttempt(const device::TQuarixDevice& device, int32_t attempt) {
    Add(Kind::kRepair, device, PortName(device), attempt);
}

void WireTrace::Writer::Run() {
    std::unique_lock lock(mutex);
    for (;;) {
        wake.wait_for(lock, kWriteInterval,
                      [this] { return stop || pending.size() >= kEagerWrite || flushes_asked > flushes_done; });
        const bool last = stop;
        const uint64_t flushes = flushes_asked;
        // The trace's own pace waits for a slow reader as long as it takes;
        // what a Flush or the end asked for, only until their deadline.
        output.SetDeadline(last || flushes > flushes_done ? last_write_deadline : Clock::time_point::max());
        std::vector<Record> records;
        records.swap(pending);
        const size_t records_dropped = dropped;
        dropped = 0;
        lock.unlock();
        Write(records, records_dropped);
        lock.lock();
        flushes_done = flushes;
        progress.notify_all();
        if (last) break;
    }
    lock.unlock();
    try {
        output.Close();
    } catch (const TraceFileError& e) {
        if (!failed) Fail(e.what());
    }
    lock.lock();
    finished = true;
    progress.notify_all();
}

void WireTrace::Flush() {
    Writer& writer = *writer_;
    std::unique_lock lock(writer.mutex);
    if (writer.finished) return;
    const uint64_t mine = ++writer.flushes_asked;
    writer.last_write_deadline = Clock::now() + kLastWriteWait;
    writer.output.SetDeadline(writer.last_write_deadline);
    writer.wake.notify_one();
    writer.progress.wait_until(lock, writer.last_write_deadline + kWriterGrace,
                               [&writer, mine] { return writer.flushes_done >= mine || writer.finished; });
}

void WireTrace::Writer::Write(const std::vector<Record>& records, size_t records_dropped) {
    if (failed || (records.empty() && records_dropped == 0)) return;
    std::string text;
    text.reserve(records.size() * 64);
    for (const Record& record : records) text += Line(record);
    if (records_dropped != 0) text += platform::Format(kFellBehind, records_dropped);
    try {
        output.Write(text);
    } catch (const TraceFileError& e) {
        Fail(e.what());
    }
}

std::string WireTrace::Line(const Record& record) {
    std::string line = platform::Format("%6u ms  ", record.ms);
    switch (record.kind) {
    case Kind::kSent:
    case Kind::kReceived: {
        const auto direction = record.kind == Kind::kSent ? FrameDirection::kToConsole : FrameDirection::kFromConsole;
        line += direction == FrameDirection::kToConsole ? "to console    " : "from console  ";
        line += device::HexDigits(record.bytes, " ");
        const std::string meaning = FrameMeaning(direction, record.bytes, record.context);
        if (!meaning.empty()) line += "  " + meaning;
        break;
    }
    case Kind::kOpened:
        line += "port opened   " + record.bytes;
        break;
    case Kind::kClosed:
        line += "port closed   " + record.bytes;
        break;
    case Kind::kRepair:
        line += "repair        attempt " + std::to_string(record.attempt) + " on " + record.bytes;
        break;
    }
    line += '\n';
    return line;
}

void WireTrace::Writer::Fail(const std::string& reason) {
    failed.store(true, std::memory_order_relaxed);
    const std::string line = "calibration-tool: " +
                             QCoreApplication::translate("WireTrace", kCannotWrite)
                                 .arg(QString::fromStdString(output.Name()), QString::fromLocal8Bit(reason.c_str()))
                                 .toLocal8Bit()
                                 .toStdString() +
                             "\n";
    // When the trace is the error stream, its reader is this line's reader
    // too: one that stopped reading must not hold the tool up on it.
    if (output.IsStandardError() && errors == stderr) {
        output.TryWrite(line);
        return;
    }
    std::fputs(line.c_str(), errors);
    std::fflush(errors);
}

}  // namespace app
