// SPDX-License-Identifier: GPL-3.0-or-later
#include "serial/com_port_settings.h"

#include "platform/exceptions.h"
#include "platform/format.h"
#include "serial/com_port.h"

namespace serial {

uint32_t BaudRateValue(TBaudRate rate) {
    static constexpr uint32_t kRates[] = {0,     110,   300,   600,    1200,   2400,   4800,   9600,
                                          14400, 19200, 38400, 56000, 57600, 115200, 128000, 256000};
    return rate <= br256000 ? kRates[rate] : 0;
}

uint8_t DataBitsValue(TDataBits bits) { return static_cast<uint8_t>(5 + (bits <= dbEight ? bits : dbEight)); }

void TComSettings::AssignError(const platform::TObject& source) const {
    const auto* settings = dynamic_cast<const TComSettings*>(&source);
    throw platform::EConvertError(
        platform::Format("Impossible d'affecter %s à %s", settings ? settings->ClassName() : "TObject", ClassName()));
}

namespace {
// Stores a differing value and reports whether anything changed.
template <typename T>
bool Store(T& field, T value) {
    if (field == value) return false;
    field = value;
    return true;
}
}  // namespace

// ---- TComParity ---------------------------------------------------------------

void TComParity::Changed() {
    if (port_) port_->ConfigureLine();
}
void TComParity::SetBits(TParityBits value) {
    if (Store(bits_, value)) Changed();
}
void TComParity::SetCheck(bool value) {
    if (Store(check_, value)) Changed();
}
void TComParity::SetReplace(bool value) {
    if (Store(replace_, value)) Changed();
}
void TComParity::SetReplaceChar(uint8_t value) {
    if (Store(replace_char_, value)) Changed();
}
void TComParity::Assign(const platform::TObject& source) {
    const auto* other = dynamic_cast<const TComParity*>(&source);
    if (!other) AssignError(source);
    bits_ = other->bits_;
    check_ = other->check_;
    replace_ = other->replace_;
    replace_char_ = other->replace_char_;
    Changed();
}

// ---- TComFlowControl ------------------------------------------------------------

void TComFlowControl::Changed() {
    if (port_) port_->ConfigureLine();
}

TFlowControl TComFlowControl::FlowControl() const {
    if (control_rts_ == rtsHandshake && out_cts_flow_ && !xon_xoff_in_ && !xon_xoff_out_) return fcHardware;
    if (control_rts_ == rtsDisable && !out_cts_flow_ && xon_xoff_in_ && xon_xoff_out_) return fcSoftware;
    if (control_rts_ == rtsDisable && !out_cts_flow_ && !xon_xoff_in_ && !xon_xoff_out_) return fcNone;
    return fcCustom;
}

void TComFlowControl::SetFlowControl(TFlowControl value) {
    if (value != fcCustom) {
        control_rts_ = rtsDisable;
        out_cts_flow_ = false;
        xon_xoff_in_ = false;
        xon_xoff_out_ = false;
        if (value == fcHardware) {
            control_rts_ = rtsHandshake;
            out_cts_flow_ = true;
        } else if (value == fcSoftware) {
            xon_xoff_in_ = true;
            xon_xoff_out_ = true;
        }
    }
    Changed();
}

void TComFlowControl::SetOutCTSFlow(bool value) {
    if (Store(out_cts_flow_, value)) Changed();
}
void TComFlowControl::SetOutDSRFlow(bool value) {
    if (Store(out_dsr_flow_, value)) Changed();
}
void TComFlowControl::SetControlDTR(TDTRFlowControl value) {
    if (Store(control_dtr_, value)) Changed();
}
void TComFlowControl::SetControlRTS(TRTSFlowControl value) {
    if (Store(control_rts_, value)) Changed();
}
void TComFlowControl::SetXonXoffOut(bool value) {
    if (Store(xon_xoff_out_, value)) Changed();
}
void TComFlowControl::SetXonXoffIn(bool value) {
    if (Store(xon_xoff_in_, value)) Changed();
}
void TComFlowControl::SetDSRSensitivity(bool value) {
    if (Store(dsr_sensitivity_, value)) Changed();
}
void TComFlowControl::SetTxContinueOnXoff(bool value) {
    if (Store(tx_continue_on_xoff_, value)) Changed();
}
void TComFlowControl::SetXonChar(uint8_t value) {
    if (Store(xon_char_, value)) Changed();
}
void TComFlowControl::SetXoffChar(uint8_t value) {
    if (Store(xoff_char_, value)) Changed();
}
void TComFlowControl::Assign(const platform::TObject& source) {
    const auto* other = dynamic_cast<const TComFlowControl*>(&source);
    if (!other) AssignError(source);
    out_cts_flow_ = other->out_cts_flow_;
    out_dsr_flow_ = other->out_dsr_flow_;
    control_dtr_ = other->control_dtr_;
    control_rts_ = other->control_rts_;
    xon_xoff_out_ = other->xon_xoff_out_;
    xon_xoff_in_ = other->xon_xoff_in_;
    dsr_sensitivity_ = other->dsr_sensitivity_;
    tx_continue_on_xoff_ = other->tx_continue_on_xoff_;
    xon_char_ = other->xon_char_;
    xoff_char_ = other->xoff_char_;
    Changed();
}

// ---- TComTimeouts ---------------------------------------------------------------

void TComTimeouts::Changed() {
    if (port_) port_->ConfigureTimeouts();
}
void TComTimeouts::SetReadInterval(int32_t value) {
    if (Store(read_interval_, value)) Changed();
}
void TComTimeouts::SetReadTotalMultiplier(int32_t value) {
    if (Store(read_total_multiplier_, value)) Changed();
}
void TComTimeouts::SetReadTotalConstant(int32_t value) {
    if (Store(read_total_constant_, value)) Changed();
}
void TComTimeouts::SetWriteTotalMultiplier(int32_t value) {
    if (Store(write_total_multiplier_, value)) Changed();
}
void TComTimeouts::SetWriteTotalConstant(int32_t value) {
    if (Store(write_total_constant_, value)) Changed();
}
void TComTimeouts::Assign(const platform::TObject& source) {
    const auto* other = dynamic_cast<const TComTimeouts*>(&source);
    if (!other) AssignError(source);
    read_interval_ = other->read_interval_;
    read_total_multiplier_ = other->read_total_multiplier_;
    read_total_constant_ = other->read_total_constant_;
    write_total_multiplier_ = other->write_total_multiplier_;
    write_total_constant_ = other->write_total_constant_;
    Changed();
}

// ---- TComBuffer -------------------------------------------------------------------

namespace {
// The driver takes even queue sizes only.
int32_t EvenSize(int32_t value) { return (value > 0 && (value & 1) != 0) ? value - 1 : value; }
}  // namespace

void TComBuffer::Changed() {
    if (port_) port_->ConfigureBuffers();
}
void TComBuffer::SetInputSize(int32_t value) {
    if (value == input_size_) return;
    input_size_ = EvenSize(value);
    Changed();
}
void TComBuffer::SetOutputSize(int32_t value) {
    if (value == output_size_) return;
    output_size_ = EvenSize(value);
    Changed();
}
void TComBuffer::Assign(const platform::TObject& source) {
    const auto* other = dynamic_cast<const TComBuffer*>(&source);
    if (!other) AssignError(source);
    input_size_ = other->input_size_;
    output_size_ = other->output_size_;
    Changed();
}

}  // namespace serial
