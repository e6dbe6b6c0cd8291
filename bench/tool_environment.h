// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the measurements of the built calibration-tool share: a private X
// server, a settings file with the calibration points, the environment that
// points the tool at its console's port, and a look at the tool's --help.
#include <map>
#include <string>
#include <vector>

#include "tests/e2e/tool_driver.h"

namespace bench {

constexpr const char* kConnectedCaption = "Calibration tool - Connected";

struct ToolEnvironment {
    explicit ToolEnvironment(const std::string& name)
        : dir(tool_driver::TempDir(name)), settings(tool_driver::WriteSettingsFixture(dir + "/user.reg")) {}

    tool_driver::XServer x;
    std::string dir;
    std::string settings;

    std::map<std::string, std::string> Env(const std::string& ports) const {
        return {{"DISPLAY", x.Name()},
                {"QT_QPA_PLATFORM", "xcb"},
                {"CALIBRATION_TOOL_PORTS", ports},
                {"CALIBRATION_TOOL_SETTINGS", settings}};
    }

    // Whether the built tool's --help lists `option` (as "  --name ...").
    bool ToolOffers(const std::string& option) const {
        tool_driver::Process help(CALIBRATION_TOOL_BINARY, {"--help"}, Env(""), dir + "/help.txt");
        help.Wait(std::chrono::seconds(10));
        const std::string text = help.Output();
        for (size_t at = text.find(option); at != std::string::npos; at = text.find(option, at + 1)) {
            const size_t end = at + option.size();
            const bool starts_word = at > 0 && (text[at - 1] == ' ' || text[at - 1] == ',');
            const bool ends_word = end == text.size() || text[end] == ' ' || text[end] == '=' || text[end] == '\n';
            if (starts_word && ends_word) return true;
        }
        return false;
    }
};

}  // namespace bench
