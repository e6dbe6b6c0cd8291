// SPDX-License-Identifier: GPL-3.0-or-later
// Translation of the port's settings into the three driver records, and their
// application to an open device.
#include "serial/com_port.h"

namespace serial {

bool TCustomComPort::ApplyLineSettings() const { return connected_ && device_ && !IsLoading(); }

platform::DCB TCustomComPort::BuildDCB() const {
    platform::DCB dcb;
    dcb.DCBlength = 28;
    dcb.BaudRate = baud_rate_ == brCustom ? static_cast<uint32_t>(custom_baud_rate_) : BaudRateValue(baud_rate_);
    dcb.ByteSize = DataBitsValue(data_bits_);
    dcb.Parity = parity_->Bits();
    dcb.StopBits = stop_bits_;
    dcb.XonLim = dcb.XoffLim = static_cast<uint16_t>(buffer_->InputSize() / 4);
    dcb.XonChar = flow_control_->XonChar();
    dcb.XoffChar = flow_control_->XoffChar();
    dcb.EvtChar = event_char_;
    const bool replace = parity_->Check() && parity_->Replace();
    dcb.ErrorChar = replace ? parity_->ReplaceChar() : 0;

    uint32_t flags = platform::kDcbBinary;
    if (parity_->Check()) flags |= platform::kDcbParity;
    if (flow_control_->OutCTSFlow()) flags |= platform::kDcbOutxCtsFlow;
    if (flow_control_->OutDSRFlow()) flags |= platform::kDcbOutxDsrFlow;
    flags |= static_cast<uint32_t>(flow_control_->ControlDTR()) << platform::kDcbDtrControlShift;
    if (flow_control_->DSRSensitivity()) flags |= platform::kDcbDsrSensitivity;
    if (flow_control_->TxContinueOnXoff()) flags |= platform::kDcbTxContinueOnXoff;
    if (flow_control_->XonXoffOut()) flags |= platform::kDcbOutX;
    if (flow_control_->XonXoffIn()) flags |= platform::kDcbInX;
    if (replace) flags |= platform::kDcbErrorChar;
    if (discard_null_) flags |= platform::kDcbNull;
    flags |= static_cast<uint32_t>(flow_control_->ControlRTS()) << platform::kDcbRtsControlShift;
    dcb.Flags = flags;
    return dcb;
}

platform::CommTimeouts TCustomComPort::BuildCommTimeouts() const {
    platform::CommTimeouts t;
    t.ReadIntervalTimeout = static_cast<uint32_t>(timeouts_->ReadInterval());
    t.ReadTotalTimeoutMultiplier = static_cast<uint32_t>(timeouts_->ReadTotalMultiplier());
    t.ReadTotalTimeoutConstant = static_cast<uint32_t>(timeouts_->ReadTotalConstant());
    t.WriteTotalTimeoutMultiplier = static_cast<uint32_t>(timeouts_->WriteTotalMultiplier());
    t.WriteTotalTimeoutConstant = static_cast<uint32_t>(timeouts_->WriteTotalConstant());
    return t;
}

void TCustomComPort::ConfigureLine() {
    if (!ApplyLineSettings()) return;
    try {
        device_->SetCommState(BuildDCB());
    } catch (const platform::SerialDeviceError& e) {
        throw EComPort(CError_SetStateFailed, e.ErrorNumber());
    }
}

void TCustomComPort::ConfigureTimeouts() {
    if (!ApplyLineSettings()) return;
    try {
        device_->SetCommTimeouts(BuildCommTimeouts());
    } catch (const platform::SerialDeviceError& e) {
        throw EComPort(CError_TimeoutsFailed, e.ErrorNumber());
    }
}

void TCustomComPort::ConfigureBuffers() {
    if (!ApplyLineSettings()) return;
    try {
        device_->SetupComm(buffer_->InputSize(), buffer_->OutputSize());
    } catch (const platform::SerialDeviceError& e) {
        throw EComPort(CError_SetupComFailed, e.ErrorNumber());
    }
}

}  // namespace serial
