// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Pairs the measurement frames a simulated console sends with the tool's
// resistance commands, from the console's own traffic log: each command
// answers the oldest frame still waiting, a frame left waiting for longer
// than `give_up` is unanswered, and a command with no frame waiting is an
// extra one. The latency of a pair runs from the console's write of the
// frame to its read of the command's last byte, both stamped by the
// console's thread (the simulator stamps a write just before it and a read
// just after poll wakes for it).
//
// Feed it from ConsoleOptions::on_traffic; read it from any thread.
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "bench/pty_helpers.h"
#include "tools/console_sim/console_simulator.h"

namespace bench {

class ReplyMatcher {
public:
    struct Totals {
        std::uint64_t frames = 0;      // recorded frames sent
        std::uint64_t answered = 0;    // ... each by its own command
        std::uint64_t unanswered = 0;  // ... given up on
        std::uint64_t extra = 0;       // commands while recording with no frame waiting
        std::vector<double> latency_us;
        // Each answered frame's write and its reply's read, in the same order.
        std::vector<std::pair<Clock::time_point, Clock::time_point>> sent_read;
    };

    explicit ReplyMatcher(std::chrono::milliseconds give_up = std::chrono::milliseconds(1000)) : give_up_(give_up) {}

    // Only frames sent while recording are counted; the others are still
    // paired, so that their commands are not taken for a later frame's.
    void SetRecording(bool on) {
        std::lock_guard lock(mutex_);
        recording_ = on;
    }

    void OnTraffic(console_sim::Direction direction, const console_sim::TimedBytes& entry) {
        std::lock_guard lock(mutex_);
        if (direction == console_sim::Direction::kSent) {
            GiveUpOlderThan(entry.when - give_up_);
            if (IsMeasurement(entry.bytes)) {
                last_sent_ = entry.when;
                waiting_.push_back({entry.when, recording_});
                if (recording_) ++totals_.frames;
            }
            return;
        }
        received_ += entry.bytes;
        size_t at = 0;
        while ((at = received_.find('\xF0', at)) != std::string::npos && received_.size() - at >= 6) {
            if (received_[at + 5] != '\xF7') {
                ++at;
                continue;
            }
            if (received_[at + 1] == '\x01') Answer(entry.when);
            at += 6;
        }
        received_.erase(0, at == std::string::npos ? received_.size() : at);
    }

    // Everything so far; frames still waiting longer than `give_up` at `now`
    // are counted as unanswered.
    Totals Snapshot(Clock::time_point now = Clock::now()) {
        std::lock_guard lock(mutex_);
        GiveUpOlderThan(now - give_up_);
        return totals_;
    }

    // When the console last sent a frame (the epoch before the first).
    Clock::time_point LastSent() {
        std::lock_guard lock(mutex_);
        return last_sent_;
    }

private:
    struct Waiting {
        Clock::time_point sent;
        bool recorded;
    };

    // A type-1 frame in any framing generation: the console's measurement.
    static bool IsMeasurement(const std::string& bytes) {
        return bytes.size() >= 6 && bytes.front() == '\xF0' && bytes[1] == '\x01' && bytes.back() == '\xF7';
    }

    void Answer(Clock::time_point read_at) {
        if (waiting_.empty()) {
            if (recording_) ++totals_.extra;
            return;
        }
        const Waiting frame = waiting_.front();
        waiting_.pop_front();
        if (!frame.recorded) return;
        ++totals_.answered;
        totals_.latency_us.push_back(std::chrono::duration<double, std::micro>(read_at - frame.sent).count());
        totals_.sent_read.emplace_back(frame.sent, read_at);
    }

    void GiveUpOlderThan(Clock::time_point limit) {
        while (!waiting_.empty() && waiting_.front().sent < limit) {
            if (waiting_.front().recorded) ++totals_.unanswered;
            waiting_.pop_front();
        }
    }

    const std::chrono::milliseconds give_up_;
    std::mutex mutex_;
    bool recording_ = false;
    Clock::time_point last_sent_{};
    std::deque<Waiting> waiting_;
    std::string received_;  // bytes not yet part of a whole 6-byte frame
    Totals totals_;
};

}  // namespace bench
