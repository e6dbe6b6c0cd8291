// The built calibration-tool on an X display (the test runs under xvfb-run),
// driven with xdotool: started with CALIBRATION_TOOL_PORTS naming a simulated
// console and CALIBRATION_TOOL_SETTINGS naming a settings file, as a rider
// would start it.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "tools/console_sim/console_simulator.h"

extern char** environ;

namespace {
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

std::string tool_path;  // the program under test, from the command line

std::string Shell(const std::string& command) {
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[256];
        while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
        ::pclose(pipe);
    }
    return out;
}

// The first visible window whose title matches the pattern exactly.
std::optional<std::string> FindWindow(const std::string& title, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    do {
        std::string out = Shell("xdotool search --onlyvisible --name '^" + title + "$' 2>/dev/null");
        if (!out.empty()) return out.substr(0, out.find('\n'));
        std::this_thread::sleep_for(100ms);
    } while (Clock::now() < deadline);
    return std::nullopt;
}

class TempDir {
public:
    TempDir() {
        char pattern[] = "/tmp/calibration_e2e_XXXXXX";
        path_ = ::mkdtemp(pattern);
    }
    ~TempDir() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

// The tool as a child process, its output kept in a log for failures.
class Tool {
public:
    Tool(const std::vector<std::string>& args, const std::map<std::string, std::string>& env, const fs::path& log)
        : log_(log) {
        std::vector<std::string> env_text;
        for (char** e = environ; *e; ++e) {
            const std::string entry = *e;
            const std::string name = entry.substr(0, entry.find('='));
            if (!env.count(name) && name != "CALIBRATION_TOOL_PORTS" && name != "CALIBRATION_TOOL_SETTINGS")
                env_text.push_back(entry);
        }
        for (const auto& [name, value] : env) env_text.push_back(name + "=" + value);
        std::vector<char*> envp;
        for (auto& e : env_text) envp.push_back(e.data());
        envp.push_back(nullptr);
        std::vector<std::string> argv_text{tool_path};
        argv_text.insert(argv_text.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& a : argv_text) argv.push_back(a.data());
        argv.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        if (posix_spawn(&pid_, tool_path.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Tool() {
        if (pid_ > 0 && !status_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    bool Started() const { return pid_ > 0; }

    // The exit status (as waitpid gives it) once the process has ended.
    std::optional<int> WaitForExit(std::chrono::milliseconds timeout) {
        const auto deadline = Clock::now() + timeout;
        while (!status_) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) status_ = status;
            else if (Clock::now() >= deadline) break;
            else std::this_thread::sleep_for(20ms);
        }
        return status_;
    }
    void Terminate() {
        if (!status_) ::kill(pid_, SIGTERM);
        if (!WaitForExit(10s)) ::kill(pid_, SIGKILL);
        WaitForExit(5s);
    }
    std::string Log() const {
        std::ifstream in(log_);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    fs::path log_;
    pid_t pid_ = -1;
    std::optional<int> status_;
};

bool IsResistanceFrame(const std::string& frame) {
    return frame.size() == 6 && static_cast<unsigned char>(frame[1]) == 0x01;
}
int ResistanceOf(const std::string& frame) { return static_cast<unsigned char>(frame[2]); }

const char* kSettings =
    "Windows Registry Editor Version 5.00\r\n\r\n"
    "[HKEY_CURRENT_USER\\Software\\Corvane\\Trakova\\AppPath]\r\n"
    "\"AppPath\"=\"C:\\\\Trakova\"\r\n\r\n"
    "[HKEY_CURRENT_USER\\Software\\Corvane\\Trakova\\Versions]\r\n"
    "\"Soft. version\"=\"6.1.0.0\"\r\n\r\n"
    "[HKEY_CURRENT_USER\\Software\\Corvane\\Trakova\\Calibration\\Quarix6]\r\n"
    "\"Speed1\"=\"20\"\r\n\"Speed2\"=\"25\"\r\n\"Speed3\"=\"35\"\r\n"
    "\"Resist1\"=\"120\"\r\n\"Resist2\"=\"77\"\r\n\"Resist3\"=\"10\"\r\n";

// Centre of P2 in the window's client area (the button sits at 120,16, 75 x 25).
constexpr int kP2X = 157, kP2Y = 28;

}  // namespace

TEST(EndToEnd, FindsTheConsoleAndSendsTheChosenPointsResistance) {
    TempDir dir;
    const fs::path settings = dir.Path() / "user.reg";
    std::ofstream(settings, std::ios::binary) << kSettings;
    console_sim::ConsoleOptions options;
    options.version = 4;
    options.speed_kmh = 25;
    options.link_path = (dir.Path() / "ttyUSB0").string();
    console_sim::ConsoleSimulator console(options);
    console.Start();

    Tool tool({}, {{"CALIBRATION_TOOL_PORTS", console.SlavePath()}, {"CALIBRATION_TOOL_SETTINGS", settings.string()}},
              dir.Path() / "tool.log");
    ASSERT_TRUE(tool.Started());
    const auto window = FindWindow("Calibration tool - Connected", 20s);
    ASSERT_TRUE(window) << tool.Log();

    // The roller has been turning for a while (a point chosen at a standstill
    // commands level 0), and no point has been applied yet.
    const auto settle = Clock::now() + 10s;
    while (console.State().measurements_sent < 15 && Clock::now() < settle) std::this_thread::sleep_for(50ms);
    std::this_thread::sleep_for(300ms);
    for (const auto& f : console.ReceivedFrames6())
        if (IsResistanceFrame(f.bytes)) EXPECT_NE(ResistanceOf(f.bytes), 77);
    const size_t mark = console.FrameMark();

    Shell("xdotool mousemove --window " + *window + " " + std::to_string(kP2X) + " " + std::to_string(kP2Y) +
          " click 1");

    const auto frame = console.WaitForFrame(
        [](const std::string& f) { return IsResistanceFrame(f) && ResistanceOf(f) == 77; }, 5000, mark);
    ASSERT_TRUE(frame) << tool.Log();
    // From then on every resistance frame carries P2's level.
    std::this_thread::sleep_for(500ms);
    const auto frames = console.ReceivedFrames6();
    bool after = false;
    int following = 0;
    for (size_t i = mark; i < frames.size(); ++i) {
        if (!IsResistanceFrame(frames[i].bytes)) continue;
        if (ResistanceOf(frames[i].bytes) == 77) after = true;
        else if (after) ADD_FAILURE() << "level " << ResistanceOf(frames[i].bytes) << " after P2";
        if (after) ++following;
    }
    EXPECT_GE(following, 2);
    tool.Terminate();
}

TEST(EndToEnd, WithoutAConsoleNoEndsTheProcessWithExitCodeZero) {
    TempDir dir;
    // A port with nothing behind it.
    console_sim::PseudoTerminal silent;
    silent.Open();
    Tool tool({}, {{"CALIBRATION_TOOL_PORTS", silent.SlaveName()}, {"CALIBRATION_TOOL_SETTINGS", "/nonexistent.reg"}},
              dir.Path() / "tool.log");
    ASSERT_TRUE(tool.Started());

    const auto dialog = FindWindow("Erreur", 30s);
    ASSERT_TRUE(dialog) << tool.Log();
    EXPECT_FALSE(FindWindow("Calibration tool.*", 0ms)) << "the main window shows before a trainer is found";
    // "&Non" by its mnemonic, as a keyboard user answers.
    Shell("xdotool windowfocus --sync " + *dialog + " key alt+n");

    const auto status = tool.WaitForExit(15s);
    ASSERT_TRUE(status) << tool.Log();
    ASSERT_TRUE(WIFEXITED(*status)) << tool.Log();
    EXPECT_EQ(WEXITSTATUS(*status), 0);
}

TEST(EndToEnd, DemoShowsTheConnectedWindowWithAMovingArrow) {
    TempDir dir;
    const auto start = Clock::now();
    Tool tool({"--demo"}, {}, dir.Path() / "tool.log");
    ASSERT_TRUE(tool.Started());
    const auto window = FindWindow("Calibration tool - Connected", 20s);
    ASSERT_TRUE(window) << tool.Log();
    std::printf("connected window after %lld ms\n",
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count()));

    // The speed changes, so the arrow and the speed text do: two pictures of
    // the window taken apart differ.
    auto picture = [&] { return Shell("xwd -silent -id " + *window + " | md5sum"); };
    std::this_thread::sleep_for(1s);
    const std::string first = picture();
    bool moved = false;
    for (int i = 0; i < 10 && !moved; ++i) {
        std::this_thread::sleep_for(500ms);
        moved = picture() != first;
    }
    EXPECT_TRUE(moved);
    tool.Terminate();
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s [gtest options] PATH-OF-calibration-tool\n", argv[0]);
        return 2;
    }
    tool_path = argv[argc - 1];
    return RUN_ALL_TESTS();
}
