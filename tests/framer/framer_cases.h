// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Framing cases shared by the direct tests and the pseudo-terminal run: each
// gives the framer's settings, the chunks as they arrive, the events expected
// in order and what must stay pending.
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "serial/com_data_packet.h"

namespace framer_test {

// "F0 01 F7" -> three bytes. Spaces separate bytes; anything else is hex.
inline std::string Hex(const std::string& text) {
    std::string out;
    unsigned value = 0;
    int digits = 0;
    for (char c : text) {
        if (c == ' ') {
            if (digits) out.push_back(static_cast<char>(value));
            value = 0;
            digits = 0;
            continue;
        }
        value = value * 16 + static_cast<unsigned>(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
        ++digits;
    }
    if (digits) out.push_back(static_cast<char>(value));
    return out;
}

// Bytes as "F0 01 F7", so a failure shows every byte, 0x00 included.
inline std::string ShowHex(const std::string& bytes) {
    std::string out;
    char cell[4];
    for (unsigned char b : bytes) {
        std::snprintf(cell, sizeof cell, "%02X", b);
        if (!out.empty()) out += ' ';
        out += cell;
    }
    return out;
}

// "P:" + packet bytes or "D:" + discarded bytes.
inline std::string Packet(const std::string& bytes) { return "P:" + ShowHex(bytes); }
inline std::string Discard(const std::string& bytes) { return "D:" + ShowHex(bytes); }

struct Settings {
    std::string start;
    std::string stop;
    int size = 0;
    bool case_insensitive = false;
    bool include_strings = false;
    int max_buffer_size = 1024;
};

inline Settings Trainer() {
    return Settings{Hex("F0"), Hex("F7"), 6, true, true, 4096};
}

inline void Apply(serial::TComDataPacket& framer, const Settings& s) {
    framer.SetStartString(s.start);
    framer.SetStopString(s.stop);
    framer.SetSize(s.size);
    framer.SetCaseInsensitive(s.case_insensitive);
    framer.SetIncludeStrings(s.include_strings);
    framer.SetMaxBufferSize(s.max_buffer_size);
}

// Records OnPacket and OnDiscard in arrival order.
struct Recorder {
    std::vector<std::string> events;
    size_t packets = 0;

    void Attach(serial::TComDataPacket& framer) {
        framer.OnPacket = [this](platform::TObject*, const std::string& s) {
            events.push_back(Packet(s));
            ++packets;
        };
        framer.OnDiscard = [this](platform::TObject*, const std::string& s) { events.push_back(Discard(s)); };
    }
};

struct Case {
    const char* name;
    Settings settings;
    std::vector<std::string> chunks;
    std::vector<std::string> events;
    std::string pending;
};

// Test names show the case's name, not its bytes.
inline void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

inline std::vector<Case> Cases() {
    const Settings trainer = Trainer();
    Settings stripped = trainer;
    stripped.include_strings = false;
    Settings letters{"ab", "", 4, true, true, 1024};
    Settings letters_exact = letters;
    letters_exact.case_insensitive = false;
    Settings start_only{"ab", "", 0, false, false, 1024};
    Settings size_only{"", "", 3, false, false, 1024};
    Settings no_limit = trainer;
    no_limit.max_buffer_size = 0;
    Settings same_markers{"##", "##", 0, false, true, 1024};
    Settings same_markers_stripped = same_markers;
    same_markers_stripped.include_strings = false;
    Settings stop_at_end{"", "Z", 5, false, false, 1024};
    Settings word_stop{"", "end", 0, true, true, 1024};
    Settings high_bytes{Hex("E9"), "", 2, true, true, 1024};
    Settings nul_markers{Hex("00 01"), Hex("00"), 0, false, false, 1024};

    return {
        {"OneFrameOneChunk", trainer, {Hex("F0 01 02 03 04 F7")}, {Packet(Hex("F0 01 02 03 04 F7"))}, ""},
        {"OneFrameTwoChunks", trainer, {Hex("F0 01 02"), Hex("03 04 F7")}, {Packet(Hex("F0 01 02 03 04 F7"))}, ""},
        {"EarlyStopAlone", trainer, {Hex("F0 01 F7")}, {Packet(Hex("F0 01 F7"))}, ""},
        {"EarlyStopWithMoreInChunk", trainer, {Hex("F0 01 F7 02 03 04")}, {Packet(Hex("F0 01 F7 02 03 04"))}, ""},
        {"StopByteDataInPieces",
         trainer,
         {Hex("F0 01 F7"), Hex("03 04 F7"), Hex("F0 05 06 07 08 F7")},
         {Packet(Hex("F0 01 F7")), Discard(Hex("03 04 F7")), Packet(Hex("F0 05 06 07 08 F7"))},
         ""},
        {"GarbageBetweenFrames",
         trainer,
         {Hex("F0 01 02 03 04 F7 AA BB F0 05 06 07 08 F7")},
         {Packet(Hex("F0 01 02 03 04 F7")), Discard(Hex("AA BB")), Packet(Hex("F0 05 06 07 08 F7"))},
         ""},
        {"GarbageWaitsForStart", trainer, {Hex("AA BB")}, {}, Hex("AA BB")},
        {"GarbageReportedWhenStartArrives",
         trainer,
         {Hex("AA BB"), Hex("F0 01 02 03 04 F7")},
         {Discard(Hex("AA BB")), Packet(Hex("F0 01 02 03 04 F7"))},
         ""},
        {"LostStopByte",
         trainer,
         {Hex("F0 01 02 03 04"), Hex("F0 05 06 07 08 F7"), Hex("F0 11 12 13 14 F7")},
         {Packet(Hex("F0 01 02 03 04 F0")), Discard(Hex("05 06 07 08 F7")), Packet(Hex("F0 11 12 13 14 F7"))},
         ""},
        {"BackToBackFrames",
         trainer,
         {Hex("F0 01 02 03 04 F7 F0 05 06 07 08 F7")},
         {Packet(Hex("F0 01 02 03 04 F7")), Packet(Hex("F0 05 06 07 08 F7"))},
         ""},
        {"StartByteInsideIsData", trainer, {Hex("F0 01 F0 02 03 F7")}, {Packet(Hex("F0 01 F0 02 03 F7"))}, ""},
        {"PartialFrameWaits", trainer, {Hex("AA F0 01 02")}, {Discard(Hex("AA"))}, Hex("F0 01 02")},
        {"MarkersStripped",
         stripped,
         {Hex("F0 01 02 03 04 F7"), Hex("F0 01 02 03 04 05"), Hex("F0 F7")},
         {Packet(Hex("01 02 03 04")), Packet(Hex("01 02 03 04 05")), Packet("")},
         ""},
        {"CaseFoldedStart",
         letters,
         {"xxABcd", "Ab12", "ab34"},
         {Discard("xx"), Packet("ABcd"), Packet("Ab12"), Packet("ab34")},
         ""},
        {"CaseExactStart", letters_exact, {"AB12ab34Ab"}, {Discard("AB12"), Packet("ab34")}, "Ab"},
        {"FoldingLeavesHighBytesAlone",
         high_bytes,
         {Hex("C9 01 E9 02")},
         {Discard(Hex("C9 01")), Packet(Hex("E9 02"))},
         ""},
        {"StartOnlyPassesChunksThrough", start_only, {"xyz", "abc"}, {Packet("xyz"), Packet("abc")}, ""},
        {"SizeOnlyBlocks", size_only, {"abcdefgh", "i"}, {Packet("abc"), Packet("def"), Packet("ghi")}, ""},
        {"SizeOnlyRestWaits", size_only, {"abcde"}, {Packet("abc")}, "de"},
        {"NoLimitKeepsEverything", no_limit, {std::string(5000, 'x')}, {}, std::string(5000, 'x')},
        {"StopSearchSkipsStartString",
         same_markers,
         {"--##abc##--"},
         {Discard("--"), Packet("##abc##")},
         "--"},
        {"SameMarkersStripped", same_markers_stripped, {"##abc##"}, {Packet("abc")}, ""},
        {"FinalStopKeptWhenStopOccursEarlier",
         stop_at_end,
         {"aZbcZ", "abcdZ"},
         {Packet("aZbcZ"), Packet("abcd")},
         ""},
        {"CaseFoldedMultiByteStop", word_stop, {"xyEnD", "abend"}, {Packet("xyEnD"), Packet("abend")}, ""},
        {"NulBytesAreOrdinary",
         nul_markers,
         {Hex("00 00 01 41 00 42 00"), Hex("00 01 00")},
         {Discard(Hex("00")), Packet(Hex("41")), Discard(Hex("42 00")), Packet("")},
         ""},
    };
}

}  // namespace framer_test
