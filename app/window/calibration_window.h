// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TForm1: the calibration window. Three buttons choose a calibration point
// (its resistance goes to the trainer, its target speed shows as a zone on the
// speed scale); every statistics event moves the arrow to the current speed
// and prints it, in bold while the rider holds the target.
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "app/window/indicator_arrow.h"
#include "app/window/rectangle_shape.h"
#include "device/quarix_device.h"

namespace app {

class TForm1 : public QWidget {
    Q_OBJECT

public:
    static constexpr int kClientWidth = 319;
    static constexpr int kClientHeight = 122;
    // Source texts of the captions (translated in the context "TForm1").
    static constexpr const char* kCaption = QT_TRANSLATE_NOOP("TForm1", "Calibration tool");
    static constexpr const char* kConnectedCaption = QT_TRANSLATE_NOOP("TForm1", "Calibration tool - Connected");
    static constexpr const char* kDisconnectedCaption = QT_TRANSLATE_NOOP("TForm1", "Disconnected");
    // Scale: pixels per km/h.
    static constexpr int kPixelsPerKmh = 5;
    // km per mile, as the speed texts convert.
    static constexpr long double kKmPerMile = 1.609L;

    // Builds the controls and the trainer component with its stored values.
    // Start-up (FormCreate) is not run here: see DoCreate.
    explicit TForm1(QWidget* parent = nullptr);
    // Runs FormDestroy (errors go to the central reporting).
    ~TForm1() override;

    // The trainer component, owned by the window.
    std::unique_ptr<device::TQuarixDevice> qdv;
    QPushButton* Btn_P1;
    QPushButton* Btn_P2;
    QPushButton* Btn_P3;
    TShape* Zona;
    TShape* ZonaObbiettivo;
    QLabel* Label1;
    QLabel* Label2;
    QCheckBox* CheckBox1;
    TArrowIndicator* Indicatore;
    // Calibration points P1..P3 (index 0..2): target speeds in km/h and
    // resistance levels, filled by start-up.
    std::array<double, 3> TargetSpeeds{};
    std::array<int32_t, 3> ResistanceLevels{};
    // Index of the current point, 0..2.
    int32_t CurrentPoint = 0;
    // Target speed of the point chosen last (km/h); 0 until one is chosen.
    double TargetSpeed = 0;

    // Runs FormCreate as window creation does: an error leaving it goes to
    // the central error reporting and the window opens all the same.
    void DoCreate();
    void FormCreate();
    void FormDestroy();

    void Btn_P1Click();
    void Btn_P2Click();
    void Btn_P3Click();
    void MuoviZonaObbiettivo(double speed, double width);
    void MuoviIndicatore(double speed);

    void qdvStats(platform::TObject* sender, int32_t lap_time, int32_t lap_event_count, long double lap_roll_count,
                  long double lap_distance, long double old_speed, bool speed_changed);
    void qdvConnected(platform::TObject* sender);
    void qdvConnectionLost(platform::TObject* sender);
    void qdvConsoleKeyDown(platform::TObject* sender, device::TConsoleKey key);

    // The button of a point index (0..2).
    QPushButton* PointButton(int32_t index) const;

protected:
    void showEvent(QShowEvent* event) override;
    // The background: the palette's button face.
    void paintEvent(QPaintEvent* event) override;

private:
    void ChoosePoint(int n);
    void ApplyStoredDeviceValues();
    // Labels whose size follows their text: Label1 keeps its left edge,
    // Label2 its right edge.
    void FitLabel1();
    void FitLabel2();

    bool centred_ = false;
};

// The application's reference to its main window (set while the main window
// exists; the caption handlers write through it).
TForm1* MainForm();
void SetMainForm(TForm1* form);

}  // namespace app
