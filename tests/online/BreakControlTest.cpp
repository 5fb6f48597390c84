#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <filesystem>
#include <future>
#include <thread>
#include <vector>

#include "BrakeRig.h"
#include "tests/support/RawTraining.h"

namespace klt {
namespace {

constexpr int32_t kSlope = TBreakControl::kRegulatingSlope;

struct TExpectedStep {
    int watts;
    int speed;
    int32_t offset;
    int reg; // 0: held, nothing changed
};

// Rides the steps and checks each offset sent and the rule that set it. The expectations follow
// the regulator's formulas by hand: m the mean offset over the averaging depth + 1 samples, G the
// regulation gain (5 at 9652 and 200 W, doubled while the offset lies below 800), d the power
// difference, rate 6 so the divisors are (6, 4, 3, 3) for d >= 0.
void ExpectSteps(TBrakeRig& rig, const std::vector<TExpectedStep>& steps) {
    int n = 0;
    for (const TExpectedStep& step : steps) {
        ++n;
        const TBrakeValues sent = rig.Ride(step.watts, step.speed);
        EXPECT_EQ(sent.Offset, step.offset) << "step " << n;
        EXPECT_EQ(sent.Steigung, kSlope) << "step " << n;
        EXPECT_EQ(rig.control->LastRegulationCase(), step.reg) << "step " << n;
    }
}

TEST(BreakControl, SmallDifferencesSettleFromTheReleasedBrake) {
    TBrakeRig rig;
    rig.Start(200);
    const std::vector<TExpectedStep> steps = {
        // A new set point, |d| 2 < 6: unchanged; not moving with d ends the set-point phase.
        {198, 9652, 33280, 11},
        {198, 9652, 33285, 1}, // round(33280 + 2 * 10 / 4)
        // d 200 - (198 + 190) / 2 = 6; m (33280 + 33285 + 33285) / 3 = 33283; + 6 * 10 / 4
        {190, 9652, 33298, 2},
        {190, 9652, 33298, 0}, // held one step
    };
    ExpectSteps(rig, steps);
}

TEST(BreakControl, ANewSetPointThenTheFlywheelDecidesTheRule) {
    TBrakeRig rig;
    rig.Start(200);
    const std::vector<TExpectedStep> steps = {
        // d 10: round(33280 + 10 * 10 * 9 * 0.6 / 10), held 4
        {190, 9652, 33334, 12},
        {190, 9652, 33334, 0},
        {150, 9652, 33334, 0},
        {150, 9700, 33334, 0},
        {150, 9700, 33334, 0},
        // the set-point phase's last step: held 2 at rate 6
        {150, 9700, 33334, 0},
        {150, 9700, 33334, 0},
        // d 50, m 33334: round(33334 + 50 * 10 / 3)
        {150, 9700, 33501, 3},
        {150, 9700, 33501, 0},
        // speed -60 against d 50: round(33459 + 50 * 10 / 6 - 1)
        {150, 9640, 33541, 7},
        {150, 9640, 33541, 0},
        {150, 9640, 33541, 0},
        {150, 9640, 33541, 0},
        {150, 9640, 33541, 0},
        // speed +60 with d 50: round(33541 + 50 * 10 * 0.7)
        {150, 9700, 33891, 6},
    };
    ExpectSteps(rig, steps);
}

TEST(BreakControl, LargeDifferencesGoHalfWayToTheModel) {
    TBrakeRig rig;
    rig.Start(700); // a big step up from nothing: the model asks 15 % less from here on
    // Model at 9652 and 700 W: round(4502 * 0.85) = 3827. Reg 15: m + (3827 - m + 32768) * 0.54.
    const std::vector<TExpectedStep> steps = {
        {100, 9652, 35070, 15},
        {100, 9652, 35894, 15},
        {100, 9652, 36273, 15},
        {100, 9652, 36447, 15},
        {100, 9652, 36527, 15},
        {100, 9652, 36527, 0},
        {100, 9652, 36527, 0},
        // d 600: round(36527 + (3827 - 36527 + 32768) / 3)
        {100, 9652, 36550, 4},
    };
    ExpectSteps(rig, steps);
}

TEST(BreakControl, AStepDownFrom400To300EasesTheModelBy3Percent) {
    TBrakeRig rig;
    rig.Start(200);
    for (int i = 0; i < 3; ++i) {
        rig.Ride(200);
    }
    rig.control->SetTargetPower(400);
    rig.Ride(400);
    rig.Ride(400);
    rig.control->SetTargetPower(300); // StepDown 100; net power 251: model 2452 less 3 % = 2378
    const TBrakeValues sent = rig.Ride(250);
    EXPECT_EQ(rig.control->LastRegulationCase(), 15);
    EXPECT_EQ(sent.Offset, 34288); // round(33280 + (2378 - 33280 + 32768) * 0.54); 34328 without the easing
}

TEST(BreakControl, TwentySteadyStepsCorrectTheModelWithinItsLimit) {
    TBrakeRig rig;
    rig.Start(200);
    for (int i = 0; i < 20; ++i) {
        rig.Ride(i % 2 == 0 ? 199 : 200);
    }
    EXPECT_EQ(rig.control->BrakeOptions().OffsetCorrection, 0);
    // The brake held 200 W at about 535 over the lowest point where the model says 1941:
    // (535 - 1941) * 0.95 is beyond the limit.
    rig.Ride(199);
    EXPECT_EQ(rig.control->BrakeOptions().OffsetCorrection, -1000);
    EXPECT_EQ(rig.options.BrakeOptionSet.OffsetCorrection, 0); // the owner's options stay its own
}

TEST(BreakControl, AStandingFlywheelOrCrankReleasesTheBrakeForTheStep) {
    TBrakeRig rig;
    rig.Start(200);
    const TBrakeValues released{TBreakControl::kReleasedOffset, 0, 0, 1};
    EXPECT_EQ(rig.Ride(200, 0), released);
    // a rider setting off: the model's gain at 1 000 mm/s would send the brake far beyond its range
    EXPECT_EQ(rig.Ride(60, 1000, 10), released);
    EXPECT_EQ(rig.Ride(200, 9652, 0), released);
    EXPECT_EQ(rig.Ride(0).Steigung, kSlope); // no power still regulates
}

TEST(BreakControl, TheStopButtonBrakesTheFlywheelUntilTheRiderPedalsAgain) {
    TBrakeRig rig;
    rig.Start(200);
    rig.control->RequestStop();
    EXPECT_EQ(rig.Ride(0, 3000, 0), (TBrakeValues{TBreakControl::kStopOffset, 0, 0, 1}));
    EXPECT_EQ(rig.Ride(0, 40, 0), (TBrakeValues{0, 0, 0, 1})); // nearly stopped: free, request done
    EXPECT_EQ(rig.Ride(0, 3000, 0).Offset, TBreakControl::kReleasedOffset);

    rig.control->RequestStop();
    EXPECT_EQ(rig.Ride(200, 9652, 90).Steigung, kSlope); // pedalling clears the request
}

TEST(BreakControl, ElevenStepsBeyondThePowerSupplyReleaseTheBrakeAndWarnOnce) {
    TBrakeRig rig;
    rig.control->SetErgometerMode(emOpenEndTest);
    rig.Start(30); // open end: round(9652 * 0.036 * 30) + 32768 = 43192
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(rig.Ride(100).Offset, 43192);
    }
    EXPECT_TRUE(rig.events.warnings.empty());
    const size_t before = rig.device.sent.size();
    EXPECT_EQ(rig.Ride(100), (TBrakeValues{TBreakControl::kLowestOffset, kSlope, 0, 1}));
    ASSERT_EQ(rig.device.sent.size(), before + 2);
    EXPECT_EQ(rig.device.sent[before], (TBrakeValues{TBreakControl::kLowestOffset, 0, 0, 1}));
    ASSERT_EQ(rig.events.warnings.size(), 1u);
    EXPECT_EQ(rig.events.warnings[0].first, "Warning");
    EXPECT_EQ(rig.events.warnings[0].second, "Power Supply protection. Please select a higher Gear");
    // The count starts afresh: no message box at every following step.
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(rig.Ride(100).Offset, 43192);
    }
    EXPECT_EQ(rig.events.warnings.size(), 1u);
}

TEST(BreakControl, AbsurdTargetsAndHeadUnitValuesNeverOverflow) {
    TBrakeRig rig;
    rig.control->SetErgometerMode(emOpenEndTest);
    rig.Start(INT_MAX); // held at what a sample records, 32767 W
    EXPECT_EQ(rig.control->TargetPower(), 32767);
    EXPECT_EQ(rig.Ride(100).Offset, 11418383); // round(9652 * 0.036 * 32767) + 32768
    rig.control->SetTargetPower(INT_MIN);
    EXPECT_EQ(rig.control->TargetPower(), 0);

    rig.control->SetErgometerMode(emPredefinedFile);
    rig.control->SetTargetPower(200);
    rig.device.Status().BremseOffset = INT_MIN; // a garbled read-back
    EXPECT_GE(rig.Ride(100).Offset, TBreakControl::kLowestOffset);

    rig.control->SetControlBy(TBrakeControlBy::Cadence);
    rig.control->SetTargetCadence(INT_MAX);
    EXPECT_EQ(rig.Ride(200, -9652, -5).Grenze, 0); // round(86 / INT_MAX * ...) with the default ratio
}

TEST(BreakControl, OneFailedStepIsForgivenTwoInARowSendZerosAndRaise) {
    TBrakeRig rig;
    rig.Start(200);
    rig.Ride(200);
    rig.device.failuresToCome = 1;
    EXPECT_NO_THROW(rig.Ride(200));
    EXPECT_NO_THROW(rig.Ride(200));
    rig.device.failuresToCome = 1;
    EXPECT_NO_THROW(rig.Ride(200)); // the good step between cleared the count
    EXPECT_NO_THROW(rig.Ride(200));

    rig.device.failuresToCome = 2;
    EXPECT_NO_THROW(rig.Ride(200));
    try {
        rig.Ride(200);
        FAIL() << "no error raised";
    } catch (const EBrakeControl& error) {
        EXPECT_STREQ(error.what(), "Severe Error of Brakecontrol");
    }
    EXPECT_EQ(rig.device.sent.back(), (TBrakeValues{0, 0, 0, 1}));
}

TEST(BreakControl, EveryWayOfStoppingReleasesTheBrake) {
    TBrakeRig rig;
    const TBrakeValues released{TBreakControl::kReleasedOffset, 0, 0, 1};
    ASSERT_EQ(rig.device.sent.size(), 1u); // created inactive
    EXPECT_EQ(rig.device.sent.back(), released);

    rig.Start(200);
    rig.Ride(150);
    rig.control->SetBrakeEnabled(false);
    EXPECT_EQ(rig.device.sent.back(), released);
    const size_t count = rig.device.sent.size();
    rig.Ride(150); // a disabled brake is left alone
    EXPECT_EQ(rig.device.sent.size(), count);

    rig.Start(200);
    rig.Ride(150);
    rig.control->SetActive(false);
    EXPECT_EQ(rig.device.sent.back(), released);
    rig.Ride(150);
    EXPECT_EQ(rig.device.sent.size(), count + 2);

    rig.Start(200);
    rig.Ride(150);
    rig.control.reset();
    EXPECT_EQ(rig.device.sent.back(), (TBrakeValues{0, 0, 0, 1}));
}

TEST(BreakControl, AReleaseIsTriedFiveTimesAndAFailureIsReported) {
    TBrakeRig rig;
    rig.device.attempts = 0;
    rig.device.failuresToCome = 4;
    rig.control->ReleaseBrake(TBreakControl::kLowestOffset);
    EXPECT_EQ(rig.device.attempts, 5);
    EXPECT_EQ(rig.device.sent.back().Offset, TBreakControl::kLowestOffset);

    rig.device.failuresToCome = 5;
    EXPECT_THROW(rig.control->SetBrakeEnabled(false), EVeltrakTimeout);
    EXPECT_FALSE(rig.control->BrakeEnabled());
}

TEST(BreakControl, ResettingStartsTheSetPointAfresh) {
    TBrakeRig rig;
    rig.Start(200);
    for (int i = 0; i < 8; ++i) {
        rig.Ride(200);
    }
    rig.control->ResetRegulation();
    rig.Ride(190);
    EXPECT_EQ(rig.control->LastRegulationCase(), 12); // the new-set-point phase again
    EXPECT_EQ(rig.samples.Sample(rig.samples.LastIndex())->SetPower, 200);
}

TEST(BreakControl, CadenceControlHoldsTheLimitUntilTheTargetChanges) {
    TBrakeRig rig;
    rig.Start(0);
    rig.control->SetControlBy(TBrakeControlBy::Cadence);
    rig.control->SetTargetCadence(90);
    // Ratio 9652 / (90 * 32); limit round(86 / 90 * 8192 * (3.35139769 / ratio)) = 7828.
    EXPECT_EQ(rig.Ride(200, 9652, 90), (TBrakeValues{0, kSlope, 7828, 1}));
    EXPECT_EQ(rig.Ride(100, 9000, 90).Grenze, 7828); // target met: kept
    rig.control->SetTargetCadence(0);                // no cadence to hold: no limit, never a division by zero
    EXPECT_EQ(rig.Ride(200, 9652, 90).Grenze, 0);

    rig.options.Gearing = 1; // fixed 53/13: ratio 53 / 13 - 1
    rig.control->ApplyOptions(rig.options);
    rig.control->SetTargetCadence(80);
    EXPECT_EQ(rig.Ride(200, 9652, 90).Grenze, 9592);
    rig.options.GearingLow = 0; // a damaged setting keeps the ratio in use, never divides by zero
    rig.control->ApplyOptions(rig.options);
    rig.control->SetTargetCadence(90);
    EXPECT_EQ(rig.Ride(200, 9652, 90).Grenze, 8526); // round(86 / 90 * 8192 * (3.35139769 / (53 / 13 - 1)))
}

TEST(BreakControl, CadenceLimitsBeyondThePowerSupplyReleaseTheBrake) {
    TBrakeRig rig;
    rig.Start(0);
    rig.control->SetControlBy(TBrakeControlBy::Cadence);
    rig.control->SetTargetCadence(30); // limit 23484
    for (int i = 0; i < 10; ++i) {
        rig.control->SetTargetCadence(30);
        EXPECT_EQ(rig.Ride(200, 9652, 90).Grenze, 23484);
    }
    rig.control->SetTargetCadence(30);
    EXPECT_EQ(rig.Ride(200, 9652, 90).Grenze, 0);
    EXPECT_EQ(rig.events.warnings.size(), 1u);
}

TEST(BreakControl, HeartRateControlMovesItsFactorAndWaits) {
    TBrakeRig rig;
    rig.Start(0);
    rig.control->SetControlBy(TBrakeControlBy::HeartRate);
    rig.control->SetTargetHeartRate(140);
    // 150 is above 1.01 * 140 and rising: factor 0.18 - 0.01; round(9652 * 0.17) + 32768.
    EXPECT_EQ(rig.Ride(100, 9652, 90, 150).Offset, 34409);
    EXPECT_EQ(rig.Ride(100, 9652, 90, 120).Offset, 34409); // waits 50 steps before the next change

    TBrakeRig low;
    low.Start(0);
    low.control->SetControlBy(TBrakeControlBy::HeartRate);
    low.control->SetTargetHeartRate(140);
    low.Ride(100, 9652, 90, 0);                          // change 0 < 1, mean 0: factor 0.19
    EXPECT_EQ(low.Ride(100, 9652, 90, 0).Offset, 34602); // round(9652 * 0.19) + 32768
}

TEST(BreakControl, CalibrationSendsItsFixedOffsetsAndReportsWhenSettled) {
    TBrakeRig rig;
    rig.control->SetErgometerMode(emCalibrationMode);
    rig.Start(997);
    EXPECT_EQ(rig.Ride(300, 6000).Offset, 35168);
    rig.control->SetTargetPower(998);
    EXPECT_EQ(rig.Ride(300, 6000).Offset, 35768);
    rig.control->SetTargetPower(999);
    for (int i = 0; i < 29; ++i) {
        EXPECT_EQ(rig.Ride(300, 6000).Offset, 35268);
        EXPECT_FALSE(rig.control->CalibrationDone()) << i;
    }
    rig.Ride(300, 6000); // the target 30 samples back was 999 too, the flywheel steady above 5000
    EXPECT_TRUE(rig.control->CalibrationDone());
    rig.control->ClearCalibrationDone();
    EXPECT_FALSE(rig.control->CalibrationDone());
}

TEST(BreakControl, TheRegulatorLogsEachStepAndGoesOnWithoutItsLog) {
    const test::TTempDir dir;
    {
        TBrakeRig rig(6, dir.Path());
        rig.Start(200);
        rig.Ride(190);
    }
    const std::string log = test::ReadFileBytes(dir.File("OnlineTestwerte/Testwerte.txt"));
    EXPECT_NE(
        log.find(
            "RegBreak On\nFCorrectOffsetCount=0\nWrite to Veltrak\n TPower:200Bremse Grenze:0 PowerDif:10"),
        std::string::npos)
        << log;
    EXPECT_NE(log.find(" Reg:12\nRegBreak Off\n"), std::string::npos) << log;
    EXPECT_TRUE(std::filesystem::exists(dir.File("ErgoFiles/LogFile.log")));

    test::WriteFileBytes(dir.File("blocked"), "a file where the folder should be");
    TBrakeRig blocked(6, dir.File("blocked"));
    ASSERT_EQ(blocked.events.warnings.size(), 1u);
    EXPECT_EQ(blocked.events.warnings[0].second,
              "Cannot open File " + dir.File("blocked/OnlineTestwerte/Testwerte.txt"));
    blocked.Start(200);
    EXPECT_EQ(blocked.Ride(190).Offset, 33334);
}

// Even a read slowed by a time-out: a write that went ahead after 100 ms would mix two exchanges.
TEST(BreakControl, ABrakeWriteWaitsForTheReadInProgress) {
    const test::TTempDir dir;
    TBrakeRig rig(6, dir.Path());
    std::promise<void> holding;
    std::thread reader([&] {
        const TDeviceAccess::TLock lock = rig.access.Acquire();
        holding.set_value();
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        rig.device.sent.push_back({1, 1, 1, 1}); // the read's own exchange, lock held
    });
    holding.get_future().wait();
    rig.control->ReleaseBrake(TBreakControl::kLowestOffset);
    reader.join();
    ASSERT_GE(rig.device.sent.size(), 2u);
    EXPECT_EQ(rig.device.sent[rig.device.sent.size() - 2], (TBrakeValues{1, 1, 1, 1}));
    EXPECT_EQ(rig.device.sent.back().Offset, TBreakControl::kLowestOffset);
    EXPECT_NE(test::ReadFileBytes(dir.File("OnlineTestwerte/Testwerte.txt"))
                  .find("Wait for Veltrak\nVTReadEvent\nWrite to Veltrak\n"),
              std::string::npos);
}

} // namespace
} // namespace klt
