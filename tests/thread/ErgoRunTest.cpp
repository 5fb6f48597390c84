// A whole ergo program ridden headless against the simulated ergometer running faster than real
// time: every step is played, the ride is recorded two samples a second, the brake is released at
// the end, and the regulator brings the power near its targets.
#include <gtest/gtest.h>

#include <filesystem>

#include "online/ErgoRun.h"
#include "online/LiveRecovery.h"
#include "tests/thread/ErgometerRig.h"
#include "tests/support/RawTraining.h"

namespace klt {
namespace {

using namespace std::chrono_literals;

TErgoRunSettings Settings() {
    TErgoRunSettings settings;
    settings.cycle = kSimulatedCycle;
    return settings;
}

TEST(ErgoRunTest, AProgramIsPlayedToItsEndRecordedAndTheBrakeReleased) {
    TErgometerRig rig;
    TKLTErgoFile program;
    program.PutSection(0, PowerStep(30, 120));
    program.PutSection(1, PowerStep(30, 180));
    test::TTempDir logs;
    TErgoRunSettings settings = Settings();
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
    // The regulator follows the step up: how closely is the benchmark's to tell, since under a
    // loaded machine (or ThreadSanitizer) the faster-than-real simulator is read late at times.
    const std::vector<TRegulationSample> ride = run.RegulationSamples();
    ASSERT_EQ(MeasureRegulation(ride).steps.size(), 2u);
    const auto meanBefore = [&](int end) {
        double mean = 0;
        for (int i = end - 10; i < end; ++i) {
            mean += ride[static_cast<size_t>(i)].watts / 10.0;
        }
        return mean;
    };
    EXPECT_GT(meanBefore(60), 60);
    EXPECT_GT(meanBefore(120), meanBefore(60) + 25);

    const TTrainingData training = run.Training();
    EXPECT_EQ(training.SampleCount(), 120);
    EXPECT_DOUBLE_EQ(training.IntervalSeconds(), 0.5);
}

TEST(ErgoRunTest, ARideThatEndsEarlyIsKeptUntilItIsStoredAndTheBrakeReleased) {
    TErgometerRig rig;
    TKLTErgoFile program;
    program.PutSection(0, PowerStep(600, 200));
    test::TTempDir db;
    TErgoRunSettings settings = Settings();
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
