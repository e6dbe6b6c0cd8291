// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/startup/demo.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/startup/calibration_settings.h"
#include "app/startup/qt_message_pump.h"
#include "app/startup/trainer_search.h"
#include "app/window/calibration_window.h"
#include "platform/settings_location.h"
#include "port_fixture.h"
#include "settings_fixture.h"

TEST(Demo, TheToolFindsTheSimulatedTrainerAndTheBuiltInSettings) {
    testing_support::ScopedPortList restore_ports(std::nullopt);
    app::ScopedQtMessagePump pump;
    app::DemoSession demo;
    ASSERT_NE(std::getenv("CALIBRATION_TOOL_PORTS"), nullptr);
    EXPECT_EQ(std::string(std::getenv("CALIBRATION_TOOL_PORTS")), demo.PortName());

    app::TForm1 form;
    ASSERT_TRUE(app::SearchTrainer(*form.qdv, 3, 100));
    EXPECT_EQ(form.qdv->Version(), 4);
    ASSERT_NE(app::ProfileForVersion(form.qdv->Version()), nullptr);
    EXPECT_TRUE(app::IsProductInstalled(app::CompanionProduct::Trakova));
    EXPECT_EQ(app::ReadProductVersion(app::CompanionProduct::Trakova).Major, 6);
    std::array<double, 3> speeds{};
    std::array<int32_t, 3> levels{};
    app::ReadCalibrationPoints(app::CalibrationProfile::Quarix6, speeds, levels);
    EXPECT_EQ(speeds, app::kDefaultTargetSpeeds);
    EXPECT_EQ(levels, app::kDefaultResistanceLevels);
    EXPECT_NE(app::SettingsOriginNote().find("built-in"), std::string::npos);
}

TEST(Demo, TheRiderCrossesEveryPointBetween15And45) {
    double low = 100, high = 0;
    for (double t = 0; t < 120; t += 0.25) {
        const double v = app::DemoSession::RiderSpeedKmh(t);
        low = std::min(low, v);
        high = std::max(high, v);
    }
    EXPECT_GE(low, 15);
    EXPECT_LT(low, 20);  // below P1's 20 km/h now and then
    EXPECT_LE(high, 45);
    EXPECT_GT(high, 40);  // above P3's 40 km/h now and then
}


// The rider's own settings file with --demo: its points, not the demo's.
TEST(Demo, ANamedSettingsFileGivesItsPointsInsteadOfTheDemos) {
    testing_support::ScopedPortList restore_ports(std::nullopt);
    testing_support::ScopedSettingsFile named(
        "[HKEY_CURRENT_USER\\Software\\Corvane\\Trakova\\Calibration\\Quarix6]\r\n"
        "\"Speed1\"=\"18\"\r\n\"Speed2\"=\"26\"\r\n\"Speed3\"=\"33\"\r\n"
        "\"Resist1\"=\"120\"\r\n\"Resist2\"=\"70\"\r\n\"Resist3\"=\"15\"\r\n");
    ASSERT_EQ(app::UseSettingsFileOption(named.Path()), std::nullopt);
    struct ClearOption {
        ~ClearOption() { platform::SetSettingsFileOption(std::nullopt); }
    } clear_option;
    app::ScopedQtMessagePump pump;
    app::DemoSession demo;
    std::array<double, 3> speeds{};
    std::array<int32_t, 3> levels{};
    app::ReadCalibrationPoints(app::CalibrationProfile::Quarix6, speeds, levels);
    EXPECT_EQ(speeds, (std::array<double, 3>{18, 26, 33}));
    EXPECT_EQ(levels, (std::array<int32_t, 3>{120, 70, 15}));
    EXPECT_EQ(app::SettingsOriginNote().find("built-in"), std::string::npos) << app::SettingsOriginNote();
}
