// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The registration object through which a client (the packet framer) receives
// a port's data and notifications. The client that creates a link owns it; the
// port only lists it and calls every assigned callback, in registration order,
// with the port as Sender.
#include <functional>
#include <string>

#include "platform/component.h"

namespace serial {

using platform::TObject;

struct TComLink {
    using OnOffCallback = std::function<void(TObject* sender, bool on_off)>;
    using BufferCallback = std::function<void(TObject* sender, const char* buffer, int count)>;
    using NotifyCallback = std::function<void(TObject* sender)>;

    OnOffCallback ConnectionChanged;
    BufferCallback DataReceived;
    BufferCallback DataSent;
    NotifyCallback TxEmptied;
    NotifyCallback RxFlagSeen;
    OnOffCallback CTSChanged;
    OnOffCallback DSRChanged;
    OnOffCallback RLSDChanged;
    NotifyCallback RingSeen;
    OnOffCallback TxActivity;
    OnOffCallback RxActivity;
};

}  // namespace serial
