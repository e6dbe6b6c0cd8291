// SPDX-License-Identifier: GPL-3.0-or-later
// Which console the device talks to, when it counts as connected, and how a
// line that has gone silent is repaired or given up.
#include <algorithm>
#include <cmath>

#include "device/quarix_device.h"
#include "platform/exceptions.h"
#include "platform/message_loop.h"
#include "platform/rounding.h"
#include "platform/tick_count.h"

namespace device {

namespace {

constexpr int32_t kMinSurveyInterval = 400;
constexpr int32_t kMaxSurveyInterval = 3000;
constexpr uint32_t kLongFrameSurveyInterval = 3000;
constexpr int32_t kMinReopenDelay = 300;
constexpr int32_t kMaxReopenDelay = 2000;
constexpr int kIdentifyAttempts = 3;
// Above Version 4 an outage whose attempt leaves the port closed is given up
// once it has run more attempts than this.
constexpr int32_t kLongFrameClosedAttempts = 2;

void Wait(int32_t ms) { platform::WaitProcessing(static_cast<uint32_t>(std::max<int32_t>(ms, 0))); }

// Roll constants of the long-frame generations, by exact Version.
struct RollConstants {
    double version;
    long double rounds_per_roll_event;
    long double roll_diameter;
};
constexpr RollConstants kLongFrameRollConstants[] = {
    {4.5, 1, 39.5L}, {5, 1, 45}, {5.5, 0.5L, 30}, {6, 1, 40}, {7, 1, 30}, {8, 0.5L, 30},
};

}  // namespace

// ---------------------------------------------------------------------------
// Version and the framing that follows it
// ---------------------------------------------------------------------------
void TQuarixDevice::SetVersion(double value) {
    if (!(value > 0) || (value > 3 && value < 4)) value = 4;
    version_ = value;

    if (version_ < 4) {
        framer_->SetComPort(nullptr);
        SetNumberOfRoundPerRollEvent(2);
        const int64_t generation = platform::Round(version_);
        if (generation == 1) SetRollDiameter(40);
        if (generation == 2 || generation == 3) SetRollDiameter(30);
        UpdateDistancePerRollEvent();
    } else if (version_ == 4) {
        PacketLength = kShortFrameLength;
        framer_->SetSize(kShortFrameLength);
        framer_->SetStopString(std::string(1, static_cast<char>(kFrameStop)));
        framer_->SetComPort(port_);
        SetNumberOfRoundPerRollEvent(0.5L);
        SetRollDiameter(39.5L);
        UpdateDistancePerRollEvent();
        maintains_console_active_ = true;
    } else {
        maintains_console_active_ = true;
        PacketLength = kLongFrameLength;
        framer_->SetStartString(std::string());
        framer_->SetStopString(std::string());
        framer_->SetSize(kLongFrameLength);
        framer_->SetComPort(port_);
        for (const auto& constants : kLongFrameRollConstants) {
            if (constants.version == version_) {
                SetNumberOfRoundPerRollEvent(constants.rounds_per_roll_event);
                SetRollDiameter(constants.roll_diameter);
            }
        }
        UpdateDistancePerRollEvent();
    }

    SetConnectionSurveyInterval(connection_survey_interval_);
    DoVersionChange();
}

void TQuarixDevice::ApplyShortFrameFraming() {
    PacketLength = kShortFrameLength;
    framer_->SetSize(kShortFrameLength);
    framer_->SetStopString(std::string(1, static_cast<char>(kFrameStop)));
    framer_->SetComPort(port_);
}

void TQuarixDevice::SetConnectionSurveyInterval(int32_t value) {
    if (version_ > 4) {
        connection_survey_timer_->SetInterval(kLongFrameSurveyInterval);
        return;
    }
    connection_survey_interval_ = std::clamp(value, kMinSurveyInterval, kMaxSurveyInterval);
    connection_survey_timer_->SetInterval(static_cast<uint32_t>(connection_survey_interval_));
}

// ---------------------------------------------------------------------------
// Connected
// ---------------------------------------------------------------------------
void TQuarixDevice::SetConnected(bool value) {
    if (value == connected_) return;
    connected_ = value;
    if (value) {
        DisconnectionCount = 0;
        SetStatus(qsConnected);
        ReceivedEventCount = 0;
        ResetHeartState();
        RepairAttempts = 0;
        heart_survey_timer_->SetEnabled(heart_enabled_ && heart_connection_survey_);
        NoDataSinceSurvey = false;
        connection_survey_timer_->SetEnabled(connection_survey_);
        RequestSerialNumber();
        RequestProductVersion();
        DoConnected();
        return;
    }
    connection_survey_timer_->SetEnabled(false);
    heart_survey_timer_->SetEnabled(false);
    if (status_ != qsRunning) {
        Stop();
    } else {
        // A ride cut off by a lost line is held as paused: the statistics
        // step would otherwise keep running on a disconnected device, and the
        // ride's figures stay readable.
        timer_stats_->SetEnabled(false);
        PauseTick = platform::GetTickCount();
        PausedRollCount = TotalRollCount;
    }
    NoDataSinceSurvey = true;
    SetStatus(qsDisconnected);
    SerialNumber = 0;
    ProductVersion = 0;
    DoDisconnected();
}

void TQuarixDevice::Disconnect() { SetConnected(false); }

void TQuarixDevice::SetSimulationMode(bool value) {
    if (value == simulation_mode_) return;
    simulation_mode_ = value;
    SetConnected(value);
}

// ---------------------------------------------------------------------------
// Identification
// ---------------------------------------------------------------------------
bool TQuarixDevice::Identify(int32_t wait_ms) {
    if (IsDestroying() || !enabled_ || !PortOpen()) return false;
    if (version_ >= 4) ApplyShortFrameFraming();
    const std::string request = IdentificationRequest(version_);
    for (int attempt = 0; attempt < kIdentifyAttempts && enabled_; ++attempt) {
        try {
            Send(request);
        } catch (const std::exception&) {
            // A failed write is one unanswered attempt.
        }
        Wait(wait_ms);
        if (connected_) break;
    }
    return connected_;
}

// ---------------------------------------------------------------------------
// Survey and repair
// ---------------------------------------------------------------------------
void TQuarixDevice::ConnectionSurveyTick(TObject* /*sender*/) {
    if (IsDestroying() || simulation_mode_) return;

    // Detached while it runs, so a repair that waits is never entered again
    // by a later tick; re-attached however the tick ends.
    connection_survey_timer_->OnTimer = nullptr;
    struct Closing {
        TQuarixDevice* device;
        ~Closing() {
            device->Repairing = false;
            device->NoDataSinceSurvey = true;
            if (device->connection_survey_timer_ != nullptr) {
                device->connection_survey_timer_->OnTimer = [d = device](TObject* sender) {
                    d->ConnectionSurveyTick(sender);
                };
            }
        }
    } closing{this};

    if (!NoDataSinceSurvey) return;

    heart_survey_timer_->SetEnabled(false);
    Repairing = true;

    if (RepairAttempts == 0) {
        ++DisconnectionCount;
        DoRepairingConnection();
        ReportError(qetConnectionFault, 720, 1);
    } else {
        ReportError(qetConnectionFault, 720, RepairAttempts + 1);
    }

    auto give_up = [this] {
        Repairing = false;
        ReportError(qetConnectionFault, 711, RepairAttempts);
        SetConnected(false);
        DoConnectionLost();
    };
    auto restored = [this] {
        RepairAttempts = 0;
        ReportError(qetConnectionRestored, 614, -1);
        heart_survey_timer_->SetEnabled(heart_enabled_ && heart_connection_survey_);
    };

    if (RepairAttempts >= discon_max_try_) {
        ReportError(qetConnectionFault, 711, RepairAttempts);
        SetConnected(false);
        DoConnectionLost();
        return;
    }
    ++RepairAttempts;
    if (frame_listener_) frame_listener_->RepairAttempt(*this, RepairAttempts);

    if (!(version_ > 4)) {
        try {
            QuickConnectDevice(discon_use_close_open_port_);
        } catch (...) {
            return;  // the next tick tries again
        }
        if (PortOpen()) {
            restored();
        } else {
            give_up();
        }
        return;
    }

    try {
        RepairConnection();
    } catch (...) {
        // What the attempt left behind decides below.
    }
    if (PortOpen()) {
        restored();
    } else if (RepairAttempts > kLongFrameClosedAttempts) {
        give_up();
    }
}

void TQuarixDevice::ReopenPort() {
    port_->Close();
    Wait(discon_delay_between_close_open_port_);
    port_->Open();
    Wait(discon_delay_between_close_open_port_);
}

void TQuarixDevice::QuickConnectDevice(bool reopen_port) {
    if (IsDestroying()) return;
    if (version_ > 4) throw platform::Exception("Procedure QuickConnectDevice: the Quarix version must be 4 or lower!");

    if (reopen_port) {
        bool aborted = false;
        try {
            if (PortOpen()) port_->Close();
            Wait(discon_delay_between_close_open_port_);
            port_->Open();
            Wait(discon_delay_between_close_open_port_);
        } catch (...) {
            aborted = true;
        }
        if (!PortOpen()) ReportError(qetConnectionFault, 710, -1);
        if (aborted) platform::Abort();
    }

    if (PortOpen()) {
        try {
            port_->AbortPendingIO();
            port_->PurgeBuffers(true, true);
        } catch (const std::exception&) {
            // A queue that cannot be purged does not stop the request.
        }
        // 611 tells that the request went out: a write that fails (or writes
        // only part of the frame) is no request sent. The survey's next tick
        // sees whether the console answered.
        const std::string request = IdentificationRequest(version_);
        bool sent = false;
        try {
            sent = Send(request) == static_cast<int32_t>(request.size());
        } catch (const std::exception&) {
        }
        if (sent) {
            try {
                ReportError(qetConnectionFault, 611, -1);
            } catch (const std::exception&) {
                // A notice handler's failure does not undo the request.
            }
        }
    }
}

// Reopens the port only when it is closed or a send fails.
void TQuarixDevice::RepairConnection() {
    if (IsDestroying() || version_ < 4) return;
    const std::string request = BuildFrame(kCmdIdentification, IdentificationCode, 0);

    bool aborted = false;
    if (!PortOpen()) {
        try {
            ReopenPort();
            if (PortOpen()) Send(request);
        } catch (...) {
            // Whether the port is open afterwards is all that counts.
        }
    } else {
        bool failed = false;
        try {
            failed = Send(request) < 0;
        } catch (...) {
            failed = true;
        }
        if (failed) {
            try {
                ReopenPort();
                if (PortOpen()) Send(request);
            } catch (...) {
                aborted = true;
            }
        }
    }
    if (!PortOpen()) ReportError(qetConnectionFault, 710, -1);
    if (aborted) platform::Abort();
}

void TQuarixDevice::SetSurveysActive(bool active) {
    if (active && connected_) {
        heart_survey_timer_->SetEnabled(heart_enabled_ && heart_connection_survey_);
        connection_survey_timer_->SetEnabled(connection_survey_);
    } else {
        heart_survey_timer_->SetEnabled(false);
        connection_survey_timer_->SetEnabled(false);
    }
}

// ---------------------------------------------------------------------------
// Error notices
// ---------------------------------------------------------------------------
void TQuarixDevice::ReportError(TQdvErrorType error_type, int32_t code, int32_t occurrence) {
    if (OnQdvErrorInfo) OnQdvErrorInfo(this, error_type, code, occurrence);
}

void TQuarixDevice::ErrorText(int32_t code, std::string& text) {
    switch (code) {
        case 100: text = "message discarded"; break;
        case 101: text = "message rejected"; break;
        case 102: text = "error com port"; break;
        case 520: text = "Heart connection lost"; break;
        case 611: text = "identification request sent"; break;
        case 612: text = "port opened"; break;
        case 613: text = "port closed"; break;
        case 614: text = "connection restablished"; break;
        case 700: text = "New disconnection"; break;
        case 710: text = "can't open the com port"; break;
        case 711: text = "repairing process aborted"; break;
        case 720: text = "connection lost, trying to reconnect"; break;
        default: text = "Error unknown"; break;
    }
}

// ---------------------------------------------------------------------------
// Survey switches and repair settings
// ---------------------------------------------------------------------------
void TQuarixDevice::SetConnectionSurvey(bool value) {
    if (value == connection_survey_) return;
    connection_survey_ = value;
    connection_survey_timer_->SetEnabled(value);
}

void TQuarixDevice::SetHeartConnectionSurvey(bool value) {
    if (value == heart_connection_survey_) return;
    heart_connection_survey_ = value;
    if (!connected_) {
        heart_survey_timer_->SetEnabled(false);
        return;
    }
    const bool wanted = value && heart_enabled_;
    if (heart_survey_timer_->Enabled() != wanted) heart_survey_timer_->SetEnabled(wanted);
}

void TQuarixDevice::SetHeartEnabled(bool value) {
    if (value == heart_enabled_) return;
    heart_enabled_ = value;
    SetHeartConnectionSurvey(value);
    SetHeartConnectionActive(heart_enabled_);
}

void TQuarixDevice::SetDisconUseCloseOpenPort(bool value) { discon_use_close_open_port_ = value; }

void TQuarixDevice::SetDisconDelayBetweenCloseOpenPort(int32_t value) {
    if (value == discon_delay_between_close_open_port_) return;
    discon_delay_between_close_open_port_ = std::clamp(value, kMinReopenDelay, kMaxReopenDelay);
}

void TQuarixDevice::SetDisconMaxTry(int32_t value) { discon_max_try_ = value; }

}  // namespace device
