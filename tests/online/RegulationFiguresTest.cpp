#include "online/RegulationFigures.h"

#include <gtest/gtest.h>

namespace klt {
namespace {

// Two samples a second, as the live mode records.
std::vector<TRegulationSample> Ride(const std::vector<std::pair<int, int>>& targetAndWatts) {
    std::vector<TRegulationSample> ride;
    for (size_t i = 0; i < targetAndWatts.size(); ++i) {
        ride.push_back({0.5 * static_cast<double>(i), targetAndWatts[i].first, targetAndWatts[i].second});
    }
    return ride;
}

TEST(RegulationFigures, StepsSettleWhenThePowerStaysInTheBandAndOvershootCountsInTheStepsDirection) {
    const TRegulationFigures figures = MeasureRegulation(Ride({
        {100, 60}, {100, 96}, {100, 104}, {100, 100}, // settles at 0.5 s: 96 is within 5 W
        {200, 150}, {200, 230}, {200, 190}, {200, 205}, {200, 199}, // overshoot 30 W, settles at 1 s
        {150, 170}, {150, 120}, {150, 150}, {150, 180},             // still out at its end: not settled
    }));
    ASSERT_EQ(figures.steps.size(), 3u);
    EXPECT_EQ(figures.steps[0].previousWatts, 0);
    EXPECT_DOUBLE_EQ(*figures.steps[0].settleSeconds, 0.5);
    EXPECT_EQ(figures.steps[0].overshootWatts, 4);
    EXPECT_DOUBLE_EQ(*figures.steps[1].settleSeconds, 1.0);
    EXPECT_EQ(figures.steps[1].overshootWatts, 30);
    EXPECT_DOUBLE_EQ(figures.steps[1].overshootPercent, 30.0);
    // A step down overshoots below its target.
    EXPECT_EQ(figures.steps[2].overshootWatts, 30);
    EXPECT_DOUBLE_EQ(figures.steps[2].overshootPercent, 60.0);
    EXPECT_FALSE(figures.steps[2].settleSeconds.has_value());
    EXPECT_EQ(figures.samples, 13);
    // 96, 104, 100, 205, 199, 190, 150 lie within 10 W.
    EXPECT_NEAR(figures.within10WattsPercent, 100.0 * 7 / 13, 1e-9);
}

TEST(RegulationFigures, SamplesWithoutATargetBelongToNoStep) {
    const TRegulationFigures figures = MeasureRegulation(Ride({{0, 0}, {0, 50}, {120, 120}, {0, 10}, {120, 110}}));
    ASSERT_EQ(figures.steps.size(), 2u);
    EXPECT_EQ(figures.steps[1].previousWatts, 120);
    EXPECT_DOUBLE_EQ(figures.steps[1].overshootPercent, 0.0); // no step in size
    EXPECT_EQ(figures.samples, 2);
    EXPECT_TRUE(MeasureRegulation({}).steps.empty());
}

} // namespace
} // namespace klt
