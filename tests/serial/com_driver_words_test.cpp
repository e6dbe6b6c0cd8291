// SPDX-License-Identifier: GPL-3.0-or-later
// The driver's words (event mask, error word, modem status) and the sets the
// port reports them as. A wrong bit here silently loses events or errors.
#include <gtest/gtest.h>

#include "serial/com_port.h"

namespace serial {
namespace {

TEST(ComDriverWordsTest, EventsMapToTheirDriverBits) {
    const std::pair<TComEvent, uint32_t> table[] = {
        {evRxChar, 0x0001}, {evTxEmpty, 0x0004}, {evRxFlag, 0x0002}, {evRing, 0x0100},  {evBreak, 0x0040},
        {evCTS, 0x0008},    {evDSR, 0x0010},     {evError, 0x0080},  {evRLSD, 0x0020}, {evRx80Full, 0x0400},
    };
    uint32_t all = 0;
    for (auto [event, bit] : table) {
        EXPECT_EQ(EventMaskBit(event), bit) << static_cast<int>(event);
        EXPECT_EQ(EventsToMask(TComEvents{event}), bit);
        EXPECT_EQ(MaskToEvents(bit), TComEvents{event});
        all |= bit;
    }
    EXPECT_EQ(EventsToMask(kAllComEvents), all);
    EXPECT_EQ(MaskToEvents(all | 0x0200 | 0x8000), kAllComEvents);  // unknown bits are dropped
    EXPECT_EQ(EventsToMask({}), 0u);
}

TEST(ComDriverWordsTest, ErrorWordBecomesTheErrorSet) {
    const std::pair<uint32_t, TComError> table[] = {
        {0x0008, errFrame}, {0x0002, errOverrun}, {0x0010, errBreak},      {0x0400, errIO},
        {0x8000, errMode},  {0x0001, errRxOverflow}, {0x0100, errTxFull},
    };
    for (auto [bit, error] : table) {
        EXPECT_EQ(LineErrorsFromWord(bit, false), TComErrors{error}) << bit;
        EXPECT_EQ(LineErrorsFromWord(bit, true), TComErrors{error}) << bit;
    }
    // A parity error counts only while parity is checked.
    EXPECT_TRUE(LineErrorsFromWord(0x0004, false).Empty());
    EXPECT_EQ(LineErrorsFromWord(0x0004, true), TComErrors{errRxParity});
    // Other driver bits are dropped.
    EXPECT_TRUE(LineErrorsFromWord(0x0020 | 0x0040 | 0x0080 | 0x0200 | 0x0800, true).Empty());
    EXPECT_EQ(LineErrorsFromWord(0x0008 | 0x0004 | 0x0001, false), (TComErrors{errFrame, errRxOverflow}));
}

TEST(ComDriverWordsTest, ModemStatusBecomesTheLineSignals) {
    EXPECT_EQ(LineSignalsFromStatus(0x10), TLineSignals{lsCTS});
    EXPECT_EQ(LineSignalsFromStatus(0x20), TLineSignals{lsDSR});
    EXPECT_EQ(LineSignalsFromStatus(0x40), TLineSignals{lsRing});
    EXPECT_EQ(LineSignalsFromStatus(0x80), TLineSignals{lsRLSD});
    EXPECT_EQ(LineSignalsFromStatus(0xF0).ToBits(), 0x0F);
    EXPECT_TRUE(LineSignalsFromStatus(0x0F).Empty());
}

}  // namespace
}  // namespace serial
