// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/error_reporting.h"

#include <cstdio>
#include <mutex>

#include "platform/exceptions.h"

namespace platform {
namespace {
std::mutex reporter_mutex;
ErrorReporter& Reporter() {
    static ErrorReporter reporter;
    return reporter;
}
}  // namespace

ErrorReporter SetErrorReporter(ErrorReporter reporter) {
    std::lock_guard lock(reporter_mutex);
    ErrorReporter previous = std::move(Reporter());
    Reporter() = std::move(reporter);
    return previous;
}

void HandleException(std::exception_ptr error) noexcept {
    if (!error) return;
    std::string message;
    try {
        std::rethrow_exception(error);
    } catch (const EAbort&) {
        return;
    } catch (const std::exception& e) {
        message = e.what();
    } catch (...) {
        message = "Unknown error";
    }
    ErrorReporter reporter;
    {
        std::lock_guard lock(reporter_mutex);
        reporter = Reporter();
    }
    try {
        if (reporter) {
            reporter(message);
            return;
        }
    } catch (...) {
    }
    std::fprintf(stderr, "%s\n", message.c_str());
}

void HandleCurrentException() noexcept { HandleException(std::current_exception()); }

}  // namespace platform
