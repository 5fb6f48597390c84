// The live window's run against the simulated ergometer: the read thread's value sets start the
// run, the program is played on the regulator to its end, and the brake is released.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "online/LiveRecovery.h"
#include "online/OnlineSession.h"
#include "tests/online/RunRig.h"
#include "tests/thread/ErgometerRig.h"

namespace klt {
namespace {

// The simulated ergometer's head unit and a program, for a session on a fake clock: half a second
// of the ride for every value set, whatever the real time.
class OnlineRunThreadTest : public ::testing::Test {
protected:
    OnlineRunThreadTest() {
        setup_.cycle = kSimulatedCycle;
        setup_.databaseDir = dir_.File("db");
    }

    void Program(const std::vector<TKLTErgoSection>& steps) {
        TKLTErgoFile& program = options_.OnlineErgometerOptions.PredefinedFileOptionSet.EditProgram();
        for (size_t i = 0; i < steps.size(); ++i) {
            program.PutSection(static_cast<int>(i), steps[i]);
        }
    }

    std::unique_ptr<TOnlineSession> Open() {
        return std::make_unique<TOnlineSession>(rig_.veltrak, options_, owner_, prompt_, clock_, setup_);
    }

    TErgometerRig rig_;
    test::TTempDir dir_;
    TOnlineOptions options_{dir_.Path()};
    TFakeRunClock clock_;
    TFakeRunOwner owner_;
    test::TScriptedPrompt prompt_;
    TOnlineSessionSetup setup_;
};

TEST_F(OnlineRunThreadTest, TheSimulatedRiderStartsTheProgramWhichIsPlayedToItsEndWithTheBrakeReleased) {
    Program({PowerStep(10, 120), PowerStep(10, 180)});
    const std::unique_ptr<TOnlineSession> session = Open();
    ASSERT_TRUE(session->HasBrake());
    TOnlineRunController& run = session->Run();
    run.WaitForRider();

    // as the window's timers would run, half a second of the ride per value set
    for (int cycles = 0; cycles < 400 && run.State() != TRunState::Stopped; ++cycles) {
        const int values = session->WaitAndPump(kSimulatedCycle * 4);
        for (int tick = 0; tick < 10 * values; ++tick) {
            clock_.ms += TOnlineRunController::kSampleMs / 10;
            run.Tick();
        }
        run.DetectStart();
    }
    EXPECT_EQ(run.State(), TRunState::Stopped);
    EXPECT_EQ(run.ElapsedMs(), 20'000);
    EXPECT_GE(run.Samples().Count(), 40);
    EXPECT_EQ(run.Samples().Sample(run.Samples().LastIndex())->SetPower, 180);
    // released: the brake values the head unit holds now brake nothing
    EXPECT_LE(rig_.sim.Ergometer()->Truth().brake.offset, 33280);
}

TEST_F(OnlineRunThreadTest, EndingTheSessionMidRideReleasesTheBrakeAndKeepsTheRideForTheNextStart) {
    Program({PowerStep(600, 200)});
    {
        const std::unique_ptr<TOnlineSession> session = Open();
        session->Run().Start();
        int values = 0;
        for (int cycles = 0; cycles < 200 && values < 30; ++cycles) {
            values += session->WaitAndPump(kSimulatedCycle * 4);
            clock_.ms += TOnlineRunController::kSampleMs;
            session->Run().Tick();
        }
        ASSERT_GE(values, 30);
    }
    EXPECT_LE(rig_.sim.Ergometer()->Truth().brake.offset, 33280);
    const std::optional<std::string> kept = StoreLeftBehindRide(setup_.databaseDir);
    ASSERT_TRUE(kept.has_value());
    TTrainingData ride;
    ride.ReadTraining(*kept);
    EXPECT_GE(ride.SampleCount(), 20);
}

} // namespace
} // namespace klt
