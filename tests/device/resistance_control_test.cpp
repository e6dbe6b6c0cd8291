// SPDX-License-Identifier: GPL-3.0-or-later
// The resistance command: what level and elevation bytes reach the wire, and
// which setters send it.
#include <gtest/gtest.h>

#include <cmath>

#include "device/control_device.h"

namespace {

using control_test::ControlDevice;
using control_test::Hex;
using control_test::ResistanceFrame;

// A device whose resistance setter sends at once, with the roller turning.
struct SendingDevice : ControlDevice {
    SendingDevice() {
        SetMaintainsConsoleActive(false);
        Speed = 25;
    }
    std::string Last() const { return sent.empty() ? std::string("(nothing sent)") : Hex(sent.back()); }
};

struct LevelCase {
    int32_t written;
    int32_t stored;
    int wire;
};

TEST(ResistanceLevel, SecurityClampsTheLevelAndTheWireCarriesIt) {
    const LevelCase cases[] = {
        {300, 255, 255}, {-5, 0, 0},       {240, 239, 239}, {247, 246, 246}, {100, 100, 100},
        {239, 239, 239}, {246, 246, 246}, {241, 241, 241}, {255, 255, 255}, {0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.written);
        SendingDevice dev;
        dev.SetQuarixResistance(c.written);
        EXPECT_EQ(dev.QuarixResistance(), c.stored);
        ASSERT_EQ(dev.sent.size(), 1u);
        EXPECT_EQ(dev.Last(), ResistanceFrame(c.wire, 0));
    }
}

TEST(ResistanceLevel, WithoutSecurityTheLevelIsStoredAsWrittenAndOnlyItsLowByteIsSent) {
    const LevelCase cases[] = {{300, 300, 44}, {-5, -5, 0xFB}, {100, 100, 100}, {256, 256, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.written);
        SendingDevice dev;
        dev.SetSecurityActive(false);
        dev.Speed = 0;  // the standstill rule belongs to the security too
        dev.SetQuarixResistance(c.written);
        EXPECT_EQ(dev.QuarixResistance(), c.stored);
        EXPECT_EQ(dev.Last(), ResistanceFrame(c.wire, 0));
    }
}

TEST(ResistanceLevel, AtStandstillTheSecurityStoresAndSendsZero) {
    SendingDevice dev;
    dev.Speed = 0;
    dev.SetQuarixResistance(100);
    EXPECT_EQ(dev.QuarixResistance(), 0);
    EXPECT_EQ(dev.Last(), ResistanceFrame(0, 0));

    // A level stored while turning is still sent as 0 once the roller stops.
    dev.Speed = 25;
    dev.SetQuarixResistance(100);
    dev.Speed = 0;
    dev.SendResistance();
    EXPECT_EQ(dev.QuarixResistance(), 100);
    EXPECT_EQ(dev.Last(), ResistanceFrame(0, 0));

    // A roller turning backwards is not standing still.
    dev.Speed = -0.5L;
    dev.SendResistance();
    EXPECT_EQ(dev.Last(), ResistanceFrame(100, 0));
}

TEST(ResistanceLevel, TheSameLevelWrittenAgainIsSentAgain) {
    SendingDevice dev;
    dev.SetQuarixResistance(80);
    dev.SetQuarixResistance(80);
    EXPECT_EQ(dev.sent.size(), 2u);
}

TEST(ResistanceLevel, WhileTheConsoleIsKeptActiveTheSetterOnlyStores) {
    ControlDevice dev;
    ASSERT_TRUE(dev.MaintainsConsoleActive());
    dev.Speed = 25;
    dev.SetQuarixResistance(120);
    EXPECT_EQ(dev.QuarixResistance(), 120);
    EXPECT_TRUE(dev.sent.empty());
}

TEST(ResistanceLevel, InitialResistanceIsAlwaysClampedAndAppliedWhenItChanges) {
    SendingDevice dev;
    dev.SetSecurityActive(false);
    dev.SetInitialResistance(247);
    EXPECT_EQ(dev.InitialResistance(), 246);
    EXPECT_EQ(dev.QuarixResistance(), 246);
    EXPECT_EQ(dev.Last(), ResistanceFrame(246, 0));

    dev.SetInitialResistance(300);
    EXPECT_EQ(dev.InitialResistance(), 255);
    EXPECT_EQ(dev.QuarixResistance(), 255);

    // Unchanged after the clamp: nothing is applied or sent.
    dev.SetQuarixResistance(10);
    const auto frames = dev.sent.size();
    dev.SetInitialResistance(255);
    EXPECT_EQ(dev.QuarixResistance(), 10);
    EXPECT_EQ(dev.sent.size(), frames);
}

struct SlopeCase {
    long double slope;
    int wire;
};

TEST(ResistanceElevation, WithUseElevationTheSlopeIsSentInFifthsOfAPercentAround126) {
    const SlopeCase cases[] = {
        {0, 126}, {-3.5L, 108}, {3.5L, 144}, {0.5L, 128}, {-0.5L, 124}, {30, 255}, {-30, 0}, {22.8L, 239}, {24.2L, 246}, {-25.2L, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<double>(c.slope));
        ControlDevice dev;
        dev.SetVersion(5);
        dev.Speed = 25;
        dev.SetQuarixResistance(90);
        dev.SetQuarixElevation(7);  // ignored while the slope is used
        dev.SetUseElevation(true);
        dev.SetCurrentSlope(c.slope);
        EXPECT_TRUE(dev.sent.empty()) << "setting the slope sends nothing";
        dev.SendResistance();
        ASSERT_EQ(dev.sent.size(), 1u);
        EXPECT_EQ(Hex(dev.sent.back()), ResistanceFrame(90, c.wire));
    }
}

TEST(ResistanceElevation, ElevationInMetresBecomesTheElevationByte) {
    struct Case {
        int32_t metres;
        int32_t stored;
        int wire;
    };
    const Case cases[] = {{2000, 51, 51}, {9999, 255, 255}, {0, 0, 0}, {4706, 120, 120},
                          {20000, 510, 255}, {-100, -3, 0}, {9412, 240, 239}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.metres);
        ControlDevice dev;
        dev.Speed = 25;
        dev.SetCurrentElevation(c.metres);
        EXPECT_EQ(dev.CurrentElevation(), c.metres);
        EXPECT_EQ(dev.QuarixElevation(), c.stored);
        EXPECT_EQ(dev.ElevationToByte(c.metres), c.stored);
        EXPECT_TRUE(dev.sent.empty());
        dev.SendResistance();
        EXPECT_EQ(Hex(dev.sent.back()), ResistanceFrame(0, c.wire));
    }
}

TEST(ResistanceElevation, TheElevationByteIsClampedEvenWithoutSecurity) {
    ControlDevice dev;
    dev.SetSecurityActive(false);
    dev.SetQuarixElevation(247);
    dev.SendResistance();
    EXPECT_EQ(Hex(dev.sent.back()), ResistanceFrame(0, 246));
}

TEST(ResistanceCommand, NothingIsSentBelowVersion4OrWhileRepairing) {
    {
        SendingDevice dev;
        dev.SetVersion(3);
        dev.SetMaintainsConsoleActive(false);
        dev.SetQuarixResistance(100);
        dev.SendResistance();
        dev.SetHighPowerReduceEnable(true);
        dev.UpdateHighPowerReduce();
        EXPECT_TRUE(dev.sent.empty());
    }
    {
        SendingDevice dev;
        dev.Repairing = true;
        dev.SetQuarixResistance(100);
        dev.SendResistance();
        EXPECT_TRUE(dev.sent.empty());
        // The next trigger after the repair carries the level set meanwhile.
        dev.Repairing = false;
        dev.SendResistance();
        EXPECT_EQ(Hex(dev.sent.back()), ResistanceFrame(100, 0));
    }
}

TEST(HighPowerReduce, CoefficientRisesLinearlyToFullLevelAtTheStartSpeed) {
    struct Case {
        long double short_mean_speed;
        double coefficient;
    };
    const Case cases[] = {{0, 0.25}, {3.5L, 0.625}, {1.4L, 0.4}, {7, 1.0}, {30, 1.0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<double>(c.short_mean_speed));
        ControlDevice dev;
        dev.SetHighPowerReduceEnable(true);
        dev.ShortMeanSpeed = c.short_mean_speed;
        dev.UpdateHighPowerReduce();
        EXPECT_NEAR(dev.ResistanceCoefficient, c.coefficient, 1e-12);
        EXPECT_TRUE(dev.sent.empty()) << "the console is kept active: the next command carries it";
    }
}

TEST(HighPowerReduce, ReducedLevelIsRoundedHalfToEvenOnTheWire) {
    ControlDevice dev;
    dev.Speed = 3.5L;
    dev.SetQuarixResistance(100);
    dev.SetHighPowerReduceEnable(true);
    dev.ShortMeanSpeed = 3.5L;
    dev.UpdateHighPowerReduce();
    dev.SendResistance();
    EXPECT_EQ(Hex(dev.sent.back()), ResistanceFrame(62, 0));  // 62.5
    EXPECT_EQ(dev.QuarixResistance(), 100) << "the host's level is kept";
}

TEST(HighPowerReduce, VirtualSpeedIsTakenOffBecauseTheBrakeSeesTheRoller) {
    ControlDevice dev;
    dev.SetHighPowerReduceEnable(true);
    dev.SetVirtualSpeedEnabled(true);
    dev.VirtualSpeed = 3.5;
    dev.ShortMeanSpeed = 7;
    dev.UpdateHighPowerReduce();
    EXPECT_NEAR(dev.ResistanceCoefficient, 0.625, 1e-12);

    // In simulation there is no roller: the speed is taken as it is.
    dev.SetSimulationMode(true);
    dev.UpdateHighPowerReduce();
    EXPECT_DOUBLE_EQ(dev.ResistanceCoefficient, 1.0);
}

TEST(HighPowerReduce, SwitchedOffTheCoefficientReturnsToOne) {
    ControlDevice dev;
    dev.SetHighPowerReduceEnable(true);
    dev.ShortMeanSpeed = 0;
    dev.UpdateHighPowerReduce();
    ASSERT_DOUBLE_EQ(dev.ResistanceCoefficient, 0.25);
    dev.SetHighPowerReduceEnable(false);
    dev.UpdateHighPowerReduce();
    EXPECT_DOUBLE_EQ(dev.ResistanceCoefficient, 1.0);
}

TEST(HighPowerReduce, WithoutKeepAliveTheReducedLevelIsSentAtOnceButOnlyBelowTheStartSpeed) {
    SendingDevice dev;
    dev.SetQuarixResistance(200);
    dev.sent.clear();
    dev.SetHighPowerReduceEnable(true);
    dev.ShortMeanSpeed = 0;
    dev.UpdateHighPowerReduce();
    ASSERT_EQ(dev.sent.size(), 1u);
    EXPECT_EQ(dev.Last(), ResistanceFrame(50, 0));
    dev.ShortMeanSpeed = 8;
    dev.UpdateHighPowerReduce();
    EXPECT_EQ(dev.sent.size(), 1u);
}

TEST(HighPowerReduce, CoefficientNeverFallsBelowTheMinimum) {
    ControlDevice dev;
    dev.SetResistanceCoefficient(0.1);
    EXPECT_DOUBLE_EQ(dev.ResistanceCoefficient, 0.25);
    dev.SetResistanceCoefficient(0.5);
    EXPECT_DOUBLE_EQ(dev.ResistanceCoefficient, 0.5);
    dev.SetResistanceCoefficient(std::nan(""));
    EXPECT_DOUBLE_EQ(dev.ResistanceCoefficient, 0.25);
}

TEST(ResistanceCommand, AbsurdCoefficientsAndSlopesStillGiveABoundedByte) {
    ControlDevice dev;
    dev.Speed = 25;
    dev.SetQuarixResistance(100);
    dev.ResistanceCoefficient = HUGE_VAL;
    dev.SetUseElevation(true);
    dev.SetCurrentSlope(-HUGE_VALL);
    dev.SendResistance();
    EXPECT_EQ(Hex(dev.sent.back()), ResistanceFrame(255, 0));
    dev.ResistanceCoefficient = std::nan("");
    dev.SetCurrentSlope(std::nanl(""));
    dev.SendResistance();
    EXPECT_EQ(Hex(dev.sent.back()), ResistanceFrame(0, 0));
}

}  // namespace
