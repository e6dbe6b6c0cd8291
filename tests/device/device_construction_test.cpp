// SPDX-License-Identifier: GPL-3.0-or-later
// A freshly built trainer device, its properties and its teardown.
#include <gtest/gtest.h>

#include <cmath>

#include "device/quarix_device.h"
#include "device_test_support.h"

using device::TQuarixDevice;
using device_test::Bytes;
using device_test::EventLog;

TEST(DeviceConstruction, PropertiesReadTheirValuesAfterConstruction) {
    TQuarixDevice d;
    EXPECT_EQ(d.Version(), 4);
    EXPECT_FALSE(d.Connected());
    EXPECT_EQ(d.Status(), device::qsDisconnected);
    EXPECT_TRUE(d.Enabled());
    EXPECT_FALSE(d.SimulationMode());
    EXPECT_TRUE(d.UsePackets());
    EXPECT_FALSE(d.DebugMode());
    EXPECT_EQ(d.RollValue(), 5);
    EXPECT_TRUE(d.ConnectionSurvey());
    EXPECT_EQ(d.ConnectionSurveyInterval(), 400);
    EXPECT_TRUE(d.DisconUseCloseOpenPort());
    EXPECT_EQ(d.DisconDelayBetweenCloseOpenPort(), 300);
    EXPECT_EQ(d.DisconMaxTry(), 30);
    EXPECT_FALSE(d.HeartEnabled());
    EXPECT_FALSE(d.HeartConnectionSurvey());
    EXPECT_EQ(d.KeyRepeatInterval(), 500u);
    EXPECT_TRUE(d.MaintainsConsoleActive());
    EXPECT_EQ(d.ComponentVersion(), 3.33);
    EXPECT_EQ(d.RotationHex1(), 0);
    EXPECT_EQ(d.Orientation(), 0);

    EXPECT_EQ(d.StatsInterval(), 1000);
    EXPECT_EQ(d.TimerStatsInterval(), 1000u);
    EXPECT_EQ(d.TimerStatsThreadPriority(), timers::tpNormal);
    EXPECT_EQ(d.PrecisionSpeed(), 8);
    EXPECT_EQ(d.PrecisionDistance(), 8);
    EXPECT_EQ(d.UnitMeasure(), device::umKm);
    EXPECT_EQ(d.NumberOfRoundPerRollEvent(), 1);
    EXPECT_EQ(d.RollDiameter(), 39.5L);
    EXPECT_EQ(d.SpeedArrayLength(), 25);
    EXPECT_EQ(d.SpeedArray.size(), 25u);
    EXPECT_EQ(d.VirtualSpeedAttenuation(), 0.5);
    EXPECT_EQ(d.Tolerance(), 2);
    EXPECT_EQ(d.Calibration(), 1);

    EXPECT_EQ(d.HeartArray.size(), 25u);
    EXPECT_EQ(d.CadenceArray.size(), 10u);
    EXPECT_EQ(d.HrDelayBeforeReset(), 3000);
    EXPECT_EQ(d.HeartSurveyTimer()->Interval(), 3000u);
    EXPECT_EQ(d.HrDeltaVariationLimit(), 200);
    EXPECT_EQ(d.HeartCalcDelay(), 3000);
    EXPECT_EQ(d.CadenceCalcDelay(), 5000);
    EXPECT_FALSE(d.HeartConnectionActive());
    EXPECT_EQ(d.AlarmHeartHighLimit(), 160);
    EXPECT_EQ(d.AlarmHeartLowLimit(), 50);
    EXPECT_EQ(d.AlarmHeartAbsoluteLimit(), 220);

    EXPECT_EQ(d.QuarixResistance(), 0);
    EXPECT_EQ(d.InitialResistance(), 0);
    EXPECT_TRUE(d.SecurityActive());
    EXPECT_EQ(d.ResistanceReducer(), 1);
    EXPECT_EQ(d.ResistanceCoefficient, 1);
    EXPECT_EQ(d.HighPowerReduceStartSpeed(), 7);
    EXPECT_EQ(d.HighPowerReduceCoefficientMinimum(), 0.25);

    EXPECT_TRUE(d.ConsoleKeysEnabled);
    EXPECT_EQ(d.KeyMessage(), 12345);
    EXPECT_EQ(d.RollBlockLength, 10);
    EXPECT_EQ(d.SerialNumber, 0);
    EXPECT_EQ(d.ProductVersion, 0);
}

TEST(DeviceConstruction, OwnsAPortAndAFramerSetForTheTrainerLine) {
    TQuarixDevice d;
    ASSERT_NE(d.Port(), nullptr);
    ASSERT_NE(d.Framer(), nullptr);
    EXPECT_EQ(d.Framer()->ComPort(), d.Port());
    EXPECT_FALSE(d.ComPortConnected());
    EXPECT_EQ(d.ComPortBaudRate(), serial::br9600);
    EXPECT_EQ(d.ComPortParity()->Bits(), serial::prEven);
    EXPECT_EQ(d.ComPortStopBits(), serial::sbOneStopBit);
    EXPECT_EQ(d.ComPortDataBits(), serial::dbEight);
    EXPECT_EQ(d.ComPortFlowControl()->ControlDTR(), serial::dtrDisable);
    EXPECT_EQ(d.ComPortFlowControl()->ControlRTS(), serial::rtsDisable);
    EXPECT_FALSE(d.ComPortFlowControl()->OutCTSFlow());
    EXPECT_FALSE(d.ComPortFlowControl()->XonXoffIn());
    EXPECT_EQ(d.ComPortSyncMethod(), serial::smThreadSync);
    EXPECT_EQ(d.ComPortEvents(),
              (serial::TComEvents{serial::evRxChar, serial::evTxEmpty, serial::evError, serial::evRx80Full}));

    EXPECT_TRUE(d.ComDataPacketCaseInsensitive());
    EXPECT_TRUE(d.ComDataPacketIncludeStrings());
    EXPECT_EQ(d.ComDataPacketMaxBufferSize(), 4096);
    EXPECT_EQ(d.ComDataPacketStartString(), Bytes({0xF0}));
    EXPECT_EQ(d.ComDataPacketStopString(), Bytes({0xF7}));
    EXPECT_EQ(d.ComDataPacketSize(), 6);

    for (auto* timer : {d.KeyRepeatTimer(), d.HeartSurveyTimer(), d.ConnectionSurveyTimer(), d.TimerStats()})
        EXPECT_FALSE(timer->Enabled());
    EXPECT_EQ(d.ConnectionSurveyTimer()->Interval(), 400u);
    EXPECT_EQ(d.KeyRepeatTimer()->Interval(), 500u);
}

TEST(DeviceConstruction, PassThroughWritesReachThePortAndTheFramerAtOnce) {
    TQuarixDevice d;
    d.SetComDataPacketSize(10);
    EXPECT_EQ(d.Framer()->Size(), 10);
    d.SetComPortPort("/dev/null-port");
    EXPECT_EQ(d.Port()->Port(), "/dev/null-port");
    d.SetComPortTag(7);
    EXPECT_EQ(d.Port()->Tag(), 7);
    d.SetTimerStatsInterval(250);
    EXPECT_EQ(d.TimerStats()->Interval(), 250u);
}

TEST(DeviceConstruction, SettersClampOrIgnoreWhatTheirPropertyCannotHold) {
    TQuarixDevice d;
    d.SetComponentVersion(1.0);
    EXPECT_EQ(d.ComponentVersion(), 3.33);

    struct Case {
        double written, stored;
    };
    for (const Case c : {Case{0.5, 0.5}, Case{-0.2, 0}, Case{1.7, 1}, Case{NAN, 0}, Case{1, 1}}) {
        d.SetResistanceReducer(c.written);
        EXPECT_EQ(d.ResistanceReducer(), c.stored) << c.written;
    }

    d.SetResistanceLatency(-5);
    EXPECT_EQ(d.ResistanceLatency(), 0);
    d.SetResistanceLatency(40);
    EXPECT_EQ(d.ResistanceLatency(), 40);

    d.SetStatsInterval(500);
    EXPECT_EQ(d.TimerStats()->Interval(), 500u);
    d.SetHrDelayBeforeReset(1500);
    EXPECT_EQ(d.HeartSurveyTimer()->Interval(), 1500u);
    d.SetKeyRepeatInterval(300);
    EXPECT_EQ(d.KeyRepeatTimer()->Interval(), 300u);
}

TEST(DeviceConstruction, SampleArraysResizeAtTheNewestEnd) {
    TQuarixDevice d;
    d.SpeedArray.assign({1, 2, 3});
    d.SetSpeedArrayLength(5);
    EXPECT_EQ(d.SpeedArray, (std::vector<double>{1, 2, 3, 0, 0}));
    d.SetSpeedArrayLength(2);
    EXPECT_EQ(d.SpeedArray, (std::vector<double>{1, 2}));
    d.HeartArray.assign({70, 71});
    d.SetHeartArrayLength(3);
    EXPECT_EQ(d.HeartArray, (std::vector<double>{70, 71, 0}));
    d.SetCadenceArrayLength(-1);  // never a huge allocation
    EXPECT_TRUE(d.CadenceArray.empty());
}

TEST(DeviceConstruction, HexTextAndHexValue) {
    TQuarixDevice d;
    std::string text = "stale";
    d.HexText(Bytes({0xF0, 0x01}), true, text);
    EXPECT_EQ(text, " F0 01");
    d.HexText(Bytes({0xF0, 0x01}), false, text);
    EXPECT_EQ(text, "F001");
    d.HexText("", true, text);
    EXPECT_EQ(text, "");
    d.HexText(std::string(1500, '\xAB'), false, text);
    EXPECT_EQ(text.size(), 2000u);  // at most 1000 bytes are converted

    // Converted in place: the text may be the very string that holds the bytes.
    std::string in_place = Bytes({0xF0, 0x01, 0x7F});
    d.HexText(in_place, true, in_place);
    EXPECT_EQ(in_place, " F0 01 7F");

    EXPECT_EQ(d.HexValue(Bytes({0xF0, 0x01})), 61441);
    EXPECT_EQ(d.HexValue(Bytes({0x12, 0x34, 0x56, 0x78})), 0x12345678);
    EXPECT_EQ(d.HexValue(Bytes({0xFF, 0xFF, 0xFF, 0xFF})), -1);
    EXPECT_EQ(d.HexValue(""), 0);
}

TEST(DeviceConstruction, BuildFrameTakesTheLowBytesAndZeroesTheIdentificationParameter) {
    EXPECT_EQ(device::BuildFrame(8, 0x28, 0x99), Bytes({0xF0, 0x08, 0x28, 0x00, 0x00, 0xF7}));
    EXPECT_EQ(device::BuildFrame(1, 300, 5), Bytes({0xF0, 0x01, 0x2C, 0x05, 0x00, 0xF7}));
    EXPECT_EQ(device::BuildFrame(0x103, 0, 0), Bytes({0xF0, 0x03, 0x00, 0x00, 0x00, 0xF7}));
    EXPECT_EQ(device::IdentificationRequest(3), Bytes({0x28}));
    EXPECT_EQ(device::IdentificationRequest(4.5), Bytes({0xF0, 0x08, 0x28, 0x00, 0x00, 0xF7}));
}

TEST(DeviceConstruction, DestroyingADeviceThatNeverConnectedRaisesOnlyWhatStopRaises) {
    EventLog log;
    {
        TQuarixDevice d;
        log.Attach(d);
        d.SetComPortPort("/nonexistent/port");
    }
    // Stop on a disconnected device: no OnBeforeStop, the stop mark and OnAfterStop.
    EXPECT_EQ(log.events, (std::vector<std::string>{"Status(0->4)", "AfterStop"}));
}

TEST(DeviceConstruction, DestroyingAConnectedDeviceClosesItsPortWithoutDisconnectingEvents) {
    device_test::BarePty pty;
    EventLog log;
    int port_events = 0;
    {
        TQuarixDevice d;
        d.SetConnectionSurvey(false);
        d.SetComPortPort(pty.SlaveName());
        d.Port()->Open();
        d.SetConnected(true);
        log.Attach(d);
        d.OnComPortBeforeClose = [&](platform::TObject*) { ++port_events; };
        d.OnComPortAfterClose = [&](platform::TObject*) { ++port_events; };
    }
    EXPECT_EQ(log.events, (std::vector<std::string>{"BeforeStop", "Status(1->4)", "AfterStop"}));
    EXPECT_EQ(port_events, 0);
}

TEST(DeviceConstruction, TheFrameSearchLengthIsSharedByEveryDevice) {
    TQuarixDevice first;
    TQuarixDevice::PendingFrameLength = 10;
    TQuarixDevice second;  // construction of any device clears it
    EXPECT_EQ(TQuarixDevice::PendingFrameLength, 0);
}
