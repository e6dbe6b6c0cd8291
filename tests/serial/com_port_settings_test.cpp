// SPDX-License-Identifier: GPL-3.0-or-later
// The settings model: the records computed from the settings, the write rules
// and when a write reaches the driver.
#include <gtest/gtest.h>

#include "platform/exceptions.h"
#include "platform/serial_termios.h"
#include "serial/com_port.h"
#include "tests/serial/pty_pair.h"

namespace serial {
namespace {

// Counts the driver calls a port makes (each Configure step is one call while
// the port is open).
class CountingPort : public TComPort {
public:
    using TComPort::TComPort;
    int line = 0, timeouts = 0, buffers = 0;
    void ConfigureLine() override {
        if (Connected()) ++line;
        TComPort::ConfigureLine();
    }
    void ConfigureTimeouts() override {
        if (Connected()) ++timeouts;
        TComPort::ConfigureTimeouts();
    }
    void ConfigureBuffers() override {
        if (Connected()) ++buffers;
        TComPort::ConfigureBuffers();
    }
    void ResetCounts() { line = timeouts = buffers = 0; }
};

TEST(ComPortSettingsTest, DefaultsOfThePortAndItsObjects) {
    TComPort port;
    EXPECT_FALSE(port.Connected());
    EXPECT_EQ(port.BaudRate(), br9600);
    EXPECT_EQ(port.CustomBaudRate(), 9600);
    EXPECT_EQ(port.Port(), "COM1");
    EXPECT_EQ(port.StopBits(), sbOneStopBit);
    EXPECT_EQ(port.DataBits(), dbEight);
    EXPECT_FALSE(port.DiscardNull());
    EXPECT_EQ(port.EventChar(), 0);
    EXPECT_EQ(port.Events(), kAllComEvents);
    EXPECT_EQ(port.Events().ToBits(), 0x03FF);
    EXPECT_EQ(port.SyncMethod(), smThreadSync);
    EXPECT_EQ(port.Parity().Bits(), prNone);
    EXPECT_FALSE(port.Parity().Check());
    EXPECT_EQ(port.FlowControl().FlowControl(), fcNone);
    EXPECT_EQ(port.FlowControl().XonChar(), 17);
    EXPECT_EQ(port.FlowControl().XoffChar(), 19);
    EXPECT_EQ(port.Timeouts().ReadInterval(), -1);
    EXPECT_EQ(port.Timeouts().WriteTotalMultiplier(), 100);
    EXPECT_EQ(port.Timeouts().WriteTotalConstant(), 1000);
    EXPECT_EQ(port.Buffer().InputSize(), 1024);
    EXPECT_EQ(port.Buffer().OutputSize(), 1024);
    EXPECT_EQ(port.Parity().ComPort(), &port);
    EXPECT_EQ(TComParity().ComPort(), nullptr);
}

TEST(ComPortSettingsTest, TheTrainerLineGivesTheExpectedRecords) {
    TComPort port;
    port.Parity().SetBits(prEven);
    port.FlowControl().SetFlowControl(fcNone);
    const platform::DCB dcb = port.BuildDCB();
    EXPECT_EQ(dcb.DCBlength, 28u);
    EXPECT_EQ(dcb.BaudRate, 9600u);
    EXPECT_EQ(dcb.Flags, 0x0001u);
    EXPECT_EQ(dcb.XonLim, 256);
    EXPECT_EQ(dcb.XoffLim, 256);
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.Parity, 2);
    EXPECT_EQ(dcb.StopBits, 0);
    EXPECT_EQ(dcb.XonChar, 17);
    EXPECT_EQ(dcb.XoffChar, 19);
    EXPECT_EQ(dcb.ErrorChar, 0);
    EXPECT_EQ(dcb.EvtChar, 0);
    const platform::CommTimeouts t = port.BuildCommTimeouts();
    EXPECT_EQ(t.ReadIntervalTimeout, 0xFFFFFFFFu);
    EXPECT_EQ(t.ReadTotalTimeoutMultiplier, 0u);
    EXPECT_EQ(t.ReadTotalTimeoutConstant, 0u);
    EXPECT_EQ(t.WriteTotalTimeoutMultiplier, 100u);
    EXPECT_EQ(t.WriteTotalTimeoutConstant, 1000u);
}

TEST(ComPortSettingsTest, FlagWordFollowsEachSetting) {
    struct Case {
        const char* name;
        std::function<void(TComPort&)> set;
        uint32_t flags;
    };
    const Case cases[] = {
        {"check", [](TComPort& p) { p.Parity().SetCheck(true); }, 0x0003},
        {"check+replace", [](TComPort& p) { p.Parity().SetCheck(true); p.Parity().SetReplace(true); }, 0x0403},
        {"replace alone", [](TComPort& p) { p.Parity().SetReplace(true); }, 0x0001},
        {"cts", [](TComPort& p) { p.FlowControl().SetOutCTSFlow(true); }, 0x0005},
        {"dsr", [](TComPort& p) { p.FlowControl().SetOutDSRFlow(true); }, 0x0009},
        {"dtr enable", [](TComPort& p) { p.FlowControl().SetControlDTR(dtrEnable); }, 0x0011},
        {"dtr handshake", [](TComPort& p) { p.FlowControl().SetControlDTR(dtrHandshake); }, 0x0021},
        {"dsr sensitivity", [](TComPort& p) { p.FlowControl().SetDSRSensitivity(true); }, 0x0041},
        {"tx continue", [](TComPort& p) { p.FlowControl().SetTxContinueOnXoff(true); }, 0x0081},
        {"xon out", [](TComPort& p) { p.FlowControl().SetXonXoffOut(true); }, 0x0101},
        {"xon in", [](TComPort& p) { p.FlowControl().SetXonXoffIn(true); }, 0x0201},
        {"null", [](TComPort& p) { p.SetDiscardNull(true); }, 0x0801},
        {"rts enable", [](TComPort& p) { p.FlowControl().SetControlRTS(rtsEnable); }, 0x1001},
        {"rts handshake", [](TComPort& p) { p.FlowControl().SetControlRTS(rtsHandshake); }, 0x2001},
        {"rts toggle", [](TComPort& p) { p.FlowControl().SetControlRTS(rtsToggle); }, 0x3001},
        {"hardware", [](TComPort& p) { p.FlowControl().SetFlowControl(fcHardware); }, 0x2005},
        {"software", [](TComPort& p) { p.FlowControl().SetFlowControl(fcSoftware); }, 0x0301},
    };
    for (const Case& c : cases) {
        TComPort port;
        c.set(port);
        EXPECT_EQ(port.BuildDCB().Flags, c.flags) << c.name;
    }
}

TEST(ComPortSettingsTest, RecordFieldsFromTheOtherSettings) {
    TComPort port;
    port.SetBaudRate(brCustom);
    port.SetCustomBaudRate(31250);  // no element names this rate
    port.SetDataBits(dbSeven);
    port.SetStopBits(sbTwoStopBits);
    port.Parity().SetBits(prSpace);
    port.Parity().SetCheck(true);
    port.Parity().SetReplace(true);
    port.Parity().SetReplaceChar('?');
    port.SetEventChar(0x7E);
    port.FlowControl().SetXonChar(0x11);
    port.FlowControl().SetXoffChar(0x13);
    const platform::DCB dcb = port.BuildDCB();
    EXPECT_EQ(dcb.BaudRate, 31250u);
    EXPECT_EQ(dcb.ByteSize, 7);
    EXPECT_EQ(dcb.StopBits, 2);
    EXPECT_EQ(dcb.Parity, 4);
    EXPECT_EQ(dcb.ErrorChar, '?');
    EXPECT_EQ(dcb.EvtChar, 0x7E);

    const std::pair<TBaudRate, uint32_t> rates[] = {{br110, 110},       {br14400, 14400},   {br56000, 56000},
                                                     {br115200, 115200}, {br128000, 128000}, {br256000, 256000}};
    for (auto [rate, bps] : rates) {
        port.SetBaudRate(rate);
        EXPECT_EQ(port.BuildDCB().BaudRate, bps);
    }
}

TEST(ComPortSettingsTest, BufferSizesRoundOddValuesDown) {
    TComPort port;
    const std::pair<int32_t, int32_t> cases[] = {{4097, 4096}, {1025, 1024}, {4096, 4096}, {1, 0},
                                                  {0, 0},       {-3, -3},     {-4, -4}};
    for (auto [written, stored] : cases) {
        port.Buffer().SetInputSize(written);
        port.Buffer().SetOutputSize(written);
        EXPECT_EQ(port.Buffer().InputSize(), stored) << written;
        EXPECT_EQ(port.Buffer().OutputSize(), stored) << written;
    }
    port.Buffer().SetInputSize(4097);
    EXPECT_EQ(port.BuildDCB().XonLim, 1024);
    EXPECT_EQ(port.BuildDCB().XoffLim, 1024);
}

TEST(ComPortSettingsTest, FlowControlSummaryReadsAndWrites) {
    TComFlowControl flow;
    flow.SetFlowControl(fcHardware);
    EXPECT_EQ(flow.FlowControl(), fcHardware);
    EXPECT_EQ(flow.ControlRTS(), rtsHandshake);
    EXPECT_TRUE(flow.OutCTSFlow());
    flow.SetOutDSRFlow(true);
    flow.SetControlDTR(dtrHandshake);
    EXPECT_EQ(flow.FlowControl(), fcHardware);  // DSR and DTR play no part
    flow.SetXonXoffIn(true);
    EXPECT_EQ(flow.FlowControl(), fcCustom);
    flow.SetFlowControl(fcCustom);  // changes nothing
    EXPECT_TRUE(flow.XonXoffIn());
    EXPECT_EQ(flow.ControlRTS(), rtsHandshake);
    flow.SetFlowControl(fcSoftware);
    EXPECT_EQ(flow.FlowControl(), fcSoftware);
    EXPECT_EQ(flow.ControlRTS(), rtsDisable);
    EXPECT_FALSE(flow.OutCTSFlow());
    EXPECT_TRUE(flow.OutDSRFlow());  // not part of the summary, left alone
    flow.SetFlowControl(fcNone);
    EXPECT_EQ(flow.FlowControl(), fcNone);
    EXPECT_FALSE(flow.XonXoffIn());
    EXPECT_FALSE(flow.XonXoffOut());
    flow.SetControlRTS(rtsEnable);
    EXPECT_EQ(flow.FlowControl(), fcCustom);
}

TEST(ComPortSettingsTest, WholeObjectWritesCopyIntoThePortsOwnObject) {
    TComPort port;
    TComParity parity;
    parity.SetBits(prOdd);
    parity.SetCheck(true);
    TComTimeouts timeouts;
    timeouts.SetReadTotalConstant(250);
    TComBuffer buffer;
    buffer.SetInputSize(2048);
    TComFlowControl flow;
    flow.SetFlowControl(fcSoftware);
    TComParity* own = &port.Parity();
    port.SetParity(parity);
    port.SetTimeouts(timeouts);
    port.SetBuffer(buffer);
    port.SetFlowControl(flow);
    EXPECT_EQ(&port.Parity(), own);
    EXPECT_EQ(port.Parity().ComPort(), &port);
    EXPECT_EQ(port.Parity().Bits(), prOdd);
    EXPECT_TRUE(port.Parity().Check());
    EXPECT_EQ(port.Timeouts().ReadTotalConstant(), 250);
    EXPECT_EQ(port.Buffer().InputSize(), 2048);
    EXPECT_EQ(port.FlowControl().FlowControl(), fcSoftware);

    try {
        port.Parity().Assign(timeouts);
        FAIL() << "copying another class must be refused";
    } catch (const platform::EConvertError& e) {
        EXPECT_EQ(e.Message(), "Impossible d'affecter TComTimeouts à TComParity");
    }
    EXPECT_EQ(port.Parity().Bits(), prOdd);
}

TEST(ComPortSettingsTest, ChangesReachAnOpenDeviceOnlyWhenTheyChangeSomething) {
    serial_test::PtyPair pty;
    CountingPort port;
    port.SetPort(pty.SlaveName());
    port.SetEvents({});
    port.SetBaudRate(br19200);  // closed: stored only
    EXPECT_EQ(port.line, 0);
    port.Open();
    EXPECT_EQ(port.line, 1);
    EXPECT_EQ(port.timeouts, 1);
    EXPECT_EQ(port.buffers, 1);
    const termios opened = pty.LineSettings();
    EXPECT_EQ(cfgetospeed(&opened), B19200);
    port.ResetCounts();

    struct Write {
        const char* name;
        std::function<void()> write;
        int line, timeouts, buffers;
    };
    const Write writes[] = {
        {"same baud rate", [&] { port.SetBaudRate(br19200); }, 0, 0, 0},
        {"new baud rate", [&] { port.SetBaudRate(br38400); }, 1, 0, 0},
        {"same parity", [&] { port.Parity().SetBits(prNone); }, 0, 0, 0},
        {"new parity", [&] { port.Parity().SetBits(prOdd); }, 1, 0, 0},
        {"new data bits", [&] { port.SetDataBits(dbSeven); }, 1, 0, 0},
        {"same stop bits", [&] { port.SetStopBits(sbOneStopBit); }, 0, 0, 0},
        {"flow summary, unchanged value", [&] { port.FlowControl().SetFlowControl(fcNone); }, 1, 0, 0},
        {"flow summary, custom", [&] { port.FlowControl().SetFlowControl(fcCustom); }, 1, 0, 0},
        {"new timeout", [&] { port.Timeouts().SetReadTotalConstant(5); }, 0, 1, 0},
        {"same timeout", [&] { port.Timeouts().SetReadTotalConstant(5); }, 0, 0, 0},
        {"odd size rounds to the stored one", [&] { port.Buffer().SetInputSize(1025); }, 0, 0, 1},
        {"same size", [&] { port.Buffer().SetInputSize(1024); }, 0, 0, 0},
        {"whole timeouts object", [&] { port.SetTimeouts(TComTimeouts()); }, 0, 1, 0},
    };
    for (const Write& w : writes) {
        port.ResetCounts();
        w.write();
        EXPECT_EQ(port.line, w.line) << w.name;
        EXPECT_EQ(port.timeouts, w.timeouts) << w.name;
        EXPECT_EQ(port.buffers, w.buffers) << w.name;
    }
    const termios t = pty.LineSettings();
    EXPECT_EQ(cfgetospeed(&t), B38400);
}

TEST(ComPortSettingsTest, TheTrainerLineIsAppliedToTheDevice) {
    serial_test::PtyPair pty;
    TComPort port;
    port.SetPort(pty.SlaveName());
    port.Parity().SetBits(prEven);
    port.Open();
    // What the device reports back. A pseudo-terminal keeps 8 data bits and no
    // parity whatever it is given, so size and parity are checked on the
    // settings the port hands the driver (below).
    const termios t = pty.LineSettings();
    EXPECT_EQ(cfgetispeed(&t), B9600);
    EXPECT_EQ(cfgetospeed(&t), B9600);
    EXPECT_EQ(t.c_cflag & CSTOPB, 0u);
    EXPECT_EQ(t.c_cflag & CRTSCTS, 0u);
    EXPECT_NE(t.c_cflag & CLOCAL, 0u);
    EXPECT_NE(t.c_cflag & CREAD, 0u);
    // Raw: parity generated but not checked, no software flow, no echo, no
    // line editing, no signals, no output processing, no CR/LF translation.
    EXPECT_EQ(t.c_iflag & (INPCK | IXON | IXOFF | ICRNL | INLCR | IGNCR | ISTRIP | BRKINT | PARMRK), 0u);
    EXPECT_EQ(t.c_lflag & (ECHO | ICANON | ISIG | IEXTEN), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);

    termios requested = t;
    EXPECT_TRUE(platform::ApplyLineSettings(port.BuildDCB(), requested));
    EXPECT_EQ(requested.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(requested.c_cflag & (PARENB | PARODD | CMSPAR), static_cast<tcflag_t>(PARENB));
    EXPECT_EQ(requested.c_iflag & INPCK, 0u);
}

TEST(ComPortSettingsTest, OtherLineSettingsMapToTheirTerminalFlags) {
    struct Case {
        const char* name;
        std::function<void(TComPort&)> set;
        tcflag_t cflag_mask, cflag;
        tcflag_t iflag_mask, iflag;
    };
    const Case cases[] = {
        {"odd", [](TComPort& p) { p.Parity().SetBits(prOdd); }, PARENB | PARODD | CMSPAR, PARENB | PARODD, 0, 0},
        {"mark", [](TComPort& p) { p.Parity().SetBits(prMark); }, PARENB | PARODD | CMSPAR, PARENB | PARODD | CMSPAR, 0, 0},
        {"space", [](TComPort& p) { p.Parity().SetBits(prSpace); }, PARENB | PARODD | CMSPAR, PARENB | CMSPAR, 0, 0},
        {"none", [](TComPort& p) { p.Parity().SetBits(prNone); }, PARENB, 0, 0, 0},
        {"check", [](TComPort& p) { p.Parity().SetCheck(true); }, 0, 0, INPCK | IGNPAR, INPCK},
        {"one and a half", [](TComPort& p) { p.SetStopBits(sbOne5StopBits); }, CSTOPB, CSTOPB, 0, 0},
        {"two stop", [](TComPort& p) { p.SetStopBits(sbTwoStopBits); }, CSTOPB, CSTOPB, 0, 0},
        {"five bits", [](TComPort& p) { p.SetDataBits(dbFive); }, CSIZE, CS5, 0, 0},
        {"six bits", [](TComPort& p) { p.SetDataBits(dbSix); }, CSIZE, CS6, 0, 0},
        {"seven bits", [](TComPort& p) { p.SetDataBits(dbSeven); }, CSIZE, CS7, 0, 0},
        {"hardware", [](TComPort& p) { p.FlowControl().SetFlowControl(fcHardware); }, CRTSCTS, CRTSCTS, IXON | IXOFF, 0},
        {"cts only", [](TComPort& p) { p.FlowControl().SetOutCTSFlow(true); }, CRTSCTS, CRTSCTS, 0, 0},
        {"software", [](TComPort& p) { p.FlowControl().SetFlowControl(fcSoftware); }, CRTSCTS, 0, IXON | IXOFF, IXON | IXOFF},
        {"xon out only", [](TComPort& p) { p.FlowControl().SetXonXoffOut(true); }, 0, 0, IXON | IXOFF, IXON},
    };
    for (const Case& c : cases) {
        TComPort port;
        c.set(port);
        termios t{};
        platform::ApplyLineSettings(port.BuildDCB(), t);
        EXPECT_EQ(t.c_cflag & c.cflag_mask, c.cflag) << c.name;
        EXPECT_EQ(t.c_iflag & c.iflag_mask, c.iflag) << c.name;
    }

    // The flags a pseudo-terminal keeps do reach the device.
    serial_test::PtyPair pty;
    TComPort port;
    port.SetPort(pty.SlaveName());
    port.SetEvents({});
    port.Open();
    port.SetStopBits(sbTwoStopBits);
    port.FlowControl().SetFlowControl(fcSoftware);
    port.FlowControl().SetXonChar(0x01);
    port.Parity().SetCheck(true);
    termios t = pty.LineSettings();
    EXPECT_NE(t.c_cflag & CSTOPB, 0u);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF | INPCK), static_cast<tcflag_t>(IXON | IXOFF | INPCK));
    EXPECT_EQ(t.c_cc[VSTART], 0x01);
    port.FlowControl().SetFlowControl(fcHardware);
    t = pty.LineSettings();
    EXPECT_NE(t.c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), 0u);
}

TEST(ComPortSettingsTest, RatesWithoutASpeedConstantAreAppliedExactly) {
    serial_test::PtyPair pty;
    TComPort port;
    port.SetPort(pty.SlaveName());
    port.SetEvents({});
    port.SetBaudRate(br14400);
    EXPECT_NO_THROW(port.Open());
    EXPECT_TRUE(port.Connected());
    port.SetBaudRate(brCustom);
    port.SetCustomBaudRate(31250);
    EXPECT_TRUE(port.Connected());
}

TEST(ComPortSettingsTest, ARefusedLineSettingRaisesSevenAndStaysStored) {
    serial_test::PtyPair pty;
    TComPort port;
    port.SetPort(pty.SlaveName());
    port.SetEvents({});
    port.Open();
    port.SetBaudRate(brCustom);
    try {
        port.SetCustomBaudRate(0);  // a zero rate would hang the line up
        FAIL() << "expected code 7";
    } catch (const EComPort& e) {
        EXPECT_EQ(e.ErrorCode(), 7);
        EXPECT_EQ(e.OSErrorCode(), EINVAL);
        EXPECT_EQ(e.Message(), "SetCommState function failed (win error code: " + std::to_string(EINVAL) + ")");
    }
    EXPECT_EQ(port.CustomBaudRate(), 0);
    EXPECT_TRUE(port.Connected());
}

TEST(ComPortSettingsTest, OpenFailingInConfigurationLeavesThePortClosed) {
    serial_test::PtyPair pty;
    TComPort port;
    port.SetPort(pty.SlaveName());
    port.SetBaudRate(brCustom);
    port.SetCustomBaudRate(0);
    int after_open = 0;
    port.OnAfterOpen = [&](TObject*) { ++after_open; };
    try {
        port.Open();
        FAIL() << "expected code 7";
    } catch (const EComPort& e) {
        EXPECT_EQ(e.ErrorCode(), 7);
    }
    EXPECT_FALSE(port.Connected());
    EXPECT_EQ(after_open, 0);
    // The device was closed again: it can be opened once the setting is sound.
    port.SetCustomBaudRate(9600);
    EXPECT_NO_THROW(port.Open());
    EXPECT_TRUE(port.Connected());
}

TEST(ComPortSettingsTest, NegativeQueueSizesAreRefusedWithNine) {
    serial_test::PtyPair pty;
    TComPort port;
    port.SetPort(pty.SlaveName());
    port.SetEvents({});
    port.Open();
    try {
        port.Buffer().SetInputSize(-2);
        FAIL() << "expected code 9";
    } catch (const EComPort& e) {
        EXPECT_EQ(e.ErrorCode(), 9);
    }
    EXPECT_EQ(port.Buffer().InputSize(), -2);
}

}  // namespace
}  // namespace serial
