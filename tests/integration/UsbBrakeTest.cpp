// Brake values over USB: the program's generation 7 protocol against the simulated head unit, on
// a bicycle and on the ergometer.
#include <gtest/gtest.h>

#include <memory>

#include "device/transport/SimFtdiLink.h"
#include "device/transport/UsbLink.h"
#include "device/usb/VeltrakVI.h"
#include "tests/device/FakeLine.h"
#include "tests/integration/SimulatorRig.h"
#include "tests/support/ScriptedPrompt.h"
#include "tools/sim/LiveErgometer.h"

namespace klt {
namespace {

struct TBrakeRig {
    explicit TBrakeRig(bool ergometer) : sim(Options(ergometer)) {
        sim.Start();
        link = std::make_unique<TSimFtdiLink>(sim.SocketPath());
        usb = std::make_unique<TUsbLink>(*link);
        veltrak = std::make_unique<TVeltrak>(
            std::make_unique<test::TFakeLine>([](uint8_t, const TLineSettings&, std::deque<uint8_t>&) {}), &clock,
            usb.get());
        veltrak->SetPrompt(test::InstalledPrompt());
        if (!veltrak->ConnectV7()) {
            throw std::runtime_error("the simulated head unit did not answer");
        }
    }
    static sim::TSimOptions Options(bool ergometer) {
        sim::TSimOptions options = test::SimOptions(7);
        options.ergometer = ergometer;
        options.speedup = 40;
        return options;
    }
    void Send(int32_t offset, int32_t limit, int32_t slope) {
        TVeltrakStatus& s = veltrak->Status();
        s.BremseOffset = offset;
        s.BremseGrenze = limit;
        s.BremseSteigung = slope;
        s.BremseTeiler = 1;
        veltrak->WriteBrakeCalibration();
    }

    test::TFakeClock clock;
    sim::THeadUnitSimulator sim;
    std::unique_ptr<TSimFtdiLink> link;
    std::unique_ptr<TUsbLink> usb;
    std::unique_ptr<TVeltrak> veltrak;
};

TEST(UsbBrakeTest, ValuesWrittenAreReadBackWithTheBrakeType) {
    for (const bool ergometer : {false, true}) {
        TBrakeRig rig(ergometer);
        rig.Send(69632, 7828, 0xF00000); // above 16 bits: all of it arrives
        TVeltrakStatus& s = rig.veltrak->Status();
        s.BremseOffset = s.BremseGrenze = s.BremseSteigung = 0;
        s.BremseTeiler = 0;
        rig.veltrak->ReadBrakeCalibration();
        EXPECT_EQ(s.BremseOffset, 69632);
        EXPECT_EQ(s.BremseGrenze, 7828);
        EXPECT_EQ(s.BremseSteigung, 0xF00000);
        EXPECT_EQ(s.BremseTeiler, 1);
        EXPECT_EQ(s.BremseTyp, ergometer ? TVeltrakBremseTyp::BremseTypWirbelStrom : TVeltrakBremseTyp::BremseTypKeine);
    }
}

TEST(UsbBrakeTest, TheBrakeActsOnTheErgometerAndTheLiveValuesShowIt) {
    TBrakeRig rig(true);
    rig.Send(32768 + 1941, 0, 0xF00000);
    sim::TLiveErgometer& ergometer = *rig.sim.Ergometer();
    EXPECT_EQ(ergometer.Truth().brake.offset, 32768u + 1941);
    while (ergometer.Truth().seconds < 40) {
        rig.veltrak->ReadLiveValues();
    }
    const TVeltrakStatus& s = rig.veltrak->Status();
    EXPECT_NEAR(s.Tretfrequenz / 32.0, 90, 4);
    EXPECT_NEAR(s.Leistung / 8.0, 200, 60);
    EXPECT_NEAR(s.Geschwindigkeit, 9652, 500);
    EXPECT_GT(s.Herzfrequenz / 64.0, 70);

    rig.Send(69632, 0, 0); // the stop
    const double stopAt = ergometer.Truth().seconds;
    while (ergometer.Truth().seconds < stopAt + 5) {
        rig.veltrak->ReadLiveValues();
    }
    EXPECT_LT(rig.veltrak->Status().Geschwindigkeit, 50);
}

} // namespace
} // namespace klt
