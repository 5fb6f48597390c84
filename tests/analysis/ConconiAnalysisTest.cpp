#include <gtest/gtest.h>

#include "analysis/Analyse.h"
#include "analysis/ConconiAnalysis.h"
#include "analysis/HeartRateAnalysis.h"
#include "tests/core/MesswertFixture.h"
#include "tests/support/AnalysisRides.h"

namespace klt {
namespace {

TConconiResult StepTestResult(bool deflection) {
    TKLTFile file;
    test::FillStepTest(file, deflection);
    const auto analysis = AnalyseHeartRate(file, 0, TConconiAnalyseData().FitParameters());
    EXPECT_TRUE(analysis && analysis->HasLine());
    return AnalyseConconi(analysis->pairs, analysis->fit.averagingSamples, analysis->fit);
}

using ConconiAnalysis = MesswertFixture;

TEST_F(ConconiAnalysis, FindsTheStepsAndTheDeflectionPoint) {
    const TConconiResult result = StepTestResult(true);
    EXPECT_EQ(result.steps.size(), 14u);
    ASSERT_TRUE(result.deflection);
    EXPECT_NEAR(result.deflection->power / 8, test::kStepTestDeflectionWatts, 8);
    EXPECT_NEAR(result.deflection->heartRate / 64, test::kStepTestDeflectionBpm, 3);
    EXPECT_TRUE(result.note.empty());
}

TEST_F(ConconiAnalysis, AnEvenRiseHasNoDeflectionButPwcValues) {
    const TConconiResult result = StepTestResult(false);
    EXPECT_EQ(result.steps.size(), 14u);
    EXPECT_FALSE(result.deflection);
    EXPECT_FALSE(result.note.empty());
    // 100 bpm at 100 W, 0.3 bpm more per W.
    ASSERT_TRUE(result.pwc[0] && result.pwc[1] && result.pwc[2]);
    EXPECT_NEAR(*result.pwc[0] / 8, 200, 1);
    EXPECT_NEAR(*result.pwc[1] / 8, 266.7, 1);
    EXPECT_NEAR(*result.pwc[2] / 8, 333.3, 1);
}

TEST_F(ConconiAnalysis, StepsNeedSteadyPowerAndEnoughOfThem) {
    std::vector<THeartRatePair> pairs;
    for (int step = 0; step < 5; ++step) { // five steps, each with a short ramp before it
        for (int i = 0; i < 4; ++i) {
            pairs.push_back({8.0 * (100 + 40 * step - 30 + 7 * i), 64.0 * 120});
        }
        for (int i = 0; i < 20; ++i) {
            pairs.push_back({8.0 * (100 + 40 * step + (i % 3)), 64.0 * (100 + 10 * step)});
        }
    }
    const std::vector<TConconiStep> steps = ConconiSteps(pairs, 10);
    ASSERT_EQ(steps.size(), 5u);
    EXPECT_NEAR(steps[2].power / 8, 181, 0.5);
    EXPECT_EQ(steps[2].heartRate, 64.0 * 120);
    EXPECT_FALSE(DeflectionPoint(steps)) << "five steps cannot give two segments of three";
}

TEST_F(ConconiAnalysis, PwcNeedsARisingLineWithinThePowerRange) {
    THeartRateFit fit;
    fit.rSquared = 0.9;
    fit.slope = 64.0 / 8 * 0.4; // 0.4 bpm per W
    fit.intercept = 64.0 * 70;  // PWC150 at 200 W
    EXPECT_NEAR(*PowerAtHeartRate(fit, 150 * 64.0) / 8, 200, 1e-9);
    fit.intercept = 64.0 * 200; // would be below 0 W
    EXPECT_FALSE(PowerAtHeartRate(fit, 150 * 64.0));
    fit.slope = 0.001;
    fit.intercept = 64.0 * 70; // far beyond 4095 W
    EXPECT_FALSE(PowerAtHeartRate(fit, 150 * 64.0));
    fit.slope = -0.5;
    EXPECT_FALSE(PowerAtHeartRate(fit, 150 * 64.0));
    fit.slope = 1;
    fit.rSquared = -1; // no line
    EXPECT_FALSE(PowerAtHeartRate(fit, 150 * 64.0));
}

} // namespace
} // namespace klt
