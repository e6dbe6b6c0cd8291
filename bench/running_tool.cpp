// SPDX-License-Identifier: GPL-3.0-or-later
// The built calibration-tool measured from outside, on a private X server:
//  - start-up: from the process's start to the window titled
//    "Calibration tool - Connected", the console (Version 6) on the first port;
//  - CPU while connected to a console streaming 10 frames/s with the ride's
//    statistics running (start-up calls Start), as CPU seconds of the whole
//    process per second of wall time. The statistics step is seen at work on
//    the wire: above Version 4 each step sends the resistance command as
//    keep-alive, carrying the level of the point chosen with the console's key;
//  - resident memory while running and its peak;
//  - a search over three silent ports (open masters that never answer): its
//    length from the progress dialog's appearance to the retry dialog's, against
//    the search's own bound rounds x ports x (200 + 3 x 100) ms, and the
//    process's CPU share meanwhile.
// The console simulator runs in this process, so its work is not counted.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "bench/pty_helpers.h"
#include "bench/tool_environment.h"
#include "tools/console_sim/console_simulator.h"

namespace {

using namespace std::chrono_literals;
using tool_driver::Process;
using tool_driver::XServer;

constexpr const char* kConnected = bench::kConnectedCaption;
constexpr int kStartUps = 5;
constexpr auto kConnectedWindow = 20s;
// The fixture's P2 level for the Version 6 trainer; the console's forward key
// moves from the start-up point P1 to P2.
constexpr int kP2Level = 60;

bench::ToolEnvironment& Env() {
    static bench::ToolEnvironment environment("tool-bench");
    return environment;
}

bool IsResistanceCommand(const std::string& frame) { return frame.size() == 6 && frame[1] == '\x01'; }
int LevelOf(const std::string& frame) { return static_cast<unsigned char>(frame[2]); }

double Mb(long kb) { return static_cast<double>(kb) / 1024.0; }

void BM_StartUpThenConnected(benchmark::State& state) {
    bench::ToolEnvironment& env = Env();
    std::vector<double> startup_ms;
    double cpu_percent = -1, rss_start = -1, rss_end = -1, peak_rss = -1, threads = -1;
    double keepalives = -1, other_commands = -1;
    for (auto _ : state) {
        for (int run = 0; run < kStartUps; ++run) {
            console_sim::ConsoleOptions options;
            options.version = 6;
            options.speed_kmh = 27;
            console_sim::ConsoleSimulator console(options);
            console.Start();
            Process tool(CALIBRATION_TOOL_BINARY, {}, env.Env(console.SlavePath()), env.dir + "/startup.log");
            if (!env.x.WaitForWindow(kConnected, 20s)) {
                state.SkipWithError(("no connected window; titles: " + env.x.Titles() + "\n" + tool.Output()).c_str());
                return;
            }
            startup_ms.push_back(bench::SecondsSince(tool.Started()) * 1000);
            if (run + 1 < kStartUps) continue;

            // The last one stays up: the rider at work, on P2.
            std::this_thread::sleep_for(2s);
            const size_t chosen = console.FrameMark();
            console.PressKey(0);
            const auto at_p2 = [](const std::string& f) { return IsResistanceCommand(f) && LevelOf(f) == kP2Level; };
            if (!console.WaitForFrame(at_p2, 5000, chosen)) {
                state.SkipWithError("no keep-alive at P2's level after the console's key");
                return;
            }
            rss_start = Mb(tool.StatusField("VmRSS"));
            const size_t mark = console.FrameMark();
            const double cpu0 = tool.CpuSeconds();
            const auto wall0 = bench::Clock::now();
            std::this_thread::sleep_for(kConnectedWindow);
            const double cpu = tool.CpuSeconds() - cpu0;
            cpu_percent = 100.0 * cpu / bench::SecondsSince(wall0);
            rss_end = Mb(tool.StatusField("VmRSS"));
            peak_rss = Mb(tool.StatusField("VmHWM"));
            threads = static_cast<double>(tool.StatusField("Threads"));
            const auto frames = console.ReceivedFrames6();
            keepalives = other_commands = 0;
            for (size_t i = mark; i < frames.size(); ++i) {
                if (!IsResistanceCommand(frames[i].bytes)) continue;
                ++(LevelOf(frames[i].bytes) == kP2Level ? keepalives : other_commands);
            }
            if (!tool.Running()) {
                state.SkipWithError(("the tool ended while measuring\n" + tool.Output()).c_str());
                return;
            }
            if (!env.x.FindWindow(kConnected)) state.SkipWithError("the connection dropped while measuring");
            if (auto w = env.x.FindWindow(kConnected)) env.x.RequestClose(*w);
            if (!tool.Wait(10s)) state.SkipWithError("the window did not close");
        }
    }
    state.counters["startup_p50_ms"] = bench::Percentile(startup_ms, 0.5);
    state.counters["startup_max_ms"] = bench::Percentile(startup_ms, 1.0);
    state.counters["connected_cpu_percent"] = cpu_percent;
    state.counters["rss_mb_start"] = rss_start;
    state.counters["rss_mb_end"] = rss_end;
    state.counters["peak_rss_mb"] = peak_rss;
    state.counters["threads"] = threads;
    // One statistics step a second: its keep-alives in the sample.
    state.counters["stats_keepalives"] = keepalives;
    state.counters["sample_s"] = std::chrono::duration<double>(kConnectedWindow).count();
    state.counters["other_level_commands"] = other_commands;
}
BENCHMARK(BM_StartUpThenConnected)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SearchThreeSilentPorts(benchmark::State& state) {
    bench::ToolEnvironment& env = Env();
    constexpr int kPorts = 3, kRounds = 3, kIdentifyWaitMs = 100;
    std::vector<std::unique_ptr<bench::PtyMaster>> lines;
    std::string ports;
    for (int i = 0; i < kPorts; ++i) {
        lines.push_back(std::make_unique<bench::PtyMaster>(bench::PtyMaster::Slave::kRaw));
        ports += (ports.empty() ? "" : ",") + lines.back()->SlaveName();
    }
    double search_ms = -1, cpu_percent = -1;
    for (auto _ : state) {
        Process tool(CALIBRATION_TOOL_BINARY, {}, env.Env(ports), env.dir + "/search.log");
        // The progress dialog is the first window of the process.
        if (!tool_driver::WaitUntil([&] { return !env.x.Windows().empty(); }, 20s, 2ms)) {
            state.SkipWithError("no progress dialog");
            return;
        }
        const auto t0 = bench::Clock::now();
        const double cpu0 = tool.CpuSeconds();
        if (!env.x.WaitForWindow("Erreur", 30s)) {
            state.SkipWithError(("no retry dialog; titles: " + env.x.Titles()).c_str());
            return;
        }
        search_ms = bench::SecondsSince(t0) * 1000;
        cpu_percent = 100.0 * (tool.CpuSeconds() - cpu0) / (search_ms / 1000);
        tool.Kill();
        tool_driver::WaitUntil([&] { return env.x.Windows().empty(); }, 5s);
    }
    const double bound = kRounds * kPorts * (200 + 3 * kIdentifyWaitMs);
    state.counters["search_ms"] = search_ms;
    state.counters["bound_ms"] = bound;
    state.counters["deviation_percent"] = 100.0 * (search_ms - bound) / bound;
    state.counters["abs_deviation_percent"] = 100.0 * std::abs(search_ms - bound) / bound;
    state.counters["search_cpu_percent"] = cpu_percent;
}
BENCHMARK(BM_SearchThreeSilentPorts)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The console unplugged under the running tool: once the outage is given up
// ("Disconnected"), nothing may keep polling the dead line.
void BM_DisconnectedAfterUnplug(benchmark::State& state) {
    bench::ToolEnvironment& env = Env();
    double cpu_percent = -1, give_up_s = -1;
    for (auto _ : state) {
        console_sim::ConsoleOptions options;
        options.version = 4;
        options.speed_kmh = 27;
        console_sim::ConsoleSimulator console(options);
        console.Start();
        Process tool(CALIBRATION_TOOL_BINARY, {}, env.Env(console.SlavePath()), env.dir + "/unplug.log");
        if (!env.x.WaitForWindow(kConnected, 20s, tool.pid())) {
            state.SkipWithError("no connected window");
            return;
        }
        const auto unplugged = bench::Clock::now();
        console.Unplug();
        if (!env.x.WaitForWindow("Disconnected", 120s, tool.pid())) {
            state.SkipWithError(("the outage was not given up; titles: " + env.x.Titles()).c_str());
            return;
        }
        give_up_s = bench::SecondsSince(unplugged);
        const double cpu0 = tool.CpuSeconds();
        const auto wall0 = bench::Clock::now();
        std::this_thread::sleep_for(10s);
        // A process that has ended uses no CPU either: the figure counts only
        // from a tool still up and still showing the outage given up.
        const double cpu1 = tool.CpuSeconds();
        const double wall = bench::SecondsSince(wall0);
        if (!tool.Running()) {
            state.SkipWithError(("the tool ended during the sample\n" + tool.Output()).c_str());
            return;
        }
        const auto w = env.x.FindWindow("Disconnected", tool.pid());
        if (!w) {
            state.SkipWithError(("the caption left \"Disconnected\" during the sample; titles: " + env.x.Titles()).c_str());
            return;
        }
        cpu_percent = 100.0 * (cpu1 - cpu0) / wall;
        env.x.RequestClose(*w);
        if (!tool.Wait(10s)) state.SkipWithError("the window did not close");
    }
    state.counters["disconnected_cpu_percent"] = cpu_percent;
    state.counters["give_up_s"] = give_up_s;
}
BENCHMARK(BM_DisconnectedAfterUnplug)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
