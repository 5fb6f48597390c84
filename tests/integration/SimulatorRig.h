#pragma once
// The real protocol code on a pseudo-terminal served by the head-unit simulator. Time-outs are
// stretched as in the protocol tests (eightfold: the simulator answers within milliseconds) so a
// loaded machine does not fail them; tests that expect silence stretch them less to end sooner.
#include <memory>

#include "device/genv/VeltrakV.h"
#include "device/transport/SimFtdiLink.h"
#include "device/transport/UsbLink.h"
#include "tests/device/PtyHeadUnit.h"
#include "tests/support/ScriptedPrompt.h"
#include "tools/sim/HeadUnitSimulator.h"

namespace klt::test {

inline constexpr int64_t kSimClock = 1'800'000'000; // a fixed head-unit time: repeatable memory

inline sim::TSimOptions SimOptions(int generation) {
    sim::TSimOptions options;
    options.generation = generation;
    options.clock = kSimClock;
    return options;
}

struct TSimulatorRig {
    explicit TSimulatorRig(const sim::TSimOptions& options, int stretch = 8) : clock(stretch), sim(options) {
        sim.Start();
        veltrak = std::make_unique<TVeltrakV>(std::make_unique<TSlowTimeoutsLine>(stretch), &clock);
        veltrak->SetPrompt(InstalledPrompt());
        // As klt device sets it up: the generation chosen is the hardware expected.
        const TVeltrakHWVersion hardware = options.generation == 4 ? TVeltrakHWVersion::HWVersionVT4x128
                                                                   : TVeltrakHWVersion::HWVersionVT5x128;
        veltrak->SetConfiguredHWVersion(hardware);
        veltrak->Status().SetHWVersion(hardware);
        veltrak->SetPort({"Simulator", sim.SlavePath(), 0});
        veltrak->SetSearchAllPorts(false);
    }

    // Finds the head unit as klt device does before its work.
    void Connect() {
        if (sim.Options().generation == 4) {
            veltrak->Identify();
        } else {
            veltrak->FindHeadUnitV();
        }
    }

    TSlowClock clock;
    sim::THeadUnitSimulator sim;
    std::unique_ptr<TVeltrakV> veltrak;
};

// A simulated generation VI or 7 head unit on a USB link of its own, its error boxes silent.
struct TUsbSimulatorRig {
    explicit TUsbSimulatorRig(const sim::TSimOptions& options) : sim(options) {
        sim.Start();
        link = std::make_unique<TSimFtdiLink>(sim.SocketPath());
        usb = std::make_unique<TUsbLink>(*link);
        usb->SetErrorDisplay(false);
    }

    sim::THeadUnitSimulator sim;
    std::unique_ptr<TSimFtdiLink> link;
    std::unique_ptr<TUsbLink> usb;
};

} // namespace klt::test
