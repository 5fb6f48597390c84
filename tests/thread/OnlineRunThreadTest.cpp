// The live window's run against the simulated ergometer: the read thread's value sets start the
// run, the program is played on the regulator to its end, and the brake is released.
#include <gtest/gtest.h>

#include "device/live/VeltrakReadThread.h"
#include "online/ErgoRun.h"
#include "online/OnlineRunController.h"
#include "online/ReadThreadSwitch.h"
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
    TLiveEventQueue queue;
    TDeviceAccess access;
    TCollectedWarnings warnings;
    TReadThreadSettings reading;
    reading.cycle = kSimulatedCycle;

    TRiderSamples samples;
    TBreakControl brake(rig.veltrak, rig.veltrak.Status(), samples[0], options.OnlineCommonOptionSet, "", access,
                        warnings);
    TVeltrakReadThread reader(rig.veltrak, reading, access, &brake, queue);
    TReadThreadSwitch readerSwitch(reader);
    reader.Start();
    TOnlineRunController run(
        TRunParts{options, samples, &brake, readerSwitch, owner, prompt, clock, dir.File("db")}, emPredefinedFile);
    run.WaitForRider();

    // as the window's timers would run, half a second of the ride per value set
    for (int cycles = 0; cycles < 400 && run.State() != TRunState::Stopped; ++cycles) {
        for (const TLiveEvent& event : queue.WaitAndDrain(kSimulatedCycle * 4)) {
            for (int tick = 0; tick < 10; ++tick) {
                clock.ms += TOnlineRunController::kSampleMs / 10;
                run.Tick();
            }
            run.Handle(event);
            run.DetectStart();
        }
    }
    reader.Stop();
    EXPECT_EQ(run.State(), TRunState::Stopped);
    EXPECT_EQ(run.ElapsedMs(), 20'000);
    EXPECT_GE(run.Samples().Count(), 40);
    EXPECT_EQ(run.Samples().Sample(run.Samples().LastIndex())->SetPower, 180);
    // released: the brake values the head unit holds now brake nothing
    EXPECT_LE(rig.sim.Ergometer()->Truth().brake.offset, 33280);
    EXPECT_FALSE(brake.Active());
}

} // namespace
} // namespace klt
