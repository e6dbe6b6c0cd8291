// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An observer of a trainer component's traffic (a wire trace, a monitor): it
// is told of every frame written to the console, of every frame received (in
// the byte protocol: every chunk read) before it is decoded, and of the
// port's opens, closes and repair attempts. It takes no part in the
// conversation.
//
// Called on the main thread, inside the frame path: an implementation must
// return quickly and must not throw. It must outlive the component or be
// detached first (SetFrameListener(nullptr)).
#include <cstdint>
#include <string>

namespace device {

class TQuarixDevice;

class TFrameListener {
public:
    virtual ~TFrameListener() = default;
    virtual void FrameSent(const TQuarixDevice& device, const std::string& bytes) = 0;
    virtual void FrameReceived(const TQuarixDevice& device, const std::string& bytes) = 0;
    virtual void PortOpened(const TQuarixDevice& device) = 0;
    virtual void PortClosed(const TQuarixDevice& device) = 0;
    // `attempt` counts from 1 within one repair.
    virtual void RepairAttempt(const TQuarixDevice& device, int32_t attempt) = 0;
};

}  // namespace device
