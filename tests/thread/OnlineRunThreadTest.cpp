// The live window's run against the simulated ergometer: the read thread's value sets start the
// run, the program is played on the regulator to its end, and the brake is released.
#include <gtest/gtest.h>

#include "online/LiveRecovery.h"
#include "online/OnlineSession.h"
#include "tests/online/RunRig.h"
#include "tests/thread/ErgometerRig.h"

namespace klt {
namespace {

TEST(OnlineRunThreadTest, TheSimulatedRiderStartsTheProgramWhichIsPlayedToItsEndWithTheBrakeReleased) {
    TErgometerRig rig;
    test::TTempDir dir;
    TOnlineOptions options(dir.Path());
    TKLTErgoFile& program = options.OnlineErgometerOptions.PredefinedFileOptionSet.EditProgram();
    program.PutSection(0, PowerStep(10, 120));
    program.PutSection(1, PowerStep(10, 180));
    TFakeRunClock clock; // half a second of the ride for every value set, whatever the real time
    TFakeRunOwner owner;
    test::TScriptedPrompt prompt;
    TOnlineSessionSetup setup;
    setup.cycle = kSimulatedCycle;
    setup.databaseDir = dir.File("db");
    TOnlineSession session(rig.veltrak, options, owner, prompt, clock, setup);
    ASSERT_TRUE(session.HasBrake());
    TOnlineRunController& run = session.Run();
    run.WaitForRider();

    // as the window's timers would run, half a second of the ride per value set
    for (int cycles = 0; cycles < 400 && run.State() != TRunState::Stopped; ++cycles) {
        const int values = session.WaitAndPump(kSimulatedCycle * 4);
        for (int tick = 0; tick < 10 * values; ++tick) {
            clock.ms += TOnlineRunController::kSampleMs / 10;
            run.Tick();
        }
        run.DetectStart();
    }
    EXPECT_EQ(run.State(), TRunState::Stopped);
    EXPECT_EQ(run.ElapsedMs(), 20'000);
    EXPECT_GE(run.Samples().Count(), 40);
    EXPECT_EQ(run.Samples().Sample(run.Samples().LastIndex())->SetPower, 180);
    // released: the brake values the head unit holds now brake nothing
    EXPECT_LE(rig.sim.Ergometer()->Truth().brake.offset, 33280);
}

TEST(OnlineRunThreadTest, EndingTheSessionMidRideReleasesTheBrakeAndKeepsTheRideForTheNextStart) {
    TErgometerRig rig;
    test::TTempDir dir;
    TOnlineOptions options(dir.Path());
    options.OnlineErgometerOptions.PredefinedFileOptionSet.EditProgram().PutSection(0, PowerStep(600, 200));
    TFakeRunClock clock;
    TFakeRunOwner owner;
    test::TScriptedPrompt prompt;
    TOnlineSessionSetup setup;
    setup.cycle = kSimulatedCycle;
    setup.databaseDir = dir.File("db");
    {
        TOnlineSession session(rig.veltrak, options, owner, prompt, clock, setup);
        session.Run().Start();
        int values = 0;
        for (int cycles = 0; cycles < 200 && values < 30; ++cycles) {
            values += session.WaitAndPump(kSimulatedCycle * 4);
            clock.ms += TOnlineRunController::kSampleMs;
            session.Run().Tick();
        }
        ASSERT_GE(values, 30);
    }
    EXPECT_LE(rig.sim.Ergometer()->Truth().brake.offset, 33280);
    const std::optional<std::string> kept = StoreLeftBehindRide(setup.databaseDir);
    ASSERT_TRUE(kept.has_value());
    TTrainingData ride;
    ride.ReadTraining(*kept);
    EXPECT_GE(ride.SampleCount(), 20);
}

} // namespace
} // namespace klt
