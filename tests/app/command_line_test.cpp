// The tool's own options come off the command line, GNU style; everything
// else stays, in order, for the window system.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/command_line.h"

namespace {

struct Argv {
    explicit Argv(std::vector<std::string> words) : words_(std::move(words)) {
        for (auto& w : words_) pointers_.push_back(w.data());
        pointers_.push_back(nullptr);
        argc = static_cast<int>(words_.size());
    }
    char** argv() { return pointers_.data(); }
    std::vector<std::string> Left() const {
        return {pointers_.begin(), pointers_.begin() + argc};
    }
    int argc = 0;

private:
    std::vector<std::string> words_;
    std::vector<char*> pointers_;
};

TEST(CommandLine, TakesItsOwnOptionsAndLeavesTheWindowSystemsInOrder) {
    Argv line({"tool", "--demo", "-platform", "xcb", "--port", "ttyUSB0", "--port=/dev/serial/by-id/x",
               "--settings=/tmp/a b.reg", "--trace", "-", "-h", "--version", "--list-ports", "--demo"});
    const app::ToolOptions options = app::TakeToolOptions(line.argc, line.argv());
    EXPECT_TRUE(options.demo);
    EXPECT_TRUE(options.help);
    EXPECT_TRUE(options.version);
    EXPECT_TRUE(options.list_ports);
    EXPECT_EQ(options.ports, (std::vector<std::string>{"ttyUSB0", "/dev/serial/by-id/x"}));
    EXPECT_EQ(options.settings_file, "/tmp/a b.reg");
    EXPECT_EQ(options.trace_file, "-");
    EXPECT_EQ(line.Left(), (std::vector<std::string>{"tool", "-platform", "xcb"}));
    EXPECT_EQ(line.argv()[line.argc], nullptr);
}

TEST(CommandLine, AnEmptyCommandLineSetsNothing) {
    Argv line({"tool"});
    const app::ToolOptions options = app::TakeToolOptions(line.argc, line.argv());
    EXPECT_FALSE(options.demo || options.help || options.version || options.list_ports);
    EXPECT_FALSE(options.settings_file || options.trace_file);
    EXPECT_TRUE(options.ports.empty());
    EXPECT_EQ(line.argc, 1);
}

TEST(CommandLine, ADoubleDashEndsTheOptions) {
    Argv line({"tool", "--demo", "--", "--help"});
    const app::ToolOptions options = app::TakeToolOptions(line.argc, line.argv());
    EXPECT_TRUE(options.demo);
    EXPECT_FALSE(options.help);
    EXPECT_EQ(line.Left(), (std::vector<std::string>{"tool", "--help"}));
}

TEST(CommandLine, AMissingOrUnwantedArgumentIsRefusedByName) {
    const struct {
        std::vector<std::string> words;
        const char* message;
    } cases[] = {
        {{"tool", "--port"}, "option '--port' requires an argument"},
        {{"tool", "--demo", "--settings"}, "option '--settings' requires an argument"},
        {{"tool", "--help=yes"}, "option '--help' doesn't allow an argument"},
        {{"tool", "--list-ports="}, "option '--list-ports' doesn't allow an argument"},
        {{"tool", "--demo", "--prot=ttyS0"}, "unrecognized option '--prot=ttyS0'"},
    };
    for (const auto& c : cases) {
        Argv line(c.words);
        try {
            app::TakeToolOptions(line.argc, line.argv());
            ADD_FAILURE() << "accepted: " << c.words.back();
        } catch (const app::CommandLineError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
}

TEST(CommandLine, AnEmptyArgumentIsKeptForTheOptionToJudge) {
    Argv line({"tool", "--port=", "--settings", ""});
    const app::ToolOptions options = app::TakeToolOptions(line.argc, line.argv());
    EXPECT_EQ(options.ports, (std::vector<std::string>{""}));
    EXPECT_EQ(options.settings_file, "");
}

TEST(CommandLine, TheHelpListsEveryOptionOfTheTable) {
    char* text = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&text, &size);
    app::PrintUsage(out);
    std::fclose(out);
    const std::string help(text, size);
    std::free(text);
    for (const auto& option : app::Options()) {
        std::string shown = std::string("--") + option.long_name;
        if (option.argument != nullptr) shown += std::string(" ") + option.argument;
        EXPECT_NE(help.find(shown), std::string::npos) << shown;
    }
}

}  // namespace
