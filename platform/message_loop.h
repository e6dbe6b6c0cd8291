// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main thread's queue. Workers (a port's event thread, a timer's countdown)
// never decide anything: they hand their work to the main thread and block until
// it has run. That is what keeps the device, the framer and the window lock-free.
//
// The main thread is the thread that started the process (recorded at static
// initialisation).
#include <cstdint>
#include <functional>
#include <thread>

namespace platform {

using Task = std::function<void()>;
using MessageHandler = std::function<void(uint32_t msg, uintptr_t wparam, intptr_t lparam)>;

// First number free for the application's own messages.
constexpr uint32_t WM_USER = 0x0400;

bool IsMainThread();

// From a worker: queue fn for the main thread, wake it, block until fn has run;
// an exception thrown by fn is rethrown here. From the main thread: run fn now.
void Synchronize(const Task& fn);

// Asynchronous: fn runs on the main thread at its next ProcessMessages.
void PostTask(Task fn);

// Asynchronous application message; runs the handler registered for msg (a
// message nobody handles is dropped). Callable from any thread.
void PostMessage(uint32_t msg, uintptr_t wparam, intptr_t lparam);

// Synchronous application message: runs the handlers registered for msg now
// (from a worker: on the main thread, waiting until they have run). Errors
// escaping a handler go to the central error reporting.
void SendMessage(uint32_t msg, uintptr_t wparam, intptr_t lparam);

// Registers the handler for a message number; returns an id for removal.
int AddMessageHandler(uint32_t msg, MessageHandler handler);
void RemoveMessageHandler(int id);

// Main thread: run everything that was pending when called (synchronize
// requests, posted tasks and messages, and the GUI's events when a pump is
// installed). Errors escaping a posted task or message go to the central error
// reporting. Returns true when anything of ours ran.
bool ProcessMessages();

// Main thread: run only pending Synchronize requests (what a thread join must
// serve so that the joined worker is not stuck handing over).
bool CheckSynchronize();

// Main thread: block until something is pending or ms has passed.
void WaitForMessages(uint32_t ms);

// The component's wait: ProcessMessages at least once, and again until ms has
// passed on the tick count (or the tick count reads lower than at the start,
// compared as signed 32-bit values). Between passes it blocks in WaitForMessages
// for the remaining time: work arriving during the wait runs promptly, and an
// idle wait costs no CPU. Once the process is terminating it returns after its
// first pass.
void WaitProcessing(uint32_t ms);

// The process has been told to end (a termination signal): from then on every
// WaitProcessing is one pass, so whatever waits (a port search, an
// identification) unwinds at once instead of running out its time. Set from
// inside a wait's pass, it ends that wait too. Any thread.
void SetTerminating(bool value);
bool Terminating();

// Any thread: wake a main thread blocked in WaitForMessages.
void WakeMainThread();

// Main thread: block until `finished` is true while serving Synchronize
// requests, so a worker blocked in a hand-over can reach its end. The worker
// should call WakeMainThread when it ends.
void WaitServingSynchronize(const std::function<bool()>& finished);

// Joins the thread while serving Synchronize requests.
void JoinServingSynchronize(std::thread& thread, const std::function<bool()>& finished);

// The GUI's event loop plugs in here so ProcessMessages also runs its events and
// a worker's wake-up also wakes it.
class MessagePump {
public:
    virtual ~MessagePump() = default;
    // Any thread: work was queued; make the GUI loop call ProcessMessages soon.
    virtual void Wake() = 0;
    // Main thread: run the GUI's pending events (not ours).
    virtual void ProcessEvents() = 0;
    // Main thread: block until a GUI event or a Wake arrives, at most ms.
    virtual void WaitForEvents(uint32_t ms) = 0;
};

// Installs the pump (nullptr = the headless default). Not owned.
void SetMessagePump(MessagePump* pump);

// Number of our own queued items (tasks, messages, synchronize requests).
size_t PendingMessageCount();

}  // namespace platform
