// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "serial/com_port_errors.h"

namespace serial {
namespace {

TEST(EComPortTest, EveryCodeCarriesItsTableText) {
    const char* const expected[] = {
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
    for (int32_t code = 1; code <= 23; ++code) {
        const EComPort error(code);
        EXPECT_EQ(error.Message(), expected[code - 1]) << "code " << code;
        EXPECT_EQ(error.ErrorCode(), code);
        EXPECT_EQ(error.OSErrorCode(), -1);
    }
}

TEST(EComPortTest, AnOperatingSystemCauseIsAppendedToTheText) {
    const EComPort error(1, 2);
    EXPECT_EQ(error.Message(), "Unable to open com port (win error code: 2)");
    EXPECT_STREQ(error.what(), "Unable to open com port (win error code: 2)");
    EXPECT_EQ(error.OSErrorCode(), 2);
    // 0 is an operating-system number like any other; only -1 means "none".
    EXPECT_EQ(EComPort(23, 0).Message(), "Registry error (win error code: 0)");
}

TEST(EComPortTest, IsAFrameworkError) {
    try {
        throw EComPort(14);
    } catch (const platform::Exception& e) {
        EXPECT_EQ(e.Message(), "Cannot set property while connected");
    }
}

}  // namespace
}  // namespace serial
