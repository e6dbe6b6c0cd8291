// SPDX-License-Identifier: GPL-3.0-or-later
// Streams of trainer frames cut into random chunks: however the line splits
// them, the framer must give back exactly the frames sent, in order.
#include <gtest/gtest.h>

#include <random>

#include "framer/framer_cases.h"
#include "serial/com_data_packet.h"

using namespace framer_test;
using serial::TComDataPacket;

namespace {

// A byte that may stand inside a frame: anything but the two markers.
char DataByte(std::mt19937& rng) {
    for (;;) {
        const auto b = static_cast<unsigned char>(rng() & 0xFF);
        if (b != 0xF0 && b != 0xF7) return static_cast<char>(b);
    }
}

std::string Frame(std::mt19937& rng) {
    std::string f(1, '\xF0');
    for (int i = 0; i < 4; ++i) f.push_back(DataByte(rng));
    f.push_back('\xF7');
    return f;
}

// Feeds `stream` in chunks of 1..max_chunk bytes.
void FeedInRandomChunks(TComDataPacket& framer, const std::string& stream, std::mt19937& rng, size_t max_chunk) {
    std::uniform_int_distribution<size_t> len(1, max_chunk);
    for (size_t at = 0; at < stream.size();) {
        const size_t n = std::min(len(rng), stream.size() - at);
        framer.AcceptData(std::string_view(stream).substr(at, n));
        at += n;
    }
}

TEST(FramerStreamProperty, CleanFramesComeBackWhateverTheChunking) {
    for (unsigned seed = 1; seed <= 300; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 rng(seed);
        std::vector<std::string> sent;
        std::string stream;
        const int frames = 1 + static_cast<int>(rng() % 200);
        for (int i = 0; i < frames; ++i) {
            sent.push_back(Frame(rng));
            stream += sent.back();
        }
        TComDataPacket framer;
        Apply(framer, Trainer());
        std::vector<std::string> got;
        size_t discards = 0;
        framer.OnPacket = [&](platform::TObject*, const std::string& s) { got.push_back(s); };
        framer.OnDiscard = [&](platform::TObject*, const std::string&) { ++discards; };
        FeedInRandomChunks(framer, stream, rng, 1 + rng() % 40);
        ASSERT_EQ(got, sent);
        EXPECT_EQ(discards, 0u);
        EXPECT_TRUE(framer.PendingData().empty());
    }
}

// Line noise without a start byte between frames is reported as one discard
// per run, however it was split, and never disturbs the frames around it.
TEST(FramerStreamProperty, NoiseBetweenFramesIsDiscardedRunByRun) {
    for (unsigned seed = 1; seed <= 300; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 rng(seed);
        std::vector<std::string> sent;
        std::vector<std::string> noise_runs;
        std::string stream;
        const int frames = 1 + static_cast<int>(rng() % 100);
        for (int i = 0; i < frames; ++i) {
            if (rng() % 3 == 0) {
                std::string noise;
                const int n = 1 + static_cast<int>(rng() % 12);
                for (int k = 0; k < n; ++k) {
                    // Noise may hold stop bytes, never a start byte.
                    const char b = (rng() % 4 == 0) ? '\xF7' : DataByte(rng);
                    noise.push_back(b);
                }
                noise_runs.push_back(noise);
                stream += noise;
            }
            sent.push_back(Frame(rng));
            stream += sent.back();
        }
        TComDataPacket framer;
        Apply(framer, Trainer());
        std::vector<std::string> got;
        std::vector<std::string> discarded;
        framer.OnPacket = [&](platform::TObject*, const std::string& s) { got.push_back(s); };
        framer.OnDiscard = [&](platform::TObject*, const std::string& s) { discarded.push_back(s); };
        FeedInRandomChunks(framer, stream, rng, 1 + rng() % 40);
        ASSERT_EQ(got, sent);
        EXPECT_EQ(discarded, noise_runs);
    }
}

}  // namespace
