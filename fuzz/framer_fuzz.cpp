// SPDX-License-Identifier: GPL-3.0-or-later
// Drives the packet framer with settings, custom searches and chunkings taken
// from the input. Beyond memory safety and termination it checks, after every
// chunk, that the pending bytes stay under the limit and that no byte is lost
// or invented: delivered + discarded + pending = fed, while markers are kept.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "serial/com_data_packet.h"
#include "fuzz/fuzz_input.h"

namespace {

using fuzzing::Input;

// A search handler's answer: -1 (defer), 0 or below (nothing yet) or a
// position, sometimes beyond the data, sometimes on no data at all.
int Answer(uint8_t mode, size_t length, unsigned call) {
    switch ((mode + call) % 6) {
    case 0: return -1;
    case 1: return 0;
    case 2: return -7;
    case 3: return 1;
    case 4: return static_cast<int>(length / 2) + 1;
    default: return static_cast<int>(length) + 3;
    }
}

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "framer check failed: %s\n", what);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in(data, size);
    const uint8_t flags = in.Byte();
    const uint8_t start_len = in.Byte() % 4;
    const uint8_t stop_len = in.Byte() % 4;
    const int packet_size = static_cast<int8_t>(in.Byte()) % 12;
    const int limit = static_cast<int8_t>(in.Byte());  // negative: no limit
    const uint8_t start_mode = in.Byte();
    const uint8_t stop_mode = in.Byte();

    serial::TComDataPacket framer;
    framer.SetCaseInsensitive(flags & 1);
    framer.SetIncludeStrings(flags & 2);
    framer.SetStartString(std::string(in.Bytes(start_len)));
    framer.SetStopString(std::string(in.Bytes(stop_len)));
    framer.SetSize(packet_size);
    framer.SetMaxBufferSize(limit);

    unsigned calls = 0;
    if (flags & 4)
        framer.OnCustomStart = [&](platform::TObject*, std::string_view str, int& pos) {
            pos = Answer(start_mode, str.size(), calls++);
        };
    if (flags & 8)
        framer.OnCustomStop = [&](platform::TObject*, std::string_view str, int& pos) {
            pos = Answer(stop_mode, str.size(), calls++);
        };

    size_t fed = 0;
    size_t out = 0;
    const bool conserving = framer.IncludeStrings();
    framer.OnPacket = [&](platform::TObject*, const std::string& s) { out += s.size(); };
    framer.OnDiscard = [&](platform::TObject*, const std::string& s) { out += s.size(); };

    while (!in.Empty()) {
        const uint8_t op = in.Byte();
        if (op == 0xFF) {
            // A run-time change of how packets are recognised.
            framer.SetSize(framer.Size() == packet_size ? packet_size + 1 : packet_size);
            continue;
        }
        if (op == 0xFE) {
            framer.SetCaseInsensitive(!framer.CaseInsensitive());
            continue;
        }
        // 0xFD feeds back what is pending: bytes that come out of the very
        // buffer they are appended to (bounded: without a limit each one
        // doubles the buffer).
        const bool refeed = op == 0xFD && framer.PendingData().size() <= 4096;
        const std::string_view chunk = refeed ? framer.PendingData() : in.Bytes(op % 64 + 1);
        const bool cutting = framer.CanCutPackets();
        fed += chunk.size();
        framer.AcceptData(chunk);
        if (cutting && framer.MaxBufferSize() > 0)
            Check(framer.PendingData().size() < static_cast<size_t>(framer.MaxBufferSize()), "pending over limit");
        if (conserving) Check(out + framer.PendingData().size() == fed, "bytes lost or invented");
    }
    return 0;
}
