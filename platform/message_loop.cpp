// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/message_loop.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <map>
#include <mutex>

#include "platform/error_reporting.h"
#include "platform/tick_count.h"

namespace platform {
namespace {

// A hand-over from a worker that waits for its completion. It lives on the
// worker's stack and the main thread lets go of it once `done` is set, so
// everything in it (the fault above all, whose reference count lives in the
// runtime library where the thread sanitizer cannot see it) is created
// before, and released after, the lock that orders the two threads.
struct SyncRequest {
    const Task* fn = nullptr;
    std::exception_ptr error;
    bool done = false;
};

struct Item {
    enum Kind { kSync, kTask, kMessage } kind;
    SyncRequest* sync = nullptr;
    Task task;
    uint32_t msg = 0;
    uintptr_t wparam = 0;
    intptr_t lparam = 0;
};

struct Loop {
    std::mutex mutex;
    std::condition_variable queue_changed;  // main thread waits for work
    std::condition_variable sync_done;      // workers wait for their hand-over
    std::deque<Item> queue;
    uint64_t wakeups = 0;
    std::map<int, std::pair<uint32_t, MessageHandler>> handlers;
    int next_handler_id = 1;
    std::atomic<MessagePump*> pump{nullptr};
};

Loop& TheLoop() {
    static Loop loop;
    return loop;
}

const std::thread::id main_thread_id = std::this_thread::get_id();

void Enqueue(Item item) {
    Loop& loop = TheLoop();
    {
        std::lock_guard lock(loop.mutex);
        loop.queue.push_back(std::move(item));
        ++loop.wakeups;
    }
    loop.queue_changed.notify_all();
    if (MessagePump* pump = loop.pump.load()) pump->Wake();
}

void RunSync(SyncRequest* request) {
    std::exception_ptr error;
    try {
        (*request->fn)();
    } catch (...) {
        error = std::current_exception();
    }
    Loop& loop = TheLoop();
    {
        std::lock_guard lock(loop.mutex);
        request->error = std::move(error);
        request->done = true;
        // From here on the request belongs to the worker again.
    }
    loop.sync_done.notify_all();
}

void DispatchMessage(uint32_t msg, uintptr_t wparam, intptr_t lparam) {
    std::vector<MessageHandler> targets;
    {
        Loop& loop = TheLoop();
        std::lock_guard lock(loop.mutex);
        for (auto& [id, entry] : loop.handlers)
            if (entry.first == msg) targets.push_back(entry.second);
    }
    for (auto& handler : targets) {
        try {
            handler(msg, wparam, lparam);
        } catch (...) {
            HandleCurrentException();
        }
    }
}

void RunItem(Item& item) {
    switch (item.kind) {
    case Item::kSync:
        RunSync(item.sync);
        break;
    case Item::kTask:
        try {
            item.task();
        } catch (...) {
            HandleCurrentException();
        }
        break;
    case Item::kMessage:
        DispatchMessage(item.msg, item.wparam, item.lparam);
        break;
    }
}

// Runs the items queued before the call (not those they queue themselves:
// a back-to-back timer must not keep one pass going for ever).
bool DrainQueue(bool sync_only) {
    Loop& loop = TheLoop();
    size_t budget;
    {
        std::lock_guard lock(loop.mutex);
        budget = loop.queue.size();
    }
    bool ran = false;
    while (budget > 0) {
        Item item;
        {
            std::lock_guard lock(loop.mutex);
            auto it = loop.queue.begin();
            if (sync_only) {
                while (it != loop.queue.end() && it->kind != Item::kSync) ++it;
            }
            if (it == loop.queue.end()) break;
            item = std::move(*it);
            loop.queue.erase(it);
        }
        --budget;
        RunItem(item);
        ran = true;
    }
    return ran;
}

}  // namespace

bool IsMainThread() { return std::this_thread::get_id() == main_thread_id; }

void Synchronize(const Task& fn) {
    if (IsMainThread()) {
        fn();
        return;
    }
    SyncRequest request;
    request.fn = &fn;
    Enqueue(Item{Item::kSync, &request, {}, 0, 0, 0});
    Loop& loop = TheLoop();
    std::exception_ptr error;
    {
        std::unique_lock lock(loop.mutex);
        loop.sync_done.wait(lock, [&] { return request.done; });
        // Taken out under the lock: the fault's last reference is dropped on
        // this thread, which rethrows it, never on the main thread.
        error = std::move(request.error);
    }
    if (error) std::rethrow_exception(std::move(error));
}

void PostTask(Task fn) { Enqueue(Item{Item::kTask, nullptr, std::move(fn), 0, 0, 0}); }

void PostMessage(uint32_t msg, uintptr_t wparam, intptr_t lparam) {
    Enqueue(Item{Item::kMessage, nullptr, {}, msg, wparam, lparam});
}

void SendMessage(uint32_t msg, uintptr_t wparam, intptr_t lparam) {
    Synchronize([&] { DispatchMessage(msg, wparam, lparam); });
}

int AddMessageHandler(uint32_t msg, MessageHandler handler) {
    Loop& loop = TheLoop();
    std::lock_guard lock(loop.mutex);
    const int id = loop.next_handler_id++;
    loop.handlers.emplace(id, std::make_pair(msg, std::move(handler)));
    return id;
}

void RemoveMessageHandler(int id) {
    Loop& loop = TheLoop();
    std::lock_guard lock(loop.mutex);
    loop.handlers.erase(id);
}

bool ProcessMessages() {
    if (MessagePump* pump = TheLoop().pump.load()) pump->ProcessEvents();
    return DrainQueue(false);
}

bool CheckSynchronize() { return DrainQueue(true); }

void WaitForMessages(uint32_t ms) {
    Loop& loop = TheLoop();
    if (MessagePump* pump = loop.pump.load()) {
        {
            std::lock_guard lock(loop.mutex);
            if (!loop.queue.empty()) return;
        }
        pump->WaitForEvents(ms);
        return;
    }
    std::unique_lock lock(loop.mutex);
    loop.queue_changed.wait_for(lock, std::chrono::milliseconds(ms), [&] { return !loop.queue.empty(); });
}

void WaitProcessing(uint32_t ms) {
    const uint32_t start = GetTickCount();
    if (TickCountOverridden()) {
        // A fake clock does not move by itself: one pass, then time jumps.
        ProcessMessages();
        const uint32_t now = GetTickCount();
        if (static_cast<int32_t>(now - start) < static_cast<int32_t>(ms)) {
            AdvanceTickCountOverride(ms - (now - start));
        }
        return;
    }
    for (;;) {
        ProcessMessages();
        if (Terminating()) return;
        const uint32_t now = GetTickCount();
        // The tick wraps every 49.7 days: subtract unsigned, then read as signed.
        const int32_t elapsed = static_cast<int32_t>(now - start);
        if (elapsed < 0 || elapsed >= static_cast<int32_t>(ms) ||
            static_cast<int32_t>(now) < static_cast<int32_t>(start))
            return;
        WaitForMessages(ms - static_cast<uint32_t>(elapsed));
    }
}

namespace {
std::atomic<bool> terminating{false};
}  // namespace

void SetTerminating(bool value) {
    terminating.store(value);
    // Something to run ends a wait blocked between its passes, which then
    // looks at the flag.
    if (value) PostTask([] {});
}
bool Terminating() { return terminating.load(); }

void WakeMainThread() {
    Loop& loop = TheLoop();
    {
        std::lock_guard lock(loop.mutex);
        ++loop.wakeups;
    }
    loop.queue_changed.notify_all();
    if (MessagePump* pump = loop.pump.load()) pump->Wake();
}

void WaitServingSynchronize(const std::function<bool()>& finished) {
    Loop& loop = TheLoop();
    for (;;) {
        CheckSynchronize();
        if (finished()) return;
        std::unique_lock lock(loop.mutex);
        const uint64_t seen = loop.wakeups;
        bool has_sync = false;
        for (const Item& item : loop.queue) has_sync = has_sync || item.kind == Item::kSync;
        if (has_sync) continue;
        // The worker wakes us when it queues a hand-over or ends; the timeout
        // only covers a `finished` that turns true without a wake-up.
        loop.queue_changed.wait_for(lock, std::chrono::milliseconds(20), [&] { return loop.wakeups != seen; });
    }
}

void JoinServingSynchronize(std::thread& thread, const std::function<bool()>& finished) {
    if (!thread.joinable()) return;
    WaitServingSynchronize(finished);
    thread.join();
}

void SetMessagePump(MessagePump* pump) { TheLoop().pump.store(pump); }

size_t PendingMessageCount() {
    Loop& loop = TheLoop();
    std::lock_guard lock(loop.mutex);
    return loop.queue.size();
}

}  // namespace platform
