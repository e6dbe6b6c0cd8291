// SPDX-License-Identifier: GPL-3.0-or-later
// Frame-to-reply latency of the built calibration-tool, as the rider's
// console sees it: the tool on a private X server, its console simulated on a
// pseudo-terminal at Version 4, streaming at its own cadence (one type-1
// frame every 100 ms), each frame answered with the resistance command. The
// time runs from the console's write of the frame on the master to its read
// of the command's last byte, so the tool's whole path is in it: the port's
// event thread, the hand-over through the Qt event loop to the main thread,
// the framer, the decoder and the write.
//
// Beside it, in the same run, the yardstick: a plain poll/read/write echo on
// another pseudo-terminal, sent a 6-byte frame every 100 ms and timed the
// same way, from before the write to the last byte read back.
//
// The running tool's own run also stamps the stages of its road
// (bench/stage_breakdown.h), shown beside the whole, not judged.
//
// A run can start the tool with extra arguments: BM_TracingOnAgainstOff runs
// two tools side by side, one with --trace FILE, once the tool offers it.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/pty_helpers.h"
#include "bench/reply_matcher.h"
#include "bench/stage_breakdown.h"
#include "bench/tool_environment.h"
#include "tools/console_sim/console_simulator.h"

namespace {

using namespace std::chrono_literals;

// 900 frames at 10 frames/s.
constexpr auto kSample = 90s;
constexpr auto kCadence = 100ms;

bench::ToolEnvironment& Env() {
    static bench::ToolEnvironment environment("tool-latency");
    return environment;
}

// One tool with a console of its own, its replies paired with the frames.
class ToolOnConsole {
public:
    // With `stamps`, the tool writes its stage stamps to StampsFile() when it ends.
    ToolOnConsole(bench::ToolEnvironment& env, const std::vector<std::string>& extra_args, const std::string& name,
                  bool stamps = false)
        : console_(Options()), env_(env), name_(name) {
        console_.Start();
        auto vars = env.Env(console_.SlavePath());
        if (stamps) {
            std::remove(StampsFile().c_str());
            vars["CALIBRATION_TOOL_STAGE_STAMPS"] = StampsFile();
        }
        tool_ = std::make_unique<tool_driver::Process>(CALIBRATION_TOOL_BINARY, extra_args, vars,
                                                       env.dir + "/" + name + ".log");
    }
    std::string StampsFile() const { return env_.dir + "/" + name_ + ".stamps"; }

    // Empty when the tool reached the Connected window; why not otherwise.
    std::string WaitConnected() {
        if (env_.x.WaitForWindow(bench::kConnectedCaption, 30s, tool_->pid())) return {};
        return name_ + ": no connected window; titles: " + env_.x.Titles() + "\n" + tool_->Output();
    }
    // Empty when the tool is still running and connected; why not otherwise.
    std::string StillConnected() {
        if (!tool_->Running()) return name_ + ": the tool ended\n" + tool_->Output();
        if (!env_.x.FindWindow(bench::kConnectedCaption, tool_->pid())) return name_ + ": the connection dropped";
        return {};
    }
    void Close() {
        if (auto w = env_.x.FindWindow(bench::kConnectedCaption, tool_->pid())) env_.x.RequestClose(*w);
        tool_->Wait(10s);
    }
    bench::ReplyMatcher& Matcher() { return matcher_; }

private:
    console_sim::ConsoleOptions Options() {
        console_sim::ConsoleOptions options;
        options.version = 4;
        options.speed_kmh = 27;
        options.max_log_entries = 1000;
        options.on_traffic = [this](console_sim::Direction d, const console_sim::TimedBytes& e) {
            matcher_.OnTraffic(d, e);
        };
        return options;
    }

    bench::ReplyMatcher matcher_;
    console_sim::ConsoleSimulator console_;
    bench::ToolEnvironment& env_;
    std::string name_;
    std::unique_ptr<tool_driver::Process> tool_;  // ended before its console
};

// The echo's round trips at the console's cadence until `end`, in
// microseconds, each half an interval after a frame of `console`: the two
// paths never run at once, and both see the same machine load.
std::vector<double> EchoAtCadence(bench::ReplyMatcher& console, bench::Clock::time_point end, int& lost) {
    bench::PtyMaster line{bench::PtyMaster::Slave::kRaw};
    bench::PlainEcho echo(line.SlaveName());
    const std::string frame{'\xF0', '\x01', '\x00', '\x06', '\x00', '\xF7'};
    std::vector<double> us;
    // The console's frames are due every interval after the last one, on the
    // same clock: one look at its phase keeps the echo half-way between them.
    auto next = console.LastSent() + kCadence / 2;
    while (next < bench::Clock::now()) next += kCadence;
    for (; next < end; next += kCadence) {
        std::this_thread::sleep_until(next);
        const auto start = bench::Clock::now();
        try {
            line.Write(frame);
        } catch (const std::system_error&) {
            ++lost;
            continue;
        }
        size_t got = 0;
        while (got < frame.size() && bench::SecondsSince(start) < 1.0) got += line.ReadAtLeast(frame.size() - got, 1000).size();
        if (got < frame.size()) {
            ++lost;
            continue;
        }
        us.push_back(std::chrono::duration<double, std::micro>(bench::Clock::now() - start).count());
    }
    return us;
}

// Starts the tools, lets them settle, then records their replies while the
// echo runs; empty on success, otherwise why the figures are not valid.
std::string RecordSideBySide(std::vector<std::unique_ptr<ToolOnConsole>>& tools, std::vector<double>& echo_us) {
    for (auto& t : tools)
        if (auto why = t->WaitConnected(); !why.empty()) return why;
    std::this_thread::sleep_for(2s);
    for (auto& t : tools) t->Matcher().SetRecording(true);
    int echo_lost = 0;
    echo_us = EchoAtCadence(tools[0]->Matcher(), bench::Clock::now() + kSample, echo_lost);
    for (auto& t : tools) t->Matcher().SetRecording(false);
    // The replies of the last frames, and the give-up time of any lost one.
    std::this_thread::sleep_for(1500ms);
    for (auto& t : tools)
        if (auto why = t->StillConnected(); !why.empty()) return why;
    if (echo_lost > 0) return std::to_string(echo_lost) + " echo round trips lost";
    return {};
}

void Report(benchmark::State& state, const std::string& prefix, const bench::ReplyMatcher::Totals& t) {
    state.counters[prefix + "frames"] = static_cast<double>(t.frames);
    state.counters[prefix + "unanswered"] = static_cast<double>(t.unanswered);
    state.counters[prefix + "extra_replies"] = static_cast<double>(t.extra);
    state.counters[prefix + "reply_p50_us"] = bench::Percentile(t.latency_us, 0.50);
    state.counters[prefix + "reply_p99_us"] = bench::Percentile(t.latency_us, 0.99);
    state.counters[prefix + "reply_max_us"] = bench::Percentile(t.latency_us, 1.0);
}

// Why the pairing is not one reply per frame, or empty.
std::string PairingFault(const std::string& name, const bench::ReplyMatcher::Totals& t) {
    if (t.frames == 0) return name + ": no frames sent";
    if (t.unanswered == 0 && t.extra == 0 && t.answered == t.frames) return {};
    return name + ": " + std::to_string(t.frames) + " frames, " + std::to_string(t.answered) + " answered, " +
           std::to_string(t.unanswered) + " unanswered, " + std::to_string(t.extra) + " extra replies";
}

void BM_ToolFrameToReply(benchmark::State& state) {
    bench::ToolEnvironment& env = Env();
    for (auto _ : state) {
        std::vector<std::unique_ptr<ToolOnConsole>> tools;
        tools.push_back(std::make_unique<ToolOnConsole>(env, std::vector<std::string>{}, "latency", true));
        std::vector<double> echo_us;
        const std::string why = RecordSideBySide(tools, echo_us);
        if (!why.empty()) {
            state.SkipWithError(why.c_str());
            return;
        }
        const auto totals = tools[0]->Matcher().Snapshot();
        tools[0]->Close();
        Report(state, "", totals);
        const double tool50 = bench::Percentile(totals.latency_us, 0.50);
        const double tool99 = bench::Percentile(totals.latency_us, 0.99);
        const double echo50 = bench::Percentile(echo_us, 0.50), echo99 = bench::Percentile(echo_us, 0.99);
        state.counters["echo_round_trips"] = static_cast<double>(echo_us.size());
        state.counters["echo_p50_us"] = echo50;
        state.counters["echo_p99_us"] = echo99;
        state.counters["p50_ratio"] = echo50 > 0 ? tool50 / echo50 : 0;
        state.counters["p99_ratio"] = echo99 > 0 ? tool99 / echo99 : 0;
        const bench::StageBreakdown stages = bench::BreakDown(tools[0]->StampsFile(), totals.sent_read);
        state.counters["stage_frames"] = static_cast<double>(stages.frames);
        // No stamps, no stage figures: the table then says they were not measured.
        const auto tail = stages.TailMeanUs();
        for (size_t s = 0; s < stages.us.size() && stages.frames > 0; ++s) {
            const std::string name = std::string("stage_") + bench::StageBreakdown::kNames[s];
            state.counters[name + "_p50_us"] = bench::Percentile(stages.us[s], 0.50);
            state.counters[name + "_p99_us"] = bench::Percentile(stages.us[s], 0.99);
            state.counters[name + "_tail_us"] = tail[s];
        }
        if (auto fault = PairingFault("tool", totals); !fault.empty()) state.SkipWithError(fault.c_str());
    }
}
BENCHMARK(BM_ToolFrameToReply)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// Tracing's cost: two tools at once, each with its own console, one with
// --trace FILE, so that both see the same load (the echo keeps off the first
// one's frames; the second's fall where they fall, for both tools alike).
void BM_TracingOnAgainstOff(benchmark::State& state) {
    bench::ToolEnvironment& env = Env();
    if (!env.ToolOffers("--trace")) {
        state.SkipWithError("not measurable: the built calibration-tool's --help lists no --trace option");
        return;
    }
    for (auto _ : state) {
        std::vector<std::unique_ptr<ToolOnConsole>> tools;
        tools.push_back(std::make_unique<ToolOnConsole>(env, std::vector<std::string>{}, "tracing-off"));
        tools.push_back(std::make_unique<ToolOnConsole>(
            env, std::vector<std::string>{"--trace", env.dir + "/trace.txt"}, "tracing-on"));
        std::vector<double> echo_us;
        const std::string why = RecordSideBySide(tools, echo_us);
        if (!why.empty()) {
            state.SkipWithError(why.c_str());
            return;
        }
        const auto off = tools[0]->Matcher().Snapshot(), on = tools[1]->Matcher().Snapshot();
        for (auto& t : tools) t->Close();
        Report(state, "off_", off);
        Report(state, "on_", on);
        const double off50 = bench::Percentile(off.latency_us, 0.50), off99 = bench::Percentile(off.latency_us, 0.99);
        const double on50 = bench::Percentile(on.latency_us, 0.50), on99 = bench::Percentile(on.latency_us, 0.99);
        state.counters["on_off_p50_ratio"] = off50 > 0 ? on50 / off50 : 0;
        state.counters["on_off_p99_ratio"] = off99 > 0 ? on99 / off99 : 0;
        std::string fault = PairingFault("tracing off", off);
        if (fault.empty()) fault = PairingFault("tracing on", on);
        if (!fault.empty()) state.SkipWithError(fault.c_str());
    }
}
BENCHMARK(BM_TracingOnAgainstOff)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
