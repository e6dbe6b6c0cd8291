// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The application's central error reporting: where an error that escapes an
// event handler ends up. The GUI installs a reporter that shows a message box;
// without one the message goes to stderr. A silent abort is never shown.
#include <exception>
#include <functional>
#include <string>

namespace platform {

using ErrorReporter = std::function<void(const std::string& message)>;

// Installs the reporter (empty = back to stderr). Returns the previous one.
ErrorReporter SetErrorReporter(ErrorReporter reporter);

// Reports the exception (EAbort is swallowed without a word). Never throws.
void HandleException(std::exception_ptr error) noexcept;

// Reports the exception currently being handled; call it inside a catch block.
void HandleCurrentException() noexcept;

}  // namespace platform
