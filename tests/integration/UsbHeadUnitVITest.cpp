// Generations VI and 7: connecting, the status read, settings, clock, a new recording and the
// request port of the section download, against the simulated head unit behind its USB chip.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "device/transport/SimFtdiLink.h"
#include "device/VeltrakClock.h"
#include "device/transport/UsbLink.h"
#include "device/usb/VeltrakVI.h"
#include "tests/device/FakeLine.h"
#include "tests/integration/SimulatorRig.h"
#include "tests/support/ScriptedPrompt.h"

namespace klt {
namespace {

using test::SimOptions;

// The protocol on the simulator's socket; its own waits pass on a fake clock.
struct TUsbRig {
    explicit TUsbRig(const sim::TSimOptions& options) : sim(options) {
        sim.Start();
        link = std::make_unique<TSimFtdiLink>(sim.SocketPath());
        usb = std::make_unique<TUsbLink>(*link);
    }
    std::unique_ptr<TVeltrak> Protocol() {
        auto veltrak = std::make_unique<TVeltrak>(
            std::make_unique<test::TFakeLine>([](uint8_t, const TLineSettings&, std::deque<uint8_t>&) {}), &clock,
            usb.get());
        veltrak->SetPrompt(test::InstalledPrompt());
        return veltrak;
    }
    // Connected to the generation 7 head unit, its status read.
    std::unique_ptr<TVeltrak> ReadHeadUnit() {
        auto veltrak = Protocol();
        if (!veltrak->ConnectV7()) {
            throw std::runtime_error("the simulated head unit did not answer");
        }
        veltrak->ReadStatus();
        return veltrak;
    }
    bool Heard(uint8_t requestClass, uint8_t code) {
        const sim::TSimState state = sim.State();
        return std::any_of(state.usbRequests.begin(), state.usbRequests.end(), [&](const sim::TUsbRequest& r) {
            return r.requestClass == requestClass && r.code == code;
        });
    }

    test::TFakeClock clock;
    sim::THeadUnitSimulator sim;
    std::unique_ptr<TSimFtdiLink> link;
    std::unique_ptr<TUsbLink> usb;
};

sim::TSimOptions Unit(int generation, int firmware) {
    sim::TSimOptions options = SimOptions(generation);
    options.firmware = firmware;
    options.initials = "ABC";
    return options;
}

TEST(UsbHeadUnitVI, Generation7StatusIsReadWhole) {
    TUsbRig rig(Unit(7, 0xE517));
    test::TScriptedPrompt prompt;
    const auto veltrak = rig.ReadHeadUnit();
    const TVeltrakStatus& s = veltrak->Status();
    EXPECT_EQ(s.SWVersion(), 0xE517);
    EXPECT_EQ(s.Initialen(), "ABC");
    EXPECT_EQ(s.Radumfang, 2095);
    EXPECT_EQ(s.SteigungUsed, 7640); // the raw 250 as the slope in use
    EXPECT_EQ(s.AbspeicherZeit(), 100);
    EXPECT_EQ(s.GesamtEnergie, 100000);
    EXPECT_EQ(s.GesamtBetrieb, 1234);
    EXPECT_EQ(s.Jahresstrecke(), 2e8);
    EXPECT_EQ(veltrak->FailedSettings(), 0u);
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_TRUE(rig.Heard(2, 23)); // the newest setting this firmware knows
    EXPECT_EQ(s.ClockDay, kVeltrakClockFirstDay + test::kSimClock / 86400); // 08:00 there: the same day a while
    EXPECT_GE(s.ClockTime, 8 * 3600 * 100);
}

TEST(UsbHeadUnitVI, GenerationVIWithOlderFirmwareIsNotAskedNewerSettings) {
    TUsbRig rig(Unit(6, 35000));
    test::TScriptedPrompt prompt;
    auto veltrak = rig.Protocol();
    veltrak->ConnectVI();
    EXPECT_EQ(veltrak->Status().HWVersion(), TVeltrakHWVersion::HWVersionVT6x128);
    veltrak->ReadStatus();
    EXPECT_EQ(veltrak->FailedSettings(), 0u);
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_FALSE(rig.Heard(2, 18));
    EXPECT_FALSE(rig.Heard(1, 12));
    EXPECT_TRUE(rig.Heard(2, 17));
}

TEST(UsbHeadUnitVI, SettingsWrittenAreReadBack) {
    TUsbRig rig(Unit(7, 0xE517));
    test::TScriptedPrompt prompt;
    const auto veltrak = rig.ReadHeadUnit();
    TVeltrakStatus changed;
    changed.Assign(veltrak->Status());
    changed.SetInitialen("Rider Number Seven");
    changed.SteigungUsed = 6112; // 200
    changed.Radumfang = 2105;
    changed.NullstelleUsed = 517;
    changed.SetAbspeicherZeit(200);
    changed.SettingsVI[40] = {5};
    veltrak->WriteSettings(changed);
    EXPECT_EQ(veltrak->FailedSettings(), 0u);

    const auto again = rig.ReadHeadUnit();
    const TVeltrakStatus& s = again->Status();
    EXPECT_EQ(s.Initialen(), "Rider Number Seven");
    EXPECT_EQ(s.SteigungUsed, 6112);
    EXPECT_EQ(s.Radumfang, 2105);
    EXPECT_EQ(s.NullstelleUsed, 517);
    EXPECT_EQ(s.AbspeicherZeit(), 200);
    EXPECT_EQ(s.SettingsVI.at(40), std::vector<uint8_t>{5});
    EXPECT_EQ(s.SettingsVI, changed.SettingsVI);
    EXPECT_EQ(rig.sim.State().initials, "Rider Number Seven  ");
    EXPECT_TRUE(prompt.shown.empty());
}

TEST(UsbHeadUnitVI, BusyAndChecksumFaultsAreRiddenOut) {
    sim::TSimOptions options = Unit(7, 0xE517);
    options.faults.busyEvery = 5;
    options.faults.checksumEvery = 7;
    TUsbRig rig(options);
    test::TScriptedPrompt prompt(std::deque<TPromptAnswer>(40, TPromptAnswer::Ok));
    const auto veltrak = rig.ReadHeadUnit();
    EXPECT_EQ(veltrak->FailedSettings(), 0u);
    EXPECT_EQ(veltrak->Status().Initialen(), "ABC");
    ASSERT_FALSE(prompt.shown.empty());
    for (const auto& shown : prompt.shown) {
        EXPECT_EQ(shown.text, "Veltrak busy\r\nPlease wait");
    }
    EXPECT_GT(rig.sim.State().faultsInjected, 4);
}

TEST(UsbHeadUnitVI, ClockIsSetAndReadBack) {
    TUsbRig rig(Unit(7, 0xE517));
    auto veltrak = rig.Protocol();
    ASSERT_TRUE(veltrak->ConnectV7());
    TVeltrakStatus& s = veltrak->Status();
    s.ClockDay = static_cast<uint16_t>(DaysSince1880({2027, 5, 17}));
    s.ClockTime = (8 * 3600 + 30 * 60) * 100;
    veltrak->WriteClock();
    s.ClockDay = kNoDate;
    veltrak->ReadClock();
    EXPECT_EQ(s.ClockDay, DaysSince1880({2027, 5, 17}));
    EXPECT_GE(s.ClockTime, (8 * 3600 + 30 * 60) * 100);
    EXPECT_LT(s.ClockTime, (8 * 3600 + 35 * 60) * 100); // however slow the machine
}

TEST(UsbHeadUnitVI, NewRecordingAndTheRequestPortOfTheDownload) {
    TUsbRig rig(Unit(7, 0xE517));
    auto veltrak = rig.Protocol();
    ASSERT_TRUE(veltrak->ConnectV7());
    veltrak->Status().SetAbspeicherZeit(50);
    veltrak->StartRecording(true);
    EXPECT_EQ(rig.sim.State().recordingsStarted, 1);
    IRequestPort& port = *veltrak;
    ASSERT_TRUE(port.Request(29));
    EXPECT_EQ(port.Payload(), (std::vector<uint8_t>{0, 0})); // nothing recorded
}

} // namespace
} // namespace klt
