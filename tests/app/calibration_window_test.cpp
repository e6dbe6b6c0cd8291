// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/window/calibration_window.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "gui_test_support.h"
#include "platform/error_reporting.h"
#include "platform/exceptions.h"
#include "platform/format.h"

using app::TForm1;
using gui_test::PixelAt;
using gui_test::Render;

namespace {

class CalibrationWindow : public testing::Test {
protected:
    void SetUp() override {
        app::SetMainForm(&form);
        form.TargetSpeeds = {20, 30, 40};
        form.ResistanceLevels = {100, 60, 5};
        // No survey timer: these tests drive the handlers themselves.
        form.qdv->SetConnectionSurvey(false);
        // Speeds print with a point whatever the user's locale; a test of
        // the comma sets it itself.
        platform::SetDecimalSeparator('.');
    }
    void TearDown() override { platform::SetDecimalSeparator(0); }

    void Connect() { form.qdv->SetConnected(true); }
    // The trainer reports a statistics step at this speed.
    void Stats(long double speed) {
        form.qdv->Speed = speed;
        ASSERT_TRUE(form.qdv->OnStats);
        form.qdv->OnStats(form.qdv.get(), 1000, 10, 10, 50, speed, true);
    }
    void Key(device::TConsoleKey key) {
        ASSERT_TRUE(form.qdv->OnConsoleKeyDown);
        form.qdv->OnConsoleKeyDown(form.qdv.get(), key);
    }
    std::string Text(QLabel* label) { return label->text().toStdString(); }
    // Right edge as the layout keeps it (left + width).
    static int RightEdge(QWidget* w) { return w->x() + w->width(); }

    TForm1 form;
};

TEST_F(CalibrationWindow, HasItsCaptionSizeAndControlsInPlace) {
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Calibration tool"));
    EXPECT_EQ(form.size(), QSize(319, 122));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());  // not resizable
    EXPECT_FALSE(form.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(form.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));

    struct Place {
        const char* name;
        QRect rect;
    };
    const Place places[] = {
        {"Zona", QRect(8, 80, 300, 17)},      {"ZonaObbiettivo", QRect(136, 80, 20, 17)},
        {"Indicatore", QRect(88, 43, 50, 45)}, {"Btn_P1", QRect(16, 16, 75, 25)},
        {"Btn_P2", QRect(120, 16, 75, 25)},    {"Btn_P3", QRect(224, 16, 75, 25)},
        {"CheckBox1", QRect(264, 104, 49, 17)}, {"Label2", QRect(309, 56, 3, 13)},
    };
    for (const Place& p : places) {
        auto* w = form.findChild<QWidget*>(QString::fromUtf8(p.name));
        ASSERT_NE(w, nullptr) << p.name;
        EXPECT_EQ(w->geometry(), p.rect) << p.name;
    }
    // Label1's size follows its text from its left edge.
    EXPECT_EQ(form.Label1->pos(), QPoint(8, 56));
    EXPECT_EQ(form.Label1->height(), 13);
    EXPECT_EQ(form.Label1->width(), form.Label1->fontMetrics().horizontalAdvance("Speed:"));

    EXPECT_EQ(Text(form.Label1), "Speed:");
    EXPECT_EQ(Text(form.Label2), "");
    EXPECT_TRUE(form.Label2->alignment().testFlag(Qt::AlignRight));
    EXPECT_EQ(form.Btn_P1->text(), QStringLiteral("P1"));
    EXPECT_EQ(form.Btn_P2->text(), QStringLiteral("P2"));
    EXPECT_EQ(form.Btn_P3->text(), QStringLiteral("P3"));
    EXPECT_EQ(form.CheckBox1->text(), QStringLiteral("mph"));
    EXPECT_FALSE(form.CheckBox1->isChecked());
    EXPECT_TRUE(form.ZonaObbiettivo->isHidden());
    EXPECT_EQ(form.Zona->BrushColor(), QColor(Qt::white));
    EXPECT_EQ(form.ZonaObbiettivo->BrushColor(), QColor(0, 255, 255));
    EXPECT_TRUE(form.Indicatore->Lit());
    EXPECT_EQ(form.Indicatore->LowColor(), QColor(0, 128, 0));
    EXPECT_EQ(form.Indicatore->HighColor(), QColor(0, 255, 0));
    // The zone is drawn over the scale, the arrow over both.
    const QObjectList& z = form.children();
    EXPECT_LT(z.indexOf(form.Zona), z.indexOf(form.ZonaObbiettivo));
    EXPECT_LT(z.indexOf(form.ZonaObbiettivo), z.indexOf(form.Indicatore));
    // Tab order P1, P2, P3, mph.
    EXPECT_EQ(form.Btn_P1->nextInFocusChain(), form.Btn_P2);
    EXPECT_EQ(form.Btn_P2->nextInFocusChain(), form.Btn_P3);
    EXPECT_EQ(form.Btn_P3->nextInFocusChain(), form.CheckBox1);

    EXPECT_EQ(form.CurrentPoint, 0);
    EXPECT_EQ(form.TargetSpeed, 0.0);
}

TEST_F(CalibrationWindow, StoredTrainerValuesAreAppliedAndItsEventsBound) {
    device::TQuarixDevice& d = *form.qdv;
    EXPECT_EQ(d.Version(), 4.0);
    EXPECT_FALSE(d.VirtualSpeedEnabled());
    EXPECT_EQ(d.PrecisionDistance(), 8);
    EXPECT_EQ(d.PrecisionSpeed(), 8);
    EXPECT_EQ(d.NumberOfRoundPerRollEvent(), 1.0L);
    EXPECT_EQ(d.RollDiameter(), 39.5L);
    EXPECT_EQ(d.TimerStatsThreadPriority(), timers::tpNormal);
    EXPECT_FALSE(d.ComPortConnected());
    EXPECT_EQ(d.ComPortBaudRate(), serial::br9600);
    EXPECT_EQ(d.ComPortPort(), "COM1");
    EXPECT_EQ(d.ComPortParity()->Bits(), serial::prEven);
    EXPECT_EQ(d.ComPortStopBits(), serial::sbOneStopBit);
    EXPECT_EQ(d.ComPortDataBits(), serial::dbEight);
    EXPECT_EQ(d.ComPortEvents(), (serial::TComEvents{serial::evRxChar, serial::evTxEmpty, serial::evBreak,
                                                     serial::evError, serial::evRx80Full}));
    EXPECT_EQ(d.ComPortFlowControl()->ControlDTR(), serial::dtrDisable);
    EXPECT_EQ(d.ComPortFlowControl()->ControlRTS(), serial::rtsDisable);
    EXPECT_FALSE(d.ComPortFlowControl()->XonXoffIn());
    EXPECT_EQ(d.ComPortSyncMethod(), serial::smThreadSync);
    EXPECT_EQ(d.ComDataPacketStartString(), std::string(1, '\xF0'));
    EXPECT_EQ(d.ComDataPacketStopString(), std::string(1, '\xF7'));
    EXPECT_EQ(d.ComDataPacketMaxBufferSize(), 4096);
    EXPECT_EQ(d.CadenceCalcDelay(), 5000);
    EXPECT_TRUE(d.MaintainsConsoleActive());
    EXPECT_EQ(d.HrDelayBeforeReset(), 3000);
    EXPECT_EQ(d.KeyRepeatInterval(), 500u);
    EXPECT_FALSE(d.HeartConnectionSurvey());
    EXPECT_FALSE(d.HeartEnabled());
    EXPECT_EQ(d.ConnectionSurveyInterval(), 400);
    EXPECT_EQ(d.DisconMaxTry(), 30);
    EXPECT_EQ(d.ComponentVersion(), 3.33);
    EXPECT_EQ(d.Tolerance(), 2.0);
    EXPECT_EQ(d.InitialResistance(), 0);
    EXPECT_TRUE(d.Enabled());
    EXPECT_EQ(d.HighPowerReduceStartSpeed(), 7.0);
    EXPECT_EQ(d.HighPowerReduceCoefficientMinimum(), 0.25);
    EXPECT_FALSE(d.IsLoading());
    EXPECT_TRUE(d.OnStats && d.OnConnected && d.OnConnectionLost && d.OnConsoleKeyDown);
}

TEST_F(CalibrationWindow, ZonePlacementRoundsHalvesToEven) {
    struct Case {
        double speed;
        int left;
    };
    // left = round((speed - 1) * 5) + 8
    const Case cases[] = {{20, 103}, {0, 3}, {30, 153}, {60, 303}, {1.5, 10}, {2.5, 16}};
    for (const Case& c : cases) {
        form.MuoviZonaObbiettivo(c.speed, 2.0);
        EXPECT_EQ(form.ZonaObbiettivo->x(), c.left) << c.speed;
        EXPECT_EQ(form.ZonaObbiettivo->width(), 10) << c.speed;
        EXPECT_EQ(form.ZonaObbiettivo->y(), 80);
        EXPECT_EQ(form.ZonaObbiettivo->height(), 17);
    }
}

TEST_F(CalibrationWindow, ArrowBoxFollowsTheSpeedUnclipped) {
    struct Case {
        double speed;
        int left;
    };
    // left = round(speed * 5) + 8 - 25
    const Case cases[] = {{0, -17}, {60, 283}, {70, 333}, {0.5, -15}, {1.5, -9}, {19.6, 81}};
    for (const Case& c : cases) {
        form.MuoviIndicatore(c.speed);
        EXPECT_EQ(form.Indicatore->x(), c.left) << c.speed;
        EXPECT_EQ(form.Indicatore->y(), 43);
    }
}

// The tip is the last arrow pixel before the bar: at 60 km/h over the bar's
// last column, at 0 km/h next to its left edge.
TEST_F(CalibrationWindow, ArrowTipStandsOverTheSpeedJustAboveTheBar) {
    const QPoint tip = form.Indicatore->TipPixel();
    EXPECT_EQ(tip, QPoint(24, 36));
    const QImage glyph = Render(form.Indicatore);
    const QColor black(0, 0, 0);
    EXPECT_EQ(PixelAt(glyph, tip.x(), tip.y()), black);
    // Nothing of the arrow below the tip's row or beside the tip.
    const QColor background = PixelAt(glyph, 1, 1);
    EXPECT_EQ(PixelAt(glyph, tip.x(), tip.y() + 1), background);
    EXPECT_EQ(PixelAt(glyph, tip.x() - 1, tip.y()), background);
    EXPECT_EQ(PixelAt(glyph, tip.x() + 1, tip.y()), background);
    // The glyph spans 27 x 28 pixels from (11, 9) and is lime inside.
    EXPECT_EQ(PixelAt(glyph, 11, 9 + 14), black);
    EXPECT_EQ(PixelAt(glyph, 11 + 26, 9 + 14), black);
    EXPECT_EQ(PixelAt(glyph, 10, 9 + 14), background);
    EXPECT_EQ(PixelAt(glyph, 11 + 27, 9 + 14), background);
    EXPECT_EQ(PixelAt(glyph, 24, 9), black);
    EXPECT_EQ(PixelAt(glyph, 24, 8), background);
    EXPECT_EQ(PixelAt(glyph, 24, 20), QColor(0, 255, 0));
    form.Indicatore->SetLit(false);
    EXPECT_EQ(PixelAt(Render(form.Indicatore), 24, 20), QColor(0, 128, 0));

    form.MuoviIndicatore(60);
    const QPoint tip_in_window = form.Indicatore->pos() + tip;
    EXPECT_EQ(tip_in_window, QPoint(form.Zona->x() + form.Zona->width() - 1, form.Zona->y() - 1));
    const QImage window = Render(&form);
    EXPECT_EQ(PixelAt(window, tip_in_window.x(), tip_in_window.y()), black);
}

TEST_F(CalibrationWindow, ChoosingAPointShowsTheZoneAndSendsTheResistance) {
    Connect();
    form.qdv->Speed = 25;  // a turning roller: the level is taken as it is
    form.Btn_P2->click();
    EXPECT_FALSE(form.ZonaObbiettivo->isHidden());
    EXPECT_EQ(form.ZonaObbiettivo->geometry(), QRect(153, 80, 10, 17));
    EXPECT_EQ(Text(form.Label2), "Target speed: 30.0 km/h");
    EXPECT_EQ(RightEdge(form.Label2), 312);
    EXPECT_EQ(form.Label2->width(), form.Label2->fontMetrics().horizontalAdvance(form.Label2->text()));
    EXPECT_EQ(form.TargetSpeed, 30.0);
    EXPECT_EQ(form.qdv->QuarixResistance(), 60);
    EXPECT_EQ(form.CurrentPoint, 1);

    form.Btn_P1->click();
    EXPECT_EQ(form.ZonaObbiettivo->x(), 103);
    EXPECT_EQ(form.qdv->QuarixResistance(), 100);
    EXPECT_EQ(form.CurrentPoint, 0);
    EXPECT_EQ(RightEdge(form.Label2), 312);

    // At a standstill the trainer holds level 0 whatever the point asks.
    form.qdv->Speed = 0;
    form.Btn_P3->click();
    EXPECT_EQ(form.CurrentPoint, 2);
    EXPECT_EQ(form.qdv->QuarixResistance(), 0);
}

TEST_F(CalibrationWindow, SpeedLabelIsBoldStrictlyWithinHalfAKmhOfTheTarget) {
    Connect();
    struct Case {
        long double speed;
        bool bold;
    };
    // Before any point the target is 0: a trainer at rest shows bold.
    for (const Case& c : {Case{0, true}, Case{0.4L, true}, Case{0.5L, false}}) {
        Stats(c.speed);
        EXPECT_EQ(form.Label1->font().bold(), c.bold) << double(c.speed);
    }
    form.qdv->Speed = 25;
    form.Btn_P1->click();  // target 20
    for (const Case& c : {Case{19.6L, true}, Case{19.5L, false}, Case{20.4L, true}, Case{20.5L, false},
                          Case{20, true}, Case{35, false}}) {
        Stats(c.speed);
        EXPECT_EQ(form.Label1->font().bold(), c.bold) << double(c.speed);
        EXPECT_EQ(form.Label1->x(), 8);
        EXPECT_EQ(form.Label1->width(), form.Label1->fontMetrics().horizontalAdvance(form.Label1->text()));
    }
}

TEST_F(CalibrationWindow, StatisticsPrintTheSpeedAndMoveTheArrow) {
    Connect();
    Stats(19.6L);
    EXPECT_EQ(Text(form.Label1), "Speed: 19.6 km/h");
    EXPECT_EQ(form.Indicatore->x(), 81);
    platform::SetDecimalSeparator(',');
    Stats(32.18L);
    EXPECT_EQ(Text(form.Label1), "Speed: 32,2 km/h");
    EXPECT_EQ(form.Indicatore->x(), 144);  // round(160.9) + 8 - 25
}

TEST_F(CalibrationWindow, MphTakesEffectAtTheNextEventOnly) {
    Connect();
    form.qdv->Speed = 25;
    form.Btn_P1->click();
    Stats(32.18L);
    EXPECT_EQ(Text(form.Label1), "Speed: 32.2 km/h");
    form.CheckBox1->setChecked(true);  // nothing changes at once
    EXPECT_EQ(Text(form.Label1), "Speed: 32.2 km/h");
    EXPECT_EQ(Text(form.Label2), "Target speed: 20.0 km/h");
    Stats(32.18L);
    EXPECT_EQ(Text(form.Label1), "Speed: 20.0 mph");
    EXPECT_EQ(Text(form.Label2), "Target speed: 20.0 km/h");
    form.Btn_P3->click();
    EXPECT_EQ(Text(form.Label2), "Target speed: 24.9 mph");  // 40 / 1.609
    EXPECT_EQ(RightEdge(form.Label2), 312);
    // Bold compares km/h whatever is shown: 40.3 km/h is within 0.5 of 40.
    Stats(40.3L);
    EXPECT_EQ(Text(form.Label1), "Speed: 25.0 mph");
    EXPECT_TRUE(form.Label1->font().bold());
    // The arrow still stands on the km/h scale.
    EXPECT_EQ(form.Indicatore->x(), 185);  // round(201.5) + 8 - 25 = 202 - 17
}

TEST_F(CalibrationWindow, StatisticsWhileDisconnectedLeaveTheDisplayAlone) {
    Connect();
    Stats(21);
    const QString label = form.Label1->text();
    const QPoint arrow = form.Indicatore->pos();
    const bool bold = form.Label1->font().bold();
    form.qdv->SetConnected(false);
    Stats(45);
    EXPECT_EQ(form.Label1->text(), label);
    EXPECT_EQ(form.Indicatore->pos(), arrow);
    EXPECT_EQ(form.Label1->font().bold(), bold);
}

TEST_F(CalibrationWindow, ConsoleKeysStepThroughThePointsWithWrap) {
    Connect();
    form.qdv->Speed = 25;
    struct Case {
        std::vector<device::TConsoleKey> keys;
        std::vector<int> points;  // CurrentPoint after each key
    };
    const Case cases[] = {
        {{device::ckKey0}, {1}},  // the first "next" selects P2: P1 was never applied
        {{device::ckKey1}, {2}},  // the first "previous" selects P3
        {{device::ckKey2}, {0}},  // any other key applies the current point
        {{device::ckKey3}, {0}},
        {{device::ckKey0, device::ckKey0, device::ckKey0, device::ckKey0}, {1, 2, 0, 1}},
        {{device::ckKey1, device::ckKey1, device::ckKey1}, {2, 1, 0}},
        {{device::ckKey2, device::ckKey1}, {0, 2}},
    };
    const int32_t levels[] = {100, 60, 5};
    QPushButton* buttons[] = {form.Btn_P1, form.Btn_P2, form.Btn_P3};
    for (const Case& c : cases) {
        form.CurrentPoint = 0;
        for (size_t i = 0; i < c.keys.size(); ++i) {
            form.qdv->SetQuarixResistance(77);
            Key(c.keys[i]);
            const int point = c.points[i];
            EXPECT_EQ(form.CurrentPoint, point) << "key " << int(c.keys[i]) << " step " << i;
            // The point's button got the focus and its click was applied.
            EXPECT_EQ(form.focusWidget(), buttons[point]);
            EXPECT_EQ(form.qdv->QuarixResistance(), levels[point]);
            EXPECT_EQ(form.TargetSpeed, form.TargetSpeeds[point]);
        }
    }
}

TEST_F(CalibrationWindow, CaptionFollowsTheConnection) {
    Connect();  // raises OnConnected
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Calibration tool - Connected"));
    form.qdv->OnConnectionLost(form.qdv.get());
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Disconnected"));
    form.qdv->SetConnected(false);
    form.qdv->SetConnected(true);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Calibration tool - Connected"));
}

TEST_F(CalibrationWindow, CaptionHandlersWriteThroughTheApplicationsMainWindow) {
    TForm1 other;
    other.qdv->SetConnectionSurvey(false);
    other.qdvConnected(other.qdv.get());  // `form` is the main window
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Calibration tool - Connected"));
    EXPECT_EQ(other.windowTitle(), QStringLiteral("Calibration tool"));
}

// A trainer whose brake command fails on the line.
class FailingDevice : public device::TQuarixDevice {
public:
    void SetQuarixResistance(int32_t) override { throw platform::Exception("Write error"); }
};

TEST_F(CalibrationWindow, AnErrorInAClickIsReportedAndTheWindowCarriesOn) {
    form.qdv = std::make_unique<FailingDevice>();
    std::vector<std::string> reported;
    platform::SetErrorReporter([&](const std::string& m) { reported.push_back(m); });
    form.Btn_P3->click();
    form.Btn_P3->click();
    platform::SetErrorReporter({});
    EXPECT_EQ(reported, (std::vector<std::string>{"Write error", "Write error"}));
    EXPECT_EQ(form.TargetSpeed, 40.0);  // the steps before the command were done
}

TEST(CalibrationWindowLifetime, DestroyStopsTheRideAndDisconnects) {
    auto form = std::make_unique<TForm1>();
    device::TQuarixDevice* d = form->qdv.get();
    d->SetConnectionSurvey(false);
    d->SetConnected(true);
    std::vector<std::string> events;
    d->OnAfterStop = [&](platform::TObject*) { events.push_back("stop"); };
    d->OnDisconnected = [&](platform::TObject*) { events.push_back("disconnected"); };
    d->Start();
    ASSERT_EQ(d->Status(), device::qsRunning);
    form.reset();
    // The window stops the ride, then disconnects (the component's own
    // destruction stops again but raises no disconnection).
    const auto disconnected = std::find(events.begin(), events.end(), "disconnected");
    ASSERT_NE(disconnected, events.end());
    EXPECT_EQ(events.front(), "stop");
    EXPECT_NE(disconnected, events.begin());
}

}  // namespace
