// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Records what a port and a link report, as short texts in arrival order, and
// captures what reaches the central error reporting.
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/error_reporting.h"
#include "serial/com_port.h"

namespace serial_test {

class EventLog {
public:
    void Add(const std::string& entry) {
        std::lock_guard lock(mutex_);
        entries_.push_back(entry);
    }
    std::vector<std::string> Entries() const {
        std::lock_guard lock(mutex_);
        return entries_;
    }
    void Clear() {
        std::lock_guard lock(mutex_);
        entries_.clear();
    }
    size_t Count(const std::string& entry) const {
        std::lock_guard lock(mutex_);
        size_t n = 0;
        for (const auto& e : entries_) n += (e == entry);
        return n;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> entries_;
};

inline const char* OnOff(bool on) { return on ? "1" : "0"; }

// Hooks the open/close and line-signal notifications of a port.
inline void RecordLifecycle(serial::TComPort& port, EventLog& log) {
    port.OnBeforeOpen = [&](platform::TObject*) { log.Add("BeforeOpen"); };
    port.OnAfterOpen = [&](platform::TObject*) { log.Add("AfterOpen"); };
    port.OnBeforeClose = [&](platform::TObject*) { log.Add("BeforeClose"); };
    port.OnAfterClose = [&](platform::TObject*) { log.Add("AfterClose"); };
    port.OnCTSChange = [&](platform::TObject*, bool on) { log.Add(std::string("CTS") + OnOff(on)); };
    port.OnDSRChange = [&](platform::TObject*, bool on) { log.Add(std::string("DSR") + OnOff(on)); };
    port.OnRLSDChange = [&](platform::TObject*, bool on) { log.Add(std::string("RLSD") + OnOff(on)); };
}

inline void RecordLink(serial::TComLink& link, EventLog& log) {
    link.ConnectionChanged = [&](platform::TObject*, bool on) { log.Add(std::string("link:Connection") + OnOff(on)); };
    link.CTSChanged = [&](platform::TObject*, bool on) { log.Add(std::string("link:CTS") + OnOff(on)); };
    link.DSRChanged = [&](platform::TObject*, bool on) { log.Add(std::string("link:DSR") + OnOff(on)); };
    link.RLSDChanged = [&](platform::TObject*, bool on) { log.Add(std::string("link:RLSD") + OnOff(on)); };
}

// Collects what the central error reporting receives while alive.
class ReportedErrors {
public:
    ReportedErrors() {
        previous_ = platform::SetErrorReporter([this](const std::string& message) { log_.Add(message); });
    }
    ~ReportedErrors() { platform::SetErrorReporter(previous_); }
    std::vector<std::string> Messages() const { return log_.Entries(); }
    size_t Count() const { return log_.Entries().size(); }

private:
    EventLog log_;
    platform::ErrorReporter previous_;
};

}  // namespace serial_test
