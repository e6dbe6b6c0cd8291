// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/window/calibration_window.h"

#include <QApplication>
#include <QCoreApplication>
#include <QPainter>
#include <QScreen>
#include <cmath>

#include "app/controls/form_font.h"
#include "app/startup/start_up.h"
#include "platform/error_reporting.h"
#include "platform/format.h"
#include "platform/rounding.h"

namespace app {

namespace {
TForm1* main_form = nullptr;

constexpr int kLabelHeight = 13;
constexpr int kLabel2RightEdge = 312;
}  // namespace

TForm1* MainForm() { return main_form; }
void SetMainForm(TForm1* form) { main_form = form; }

TForm1::TForm1(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      qdv(std::make_unique<device::TQuarixDevice>()) {
    setObjectName(QStringLiteral("Form1"));
    qdv->SetName("qdv");
    setWindowTitle(QCoreApplication::translate("TForm1", kCaption));
    setFont(FormFont());
    // No colour of the palette is fixed here: the texts draw in its
    // window-text colour and paintEvent fills the button face, both read at
    // paint time, so a desktop theme (light, dark, changed while running)
    // always gives a readable pair.
    setFixedSize(kClientWidth, kClientHeight);

    // Created bottom to top: the zone over the scale, the arrow over both,
    // the buttons and the check box above everything.
    Zona = new TShape(this);
    Zona->setObjectName(QStringLiteral("Zona"));
    Zona->setGeometry(8, 80, 300, 17);
    Zona->SetBrushColor(Qt::white);
    Zona->SetPenColor(Qt::black);

    ZonaObbiettivo = new TShape(this);
    ZonaObbiettivo->setObjectName(QStringLiteral("ZonaObbiettivo"));
    ZonaObbiettivo->setGeometry(136, 80, 20, 17);
    ZonaObbiettivo->SetBrushColor(QColor(0, 255, 255));
    ZonaObbiettivo->SetPenColor(Qt::black);
    ZonaObbiettivo->setVisible(false);

    Label1 = new QLabel(QCoreApplication::translate("TForm1", "Speed:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(8, 56);
    FitLabel1();

    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setAlignment(Qt::AlignRight | Qt::AlignTop);
    Label2->setGeometry(309, 56, 3, kLabelHeight);

    Indicatore = new TArrowIndicator(this);
    Indicatore->setObjectName(QStringLiteral("Indicatore"));
    Indicatore->setGeometry(88, 43, 50, 45);
    Indicatore->SetLit(true);
    Indicatore->SetLowColor(QColor(0, 128, 0));
    Indicatore->SetHighColor(QColor(0, 255, 0));

    auto make_button = [this](const char* name, const char* caption, int left, void (TForm1::*handler)()) {
        auto* button = new QPushButton(QString::fromUtf8(caption), this);
        button->setObjectName(QString::fromUtf8(name));
        button->setGeometry(left, 16, 75, 25);
        // An error must not unwind through Qt: it goes to the central reporting.
        connect(button, &QPushButton::clicked, this, [this, handler] {
            try {
                (this->*handler)();
            } catch (...) {
                platform::HandleCurrentException();
            }
        });
        return button;
    };
    Btn_P1 = make_button("Btn_P1", "P1", 16, &TForm1::Btn_P1Click);
    Btn_P2 = make_button("Btn_P2", "P2", 120, &TForm1::Btn_P2Click);
    Btn_P3 = make_button("Btn_P3", "P3", 224, &TForm1::Btn_P3Click);

    CheckBox1 = new QCheckBox(QCoreApplication::translate("TForm1", "mph"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setGeometry(264, 104, 49, 17);
    CheckBox1->setChecked(false);

    setTabOrder(Btn_P1, Btn_P2);
    setTabOrder(Btn_P2, Btn_P3);
    setTabOrder(Btn_P3, CheckBox1);

    ApplyStoredDeviceValues();
}

TForm1::~TForm1() {
    try {
        FormDestroy();
    } catch (...) {
        platform::HandleCurrentException();
    }
    if (MainForm() == this) SetMainForm(nullptr);
}

// The values the window stores for its trainer component, applied in their
// stored order while the component counts as loading, as a stored form does.
void TForm1::ApplyStoredDeviceValues() {
    device::TQuarixDevice& d = *qdv;
    d.BeginLoading();
    d.SetVersion(4);
    d.SetVirtualSpeedEnabled(false);
    d.SetPrecisionDistance(8);
    d.SetNumberOfRoundPerRollEvent(1);
    d.SetRollDiameter(39.5L);
    d.OnConsoleKeyDown = [this](platform::TObject* sender, device::TConsoleKey key) { qdvConsoleKeyDown(sender, key); };
    d.OnConnected = [this](platform::TObject* sender) { qdvConnected(sender); };
    d.SetTimerStatsThreadPriority(timers::tpNormal);
    d.OnStats = [this](platform::TObject* sender, int32_t lap_time, int32_t lap_event_count,
                       long double lap_roll_count, long double lap_distance, long double old_speed,
                       bool speed_changed) {
        qdvStats(sender, lap_time, lap_event_count, lap_roll_count, lap_distance, old_speed, speed_changed);
    };
    d.SetComPortTag(0);
    d.SetComPortConnected(false);
    d.SetComPortBaudRate(serial::br9600);
    d.SetComPortPort("COM1");
    d.ComPortParity()->SetBits(serial::prEven);
    d.SetComPortStopBits(serial::sbOneStopBit);
    d.SetComPortDataBits(serial::dbEight);
    d.SetComPortDiscardNull(false);
    d.SetComPortEventChar(0);
    d.SetComPortEvents(serial::TComEvents{serial::evRxChar, serial::evTxEmpty, serial::evBreak, serial::evError,
                                          serial::evRx80Full});
    serial::TComFlowControl& flow = *d.ComPortFlowControl();
    flow.SetOutCTSFlow(false);
    flow.SetOutDSRFlow(false);
    flow.SetControlDTR(serial::dtrDisable);
    flow.SetControlRTS(serial::rtsDisable);
    flow.SetXonXoffOut(false);
    flow.SetXonXoffIn(false);
    d.SetComPortSyncMethod(serial::smThreadSync);
    d.SetPrecisionSpeed(8);
    d.SetComDataPacketCaseInsensitive(true);
    d.SetComDataPacketIncludeStrings(true);
    d.SetComDataPacketMaxBufferSize(4096);
    d.SetComDataPacketStartString(std::string(1, '\xF0'));
    d.SetComDataPacketStopString(std::string(1, '\xF7'));
    d.SetComDataPacketSize(6);
    d.OnConnectionLost = [this](platform::TObject* sender) { qdvConnectionLost(sender); };
    d.SetCadenceCalcDelay(5000);
    d.SetMaintainsConsoleActive(true);
    d.SetHrDelayBeforeReset(3000);
    d.SetCalibration(1);
    d.SetResistanceMapAdapter(1);
    d.SetUnitMeasureDefault(device::umKm);
    d.SetKeyRepeatInterval(500);
    d.SetHeartConnectionSurvey(false);
    d.SetHeartEnabled(false);
    d.SetConnectionSurveyInterval(400);
    d.SetDisconMaxTry(30);
    d.SetComponentVersion(3.33);
    d.SetTolerance(2);
    d.SetVirtualSpeedAttenuation(0.5);
    d.SetHrFilter2Active(false);
    d.SetInitialResistance(0);
    d.SetResistanceReducer(1);
    d.SetEnabled(true);
    d.SetHighPowerReduceStartSpeed(7);
    d.SetHighPowerReduceCoefficientMinimum(0.25);
    d.EndLoading();
}

void TForm1::DoCreate() {
    try {
        FormCreate();
    } catch (...) {
        platform::HandleCurrentException();
    }
}

void TForm1::FormCreate() { RunStartUp(*this); }

void TForm1::FormDestroy() {
    qdv->Stop();
    qdv->Disconnect();
}

void TForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (centred_ || parentWidget() != nullptr) return;
    centred_ = true;
    if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
}

void TForm1::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Button));
}

QPushButton* TForm1::PointButton(int32_t index) const {
    switch (index) {
    case 0:
        return Btn_P1;
    case 1:
        return Btn_P2;
    case 2:
        return Btn_P3;
    default:
        return nullptr;
    }
}

void TForm1::FitLabel1() {
    const int width = Label1->fontMetrics().horizontalAdvance(Label1->text());
    Label1->resize(width, kLabelHeight);
}

void TForm1::FitLabel2() {
    const int width = Label2->fontMetrics().horizontalAdvance(Label2->text());
    Label2->setGeometry(kLabel2RightEdge - width, Label2->y(), width, kLabelHeight);
}

void TForm1::Btn_P1Click() { ChoosePoint(1); }
void TForm1::Btn_P2Click() { ChoosePoint(2); }
void TForm1::Btn_P3Click() { ChoosePoint(3); }

void TForm1::ChoosePoint(int n) {
    const double target = TargetSpeeds[n - 1];
    ZonaObbiettivo->setVisible(true);
    MuoviZonaObbiettivo(target, 2.0);
    // The number keeps the locale's decimal separator; the words are the language's.
    const QString text = CheckBox1->isChecked()
                             ? QCoreApplication::translate("TForm1", "Target speed: %1 mph")
                                   .arg(QString::fromStdString(platform::FormatFixed(target / kKmPerMile, 1)))
                             : QCoreApplication::translate("TForm1", "Target speed: %1 km/h")
                                   .arg(QString::fromStdString(platform::FormatFixed(target, 1)));
    Label2->setText(text);
    FitLabel2();
    TargetSpeed = target;
    qdv->SetQuarixResistance(ResistanceLevels[n - 1]);
    CurrentPoint = n - 1;
}

void TForm1::MuoviZonaObbiettivo(double speed, double width) {
    const int left = static_cast<int>(platform::Round((speed - width / 2) * kPixelsPerKmh)) + Zona->x();
    const int pixels = static_cast<int>(platform::Round(width * kPixelsPerKmh));
    ZonaObbiettivo->setGeometry(left, ZonaObbiettivo->y(), pixels, ZonaObbiettivo->height());
}

void TForm1::MuoviIndicatore(double speed) {
    const int half_box = 25;
    Indicatore->move(static_cast<int>(platform::Round(speed * kPixelsPerKmh)) + Zona->x() - half_box, Indicatore->y());
}

void TForm1::qdvStats(platform::TObject*, int32_t, int32_t, long double, long double, long double, bool) {
    if (!qdv->Connected()) return;
    const long double speed = qdv->Speed;
    MuoviIndicatore(static_cast<double>(speed));
    const QString text = CheckBox1->isChecked()
                             ? QCoreApplication::translate("TForm1", "Speed: %1 mph")
                                   .arg(QString::fromStdString(platform::FormatFixed(speed / kKmPerMile, 1)))
                             : QCoreApplication::translate("TForm1", "Speed: %1 km/h")
                                   .arg(QString::fromStdString(platform::FormatFixed(speed, 1)));
    Label1->setText(text);
    QFont font = Label1->font();
    font.setBold(std::fabs(speed - static_cast<long double>(TargetSpeed)) < 0.5L);
    Label1->setFont(font);
    FitLabel1();
}

void TForm1::qdvConnected(platform::TObject*) {
    TForm1* target = MainForm() ? MainForm() : this;
    target->setWindowTitle(QCoreApplication::translate("TForm1", kConnectedCaption));
}

void TForm1::qdvConnectionLost(platform::TObject*) {
    TForm1* target = MainForm() ? MainForm() : this;
    target->setWindowTitle(QCoreApplication::translate("TForm1", kDisconnectedCaption));
    QApplication::beep();
}

void TForm1::qdvConsoleKeyDown(platform::TObject*, device::TConsoleKey key) {
    if (key == device::ckKey0) {
        CurrentPoint = (CurrentPoint + 1) % 3;
    } else if (key == device::ckKey1) {
        CurrentPoint = CurrentPoint - 1;
        if (CurrentPoint == -1) CurrentPoint = 2;
    }
    QPushButton* button = PointButton(CurrentPoint);
    if (button == nullptr) return;
    button->setFocus();
    button->click();
}

}  // namespace app
