// SPDX-License-Identifier: GPL-3.0-or-later
// The event thread of an open port and the three ways its dispatches reach
// the port's handlers.
#include <condition_variable>
#include <mutex>

#include "platform/error_reporting.h"
#include "platform/exceptions.h"
#include "platform/message_loop.h"
#include "platform/short_time_slices.h"
#include "platform/stage_stamps.h"
#include "serial/com_port.h"

namespace serial {

namespace {
struct EventBit {
    TComEvent event;
    uint32_t bit;
};
constexpr EventBit kEventBits[] = {
    {evRxChar, platform::kEvRxChar}, {evTxEmpty, platform::kEvTxEmpty}, {evRxFlag, platform::kEvRxFlag},
    {evRing, platform::kEvRing},     {evBreak, platform::kEvBreak},     {evCTS, platform::kEvCts},
    {evDSR, platform::kEvDsr},       {evError, platform::kEvErr},       {evRLSD, platform::kEvRlsd},
    {evRx80Full, platform::kEvRx80Full},
};
}  // namespace

uint32_t EventMaskBit(TComEvent event) {
    for (const EventBit& entry : kEventBits)
        if (entry.event == event) return entry.bit;
    return 0;
}

uint32_t EventsToMask(TComEvents events) {
    uint32_t mask = 0;
    for (const EventBit& entry : kEventBits)
        if (events.Contains(entry.event)) mask |= entry.bit;
    return mask;
}

TComEvents MaskToEvents(uint32_t mask) {
    TComEvents events;
    for (const EventBit& entry : kEventBits)
        if (mask & entry.bit) events.Include(entry.event);
    return events;
}

struct TComThread::State {
    TCustomComPort* port = nullptr;
    std::shared_ptr<platform::SerialDevice> device;
    TSyncMethod sync = smThreadSync;
    platform::EventSignal stop;
    std::atomic<bool> finished{false};
    // The port let go of the thread while the thread was inside one of its
    // dispatches (a handler closed the port): the thread ends on its own.
    std::atomic<bool> abandoned{false};
    bool dispatching = false;  // main thread: a hand-over of ours is running

    // Window delivery: the posted step releases the thread before it runs.
    std::mutex mutex;
    std::condition_variable released_changed;
    uint64_t posted = 0;
    uint64_t released = 0;
    bool stopping = false;
    TCustomComPort* window_port = nullptr;  // main thread only; none once closed
};

TComThread::TComThread(TCustomComPort* port) : state_(std::make_shared<State>()) {
    state_->port = port;
    state_->device = port->device_;
    state_->sync = port->SyncMethod();
    if (state_->sync == smWindowSync) state_->window_port = port;
    state_->device->SetCommMask(EventsToMask(port->Events()));
}

void TComThread::Resume() {
    if (!thread_.joinable()) thread_ = std::thread([state = state_] { Execute(state); });
}

void TComThread::Stop() {
    state_->stop.Set();
    {
        std::lock_guard lock(state_->mutex);
        state_->stopping = true;
    }
    state_->released_changed.notify_all();
}

namespace {
// The state of the event thread running on this thread, if any.
thread_local const void* running_state = nullptr;
}  // namespace

bool TComThread::InsideOwnDispatch() const { return running_state == state_.get() || state_->dispatching; }

bool TComThread::Finished() const { return state_->finished.load(); }

void TComThread::Abandon() {
    Stop();
    state_->window_port = nullptr;
    state_->abandoned.store(true);
    state_->device->ReleaseClaim();
}

TComThread::~TComThread() {
    Stop();
    state_->window_port = nullptr;
    if (InsideOwnDispatch()) {
        // Joining here would wait for the dispatch we are standing in; the port
        // retires such a thread instead, so this is only a last resort.
        Abandon();
        if (thread_.joinable()) thread_.detach();
        return;
    }
    if (!thread_.joinable()) return;  // never resumed
    platform::JoinServingSynchronize(thread_, [state = state_] { return state->finished.load(); });
}

void TComThread::Execute(const std::shared_ptr<State>& state) {
    running_state = state.get();
    platform::AskForShortTimeSlices();
    platform::SerialDevice& device = *state->device;
    for (;;) {
        uint32_t mask = 0;
        try {
            mask = device.WaitCommEvent(state->stop);
        } catch (...) {
            break;  // a failed wait ends the thread
        }
        if (state->stop.IsSet()) break;
        if (mask == 0) continue;  // the mask changed: wait again
        if (mask & platform::kEvRxChar) platform::StampStage(platform::Stage::kLineWoke);
        DispatchEvents(state, MaskToEvents(mask));
        if (state->stop.IsSet()) break;
    }
    if (!state->abandoned.load()) {
        try {
            device.SetCommMask(0);
            device.PurgeComm(platform::kPurgeTxClear | platform::kPurgeRxClear);
        } catch (...) {
            // The line may be gone; nothing is left to clear then.
        }
    }
    // Posted window steps may keep the state alive a while: the device must
    // not linger with it, or the name could not be opened again.
    state->device.reset();
    state->finished.store(true);
    platform::WakeMainThread();
}

void TComThread::DispatchEvents(const std::shared_ptr<State>& state, TComEvents events) {
    switch (state->sync) {
    case smThreadSync:
        platform::Synchronize([&state, events] {
            platform::StampStage(platform::Stage::kDispatchRuns);
            state->dispatching = true;
            try {
                state->port->DispatchEvents(events);
            } catch (...) {
                platform::HandleCurrentException();
            }
            state->dispatching = false;
        });
        break;
    case smNone:
        try {
            // The main thread may be closing the port meanwhile (or a handler
            // closed it): only the stop signal is safe to look at from here.
            for (TComEvent event : kDispatchOrder) {
                if (state->stop.IsSet()) break;
                if (events.Contains(event)) state->port->DispatchEvent(event);
            }
        } catch (const platform::EAbort&) {
            // Silent by definition.
        } catch (const std::exception& e) {
            // Reported on the main thread, where the reporter may show a
            // dialog; only the text crosses threads, the error object stays here.
            platform::PostTask([message = std::string(e.what())] { throw platform::Exception(message); });
        } catch (...) {
            platform::PostTask([] { throw platform::Exception("Unknown error"); });
        }
        break;
    case smWindowSync:
        for (TComEvent event : kDispatchOrder) {
            if (state->stop.IsSet()) return;
            if (events.Contains(event)) WindowDispatch(state, event);
        }
        break;
    }
}

void TComThread::WindowDispatch(const std::shared_ptr<State>& state, TComEvent event) {
    uint64_t ticket;
    {
        std::lock_guard lock(state->mutex);
        ticket = ++state->posted;
    }
    platform::PostTask([state, event, ticket] {
        {
            std::lock_guard lock(state->mutex);
            if (state->released < ticket) state->released = ticket;
        }
        state->released_changed.notify_all();
        TCustomComPort* port = state->window_port;
        if (!port || !port->Connected()) return;
        try {
            port->DispatchEvent(event);
        } catch (...) {
            platform::HandleCurrentException();
        }
    });
    std::unique_lock lock(state->mutex);
    state->released_changed.wait(lock, [&] { return state->released >= ticket || state->stopping; });
}

}  // namespace serial
