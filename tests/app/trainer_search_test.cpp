// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/startup/trainer_search.h"

#include <gtest/gtest.h>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "app/diagnostics/port_listing.h"
#include "app/diagnostics/port_naming.h"
#include "app/startup/qt_message_pump.h"
#include "app/window/calibration_window.h"
#include "child_process.h"
#include "dialog_responder.h"
#include "port_fixture.h"
#include "search_ports_fixture.h"
#include "serial/com_port_errors.h"

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
    // Neither a folder nor a plain file is a port.
    const std::string folder = folder_.Path("a-folder"), plain = folder_.Path("plain");
    std::filesystem::create_directory(folder);
    std::ofstream(plain) << "text";
    ScopedPortList ports(busy.Name() + "," + folder_.Path("missing") + "," + folder_.Path("trainer") + ",/dev/null," +
                         folder + "," + plain);
    DialogResponder no_dialog_expected;
    app::TrainerSearchReport report;

    ASSERT_TRUE(app::SearchTrainer(qdv(), 3, 100, &report));

    EXPECT_EQ(qdv().Version(), 6);
    EXPECT_TRUE(no_dialog_expected.Seen().empty());
    ASSERT_EQ(report.ports.size(), 6u);
    EXPECT_EQ(report.ports[0].port, "/dev/null");
    EXPECT_EQ(report.ports[0].outcome, ProbeOutcome::NotSerial);
    EXPECT_EQ(report.ports[1].outcome, ProbeOutcome::NotSerial);  // the folder
    EXPECT_EQ(report.ports[2].outcome, ProbeOutcome::InUse);
    EXPECT_EQ(report.ports[3].outcome, ProbeOutcome::Missing);
    EXPECT_EQ(report.ports[4].outcome, ProbeOutcome::NotSerial);  // the plain file
    const std::string text = app::NoTrainerText(report);
    EXPECT_NE(text.find(busy.Name() + ": in use by another program"), std::string::npos) << text;
    for (const std::string& not_a_port : {std::string("/dev/null"), folder, plain})
        EXPECT_NE(text.find(not_a_port + ": not a serial device\n"), std::string::npos) << text;
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
    ScopedSearchPorts fake_sysfs({});
    console_sim::PseudoTerminal ours;
    ours.Open();
    app::TrainerSearchReport report;
    report.ports = {{"ttyUSB0", ProbeOutcome::NoAnswer, {}},
                    {pattern, ProbeOutcome::PermissionDenied, {}},
                    {ours.SlaveName(), ProbeOutcome::PermissionDenied, {}},
                    {"ttyS4", ProbeOutcome::Failed, "Unable to apply the settings"}};
    const std::string text = app::NoTrainerText(report);
    ::unlink(pattern);
    // Named as the rider knows the adapter.
    EXPECT_NE(text.find("ttyUSB0 (FT232R USB UART, serial A50285BI): opened, but no trainer answered"),
              std::string::npos)
        << text;
    // A plain file is no port, whatever its permissions.
    EXPECT_NE(text.find(std::string(pattern) + ": not a serial device\n"), std::string::npos) << text;
    // A device whose permissions let us in, refused all the same: neither a
    // group nor its mode is to blame.
    EXPECT_NE(text.find(ours.SlaveName() + ": permission denied: the system refused to open " + ours.SlaveName() +
                        " although its permissions let you"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("usermod"), std::string::npos) << text;
    EXPECT_NE(text.find("ttyS4: could not be opened: Unable to apply the settings"), std::string::npos) << text;

    // A long list is cut short.
    for (int i = 0; i < 30; ++i) report.ports.push_back({"ttyS" + std::to_string(10 + i), ProbeOutcome::Missing, {}});
    const std::string long_text = app::NoTrainerText(report);
    EXPECT_NE(long_text.find("... and 22 more"), std::string::npos) << long_text;
    EXPECT_EQ(long_text.find("ttyS39"), std::string::npos);
}

TEST_F(SearchTest, ChosenPortsAreProbedInTheOrderGivenInsteadOfTheList) {
    SilentPort last_by_name(folder_, "z");
    auto console = StartConsole(folder_, "a", 4);
    SilentPort listed(folder_, "listed");
    ScopedPortList environment(listed.Name());
    ScopedSearchPorts chosen({last_by_name.Name(), folder_.Path("a")});
    DialogResponder no_dialog_expected;
    app::TrainerSearchReport report;

    ASSERT_TRUE(app::SearchTrainer(qdv(), 3, 100, &report));

    ASSERT_EQ(report.ports.size(), 2u);
    EXPECT_EQ(report.ports[0].port, last_by_name.Name());
    EXPECT_EQ(report.ports[0].outcome, ProbeOutcome::NoAnswer);
    EXPECT_EQ(report.ports[1].port, folder_.Path("a"));
    EXPECT_EQ(report.ports[1].outcome, ProbeOutcome::Found);
    EXPECT_NE(last_by_name.Drain().find(std::string("\xF0\x08\x28", 3)), std::string::npos);
    // The environment's list is not looked at.
    EXPECT_EQ(opened_.count(listed.Name()), 0u);
    EXPECT_TRUE(listed.Drain().empty());
}

TEST_F(SearchTest, AFailingPortListLeavesTheSearchWithTheDialogClosed) {
    ScopedPortList environment(std::nullopt);
    ScopedSearchPorts no_tty_directory({}, {folder_.Path("no-class-tty"), folder_.Path("no-by-id")});
    DialogResponder no_dialog_expected;
    try {
        app::SearchTrainer(qdv(), 3, 100);
        FAIL() << "the listing error should leave the search";
    } catch (const serial::EComPort& e) {
        EXPECT_EQ(e.ErrorCode(), 23);
        EXPECT_EQ(e.OSErrorCode(), ENOENT);
    }
    EXPECT_EQ(app::ProgressDlgForm, nullptr);
    EXPECT_TRUE(no_dialog_expected.Seen().empty());
    EXPECT_FALSE(qdv().Port()->Connected());
}

namespace {

// Probes `port` as the search does, in a child process that is not root
// (root opens every device), and returns what the retry dialog would say of
// it ("" when the child failed).
std::string ProbeAsUnprivilegedUser(const std::string& port) {
    const std::optional<std::string> seen = AsUnprivilegedUser([&] {
        device::TQuarixDevice device;
        device.Port()->SetPort(port);
        app::PortProbe probe;
        const bool found = app::ProbePort(device, 100, &probe);
        app::TrainerSearchReport report;
        report.ports.push_back(probe);
        const char* kind = found ? "found|" : probe.outcome == ProbeOutcome::PermissionDenied ? "denied|" : "other|";
        return kind + app::NoTrainerText(report);
    });
    return seen.value_or("");
}

}  // namespace

TEST(SearchPermission, APortTheUserMayNotOpenIsSkippedWithWhatToDo) {
    ScopedSearchPorts fake_sysfs({});
    console_sim::PseudoTerminal tty_port, serial_group_port, own_port;
    tty_port.Open();
    serial_group_port.Open();
    own_port.Open();
    // The user's own device, its owner's rights taken away: chmod, not the
    // administrator, gives them back.
    const std::string own_hint = own_port.SlaveName() + " is yours, but its mode (0066) keeps you from reading and "
                                                        "writing it: chmod u+rw " + own_port.SlaveName();
    // getgrnam's answer is overwritten by the next call: keep the numbers.
    const group* found = ::getgrnam("dialout");
    const bool has_dialout = found != nullptr;
    const gid_t dialout = has_dialout ? found->gr_gid : 0;
    found = ::getgrnam("tty");
    const gid_t tty = found ? found->gr_gid : 0;
    struct Case {
        std::string port;
        std::string hint;
    };
    std::vector<Case> cases;
    if (::geteuid() == 0) {
        // As a pseudo-terminal is made: the user's own, group tty, 0620; not
        // nobody's. And a port of the serial group, which nobody is not in.
        ASSERT_EQ(::chown(tty_port.SlaveName().c_str(), 0, tty), 0);
        ASSERT_EQ(::chmod(tty_port.SlaveName().c_str(), 0620), 0);
        cases.push_back({tty_port.SlaveName(), "is not open to users (it belongs to the group '"});
        if (has_dialout) {
            ASSERT_EQ(::chown(serial_group_port.SlaveName().c_str(), 0, dialout), 0);
            ASSERT_EQ(::chmod(serial_group_port.SlaveName().c_str(), 0660), 0);
            cases.push_back({serial_group_port.SlaveName(),
                             "join the group 'dialout' that owns " + serial_group_port.SlaveName() +
                                 " (sudo usermod -aG dialout $USER), then log out and back in"});
        }
        ASSERT_EQ(::chown(own_port.SlaveName().c_str(), Unprivileged().uid, tty), 0);
    }
    // (A user cannot make a device that is not theirs: the other hints are
    // left to the table of PortNaming.ThePermissionHintFitsTheGroup then.)
    ASSERT_EQ(::chmod(own_port.SlaveName().c_str(), 0066), 0);
    cases.push_back({own_port.SlaveName(), own_hint});
    for (const Case& c : cases) {
        const std::string answer = ProbeAsUnprivilegedUser(c.port);
        ASSERT_FALSE(answer.empty()) << c.port << ": the child failed";
        EXPECT_EQ(answer.substr(0, answer.find('|')), "denied") << answer;
        EXPECT_NE(answer.find(c.port + ": permission denied: "), std::string::npos) << answer;
        EXPECT_NE(answer.find(c.hint), std::string::npos) << answer;
        if (c.hint.find("join") == std::string::npos) {
            EXPECT_EQ(answer.find("usermod"), std::string::npos) << answer;
        }
    }
}

// A terminal's device file on a filesystem mounted nodev opens for nobody,
// root included, whatever its mode: the port listing and the retry dialog
// say where it lies instead of blaming permissions.
TEST(SearchPermission, ADeviceOnANodevFilesystemIsSaidToBeThere) {
    console_sim::PseudoTerminal tty;
    tty.Open();
    struct stat st{};
    ASSERT_EQ(::stat(tty.SlaveName().c_str(), &st), 0);
    const std::optional<std::string> seen = OnNodevMount(st.st_rdev, [](const std::string& node) {
        ScopedSearchPorts chosen({node});
        char* text = nullptr;
        size_t size = 0;
        std::FILE* out = ::open_memstream(&text, &size);
        app::PrintPortList(out, stderr);
        std::fclose(out);
        const std::string listing = text;
        std::free(text);
        device::TQuarixDevice device;
        device.Port()->SetPort(node);
        app::PortProbe probe;
        app::ProbePort(device, 100, &probe);
        app::TrainerSearchReport report;
        report.ports.push_back(probe);
        return listing + app::NoTrainerText(report);
    });
    ASSERT_TRUE(seen.has_value()) << "the child failed";
    if (seen->rfind(kCannotMount, 0) == 0) GTEST_SKIP() << *seen;
    EXPECT_NE(seen->find("/ttyNODEV0  " + std::string(app::kOnANodevMount) + "\n"), std::string::npos) << *seen;
    EXPECT_NE(seen->find("/ttyNODEV0: " + std::string(app::kOnANodevMount) + "\n"), std::string::npos) << *seen;
    EXPECT_EQ(seen->find("permission"), std::string::npos) << *seen;
}
