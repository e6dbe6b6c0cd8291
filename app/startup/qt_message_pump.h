// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Runs the main thread's queue (Synchronize hand-overs, posted tasks and
// messages) inside Qt's event loop, and Qt's events inside the component's
// waits (WaitProcessing).
#include <QObject>
#include <atomic>

#include "platform/message_loop.h"

namespace app {

class QtMessagePump : public QObject, public platform::MessagePump {
    Q_OBJECT

public:
    // Create on the main thread, after the QApplication.
    QtMessagePump();
    ~QtMessagePump() override;

    // Any thread: queues one call on the main thread that drains our queue
    // (several wake-ups before it runs share it).
    void Wake() override;
    // Main thread: Qt's pending events.
    void ProcessEvents() override;
    // Main thread: blocks in Qt's dispatcher until an event arrives (a
    // wake-up posts one) or ms has passed.
    void WaitForEvents(uint32_t ms) override;

private:
    void Drain();

    std::atomic<bool> drain_posted_{false};
    // The drain's own ProcessMessages call skips Qt's events: it already runs
    // inside Qt's dispatching.
    bool skip_events_once_ = false;
};

// Installs a pump for the life of the object (and removes it afterwards).
class ScopedQtMessagePump {
public:
    ScopedQtMessagePump() { platform::SetMessagePump(&pump_); }
    ~ScopedQtMessagePump() { platform::SetMessagePump(nullptr); }
    ScopedQtMessagePump(const ScopedQtMessagePump&) = delete;
    ScopedQtMessagePump& operator=(const ScopedQtMessagePump&) = delete;
    QtMessagePump& Pump() { return pump_; }

private:
    QtMessagePump pump_;
};

}  // namespace app
