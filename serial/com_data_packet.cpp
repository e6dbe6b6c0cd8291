// SPDX-License-Identifier: GPL-3.0-or-later
#include "serial/com_data_packet.h"

#include <algorithm>
#include <functional>

#include "serial/com_port.h"

namespace serial {

namespace {

// ASCII letters only: bytes above 0x7F are never folded, whatever the locale.
inline char FoldByte(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 0x20) : c;
}

std::string MatchForm(std::string_view s, bool fold) {
    std::string out(s);
    if (fold) std::transform(out.begin(), out.end(), out.begin(), FoldByte);
    return out;
}

bool HasUpperLetter(std::string_view s) {
    return std::any_of(s.begin(), s.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
}

// Index of the first occurrence of `marker` (already in match form) in `text`
// compared in match form, or npos. An empty marker or text never matches.
size_t FindMarker(std::string_view text, std::string_view marker, bool fold) {
    if (marker.empty() || text.empty()) return std::string_view::npos;
    // A folded marker without letters can only match bytes equal to it, so
    // the plain search gives the same answer.
    if (!fold || !HasUpperLetter(marker)) return text.find(marker);
    if (marker.size() > text.size()) return std::string_view::npos;
    const size_t last = text.size() - marker.size();
    for (size_t i = 0; i <= last; ++i) {
        size_t k = 0;
        while (k < marker.size() && FoldByte(text[i + k]) == marker[k]) ++k;
        if (k == marker.size()) return i;
    }
    return std::string_view::npos;
}

}  // namespace

// Keeps the buffer a custom search is looking at alive and unchanged until the
// search returns, whatever its handler does to the framer.
class TComDataPacket::SearchScope {
public:
    explicit SearchScope(TComDataPacket& owner) : owner_(owner) { ++owner_.search_depth_; }
    ~SearchScope() {
        if (--owner_.search_depth_ == 0) owner_.retired_.clear();
    }
    SearchScope(const SearchScope&) = delete;
    SearchScope& operator=(const SearchScope&) = delete;

private:
    TComDataPacket& owner_;
};

TComDataPacket::TComDataPacket(platform::TComponent* owner)
    : platform::TComponent(owner), buffer_(std::make_unique<std::string>()) {
    link_.DataReceived = [this](platform::TObject* sender, const char* buffer, int count) {
        ReceiveChunk(sender, buffer, count);
    };
}

TComDataPacket::~TComDataPacket() {
    Destroying();
    SetComPort(nullptr);
}

void TComDataPacket::SetComPort(TCustomComPort* port) {
    if (port == port_) return;
    if (port_) {
        TCustomComPort* old = port_;
        port_ = nullptr;
        port_component_ = nullptr;
        old->DetachLink(&link_);
    }
    if (port) {
        // Kept after a later detach: the port relies on it to know that a
        // client may still hold it.
        port->FreeNotification(this);
        port->AttachLink(&link_);
        port_ = port;
        port_component_ = port;
    }
}

void TComDataPacket::Notification(platform::TComponent* component, platform::TOperation operation) {
    platform::TComponent::Notification(component, operation);
    if (operation != platform::opRemove || !port_component_ || component != port_component_) return;
    // The port is being freed: it forgets its links by itself, and the parts
    // of it that would detach us may already be gone. Only the component
    // part is still safe to look at.
    if (port_component_->IsDestroying()) {
        port_ = nullptr;
        port_component_ = nullptr;
    } else {
        SetComPort(nullptr);
    }
}

void TComDataPacket::SetCaseInsensitive(bool value) {
    if (value == case_insensitive_) return;
    case_insensitive_ = value;
    RefoldMarkers();
    AfterMarkerChange();
}

void TComDataPacket::SetSize(int value) {
    if (value == size_) return;
    size_ = value;
    AfterMarkerChange();
}

void TComDataPacket::SetStartString(const std::string& value) {
    if (value == start_string_) return;
    start_string_ = value;
    RefoldMarkers();
    AfterMarkerChange();
}

void TComDataPacket::SetStopString(const std::string& value) {
    if (value == stop_string_) return;
    stop_string_ = value;
    RefoldMarkers();
    AfterMarkerChange();
}

void TComDataPacket::RefoldMarkers() {
    start_match_ = MatchForm(start_string_, case_insensitive_);
    stop_match_ = MatchForm(stop_string_, case_insensitive_);
}

void TComDataPacket::AfterMarkerChange() {
    // Stored values are applied one by one while loading; nothing is pending
    // then that a half-configured framer could judge.
    if (!IsLoading()) ClearPending();
}

bool TComDataPacket::CanCutPackets() const {
    return size_ > 0 || !stop_string_.empty() || static_cast<bool>(OnCustomStop);
}

void TComDataPacket::ReceiveChunk(platform::TObject*, const char* buffer, int count) {
    if (!buffer || count <= 0) return;
    AcceptData(std::string_view(buffer, static_cast<size_t>(count)));
}

void TComDataPacket::AcceptData(std::string_view str) {
    if (!CanCutPackets()) {
        NotifyPacket(std::string(str));
        return;
    }
    Append(str);
    ScanPending();
}

void TComDataPacket::Append(std::string_view str) {
    if (search_depth_ > 0) {
        // A custom search is looking at the current buffer: leave it intact.
        auto fresh = std::make_unique<std::string>();
        fresh->reserve(PendingData().size() + str.size());
        fresh->append(PendingData());
        fresh->append(str);
        retired_.push_back(std::move(buffer_));
        buffer_ = std::move(fresh);
    } else {
        // Bytes that come out of this very buffer (a caller re-feeding what a
        // search showed it) must be copied before the buffer moves.
        const std::less_equal<const char*> le;
        const bool aliases = !str.empty() && le(buffer_->data(), str.data()) &&
                             le(str.data(), buffer_->data() + buffer_->size());
        const std::string copy = aliases ? std::string(str) : std::string();
        if (aliases) str = copy;
        buffer_->erase(0, head_);
        buffer_->append(str);
    }
    head_ = 0;
}

void TComDataPacket::ScanPending() {
    // One round per packet taken, so that every packet of a chunk is delivered,
    // in order, before the chunk is done. A loop rather than a nested call: a
    // large chunk of small packets must not grow the stack.
    try {
        for (;;) {
            if (!in_packet_) FindPacketStart();
            if (!in_packet_) break;
            const bool empty_take = FindPacketEnd();
            if (in_packet_ || empty_take) break;
        }
    } catch (...) {
        EnforceLimit();
        throw;
    }
    EnforceLimit();
}

void TComDataPacket::EnforceLimit() {
    if (max_buffer_size_ > 0 && PendingData().size() >= static_cast<size_t>(max_buffer_size_)) ClearPending();
}

void TComDataPacket::FindPacketStart() {
    int pos = -1;
    {
        SearchScope scope(*this);
        QueryCustomStart(PendingData(), pos);
    }
    if (pos > 0) {
        DropLeading(static_cast<size_t>(pos));
    } else if (pos == -1) {
        if (start_match_.empty()) {
            in_packet_ = true;
        } else {
            const size_t at = FindMarker(PendingData(), start_match_, case_insensitive_);
            // No start yet: the bytes wait for a later chunk or the limit.
            if (at != std::string_view::npos) DropLeading(at + 1);
        }
    }
}

void TComDataPacket::DropLeading(size_t p) {
    in_packet_ = true;
    const size_t n = std::min(p - 1, PendingData().size());
    if (n == 0) return;
    std::string dropped(PendingData().substr(0, n));
    head_ += n;
    NotifyDiscard(dropped);
}

bool TComDataPacket::FindPacketEnd() {
    int pos = -1;
    {
        SearchScope scope(*this);
        QueryCustomStop(PendingData(), pos);
    }
    size_t n = 0;
    if (pos > 0) {
        n = static_cast<size_t>(pos);
        in_packet_ = false;
    } else if (pos == -1) {
        const std::string_view pending = PendingData();
        if (size_ > 0 && pending.size() >= static_cast<size_t>(size_)) {
            n = static_cast<size_t>(size_);
            in_packet_ = false;
        } else {
            // The start string itself is skipped, so a marker pair such as
            // "::" ... "::" finds the second one.
            const size_t skip = std::min(start_string_.size(), pending.size());
            const size_t at = FindMarker(pending.substr(skip), stop_match_, case_insensitive_);
            if (at != std::string_view::npos) {
                n = skip + at + stop_string_.size();
                in_packet_ = false;
            }
        }
    }
    if (in_packet_) return false;
    return TakePacket(n);
}

bool TComDataPacket::TakePacket(size_t n) {
    const std::string_view pending = PendingData();
    n = std::min(n, pending.size());
    std::string packet(pending.substr(0, n));
    head_ += n;
    const bool empty_take = n == 0 && PendingData().empty();
    if (!include_strings_) StripMarkers(packet);
    NotifyPacket(packet);
    return empty_take;
}

void TComDataPacket::StripMarkers(std::string& packet) const {
    if (!start_match_.empty() && FindMarker(packet, start_match_, case_insensitive_) == 0)
        packet.erase(0, start_string_.size());
    // Only when the first stop string in the packet is the one at its end: a
    // packet holding the stop string earlier keeps its final one.
    if (!stop_match_.empty() && packet.size() >= stop_string_.size() &&
        FindMarker(packet, stop_match_, case_insensitive_) == packet.size() - stop_string_.size())
        packet.erase(packet.size() - stop_string_.size());
}

void TComDataPacket::ClearPending() {
    if (PendingData().empty()) return;
    std::string all(PendingData());
    struct Reset {
        TComDataPacket& self;
        ~Reset() {
            self.head_ = self.buffer_->size();
            self.in_packet_ = false;
        }
    } reset{*this};
    NotifyDiscard(all);
}

void TComDataPacket::NotifyDiscard(const std::string& str) {
    if (OnDiscard) OnDiscard(this, str);
}

void TComDataPacket::NotifyPacket(const std::string& str) {
    if (OnPacket) OnPacket(this, str);
}

void TComDataPacket::QueryCustomStart(std::string_view str, int& pos) {
    if (OnCustomStart) OnCustomStart(this, str, pos);
}

void TComDataPacket::QueryCustomStop(std::string_view str, int& pos) {
    if (OnCustomStop) OnCustomStop(this, str, pos);
}

}  // namespace serial
