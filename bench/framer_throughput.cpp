// SPDX-License-Identifier: GPL-3.0-or-later
// Throughput of the packet framer in the trainer's configuration: 6-byte
// frames F0 .. F7 with occasional line noise between them, fed in chunks of
// several sizes. The line carries under 1 KB/s; the framer should be far from
// ever being what a slow machine waits on (target: above 50 MB/s).
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <string_view>

#include "serial/com_data_packet.h"

namespace {

struct Stream {
    std::string bytes;
    int64_t frames = 0;
};

// About 64 KiB of frames; one frame in eight is preceded by 1-3 noise bytes.
// Noise never holds a start or stop byte, so every frame is a packet.
Stream TrainerStream() {
    std::mt19937 rng(42);
    auto data_byte = [&] {
        for (;;) {
            const auto b = static_cast<unsigned char>(rng());
            if (b != 0xF0 && b != 0xF7) return static_cast<char>(b);
        }
    };
    Stream stream;
    while (stream.bytes.size() < 64 * 1024) {
        if (rng() % 8 == 0) {
            const int n = 1 + static_cast<int>(rng() % 3);
            for (int i = 0; i < n; ++i) stream.bytes.push_back(data_byte());
        }
        stream.bytes.push_back('\xF0');
        for (int i = 0; i < 4; ++i) stream.bytes.push_back(data_byte());
        stream.bytes.push_back('\xF7');
        ++stream.frames;
    }
    return stream;
}

void ConfigureAsTrainer(serial::TComDataPacket& framer, bool custom_searches) {
    framer.SetStartString(std::string(1, '\xF0'));
    framer.SetStopString(std::string(1, '\xF7'));
    framer.SetSize(6);
    framer.SetCaseInsensitive(true);
    framer.SetIncludeStrings(true);
    framer.SetMaxBufferSize(4096);
    if (custom_searches) {
        // The trainer assigns both searches and, for its 6-byte protocol,
        // leaves the position to the framer's own rules.
        framer.OnCustomStart = [](platform::TObject*, std::string_view, int&) {};
        framer.OnCustomStop = [](platform::TObject*, std::string_view, int&) {};
    }
}

void Run(benchmark::State& state, bool custom_searches) {
    static const Stream stream = TrainerStream();
    const auto chunk = static_cast<size_t>(state.range(0));
    serial::TComDataPacket framer;
    ConfigureAsTrainer(framer, custom_searches);
    int64_t packets = 0;
    int64_t discarded = 0;
    // Only whole frames count: F0, four data bytes, F7.
    framer.OnPacket = [&](platform::TObject*, const std::string& s) {
        if (s.size() == 6 && s.front() == '\xF0' && s.back() == '\xF7') ++packets;
        benchmark::DoNotOptimize(s.data());
    };
    framer.OnDiscard = [&](platform::TObject*, const std::string& s) { discarded += static_cast<int64_t>(s.size()); };

    const std::string_view all(stream.bytes);
    for (auto _ : state) {
        for (size_t at = 0; at < all.size(); at += chunk) framer.AcceptData(all.substr(at, chunk));
    }
    // A framer that drops or splits frames must not read as a fast one.
    const int64_t expected = static_cast<int64_t>(state.iterations()) * stream.frames;
    if (packets != expected) {
        state.SkipWithError(("the framer delivered " + std::to_string(packets) + " whole frames for " +
                             std::to_string(expected) + " frames")
                                .c_str());
        return;
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(stream.bytes.size()));
    state.counters["packets/s"] = benchmark::Counter(static_cast<double>(packets), benchmark::Counter::kIsRate);
    state.counters["noise_bytes"] =
        benchmark::Counter(static_cast<double>(discarded) / static_cast<double>(state.iterations()));
}

void BM_FramerTrainer(benchmark::State& state) { Run(state, true); }
void BM_FramerTrainerNoCustomSearch(benchmark::State& state) { Run(state, false); }

}  // namespace

// Chunk sizes: one byte at a time (worst case), what a 9600 bit/s line
// delivers per read, and large reads after a stall.
BENCHMARK(BM_FramerTrainer)->Arg(1)->Arg(8)->Arg(64)->Arg(4096);
BENCHMARK(BM_FramerTrainerNoCustomSearch)->Arg(1)->Arg(8)->Arg(64)->Arg(4096);

BENCHMARK_MAIN();
