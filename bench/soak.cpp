// SPDX-License-Identifier: GPL-3.0-or-later
// Soak: the built calibration-tool against a Version 4 console streaming 10
// frames/s for a long ride (30 minutes unless told otherwise), the rider
// stepping through the calibration points with the console's keys every few
// seconds. At Version 4 the tool answers every frame with one resistance
// command, and nothing else sends one (the keys' point changes go out with
// the next answer), so each frame must be answered by its own command.
// Every minute it prints the tool's resident memory and the frames answered.
//
// The run passes when the tool is still up and connected at the end, every
// frame was answered by its own command within a second and no command came
// unasked, at least 90 % of the frames due were sent, and the resident memory
// grew by less than 1 MB from the first minute's start to the end.
//
//   bench_soak [MINUTES] [--json FILE]
//
// --json writes the figures in the benchmark library's JSON layout, for
// scripts/bench. Exits 0 when the run passes, 1 when it does not, 2 on a
// usage error.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

#include "bench/pty_helpers.h"
#include "bench/reply_matcher.h"
#include "bench/tool_environment.h"
#include "tools/console_sim/console_simulator.h"

namespace {

using namespace std::chrono_literals;

constexpr long kMaxGrowthKb = 1024;
constexpr double kFramesPerSecond = 10;

struct Figures {
    double minutes = 0;
    long rss_start_kb = -1, rss_end_kb = -1, peak_kb = -1;
    bench::ReplyMatcher::Totals totals;
    int keys = 0;
    double cpu_percent = -1;
    bool alive = false;
};

// Why the run fails, or empty.
std::string Verdict(const Figures& f, double elapsed_s) {
    if (!f.alive) return "the tool ended or lost its console";
    const auto& t = f.totals;
    if (static_cast<double>(t.frames) < 0.9 * kFramesPerSecond * elapsed_s)
        return "the console sent only " + std::to_string(t.frames) + " frames";
    if (t.unanswered > 0 || t.extra > 0 || t.answered != t.frames)
        return std::to_string(t.unanswered) + " frames unanswered, " + std::to_string(t.extra) + " commands unasked";
    if (f.rss_end_kb - f.rss_start_kb >= kMaxGrowthKb)
        return "resident memory grew by " + std::to_string(f.rss_end_kb - f.rss_start_kb) + " kB";
    return {};
}

// Escapes a text for a JSON string.
std::string Json(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char u[8];
            std::snprintf(u, sizeof u, "\\u%04x", c);
            out += u;
        } else {
            out += c;
        }
    }
    return out;
}

void WriteJson(const std::string& path, const Figures& f, const std::string& verdict) {
    std::ofstream out(path, std::ios::trunc);
    const auto& t = f.totals;
    out << "{\n  \"benchmarks\": [\n    {\n      \"name\": \"Soak\",\n";
    if (!verdict.empty()) out << "      \"error_occurred\": true,\n      \"error_message\": \"" << Json(verdict) << "\",\n";
    out << "      \"minutes\": " << f.minutes << ",\n"
        << "      \"frames\": " << t.frames << ",\n"
        << "      \"answered\": " << t.answered << ",\n"
        << "      \"not_answered_one_to_one\": " << (t.frames - t.answered) + t.extra << ",\n"
        << "      \"reply_p99_us\": " << bench::Percentile(t.latency_us, 0.99) << ",\n"
        << "      \"rss_start_kb\": " << f.rss_start_kb << ",\n"
        << "      \"rss_end_kb\": " << f.rss_end_kb << ",\n"
        << "      \"rss_growth_kb\": " << f.rss_end_kb - f.rss_start_kb << ",\n"
        << "      \"peak_rss_kb\": " << f.peak_kb << ",\n"
        << "      \"key_presses\": " << f.keys << ",\n"
        << "      \"cpu_percent\": " << f.cpu_percent << ",\n"
        << "      \"alive\": " << (f.alive ? 1 : 0) << "\n    }\n  ]\n}\n";
}

}  // namespace

int main(int argc, char** argv) {
    double minutes = 30.0;
    std::string json_path;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--json") == 0 && i + 1 < argc) {
            json_path = argv[++i];
        } else if (std::strncmp(argv[i], "--json=", 7) == 0) {
            json_path = argv[i] + 7;
        } else {
            char* end = nullptr;
            minutes = std::strtod(argv[i], &end);
            if (*end != '\0' || !(minutes > 0)) {
                std::fprintf(stderr, "usage: bench_soak [MINUTES] [--json FILE]\n");
                return 2;
            }
        }
    }
    bench::ToolEnvironment env("tool-soak");

    bench::ReplyMatcher matcher;
    console_sim::ConsoleOptions options;
    options.version = 4;
    options.speed_kmh = 27;
    // Keep the logs bounded: a long ride must not measure the simulator.
    options.max_log_entries = 1000;
    options.on_traffic = [&matcher](console_sim::Direction d, const console_sim::TimedBytes& e) {
        matcher.OnTraffic(d, e);
    };
    console_sim::ConsoleSimulator console(options);
    console.Start();

    tool_driver::Process tool(CALIBRATION_TOOL_BINARY, {}, env.Env(console.SlavePath()), env.dir + "/soak.log");
    if (!env.x.WaitForWindow(bench::kConnectedCaption, 30s, tool.pid())) {
        std::fprintf(stderr, "the tool did not connect; titles: %s\n%s\n", env.x.Titles().c_str(),
                     tool.Output().c_str());
        Figures failed;
        failed.minutes = minutes;
        if (!json_path.empty()) WriteJson(json_path, failed, "the tool did not connect");
        return 1;
    }
    std::this_thread::sleep_for(2s);

    Figures f;
    const auto start = bench::Clock::now();
    matcher.SetRecording(true);
    f.rss_start_kb = tool.StatusField("VmRSS");
    const double cpu0 = tool.CpuSeconds();
    std::printf("minute  rss_kB  peak_kB  frames  answered  keys\n");
    std::printf("%6.1f %7ld %8ld %7d %9d %5d\n", 0.0, f.rss_start_kb, tool.StatusField("VmHWM"), 0, 0, 0);
    std::fflush(stdout);

    auto next_key = start + 5s;
    auto next_report = start + 60s;
    const auto end = start + std::chrono::duration_cast<bench::Clock::duration>(std::chrono::duration<double>(minutes * 60));
    f.alive = true;
    while (bench::Clock::now() < end) {
        std::this_thread::sleep_for(200ms);
        if (!tool.Running()) {
            f.alive = false;
            break;
        }
        const auto now = bench::Clock::now();
        if (now >= next_key) {
            // P1 -> P2 -> P3 and back with the forward key, now and then backwards.
            console.PressKey(f.keys % 7 == 6 ? 1 : 0);
            ++f.keys;
            next_key = now + 5s;
        }
        if (now >= next_report) {
            const auto t = matcher.Snapshot();
            std::printf("%6.1f %7ld %8ld %7llu %9llu %5d\n", bench::SecondsSince(start) / 60, tool.StatusField("VmRSS"),
                        tool.StatusField("VmHWM"), static_cast<unsigned long long>(t.frames),
                        static_cast<unsigned long long>(t.answered), f.keys);
            std::fflush(stdout);
            next_report = now + 60s;
        }
    }
    matcher.SetRecording(false);
    const double elapsed = bench::SecondsSince(start);
    f.minutes = elapsed / 60;
    // The last frames' answers, and the give-up time of any lost one.
    std::this_thread::sleep_for(1500ms);
    f.totals = matcher.Snapshot();
    f.alive = f.alive && tool.Running() && env.x.FindWindow(bench::kConnectedCaption, tool.pid());
    if (f.alive) {
        f.rss_end_kb = tool.StatusField("VmRSS");
        f.peak_kb = tool.StatusField("VmHWM");
        f.cpu_percent = 100.0 * (tool.CpuSeconds() - cpu0) / bench::SecondsSince(start);
    }
    const auto& t = f.totals;
    const std::string verdict = Verdict(f, elapsed);
    std::printf("\nsoak: %.1f min, tool %s\n", f.minutes, f.alive ? "running and connected" : "ENDED or disconnected");
    std::printf("resident memory: start %ld kB, end %ld kB (growth %ld kB, limit under %ld), peak %ld kB\n",
                f.rss_start_kb, f.rss_end_kb, f.rss_end_kb - f.rss_start_kb, kMaxGrowthKb, f.peak_kb);
    std::printf("frames sent %llu, answered by their own command %llu, unanswered %llu, commands unasked %llu; "
                "reply p99 %.0f us; %d key presses; CPU %.2f %% of a core\n",
                static_cast<unsigned long long>(t.frames), static_cast<unsigned long long>(t.answered),
                static_cast<unsigned long long>(t.unanswered), static_cast<unsigned long long>(t.extra),
                bench::Percentile(t.latency_us, 0.99), f.keys, f.cpu_percent);
    std::printf("soak: %s\n", verdict.empty() ? "PASSED" : ("FAILED: " + verdict).c_str());
    if (!json_path.empty()) WriteJson(json_path, f, verdict);
    if (f.alive) {
        if (auto w = env.x.FindWindow(bench::kConnectedCaption, tool.pid())) env.x.RequestClose(*w);
        tool.Wait(10s);
    }
    return verdict.empty() ? 0 : 1;
}
