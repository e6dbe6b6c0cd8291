#include "app/trainer_search.h"

#include <gtest/gtest.h>

#include <grp.h>
#include <map>
#include <string>

#include "app/calibration_window.h"
#include "app/qt_message_pump.h"
#include "dialog_responder.h"
#include "port_fixture.h"

namespace {
using namespace testing_support;
using app::ProbeOutcome;

// The window's trainer component, configured as the program configures it,
// with every open and close of its port counted per port name.
class SearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        form_ = std::make_unique<app::TForm1>();
        qdv().OnComPortAfterOpen = [this](platform::TObject*) { ++opened_[qdv().Port()->Port()]; };
        qdv().OnComPortAfterClose = [this](platform::TObject*) { ++closed_[qdv().Port()->Port()]; };
    }
    void TearDown() override { form_.reset(); }
    device::TQuarixDevice& qdv() { return *form_->qdv; }

    app::ScopedQtMessagePump pump_;
    PortFolder folder_;
    std::unique_ptr<app::TForm1> form_;
    std::map<std::string, int> opened_, closed_;
};

std::string Opening(const std::string& port) { return "Opening port " + port; }

}  // namespace

TEST_F(SearchTest, FindsTheTrainerOnTheSecondPortInTheFirstRound) {
    SilentPort first(folder_, "port1");
    auto console = StartConsole(folder_, "port2", 4);
    SilentPort third(folder_, "port3");
    ScopedPortList ports(first.Name() + "," + folder_.Path("port2") + "," + third.Name());
    DialogResponder no_dialog_expected;
    ProgressTexts progress;
    app::TrainerSearchReport report;

    ASSERT_TRUE(app::SearchTrainer(qdv(), 3, 100, &report));

    EXPECT_TRUE(qdv().Connected());
    EXPECT_TRUE(qdv().Port()->Connected());
    EXPECT_EQ(qdv().Port()->Port(), folder_.Path("port2"));
    EXPECT_EQ(qdv().Version(), 4);
    // The first port was asked and given up; the third never tried.
    EXPECT_NE(first.Drain().find(std::string("\xF0\x08\x28", 3)), std::string::npos);
    EXPECT_EQ(opened_[first.Name()], 1);
    EXPECT_EQ(closed_[first.Name()], 1);
    EXPECT_EQ(opened_.count(third.Name()), 0u);
    EXPECT_EQ(progress.Texts(), (std::vector<std::string>{"Reading the com ports...", "Time  1", Opening(first.Name()),
                                                          Opening(folder_.Path("port2")), "Time  2"}));
    EXPECT_EQ(app::ProgressDlgForm, nullptr);
    ASSERT_EQ(report.ports.size(), 2u);
    EXPECT_EQ(report.ports[0].outcome, ProbeOutcome::NoAnswer);
    EXPECT_EQ(report.ports[1].outcome, ProbeOutcome::Found);
    EXPECT_TRUE(no_dialog_expected.Seen().empty());
}

TEST_F(SearchTest, WithoutATrainerEveryPortIsOpenedAndClosedOncePerRound) {
    SilentPort a(folder_, "a"), b(folder_, "b");
    ScopedPortList ports(a.Name() + "," + b.Name());
    DialogResponder no_dialog_expected;
    app::TrainerSearchReport report;

    EXPECT_FALSE(app::SearchTrainer(qdv(), 3, 100, &report));

    EXPECT_FALSE(qdv().Connected());
    EXPECT_FALSE(qdv().Port()->Connected());
    for (const auto& name : {a.Name(), b.Name()}) {
        EXPECT_EQ(opened_[name], 3) << name;
        EXPECT_EQ(closed_[name], 3) << name;
    }
    EXPECT_EQ(app::ProgressDlgForm, nullptr);
    ASSERT_EQ(report.ports.size(), 2u);
    EXPECT_EQ(report.ports[1].outcome, ProbeOutcome::NoAnswer);
    EXPECT_TRUE(no_dialog_expected.Seen().empty());
    const std::string text = app::NoTrainerText(report);
    EXPECT_NE(text.find(a.Name() + ": opened, but no trainer answered"), std::string::npos) << text;
}

TEST_F(SearchTest, AnEmptyPortListShowsOneErrorAndGivesUp) {
    ScopedPortList ports(std::string(""));
    DialogResponder responder;
    ProgressTexts progress;
    app::TrainerSearchReport report;

    EXPECT_FALSE(app::SearchTrainer(qdv(), 3, 100, &report));

    ASSERT_EQ(responder.Seen().size(), 1u);
    const SeenDialog& d = responder.Seen()[0];
    EXPECT_EQ(d.title, "Erreur");
    EXPECT_EQ(d.text, "Cannot list the com ports of the computer!");
    EXPECT_EQ(d.icon, QMessageBox::Critical);
    EXPECT_EQ(d.buttons, std::vector<std::string>{"OK"});
    // Round 1 only: no "Time  2".
    EXPECT_EQ(progress.Texts().back(), "Cannot list the com ports of the computer!");
    for (const auto& t : progress.Texts()) EXPECT_NE(t, "Time  2");
    EXPECT_TRUE(report.no_ports);
    EXPECT_EQ(app::ProgressDlgForm, nullptr);
    EXPECT_NE(app::NoTrainerText(report).find("CALIBRATION_TOOL_PORTS"), std::string::npos);
}

TEST_F(SearchTest, PortsThatCannotBeOpenedAreSkippedSilently) {
    SilentPort busy(folder_, "busy");
    HeldPort other_program(busy.Name());
    ASSERT_TRUE(other_program.Held());
    auto console = StartConsole(folder_, "trainer", 6);
    ScopedPortList ports(busy.Name() + "," + folder_.Path("missing") + "," + folder_.Path("trainer") + ",/dev/null");
    DialogResponder no_dialog_expected;
    app::TrainerSearchReport report;

    ASSERT_TRUE(app::SearchTrainer(qdv(), 3, 100, &report));

    EXPECT_EQ(qdv().Version(), 6);
    EXPECT_TRUE(no_dialog_expected.Seen().empty());
    ASSERT_EQ(report.ports.size(), 4u);
    EXPECT_EQ(report.ports[0].port, "/dev/null");
    EXPECT_EQ(report.ports[0].outcome, ProbeOutcome::NotSerial);
    EXPECT_EQ(report.ports[1].outcome, ProbeOutcome::InUse);
    EXPECT_EQ(report.ports[2].outcome, ProbeOutcome::Missing);
    const std::string text = app::NoTrainerText(report);
    EXPECT_NE(text.find(busy.Name() + ": in use by another program"), std::string::npos) << text;
    EXPECT_NE(text.find("/dev/null: not a serial port"), std::string::npos) << text;
    EXPECT_NE(text.find(folder_.Path("missing") + ": no such device"), std::string::npos) << text;
}

TEST_F(SearchTest, ASearchStartedWhileConnectedDisconnectsFirst) {
    auto console = StartConsole(folder_, "trainer", 4);
    ScopedPortList ports(folder_.Path("trainer"));
    ASSERT_TRUE(app::SearchTrainer(qdv(), 1, 100));
    int disconnected = 0;
    qdv().OnDisconnected = [&](platform::TObject*) { ++disconnected; };
    opened_.clear();
    closed_.clear();

    ASSERT_TRUE(app::SearchTrainer(qdv(), 1, 100));

    EXPECT_EQ(disconnected, 1);
    EXPECT_EQ(closed_[folder_.Path("trainer")], 1);
    EXPECT_EQ(opened_[folder_.Path("trainer")], 1);
    EXPECT_TRUE(qdv().Connected());
}

TEST(NoTrainerText, SaysWhatToFixForEachPort) {
    char pattern[] = "/tmp/startup_group_XXXXXX";
    const int fd = ::mkstemp(pattern);
    ASSERT_GE(fd, 0);
    ::close(fd);
    app::TrainerSearchReport report;
    report.ports = {{"ttyUSB0", ProbeOutcome::NoAnswer, {}},
                    {pattern, ProbeOutcome::PermissionDenied, {}},
                    {"ttyS4", ProbeOutcome::Failed, "Unable to apply the settings"}};
    const std::string text = app::NoTrainerText(report);
    ::unlink(pattern);
    const std::string group = ::getgrgid(::getgid())->gr_name;
    EXPECT_NE(text.find("ttyUSB0: opened, but no trainer answered"), std::string::npos) << text;
    EXPECT_NE(text.find(std::string(pattern) + ": permission denied: join the group '" + group + "' that owns " + pattern),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("usermod -aG " + group), std::string::npos) << text;
    EXPECT_NE(text.find("ttyS4: could not be opened: Unable to apply the settings"), std::string::npos) << text;

    // A long list is cut short.
    for (int i = 0; i < 30; ++i) report.ports.push_back({"ttyS" + std::to_string(10 + i), ProbeOutcome::Missing, {}});
    const std::string long_text = app::NoTrainerText(report);
    EXPECT_NE(long_text.find("... and 21 more"), std::string::npos) << long_text;
    EXPECT_EQ(long_text.find("ttyS39"), std::string::npos);
}
