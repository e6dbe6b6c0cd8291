// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TQuarixDevice: the non-visual component through which an application drives
// the indoor trainer. It owns the serial port to the console, the framer on
// that port and four threaded timers, speaks the console's three protocol
// generations, supervises the line, runs rides and turns the console's pulses
// into speed, distance, power, heart rate and cadence.
//
// One class, several source files, one concern each:
//   quarix_device.cpp          construction, destruction, property accessors
//   event_raisers.cpp          the overridable raisers of the device's events
//   hex_text.cpp               HexText / HexValue
//   protocol_decoder.cpp       BuildFrame, Send, DecodeMessage, frame searches
//   connection_supervision.cpp Version, Connected, Identify, survey and repair
//   ride_control.cpp           SetStatus, Start, Pause, Stop
//   ride_statistics.cpp        speed, distance and the statistics step
//   power_model.cpp            power estimate and virtual speed
//   resistance_control.cpp     resistance, slope and elevation
//   console_keys.cpp           console keys, port and framer notifications
//   heart_cadence.cpp          heart rate and cadence
//
// Everything runs on the main thread: the port hands its notifications there
// and the timers their ticks. Waits inside the component pump the message
// loop, so notifications and ticks may run inside a device operation.
//
// Conventions: a published property Foo reads as Foo() and writes as
// SetFoo(v); the setter carries the side effects. Internal state that hosts
// and tests read is kept in public fields named after the state. Events are
// public std::function members, raised only when assigned, with the device
// as Sender (OnMessageRejected passes the frame alone).
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "device/frame_listener.h"
#include "device/quarix_protocol.h"
#include "platform/component.h"
#include "serial/com_data_packet.h"
#include "serial/com_port.h"
#include "timers/threaded_timer.h"

namespace device {

using platform::TComponent;
using platform::TObject;

// ---------------------------------------------------------------------------
// Event types
// ---------------------------------------------------------------------------
using TNotifyEvent = std::function<void(TObject* sender)>;
using TQuarixDeviceStatusChangedEvent = std::function<void(
    TObject* sender, TQuarixDeviceStatus old_status, TQuarixDeviceStatus new_status)>;
using TQdvErrorInfo =
    std::function<void(TObject* sender, TQdvErrorType error_type, int32_t code, int32_t occurence)>;
using TBeforeStopEvent = std::function<void(TObject* sender, bool& can_continue)>;
using TQuarixDeviceMessageEvent =
    std::function<void(TObject* sender, TQuarixDeviceMessageType message_type, long double value1,
                       long double value2, long double value3, const std::string& str)>;
using TMessageRejectedEvent = std::function<void(const std::string& str)>;
using TInstantHeartEvent = std::function<void(TObject* sender, const std::string& text)>;
using TInstantCadenceEvent = std::function<void(TObject* sender, const std::string& text)>;
using TConsoleKeyDownEvent = std::function<void(TObject* sender, TConsoleKey key)>;
using TOnStatsEvent =
    std::function<void(TObject* sender, int32_t lap_time, int32_t lap_event_count, long double lap_roll_count,
                       long double lap_distance, long double old_speed, bool speed_changed)>;
using TAlarmEvent = std::function<void(TObject* sender, int32_t percent_delta, bool is_higher_limit,
                                       bool aborted_by_component, bool& do_stop)>;
// The port's and the framer's notifications, relayed with the device as Sender.
using TRxCharEvent = std::function<void(TObject* sender, int32_t count)>;
using TRxBufEvent = std::function<void(TObject* sender, const char* buffer, int32_t count)>;
using TComSignalEvent = std::function<void(TObject* sender, bool on_off)>;
using TComErrorEvent = std::function<void(TObject* sender, serial::TComErrors errors)>;
using TComStrEvent = std::function<void(TObject* sender, const std::string& str)>;
using TCustPacketEvent = std::function<void(TObject* sender, std::string_view str, int& pos)>;

class TQuarixDevice : public TComponent {
public:
    explicit TQuarixDevice(TComponent* owner = nullptr);
    ~TQuarixDevice() override;

    // =======================================================================
    // Owned objects (quarix_device.cpp)
    // =======================================================================
    serial::TComPort* Port() const { return port_; }
    serial::TComDataPacket* Framer() const { return framer_; }
    timers::TKelvoThreadTimer* KeyRepeatTimer() const { return key_repeat_timer_; }
    timers::TKelvoThreadTimer* HeartSurveyTimer() const { return heart_survey_timer_; }
    timers::TKelvoThreadTimer* ConnectionSurveyTimer() const { return connection_survey_timer_; }
    timers::TKelvoThreadTimer* TimerStats() const { return timer_stats_; }
    // An observer of the traffic (frame_listener.h); nullptr detaches it.
    void SetFrameListener(TFrameListener* listener) { frame_listener_ = listener; }
    TFrameListener* FrameListener() const { return frame_listener_; }

    // =======================================================================
    // Values shared by every device of the process
    // =======================================================================
    // Length of the frame whose start the custom search last found (0: none).
    static int32_t PendingFrameLength;
    // Tick of the last key that passed the repeat block (0: none yet).
    static uint32_t LastKeyTick;
    // Re-entrancy guard of ConsoleKey.
    static bool KeyBusy;
    // Keeps the statistics step from running inside itself (any device).
    static bool StatsBusy;

    // =======================================================================
    // Connection, protocol and component properties
    // (quarix_device.cpp; the ones with behaviour in connection_supervision.cpp)
    // =======================================================================
    double Version() const { return version_; }
    virtual void SetVersion(double value);
    bool Connected() const { return connected_; }
    virtual void SetConnected(bool value);
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool value);
    bool SimulationMode() const { return simulation_mode_; }
    virtual void SetSimulationMode(bool value);
    bool UsePackets() const { return use_packets_; }
    virtual void SetUsePackets(bool value);
    bool DebugMode() const { return debug_mode_; }
    virtual void SetDebugMode(bool value);
    int32_t RollValue() const { return roll_value_; }
    void SetRollValue(int32_t value) { roll_value_ = value; }
    bool ConnectionSurvey() const { return connection_survey_; }
    virtual void SetConnectionSurvey(bool value);
    int32_t ConnectionSurveyInterval() const { return connection_survey_interval_; }
    virtual void SetConnectionSurveyInterval(int32_t value);
    bool DisconUseCloseOpenPort() const { return discon_use_close_open_port_; }
    virtual void SetDisconUseCloseOpenPort(bool value);
    int32_t DisconDelayBetweenCloseOpenPort() const { return discon_delay_between_close_open_port_; }
    virtual void SetDisconDelayBetweenCloseOpenPort(int32_t value);
    int32_t DisconMaxTry() const { return discon_max_try_; }
    virtual void SetDisconMaxTry(int32_t value);
    bool HeartEnabled() const { return heart_enabled_; }
    virtual void SetHeartEnabled(bool value);
    bool HeartConnectionSurvey() const { return heart_connection_survey_; }
    virtual void SetHeartConnectionSurvey(bool value);
    uint32_t KeyRepeatInterval() const { return key_repeat_interval_; }
    virtual void SetKeyRepeatInterval(uint32_t value);
    bool MaintainsConsoleActive() const { return maintains_console_active_; }
    void SetMaintainsConsoleActive(bool value) { maintains_console_active_ = value; }
    double ComponentVersion() const { return component_version_; }
    virtual void SetComponentVersion(double value);
    uint8_t RotationHex1() const { return rotation_hex1_; }
    uint8_t RotationHex2() const { return rotation_hex2_; }
    double Orientation() const { return orientation_; }

    // =======================================================================
    // Ride statistics, speed and distance properties (quarix_device.cpp)
    // =======================================================================
    virtual int32_t StatsInterval() const;
    virtual void SetStatsInterval(int32_t value);
    virtual timers::TThreadPriority TimerStatsThreadPriority() const;
    virtual void SetTimerStatsThreadPriority(timers::TThreadPriority value);
    int32_t PrecisionSpeed() const { return precision_speed_; }
    virtual void SetPrecisionSpeed(int32_t value);
    int32_t PrecisionDistance() const { return precision_distance_; }
    virtual void SetPrecisionDistance(int32_t value);
    TUnitMeasure UnitMeasure() const { return unit_measure_; }
    virtual void SetUnitMeasure(TUnitMeasure value);
    TUnitMeasure UnitMeasureDefault() const { return unit_measure_default_; }
    virtual void SetUnitMeasureDefault(TUnitMeasure value);
    virtual long double NumberOfRoundPerRollEvent() const;
    virtual void SetNumberOfRoundPerRollEvent(long double value);
    long double RollDiameter() const { return roll_diameter_; }
    virtual void SetRollDiameter(long double value);
    int32_t SpeedArrayLength() const { return speed_array_length_; }
    virtual void SetSpeedArrayLength(int32_t value);
    bool VirtualSpeedEnabled() const { return virtual_speed_enabled_; }
    virtual void SetVirtualSpeedEnabled(bool value);
    double VirtualSpeedAttenuation() const { return virtual_speed_attenuation_; }
    virtual void SetVirtualSpeedAttenuation(double value);
    double Tolerance() const { return tolerance_; }
    virtual void SetTolerance(double value);
    long double RiderWeight() const { return rider_weight_; }
    void SetRiderWeight(long double value) { rider_weight_ = value; }
    long double CourseDistance() const { return course_distance_; }
    void SetCourseDistance(long double value) { course_distance_ = value; }
    double Calibration() const { return calibration_; }
    virtual void SetCalibration(double value);

    // TimerStats pass-through
    virtual intptr_t TimerStatsTag() const;
    virtual void SetTimerStatsTag(intptr_t value);
    virtual bool TimerStatsAllowZero() const;
    virtual void SetTimerStatsAllowZero(bool value);
    virtual bool TimerStatsEnabled() const;
    virtual void SetTimerStatsEnabled(bool value);
    virtual uint32_t TimerStatsInterval() const;
    virtual void SetTimerStatsInterval(uint32_t value);
    virtual uint32_t TimerStatsElapsedTime() const;

    // =======================================================================
    // Heart rate and cadence properties (quarix_device.cpp, except
    // SetHeartConnectionActive in heart_cadence.cpp)
    // =======================================================================
    int32_t HeartArrayLength() const { return heart_array_length_; }
    virtual void SetHeartArrayLength(int32_t value);
    int32_t CadenceArrayLength() const { return cadence_array_length_; }
    virtual void SetCadenceArrayLength(int32_t value);
    int32_t HrDelayBeforeReset() const { return hr_delay_before_reset_; }
    virtual void SetHrDelayBeforeReset(int32_t value);
    int32_t HrDeltaVariationLimit() const { return hr_delta_variation_limit_; }
    void SetHrDeltaVariationLimit(int32_t value) { hr_delta_variation_limit_ = value; }
    bool HrFilter2Active() const { return hr_filter2_active_; }
    virtual void SetHrFilter2Active(bool value);
    int32_t HeartCalcDelay() const { return heart_calc_delay_; }
    void SetHeartCalcDelay(int32_t value) { heart_calc_delay_ = value; }
    int32_t CadenceCalcDelay() const { return cadence_calc_delay_; }
    void SetCadenceCalcDelay(int32_t value) { cadence_calc_delay_ = value; }
    bool HeartConnectionActive() const { return heart_connection_active_; }
    void SetHeartConnectionActive(bool value);
    int32_t AlarmHeartHighLimit() const { return alarm_heart_high_limit_; }
    void SetAlarmHeartHighLimit(int32_t value) { alarm_heart_high_limit_ = value; }
    int32_t AlarmHeartLowLimit() const { return alarm_heart_low_limit_; }
    void SetAlarmHeartLowLimit(int32_t value) { alarm_heart_low_limit_ = value; }
    int32_t AlarmHeartAbsoluteLimit() const { return alarm_heart_absolute_limit_; }
    void SetAlarmHeartAbsoluteLimit(int32_t value) { alarm_heart_absolute_limit_ = value; }

    // =======================================================================
    // Resistance, slope and elevation properties (quarix_device.cpp, except
    // the four setters implemented in resistance_control.cpp)
    // =======================================================================
    int32_t QuarixResistance() const { return quarix_resistance_; }
    virtual void SetQuarixResistance(int32_t value);  // resistance_control.cpp
    int32_t QuarixElevation() const { return quarix_elevation_; }
    virtual void SetQuarixElevation(int32_t value);  // resistance_control.cpp
    int32_t InitialResistance() const { return initial_resistance_; }
    virtual void SetInitialResistance(int32_t value);  // resistance_control.cpp
    long double CurrentSlope() const { return current_slope_; }
    virtual void SetCurrentSlope(long double value);
    int32_t CurrentElevation() const { return current_elevation_; }
    virtual void SetCurrentElevation(int32_t value);  // resistance_control.cpp
    bool SecurityActive() const { return security_active_; }
    virtual void SetSecurityActive(bool value);
    double ResistanceReducer() const { return resistance_reducer_; }
    virtual void SetResistanceReducer(double value);
    long double ResistanceMapAdapter() const { return resistance_map_adapter_; }
    virtual void SetResistanceMapAdapter(long double value);
    int32_t ResistanceLatency() const { return resistance_latency_; }
    virtual void SetResistanceLatency(int32_t value);
    bool UseElevation() const { return use_elevation_; }
    virtual void SetUseElevation(bool value);
    bool HighPowerReduceEnable() const { return high_power_reduce_enable_; }
    virtual void SetHighPowerReduceEnable(bool value);
    double HighPowerReduceStartSpeed() const { return high_power_reduce_start_speed_; }
    virtual void SetHighPowerReduceStartSpeed(double value);
    double HighPowerReduceCoefficientMinimum() const { return high_power_reduce_coefficient_minimum_; }
    virtual void SetHighPowerReduceCoefficientMinimum(double value);

    // =======================================================================
    // Console keys (console_keys.cpp)
    // =======================================================================
    int32_t KeyMessage() const { return key_message_; }
    virtual void SetKeyMessage(int32_t value);
    virtual void EnableConsoleKeys();
    virtual void DisableConsoleKeys();

    // =======================================================================
    // Pass-through properties to Port (quarix_device.cpp)
    // =======================================================================
    virtual void SetComPortTag(intptr_t value);
    virtual intptr_t ComPortTag() const;
    virtual void SetComPortConnected(bool value);
    virtual bool ComPortConnected() const;
    virtual void SetComPortBaudRate(serial::TBaudRate value);
    virtual serial::TBaudRate ComPortBaudRate() const;
    virtual void SetComPortPort(const std::string& value);
    virtual std::string ComPortPort() const;
    virtual void SetComPortParity(const serial::TComParity& value);
    virtual serial::TComParity* ComPortParity() const;
    virtual void SetComPortStopBits(serial::TStopBits value);
    virtual serial::TStopBits ComPortStopBits() const;
    virtual void SetComPortDataBits(serial::TDataBits value);
    virtual serial::TDataBits ComPortDataBits() const;
    virtual void SetComPortDiscardNull(bool value);
    virtual bool ComPortDiscardNull() const;
    virtual void SetComPortEventChar(uint8_t value);
    virtual uint8_t ComPortEventChar() const;
    virtual void SetComPortEvents(serial::TComEvents value);
    virtual serial::TComEvents ComPortEvents() const;
    virtual void SetComPortBuffer(const serial::TComBuffer& value);
    virtual serial::TComBuffer* ComPortBuffer() const;
    virtual void SetComPortFlowControl(const serial::TComFlowControl& value);
    virtual serial::TComFlowControl* ComPortFlowControl() const;
    virtual void SetComPortTimeouts(const serial::TComTimeouts& value);
    virtual serial::TComTimeouts* ComPortTimeouts() const;
    virtual void SetComPortSyncMethod(serial::TSyncMethod value);
    virtual serial::TSyncMethod ComPortSyncMethod() const;

    // =======================================================================
    // Pass-through properties to Framer (quarix_device.cpp)
    // =======================================================================
    virtual void SetComDataPacketCaseInsensitive(bool value);
    virtual bool ComDataPacketCaseInsensitive() const;
    virtual void SetComDataPacketIncludeStrings(bool value);
    virtual bool ComDataPacketIncludeStrings() const;
    virtual void SetComDataPacketMaxBufferSize(int32_t value);
    virtual int32_t ComDataPacketMaxBufferSize() const;
    virtual void SetComDataPacketStartString(const std::string& value);
    virtual std::string ComDataPacketStartString() const;
    virtual void SetComDataPacketStopString(const std::string& value);
    virtual std::string ComDataPacketStopString() const;
    virtual void SetComDataPacketSize(int32_t value);
    virtual int32_t ComDataPacketSize() const;

    // =======================================================================
    // Published events
    // =======================================================================
    TNotifyEvent OnConnected;
    TNotifyEvent OnDisconnected;
    TNotifyEvent OnVersionChange;
    TQuarixDeviceStatusChangedEvent OnQuarixDeviceStatusChanged;
    TNotifyEvent OnConnectionLost;
    TNotifyEvent OnRepairingConnection;
    TQdvErrorInfo OnQdvErrorInfo;
    TNotifyEvent OnBeforeStart;
    TNotifyEvent OnBeforePause;
    TNotifyEvent OnAfterStop;
    TBeforeStopEvent OnBeforeStop;
    TQuarixDeviceMessageEvent OnQuarixMessage;
    TMessageRejectedEvent OnMessageRejected;
    TNotifyEvent OnSerialNumber;
    TNotifyEvent OnProductVersion;
    TInstantHeartEvent OnInstantHeart;
    TInstantCadenceEvent OnInstantCadence;
    TConsoleKeyDownEvent OnConsoleKeyDown;
    TOnStatsEvent OnStats;
    TNotifyEvent OnInstantSpeed;
    TNotifyEvent OnCourseFinished;
    TNotifyEvent OnHeartConnectionLost;
    TAlarmEvent OnAlarmHeart;
    TNotifyEvent OnComPortAfterOpen;
    TNotifyEvent OnComPortAfterClose;
    TNotifyEvent OnComPortBeforeOpen;
    TNotifyEvent OnComPortBeforeClose;
    TRxCharEvent OnComPortRxChar;
    TRxBufEvent OnComPortRxBuf;
    TNotifyEvent OnComPortTxEmpty;
    TNotifyEvent OnComPortBreak;
    TNotifyEvent OnComPortRing;
    TComSignalEvent OnComPortCTSChange;
    TComSignalEvent OnComPortDSRChange;
    TComSignalEvent OnComPortRLSDChange;
    TNotifyEvent OnComPortRxFlag;
    TComErrorEvent OnComPortError;
    TNotifyEvent OnComPortRx80Full;
    TComStrEvent OnComDataPacketDiscard;
    TComStrEvent OnComDataPacketPacket;
    TCustPacketEvent OnComDataPacketCustomStart;
    TCustPacketEvent OnComDataPacketCustomStop;

    // =======================================================================
    // Wire protocol (protocol_decoder.cpp)
    // =======================================================================
    // Writes Data on the open port: the bytes written, -1 on a closed port,
    // 0 while the device is being destroyed. Write errors propagate.
    virtual int32_t Send(const std::string& data);
    // Decodes one inbound frame, or one chunk of the byte protocol.
    virtual void DecodeMessage(const std::string& data);
    // The framer's custom searches (own search above Version 4, otherwise
    // handed to OnComDataPacketCustomStart / OnComDataPacketCustomStop).
    void FindFrameStart(TObject* sender, std::string_view str, int& pos);
    void FindFrameEnd(TObject* sender, std::string_view str, int& pos);
    // Connection-time requests (guarded by the known values and the port).
    virtual void RequestSerialNumber();
    virtual void RequestProductVersion();
    // The serial-number request, unguarded; the component never calls it.
    virtual void SendSerialNumberRequest();
    // Keep-alive answers, called by the receive handlers after decoding:
    // the byte-protocol reply after a chunk read through OnRxChar, and the
    // resistance command after a short frame delivered by the framer.
    void SendByteProtocolReply();
    void KeepShortFrameConsoleActive();

    // =======================================================================
    // Connection lifecycle and supervision (connection_supervision.cpp)
    // =======================================================================
    virtual bool Identify(int32_t wait_ms);
    virtual void QuickConnectDevice(bool reopen_port);
    virtual void Disconnect();
    virtual void SetSurveysActive(bool active);
    virtual void ErrorText(int32_t code, std::string& text);
    virtual void ReportError(TQdvErrorType error_type, int32_t code, int32_t occurrence);

    // =======================================================================
    // Ride status and ride control (ride_control.cpp)
    // =======================================================================
    TQuarixDeviceStatus Status() const { return status_; }
    virtual void SetStatus(TQuarixDeviceStatus value);
    virtual void Start();
    virtual void Pause();
    virtual void Stop();

    // =======================================================================
    // Speed, distance and statistics (ride_statistics.cpp)
    // =======================================================================
    virtual long double RoundValue(int32_t decimals, long double value);
    virtual void UpdateDistancePerRollEvent();
    virtual long double ComputeSpeed(long double old_speed, double roll_events);
    virtual void AddRollEvents(long double roll_events);
    virtual void UpdateDistance(long double metres);
    virtual void UpdateMaxima(int32_t cadence, int32_t heart_rate, int32_t power, long double speed);
    virtual void SimulateReadings(int32_t heart_rate, int32_t cadence, long double speed);
    virtual void ResetStats();

    // =======================================================================
    // Power estimate and virtual speed (power_model.cpp)
    // =======================================================================
    virtual double EstimatePower(double speed, double slope);
    virtual void UpdateVirtualSpeed(double roller_speed);
    virtual void ResetVirtualSpeed();

    // =======================================================================
    // Heart rate and cadence (heart_cadence.cpp)
    // =======================================================================
    virtual int32_t FilterHeartRate(double bpm);
    virtual int32_t FilterHeartRate2(double bpm);
    virtual void CountHeartBeat();
    virtual void AddCadence(int32_t value);
    virtual void ResetHeartState();

    // =======================================================================
    // Resistance, slope and elevation (resistance_control.cpp)
    // =======================================================================
    virtual int32_t ElevationToByte(int32_t elevation);
    virtual void SendResistance();
    virtual void SetResistanceCoefficient(double value);
    virtual void UpdateHighPowerReduce();

    // =======================================================================
    // Hex helpers (hex_text.cpp)
    // =======================================================================
    virtual void HexText(const std::string& data, bool spaced, std::string& text);
    virtual int32_t HexValue(const std::string& data);

    // =======================================================================
    // State read by hosts and tests; written by the component
    // =======================================================================
    // -- wire protocol
    int32_t PacketLength = 0;
    int32_t SerialNumber = 0;
    int32_t ProductVersion = 0;
    long double LastHeartRate = 0;
    int32_t ReceivedEventCount = 0;
    // -- connection supervision
    bool NoDataSinceSurvey = false;
    bool Repairing = false;
    int32_t RepairAttempts = 0;
    int32_t DisconnectionCount = 0;
    // -- console keys
    bool ConsoleKeysEnabled = true;
    TConsoleKey LastConsoleKey = ckKey0;
    // -- speed, distance and statistics
    long double Speed = 0;
    long double MeanSpeed = 0;
    long double ShortMeanSpeed = 0;
    std::vector<double> SpeedArray;
    long double AverageSpeed = 0;
    long double MaxSpeed = 0;
    long double DistancePerRollEvent = 0;
    long double TotalRollCount = 0;
    long double LastRollEvents = 0;
    long double PausedRollCount = 0;
    long double RollCountAtLastTick = 0;
    long double Distance = 0;
    bool CourseFinished = false;
    uint32_t StartTick = 0;
    uint32_t PauseTick = 0;
    int32_t RollBlockSum = 0;
    int32_t RollBlockBytes = 0;
    int32_t RollBlockLength = 10;
    int32_t Energy = 0;
    long double EnergyTotal = 0;
    int32_t Power = 0;
    // -- power estimate and virtual speed
    double VirtualSpeed = 0;
    double PreviousVirtualSpeed = 0;
    double SlopeTerm = 0;
    double RollerPowerTerm = 0;
    double VirtualPowerTerm = 0;
    double SpeedBalance = 0;
    double VirtualDistancePerSecond = 0;
    // -- heart rate and cadence
    int32_t HeartRate = 0;
    bool HeartSeen = false;
    std::vector<double> HeartArray;
    int32_t HeartSum = 0;
    int32_t HeartCount = 0;
    int32_t AverageHeartRate = 0;
    int32_t MaxHeartRate = 0;
    std::array<double, 3> BpmHistory{};  // newest first
    bool HistoryPending1 = true;
    bool HistoryPending2 = true;
    bool HistoryPending3 = true;
    double HeldHeartRate = 0;
    int32_t HeartJumpLimit = 60;
    // Rejected jumps in a row, signed by direction (+ rises, - drops).
    int32_t HeartJumpStreak = 0;
    bool BeatTimingStarted = false;
    uint32_t LastBeatTick = 0;
    int32_t BeatInterval = 0;
    int32_t Cadence = 0;
    std::vector<int32_t> CadenceArray;
    uint32_t CadenceLastTick = 0;
    int32_t CadenceTotal = 0;
    int32_t AverageCadence = 0;
    int32_t MaxCadence = 0;
    // -- resistance
    double ResistanceCoefficient = 1.0;

protected:
    // =======================================================================
    // Event raisers (event_raisers.cpp unless marked)
    // =======================================================================
    virtual void DoQuarixMessage(TQuarixDeviceMessageType message_type, long double value1, long double value2,
                                 long double value3, const std::string& str);
    virtual void DoQuarixDeviceStatusChanged(TQuarixDeviceStatus old_status, TQuarixDeviceStatus new_status);
    virtual void DoDisconnected();
    virtual void DoConnected();
    virtual void DoVersionChange();
    virtual void DoBeforeStart();
    virtual void DoBeforePause();
    virtual void DoBeforeStop(bool& can_continue);
    virtual void DoAfterStop();
    virtual void DoMessageRejected(const std::string& str);
    virtual void DoConnectionLost();
    virtual void DoRepairingConnection();
    virtual void DoSerialNumber();
    virtual void DoProductVersion();
    virtual void DoInstantHeart(const std::string& text);
    virtual void DoInstantCadence(const std::string& text);
    virtual void DoInstantSpeed();
    virtual void DoCourseFinished();
    virtual void DoHeartConnectionLost();
    virtual void DoAlarmHeart(int32_t percent_delta, bool is_higher_limit, bool aborted_by_component, bool& do_stop);
    // ride_statistics.cpp: UpdateHighPowerReduce, then OnStats.
    virtual void DoStats(TObject* sender, int32_t lap_time, int32_t lap_event_count, long double lap_roll_count,
                         long double lap_distance, long double old_speed, bool speed_changed);

    // =======================================================================
    // Decoder steps (protocol_decoder.cpp)
    // =======================================================================
    // Applies the status bits of one status byte; roll, heart and cadence
    // are set to 1 for the pulses the byte carries.
    virtual void DecodeStatusBits(uint8_t status, long double& roll, long double& heart, long double& cadence);
    virtual void DecodeIdentification(const std::string& data);
    virtual void DecodeByteProtocol(const std::string& data);

    // =======================================================================
    // Supervision steps (connection_supervision.cpp)
    // =======================================================================
    virtual void RepairConnection();
    // The ConnectionSurveyTimer tick (detaches itself while it runs).
    void ConnectionSurveyTick(TObject* sender);
    // Applies the framer settings of the short-frame generation.
    void ApplyShortFrameFraming();

    // =======================================================================
    // Statistics tick (ride_statistics.cpp)
    // =======================================================================
    void StatsTimerTick(TObject* sender);

    // =======================================================================
    // Heart survey tick and alarm (heart_cadence.cpp)
    // =======================================================================
    void HeartSurveyTick(TObject* sender);
    void CheckHeartAlarm();

    // =======================================================================
    // Console keys and notification handlers (console_keys.cpp)
    // =======================================================================
    virtual void ConsoleKey(TConsoleKey key);
    void KeyRepeatTick(TObject* sender);
    void PortAfterOpen(TObject* sender);
    void PortAfterClose(TObject* sender);
    void PortBeforeOpen(TObject* sender);
    void PortBeforeClose(TObject* sender);
    void PortRxChar(TObject* sender, int32_t count);
    void PortRxBuf(TObject* sender, const char* buffer, int32_t count);
    void PortTxEmpty(TObject* sender);
    void PortBreak(TObject* sender);
    void PortRing(TObject* sender);
    void PortCTSChange(TObject* sender, bool on_off);
    void PortDSRChange(TObject* sender, bool on_off);
    void PortRLSDChange(TObject* sender, bool on_off);
    void PortRxFlag(TObject* sender);
    void PortError(TObject* sender, serial::TComErrors errors);
    void PortRx80Full(TObject* sender);
    void FramerDiscard(TObject* sender, const std::string& str);
    void FramerPacket(TObject* sender, const std::string& str);
    // Relays of the port's and framer's notifications to the device's events.
    virtual void DoComPortAfterOpen();
    virtual void DoComPortAfterClose();
    virtual void DoComPortBeforeOpen();
    virtual void DoComPortBeforeClose();
    virtual void DoComPortRxChar(int32_t count);
    virtual void DoComPortRxBuf(const char* buffer, int32_t count);
    virtual void DoComPortTxEmpty();
    virtual void DoComPortBreak();
    virtual void DoComPortRing();
    virtual void DoComPortCTSChange(bool on_off);
    virtual void DoComPortDSRChange(bool on_off);
    virtual void DoComPortRLSDChange(bool on_off);
    virtual void DoComPortRxFlag();
    virtual void DoComPortError(serial::TComErrors errors);
    virtual void DoComPortRx80Full();
    virtual void DoComDataPacketDiscard(const std::string& str);
    virtual void DoComDataPacketPacket(const std::string& str);
    virtual void DoComDataPacketCustomStart(std::string_view str, int& pos);
    virtual void DoComDataPacketCustomStop(std::string_view str, int& pos);

private:
    // Owned objects
    serial::TComPort* port_ = nullptr;
    serial::TComDataPacket* framer_ = nullptr;
    timers::TKelvoThreadTimer* key_repeat_timer_ = nullptr;
    timers::TKelvoThreadTimer* heart_survey_timer_ = nullptr;
    timers::TKelvoThreadTimer* connection_survey_timer_ = nullptr;
    timers::TKelvoThreadTimer* timer_stats_ = nullptr;
    TFrameListener* frame_listener_ = nullptr;

    // Connection, protocol and component
    double version_ = 0;
    bool connected_ = false;
    bool enabled_ = true;
    bool simulation_mode_ = false;
    bool use_packets_ = true;
    bool debug_mode_ = false;
    int32_t roll_value_ = 5;
    bool connection_survey_ = true;
    int32_t connection_survey_interval_ = 400;
    bool discon_use_close_open_port_ = true;
    int32_t discon_delay_between_close_open_port_ = 300;
    int32_t discon_max_try_ = 30;
    bool heart_enabled_ = false;
    bool heart_connection_survey_ = false;
    uint32_t key_repeat_interval_ = 500;
    bool maintains_console_active_ = true;
    double component_version_ = 3.33;
    uint8_t rotation_hex1_ = 0;
    uint8_t rotation_hex2_ = 0;
    double orientation_ = 0;
    TQuarixDeviceStatus status_ = qsDisconnected;
    // The pause in force holds a ride that was running when it began.
    bool pause_holds_ride_ = false;
    // Counts new rides, so a statistics step sees a ride started inside it.
    uint32_t rides_started_ = 0;
    int32_t key_message_ = 12345;

    // Ride statistics, speed and distance
    int32_t stats_interval_ = 1000;
    int32_t precision_speed_ = 8;
    int32_t precision_distance_ = 8;
    TUnitMeasure unit_measure_ = umKm;
    TUnitMeasure unit_measure_default_ = umKm;
    long double number_of_round_per_roll_event_ = 1;
    long double roll_diameter_ = 39.5L;
    int32_t speed_array_length_ = 25;
    bool virtual_speed_enabled_ = false;
    double virtual_speed_attenuation_ = 0.5;
    double tolerance_ = 2;
    long double rider_weight_ = 0;
    long double course_distance_ = 0;
    double calibration_ = 1;

    // Heart rate and cadence
    int32_t heart_array_length_ = 25;
    int32_t cadence_array_length_ = 10;
    int32_t hr_delay_before_reset_ = 3000;
    int32_t hr_delta_variation_limit_ = 200;
    bool hr_filter2_active_ = false;
    int32_t heart_calc_delay_ = 3000;
    int32_t cadence_calc_delay_ = 5000;
    bool heart_connection_active_ = false;
    int32_t alarm_heart_high_limit_ = 160;
    int32_t alarm_heart_low_limit_ = 50;
    int32_t alarm_heart_absolute_limit_ = 220;

    // Resistance, slope and elevation
    int32_t quarix_resistance_ = 0;
    int32_t quarix_elevation_ = 0;
    int32_t initial_resistance_ = 0;
    long double current_slope_ = 0;
    int32_t current_elevation_ = 0;
    bool security_active_ = true;
    double resistance_reducer_ = 1;
    long double resistance_map_adapter_ = 1;
    int32_t resistance_latency_ = 0;
    bool use_elevation_ = false;
    bool high_power_reduce_enable_ = false;
    double high_power_reduce_start_speed_ = 7;
    double high_power_reduce_coefficient_minimum_ = 0.25;

    // Helpers of construction and supervision
    void BindPortNotifications();
    void BindFramerNotifications();
    void ApplyConnectionSurveyInterval();
    bool PortOpen() const;
    // What arrives while the port closes belongs to a line being given up.
    bool PortClosing() const;
    void ReopenPort();
    // Paused, and the pause holds a ride to resume.
    bool ResumesPausedRide() const;

};

}  // namespace device
