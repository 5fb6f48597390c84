// A whole ergo program ridden headless against the simulated ergometer running faster than real
// time: every step is played, the ride is recorded two samples a second, the brake is released at
// the end, and the regulator brings the power near its targets.
#include <gtest/gtest.h>

#include <filesystem>

#include "device/transport/SimFtdiLink.h"
#include "device/transport/UsbLink.h"
#include "device/usb/VeltrakVI.h"
#include "online/ErgoRun.h"
#include "online/LiveRecovery.h"
#include "tests/device/FakeLine.h"
#include "tests/integration/SimulatorRig.h"
#include "tests/support/RawTraining.h"
#include "tools/sim/LiveErgometer.h"

namespace klt {
namespace {

using namespace std::chrono_literals;

constexpr int kSpeedup = 20;

TKLTErgoSection PowerStep(int seconds, int watts) {
    TKLTErgoSection step;
    step.Time.Value = seconds * 100;
    step.Power = {watts * 8, true};
    return step;
}

// The simulator starts before the link to it is made.
struct TStartedErgometer {
    TStartedErgometer() : sim(Options()) { sim.Start(); }
    static sim::TSimOptions Options() {
        sim::TSimOptions options = test::SimOptions(7);
        options.ergometer = true;
        options.speedup = kSpeedup;
        options.seed = 7;
        return options;
    }
    sim::THeadUnitSimulator sim;
};

// The ergometer's head unit, connected.
struct TErgometerRig : TStartedErgometer {
    TErgometerRig() {
        usb.SetErrorDisplay(false);
        veltrak.SetPrompt(test::InstalledPrompt());
        EXPECT_TRUE(veltrak.ConnectV7());
    }
    static TErgoRunSettings Settings() {
        TErgoRunSettings settings;
        settings.cycle = std::chrono::milliseconds(500 / kSpeedup);
        return settings;
    }
    TSimFtdiLink link{sim.SocketPath()};
    TUsbLink usb{link};
    TVeltrak veltrak{std::make_unique<test::TFakeLine>([](uint8_t, const TLineSettings&, std::deque<uint8_t>&) {}),
                     nullptr, &usb};
};

TEST(ErgoRunTest, AProgramIsPlayedToItsEndRecordedAndTheBrakeReleased) {
    TErgometerRig rig;
    TKLTErgoFile program;
    program.PutSection(0, PowerStep(30, 120));
    program.PutSection(1, PowerStep(30, 180));
    test::TTempDir logs;
    TErgoRunSettings settings = TErgometerRig::Settings();
    settings.logDirectory = logs.Path();
    TErgoRun run(rig.veltrak, program, settings);
    std::vector<TErgoRunProgress> progress;
    run.Run([&](const TErgoRunProgress& p) { progress.push_back(p); }, [] { return false; });

    ASSERT_EQ(run.Samples().Count(), 120); // 60 s at two samples a second
    EXPECT_EQ(progress.back().step, 1);
    EXPECT_EQ(run.Samples().Sample(0)->SetPower, 120);
    EXPECT_EQ(run.Samples().Sample(119)->SetPower, 180);
    // released: the brake values the head unit holds now brake nothing
    EXPECT_LE(rig.sim.Ergometer()->Truth().brake.offset, 33280);
    EXPECT_EQ(rig.sim.Ergometer()->Truth().brake.slope, 0);
    // the regulator brought the power near each target by the end of its step
    const std::vector<TRegulationSample> ride = run.RegulationSamples();
    ASSERT_EQ(MeasureRegulation(ride).steps.size(), 2u);
    for (const int end : {60, 120}) {
        double mean = 0;
        for (int i = end - 10; i < end; ++i) {
            mean += ride[static_cast<size_t>(i)].watts / 10.0;
        }
        const int target = ride[static_cast<size_t>(end - 1)].targetWatts;
        EXPECT_NEAR(mean, target, 0.25 * target) << "the step ending at sample " << end;
    }

    const TTrainingData training = run.Training();
    EXPECT_EQ(training.SampleCount(), 120);
    EXPECT_DOUBLE_EQ(training.IntervalSeconds(), 0.5);
}

TEST(ErgoRunTest, ARideThatEndsEarlyIsKeptUntilItIsStoredAndTheBrakeReleased) {
    TErgometerRig rig;
    TKLTErgoFile program;
    program.PutSection(0, PowerStep(600, 200));
    test::TTempDir db;
    TErgoRunSettings settings = TErgometerRig::Settings();
    settings.recoveryDirectory = db.Path();
    settings.ride.initials = "JD";
    TErgoRun run(rig.veltrak, program, settings);
    bool cancel = false;
    run.Run([&](const TErgoRunProgress& p) { cancel = p.sample >= 30; }, [&] { return cancel; });
    EXPECT_LT(run.Samples().Count(), 40);
    EXPECT_LE(rig.sim.Ergometer()->Truth().brake.offset, 33280);
    // as a crash would leave it: the whole ride so far, for the next run to store
    const std::string kept = TLiveRecovery(db.Path()).Path();
    TTrainingData ride;
    ride.ReadTraining(kept);
    EXPECT_EQ(ride.SampleCount(), run.Samples().Count());
    EXPECT_EQ(ride.Markers().front().name, "JD");
    run.RideStored();
    EXPECT_FALSE(std::filesystem::exists(kept));
}

} // namespace
} // namespace klt
