// SPDX-License-Identifier: GPL-3.0-or-later
#include "serial/com_port.h"

#include <algorithm>
#include <system_error>

#include "platform/error_reporting.h"

namespace serial {

TCustomComPort::TCustomComPort(TComponent* owner)
    : TComponent(owner),
      buffer_(std::make_unique<TComBuffer>()),
      parity_(std::make_unique<TComParity>()),
      timeouts_(std::make_unique<TComTimeouts>()),
      flow_control_(std::make_unique<TComFlowControl>()) {
    buffer_->SetComPort(this);
    parity_->SetComPort(this);
    timeouts_->SetComPort(this);
    flow_control_->SetComPort(this);
}

void TCustomComPort::ShutDown() noexcept {
    Destroying();
    try {
        Close();
    } catch (...) {
        platform::HandleCurrentException();
    }
    // A port that could not be closed cleanly still must not leave its thread
    // behind.
    event_thread_.reset();
    ReapRetiredThreads(true);
}

TCustomComPort::~TCustomComPort() {
    ShutDown();
    device_.reset();
    buffer_.reset();
    parity_.reset();
    timeouts_.reset();
    flow_control_.reset();
    // Watchers (an attached framer) detach their links now, while the list lives.
    SendFreeNotifications();
    links_.clear();
}

// ---- Properties ---------------------------------------------------------------

void TCustomComPort::SetConnected(bool value) {
    if (IsLoading()) {
        stored_connected_ = value;
        return;
    }
    if (value == connected_) return;
    if (value)
        Open();
    else
        Close();
}

void TCustomComPort::Loaded() {
    TComponent::Loaded();
    if (!stored_connected_) return;
    stored_connected_ = false;
    try {
        Open();
    } catch (...) {
        platform::HandleCurrentException();
    }
}

void TCustomComPort::SetPort(const std::string& value) {
    if (value == port_) return;
    port_ = value;
    if (connected_) {
        Close();
        Open();
    }
}

void TCustomComPort::SetSyncMethod(TSyncMethod value) {
    if (value == sync_method_) return;
    if (connected_) throw EComPort(CError_ConnChangeProp);
    sync_method_ = value;
}

void TCustomComPort::SetBaudRate(TBaudRate value) {
    if (value == baud_rate_) return;
    baud_rate_ = value;
    ConfigureLine();
}

void TCustomComPort::SetCustomBaudRate(int32_t value) {
    if (value == custom_baud_rate_) return;
    custom_baud_rate_ = value;
    ConfigureLine();
}

void TCustomComPort::SetStopBits(TStopBits value) {
    if (value == stop_bits_) return;
    stop_bits_ = value;
    ConfigureLine();
}

void TCustomComPort::SetDataBits(TDataBits value) {
    if (value == data_bits_) return;
    data_bits_ = value;
    ConfigureLine();
}

void TCustomComPort::SetDiscardNull(bool value) {
    if (value == discard_null_) return;
    discard_null_ = value;
    ConfigureLine();
}

void TCustomComPort::SetEventChar(uint8_t value) {
    if (value == event_char_) return;
    event_char_ = value;
    ConfigureLine();
}

// Whole-object writes copy into the port's own object, which re-applies itself.
void TCustomComPort::SetParity(const TComParity& value) { parity_->Assign(value); }
void TCustomComPort::SetFlowControl(const TComFlowControl& value) { flow_control_->Assign(value); }
void TCustomComPort::SetTimeouts(const TComTimeouts& value) { timeouts_->Assign(value); }
void TCustomComPort::SetBuffer(const TComBuffer& value) { buffer_->Assign(value); }

// ---- Open and close -------------------------------------------------------------

namespace {
// The system's error number behind the exception in flight, -1 when it has none.
int ThreadFailureErrno() {
    try {
        throw;
    } catch (const platform::SerialDeviceError& e) {
        return e.ErrorNumber();
    } catch (const std::system_error& e) {
        return e.code().value();
    } catch (...) {
        return -1;
    }
}
}  // namespace

void TCustomComPort::ReapRetiredThreads(bool wait) {
    // Joined outside the list: a join serves pending hand-overs, whose
    // handlers may open or close this port and so reap the list themselves.
    std::vector<std::unique_ptr<TComThread>> ended;
    for (auto it = retired_threads_.begin(); it != retired_threads_.end();) {
        if (wait || (*it)->Finished()) {
            ended.push_back(std::move(*it));
            it = retired_threads_.erase(it);
        } else {
            ++it;
        }
    }
    ended.clear();  // joins
}

void TCustomComPort::Open() {
    ReapRetiredThreads(false);
    if (connected_) return;
    DoBeforeOpen();
    OpenDevice();
    connected_ = true;
    try {
        ConfigureDevice();
    } catch (...) {
        CloseDevice();
        connected_ = false;
        throw;
    }
    thread_created_ = false;
    if (!events_.Empty()) {
        // Resumed only once it is in place: its handlers may look for it.
        try {
            event_thread_ = std::make_unique<TComThread>(this);
            event_thread_->Resume();
        } catch (...) {
            // No thread (no descriptors or threads left): the port would never
            // deliver an event, so it is not left open.
            const int os_error = ThreadFailureErrno();
            event_thread_.reset();
            CloseDevice();
            connected_ = false;
            throw EComPort(CError_OpenFailed, os_error);
        }
        thread_created_ = true;
    }
    ForEachLink([&](TComLink* link) {
        if (link->ConnectionChanged) link->ConnectionChanged(this, true);
    });
    DoAfterOpen();
    // The current line states, once each.
    DispatchEvent(evCTS);
    DispatchEvent(evDSR);
    DispatchEvent(evRLSD);
}

void TCustomComPort::Close() {
    ReapRetiredThreads(false);
    // A close is already under way further up this stack (its wait for the
    // event thread serves pending dispatches and timer ticks, whose handlers
    // may close the port too): that call finishes the job.
    if (!connected_ || closing_) return;
    closing_ = true;
    // Until the device is closed; also when a step below throws.
    struct ClosingScope {
        bool& flag;
        bool held = true;
        void End() {
            if (held) flag = false;
            held = false;
        }
        ~ClosingScope() { End(); }
    } closing_scope{closing_};
    ForEachLink([&](TComLink* link) {
        if (link->CTSChanged) link->CTSChanged(this, false);
    });
    ForEachLink([&](TComLink* link) {
        if (link->DSRChanged) link->DSRChanged(this, false);
    });
    ForEachLink([&](TComLink* link) {
        if (link->RLSDChanged) link->RLSDChanged(this, false);
    });
    DoCTSChange(false);
    DoDSRChange(false);
    DoRLSDChange(false);
    DoBeforeClose();
    AbortPendingIO();
    if (thread_created_) {
        // Out of the port before it is stopped: whatever runs during the wait
        // finds a port without a thread.
        std::unique_ptr<TComThread> thread = std::move(event_thread_);
        thread_created_ = false;
        if (thread->InsideOwnDispatch()) {
            // A handler of ours is closing the port: the thread ends once that
            // handler returns, and is joined later.
            thread->Abandon();
            retired_threads_.push_back(std::move(thread));
        }
        thread.reset();  // stops the thread and waits for it, serving its hand-overs
    }
    CloseDevice();
    connected_ = false;
    // The port is closed now: the after-close handlers may open it again,
    // close that, and hear the answers to what they send.
    closing_scope.End();
    ForEachLink([&](TComLink* link) {
        if (link->ConnectionChanged) link->ConnectionChanged(this, false);
    });
    DoAfterClose();
}

void TCustomComPort::OpenDevice() {
    try {
        device_ = std::make_shared<platform::SerialDevice>(port_);
    } catch (const platform::SerialDeviceError& e) {
        throw EComPort(CError_OpenFailed, e.ErrorNumber());
    }
}

void TCustomComPort::CloseDevice() { device_.reset(); }

void TCustomComPort::ConfigureDevice() {
    ConfigureBuffers();
    ConfigureLine();
    ConfigureTimeouts();
}

// ---- Links ------------------------------------------------------------------------

bool TCustomComPort::IsLinked(const TComLink* link) const {
    return std::find(links_.begin(), links_.end(), link) != links_.end();
}

void TCustomComPort::CheckLinks() {
    has_data_link_ = std::any_of(links_.begin(), links_.end(),
                                 [](const TComLink* link) { return static_cast<bool>(link->DataReceived); });
}

void TCustomComPort::AttachLink(TComLink* Link) {
    if (!Link || std::find(links_.begin(), links_.end(), Link) != links_.end()) throw EComPort(CError_RegFailed);
    links_.push_back(Link);
    CheckLinks();
}

void TCustomComPort::DetachLink(TComLink* Link) {
    const auto it = std::find(links_.begin(), links_.end(), Link);
    if (!Link || it == links_.end()) throw EComPort(CError_RegFailed);
    links_.erase(it);
    CheckLinks();
}

// ---- Notification steps -----------------------------------------------------------

void TCustomComPort::DoAfterClose() {
    if (OnAfterClose) OnAfterClose(this);
}
void TCustomComPort::DoAfterOpen() {
    if (OnAfterOpen) OnAfterOpen(this);
}
void TCustomComPort::DoBeforeClose() {
    if (OnBeforeClose) OnBeforeClose(this);
}
void TCustomComPort::DoBeforeOpen() {
    if (OnBeforeOpen) OnBeforeOpen(this);
}
void TCustomComPort::DoRxChar(int32_t Count) {
    if (OnRxChar) OnRxChar(this, Count);
}
void TCustomComPort::DoRxBuf(const char* Buffer, int32_t Count) {
    if (OnRxBuf) OnRxBuf(this, Buffer, Count);
}
void TCustomComPort::DoTxEmpty() {
    if (OnTxEmpty) OnTxEmpty(this);
}
void TCustomComPort::DoBreak() {
    if (OnBreak) OnBreak(this);
}
void TCustomComPort::DoRing() {
    if (OnRing) OnRing(this);
}
void TCustomComPort::DoRxFlag() {
    if (OnRxFlag) OnRxFlag(this);
}
void TCustomComPort::DoCTSChange(bool OnOff) {
    if (OnCTSChange) OnCTSChange(this, OnOff);
}
void TCustomComPort::DoDSRChange(bool OnOff) {
    if (OnDSRChange) OnDSRChange(this, OnOff);
}
void TCustomComPort::DoError(TComErrors Errors) {
    if (OnError) OnError(this, Errors);
}
void TCustomComPort::DoRLSDChange(bool OnOff) {
    if (OnRLSDChange) OnRLSDChange(this, OnOff);
}
void TCustomComPort::DoRx80Full() {
    if (OnRx80Full) OnRx80Full(this);
}

// ---- Dispatch steps -----------------------------------------------------------------

void TCustomComPort::DispatchEvents(TComEvents events) {
    for (TComEvent event : kDispatchOrder) {
        // A handler may have closed the port: the rest of this wait is void.
        if (!connected_) return;
        if (events.Contains(event)) DispatchEvent(event);
    }
}

void TCustomComPort::DispatchEvent(TComEvent event) {
    switch (event) {
    case evError: {
        const TComErrors errors = TakeLineErrors();
        if (!errors.Empty()) DoError(errors);
        break;
    }
    case evRxChar:
        ReceivedData();
        break;
    case evTxEmpty:
        ForEachLink([&](TComLink* link) {
            if (link->TxActivity) link->TxActivity(this, false);
        });
        ForEachLink([&](TComLink* link) {
            if (link->TxEmptied) link->TxEmptied(this);
        });
        DoTxEmpty();
        break;
    case evBreak:
        DoBreak();
        break;
    case evRing:
        ForEachLink([&](TComLink* link) {
            if (link->RingSeen) link->RingSeen(this);
        });
        DoRing();
        break;
    case evCTS: {
        const bool on = LineSignals().Contains(lsCTS);
        ForEachLink([&](TComLink* link) {
            if (link->CTSChanged) link->CTSChanged(this, on);
        });
        DoCTSChange(on);
        break;
    }
    case evDSR: {
        const bool on = LineSignals().Contains(lsDSR);
        ForEachLink([&](TComLink* link) {
            if (link->DSRChanged) link->DSRChanged(this, on);
        });
        DoDSRChange(on);
        break;
    }
    case evRLSD: {
        const bool on = LineSignals().Contains(lsRLSD);
        ForEachLink([&](TComLink* link) {
            if (link->RLSDChanged) link->RLSDChanged(this, on);
        });
        DoRLSDChange(on);
        break;
    }
    case evRxFlag:
        ForEachLink([&](TComLink* link) {
            if (link->RxFlagSeen) link->RxFlagSeen(this);
        });
        DoRxFlag();
        break;
    case evRx80Full:
        DoRx80Full();
        break;
    }
}

void TCustomComPort::ReceivedData() {
    int32_t count = PendingInputCount();
    if (count <= 0) return;
    ForEachLink([&](TComLink* link) {
        if (link->RxActivity) link->RxActivity(this, true);
    });
    if (has_data_link_) {
        // One read into one buffer, shared by OnRxBuf and every data link.
        std::string buffer;
        bool read_done = false;
        const std::vector<TComLink*> snapshot = links_;
        for (TComLink* link : snapshot) {
            if (!IsLinked(link) || !link->DataReceived) continue;
            if (!read_done) {
                buffer.resize(static_cast<size_t>(count));
                // Only what was actually read is handed on (fewer bytes when
                // something emptied the queue in between, or nulls were dropped).
                buffer.resize(static_cast<size_t>(ReceiveBytes(buffer.data(), count)));
                read_done = true;
                if (buffer.empty()) break;
                DoRxBuf(buffer.data(), static_cast<int32_t>(buffer.size()));
            }
            link->DataReceived(this, buffer.data(), static_cast<int32_t>(buffer.size()));
        }
        count = 0;
    }
    if (count > 0) DoRxChar(count);
}

}  // namespace serial
