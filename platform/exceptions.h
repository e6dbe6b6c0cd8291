// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The error classes every layer raises. Failures are exceptions carrying the
// exact user-facing text; nothing returns an error code.
#include <stdexcept>
#include <string>

namespace platform {

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& Message() const noexcept { return message_; }
    void SetMessage(std::string message) { message_ = std::move(message); }

private:
    std::string message_;
};

// A silent abort: every level passes it on, nobody shows it.
class EAbort : public Exception {
public:
    EAbort() : Exception("Operation aborted") {}
    explicit EAbort(std::string message) : Exception(std::move(message)) {}
};

class EConvertError : public Exception {
public:
    using Exception::Exception;
};

class EInvalidOperation : public Exception {
public:
    using Exception::Exception;
};

// Raises a silent abort.
[[noreturn]] void Abort();

}  // namespace platform
