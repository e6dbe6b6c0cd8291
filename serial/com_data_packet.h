// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TComDataPacket cuts the bytes a serial port receives into packets, found by a
// start string, a stop string, a fixed size or caller-supplied searches, in any
// combination. Complete packets go out through OnPacket, bytes that belong to
// no packet through OnDiscard. It has no thread and no lock: it runs wherever
// the port hands over received data (the main thread for the trainer).
//
// Every string here is a byte string of explicit length; 0x00 is an ordinary
// byte.
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/component.h"
#include "serial/com_link.h"

namespace serial {

class TCustomComPort;

// One packet, or one run of discarded bytes.
using TComStrEvent = std::function<void(platform::TObject* sender, const std::string& str)>;
// A caller's start or end search over all pending bytes. `str` is valid for the
// duration of the call only. `pos` arrives as -1; leaving it there lets the
// framer's own search decide.
using TCustPacketEvent = std::function<void(platform::TObject* sender, std::string_view str, int& pos)>;

class TComDataPacket : public platform::TComponent {
public:
    explicit TComDataPacket(platform::TComponent* owner = nullptr);
    ~TComDataPacket() override;

    // The port the framer listens to (not owned; nullptr = none). Attaching
    // makes the port hand its received bytes to the framer; a detached framer
    // keeps what it had pending for when it is attached again.
    TCustomComPort* ComPort() const { return port_; }
    void SetComPort(TCustomComPort* port);

    // Changing any of these four while running throws away what is pending
    // (one OnDiscard) and ends a packet in progress.
    bool CaseInsensitive() const { return case_insensitive_; }
    void SetCaseInsensitive(bool value);
    int Size() const { return size_; }
    void SetSize(int value);
    const std::string& StartString() const { return start_string_; }
    void SetStartString(const std::string& value);
    const std::string& StopString() const { return stop_string_; }
    void SetStopString(const std::string& value);

    // Plain values, used from the next scan on.
    bool IncludeStrings() const { return include_strings_; }
    void SetIncludeStrings(bool value) { include_strings_ = value; }
    int MaxBufferSize() const { return max_buffer_size_; }
    void SetMaxBufferSize(int value) { max_buffer_size_ = value; }

    TComStrEvent OnDiscard;
    TComStrEvent OnPacket;
    TCustPacketEvent OnCustomStart;
    TCustPacketEvent OnCustomStop;

    // Feeds received bytes. When packets can be cut they are appended to the
    // pending bytes and every complete packet is delivered, in order, before
    // the call returns; otherwise the bytes go out at once as one packet.
    void AcceptData(std::string_view str);
    // The link's data callback: Count bytes from the port.
    void ReceiveChunk(platform::TObject* sender, const char* buffer, int count);

    // A packet end can be recognised: a size, a stop string or a custom stop.
    bool CanCutPackets() const;

    // Reports everything pending as one discard, then empties it and leaves
    // the packet in progress.
    void ClearPending();

    // Bytes received and neither delivered nor discarded yet, oldest first.
    // The view is valid until the framer is next fed or changed.
    std::string_view PendingData() const { return std::string_view(*buffer_).substr(head_); }
    // A packet start has been found and its end is awaited.
    bool InPacket() const { return in_packet_; }

protected:
    virtual void ScanPending();

    virtual void NotifyDiscard(const std::string& str);
    virtual void NotifyPacket(const std::string& str);
    virtual void QueryCustomStart(std::string_view str, int& pos);
    virtual void QueryCustomStop(std::string_view str, int& pos);

    void Notification(platform::TComponent* component, platform::TOperation operation) override;

private:
    class SearchScope;

    void FindPacketStart();
    // True when a packet was taken and it was empty with nothing left pending:
    // a custom stop that reports an end on no data, which must not repeat.
    bool FindPacketEnd();
    bool TakePacket(size_t n);
    void DropLeading(size_t p);
    void StripMarkers(std::string& packet) const;
    void EnforceLimit();
    void Append(std::string_view str);
    void AfterMarkerChange();
    void RefoldMarkers();

    TComLink link_;
    TCustomComPort* port_ = nullptr;
    // The same port seen as a component: removal notices arrive while the
    // port's own parts are already destroyed, so they are matched and
    // inspected through this one.
    platform::TComponent* port_component_ = nullptr;
    std::string start_string_;
    std::string stop_string_;
    // The markers as compared (letters folded when case-insensitive).
    std::string start_match_;
    std::string stop_match_;
    int max_buffer_size_ = 1024;
    int size_ = 0;
    bool include_strings_ = false;
    bool case_insensitive_ = false;
    bool in_packet_ = false;

    // Pending bytes are (*buffer_)[head_..]: taking a packet only moves head_,
    // so a chunk holding many packets costs one pass, not one copy per packet.
    // While a custom search runs it sees a view of the buffer; data arriving
    // re-entrantly then goes to a fresh buffer and the old one is kept alive
    // until the outermost search returns.
    std::unique_ptr<std::string> buffer_;
    size_t head_ = 0;
    int search_depth_ = 0;
    std::vector<std::unique_ptr<std::string>> retired_;
};

}  // namespace serial
