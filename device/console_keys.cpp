// SPDX-License-Identifier: GPL-3.0-or-later
// Console keys with their repeat block, and the relays of the port's and the
// framer's notifications to the device's own events.
#include <cstdint>

#include "device/quarix_device.h"
#include "platform/message_loop.h"
#include "platform/tick_count.h"

namespace device {

namespace {

// Clears the key guard however ConsoleKey ends, a handler's error included.
class KeyBusyScope {
public:
    KeyBusyScope() { TQuarixDevice::KeyBusy = true; }
    ~KeyBusyScope() { TQuarixDevice::KeyBusy = false; }
    KeyBusyScope(const KeyBusyScope&) = delete;
    KeyBusyScope& operator=(const KeyBusyScope&) = delete;
};

}  // namespace

void TQuarixDevice::SetKeyMessage(int32_t value) {
    if (value != key_message_) key_message_ = value;
}

void TQuarixDevice::EnableConsoleKeys() { ConsoleKeysEnabled = true; }

void TQuarixDevice::DisableConsoleKeys() { ConsoleKeysEnabled = false; }

void TQuarixDevice::ConsoleKey(TConsoleKey key) {
    if (!OnConsoleKeyDown) return;
    // A handler that pumps messages may let the decoder report another key
    // while this one is being delivered: that one is dropped.
    if (KeyBusy) return;
    KeyBusyScope busy;

    // A different key ends the blocking window at once.
    if (key != LastConsoleKey) key_repeat_timer_->SetEnabled(false);
    // The same key inside its blocking window is a repeat of the console.
    if (key_repeat_timer_->Enabled()) return;
    LastConsoleKey = key;
    key_repeat_timer_->SetEnabled(true);

    if (!ConsoleKeysEnabled) return;

    const uint32_t now = platform::GetTickCount();
    if (LastKeyTick == 0) {
        LastKeyTick = now;
        OnConsoleKeyDown(this, key);
        return;
    }
    const auto elapsed = static_cast<int32_t>(now - LastKeyTick);
    if (elapsed >= 0 && static_cast<uint32_t>(elapsed) >= key_repeat_timer_->Interval()) {
        if (key == ckKey2) {
            platform::PostMessage(static_cast<uint32_t>(key_message_), 0, 0);
        } else {
            OnConsoleKeyDown(this, key);
        }
    }
    LastKeyTick = now;
}

void TQuarixDevice::KeyRepeatTick(TObject* /*sender*/) { key_repeat_timer_->SetEnabled(false); }

// ---------------------------------------------------------------------------
// Port notifications
// ---------------------------------------------------------------------------

void TQuarixDevice::PortAfterOpen(TObject* /*sender*/) {
    if (frame_listener_) frame_listener_->PortOpened(*this);
    DoComPortAfterOpen();
}

void TQuarixDevice::PortBeforeOpen(TObject* /*sender*/) { DoComPortBeforeOpen(); }

void TQuarixDevice::PortAfterClose(TObject* /*sender*/) {
    // Also the close at destruction: the listener outlives the component.
    if (frame_listener_) frame_listener_->PortClosed(*this);
    if (IsDestroying()) return;
    DoComPortAfterClose();
}

void TQuarixDevice::PortBeforeClose(TObject* /*sender*/) {
    if (IsDestroying()) return;
    // A repair closes and reopens the port on purpose; any other close ends
    // the connection.
    if (!Repairing) SetConnected(false);
    DoComPortBeforeClose();
}

void TQuarixDevice::PortRxChar(TObject* /*sender*/, int32_t count) {
    if (IsDestroying()) return;
    ++ReceivedEventCount;
    std::string data;
    port_->ReceiveText(data, count);
    if (frame_listener_) frame_listener_->FrameReceived(*this, data);
    DecodeMessage(data);
    SendByteProtocolReply();
    DoComPortRxChar(count);
}

void TQuarixDevice::PortRxBuf(TObject* /*sender*/, const char* buffer, int32_t count) {
    if (IsDestroying()) return;
    DoComPortRxBuf(buffer, count);
}

void TQuarixDevice::PortTxEmpty(TObject* /*sender*/) {
    if (IsDestroying()) return;
    DoComPortTxEmpty();
}

void TQuarixDevice::PortBreak(TObject* /*sender*/) {
    if (IsDestroying()) return;
    DoComPortBreak();
}

void TQuarixDevice::PortRing(TObject* /*sender*/) {
    if (IsDestroying()) return;
    DoComPortRing();
}

void TQuarixDevice::PortCTSChange(TObject* /*sender*/, bool on_off) {
    if (IsDestroying()) return;
    DoComPortCTSChange(on_off);
}

void TQuarixDevice::PortDSRChange(TObject* /*sender*/, bool on_off) {
    if (IsDestroying()) return;
    DoComPortDSRChange(on_off);
}

void TQuarixDevice::PortRLSDChange(TObject* /*sender*/, bool on_off) {
    if (IsDestroying()) return;
    DoComPortRLSDChange(on_off);
}

void TQuarixDevice::PortRxFlag(TObject* /*sender*/) {
    if (IsDestroying()) return;
    DoComPortRxFlag();
}

void TQuarixDevice::PortError(TObject* /*sender*/, serial::TComErrors errors) {
    if (IsDestroying()) return;
    DoComPortError(errors);
}

void TQuarixDevice::PortRx80Full(TObject* /*sender*/) {
    if (IsDestroying()) return;
    DoComPortRx80Full();
}

// ---------------------------------------------------------------------------
// Framer notifications
// ---------------------------------------------------------------------------

void TQuarixDevice::FramerDiscard(TObject* /*sender*/, const std::string& str) { DoComDataPacketDiscard(str); }

void TQuarixDevice::FramerPacket(TObject* /*sender*/, const std::string& str) {
    if (IsDestroying()) return;
    if (frame_listener_) frame_listener_->FrameReceived(*this, str);
    DecodeMessage(str);
    KeepShortFrameConsoleActive();
    DoComDataPacketPacket(str);
}

// ---------------------------------------------------------------------------
// Relays to the device's events
// ---------------------------------------------------------------------------

void TQuarixDevice::DoComPortAfterOpen() {
    if (OnComPortAfterOpen) OnComPortAfterOpen(this);
}
void TQuarixDevice::DoComPortAfterClose() {
    if (OnComPortAfterClose) OnComPortAfterClose(this);
}
void TQuarixDevice::DoComPortBeforeOpen() {
    if (OnComPortBeforeOpen) OnComPortBeforeOpen(this);
}
void TQuarixDevice::DoComPortBeforeClose() {
    if (OnComPortBeforeClose) OnComPortBeforeClose(this);
}
void TQuarixDevice::DoComPortRxChar(int32_t count) {
    if (OnComPortRxChar) OnComPortRxChar(this, count);
}
void TQuarixDevice::DoComPortRxBuf(const char* buffer, int32_t count) {
    if (OnComPortRxBuf) OnComPortRxBuf(this, buffer, count);
}
void TQuarixDevice::DoComPortTxEmpty() {
    if (OnComPortTxEmpty) OnComPortTxEmpty(this);
}
void TQuarixDevice::DoComPortBreak() {
    if (OnComPortBreak) OnComPortBreak(this);
}
void TQuarixDevice::DoComPortRing() {
    if (OnComPortRing) OnComPortRing(this);
}
void TQuarixDevice::DoComPortCTSChange(bool on_off) {
    if (OnComPortCTSChange) OnComPortCTSChange(this, on_off);
}
void TQuarixDevice::DoComPortDSRChange(bool on_off) {
    if (OnComPortDSRChange) OnComPortDSRChange(this, on_off);
}
void TQuarixDevice::DoComPortRLSDChange(bool on_off) {
    if (OnComPortRLSDChange) OnComPortRLSDChange(this, on_off);
}
void TQuarixDevice::DoComPortRxFlag() {
    if (OnComPortRxFlag) OnComPortRxFlag(this);
}
void TQuarixDevice::DoComPortError(serial::TComErrors errors) {
    if (OnComPortError) OnComPortError(this, errors);
}
void TQuarixDevice::DoComPortRx80Full() {
    if (OnComPortRx80Full) OnComPortRx80Full(this);
}
void TQuarixDevice::DoComDataPacketDiscard(const std::string& str) {
    if (OnComDataPacketDiscard) OnComDataPacketDiscard(this, str);
}
void TQuarixDevice::DoComDataPacketPacket(const std::string& str) {
    if (OnComDataPacketPacket) OnComDataPacketPacket(this, str);
}
void TQuarixDevice::DoComDataPacketCustomStart(std::string_view str, int& pos) {
    if (OnComDataPacketCustomStart) OnComDataPacketCustomStart(this, str, pos);
}
void TQuarixDevice::DoComDataPacketCustomStop(std::string_view str, int& pos) {
    if (OnComDataPacketCustomStop) OnComDataPacketCustomStop(this, str, pos);
}

}  // namespace device
