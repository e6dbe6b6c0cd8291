// The built calibration-tool measured from outside, on a private X server:
//  - start-up: from the process's start to the window titled
//    "Calibration tool - Connected", the console on the first port;
//  - CPU while connected to a console streaming 10 frames/s with the ride's
//    statistics running (start-up calls Start), as CPU seconds of the whole
//    process per second of wall time;
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
#include "tests/e2e/tool_driver.h"
#include "tools/console_sim/console_simulator.h"

namespace {

using namespace std::chrono_literals;
using tool_driver::Process;
using tool_driver::XServer;

constexpr const char* kConnected = "Calibration tool - Connected";
constexpr int kStartUps = 5;
constexpr auto kConnectedWindow = 20s;

struct Environment {
    XServer x;
    std::string dir = tool_driver::TempDir("tool-bench");
    std::string settings = tool_driver::WriteSettingsFixture(dir + "/user.reg");

    std::map<std::string, std::string> Env(const std::string& ports) const {
        return {{"DISPLAY", x.Name()},
                {"QT_QPA_PLATFORM", "xcb"},
                {"CALIBRATION_TOOL_PORTS", ports},
                {"CALIBRATION_TOOL_SETTINGS", settings}};
    }
};

Environment& Env() {
    static Environment environment;
    return environment;
}

double Mb(long kb) { return static_cast<double>(kb) / 1024.0; }

void BM_StartUpThenConnected(benchmark::State& state) {
    Environment& env = Env();
    std::vector<double> startup_ms;
    double cpu_percent = -1, rss_start = -1, rss_end = -1, peak_rss = -1, threads = -1;
    for (auto _ : state) {
        for (int run = 0; run < kStartUps; ++run) {
            console_sim::ConsoleOptions options;
            options.version = 4;
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

            // The last one stays up: the rider at work.
            std::this_thread::sleep_for(2s);
            rss_start = Mb(tool.StatusField("VmRSS"));
            const double cpu0 = tool.CpuSeconds();
            const auto wall0 = bench::Clock::now();
            std::this_thread::sleep_for(kConnectedWindow);
            const double cpu = tool.CpuSeconds() - cpu0;
            cpu_percent = 100.0 * cpu / bench::SecondsSince(wall0);
            rss_end = Mb(tool.StatusField("VmRSS"));
            peak_rss = Mb(tool.StatusField("VmHWM"));
            threads = static_cast<double>(tool.StatusField("Threads"));
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
}
BENCHMARK(BM_StartUpThenConnected)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SearchThreeSilentPorts(benchmark::State& state) {
    Environment& env = Env();
    constexpr int kPorts = 3, kRounds = 3, kIdentifyWaitMs = 100;
    std::vector<std::unique_ptr<bench::PtyMaster>> lines;
    std::string ports;
    for (int i = 0; i < kPorts; ++i) {
        lines.push_back(std::make_unique<bench::PtyMaster>());
        ports += (ports.empty() ? "" : ",") + lines.back()->SlavePath();
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
    Environment& env = Env();
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
        cpu_percent = 100.0 * (tool.CpuSeconds() - cpu0) / bench::SecondsSince(wall0);
        if (auto w = env.x.FindWindow("Disconnected", tool.pid())) env.x.RequestClose(*w);
        if (!tool.Wait(10s)) state.SkipWithError("the window did not close");
    }
    state.counters["disconnected_cpu_percent"] = cpu_percent;
    state.counters["give_up_s"] = give_up_s;
}
BENCHMARK(BM_DisconnectedAfterUnplug)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
