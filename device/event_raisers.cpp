// SPDX-License-Identifier: GPL-3.0-or-later
// One overridable raiser per event: it calls the handler only when one is
// assigned, with the device as Sender.
#include "device/quarix_device.h"

namespace device {

void TQuarixDevice::DoQuarixMessage(TQuarixDeviceMessageType message_type, long double value1, long double value2,
                                    long double value3, const std::string& str) {
    if (OnQuarixMessage) OnQuarixMessage(this, message_type, value1, value2, value3, str);
}

void TQuarixDevice::DoQuarixDeviceStatusChanged(TQuarixDeviceStatus old_status, TQuarixDeviceStatus new_status) {
    if (OnQuarixDeviceStatusChanged) OnQuarixDeviceStatusChanged(this, old_status, new_status);
}

void TQuarixDevice::DoDisconnected() {
    if (OnDisconnected) OnDisconnected(this);
}

void TQuarixDevice::DoConnected() {
    if (OnConnected) OnConnected(this);
}

void TQuarixDevice::DoVersionChange() {
    if (OnVersionChange) OnVersionChange(this);
}

void TQuarixDevice::DoBeforeStart() {
    if (OnBeforeStart) OnBeforeStart(this);
}

void TQuarixDevice::DoBeforePause() {
    if (OnBeforePause) OnBeforePause(this);
}

void TQuarixDevice::DoBeforeStop(bool& can_continue) {
    if (OnBeforeStop) OnBeforeStop(this, can_continue);
}

void TQuarixDevice::DoAfterStop() {
    if (OnAfterStop) OnAfterStop(this);
}

void TQuarixDevice::DoMessageRejected(const std::string& str) {
    if (OnMessageRejected) OnMessageRejected(str);
}

void TQuarixDevice::DoConnectionLost() {
    if (OnConnectionLost) OnConnectionLost(this);
}

void TQuarixDevice::DoRepairingConnection() {
    if (OnRepairingConnection) OnRepairingConnection(this);
}

void TQuarixDevice::DoSerialNumber() {
    if (OnSerialNumber) OnSerialNumber(this);
}

void TQuarixDevice::DoProductVersion() {
    if (OnProductVersion) OnProductVersion(this);
}

void TQuarixDevice::DoInstantHeart(const std::string& text) {
    if (OnInstantHeart) OnInstantHeart(this, text);
}

void TQuarixDevice::DoInstantCadence(const std::string& text) {
    if (OnInstantCadence) OnInstantCadence(this, text);
}

void TQuarixDevice::DoInstantSpeed() {
    if (OnInstantSpeed) OnInstantSpeed(this);
}

void TQuarixDevice::DoCourseFinished() {
    if (OnCourseFinished) OnCourseFinished(this);
}

void TQuarixDevice::DoHeartConnectionLost() {
    if (OnHeartConnectionLost) OnHeartConnectionLost(this);
}

void TQuarixDevice::DoAlarmHeart(int32_t percent_delta, bool is_higher_limit, bool aborted_by_component,
                                 bool& do_stop) {
    if (OnAlarmHeart) OnAlarmHeart(this, percent_delta, is_higher_limit, aborted_by_component, do_stop);
}

}  // namespace device
