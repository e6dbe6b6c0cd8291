// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The line settings of a port: the enumerations with the values they give the
// driver, and the four settings objects a port owns. A change to an object that
// belongs to an open port reaches the driver at once.
#include <cstdint>

#include "platform/component.h"

namespace serial {

class TCustomComPort;

enum TBaudRate : uint8_t {
    brCustom = 0, br110, br300, br600, br1200, br2400, br4800, br9600, br14400, br19200,
    br38400, br56000, br57600, br115200, br128000, br256000
};
enum TStopBits : uint8_t { sbOneStopBit = 0, sbOne5StopBits = 1, sbTwoStopBits = 2 };
enum TDataBits : uint8_t { dbFive = 0, dbSix = 1, dbSeven = 2, dbEight = 3 };
enum TParityBits : uint8_t { prNone = 0, prOdd = 1, prEven = 2, prMark = 3, prSpace = 4 };
enum TDTRFlowControl : uint8_t { dtrDisable = 0, dtrEnable = 1, dtrHandshake = 2 };
enum TRTSFlowControl : uint8_t { rtsDisable = 0, rtsEnable = 1, rtsHandshake = 2, rtsToggle = 3 };
enum TFlowControl : uint8_t { fcHardware = 0, fcSoftware = 1, fcNone = 2, fcCustom = 3 };

// Bits per second of a rate element (0 for brCustom).
uint32_t BaudRateValue(TBaudRate rate);
// Data bits per character of an element (5..8).
uint8_t DataBitsValue(TDataBits bits);

// Common base: the port an object belongs to (none for a free-standing one) and
// whole-object copying.
class TComSettings : public platform::TObject {
public:
    TCustomComPort* ComPort() const { return port_; }
    // Copies every setting of source (an object of the same class) and applies
    // it; another class raises the framework's conversion error.
    virtual void Assign(const platform::TObject& source) = 0;

protected:
    friend class TCustomComPort;
    void SetComPort(TCustomComPort* port) { port_ = port; }
    [[noreturn]] void AssignError(const platform::TObject& source) const;
    virtual const char* ClassName() const = 0;

    TCustomComPort* port_ = nullptr;
};

class TComParity : public TComSettings {
public:
    TParityBits Bits() const { return bits_; }
    void SetBits(TParityBits value);
    bool Check() const { return check_; }
    void SetCheck(bool value);
    bool Replace() const { return replace_; }
    void SetReplace(bool value);
    uint8_t ReplaceChar() const { return replace_char_; }
    void SetReplaceChar(uint8_t value);

    void Assign(const platform::TObject& source) override;

protected:
    const char* ClassName() const override { return "TComParity"; }

private:
    void Changed();
    TParityBits bits_ = prNone;
    bool check_ = false;
    bool replace_ = false;
    uint8_t replace_char_ = 0;
};

class TComFlowControl : public TComSettings {
public:
    // The summary of the fields below (first match of hardware, software, none).
    TFlowControl FlowControl() const;
    // Sets the summary's fields (fcCustom changes none) and always re-applies.
    void SetFlowControl(TFlowControl value);

    bool OutCTSFlow() const { return out_cts_flow_; }
    void SetOutCTSFlow(bool value);
    bool OutDSRFlow() const { return out_dsr_flow_; }
    void SetOutDSRFlow(bool value);
    TDTRFlowControl ControlDTR() const { return control_dtr_; }
    void SetControlDTR(TDTRFlowControl value);
    TRTSFlowControl ControlRTS() const { return control_rts_; }
    void SetControlRTS(TRTSFlowControl value);
    bool XonXoffOut() const { return xon_xoff_out_; }
    void SetXonXoffOut(bool value);
    bool XonXoffIn() const { return xon_xoff_in_; }
    void SetXonXoffIn(bool value);
    bool DSRSensitivity() const { return dsr_sensitivity_; }
    void SetDSRSensitivity(bool value);
    bool TxContinueOnXoff() const { return tx_continue_on_xoff_; }
    void SetTxContinueOnXoff(bool value);
    uint8_t XonChar() const { return xon_char_; }
    void SetXonChar(uint8_t value);
    uint8_t XoffChar() const { return xoff_char_; }
    void SetXoffChar(uint8_t value);

    void Assign(const platform::TObject& source) override;

protected:
    const char* ClassName() const override { return "TComFlowControl"; }

private:
    void Changed();
    bool out_cts_flow_ = false;
    bool out_dsr_flow_ = false;
    TDTRFlowControl control_dtr_ = dtrDisable;
    TRTSFlowControl control_rts_ = rtsDisable;
    bool xon_xoff_out_ = false;
    bool xon_xoff_in_ = false;
    bool dsr_sensitivity_ = false;
    bool tx_continue_on_xoff_ = false;
    uint8_t xon_char_ = 17;
    uint8_t xoff_char_ = 19;
};

class TComTimeouts : public TComSettings {
public:
    int32_t ReadInterval() const { return read_interval_; }
    void SetReadInterval(int32_t value);
    int32_t ReadTotalMultiplier() const { return read_total_multiplier_; }
    void SetReadTotalMultiplier(int32_t value);
    int32_t ReadTotalConstant() const { return read_total_constant_; }
    void SetReadTotalConstant(int32_t value);
    int32_t WriteTotalMultiplier() const { return write_total_multiplier_; }
    void SetWriteTotalMultiplier(int32_t value);
    int32_t WriteTotalConstant() const { return write_total_constant_; }
    void SetWriteTotalConstant(int32_t value);

    void Assign(const platform::TObject& source) override;

protected:
    const char* ClassName() const override { return "TComTimeouts"; }

private:
    void Changed();
    int32_t read_interval_ = -1;
    int32_t read_total_multiplier_ = 0;
    int32_t read_total_constant_ = 0;
    int32_t write_total_multiplier_ = 100;
    int32_t write_total_constant_ = 1000;
};

class TComBuffer : public TComSettings {
public:
    // A positive odd size is stored one lower; the equality test looks at the
    // value as written.
    int32_t InputSize() const { return input_size_; }
    void SetInputSize(int32_t value);
    int32_t OutputSize() const { return output_size_; }
    void SetOutputSize(int32_t value);

    void Assign(const platform::TObject& source) override;

protected:
    const char* ClassName() const override { return "TComBuffer"; }

private:
    void Changed();
    int32_t input_size_ = 1024;
    int32_t output_size_ = 1024;
};

}  // namespace serial
