// SPDX-License-Identifier: GPL-3.0-or-later
// Construction, destruction and the property accessors of the trainer device.
#include "device/quarix_device.h"

#include <algorithm>

#include "platform/error_reporting.h"

namespace device {

int32_t TQuarixDevice::PendingFrameLength = 0;
uint32_t TQuarixDevice::LastKeyTick = 0;
bool TQuarixDevice::KeyBusy = false;
bool TQuarixDevice::StatsBusy = false;

namespace {
constexpr int32_t kDefaultStatsInterval = 1000;
constexpr uint32_t kDefaultKeyRepeatInterval = 500;
constexpr int32_t kDefaultHrDelayBeforeReset = 3000;
}  // namespace

TQuarixDevice::TQuarixDevice(TComponent* owner) : TComponent(owner) {
    enabled_ = true;
    component_version_ = 3.33;
    SerialNumber = 0;
    ProductVersion = 0;
    PendingFrameLength = 0;

    key_repeat_timer_ = new timers::TKelvoThreadTimer();
    key_repeat_interval_ = kDefaultKeyRepeatInterval;
    key_repeat_timer_->SetInterval(key_repeat_interval_);
    heart_survey_timer_ = new timers::TKelvoThreadTimer();
    connection_survey_timer_ = new timers::TKelvoThreadTimer();
    // Version is still 0 here, so the short-frame clamp applies.
    SetConnectionSurveyInterval(400);
    hr_filter2_active_ = false;

    port_ = new serial::TComPort();
    framer_ = new serial::TComDataPacket();
    framer_->SetComPort(port_);
    framer_->SetCaseInsensitive(true);
    framer_->SetIncludeStrings(true);
    framer_->SetMaxBufferSize(4096);
    framer_->SetStartString(std::string(1, static_cast<char>(kFrameStart)));
    framer_->SetStopString(std::string(1, static_cast<char>(kFrameStop)));
    framer_->SetSize(kShortFrameLength);

    timer_stats_ = new timers::TKelvoThreadTimer();
    timer_stats_->Reset();
    stats_interval_ = kDefaultStatsInterval;
    timer_stats_->SetInterval(static_cast<uint32_t>(stats_interval_));

    SetNumberOfRoundPerRollEvent(1);
    ResetStats();
    roll_diameter_ = 39.5L;
    version_ = 4;
    UpdateDistancePerRollEvent();

    status_ = qsDisconnected;
    quarix_resistance_ = 0;
    initial_resistance_ = 0;
    quarix_elevation_ = 0;
    resistance_reducer_ = 1;
    SetQuarixResistance(0);
    SetQuarixElevation(0);
    RollBlockLength = 10;
    connected_ = false;
    Speed = MeanSpeed = ShortMeanSpeed = 0;
    VirtualSpeed = PreviousVirtualSpeed = SlopeTerm = RollerPowerTerm = VirtualPowerTerm = 0;
    VirtualDistancePerSecond = 0;
    MaxSpeed = 0;
    MaxCadence = MaxHeartRate = 0;
    virtual_speed_attenuation_ = 0.5;
    tolerance_ = 2;
    timer_stats_->OnTimer = [this](TObject* sender) { StatsTimerTick(sender); };

    port_->SetBaudRate(serial::br9600);
    port_->SetDataBits(serial::dbEight);
    port_->Parity().SetBits(serial::prEven);
    port_->SetStopBits(serial::sbOneStopBit);
    port_->FlowControl().SetOutCTSFlow(false);
    port_->FlowControl().SetOutDSRFlow(false);
    port_->FlowControl().SetControlDTR(serial::dtrDisable);
    port_->FlowControl().SetControlRTS(serial::rtsDisable);
    port_->FlowControl().SetXonXoffOut(false);
    port_->FlowControl().SetXonXoffIn(false);
    port_->SetEvents(serial::TComEvents{serial::evRxChar, serial::evTxEmpty, serial::evError, serial::evRx80Full});
    port_->SetSyncMethod(serial::smThreadSync);
    BindPortNotifications();

    precision_speed_ = 8;
    precision_distance_ = 8;
    unit_measure_ = umKm;
    unit_measure_default_ = umKm;
    rider_weight_ = 0;
    course_distance_ = 0;
    calibration_ = 1;
    hr_delta_variation_limit_ = 200;
    heart_calc_delay_ = 3000;
    alarm_heart_high_limit_ = 160;
    alarm_heart_low_limit_ = 50;
    alarm_heart_absolute_limit_ = 220;
    BindFramerNotifications();

    connection_survey_timer_->OnTimer = [this](TObject* sender) { ConnectionSurveyTick(sender); };
    SetSpeedArrayLength(25);
    SetHeartArrayLength(25);
    SetCadenceArrayLength(10);
    hr_delay_before_reset_ = kDefaultHrDelayBeforeReset;
    heart_survey_timer_->SetInterval(static_cast<uint32_t>(hr_delay_before_reset_));
    heart_survey_timer_->OnTimer = [this](TObject* sender) { HeartSurveyTick(sender); };
    SetHeartConnectionActive(false);

    ConsoleKeysEnabled = true;
    key_repeat_timer_->OnTimer = [this](TObject* sender) { KeyRepeatTick(sender); };
    LastConsoleKey = ckKey0;
    key_message_ = 12345;
    connection_survey_ = true;
    discon_use_close_open_port_ = true;
    discon_delay_between_close_open_port_ = 300;
    discon_max_try_ = 30;
    heart_connection_survey_ = false;
    DisconnectionCount = 0;
    security_active_ = true;
    SetTimerStatsThreadPriority(timers::tpNormal);
    precision_speed_ = 8;
    cadence_calc_delay_ = 5000;
    heart_enabled_ = false;
    ResistanceCoefficient = 1;
    high_power_reduce_enable_ = false;
    high_power_reduce_start_speed_ = 7;
    high_power_reduce_coefficient_minimum_ = 0.25;
    use_elevation_ = false;
    resistance_latency_ = 0;
}

TQuarixDevice::~TQuarixDevice() {
    // Handlers still running from the port or a timer must see the flag, and
    // closing the port below must raise no device event.
    Destroying();
    key_repeat_timer_->SetEnabled(false);
    heart_survey_timer_->SetEnabled(false);
    connection_survey_timer_->SetEnabled(false);
    timer_stats_->SetEnabled(false);

    // Stop detaches and re-attaches the survey tick, so its timer must still exist.
    try {
        Stop();
    } catch (...) {
        platform::HandleCurrentException();
    }

    delete key_repeat_timer_;
    key_repeat_timer_ = nullptr;
    delete heart_survey_timer_;
    heart_survey_timer_ = nullptr;
    delete connection_survey_timer_;
    connection_survey_timer_ = nullptr;

    delete framer_;
    framer_ = nullptr;

    try {
        if (port_->Connected()) port_->Close();
    } catch (...) {
        platform::HandleCurrentException();
    }
    delete port_;
    port_ = nullptr;

    delete timer_stats_;
    timer_stats_ = nullptr;
}

void TQuarixDevice::BindPortNotifications() {
    port_->OnAfterOpen = [this](TObject* sender) { PortAfterOpen(sender); };
    port_->OnAfterClose = [this](TObject* sender) { PortAfterClose(sender); };
    port_->OnBeforeOpen = [this](TObject* sender) { PortBeforeOpen(sender); };
    port_->OnBeforeClose = [this](TObject* sender) { PortBeforeClose(sender); };
    port_->OnRxChar = [this](TObject* sender, int32_t count) { PortRxChar(sender, count); };
    port_->OnRxBuf = [this](TObject* sender, const char* buffer, int32_t count) { PortRxBuf(sender, buffer, count); };
    port_->OnTxEmpty = [this](TObject* sender) { PortTxEmpty(sender); };
    port_->OnBreak = [this](TObject* sender) { PortBreak(sender); };
    port_->OnRing = [this](TObject* sender) { PortRing(sender); };
    port_->OnCTSChange = [this](TObject* sender, bool on_off) { PortCTSChange(sender, on_off); };
    port_->OnDSRChange = [this](TObject* sender, bool on_off) { PortDSRChange(sender, on_off); };
    port_->OnRLSDChange = [this](TObject* sender, bool on_off) { PortRLSDChange(sender, on_off); };
    port_->OnRxFlag = [this](TObject* sender) { PortRxFlag(sender); };
    port_->OnError = [this](TObject* sender, serial::TComErrors errors) { PortError(sender, errors); };
    port_->OnRx80Full = [this](TObject* sender) { PortRx80Full(sender); };
}

void TQuarixDevice::BindFramerNotifications() {
    framer_->OnDiscard = [this](TObject* sender, const std::string& str) { FramerDiscard(sender, str); };
    framer_->OnPacket = [this](TObject* sender, const std::string& str) { FramerPacket(sender, str); };
    framer_->OnCustomStart = [this](TObject* sender, std::string_view str, int& pos) {
        FindFrameStart(sender, str, pos);
    };
    framer_->OnCustomStop = [this](TObject* sender, std::string_view str, int& pos) {
        FindFrameEnd(sender, str, pos);
    };
}

bool TQuarixDevice::PortOpen() const { return port_ != nullptr && port_->Connected(); }

bool TQuarixDevice::PortClosing() const { return port_ != nullptr && port_->Closing(); }

// ---------------------------------------------------------------------------
// Connection, protocol and component properties
// ---------------------------------------------------------------------------
void TQuarixDevice::SetEnabled(bool value) { enabled_ = value; }
void TQuarixDevice::SetUsePackets(bool value) { use_packets_ = value; }
void TQuarixDevice::SetDebugMode(bool value) { debug_mode_ = value; }

void TQuarixDevice::SetKeyRepeatInterval(uint32_t value) {
    key_repeat_interval_ = value;
    key_repeat_timer_->SetInterval(value);
}

// The component's version is a constant of the build; a stored form cannot change it.
void TQuarixDevice::SetComponentVersion(double /*value*/) { component_version_ = 3.33; }

// ---------------------------------------------------------------------------
// Ride statistics, speed and distance properties
// ---------------------------------------------------------------------------
int32_t TQuarixDevice::StatsInterval() const { return stats_interval_; }

void TQuarixDevice::SetStatsInterval(int32_t value) {
    if (value == stats_interval_) return;
    stats_interval_ = value;
    timer_stats_->SetInterval(static_cast<uint32_t>(value));
}

timers::TThreadPriority TQuarixDevice::TimerStatsThreadPriority() const { return timer_stats_->ThreadPriority(); }
void TQuarixDevice::SetTimerStatsThreadPriority(timers::TThreadPriority value) {
    timer_stats_->SetThreadPriority(value);
}

void TQuarixDevice::SetPrecisionSpeed(int32_t value) {
    if (value != precision_speed_) precision_speed_ = value;
}

void TQuarixDevice::SetPrecisionDistance(int32_t value) {
    if (value != precision_distance_) precision_distance_ = value;
}

void TQuarixDevice::SetUnitMeasure(TUnitMeasure value) {
    if (value == unit_measure_) return;
    unit_measure_ = value;
    UpdateDistancePerRollEvent();
}

void TQuarixDevice::SetUnitMeasureDefault(TUnitMeasure value) { unit_measure_default_ = value; }

long double TQuarixDevice::NumberOfRoundPerRollEvent() const { return number_of_round_per_roll_event_; }

void TQuarixDevice::SetNumberOfRoundPerRollEvent(long double value) {
    if (value == number_of_round_per_roll_event_) return;
    number_of_round_per_roll_event_ = value;
    UpdateDistancePerRollEvent();
}

void TQuarixDevice::SetRollDiameter(long double value) {
    if (value == roll_diameter_) return;
    roll_diameter_ = value;
    UpdateDistancePerRollEvent();
}

// New samples appear at the newest end; shrinking drops the newest ones.
void TQuarixDevice::SetSpeedArrayLength(int32_t value) {
    speed_array_length_ = value;
    SpeedArray.resize(static_cast<size_t>(std::max<int32_t>(value, 0)), 0.0);
}

void TQuarixDevice::SetVirtualSpeedEnabled(bool value) {
    if (value == virtual_speed_enabled_) return;
    if (!value) ResetVirtualSpeed();
    virtual_speed_enabled_ = value;
}

void TQuarixDevice::SetVirtualSpeedAttenuation(double value) {
    if (value != virtual_speed_attenuation_) virtual_speed_attenuation_ = value;
}

void TQuarixDevice::SetTolerance(double value) {
    if (value != tolerance_) tolerance_ = value;
}

void TQuarixDevice::SetCalibration(double value) {
    if (value != calibration_) calibration_ = value;
}

intptr_t TQuarixDevice::TimerStatsTag() const { return timer_stats_->Tag(); }
void TQuarixDevice::SetTimerStatsTag(intptr_t value) { timer_stats_->SetTag(value); }
bool TQuarixDevice::TimerStatsAllowZero() const { return timer_stats_->AllowZero(); }
void TQuarixDevice::SetTimerStatsAllowZero(bool value) { timer_stats_->SetAllowZero(value); }
bool TQuarixDevice::TimerStatsEnabled() const { return timer_stats_->Enabled(); }
void TQuarixDevice::SetTimerStatsEnabled(bool value) { timer_stats_->SetEnabled(value); }
uint32_t TQuarixDevice::TimerStatsInterval() const { return timer_stats_->Interval(); }
void TQuarixDevice::SetTimerStatsInterval(uint32_t value) { timer_stats_->SetInterval(value); }
uint32_t TQuarixDevice::TimerStatsElapsedTime() const { return timer_stats_->ElapsedTime(); }

// ---------------------------------------------------------------------------
// Heart rate and cadence properties
// ---------------------------------------------------------------------------
void TQuarixDevice::SetHeartArrayLength(int32_t value) {
    heart_array_length_ = value;
    HeartArray.resize(static_cast<size_t>(std::max<int32_t>(value, 0)), 0.0);
}

void TQuarixDevice::SetCadenceArrayLength(int32_t value) {
    cadence_array_length_ = value;
    CadenceArray.resize(static_cast<size_t>(std::max<int32_t>(value, 0)), 0);
}

void TQuarixDevice::SetHrDelayBeforeReset(int32_t value) {
    if (value == hr_delay_before_reset_) return;
    hr_delay_before_reset_ = value;
    heart_survey_timer_->SetInterval(static_cast<uint32_t>(value));
}

void TQuarixDevice::SetHrFilter2Active(bool value) { hr_filter2_active_ = value; }

// ---------------------------------------------------------------------------
// Resistance, slope and elevation properties
// ---------------------------------------------------------------------------
void TQuarixDevice::SetCurrentSlope(long double value) {
    if (value != current_slope_) current_slope_ = value;
}

void TQuarixDevice::SetSecurityActive(bool value) { security_active_ = value; }

void TQuarixDevice::SetResistanceReducer(double value) {
    if (value == resistance_reducer_) return;
    if (!(value >= 0)) value = 0;  // NaN too
    if (value > 1) value = 1;
    resistance_reducer_ = value;
}

void TQuarixDevice::SetResistanceMapAdapter(long double value) {
    if (value != resistance_map_adapter_) resistance_map_adapter_ = value;
}

void TQuarixDevice::SetResistanceLatency(int32_t value) { resistance_latency_ = value < 0 ? 0 : value; }
void TQuarixDevice::SetUseElevation(bool value) { use_elevation_ = value; }
void TQuarixDevice::SetHighPowerReduceEnable(bool value) { high_power_reduce_enable_ = value; }

void TQuarixDevice::SetHighPowerReduceStartSpeed(double value) {
    if (value != high_power_reduce_start_speed_) high_power_reduce_start_speed_ = value;
}

void TQuarixDevice::SetHighPowerReduceCoefficientMinimum(double value) {
    if (value != high_power_reduce_coefficient_minimum_) high_power_reduce_coefficient_minimum_ = value;
}

// ---------------------------------------------------------------------------
// Pass-through properties to Port
// ---------------------------------------------------------------------------
void TQuarixDevice::SetComPortTag(intptr_t value) { port_->SetTag(value); }
intptr_t TQuarixDevice::ComPortTag() const { return port_->Tag(); }
void TQuarixDevice::SetComPortConnected(bool value) { port_->SetConnected(value); }
bool TQuarixDevice::ComPortConnected() const { return port_->Connected(); }
void TQuarixDevice::SetComPortBaudRate(serial::TBaudRate value) { port_->SetBaudRate(value); }
serial::TBaudRate TQuarixDevice::ComPortBaudRate() const { return port_->BaudRate(); }
void TQuarixDevice::SetComPortPort(const std::string& value) { port_->SetPort(value); }
std::string TQuarixDevice::ComPortPort() const { return port_->Port(); }
void TQuarixDevice::SetComPortParity(const serial::TComParity& value) { port_->SetParity(value); }
serial::TComParity* TQuarixDevice::ComPortParity() const { return &port_->Parity(); }
void TQuarixDevice::SetComPortStopBits(serial::TStopBits value) { port_->SetStopBits(value); }
serial::TStopBits TQuarixDevice::ComPortStopBits() const { return port_->StopBits(); }
void TQuarixDevice::SetComPortDataBits(serial::TDataBits value) { port_->SetDataBits(value); }
serial::TDataBits TQuarixDevice::ComPortDataBits() const { return port_->DataBits(); }
void TQuarixDevice::SetComPortDiscardNull(bool value) { port_->SetDiscardNull(value); }
bool TQuarixDevice::ComPortDiscardNull() const { return port_->DiscardNull(); }
void TQuarixDevice::SetComPortEventChar(uint8_t value) { port_->SetEventChar(value); }
uint8_t TQuarixDevice::ComPortEventChar() const { return port_->EventChar(); }
void TQuarixDevice::SetComPortEvents(serial::TComEvents value) { port_->SetEvents(value); }
serial::TComEvents TQuarixDevice::ComPortEvents() const { return port_->Events(); }
void TQuarixDevice::SetComPortBuffer(const serial::TComBuffer& value) { port_->SetBuffer(value); }
serial::TComBuffer* TQuarixDevice::ComPortBuffer() const { return &port_->Buffer(); }
void TQuarixDevice::SetComPortFlowControl(const serial::TComFlowControl& value) { port_->SetFlowControl(value); }
serial::TComFlowControl* TQuarixDevice::ComPortFlowControl() const { return &port_->FlowControl(); }
void TQuarixDevice::SetComPortTimeouts(const serial::TComTimeouts& value) { port_->SetTimeouts(value); }
serial::TComTimeouts* TQuarixDevice::ComPortTimeouts() const { return &port_->Timeouts(); }
void TQuarixDevice::SetComPortSyncMethod(serial::TSyncMethod value) { port_->SetSyncMethod(value); }
serial::TSyncMethod TQuarixDevice::ComPortSyncMethod() const { return port_->SyncMethod(); }

// ---------------------------------------------------------------------------
// Pass-through properties to Framer
// ---------------------------------------------------------------------------
void TQuarixDevice::SetComDataPacketCaseInsensitive(bool value) { framer_->SetCaseInsensitive(value); }
bool TQuarixDevice::ComDataPacketCaseInsensitive() const { return framer_->CaseInsensitive(); }
void TQuarixDevice::SetComDataPacketIncludeStrings(bool value) { framer_->SetIncludeStrings(value); }
bool TQuarixDevice::ComDataPacketIncludeStrings() const { return framer_->IncludeStrings(); }
void TQuarixDevice::SetComDataPacketMaxBufferSize(int32_t value) { framer_->SetMaxBufferSize(value); }
int32_t TQuarixDevice::ComDataPacketMaxBufferSize() const { return framer_->MaxBufferSize(); }
void TQuarixDevice::SetComDataPacketStartString(const std::string& value) { framer_->SetStartString(value); }
std::string TQuarixDevice::ComDataPacketStartString() const { return framer_->StartString(); }
void TQuarixDevice::SetComDataPacketStopString(const std::string& value) { framer_->SetStopString(value); }
std::string TQuarixDevice::ComDataPacketStopString() const { return framer_->StopString(); }
void TQuarixDevice::SetComDataPacketSize(int32_t value) { framer_->SetSize(value); }
int32_t TQuarixDevice::ComDataPacketSize() const { return framer_->Size(); }

}  // namespace device
