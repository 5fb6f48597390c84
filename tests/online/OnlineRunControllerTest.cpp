// The live window's run: start detection and the run states, the program played step by step and
// its buttons, markers, the cadence abort, a lost link, calibration, the demo, the ride kept through
// a crash and saved at the end, and the brake released however the run ends.
#include <gtest/gtest.h>

#include <filesystem>

#include "online/DemoRun.h"
#include "online/LiveRecovery.h"
#include "tests/online/RunRig.h"

namespace klt {
namespace {

TEST(OnlineRunController, WaitsForTheRiderAndStartsOncePowerComes) {
    TRunRig rig;
    TOnlineRunController& run = rig.Create(emOpenEndTest);
    run.WaitForRider();
    EXPECT_EQ(run.State(), TRunState::Waiting);
    EXPECT_TRUE(rig.reader.reading);
    EXPECT_EQ(run.Display().chartNote, "Start pedaling");
    run.Handle(Values(0));
    run.DetectStart();
    EXPECT_EQ(run.State(), TRunState::Waiting);
    run.Handle(Values(80));
    run.DetectStart();
    EXPECT_EQ(run.State(), TRunState::Running);
    EXPECT_TRUE(rig.brake->Active());

    TRunRig byButton;
    byButton.options.OnlineCommonOptionSet.StartTestBy = 1;
    byButton.Create(emOpenEndTest).WaitForRider();
    EXPECT_EQ(byButton.run->State(), TRunState::Stopped);
    TRunRig calibration;
    calibration.Create(emCalibrationMode).WaitForRider();
    EXPECT_EQ(calibration.run->Display().chartNote, "Please select gear 6 and start pedaling");
}

TEST(OnlineRunController, PausedTimeDoesNotCount) {
    TRunRig rig;
    TOnlineRunController& run = rig.Create(emOpenEndTest);
    run.Start();
    rig.Ride(4);
    run.TogglePause();
    EXPECT_EQ(run.State(), TRunState::Paused);
    EXPECT_FALSE(rig.reader.reading);
    rig.clock.ms += 60'000;
    run.Tick();
    run.TogglePause();
    EXPECT_TRUE(rig.reader.reading);
    rig.Ride(2);
    EXPECT_EQ(run.ElapsedMs(), 3000);
    EXPECT_EQ(run.Display().time, "00:00:03");
}

TEST(OnlineRunController, TheProgramChangesStepsOnTimeAndEndsTheRun) {
    TRunRig rig;
    rig.Program({PowerSection(10, 100), PowerSection(10, 200)});
    TOnlineRunController& run = rig.Create(emPredefinedFile);
    run.Start();
    EXPECT_EQ(rig.brake->TargetPower(), 100);
    EXPECT_EQ(run.Display().secondValue, "00:00:10");
    rig.Ride(20);
    EXPECT_EQ(run.Step(), 1);
    EXPECT_EQ(rig.brake->TargetPower(), 200);
    rig.Ride(20);
    EXPECT_EQ(run.State(), TRunState::Stopped);
    EXPECT_EQ(run.MarkerTimes(), (std::vector<int64_t>{0, 10'000, 20'000}));
    EXPECT_TRUE(rig.BrakeReleased());
}

TEST(OnlineRunController, StepButtonsStopAtTheEndsOfTheProgram) {
    TRunRig rig;
    rig.Program({PowerSection(10, 100), PowerSection(10, 150), PowerSection(10, 200)});
    TOnlineRunController& run = rig.Create(emPredefinedFile);
    run.Start();
    run.NextStepButton();
    run.NextStepButton();
    rig.Ride(2);
    EXPECT_EQ(run.Step(), 2);
    EXPECT_EQ(rig.brake->TargetPower(), 200); // the count-down has run out
    const std::vector<int64_t> markers = run.MarkerTimes();
    // a program whose last step is running does not advance on "Next Step"
    run.NextStepButton();
    rig.Ride(2);
    EXPECT_EQ(run.Step(), 2);
    EXPECT_EQ(run.MarkerTimes(), markers);
    EXPECT_EQ(run.Display().secondValue, "00:00:08");

    run.PrevStepButton();
    run.PrevStepButton();
    rig.Ride(6);
    EXPECT_EQ(run.Step(), 0);
    // "Prev. Step" at step 0 restarts step 0's time
    run.PrevStepButton();
    EXPECT_EQ(run.Step(), 0);
    EXPECT_EQ(run.Display().secondValue, "00:00:10");
    rig.Ride(19);
    EXPECT_EQ(run.Step(), 0);
    rig.Ride(1);
    EXPECT_EQ(run.Step(), 1);
}

TEST(OnlineRunController, MarkedStepButtonsMoveToTheNextMarkedStepOnceTheCountDownEnds) {
    TRunRig rig;
    rig.options.OnlineCommonOptionSet.NextPrevButtonMode = 1;
    rig.Program({PowerSection(60, 100, true), PowerSection(60, 150), PowerSection(60, 200, true),
                 PowerSection(60, 250)});
    TOnlineRunController& run = rig.Create(emPredefinedFile);
    run.Start();
    rig.Ride(1);
    run.NextStepButton();
    EXPECT_EQ(run.Step(), 2);
    EXPECT_EQ(rig.brake->TargetPower(), 100); // not before the count-down runs out
    EXPECT_EQ(run.MarkerTimes(), std::vector<int64_t>{0});
    rig.clock.ms += 48;
    run.Tick();
    EXPECT_EQ(rig.brake->TargetPower(), 200);
    EXPECT_EQ(run.MarkerTimes(), (std::vector<int64_t>{0, 548}));

    run.NextStepButton(); // no marked step after: the last one
    run.Tick();
    EXPECT_EQ(run.Step(), 3);
    EXPECT_EQ(rig.brake->TargetPower(), 250);
    run.PrevStepButton();
    run.Tick();
    EXPECT_EQ(run.Step(), 2);
    run.PrevStepButton();
    run.Tick();
    EXPECT_EQ(run.Step(), 0);
    EXPECT_EQ(rig.brake->TargetPower(), 100);
}

TEST(OnlineRunController, PowerKeysChangeTheTargetAndTheProgramStep) {
    TRunRig rig;
    rig.Program({PowerSection(60, 100), PowerSection(60, 200)});
    TOnlineRunController& run = rig.Create(emPredefinedFile);
    run.Start();
    run.Key('a');
    EXPECT_EQ(rig.brake->TargetPower(), 105);
    run.Key('y');
    run.Key('y');
    EXPECT_EQ(rig.brake->TargetPower(), 95);
    EXPECT_EQ(rig.options.OnlineErgometerOptions.PredefinedFileOptionSet.Program().Section(0)->Power.Value, 95 * 8);
    EXPECT_EQ(rig.options.OnlineErgometerOptions.PredefinedFileOptionSet.Program().Section(1)->Power.Value, 200 * 8);
}

TEST(OnlineRunController, SetMarkerMarksTheSampleOfThatMoment) {
    TRunRig rig;
    TOnlineRunController& run = rig.Create(emOpenEndTest);
    run.Start();
    rig.Ride(5);
    run.SetMarker();
    rig.Ride(2);
    EXPECT_TRUE(run.Samples().Sample(5)->Marker);
    EXPECT_FALSE(run.Samples().Sample(4)->Marker);
    EXPECT_FALSE(run.Samples().Sample(6)->Marker);
}

TEST(OnlineRunController, TheRunEndsWhenTheCadenceStaysAtZeroAfterMoreThanTenSamples) {
    TRunRig rig;
    TOnlineRunController& run = rig.Create(emOpenEndTest);
    run.Start();
    rig.Ride(10, Values(0, 0));
    EXPECT_EQ(run.State(), TRunState::Running);
    rig.Ride(1, Values(0, 0));
    EXPECT_EQ(run.State(), TRunState::Stopped);
    EXPECT_TRUE(rig.BrakeReleased());

    TRunRig button;
    button.options.OnlineCommonOptionSet.AbortTestBy = 1;
    button.Create(emOpenEndTest).Start();
    button.Ride(20, Values(0, 0));
    EXPECT_EQ(button.run->State(), TRunState::Running);
}

TEST(OnlineRunController, ALostLinkPausesTheRunWhichGoesOnWhenTheHeadUnitAnswers) {
    TRunRig rig({TPromptAnswer::Cancel});
    TOnlineRunController& run = rig.Create(emOpenEndTest);
    run.Start();
    rig.Ride(4);
    run.Handle(TLiveConnectionLost{});
    EXPECT_EQ(run.State(), TRunState::Paused);
    EXPECT_TRUE(rig.Shown(TOnlineRunController::kLinkLost));
    EXPECT_EQ(run.Display().chartNote, TOnlineRunController::kLinkLost);
    EXPECT_TRUE(rig.reader.reading); // it goes on trying
    rig.clock.ms += 30'000;
    run.Tick();
    rig.Ride(2);
    EXPECT_EQ(run.State(), TRunState::Running);
    EXPECT_EQ(run.ElapsedMs(), 2500);
    EXPECT_EQ(run.Samples().Count(), 7);

    TRunRig ok({TPromptAnswer::Ok});
    ok.Create(emOpenEndTest).Start();
    ok.run->Handle(TLiveConnectionLost{});
    EXPECT_EQ(ok.run->State(), TRunState::Running);

    TRunRig waiting({TPromptAnswer::Cancel, TPromptAnswer::Ok});
    waiting.Create(emOpenEndTest).WaitForRider();
    waiting.run->Handle(TLiveConnectionLost{});
    EXPECT_EQ(waiting.run->State(), TRunState::Stopped);
    waiting.run->WaitForRider();
    waiting.run->Handle(TLiveConnectionLost{});
    EXPECT_EQ(waiting.run->State(), TRunState::Waiting);
}

TEST(OnlineRunController, CalibrationGoesThroughItsTargetsAndEnds) {
    TRunRig rig;
    TOnlineRunController& run = rig.Create(emCalibrationMode);
    run.WaitForRider();
    const TLiveValueSet values = Values(300, 90, 6000);
    run.Handle(values);
    run.DetectStart();
    ASSERT_EQ(run.State(), TRunState::Running);
    std::vector<int> targets{run.TargetPower()};
    for (int i = 0; i < 400 && run.State() == TRunState::Running; ++i) {
        rig.Ride(1, values);
        if (run.TargetPower() != targets.back()) {
            targets.push_back(run.TargetPower());
        }
    }
    EXPECT_EQ(targets, (std::vector<int>{0, 997, 998, 999}));
    EXPECT_EQ(run.State(), TRunState::Stopped);
    EXPECT_TRUE(rig.Shown("Calibration finished. Please switch back to testing mode"));
    EXPECT_TRUE(rig.BrakeReleased());
}

TEST(OnlineRunController, ADemoRidesAtItsCategorysPowerForItsProgramsTimeAndShowsItsResult) {
    TRunRig rig;
    TKLTDemoCategorie categorie;
    categorie.Watt = 120 * 8;
    rig.options.OnlineDemoModeOptionSet.Categories.PutItem(0, categorie);
    categorie.Watt = 160 * 8;
    rig.options.OnlineDemoModeOptionSet.Categories.PutItem(1, categorie);
    rig.options.OnlineDemoModeOptionSet.Time = 3000; // unused while a program is selected
    rig.Program({PowerSection(5, 100), PowerSection(5, 300)});
    TOnlineRunController& run = rig.Create(emDemoMode);
    run.SetDemoCategorie(1);
    run.WaitForRider(); // the window's showing: a demo waits for its visitor instead
    EXPECT_EQ(run.State(), TRunState::Stopped);
    run.WaitForDemoRider();
    run.Handle(Values(60));
    run.DetectStart();
    ASSERT_EQ(run.State(), TRunState::Running);
    EXPECT_EQ(rig.brake->TargetPower(), 160) << "the category's target, not the program's";
    rig.Ride(19);
    EXPECT_EQ(run.State(), TRunState::Running);
    rig.Ride(1);
    EXPECT_EQ(run.State(), TRunState::Stopped) << "ends after the program's 10 s";
    EXPECT_EQ(run.ElapsedMs(), 10'000);
    EXPECT_EQ(rig.owner.demoResults, 1);
    EXPECT_TRUE(rig.BrakeReleased());

    // without a program the demo options' time
    TRunRig unprogrammed;
    unprogrammed.options.OnlineDemoModeOptionSet.Time = 600;
    TOnlineRunController& shortDemo = unprogrammed.Create(emDemoMode);
    EXPECT_EQ(unprogrammed.brake->TargetPower(), 0) << "no category, no target";
    shortDemo.Start();
    unprogrammed.Ride(12);
    EXPECT_EQ(shortDemo.State(), TRunState::Stopped);
    EXPECT_EQ(shortDemo.ElapsedMs(), 6000);
    EXPECT_EQ(unprogrammed.owner.demoResults, 1);
}

TEST(OnlineRunController, ARaceTakesItsTargetsFromTheProgramAndShowsNoResult) {
    TRunRig rig;
    TKLTDemoCategorie categorie;
    categorie.Watt = 160 * 8;
    rig.options.OnlineDemoModeOptionSet.Categories.PutItem(0, categorie);
    rig.options.OnlineDemoModeOptionSet.DemoMode = kDemoModeRace;
    rig.Program({PowerSection(10, 220)});
    TOnlineRunController& run = rig.Create(emDemoMode);
    run.Start();
    EXPECT_EQ(rig.brake->TargetPower(), 220);
    EXPECT_EQ(run.Display().secondTitle, "Time difference");
    rig.Ride(20);
    EXPECT_EQ(run.State(), TRunState::Stopped);
    EXPECT_EQ(rig.owner.demoResults, 0);
}

TEST(OnlineRunController, ARideACrashLeftBehindIsOfferedAtTheNextStart) {
    TRunRig rig({TPromptAnswer::Yes});
    rig.Create(emOpenEndTest).Start();
    rig.Ride(30);
    const std::string kept = TLiveRecovery(rig.databaseDir).Path();
    TTrainingData ride;
    ride.ReadTraining(kept);
    EXPECT_EQ(ride.SampleCount(), 21); // kept after 10 s
    rig.Ride(3);
    rig.Destroy(); // never saved
    ride.ReadTraining(kept);
    EXPECT_EQ(ride.SampleCount(), 34);

    rig.Create(emOpenEndTest).Start();
    ASSERT_EQ(rig.owner.stored.size(), 1u);
    TTrainingData stored;
    stored.ReadTraining(rig.owner.stored[0]);
    EXPECT_EQ(stored.SampleCount(), 34);
    EXPECT_FALSE(std::filesystem::exists(kept));
}

TEST(OnlineRunController, TheBrakeIsReleasedHoweverTheRunEnds) {
    TRunRig stopped;
    stopped.Create(emOpenEndTest).Start();
    stopped.Ride(3);
    stopped.run->EndTest();
    EXPECT_TRUE(stopped.BrakeReleased());

    TRunRig failed;
    failed.Create(emOpenEndTest).Start();
    failed.Ride(3);
    failed.run->Handle(TLiveBrakeFailure{"The brake does not answer."});
    EXPECT_EQ(failed.run->State(), TRunState::Stopped);
    EXPECT_TRUE(failed.BrakeReleased());
    EXPECT_TRUE(failed.Shown("The brake does not answer."));

    TRunRig closed;
    closed.Create(emOpenEndTest).Start();
    closed.Ride(3);
    closed.device.sent.clear();
    closed.run.reset();
    ASSERT_FALSE(closed.device.sent.empty());
    EXPECT_EQ(closed.device.sent.back().Offset, TBreakControl::kReleasedOffset);
    EXPECT_FALSE(closed.brake->Active());
}

TEST(OnlineRunController, TheEndStoresTheRideWhenSavingIsOnAndKeepsItWhenThatFails) {
    TRunRig rig({TPromptAnswer::No}); // the short ride, left unstored, is offered at the next start
    rig.options.OnlineCommonOptionSet.SaveData = true;
    rig.owner.details = TSaveDetails{"JD", 53000, 3'600'000, "ramp"};
    TOnlineRunController& run = rig.Create(emOpenEndTest);
    run.Start();
    rig.Ride(5);
    run.EndTest();
    EXPECT_EQ(rig.owner.saveDialogs, 0); // too short to be offered

    run.Start();
    rig.Ride(25);
    run.EndTest();
    ASSERT_EQ(rig.owner.stored.size(), 1u);
    TTrainingData stored;
    stored.ReadTraining(rig.owner.stored[0]);
    EXPECT_EQ(stored.SampleCount(), 27); // with the final sample
    EXPECT_TRUE(rig.Shown("File saved"));
    EXPECT_EQ(rig.prompt.AnswersLeft(), 0u); // the short ride was offered, not overwritten
    EXPECT_FALSE(std::filesystem::exists(TLiveRecovery(rig.databaseDir).Path()));

    TRunRig failing;
    failing.databaseDir = failing.dir.File("not-a-directory");
    test::WriteFileBytes(failing.databaseDir, "x");
    TOnlineRunController& kept = failing.Create(emOpenEndTest);
    kept.Start();
    failing.Ride(25);
    kept.EndTest();
    EXPECT_FALSE(kept.Save(TSaveDetails{"JD", 53000, 0, ""}));
    EXPECT_TRUE(failing.Shown("File could not be saved\r\nIf the problem persist please download the data from Veltrak"));
    EXPECT_EQ(kept.Samples().Count(), 27);
}

TEST(OnlineRunController, ThePanelsShowTheLiveValues) {
    TRunRig rig;
    TOnlineRunController& run = rig.Create(emOpenEndTest);
    run.Start();
    rig.Ride(20, Values(200, 90, 10'000, 130));
    const TRunDisplay display = run.Display();
    EXPECT_EQ(display.power, "5"); // a resistance level
    EXPECT_EQ(display.heartRate, "130 Heartrate [1/min]");
    EXPECT_EQ(display.cadence, "90 Cad. [1/min]");
    EXPECT_EQ(display.speed, "36.0 Speed [km/h]");
    EXPECT_EQ(display.secondTitle, "Total Distance in Meters:");
    EXPECT_EQ(display.secondValue, "0,095"); // the first half second had no speed yet
    EXPECT_EQ(display.brake, "Brake is on");
    EXPECT_EQ(display.controlBy, "Control by Power");

    TRunRig manual;
    EXPECT_EQ(manual.Create(emManual).Display().mode, "manuell");
    TRunRig noProgram;
    noProgram.options.OnlineErgometerOptions.PredefinedFileOptionSet.EditProgram().DeleteSection(0);
    TOnlineRunController& failed = noProgram.Create(emPredefinedFile);
    EXPECT_EQ(failed.Mode(), emError);
    EXPECT_FALSE(failed.Display().mode.empty());
    failed.Start();
    EXPECT_EQ(failed.State(), TRunState::Stopped);
}

// Two categories, the second at 250 W, and a program of 10 s at 100 W and 10 s at 300 W.
void DemoSetup(TRunRig& rig, int demoMode) {
    rig.Program({PowerSection(10, 100), PowerSection(10, 300)});
    rig.options.OnlineErgometerOptions.PredefinedFileOptionSet.EditProgram().SetName("Sprint");
    TKLTDemoCategorie juniors, masters;
    juniors.Watt = 8 * 180;
    masters.Watt = 8 * 250;
    rig.options.OnlineDemoModeOptionSet.Categories.PutItem(0, juniors);
    rig.options.OnlineDemoModeOptionSet.Categories.PutItem(1, masters);
    rig.options.OnlineDemoModeOptionSet.DemoMode = demoMode;
}

TEST(OnlineRunController, ADemoRideHoldsTheCategoryPowerForTheProgramTimeAndThenShowsTheResult) {
    TRunRig rig;
    DemoSetup(rig, 0);
    TOnlineRunController& run = rig.Create(emDemoMode);
    EXPECT_EQ(run.Display().program, "Sprint");
    EXPECT_EQ(run.TargetPower(), 180);
    run.SetDemoCategorie(1);
    EXPECT_EQ(run.TargetPower(), 250);
    run.Start();
    EXPECT_EQ(rig.brake->TargetPower(), 250);
    rig.Ride(30);
    EXPECT_EQ(rig.brake->TargetPower(), 250) << "the program's steps set nothing outside a race";
    EXPECT_EQ(run.State(), TRunState::Running);
    rig.Ride(12);
    EXPECT_EQ(run.State(), TRunState::Stopped);
    EXPECT_EQ(run.ElapsedMs(), 20'000);
    EXPECT_EQ(rig.owner.demoResults, 1);
    run.SetDemoCategorie(7);
    EXPECT_EQ(run.TargetPower(), 0) << "no such category";

    TRunRig noProgram;
    noProgram.options.OnlineErgometerOptions.PredefinedFileOptionSet.EditProgram().DeleteSection(0);
    noProgram.options.OnlineDemoModeOptionSet.Time = 500; // 1/100 s
    TOnlineRunController& timed = noProgram.Create(emDemoMode);
    ASSERT_EQ(timed.Mode(), emDemoMode);
    timed.Start();
    noProgram.Ride(9);
    EXPECT_EQ(timed.State(), TRunState::Running) << "without a program the demo lasts the demo options' time";
    noProgram.Ride(2);
    EXPECT_EQ(timed.State(), TRunState::Stopped);
    EXPECT_EQ(timed.ElapsedMs(), 5'000);
}

TEST(OnlineRunController, ADemoRaceRidesTheProgramsStepsAndGivesNoResult) {
    TRunRig rig;
    DemoSetup(rig, kDemoModeRace);
    TOnlineRunController& run = rig.Create(emDemoMode);
    run.SetDemoCategorie(1);
    run.Start();
    EXPECT_EQ(rig.brake->TargetPower(), 100);
    EXPECT_EQ(run.Display().secondTitle, "Time difference");
    rig.Ride(22);
    EXPECT_EQ(rig.brake->TargetPower(), 300);
    rig.Ride(20);
    EXPECT_EQ(run.State(), TRunState::Stopped);
    EXPECT_EQ(rig.owner.demoResults, 0);
}

TEST(OnlineRunController, SaveDataOffersTheEndedRideOnlyOnce) {
    TRunRig rig;
    rig.owner.details = TSaveDetails{"JD", 53000, 3'600'000, ""};
    TOnlineRunController& run = rig.Create(emOpenEndTest);
    run.Start();
    rig.Ride(25);
    EXPECT_FALSE(run.CanSave()) << "still recording";
    run.EndTest();
    EXPECT_EQ(rig.owner.saveDialogs, 0) << "saving at the end is off";
    ASSERT_TRUE(run.CanSave());
    run.OfferSave();
    EXPECT_EQ(rig.owner.stored.size(), 1u);
    run.Start();
    rig.Ride(3);
    run.EndTest();
    EXPECT_FALSE(run.CanSave()) << "too short";
    run.OfferSave();
    EXPECT_EQ(rig.owner.saveDialogs, 1);
}

TEST(OnlineRunController, TelemetryChartsFollowTheRiderFurtherOn) {
    TRunRig rig;
    TOnlineRunController& run = rig.Create(emTelemetrie);
    run.WaitForRider();
    TLiveValueSet second = Values(230);
    second.rider = 2;
    run.Handle(second);
    run.DetectStart();
    ASSERT_EQ(run.State(), TRunState::Running) << "rider 2 pedals";
    for (int i = 0; i < 600; ++i) {
        run.Handle(second);
    }
    EXPECT_EQ(run.Samples(2).Count(), 601);
    EXPECT_EQ(run.Samples(1).Count(), 1);
    EXPECT_GE(run.ChartRange().last, 600);
    EXPECT_EQ(run.Display(2).power, "230");
    EXPECT_EQ(run.Display(1).power, "0");
}

TEST(LiveChartWindow, TheLastMinutesMoveOnInJumps) {
    TLiveChartWindow wide(1, 3000); // 60 samples
    EXPECT_EQ(wide.Follow(10), (TSampleRange{0, 60}));
    EXPECT_EQ(wide.Follow(61), (TSampleRange{31, 91}));
    EXPECT_EQ(wide.Follow(80), (TSampleRange{31, 91}));
    TLiveChartWindow narrow(1, 1000); // 20 samples
    EXPECT_EQ(narrow.Follow(21), (TSampleRange{21, 41}));
    TLiveChartWindow whole(0, 3000);
    EXPECT_EQ(whole.Follow(500), (TSampleRange{0, 500}));
}

} // namespace
} // namespace klt
