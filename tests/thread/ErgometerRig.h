#pragma once
// The in-process simulated ergometer, running faster than real time, and its head unit connected.
#include <chrono>
#include <memory>

#include "device/transport/SimFtdiLink.h"
#include "device/transport/UsbLink.h"
#include "device/usb/VeltrakVI.h"
#include "online/KLTErgoFile.h"
#include "tests/device/FakeLine.h"
#include "tests/integration/SimulatorRig.h"
#include "tools/sim/LiveErgometer.h"

namespace klt {

constexpr int kSpeedup = 20;
// The read thread's cycle against it: half a second of the simulated ride.
constexpr std::chrono::milliseconds kSimulatedCycle{500 / kSpeedup};

inline TKLTErgoSection PowerStep(int seconds, int watts) {
    TKLTErgoSection step;
    step.Time.Value = seconds * 100;
    step.Power = {watts * 8, true};
    return step;
}

// The simulator starts before the link to it is made. `beats`: the rider's strap misses or adds
// beats.
struct TStartedErgometer {
    explicit TStartedErgometer(sim::TBeatFaults beats = {}) : sim(Options(beats)) { sim.Start(); }
    static sim::TSimOptions Options(sim::TBeatFaults beats) {
        sim::TSimOptions options = test::SimOptions(7);
        options.ergometer = true;
        options.speedup = kSpeedup;
        options.seed = 7;
        options.faults.beats = beats;
        return options;
    }
    sim::THeadUnitSimulator sim;
};

// The ergometer's head unit, connected.
struct TErgometerRig : TStartedErgometer {
    explicit TErgometerRig(sim::TBeatFaults beats = {}) : TStartedErgometer(beats) {
        usb.SetErrorDisplay(false);
        veltrak.SetPrompt(test::InstalledPrompt());
        EXPECT_TRUE(veltrak.ConnectV7());
    }
    TSimFtdiLink link{sim.SocketPath()};
    TUsbLink usb{link};
    TVeltrak veltrak{std::make_unique<test::TFakeLine>([](uint8_t, const TLineSettings&, std::deque<uint8_t>&) {}),
                     nullptr, &usb};
};

} // namespace klt
