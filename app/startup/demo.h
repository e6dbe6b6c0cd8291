// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The demonstration mode (--demo): the tool without a trainer. A simulated
// console of the 6-byte frame generation runs in-process on a
// pseudo-terminal whose port is the only one searched, a rider on it pedals
// between about 15 and 45 km/h, and built-in settings stand in for a
// companion program at version 6 with the default calibration points -
// unless the user named a settings file, whose points are then tried.
#include <memory>
#include <string>

namespace app {

class DemoSession {
public:
    // Starts the console and points the port list at it, and the settings
    // at the built-in ones unless a file was named (--settings). Throws
    // std::system_error when no pseudo-terminal can be had.
    DemoSession();
    // Stops the rider and the console (after the window has closed its port).
    ~DemoSession();
    DemoSession(const DemoSession&) = delete;
    DemoSession& operator=(const DemoSession&) = delete;

    // The console's port name.
    std::string PortName() const;

    // The rider's speed at a moment of the ride (seconds since the start).
    static double RiderSpeedKmh(double seconds);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The settings the demonstration reads, as a registry export.
extern const char* const kDemoSettings;

}  // namespace app
