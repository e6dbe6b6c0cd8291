// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/startup/start_up.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/startup/calibration_settings.h"
#include "app/startup/qt_message_pump.h"
#include "app/window/calibration_window.h"
#include "dialog_responder.h"
#include "platform/error_reporting.h"
#include "platform/exceptions.h"
#include "platform/format.h"
#include "platform/settings_location.h"
#include "port_fixture.h"
#include "settings_fixture.h"

namespace {
using namespace testing_support;

// Start-up as the program runs it (the window's creation, errors to the
// central reporting), except that ending the process is recorded and turned
// into a silent abort.
class StartUpTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ender_ = app::SetProcessEnder([this](int code) {
            exit_code_ = code;
            throw platform::EAbort();
        });
        previous_reporter_ = platform::SetErrorReporter([this](const std::string& m) { errors_.push_back(m); });
    }
    void TearDown() override {
        platform::SetErrorReporter(previous_reporter_);
        app::SetProcessEnder(previous_ender_);
        platform::SetDecimalSeparator(0);
    }

    app::ScopedQtMessagePump pump_;
    PortFolder folder_;
    std::optional<int> exit_code_;
    std::vector<std::string> errors_;
    app::ProcessEnder previous_ender_;
    platform::ErrorReporter previous_reporter_;
};

std::string Q5(const std::string& values) { return RegKey(kQuarix5Key) + values; }
std::string Q6(const std::string& values) { return RegKey(kQuarix6Key) + values; }
std::string Q7(const std::string& values) { return RegKey(kQuarix7Key) + values; }
std::string Points(const char* s1, const char* s2, const char* s3, const char* r1, const char* r2, const char* r3) {
    return RegText("Speed1", s1) + RegText("Speed2", s2) + RegText("Speed3", s3) + RegText("Resist1", r1) +
           RegText("Resist2", r2) + RegText("Resist3", r3);
}

using Speeds = std::array<double, 3>;
using Levels = std::array<int32_t, 3>;
const Speeds kDefaultSpeeds{20, 30, 40};
const Levels kDefaultLevels{100, 60, 0};

struct Case {
    const char* what;
    double version;
    std::optional<std::string> settings;  // nullopt: no settings file
    char separator;
    Speeds speeds;
    Levels levels;
    bool started;
    std::string error;    // the error reported, before the settings line
    std::string message;  // the message box shown, which ends the process
};

}  // namespace

TEST_F(StartUpTest, SettingsByTrainerGeneration) {
    const std::string trakova6 = RegProduct("Trakova", "C:\\Trakova", "6.0.0.0");
    const Case cases[] = {
        {"5 without a key: defaults, no product check", 5, std::nullopt, '.', kDefaultSpeeds, kDefaultLevels, true, "",
         ""},
        {"5 with a whole number", 5, Q5(RegText("Speed1", "22")), '.', {22, 30, 40}, kDefaultLevels, true, "", ""},
        {"5 with a decimal", 5, Q5(RegText("Speed1", "22.5")), '.', {0, 0, 0}, {0, 0, 0}, false,
         "'22.5' is not a valid integer value.", ""},
        {"6 with a comma and no Speed2", 6,
         trakova6 + Q6(RegText("Speed1", "18,5") + RegText("Speed3", "40")), ',', {18.5, 0, 0}, {0, 0, 0}, false,
         "'' is not a valid floating point value.", ""},
        {"6 with -1 everywhere", 6, trakova6 + Q6(Points("-1", "-1", "-1", "-1", "-1", "-1")), '.', kDefaultSpeeds,
         kDefaultLevels, true, "", ""},
        {"6 with Trakova 6.0.0.0", 6, trakova6 + Q6(Points("18", "27.5", "36", "90", "50", "0")), '.',
         {18, 27.5, 36}, {90, 50, 0}, true, "", ""},
        {"6 with Trakova 5.9.9.9", 6, RegProduct("Trakova", "C:\\T", "5.9.9.9") + Q6(Points("1", "2", "3", "4", "5", "6")),
         '.', {0, 0, 0}, {0, 0, 0}, false, "", app::kUpgradeCompanion},
        {"4 with both products: Branzo's 6 decides", 4,
         RegProduct("Branzo", "C:\\B", "6.1.0.0") + RegProduct("Trakova", "C:\\T", "5.0.0.0") +
             Q6(Points("21", "31", "41", "80", "40", "10")),
         '.', {21, 31, 41}, {80, 40, 10}, true, "", ""},
        {"4 with both products: Branzo's 5 decides", 4,
         RegProduct("Branzo", "C:\\B", "5.9.9.9") + RegProduct("Trakova", "C:\\T", "7.0.0.0") +
             Q6(Points("21", "31", "41", "80", "40", "10")),
         '.', {0, 0, 0}, {0, 0, 0}, false, "", app::kUpgradeCompanion},
        {"4.5 with an empty AppPath", 4.5, RegProduct("Trakova", "", "6.0.0.0"), '.', {0, 0, 0}, {0, 0, 0}, false, "",
         app::kNoProgramInstalled},
        {"6 without a settings file", 6, std::nullopt, '.', {0, 0, 0}, {0, 0, 0}, false, "", app::kNoProgramInstalled},
        {"5.5 reads no profile", 5.5, trakova6 + Q6(Points("1", "2", "3", "4", "5", "6")), '.', {0, 0, 0}, {0, 0, 0},
         true, "", ""},
        {"8 reads no profile", 8, std::nullopt, '.', {0, 0, 0}, {0, 0, 0}, true, "", ""},
        {"7 with a dword", 7, Q7("\"Speed1\"=dword:00000014\r\n"), '.', {0, 0, 0}, {0, 0, 0}, false,
         "Type de données incorrect pour 'Speed1'.", ""},
        {"7 with its own key", 7, Q7(Points("15", "25", "35", "100", "50", "0")) + Q6(Points("1", "2", "3", "4", "5", "6")),
         '.', {15, 25, 35}, {100, 50, 0}, true, "", ""},
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        exit_code_.reset();
        errors_.clear();
        platform::SetDecimalSeparator(c.separator);
        const ScopedSettingsFile settings(c.settings);
        const std::string port = "trainer" + std::to_string(index++);
        auto console = StartConsole(folder_, port, c.version);
        ScopedPortList ports(folder_.Path(port));
        DialogResponder responder;
        app::TForm1 form;

        form.DoCreate();

        EXPECT_EQ(form.qdv->Version(), c.version);
        EXPECT_EQ(form.TargetSpeeds, c.speeds);
        EXPECT_EQ(form.ResistanceLevels, c.levels);
        EXPECT_EQ(form.CurrentPoint, 0);
        EXPECT_EQ(form.qdv->Status() == device::qsRunning, c.started);
        const std::string note = app::SettingsOriginNote();
        if (c.error.empty()) {
            EXPECT_TRUE(errors_.empty()) << (errors_.empty() ? "" : errors_[0]);
        } else {
            ASSERT_EQ(errors_.size(), 1u);
            EXPECT_EQ(errors_[0], c.error + "\n\n" + note);
        }
        if (c.message.empty()) {
            EXPECT_TRUE(responder.Seen().empty());
            EXPECT_FALSE(exit_code_.has_value());
        } else {
            ASSERT_EQ(responder.Seen().size(), 1u);
            const SeenDialog& d = responder.Seen()[0];
            EXPECT_EQ(d.text, c.message);
            EXPECT_EQ(d.informative, note);
            EXPECT_EQ(d.title, "CalibrationTool");
            EXPECT_EQ(d.buttons, std::vector<std::string>{"OK"});
            const bool no_program = c.message == app::kNoProgramInstalled;
            EXPECT_EQ(d.icon, no_program ? QMessageBox::Critical : QMessageBox::NoIcon);
            EXPECT_EQ(d.top_most, no_program);  // only the stop box stays above everything
            EXPECT_EQ(exit_code_, 0);
        }
    }
}

TEST_F(StartUpTest, NoTrainerAndNoEndsTheProcessWithoutAWindow) {
    SilentPort silent(folder_, "ttyUSB0");
    ScopedPortList ports(silent.Name());
    DialogResponder responder([](const SeenDialog&) { return "No"; });
    app::TForm1 form;

    form.DoCreate();

    EXPECT_EQ(exit_code_, 0);
    EXPECT_TRUE(errors_.empty());
    EXPECT_FALSE(form.isVisible());
    EXPECT_NE(form.qdv->Status(), device::qsRunning);
    ASSERT_EQ(responder.Seen().size(), 1u);
    const SeenDialog& d = responder.Seen()[0];
    EXPECT_EQ(d.title, "Erreur");
    EXPECT_EQ(d.icon, QMessageBox::Critical);
    EXPECT_EQ(d.buttons, (std::vector<std::string>{"No", "Retry"}));
    EXPECT_NE(d.text.find(silent.Name() + ": opened, but no trainer answered"), std::string::npos) << d.text;
}

TEST_F(StartUpTest, RetryAfterPluggingTheTrainerIn) {
    SilentPort silent(folder_, "ttyUSB0");
    ScopedPortList ports(silent.Name());
    auto console = StartConsole(folder_, "ttyUSB1", 8);
    int retries = 0;
    DialogResponder responder([&](const SeenDialog&) {
        ++retries;
        ScopedPortList::Set(silent.Name() + "," + folder_.Path("ttyUSB1"));
        return "Retry";
    });
    app::TForm1 form;

    form.DoCreate();

    EXPECT_EQ(retries, 1);
    EXPECT_FALSE(exit_code_.has_value());
    EXPECT_TRUE(errors_.empty());
    EXPECT_TRUE(form.qdv->Connected());
    EXPECT_EQ(form.qdv->Port()->Port(), folder_.Path("ttyUSB1"));
    EXPECT_EQ(form.qdv->Status(), device::qsRunning);
}

// The companion programs run under Wine: their keys are read from the
// prefix's own registry file, or from the file --settings names.
TEST_F(StartUpTest, SettingsFromTheWinePrefixOrTheFileTheCommandLineNames) {
    const ScopedSettingsPlaces places;
    auto trakova = [](const char* version) {
        return WineKey("Software\\Corvane\\Trakova\\AppPath") +
               "\"AppPath\"=str(2):\"%ProgramFiles%\\\\Corvane\\\\Trakova \\x00c9ditions\"\n" +
               WineKey("Software\\Corvane\\Trakova\\Versions") + WineText("Soft. version", version);
    };
    const std::string points = WineKey(kQuarix6Key) + "\"LastRun\"=dword:000004d2\n" + WineText("Speed1", "18.5") +
                               WineText("Speed2", "27") + WineText("Speed3", "36") + WineText("Resist1", "90") +
                               WineText("Resist2", "50") + WineText("Resist3", "5");
    const std::string named = (places.Home() / "other prefix/user.reg").string();
    const std::string in_prefix = "Settings read from the Wine prefix's registry " + places.WineFile() + ".";
    struct WineCase {
        const char* what;
        std::string prefix;                // the prefix's user.reg
        std::optional<std::string> named;  // the file --settings names, when given
        Speeds speeds;
        Levels levels;
        std::string message;  // the message box that ends the process
        std::string note;     // under it
    } cases[] = {
        {"the prefix's points", WineRegistry(trakova("6.0.0.0") + points), std::nullopt, {18.5, 27, 36}, {90, 50, 5},
         "", ""},
        {"the prefix's old companion", WineRegistry(trakova("5.9.9.9") + points), std::nullopt, {0, 0, 0}, {0, 0, 0},
         app::kUpgradeCompanion, in_prefix},
        {"no companion in the prefix", WineRegistry(points), std::nullopt, {0, 0, 0}, {0, 0, 0},
         app::kNoProgramInstalled, in_prefix},
        {"the named file beats the prefix", WineRegistry(trakova("5.9.9.9")), WineRegistry(trakova("6.1.0.0") + points),
         {18.5, 27, 36}, {90, 50, 5}, "", ""},
    };
    int index = 0;
    for (const WineCase& c : cases) {
        SCOPED_TRACE(c.what);
        exit_code_.reset();
        errors_.clear();
        platform::SetDecimalSeparator('.');
        ScopedSettingsPlaces::Write(places.WineFile(), c.prefix);
        if (c.named) {
            ScopedSettingsPlaces::Write(named, *c.named);
            ASSERT_EQ(app::UseSettingsFileOption(named), std::nullopt);
        }
        const std::string port = "wine" + std::to_string(index++);
        auto console = StartConsole(folder_, port, 6);
        ScopedPortList ports(folder_.Path(port));
        DialogResponder responder;
        app::TForm1 form;

        form.DoCreate();
        platform::SetSettingsFileOption(std::nullopt);

        EXPECT_TRUE(errors_.empty()) << (errors_.empty() ? "" : errors_[0]);
        EXPECT_EQ(form.TargetSpeeds, c.speeds);
        EXPECT_EQ(form.ResistanceLevels, c.levels);
        EXPECT_EQ(form.qdv->Status() == device::qsRunning, c.message.empty());
        if (c.message.empty()) {
            EXPECT_TRUE(responder.Seen().empty());
        } else {
            ASSERT_EQ(responder.Seen().size(), 1u);
            EXPECT_EQ(responder.Seen()[0].text, c.message);
            EXPECT_EQ(responder.Seen()[0].informative, c.note);
            EXPECT_EQ(exit_code_, 0);
        }
    }
}
