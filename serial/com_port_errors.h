// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The error every failure of the serial line raises: a fixed English text per
// code, followed by the operating system's error number when there is one.
#include <cstdint>
#include <string>

#include "platform/exceptions.h"

namespace serial {

// Error codes (ErrorCode of EComPort).
enum : int32_t {
    CError_OpenFailed = 1,
    CError_WriteFailed = 2,
    CError_ReadFailed = 3,
    CError_InvalidAsync = 4,
    CError_PurgeFailed = 5,
    CError_AsyncCheck = 6,
    CError_SetStateFailed = 7,
    CError_TimeoutsFailed = 8,
    CError_SetupComFailed = 9,
    CError_ClearComFailed = 10,
    CError_ModemStatFailed = 11,
    CError_EscapeComFailed = 12,
    CError_TransmitFailed = 13,
    CError_ConnChangeProp = 14,
    CError_EnumPortsFailed = 15,
    CError_StoreFailed = 16,
    CError_LoadFailed = 17,
    CError_RegFailed = 18,
    CError_LedStateFailed = 19,
    CError_ThreadCreated = 20,
    CError_WaitFailed = 21,
    CError_HasLink = 22,
    CError_RegError = 23,
};

// The table text of a code ("" for a code outside 1..23).
const char* ComErrorText(int32_t code);

class EComPort : public platform::Exception {
public:
    // os_error -1: no operating-system cause, the message is the table text alone.
    explicit EComPort(int32_t code, int32_t os_error = -1);

    int32_t ErrorCode() const { return error_code_; }
    int32_t OSErrorCode() const { return os_error_code_; }

private:
    int32_t error_code_;
    int32_t os_error_code_;
};

}  // namespace serial
