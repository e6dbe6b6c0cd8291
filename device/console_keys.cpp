// Console keys with their repeat block, and the relays of the port's and the
// framer's notifications to the device's own events.
#include "device/quarix_device.h"

namespace device {

// TODO(owner: control) every body in this file is a placeholder.

void TQuarixDevice::SetKeyMessage(int32_t value) { key_message_ = value; }
void TQuarixDevice::EnableConsoleKeys() {}
void TQuarixDevice::DisableConsoleKeys() {}
void TQuarixDevice::ConsoleKey(TConsoleKey /*key*/) {}
void TQuarixDevice::KeyRepeatTick(TObject* /*sender*/) {}

void TQuarixDevice::PortAfterOpen(TObject* /*sender*/) {}
void TQuarixDevice::PortAfterClose(TObject* /*sender*/) {}
void TQuarixDevice::PortBeforeOpen(TObject* /*sender*/) {}
void TQuarixDevice::PortBeforeClose(TObject* /*sender*/) {}
void TQuarixDevice::PortRxChar(TObject* /*sender*/, int32_t /*count*/) {}
void TQuarixDevice::PortRxBuf(TObject* /*sender*/, const char* /*buffer*/, int32_t /*count*/) {}
void TQuarixDevice::PortTxEmpty(TObject* /*sender*/) {}
void TQuarixDevice::PortBreak(TObject* /*sender*/) {}
void TQuarixDevice::PortRing(TObject* /*sender*/) {}
void TQuarixDevice::PortCTSChange(TObject* /*sender*/, bool /*on_off*/) {}
void TQuarixDevice::PortDSRChange(TObject* /*sender*/, bool /*on_off*/) {}
void TQuarixDevice::PortRLSDChange(TObject* /*sender*/, bool /*on_off*/) {}
void TQuarixDevice::PortRxFlag(TObject* /*sender*/) {}
void TQuarixDevice::PortError(TObject* /*sender*/, serial::TComErrors /*errors*/) {}
void TQuarixDevice::PortRx80Full(TObject* /*sender*/) {}
void TQuarixDevice::FramerDiscard(TObject* /*sender*/, const std::string& /*str*/) {}
void TQuarixDevice::FramerPacket(TObject* /*sender*/, const std::string& /*str*/) {}

void TQuarixDevice::DoComPortAfterOpen() {}
void TQuarixDevice::DoComPortAfterClose() {}
void TQuarixDevice::DoComPortBeforeOpen() {}
void TQuarixDevice::DoComPortBeforeClose() {}
void TQuarixDevice::DoComPortRxChar(int32_t /*count*/) {}
void TQuarixDevice::DoComPortRxBuf(const char* /*buffer*/, int32_t /*count*/) {}
void TQuarixDevice::DoComPortTxEmpty() {}
void TQuarixDevice::DoComPortBreak() {}
void TQuarixDevice::DoComPortRing() {}
void TQuarixDevice::DoComPortCTSChange(bool /*on_off*/) {}
void TQuarixDevice::DoComPortDSRChange(bool /*on_off*/) {}
void TQuarixDevice::DoComPortRLSDChange(bool /*on_off*/) {}
void TQuarixDevice::DoComPortRxFlag() {}
void TQuarixDevice::DoComPortError(serial::TComErrors /*errors*/) {}
void TQuarixDevice::DoComPortRx80Full() {}
void TQuarixDevice::DoComDataPacketDiscard(const std::string& /*str*/) {}
void TQuarixDevice::DoComDataPacketPacket(const std::string& /*str*/) {}
void TQuarixDevice::DoComDataPacketCustomStart(std::string_view /*str*/, int& /*pos*/) {}
void TQuarixDevice::DoComDataPacketCustomStop(std::string_view /*str*/, int& /*pos*/) {}

}  // namespace device
