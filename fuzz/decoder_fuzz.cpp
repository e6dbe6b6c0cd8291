// SPDX-License-Identifier: GPL-3.0-or-later
// Drives the trainer component's decoder with a device state taken from the
// input: any protocol generation (byte protocol, short and long frames, odd
// versions too), connected or not, any ride status, debug mode, heart and
// cadence filters, array lengths, units and handlers assigned or not. Then a
// script of operations: frames handed straight to DecodeMessage, bytes fed
// through the device's own framer (custom searches of the long frames
// included), the fake clock moved on (wrapping too), statistics and heart
// survey steps, ride operations and version changes in between.
//
// Beyond memory safety and termination it checks what must hold whatever the
// wire says: the received-event count stays in its range, the speed, distance
// and heart figures stay finite, and the array lengths stay as set.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "device/quarix_device.h"
#include "platform/message_loop.h"
#include "platform/tick_count.h"
#include "fuzz/fuzz_input.h"

namespace {

using fuzzing::Input;

// Every value the component knows, and a few it does not.
constexpr double kVersions[] = {4, 4, 4.5, 5, 5.5, 6, 7, 8, 1, 2, 3, 0.4, 9, 3.5, 0, -1};

// The protected steps that timers run, reachable from the script.
class FuzzedDevice : public device::TQuarixDevice {
public:
    using TQuarixDevice::HeartSurveyTick;
    using TQuarixDevice::StatsTimerTick;
};

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "decoder check failed: %s\n", what);
        std::abort();
    }
}

bool Finite(long double v) { return std::isfinite(static_cast<double>(v)); }

// A frame of the current generation with the given type and payload bytes,
// so that the script reaches the decoders rather than the rejection paths.
std::string WellFormedFrame(double version, uint8_t type, Input& in) {
    const size_t length = version > 4 && type != device::kMsgIdentification ? 10 : 6;
    std::string frame(length, '\0');
    frame[0] = static_cast<char>(device::kFrameStart);
    frame[1] = static_cast<char>(type);
    for (size_t i = 2; i + 1 < length; ++i) frame[i] = static_cast<char>(in.Byte());
    frame[length - 1] = static_cast<char>(device::kFrameStop);
    return frame;
}

void CheckInvariants(const FuzzedDevice& d, int32_t speed_len, int32_t heart_len, int32_t cadence_len) {
    Check(d.ReceivedEventCount >= 0 && d.ReceivedEventCount <= 2147483, "received event count out of range");
    Check(Finite(d.Speed) && Finite(d.MeanSpeed) && Finite(d.ShortMeanSpeed), "speed not finite");
    Check(Finite(d.Distance) && Finite(d.TotalRollCount), "distance not finite");
    Check(std::isfinite(d.VirtualSpeed), "virtual speed not finite");
    Check(static_cast<int32_t>(d.SpeedArray.size()) <= std::max(speed_len, 1), "speed array grew");
    Check(static_cast<int32_t>(d.HeartArray.size()) <= std::max(heart_len, 1), "heart array grew");
    Check(static_cast<int32_t>(d.CadenceArray.size()) <= std::max(cadence_len, 1), "cadence array grew");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in(data, size);
    // The values shared by every device of the process start fresh each run.
    device::TQuarixDevice::PendingFrameLength = 0;
    device::TQuarixDevice::LastKeyTick = 0;
    device::TQuarixDevice::KeyBusy = false;
    device::TQuarixDevice::StatsBusy = false;
    platform::ScopedTickCountOverride clock(in.Long());

    {
        FuzzedDevice d;
        const uint8_t flags = in.Byte();
        const uint8_t more = in.Byte();
        d.SetVersion(kVersions[in.Byte() % std::size(kVersions)]);
        d.SetDebugMode(flags & 1);
        d.SetRollValue(static_cast<int8_t>(in.Byte()));
        d.SetHrFilter2Active(flags & 2);
        d.SetHeartEnabled(flags & 4);
        d.SetUnitMeasure(flags & 8 ? device::umMiles : device::umKm);
        d.SetVirtualSpeedEnabled(flags & 16);
        d.SetMaintainsConsoleActive(flags & 32);
        d.SetSecurityActive(more & 1);
        d.SetUseElevation(more & 2);
        d.SetHighPowerReduceEnable(more & 4);
        if (more & 8) d.DisableConsoleKeys();
        const int32_t speed_len = in.Byte() % 40;
        const int32_t heart_len = in.Byte() % 40;
        const int32_t cadence_len = in.Byte() % 40;
        d.SetSpeedArrayLength(speed_len);
        d.SetHeartArrayLength(heart_len);
        d.SetCadenceArrayLength(cadence_len);
        d.SetPrecisionSpeed(static_cast<int8_t>(in.Byte()));
        d.SetPrecisionDistance(static_cast<int8_t>(in.Byte()));
        d.SetRiderWeight(in.Byte());
        d.SetCourseDistance(in.Word());
        d.SetQuarixResistance(static_cast<int16_t>(in.Word()));
        d.SetKeyRepeatInterval(in.Byte() * 10u);
        // The window's handlers and the instant texts are assigned or not.
        if (flags & 64) {
            d.OnConsoleKeyDown = [](platform::TObject*, device::TConsoleKey) {};
            d.OnInstantHeart = [](platform::TObject*, const std::string& s) { Check(!s.empty(), "empty heart text"); };
            d.OnInstantCadence = [](platform::TObject*, const std::string& s) { Check(!s.empty(), "empty cadence text"); };
            d.OnQuarixMessage = [](platform::TObject*, device::TQuarixDeviceMessageType, long double, long double,
                                   long double, const std::string&) {};
        }
        if (flags & 128) {
            d.SetSimulationMode(true);  // connected without a line
            if (more & 16) d.Start();
            if (more & 32) d.Pause();
        }

        while (!in.Empty()) {
            const uint8_t op = in.Byte();
            switch (op % 12) {
                case 0:
                case 1: {  // a frame as the framer would deliver it
                    d.DecodeMessage(WellFormedFrame(d.Version(), static_cast<uint8_t>(in.Byte() % 10), in));
                    break;
                }
                case 2:  // any bytes at all, straight to the decoder
                    d.DecodeMessage(std::string(in.Bytes(in.Byte() % 16)));
                    break;
                case 3:  // bytes through the device's own framer
                    d.Framer()->AcceptData(in.Bytes(in.Byte() % 32 + 1));
                    break;
                case 4:
                    clock.Advance(in.Word());
                    break;
                case 5:
                    clock.Advance(in.Long());  // may wrap the tick count
                    break;
                case 6:
                    d.StatsTimerTick(&d);
                    break;
                case 7:
                    d.HeartSurveyTick(&d);
                    break;
                case 8:
                    switch (in.Byte() % 4) {
                        case 0: d.Start(); break;
                        case 1: d.Pause(); break;
                        case 2: d.Stop(); break;
                        default: d.SetStatus(static_cast<device::TQuarixDeviceStatus>(in.Byte() % 5)); break;
                    }
                    break;
                case 9:
                    d.SetVersion(kVersions[in.Byte() % std::size(kVersions)]);
                    break;
                case 10:
                    d.SetConnected(in.Byte() & 1);
                    break;
                default:
                    d.SetQuarixResistance(static_cast<int16_t>(in.Word()));
                    break;
            }
            CheckInvariants(d, speed_len, heart_len, cadence_len);
        }
        // Posted key messages and ticks handed over meanwhile.
        platform::ProcessMessages();
    }
    platform::ProcessMessages();
    return 0;
}
