// SPDX-License-Identifier: GPL-3.0-or-later
// The framer fed directly through AcceptData: the case table, the pending
// limit, property changes, custom searches and handler errors.
#include <gtest/gtest.h>

#include <stdexcept>

#include "framer/framer_cases.h"
#include "serial/com_data_packet.h"

using namespace framer_test;
using serial::TComDataPacket;

namespace {

class FramerTable : public ::testing::TestWithParam<Case> {};

TEST_P(FramerTable, FedDirectly) {
    const Case& c = GetParam();
    TComDataPacket framer;
    Apply(framer, c.settings);
    Recorder rec;
    rec.Attach(framer);
    for (const std::string& chunk : c.chunks) framer.AcceptData(chunk);
    EXPECT_EQ(rec.events, c.events);
    EXPECT_EQ(ShowHex(std::string(framer.PendingData())), ShowHex(c.pending));
}

INSTANTIATE_TEST_SUITE_P(Cases, FramerTable, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST(FramerDefaults, FreshFramerPassesChunksThrough) {
    TComDataPacket framer;
    EXPECT_EQ(framer.MaxBufferSize(), 1024);
    EXPECT_EQ(framer.Size(), 0);
    EXPECT_FALSE(framer.CaseInsensitive());
    EXPECT_FALSE(framer.IncludeStrings());
    EXPECT_EQ(framer.ComPort(), nullptr);
    EXPECT_FALSE(framer.CanCutPackets());
    Recorder rec;
    rec.Attach(framer);
    framer.AcceptData(Hex("00 F0 41"));
    EXPECT_EQ(rec.events, std::vector<std::string>{Packet(Hex("00 F0 41"))});
    EXPECT_TRUE(framer.PendingData().empty());
}

TEST(FramerCanCut, OnlyAnEndCriterionCounts) {
    TComDataPacket framer;
    framer.SetStartString("a");
    framer.OnCustomStart = [](platform::TObject*, std::string_view, int&) {};
    EXPECT_FALSE(framer.CanCutPackets());
    framer.SetSize(1);
    EXPECT_TRUE(framer.CanCutPackets());
    framer.SetSize(0);
    framer.SetStopString("z");
    EXPECT_TRUE(framer.CanCutPackets());
    framer.SetStopString("");
    framer.OnCustomStop = [](platform::TObject*, std::string_view, int&) {};
    EXPECT_TRUE(framer.CanCutPackets());
}

TEST(FramerLimit, BytesWithoutStartAreDiscardedOnceTheLimitIsReached) {
    TComDataPacket framer;
    Apply(framer, Trainer());
    Recorder rec;
    rec.Attach(framer);
    const std::string chunk(100, '\x55');
    for (int i = 0; i < 40; ++i) framer.AcceptData(chunk);
    EXPECT_TRUE(rec.events.empty());
    EXPECT_EQ(framer.PendingData().size(), 4000u);
    framer.AcceptData(chunk);  // 4100 pending: over the limit
    EXPECT_EQ(rec.events, std::vector<std::string>{Discard(std::string(4100, '\x55'))});
    EXPECT_TRUE(framer.PendingData().empty());
    EXPECT_FALSE(framer.InPacket());
    // Back out of packet: the next frame is found normally.
    framer.AcceptData(Hex("F0 01 02 03 04 F7"));
    EXPECT_EQ(rec.events.back(), Packet(Hex("F0 01 02 03 04 F7")));
}

TEST(FramerLimit, AnUnfinishedPacketCountsTowardsTheLimit) {
    TComDataPacket framer;
    framer.SetStartString("<");
    framer.SetStopString(">");
    framer.SetMaxBufferSize(8);
    Recorder rec;
    rec.Attach(framer);
    framer.AcceptData("<abc");
    EXPECT_TRUE(framer.InPacket());
    framer.AcceptData("defg");  // 8 pending, still no end
    EXPECT_EQ(rec.events, std::vector<std::string>{Discard("<abcdefg")});
    EXPECT_FALSE(framer.InPacket());
    framer.AcceptData("h>");
    EXPECT_EQ(rec.events.size(), 1u);  // no start: waits
    EXPECT_EQ(framer.PendingData(), "h>");
}

// Changing how packets are recognised throws away what was cut under the old
// rules; writing the same value, IncludeStrings or the limit does not.
TEST(FramerSettings, ChangingRecognitionDiscardsPending) {
    struct Change {
        const char* name;
        void (*apply)(TComDataPacket&);
        bool discards;
    };
    const Change changes[] = {
        {"Size", [](TComDataPacket& f) { f.SetSize(7); }, true},
        {"StartString", [](TComDataPacket& f) { f.SetStartString(Hex("F1")); }, true},
        {"StopString", [](TComDataPacket& f) { f.SetStopString(Hex("F8")); }, true},
        {"CaseInsensitive", [](TComDataPacket& f) { f.SetCaseInsensitive(false); }, true},
        {"SameSize", [](TComDataPacket& f) { f.SetSize(6); }, false},
        {"SameStart", [](TComDataPacket& f) { f.SetStartString(Hex("F0")); }, false},
        {"IncludeStrings", [](TComDataPacket& f) { f.SetIncludeStrings(false); }, false},
        {"MaxBufferSize", [](TComDataPacket& f) { f.SetMaxBufferSize(2); }, false},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.name);
        TComDataPacket framer;
        Apply(framer, Trainer());
        Recorder rec;
        rec.Attach(framer);
        framer.AcceptData(Hex("F0 01 02"));
        ASSERT_TRUE(framer.InPacket());
        change.apply(framer);
        if (change.discards) {
            EXPECT_EQ(rec.events, std::vector<std::string>{Discard(Hex("F0 01 02"))});
            EXPECT_TRUE(framer.PendingData().empty());
            EXPECT_FALSE(framer.InPacket());
        } else {
            EXPECT_TRUE(rec.events.empty());
            EXPECT_EQ(framer.PendingData().size(), 3u);
            EXPECT_TRUE(framer.InPacket());
        }
    }
}

TEST(FramerSettings, NextChunkStartsOutOfPacketAfterAChange) {
    TComDataPacket framer;
    Apply(framer, Trainer());
    Recorder rec;
    rec.Attach(framer);
    framer.AcceptData(Hex("F0 01 02"));
    framer.SetSize(5);
    framer.AcceptData(Hex("03 04 F0 05 06 07 08"));
    EXPECT_EQ(rec.events, (std::vector<std::string>{Discard(Hex("F0 01 02")), Discard(Hex("03 04")),
                                                    Packet(Hex("F0 05 06 07 08"))}));
}

TEST(FramerSettings, LoadingOnlyStoresValues) {
    TComDataPacket framer;
    Apply(framer, Trainer());
    Recorder rec;
    rec.Attach(framer);
    framer.AcceptData(Hex("F0 01"));
    framer.BeginLoading();
    framer.SetSize(10);
    framer.SetStopString(Hex("F8"));
    framer.EndLoading();
    EXPECT_TRUE(rec.events.empty());
    EXPECT_EQ(framer.Size(), 10);
    framer.AcceptData(Hex("02 F8"));
    EXPECT_EQ(rec.events, std::vector<std::string>{Packet(Hex("F0 01 02 F8"))});
}

TEST(FramerSettings, ClearPendingOnNothingKeepsThePacketState) {
    TComDataPacket framer;
    framer.SetSize(2);
    Recorder rec;
    rec.Attach(framer);
    framer.AcceptData("ab");  // taken; the next packet starts at once
    EXPECT_TRUE(framer.InPacket());
    framer.ClearPending();
    EXPECT_TRUE(framer.InPacket());
    EXPECT_EQ(rec.events, std::vector<std::string>{Packet("ab")});
}

// Custom searches: the whole of the pending bytes arrive, Pos -1 defers to
// the framer's own rules, and a position or length decides otherwise.
TEST(FramerCustomSearch, StartAndLengthFromHandlers) {
    TComDataPacket framer;
    Recorder rec;
    rec.Attach(framer);
    std::vector<std::string> seen_by_stop;
    // '$' starts a packet; its second byte is the packet's total length.
    framer.OnCustomStart = [](platform::TObject*, std::string_view str, int& pos) {
        const size_t at = str.find('$');
        pos = at == std::string_view::npos ? 0 : static_cast<int>(at) + 1;
    };
    framer.OnCustomStop = [&](platform::TObject* sender, std::string_view str, int& pos) {
        EXPECT_EQ(sender, &framer);
        EXPECT_EQ(pos, -1);
        seen_by_stop.emplace_back(str);
        if (str.size() >= 2 && str.size() >= static_cast<unsigned char>(str[1]))
            pos = static_cast<unsigned char>(str[1]);
        else
            pos = 0;
    };
    framer.AcceptData(std::string("xx$\x04", 4));
    framer.AcceptData(std::string("ab$\x03", 4));
    framer.AcceptData(std::string("c", 1));
    EXPECT_EQ(rec.events, (std::vector<std::string>{Discard("xx"), Packet(std::string("$\x04" "ab", 4)),
                                                    Packet(std::string("$\x03" "c", 3))}));
    EXPECT_EQ(seen_by_stop.front(), std::string("$\x04", 2));
}

TEST(FramerCustomSearch, StartHandlerOverridesTheStartString) {
    TComDataPacket framer;
    framer.SetStartString("<");
    framer.SetSize(2);
    Recorder rec;
    rec.Attach(framer);
    int answer = 0;
    framer.OnCustomStart = [&](platform::TObject*, std::string_view, int& pos) { pos = answer; };
    framer.AcceptData("x<y");
    EXPECT_TRUE(rec.events.empty());  // 0 = no start yet, though '<' is there
    answer = -1;                      // defer: the start string decides
    framer.AcceptData("z");
    EXPECT_EQ(rec.events, (std::vector<std::string>{Discard("x"), Packet("y")}));
}

TEST(FramerCustomSearch, StopHandlerDeferringLeavesSizeAndStopRules) {
    TComDataPacket framer;
    Apply(framer, Trainer());
    int calls = 0;
    framer.OnCustomStart = [&](platform::TObject*, std::string_view, int&) { ++calls; };
    framer.OnCustomStop = [&](platform::TObject*, std::string_view, int&) { ++calls; };
    Recorder rec;
    rec.Attach(framer);
    framer.AcceptData(Hex("F0 01 02 03 04 05 AA F0 01 F7"));
    EXPECT_EQ(rec.events, (std::vector<std::string>{Packet(Hex("F0 01 02 03 04 05")), Discard(Hex("AA")),
                                                    Packet(Hex("F0 01 F7"))}));
    EXPECT_GE(calls, 4);
}

// A stop handler that reports an end even on no data must not make the scan
// repeat forever: each byte becomes a packet, then one empty packet, then the
// call returns.
TEST(FramerCustomSearch, StopReportingAnEndOnEmptyDataTerminates) {
    TComDataPacket framer;
    int calls = 0;
    // Bounded, so that a scan which does not end fails here instead of hanging.
    framer.OnCustomStop = [&](platform::TObject*, std::string_view, int& pos) {
        if (++calls > 1000) throw std::runtime_error("the scan does not end");
        pos = 1;
    };
    Recorder rec;
    rec.Attach(framer);
    ASSERT_NO_THROW(framer.AcceptData("ab"));
    EXPECT_EQ(rec.events, (std::vector<std::string>{Packet("a"), Packet("b"), Packet("")}));
    // A length beyond the pending bytes takes what there is.
    framer.OnCustomStop = [&](platform::TObject*, std::string_view, int& pos) {
        if (++calls > 1000) throw std::runtime_error("the scan does not end");
        pos = 100;
    };
    rec.events.clear();
    ASSERT_NO_THROW(framer.AcceptData("cd"));
    EXPECT_EQ(rec.events, (std::vector<std::string>{Packet("cd"), Packet("")}));
    EXPECT_TRUE(framer.PendingData().empty());
}

// The view a search handler receives stays intact even when the handler feeds
// more data in: the new bytes are scanned by the nested call, and the outer
// scan carries on with the rest.
TEST(FramerCustomSearch, HandlerFeedingDataKeepsItsViewIntact) {
    TComDataPacket framer;
    framer.SetStopString(";");
    framer.SetIncludeStrings(true);
    Recorder rec;
    rec.Attach(framer);
    bool fed = false;
    framer.OnCustomStop = [&](platform::TObject*, std::string_view str, int&) {
        const std::string before(str);
        if (!fed) {
            fed = true;
            framer.AcceptData(std::string(5000, 'q') + ";");
        }
        EXPECT_EQ(std::string(str), before);
    };
    framer.AcceptData("a;b");
    ASSERT_EQ(rec.events.size(), 2u);
    EXPECT_EQ(rec.events[0], Packet("a;"));
    EXPECT_TRUE(rec.events[1] == Packet("b" + std::string(5000, 'q') + ";")) << "second packet differs";
    EXPECT_TRUE(framer.PendingData().empty());
}

TEST(FramerCustomSearch, RefeedingPendingBytesIsSafe) {
    TComDataPacket framer;
    framer.SetSize(6);
    Recorder rec;
    rec.Attach(framer);
    framer.AcceptData("xyz");
    framer.AcceptData(framer.PendingData());
    EXPECT_EQ(rec.events, std::vector<std::string>{Packet("xyzxyz")});
}

// Errors from handlers reach the caller of AcceptData; the limit is still
// enforced and a failed discard still empties the buffer.
TEST(FramerErrors, PacketHandlerErrorStillEnforcesTheLimit) {
    TComDataPacket framer;
    framer.SetSize(2);
    framer.SetMaxBufferSize(4);
    std::vector<std::string> discards;
    framer.OnPacket = [](platform::TObject*, const std::string&) { throw std::runtime_error("handler"); };
    framer.OnDiscard = [&](platform::TObject*, const std::string& s) { discards.push_back(s); };
    EXPECT_THROW(framer.AcceptData("abcdefgh"), std::runtime_error);
    EXPECT_EQ(discards, std::vector<std::string>{"cdefgh"});
    EXPECT_TRUE(framer.PendingData().empty());
}

TEST(FramerErrors, DiscardHandlerErrorStillEmptiesTheBuffer) {
    TComDataPacket framer;
    Apply(framer, Trainer());
    framer.SetMaxBufferSize(4);
    framer.OnDiscard = [](platform::TObject*, const std::string&) { throw std::runtime_error("handler"); };
    EXPECT_THROW(framer.AcceptData(Hex("F0 01 02 03")), std::runtime_error);
    EXPECT_TRUE(framer.PendingData().empty());
    EXPECT_FALSE(framer.InPacket());
    // An error while dropping leading bytes leaves the packet found.
    framer.SetMaxBufferSize(0);
    EXPECT_THROW(framer.AcceptData(Hex("AA F0 01")), std::runtime_error);
    EXPECT_TRUE(framer.InPacket());
    EXPECT_EQ(ShowHex(std::string(framer.PendingData())), "F0 01");
}

TEST(FramerHandlers, ChangingMarkersFromOnPacketEndsTheScan) {
    TComDataPacket framer;
    framer.SetStartString("<");
    framer.SetStopString(">");
    framer.SetIncludeStrings(true);
    std::vector<std::string> events;
    framer.OnPacket = [&](platform::TObject*, const std::string& s) {
        events.push_back(Packet(s));
        framer.SetStopString("]");
    };
    framer.OnDiscard = [&](platform::TObject*, const std::string& s) { events.push_back(Discard(s)); };
    framer.AcceptData("<a><b>");
    EXPECT_EQ(events, (std::vector<std::string>{Packet("<a>"), Discard("<b>")}));
    EXPECT_TRUE(framer.PendingData().empty());
}

}  // namespace
