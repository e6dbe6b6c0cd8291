#include "app/wire_trace.h"

#include <cerrno>
#include <cstring>
#include <system_error>

#include "app/port_naming.h"
#include "device/quarix_device.h"
#include "platform/format.h"

namespace app {
namespace {

constexpr auto kWriteInterval = std::chrono::milliseconds(500);
// A writer this far behind would only grow the memory: later records are
// counted, not kept, until it catches up.
constexpr size_t kMaxPending = 200000;
// Wake the writer early when this much is waiting.
constexpr size_t kEagerWrite = 4096;

FrameContext ContextOf(const device::TQuarixDevice& device) {
    return {device.Version(), device.Connected(), device.Repairing};
}

std::string PortName(const device::TQuarixDevice& device) { return device.Port()->Port(); }

}  // namespace

WireTrace::WireTrace(const std::string& file, std::FILE* errors)
    : name_(file == "-" ? "standard error" : file), errors_(errors), start_(std::chrono::steady_clock::now()) {
    if (file == "-") {
        out_ = stderr;
    } else {
        out_ = std::fopen(file.c_str(), "we");
        if (!out_) throw std::system_error(errno, std::generic_category(), "cannot open the trace file " + file);
        owns_out_ = true;
    }
    writer_ = std::thread([this] { Run(); });
}

WireTrace::~WireTrace() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    writer_.join();
    Flush();
    if (owns_out_ && std::fclose(out_) != 0 && !Stopped()) Fail(errno);
}

void WireTrace::Add(Kind kind, const device::TQuarixDevice& device, std::string bytes, int32_t attempt) {
    if (Stopped()) return;
    Record record;
    record.ms = static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_).count());
    record.kind = kind;
    record.bytes = std::move(bytes);
    record.context = ContextOf(device);
    record.attempt = attempt;
    bool eager = false;
    {
        std::lock_guard lock(mutex_);
        if (pending_.size() >= kMaxPending) {
            ++dropped_;
            return;
        }
        pending_.push_back(std::move(record));
        eager = pending_.size() == kEagerWrite;
    }
    if (eager) wake_.notify_one();
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

void WireTrace::Run() {
    std::unique_lock lock(mutex_);
    while (!stop_) {
        wake_.wait_for(lock, kWriteInterval, [this] { return stop_ || pending_.size() >= kEagerWrite; });
        std::vector<Record> records;
        records.swap(pending_);
        const size_t dropped = dropped_;
        dropped_ = 0;
        lock.unlock();
        {
            std::lock_guard write_lock(write_mutex_);
            Write(records, dropped);
        }
        lock.lock();
    }
}

void WireTrace::Flush() {
    std::lock_guard write_lock(write_mutex_);
    std::vector<Record> records;
    size_t dropped = 0;
    {
        std::lock_guard lock(mutex_);
        records.swap(pending_);
        dropped = dropped_;
        dropped_ = 0;
    }
    Write(records, dropped);
}

// Under write_mutex_.
void WireTrace::Write(std::vector<Record>& records, size_t dropped) {
    if (Stopped() || (records.empty() && dropped == 0)) return;
    std::string text;
    text.reserve(records.size() * 64);
    for (const Record& record : records) text += Line(record);
    if (dropped != 0) text += platform::Format("%zu more lines not traced: the trace fell behind\n", dropped);
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), out_) != text.size() || std::fflush(out_) != 0) Fail(errno);
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

void WireTrace::Fail(int error) {
    failed_.store(true, std::memory_order_relaxed);
    std::fprintf(errors_, "calibration-tool: cannot write the trace to %s: %s; tracing stops\n", name_.c_str(),
                 std::strerror(error != 0 ? error : EIO));
    std::fflush(errors_);
}

}  // namespace app
