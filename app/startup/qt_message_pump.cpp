// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/startup/qt_message_pump.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QMetaObject>
#include <QTimer>

#include "platform/stage_stamps.h"

namespace app {

QtMessagePump::QtMessagePump() = default;

QtMessagePump::~QtMessagePump() = default;

void QtMessagePump::Wake() {
    if (drain_posted_.exchange(true)) return;
    // A queued call is a posted event: it also wakes a dispatcher that sleeps.
    QMetaObject::invokeMethod(this, [this] { Drain(); }, Qt::QueuedConnection);
}

void QtMessagePump::Drain() {
    platform::StampStage(platform::Stage::kHandOverRuns);
    // Cleared first: work queued while we drain posts a new call.
    drain_posted_.store(false);
    skip_events_once_ = true;
    platform::ProcessMessages();
    skip_events_once_ = false;
}

void QtMessagePump::ProcessEvents() {
    if (skip_events_once_) {
        skip_events_once_ = false;
        return;
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtMessagePump::WaitForEvents(uint32_t ms) {
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    if (dispatcher == nullptr || ms == 0) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return;
    }
    // The timer bounds the wait; any other event ends it sooner.
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    deadline.start(static_cast<int>(ms));
    dispatcher->processEvents(QEventLoop::WaitForMoreEvents);
}

}  // namespace app
