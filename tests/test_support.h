// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Helpers shared by the test rooms: pumping the main thread until a condition
// holds, with a deadline so a broken component fails instead of hanging; the
// process's thread count; the error a call raises; scopes for the decimal
// separator and the environment.
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <optional>
#include <string>

#include "platform/exceptions.h"
#include "platform/format.h"
#include "platform/message_loop.h"

namespace testing_support {

// Runs the main thread's messages until pred() is true or timeout_ms passed.
inline bool WaitUntil(const std::function<bool()>& pred, uint32_t timeout_ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        platform::ProcessMessages();
        if (pred()) return true;
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) return false;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count();
        platform::WaitForMessages(static_cast<uint32_t>(left < 10 ? left : 10));
    }
}

// The process's thread count, from the kernel.
inline int ThreadCount() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("Threads:", 0) == 0) return std::stoi(line.substr(8));
    return -1;
}

// Monotonic milliseconds as a double, for measuring spans in tests.
inline double NowMs() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Sets the user's decimal separator for the scope of a test.
struct SeparatorScope {
    explicit SeparatorScope(char c) { platform::SetDecimalSeparator(c); }
    ~SeparatorScope() { platform::SetDecimalSeparator(0); }
    SeparatorScope(const SeparatorScope&) = delete;
    SeparatorScope& operator=(const SeparatorScope&) = delete;
};

// The message of the error of type E that fn raises ("" when it raises none).
template <class E = platform::Exception>
std::string ErrorOf(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const E& e) {
        return e.Message();
    }
    return "";
}

// Sets (or unsets, with nullopt) an environment variable for one scope.
class EnvScope {
public:
    EnvScope(const char* name, std::optional<std::string> value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value) ::setenv(name, value->c_str(), 1);
        else ::unsetenv(name);
    }
    ~EnvScope() {
        if (old_) ::setenv(name_, old_->c_str(), 1);
        else ::unsetenv(name_);
    }
    EnvScope(const EnvScope&) = delete;
    EnvScope& operator=(const EnvScope&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

}  // namespace testing_support
