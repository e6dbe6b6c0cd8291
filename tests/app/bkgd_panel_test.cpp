// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/controls/bkgd_panel.h"

#include <QLabel>
#include <QPixmap>
#include <gtest/gtest.h>

#include "gui_test_support.h"

using app::TBkgdPanel;
using gui_test::PixelAt;
using gui_test::Render;

namespace {

TEST(BkgdPanel, DerivedColoursAreClampedPerComponent) {
    struct Case {
        QColor color;
        int delta;
        QColor expected;
    };
    const Case cases[] = {
        {QColor(100, 150, 200), 40, QColor(140, 190, 240)},
        {QColor(250, 10, 128), 40, QColor(255, 50, 168)},
        {QColor(250, 10, 128), -64, QColor(186, 0, 64)},
        {QColor(0, 0, 0), -64, QColor(0, 0, 0)},
        {QColor(240, 240, 240), 127, QColor(255, 255, 255)},
    };
    for (const Case& c : cases) EXPECT_EQ(TBkgdPanel::Shifted(c.color, c.delta), c.expected) << c.color.name().toStdString();

    TBkgdPanel panel;
    panel.SetColor(QColor(250, 10, 128));
    EXPECT_EQ(panel.LightColor(), QColor(255, 50, 168));
    EXPECT_EQ(panel.ShadowColor(), QColor(186, 0, 64));
}

TEST(BkgdPanel, PaintsOuterAndInnerBevelsFromItsColour) {
    TBkgdPanel panel;
    panel.resize(40, 20);
    panel.SetColor(QColor(100, 150, 200));
    const QColor light(140, 190, 240), shadow(36, 86, 136), fill(100, 150, 200);

    QImage image = Render(&panel);  // outer raised, no inner bevel
    EXPECT_EQ(PixelAt(image, 0, 0), light);
    EXPECT_EQ(PixelAt(image, 20, 0), light);
    EXPECT_EQ(PixelAt(image, 0, 10), light);
    EXPECT_EQ(PixelAt(image, 39, 10), shadow);
    EXPECT_EQ(PixelAt(image, 20, 19), shadow);
    EXPECT_EQ(PixelAt(image, 20, 10), fill);

    panel.SetBevelOuter(app::bvLowered);
    panel.SetBevelInner(app::bvRaised);
    panel.SetBorderWidth(2);
    image = Render(&panel);
    EXPECT_EQ(PixelAt(image, 0, 0), shadow);
    EXPECT_EQ(PixelAt(image, 39, 19), light);
    EXPECT_EQ(PixelAt(image, 1, 10), fill);     // the border width stays plain
    EXPECT_EQ(PixelAt(image, 3, 10), light);    // inner raised bevel
    EXPECT_EQ(PixelAt(image, 36, 10), shadow);
    EXPECT_EQ(PixelAt(image, 20, 10), fill);
}

TEST(BkgdPanel, SingleBorderIsASunkenEdgeAroundTheClientArea) {
    TBkgdPanel panel;
    panel.resize(60, 30);
    panel.SetBorderStyle(app::bsSingle);
    panel.SetColor(QColor(100, 150, 200));
    QLabel child(&panel);
    panel.PlaceChild(&child, 8, 8, 20, 10);
    EXPECT_EQ(child.geometry(), QRect(10, 10, 20, 10));
    const QImage image = Render(&panel);
    EXPECT_EQ(PixelAt(image, 0, 0), gui_test::Opaque(panel.palette().color(QPalette::Dark)));
    EXPECT_EQ(PixelAt(image, 59, 29), gui_test::Opaque(panel.palette().color(QPalette::Light)));
    EXPECT_EQ(PixelAt(image, 2, 2), QColor(140, 190, 240));  // the panel's own bevel inside
}

TEST(BkgdPanel, TilesItsBackgroundImageFromTheTopLeft) {
    QImage tile(2, 2, QImage::Format_RGB32);
    tile.setPixel(0, 0, qRgb(255, 0, 0));
    tile.setPixel(1, 0, qRgb(0, 255, 0));
    tile.setPixel(0, 1, qRgb(0, 0, 255));
    tile.setPixel(1, 1, qRgb(255, 255, 0));
    TBkgdPanel panel;
    panel.resize(20, 12);
    panel.SetBevelOuter(app::bvNone);
    panel.SetBackground(QPixmap::fromImage(tile));
    const QImage image = Render(&panel);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 20; ++x) ASSERT_EQ(image.pixel(x, y), tile.pixel(x % 2, y % 2)) << x << "," << y;
}

}  // namespace
