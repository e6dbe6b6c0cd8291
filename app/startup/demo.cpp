// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/startup/demo.h"

#include <QCoreApplication>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <numbers>
#include <thread>

#include "platform/settings_location.h"
#include "platform/settings_store.h"
#include "tools/console_sim/console_simulator.h"

namespace app {

const char* const kDemoSettings =
    "Windows Registry Editor Version 5.00\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\Corvane\\Trakova\\AppPath]\r\n"
    "\"AppPath\"=\"C:\\\\Program Files\\\\Corvane\\\\Trakova\"\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\Corvane\\Trakova\\Versions]\r\n"
    "\"Soft. version\"=\"6.0.0.0\"\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\Corvane\\Trakova\\Calibration\\Quarix6]\r\n"
    "\"Speed1\"=\"20\"\r\n"
    "\"Speed2\"=\"30\"\r\n"
    "\"Speed3\"=\"40\"\r\n"
    "\"Resist1\"=\"100\"\r\n"
    "\"Resist2\"=\"60\"\r\n"
    "\"Resist3\"=\"0\"\r\n";

namespace {
constexpr double kDemoVersion = 4;
constexpr auto kSpeedStep = std::chrono::milliseconds(250);
}  // namespace

struct DemoSession::Impl {
    console_sim::ConsoleSimulator console;
    std::mutex mutex;
    std::condition_variable wake;
    bool stopping = false;
    std::thread rider;

    Impl() : console(Options()) {}

    static console_sim::ConsoleOptions Options() {
        console_sim::ConsoleOptions options;
        options.version = kDemoVersion;
        options.speed_kmh = RiderSpeedKmh(0);
        return options;
    }

    void Ride() {
        const auto start = std::chrono::steady_clock::now();
        std::unique_lock lock(mutex);
        while (!wake.wait_for(lock, kSpeedStep, [this] { return stopping; })) {
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            console.SetSpeed(RiderSpeedKmh(seconds));
        }
    }
};

double DemoSession::RiderSpeedKmh(double seconds) {
    // A slow swell with a quicker ripple on top, so every calibration
    // point's zone is crossed now and then: 30 +/- 15 km/h at most.
    const double swell = std::sin(2 * std::numbers::pi * seconds / 24.0);
    const double ripple = std::sin(2 * std::numbers::pi * seconds / 5.0);
    return 30 + 12 * swell + 3 * ripple;
}

DemoSession::DemoSession() : impl_(std::make_unique<Impl>()) {
    impl_->console.Start();
    ::setenv("CALIBRATION_TOOL_PORTS", impl_->console.SlavePath().c_str(), 1);
    // A file the rider named is the one read, in the demonstration too.
    if (platform::LocateSettingsFile().place != platform::SettingsPlace::Option)
        platform::UseBuiltInSettings(
            kDemoSettings,
            QCoreApplication::translate("DemoSession", "the demonstration's built-in settings").toStdString());
    impl_->rider = std::thread([this] { impl_->Ride(); });
}

DemoSession::~DemoSession() {
    {
        std::lock_guard lock(impl_->mutex);
        impl_->stopping = true;
    }
    impl_->wake.notify_all();
    impl_->rider.join();
    impl_->console.Stop();
    platform::UseBuiltInSettings(std::nullopt);
}

std::string DemoSession::PortName() const { return impl_->console.SlavePath(); }

}  // namespace app
