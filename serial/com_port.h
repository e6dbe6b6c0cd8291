// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TComPort: one serial communications device. It opens the device by name with
// its line settings, runs one event thread per open port that waits for line
// events, and delivers each event through its own events in the thread chosen
// by SyncMethod. Clients such as the packet framer receive data through links.
// Every failure raises EComPort.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/component.h"
#include "platform/serial_device.h"
#include "serial/com_link.h"
#include "serial/com_port_errors.h"
#include "serial/com_port_settings.h"
#include "serial/com_sets.h"

namespace serial {

using platform::TComponent;
using platform::TObject;

// Line events; the comment gives the driver's event bit.
enum TComEvent : uint8_t {
    evRxChar = 0,    // 0x0001
    evTxEmpty = 1,   // 0x0004
    evRxFlag = 2,    // 0x0002
    evRing = 3,      // 0x0100
    evBreak = 4,     // 0x0040
    evCTS = 5,       // 0x0008
    evDSR = 6,       // 0x0010
    evError = 7,     // 0x0080
    evRLSD = 8,      // 0x0020
    evRx80Full = 9,  // 0x0400
};
using TComEvents = TEnumSet<TComEvent, uint16_t>;

inline constexpr TComEvents kAllComEvents{evRxChar, evTxEmpty, evRxFlag, evRing, evBreak,
                                          evCTS,    evDSR,     evError,  evRLSD, evRx80Full};

// The driver's event bit of an element, and the translations of whole masks.
uint32_t EventMaskBit(TComEvent event);
uint32_t EventsToMask(TComEvents events);
TComEvents MaskToEvents(uint32_t mask);

// The order in which the events signalled by one wait are dispatched.
inline constexpr TComEvent kDispatchOrder[10] = {evError, evRxChar, evTxEmpty, evBreak, evRing,
                                                 evCTS,   evDSR,    evRxFlag,  evRLSD,  evRx80Full};

enum TSyncMethod : uint8_t { smThreadSync = 0, smWindowSync = 1, smNone = 2 };

enum TComError : uint8_t {
    errFrame = 0, errRxParity = 1, errOverrun = 2, errBreak = 3,
    errIO = 4, errMode = 5, errRxOverflow = 6, errTxFull = 7
};
using TComErrors = TEnumSet<TComError, uint8_t>;

enum TComSignal : uint8_t { lsCTS = 0, lsDSR = 1, lsRing = 2, lsRLSD = 3 };
using TLineSignals = TEnumSet<TComSignal, uint8_t>;

// The driver's error word as a set (a parity error counts only while parity is
// checked), and its modem status word as line signals.
TComErrors LineErrorsFromWord(uint32_t error_word, bool parity_checked);
TLineSignals LineSignalsFromStatus(uint32_t modem_status);

using TNotifyEvent = std::function<void(TObject* Sender)>;
using TRxCharEvent = std::function<void(TObject* Sender, int32_t Count)>;
using TRxBufEvent = std::function<void(TObject* Sender, const char* Buffer, int32_t Count)>;
using TComSignalEvent = std::function<void(TObject* Sender, bool OnOff)>;
using TComErrorEvent = std::function<void(TObject* Sender, TComErrors Errors)>;

// One read or write: its kind, the copy of a write's bytes (seen by the links'
// DataSent after completion) and the outcome.
struct TPendingIO {
    uint8_t Kind = 0;        // 0 write, 1 read
    std::string Data;        // copy of a write's bytes (empty for a read)
    int32_t Size = 0;        // length of Data
    bool Started = false;    // an operation ran on this record
    int32_t Transferred = 0; // bytes moved
    int32_t Error = 0;       // errno of a failed operation, 0 on success
};

class TCustomComPort;

// The event thread of an open port: waits for line events and hands each
// dispatch to the thread SyncMethod names. Created and resumed by Open,
// stopped and joined by Close.
class TComThread {
public:
    // Created suspended: the event mask is set, the thread not yet running.
    explicit TComThread(TCustomComPort* port);
    void Resume();
    ~TComThread();  // stops and waits, serving hand-overs to the main thread
    TComThread(const TComThread&) = delete;
    TComThread& operator=(const TComThread&) = delete;

    void Stop();
    // Called from inside one of this thread's own dispatches (a handler closing
    // the port): the thread cannot be waited for until that dispatch returns.
    bool InsideOwnDispatch() const;
    // Stops the thread and gives up the device for good; it ends on its own
    // once the dispatch in progress returns.
    void Abandon();
    bool Finished() const;

private:
    struct State;  // shared with the running thread, which may outlive this object
    static void Execute(const std::shared_ptr<State>& state);
    static void DispatchEvents(const std::shared_ptr<State>& state, TComEvents events);
    static void WindowDispatch(const std::shared_ptr<State>& state, TComEvent event);

    std::shared_ptr<State> state_;
    std::thread thread_;
};

class TCustomComPort : public TComponent {
public:
    explicit TCustomComPort(TComponent* owner = nullptr);
    ~TCustomComPort() override;

    // ---- Properties -------------------------------------------------------
    bool Connected() const { return connected_; }
    // A Close is under way and has not closed the device yet: the port still
    // reads as open while its wait for the event thread serves the dispatches
    // handed over before it. Over by the after-close notifications.
    bool Closing() const { return closing_; }
    void SetConnected(bool value);
    TBaudRate BaudRate() const { return baud_rate_; }
    void SetBaudRate(TBaudRate value);
    int32_t CustomBaudRate() const { return custom_baud_rate_; }
    void SetCustomBaudRate(int32_t value);
    const std::string& Port() const { return port_; }
    void SetPort(const std::string& value);
    TComParity& Parity() { return *parity_; }
    const TComParity& Parity() const { return *parity_; }
    void SetParity(const TComParity& value);
    TStopBits StopBits() const { return stop_bits_; }
    void SetStopBits(TStopBits value);
    TDataBits DataBits() const { return data_bits_; }
    void SetDataBits(TDataBits value);
    bool DiscardNull() const { return discard_null_; }
    void SetDiscardNull(bool value);
    uint8_t EventChar() const { return event_char_; }
    void SetEventChar(uint8_t value);
    TComEvents Events() const { return events_; }
    void SetEvents(TComEvents value) { events_ = value; }
    TComBuffer& Buffer() { return *buffer_; }
    const TComBuffer& Buffer() const { return *buffer_; }
    void SetBuffer(const TComBuffer& value);
    TComFlowControl& FlowControl() { return *flow_control_; }
    const TComFlowControl& FlowControl() const { return *flow_control_; }
    void SetFlowControl(const TComFlowControl& value);
    TComTimeouts& Timeouts() { return *timeouts_; }
    const TComTimeouts& Timeouts() const { return *timeouts_; }
    void SetTimeouts(const TComTimeouts& value);
    TSyncMethod SyncMethod() const { return sync_method_; }
    void SetSyncMethod(TSyncMethod value);

    // True when a registered link has a DataReceived callback.
    bool HasDataLink() const { return has_data_link_; }
    // The open device (nullptr while closed).
    platform::SerialDevice* DeviceHandle() const { return device_.get(); }

    // ---- Events (Sender is always the port) -------------------------------
    TRxCharEvent OnRxChar;
    TRxBufEvent OnRxBuf;
    TNotifyEvent OnTxEmpty;
    TNotifyEvent OnBreak;
    TNotifyEvent OnRing;
    TComSignalEvent OnCTSChange;
    TComSignalEvent OnDSRChange;
    TComSignalEvent OnRLSDChange;
    TComErrorEvent OnError;
    TNotifyEvent OnRxFlag;
    TNotifyEvent OnAfterOpen;
    TNotifyEvent OnAfterClose;
    TNotifyEvent OnBeforeOpen;
    TNotifyEvent OnBeforeClose;
    TNotifyEvent OnRx80Full;

    // ---- Operations -------------------------------------------------------
    void Open();
    void Close();

    int32_t SendText(const std::string& Str);
    int32_t ReceiveText(std::string& Str, int32_t Count);
    int32_t ReceiveBytes(char* Buffer, int32_t Count);
    int32_t StartWrite(const char* Buffer, int32_t Count, TPendingIO* IO);
    int32_t StartRead(char* Buffer, int32_t Count, TPendingIO* IO);
    int32_t WaitForIO(TPendingIO* IO);

    void PurgeBuffers(bool Input, bool Output);
    void AbortPendingIO();
    int32_t PendingInputCount();
    TLineSignals LineSignals();
    TComErrors TakeLineErrors();

    void AttachLink(TComLink* Link);
    void DetachLink(TComLink* Link);

    // The line-settings record ConfigureLine applies (computable while closed).
    platform::DCB BuildDCB() const;
    // The timeouts record ConfigureTimeouts applies.
    platform::CommTimeouts BuildCommTimeouts() const;

    // Apply one group of settings to the open device; nothing while closed or
    // loading. Failures raise code 7, 8 and 9.
    virtual void ConfigureLine();
    virtual void ConfigureTimeouts();
    virtual void ConfigureBuffers();

protected:
    // ---- Notification steps -----------------------------------------------
    virtual void DoAfterClose();
    virtual void DoAfterOpen();
    virtual void DoBeforeClose();
    virtual void DoBeforeOpen();
    virtual void DoRxChar(int32_t Count);
    virtual void DoRxBuf(const char* Buffer, int32_t Count);
    virtual void DoTxEmpty();
    virtual void DoBreak();
    virtual void DoRing();
    virtual void DoRxFlag();
    virtual void DoCTSChange(bool OnOff);
    virtual void DoDSRChange(bool OnOff);
    virtual void DoError(TComErrors Errors);
    virtual void DoRLSDChange(bool OnOff);
    virtual void DoRx80Full();

    virtual void OpenDevice();
    virtual void CloseDevice();
    virtual void ConfigureDevice();

    void Loaded() override;

    // Marks the port as being destroyed, closes it and waits for its event
    // threads. A derived class calls it first in its destructor, so that no
    // event thread calls the class's steps while it is taken apart.
    void ShutDown() noexcept;

private:
    friend class TComThread;

    // One dispatch step per event, and all signalled ones in dispatch order.
    void DispatchEvent(TComEvent event);
    void DispatchEvents(TComEvents events);
    void ReceivedData();
    void CheckLinks();
    bool ApplyLineSettings() const;  // open and not loading

    // Calls `call` for each registered link, in registration order. A callback
    // may attach or detach links: the walk is over a snapshot, and a link
    // detached meanwhile is skipped (its owner may already be gone).
    template <typename F>
    void ForEachLink(F&& call) {
        const std::vector<TComLink*> snapshot = links_;
        for (TComLink* link : snapshot)
            if (IsLinked(link)) call(link);
    }
    bool IsLinked(const TComLink* link) const;

    std::unique_ptr<TComThread> event_thread_;
    bool thread_created_ = false;
    // Threads let go of from inside their own dispatch, joined once they end.
    std::vector<std::unique_ptr<TComThread>> retired_threads_;
    void ReapRetiredThreads(bool wait);
    std::shared_ptr<platform::SerialDevice> device_;
    std::vector<TComLink*> links_;
    bool has_data_link_ = false;
    bool connected_ = false;
    bool closing_ = false;  // a Close is under way (its wait serves handlers)
    bool stored_connected_ = false;  // a Connected value stored while loading
    TBaudRate baud_rate_ = br9600;
    int32_t custom_baud_rate_ = 9600;
    std::string port_ = "COM1";
    TStopBits stop_bits_ = sbOneStopBit;
    TDataBits data_bits_ = dbEight;
    bool discard_null_ = false;
    uint8_t event_char_ = 0;
    TComEvents events_ = kAllComEvents;
    std::unique_ptr<TComBuffer> buffer_;
    std::unique_ptr<TComParity> parity_;
    std::unique_ptr<TComTimeouts> timeouts_;
    std::unique_ptr<TComFlowControl> flow_control_;
    TSyncMethod sync_method_ = smThreadSync;
};

// Publishes the properties and events; adds no behaviour.
class TComPort : public TCustomComPort {
public:
    using TCustomComPort::TCustomComPort;
    ~TComPort() override { ShutDown(); }
};

}  // namespace serial
