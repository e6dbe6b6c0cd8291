// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/controls/nerra_progress_bar.h"

#include <QEnterEvent>
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "gui_test_support.h"
#include "platform/exceptions.h"

using app::TNerraProgressBar;
using gui_test::PixelAt;
using gui_test::Render;

namespace {

TEST(NerraProgressBar, NewBarHasItsDefaults) {
    TNerraProgressBar bar;
    EXPECT_EQ(bar.width(), 150);
    EXPECT_EQ(bar.Min(), 0);
    EXPECT_EQ(bar.Max(), 100);
    EXPECT_EQ(bar.Position(), 0);
    EXPECT_EQ(bar.Step(), 10);
    EXPECT_EQ(bar.PosColor(), QColor(16, 88, 200));
    EXPECT_EQ(bar.BorderColor(), QColor(16, 88, 200));
    EXPECT_EQ(bar.PBBorder(), app::pbColorEdge);
    EXPECT_EQ(bar.Orientation(), app::poHorizontal);
    EXPECT_FALSE(bar.Smooth());
}

struct RangeCase {
    app::TProgressRangeMode mode;
    int32_t min, max;
    std::optional<std::string> error;
};

class NerraProgressBarRange : public testing::TestWithParam<RangeCase> {};

TEST_P(NerraProgressBarRange, AcceptsOrRefusesTheRange) {
    const RangeCase& c = GetParam();
    TNerraProgressBar bar(nullptr, c.mode);
    bar.SetParams(5, 50);
    if (c.error) {
        try {
            bar.SetParams(c.min, c.max);
            ADD_FAILURE() << "no error";
        } catch (const platform::Exception& e) {
            EXPECT_EQ(e.Message(), *c.error);
        }
        EXPECT_EQ(bar.Min(), 5);  // a refused range changes nothing
        EXPECT_EQ(bar.Max(), 50);
    } else {
        bar.SetParams(c.min, c.max);
        EXPECT_EQ(bar.Min(), c.min);
        EXPECT_EQ(bar.Max(), c.max);
    }
}

const std::string kOutOfRange = "Propriété TNerraProgressBar hors limites";
const std::string k16Bit = "La valeur doit être comprise entre 0 et 65535";

INSTANTIATE_TEST_SUITE_P(Cases, NerraProgressBarRange,
                         testing::Values(RangeCase{app::prm32Bit, 0, 100, {}},
                                         RangeCase{app::prm32Bit, 7, 7, {}},
                                         RangeCase{app::prm32Bit, -20, 70000, {}},
                                         RangeCase{app::prm32Bit, 50, 10, kOutOfRange},
                                         RangeCase{app::prm16Bit, 0, 65535, {}},
                                         RangeCase{app::prm16Bit, -1, 10, k16Bit},
                                         RangeCase{app::prm16Bit, 0, 65536, k16Bit},
                                         // the order check comes before the 16-bit one
                                         RangeCase{app::prm16Bit, 70000, 10, kOutOfRange}),
                         [](const testing::TestParamInfo<RangeCase>& info) {
                             const RangeCase& c = info.param;
                             auto number = [](int32_t v) { return (v < 0 ? "minus" : "") + std::to_string(v < 0 ? -v : v); };
                             return std::string(c.mode == app::prm16Bit ? "Bits16_" : "Bits32_") + number(c.min) + "_" +
                                    number(c.max);
                         });

TEST(NerraProgressBar, RangeErrorsAreTheirKinds) {
    TNerraProgressBar bar;
    EXPECT_THROW(bar.SetMax(-1), platform::EInvalidOperation);
    EXPECT_THROW(bar.SetMin(101), platform::EInvalidOperation);
}

TEST(NerraProgressBar, PositionStaysInsideTheRange) {
    TNerraProgressBar bar;
    bar.SetPosition(40);
    EXPECT_EQ(bar.Position(), 40);
    bar.SetPosition(250);  // stepping past the end leaves the bar full
    EXPECT_EQ(bar.Position(), 100);
    bar.SetPosition(-3);
    EXPECT_EQ(bar.Position(), 0);
    bar.SetPosition(80);
    bar.SetMax(50);  // a shrinking range pulls the position in
    EXPECT_EQ(bar.Position(), 50);
    bar.SetMin(30);
    EXPECT_EQ(bar.Position(), 50);
    bar.SetMin(10);  // a lower minimum sets the position to it
    EXPECT_EQ(bar.Position(), 10);
}

TEST(NerraProgressBar, SixteenBitModeChecksThePosition) {
    TNerraProgressBar bar(nullptr, app::prm16Bit);
    bar.SetMax(65535);
    bar.SetPosition(65535);
    EXPECT_EQ(bar.Position(), 65535);
    try {
        bar.SetPosition(65536);
        ADD_FAILURE() << "no error";
    } catch (const platform::Exception& e) {
        EXPECT_EQ(e.Message(), k16Bit);
    }
    EXPECT_EQ(bar.Position(), 65535);
    // The same value is fine in 32-bit mode (and clamped).
    TNerraProgressBar wide;
    wide.SetPosition(65536);
    EXPECT_EQ(wide.Position(), 100);
}

// The control paints its frame in the chosen style and the filled part in PosColor.
TEST(NerraProgressBar, PaintsFrameStylesAndBarColour) {
    TNerraProgressBar bar;
    bar.resize(100, 17);
    bar.SetSmooth(true);
    bar.SetPosColor(QColor(200, 10, 10));
    bar.SetBorderColor(QColor(1, 2, 3));
    bar.SetPosition(50);
    const QColor face = gui_test::Opaque(bar.palette().color(QPalette::Button));
    const QColor light = gui_test::Opaque(bar.palette().color(QPalette::Light));
    const QColor shadow = gui_test::Opaque(bar.palette().color(QPalette::Dark));

    QImage image = Render(&bar);
    EXPECT_EQ(PixelAt(image, 0, 0), QColor(1, 2, 3));
    EXPECT_EQ(PixelAt(image, 99, 16), QColor(1, 2, 3));
    EXPECT_EQ(PixelAt(image, 1, 8), QColor(200, 10, 10));   // filled half
    EXPECT_EQ(PixelAt(image, 48, 8), QColor(200, 10, 10));
    EXPECT_EQ(PixelAt(image, 51, 8), face);                 // empty half
    EXPECT_EQ(PixelAt(image, 98, 8), face);

    bar.SetPBBorder(app::pbLowered);
    image = Render(&bar);
    EXPECT_EQ(PixelAt(image, 0, 0), shadow);
    EXPECT_EQ(PixelAt(image, 99, 16), light);
    EXPECT_EQ(PixelAt(image, 1, 1), face);
    EXPECT_EQ(PixelAt(image, 98, 15), face);
    EXPECT_EQ(PixelAt(image, 2, 8), QColor(200, 10, 10));

    bar.SetPBBorder(app::pbRaised);
    image = Render(&bar);
    EXPECT_EQ(PixelAt(image, 0, 0), light);
    EXPECT_EQ(PixelAt(image, 99, 16), shadow);
    EXPECT_EQ(PixelAt(image, 1, 1), face);
}

TEST(NerraProgressBar, BlocksUnlessSmoothAndVerticalFillsFromTheBottom) {
    TNerraProgressBar bar;
    bar.resize(100, 17);
    bar.SetPosColor(QColor(200, 10, 10));
    bar.SetPosition(100);
    const QColor face = gui_test::Opaque(bar.palette().color(QPalette::Button));
    QImage image = Render(&bar);
    int gaps = 0;
    for (int x = 1; x < 99; ++x) gaps += PixelAt(image, x, 8) == face ? 1 : 0;
    EXPECT_GT(gaps, 5);  // blocks with gaps between them
    bar.SetSmooth(true);
    image = Render(&bar);
    for (int x = 1; x < 99; ++x) ASSERT_EQ(PixelAt(image, x, 8), QColor(200, 10, 10)) << x;

    TNerraProgressBar upright;
    upright.resize(17, 100);
    upright.SetOrientation(app::poVertical);
    upright.SetSmooth(true);
    upright.SetPosColor(QColor(200, 10, 10));
    upright.SetPosition(25);
    image = Render(&upright);
    EXPECT_EQ(PixelAt(image, 8, 97), QColor(200, 10, 10));
    EXPECT_EQ(PixelAt(image, 8, 2), gui_test::Opaque(upright.palette().color(QPalette::Button)));
}

TEST(NerraProgressBar, RaisesMouseAndEnabledEventsWithItselfAsSender) {
    TNerraProgressBar bar;
    std::vector<std::string> seen;
    bar.OnMouseEnter = [&](QObject* sender) { seen.push_back(sender == &bar ? "enter" : "?"); };
    bar.OnMouseLeave = [&](QObject* sender) { seen.push_back(sender == &bar ? "leave" : "?"); };
    bar.OnEnabledChanged = [&](QObject* sender) {
        seen.push_back(sender == &bar ? (bar.isEnabled() ? "enabled" : "disabled") : "?");
    };
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(&bar, &enter);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&bar, &leave);
    bar.setEnabled(false);
    bar.setEnabled(true);
    EXPECT_EQ(seen, (std::vector<std::string>{"enter", "leave", "disabled", "enabled"}));
}

}  // namespace
