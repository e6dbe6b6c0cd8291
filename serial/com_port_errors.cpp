// SPDX-License-Identifier: GPL-3.0-or-later
#include "serial/com_port_errors.h"

#include <iterator>

#include "platform/format.h"

namespace serial {
namespace {

const char* const kErrorTexts[] = {
    "Unable to open com port",
    "WriteFile function failed",
    "ReadFile function failed",
    "Invalid Async parameter",
    "PurgeComm function failed",
    "Unable to get async status",
    "SetCommState function failed",
    "SetCommTimeouts failed",
    "SetupComm function failed",
    "ClearCommError function failed",
    "GetCommModemStatus function failed",
    "EscapeCommFunction function failed",
    "TransmitCommChar function failed",
    "Cannot set property while connected",
    "EnumPorts function failed",
    "Failed to store settings",
    "Failed to load settings",
    "Link (un)registration failed",
    "Cannot change led state if ComPort is selected",
    "Cannot wait for event if event thread is created",
    "WaitForEvent method failed",
    "A component is linked to OnRxBuf event",
    "Registry error",
};

std::string MessageFor(int32_t code, int32_t os_error) {
    std::string text = ComErrorText(code);
    if (os_error != -1) text += platform::Format(" (win error code: %d)", os_error);
    return text;
}

}  // namespace

const char* ComErrorText(int32_t code) {
    if (code < 1 || code > static_cast<int32_t>(std::size(kErrorTexts))) return "";
    return kErrorTexts[code - 1];
}

EComPort::EComPort(int32_t code, int32_t os_error)
    : platform::Exception(MessageFor(code, os_error)), error_code_(code), os_error_code_(os_error) {}

}  // namespace serial
