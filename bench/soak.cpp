// Soak: the built calibration-tool against a Version 4 console streaming 10
// frames/s for a long ride (30 minutes unless told otherwise), the rider
// stepping through the calibration points with the console's keys every few
// seconds. Every minute it prints the tool's resident memory and how many of
// the console's frames were answered; at the end, the first and last resident
// memory and the frames left unanswered.
//
//   bench_soak [MINUTES]        (not part of scripts/bench)
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "bench/pty_helpers.h"
#include "tests/e2e/tool_driver.h"
#include "tools/console_sim/console_simulator.h"

namespace {

using namespace std::chrono_literals;

bool IsResistanceCommand(const std::string& frame) { return frame.size() == 6 && frame[1] == '\x01'; }

}  // namespace

int main(int argc, char** argv) {
    const double minutes = argc > 1 ? std::atof(argv[1]) : 30.0;
    if (!(minutes > 0)) {
        std::fprintf(stderr, "usage: bench_soak [MINUTES]\n");
        return 2;
    }
    tool_driver::XServer x;
    const std::string dir = tool_driver::TempDir("tool-soak");
    const std::string settings = tool_driver::WriteSettingsFixture(dir + "/user.reg");

    console_sim::ConsoleOptions options;
    options.version = 4;
    options.speed_kmh = 27;
    // Keep the logs bounded: a long ride must not measure the simulator.
    options.max_log_entries = 50000;
    std::atomic<std::uint64_t> replies{0};
    std::string pending;  // received bytes not yet part of a whole frame
    options.on_traffic = [&replies, &pending](console_sim::Direction direction, const console_sim::TimedBytes& entry) {
        if (direction != console_sim::Direction::kReceived) return;
        pending += entry.bytes;
        size_t at = 0;
        while ((at = pending.find('\xF0', at)) != std::string::npos && pending.size() - at >= 6) {
            if (pending[at + 5] == '\xF7') {
                if (IsResistanceCommand(pending.substr(at, 6))) ++replies;
                at += 6;
            } else {
                ++at;
            }
        }
        pending.erase(0, at == std::string::npos ? pending.size() : at);
    };
    console_sim::ConsoleSimulator console(options);
    console.Start();

    tool_driver::Process tool(CALIBRATION_TOOL_BINARY, {},
                              {{"DISPLAY", x.Name()},
                               {"QT_QPA_PLATFORM", "xcb"},
                               {"CALIBRATION_TOOL_PORTS", console.SlavePath()},
                               {"CALIBRATION_TOOL_SETTINGS", settings}},
                              dir + "/soak.log");
    if (!x.WaitForWindow("Calibration tool - Connected", 30s, tool.pid())) {
        std::fprintf(stderr, "the tool did not connect; titles: %s\n%s\n", x.Titles().c_str(), tool.Output().c_str());
        return 1;
    }
    std::this_thread::sleep_for(2s);

    const auto start = bench::Clock::now();
    const long rss_start = tool.StatusField("VmRSS");
    const std::uint64_t measurements0 = console.State().measurements_sent;
    const std::uint64_t replies0 = replies.load();
    const double cpu0 = tool.CpuSeconds();
    std::printf("minute  rss_kB  peak_kB  frames  answered  keys\n");
    std::printf("%6.1f %7ld %8ld %7d %9d %5d\n", 0.0, rss_start, tool.StatusField("VmHWM"), 0, 0, 0);
    std::fflush(stdout);

    int keys = 0;
    auto next_key = start + 5s;
    auto next_report = start + 60s;
    const auto end = start + std::chrono::duration_cast<bench::Clock::duration>(std::chrono::duration<double>(minutes * 60));
    bool alive = true;
    while (bench::Clock::now() < end) {
        std::this_thread::sleep_for(200ms);
        if (!tool.Running()) {
            alive = false;
            break;
        }
        const auto now = bench::Clock::now();
        if (now >= next_key) {
            // P1 -> P2 -> P3 and back with the forward key, now and then backwards.
            console.PressKey(keys % 7 == 6 ? 1 : 0);
            ++keys;
            next_key = now + 5s;
        }
        if (now >= next_report) {
            std::printf("%6.1f %7ld %8ld %7llu %9llu %5d\n", bench::SecondsSince(start) / 60, tool.StatusField("VmRSS"),
                        tool.StatusField("VmHWM"),
                        static_cast<unsigned long long>(console.State().measurements_sent - measurements0),
                        static_cast<unsigned long long>(replies - replies0), keys);
            std::fflush(stdout);
            next_report = now + 60s;
        }
    }
    std::this_thread::sleep_for(300ms);
    const double elapsed = bench::SecondsSince(start);
    const std::uint64_t frames = console.State().measurements_sent - measurements0;
    const std::uint64_t answered = replies - replies0;
    const long rss_end = alive ? tool.StatusField("VmRSS") : -1;
    const double cpu = alive ? 100.0 * (tool.CpuSeconds() - cpu0) / elapsed : -1;
    std::printf("\nsoak: %.1f min, tool %s\n", elapsed / 60, alive ? "running" : "ENDED");
    std::printf("resident memory: start %ld kB, end %ld kB, peak %ld kB\n", rss_start, rss_end,
                alive ? tool.StatusField("VmHWM") : -1);
    std::printf("frames sent %llu, answered %llu, unanswered %lld; %d key presses; CPU %.2f %% of a core\n",
                static_cast<unsigned long long>(frames), static_cast<unsigned long long>(answered),
                static_cast<long long>(frames) - static_cast<long long>(answered), keys, cpu);
    if (alive) {
        if (auto w = x.FindWindow("Calibration tool - Connected", tool.pid())) x.RequestClose(*w);
        tool.Wait(10s);
    }
    return alive ? 0 : 1;
}
