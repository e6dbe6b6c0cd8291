// SPDX-License-Identifier: GPL-3.0-or-later
// Throughput of the trainer component's receive path with a ride running:
// frames straight into DecodeMessage (speed window, distance, heart and
// cadence filters included) and, for the short frames, the whole path from
// received bytes through the device's own framer to the decoder and the
// keep-alive answer (built, then refused by the closed port). The console
// sends ten frames a second: 60 B/s in short frames, 100 B/s in long ones.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "device/quarix_device.h"
#include "platform/message_loop.h"

namespace {

// A connected device with a ride running and no line: every decoded frame
// updates the ride figures, and answers go nowhere.
class RidingDevice {
public:
    explicit RidingDevice(double version) {
        device_.SetVersion(version);
        device_.SetSimulationMode(true);
        device_.Start();
        device_.OnConsoleKeyDown = [](platform::TObject*, device::TConsoleKey) {};
        device_.OnQuarixMessage = [this](platform::TObject*, device::TQuarixDeviceMessageType, long double,
                                         long double, long double, const std::string&) { ++messages; };
    }
    ~RidingDevice() {
        device_.Stop();
        platform::ProcessMessages();
    }
    device::TQuarixDevice& operator*() { return device_; }
    device::TQuarixDevice* operator->() { return &device_; }
    int64_t messages = 0;

private:
    device::TQuarixDevice device_;
};

// Type-1 frames as a console at about 25 km/h sends them; one in sixteen
// carries a heart pulse, one in twenty a cadence pulse.
std::vector<std::string> ShortFrames(size_t count) {
    std::mt19937 rng(7);
    std::vector<std::string> frames;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t status = (i % 16 == 0 ? 0x20 : 0) | (i % 20 == 0 ? 0x10 : 0);
        const uint8_t rolls = static_cast<uint8_t>(5 + rng() % 3);
        frames.push_back(std::string{'\xF0', '\x01', static_cast<char>(status), static_cast<char>(rolls), '\0', '\xF7'});
    }
    return frames;
}

std::vector<std::string> LongFrames(size_t count) {
    std::mt19937 rng(9);
    std::vector<std::string> frames;
    for (size_t i = 0; i < count; ++i) {
        const unsigned roll = 700 + rng() % 40;     // ticks of 26.4 us
        const unsigned cadence = 650 + rng() % 30;  // ms per crank turn
        const unsigned heart = 480 + rng() % 20;    // ms per beat
        frames.push_back(std::string{'\xF0', '\x01', '\0',
                                     static_cast<char>(roll >> 8), static_cast<char>(roll & 0xFF),
                                     static_cast<char>(cadence >> 8), static_cast<char>(cadence & 0xFF),
                                     static_cast<char>(heart >> 8), static_cast<char>(heart & 0xFF), '\xF7'});
    }
    return frames;
}

void Decode(benchmark::State& state, double version, const std::vector<std::string>& frames) {
    RidingDevice device(version);
    size_t bytes = 0;
    for (auto _ : state) {
        for (const auto& frame : frames) device->DecodeMessage(frame);
    }
    for (const auto& frame : frames) bytes += frame.size();
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * frames.size()));
    if (device.messages == 0) state.SkipWithError("nothing decoded");
}

void BM_DecodeShortFrames(benchmark::State& state) {
    static const auto frames = ShortFrames(1000);
    Decode(state, 4, frames);
}

void BM_DecodeLongFrames(benchmark::State& state) {
    static const auto frames = LongFrames(1000);
    Decode(state, 6, frames);
}

// Received bytes in reads of range(0) bytes, through the device's framer.
void BM_FrameAndDecodeShortFrames(benchmark::State& state) {
    static const auto frames = ShortFrames(1000);
    std::string stream;
    for (const auto& frame : frames) stream += frame;
    const auto chunk = static_cast<size_t>(state.range(0));
    RidingDevice device(4);
    for (auto _ : state) {
        for (size_t at = 0; at < stream.size(); at += chunk) device->Framer()->AcceptData(std::string_view(stream).substr(at, chunk));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stream.size()));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * frames.size()));
    if (device.messages != static_cast<int64_t>(state.iterations() * frames.size()))
        state.SkipWithError("frames lost between the framer and the decoder");
}

}  // namespace

BENCHMARK(BM_DecodeShortFrames);
BENCHMARK(BM_DecodeLongFrames);
BENCHMARK(BM_FrameAndDecodeShortFrames)->Arg(1)->Arg(6)->Arg(64);

BENCHMARK_MAIN();
