// SPDX-License-Identifier: GPL-3.0-or-later
// Renders the calibration window and the progress dialog as a user sees them
// and keeps the pictures: in $CALIBRATION_DOCS_DIR when set (the README's
// docs/ folder), else in the working directory.
#include <QApplication>
#include <QDir>
#include <QPalette>
#include <cstdlib>
#include <utility>
#include <gtest/gtest.h>

#include "app/controls/progress_dialog.h"
#include "app/window/calibration_window.h"
#include "gui_test_support.h"

using gui_test::PixelAt;

namespace {

QString PictureDir() {
    const QString dir = qEnvironmentVariable("CALIBRATION_DOCS_DIR");
    return dir.isEmpty() ? QDir::currentPath() : dir;
}

// The window connected, P2 chosen (target 30 km/h), the rider at `kmh`.
void ShowRidingOnP2(app::TForm1& form, long double kmh) {
    form.TargetSpeeds = {20, 30, 40};
    form.ResistanceLevels = {100, 60, 0};
    form.qdv->SetConnectionSurvey(false);
    form.qdv->SetConnected(true);
    form.qdv->Speed = kmh;
    form.Btn_P2->click();
    form.qdv->OnStats(form.qdv.get(), 1000, 10, 10, 50, kmh, true);
    form.show();
}

TEST(WindowPictures, CalibrationWindowRiding) {
    app::TForm1 form;
    app::SetMainForm(&form);
    ShowRidingOnP2(form, 29.7L);
    const QImage image = gui_test::Render(&form);
    app::SetMainForm(nullptr);

    ASSERT_EQ(image.size(), QSize(319, 122));
    EXPECT_EQ(PixelAt(image, 155, 90), QColor(0, 255, 255));  // target zone at 30 km/h
    EXPECT_EQ(PixelAt(image, 60, 90), QColor(255, 255, 255));  // the rest of the scale
    EXPECT_EQ(PixelAt(image, 8, 80), QColor(0, 0, 0));         // the scale's outline
    const QPoint tip = form.Indicatore->pos() + form.Indicatore->TipPixel();
    EXPECT_EQ(tip, QPoint(8 + 148 - 1, 79));                    // 29.7 km/h -> 148.5 -> 148
    EXPECT_EQ(PixelAt(image, tip.x(), tip.y() - 10), QColor(0, 255, 0));
    EXPECT_TRUE(image.save(PictureDir() + "/calibration-window.png"));
}

// A dark desktop theme, switched on while the window is open. The button
// text differs from the window text so that the picture shows which one the
// labels use.
QPalette DarkPalette() {
    QPalette p;
    p.setColor(QPalette::Window, QColor(45, 45, 48));
    p.setColor(QPalette::Button, QColor(53, 53, 53));
    p.setColor(QPalette::WindowText, QColor(235, 235, 235));
    p.setColor(QPalette::ButtonText, QColor(255, 200, 120));
    p.setColor(QPalette::Text, QColor(235, 235, 235));
    p.setColor(QPalette::Base, QColor(30, 30, 30));
    p.setColor(QPalette::Light, QColor(90, 90, 90));
    p.setColor(QPalette::Midlight, QColor(70, 70, 70));
    p.setColor(QPalette::Dark, QColor(25, 25, 25));
    p.setColor(QPalette::Mid, QColor(40, 40, 40));
    p.setColor(QPalette::Shadow, QColor(0, 0, 0));
    return p;
}

int Lightness(const QColor& c) { return c.lightness(); }

// Within `area`: the pixel that stands out most from the background, and
// whether any pixel is darker than it (dark ink on the dark face).
struct Ink {
    QColor strongest;
    bool darker_than_background = false;
};
Ink InkIn(const QImage& image, const QRect& area, const QColor& background) {
    Ink ink{background};
    int best = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = PixelAt(image, x, y);
            const int distance = std::abs(c.red() - background.red()) + std::abs(c.green() - background.green()) +
                                 std::abs(c.blue() - background.blue());
            if (distance > best) best = distance, ink.strongest = c;
            if (Lightness(c) < Lightness(background) - 8) ink.darker_than_background = true;
        }
    return ink;
}

TEST(WindowPictures, CalibrationWindowFollowsADarkTheme) {
    const QPalette light = QApplication::palette();
    struct RestorePalette {
        QPalette palette;
        ~RestorePalette() { QApplication::setPalette(palette); }
    } restore{light};

    app::TForm1 form;
    app::SetMainForm(&form);
    ShowRidingOnP2(form, 25.3L);
    QApplication::setPalette(DarkPalette());
    QApplication::processEvents();  // the widgets hear of it from the loop
    const QImage image = gui_test::Render(&form);
    app::SetMainForm(nullptr);
    // Not one of the README's pictures: kept where the tests run.
    EXPECT_TRUE(image.save(QDir::currentPath() + "/calibration-window-dark.png"));

    const QColor face(53, 53, 53);
    const QColor window_text(235, 235, 235);
    EXPECT_EQ(PixelAt(image, 2, 2), face);
    EXPECT_EQ(PixelAt(image, 150, 110), face);
    // Every text of the window in the window-text colour on the face.
    const std::pair<const char*, QWidget*> texts[] = {
        {"Label1", form.Label1}, {"Label2", form.Label2}, {"CheckBox1", form.CheckBox1}};
    for (const auto& [name, widget] : texts) {
        QRect area = widget->geometry();
        if (widget == form.CheckBox1) area.setLeft(area.left() + 18);  // the text, not the box
        const Ink ink = InkIn(image, area, face);
        EXPECT_FALSE(ink.darker_than_background) << name << ": dark ink on the dark face";
        EXPECT_LE(std::abs(ink.strongest.red() - window_text.red()), 24) << name << " " << ink.strongest.name().toStdString();
        EXPECT_LE(std::abs(ink.strongest.blue() - window_text.blue()), 24) << name << " " << ink.strongest.name().toStdString();
    }
    // The colours that the window gives itself stay: the white scale, the
    // cyan zone, the lime arrow and the black outlines.
    EXPECT_EQ(PixelAt(image, 60, 90), QColor(255, 255, 255));
    EXPECT_EQ(PixelAt(image, 155, 90), QColor(0, 255, 255));
    EXPECT_EQ(PixelAt(image, 8, 80), QColor(0, 0, 0));
    const QPoint tip = form.Indicatore->pos() + form.Indicatore->TipPixel();
    EXPECT_EQ(PixelAt(image, tip.x(), tip.y() - 10), QColor(0, 255, 0));
}

TEST(WindowPictures, ProgressDialogSearching) {
    app::ShowProgressDialog(-1, 3, "Reading the com ports...");
    app::StepProgressDialog(3, 2, "Opening port ttyUSB0");
    const QImage image = gui_test::Render(app::ProgressDlgForm);
    app::CloseProgressDialog();

    ASSERT_EQ(image.size(), QSize(461, 69));
    // Two thirds of the bar (inside its one-pixel frame) in the bar colour.
    const QPoint bar(10, 30);
    EXPECT_EQ(PixelAt(image, bar.x() + 5, bar.y() + 8), QColor(16, 88, 200));
    EXPECT_NE(PixelAt(image, bar.x() + 330, bar.y() + 8), QColor(16, 88, 200));
    EXPECT_TRUE(image.save(PictureDir() + "/progress-dialog.png"));
}

TEST(WindowPictures, ProgressDialogThatCanBeCancelled) {
    app::ShowProgressDialog(0, 10, "Progression:");
    app::StepProgressDialog(10, 4, "Progression: 4 / 10");
    const QImage image = gui_test::Render(app::ProgressDlgForm);
    const QRect button = app::ProgressDlgForm->BtCancel->geometry();
    app::CloseProgressDialog();

    // The red cross shows on the button.
    bool red = false;
    for (int y = button.top(); y <= button.bottom(); ++y)
        for (int x = button.left(); x <= button.right(); ++x) {
            const QColor c = PixelAt(image, x, y);
            red = red || (c.red() > 150 && c.green() < 80 && c.blue() < 80);
        }
    EXPECT_TRUE(red);
    EXPECT_TRUE(image.save(PictureDir() + "/progress-dialog-cancel.png"));
}

}  // namespace
