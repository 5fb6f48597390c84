// What the heart-rate-variability chart shows: the last 500 beats by their place, or every beat by
// its heart rate between 20 and 255 bpm, the beats without a change of interval left out.
#include <gtest/gtest.h>

#include "online/HRVarRecorder.h"

namespace klt {
namespace {

THRDistTable Beats(int count, int32_t hrDist = 6000) {
    THRDistTable table;
    for (int i = 0; i < count; ++i) {
        table.Append({53672, i * 60}, hrDist + (i % 2) * 100); // 100 and 98 bpm in turn
    }
    return table;
}

TEST(HRVarChart, ByBeatTheLast500BeatsAreShown) {
    const THRVarChart few = HRVarChart(Beats(10), THRVarAxis::Index);
    EXPECT_EQ(few.minimum, 0);
    EXPECT_EQ(few.maximum, 10);
    ASSERT_EQ(few.points.size(), 9u) << "the first beat has no change";
    EXPECT_EQ(few.points.front().x, 2);
    EXPECT_EQ(few.points.front().variance, -10);
    EXPECT_EQ(few.points.back().x, 10);

    const THRVarChart many = HRVarChart(Beats(1234), THRVarAxis::Index);
    EXPECT_EQ(many.minimum, 734);
    EXPECT_EQ(many.maximum, 1234);
    ASSERT_EQ(many.points.size(), 500u);
    EXPECT_EQ(many.points.front().x, 735);
    EXPECT_EQ(many.points.back().x, 1234);

    EXPECT_TRUE(HRVarChart(THRDistTable(), THRVarAxis::Index).points.empty());
}

TEST(HRVarChart, ByHeartrateEveryBeatOnAFixedAxis) {
    const THRVarChart chart = HRVarChart(Beats(1234), THRVarAxis::Heartrate);
    EXPECT_EQ(chart.minimum, 20);
    EXPECT_EQ(chart.maximum, 255);
    ASSERT_EQ(chart.points.size(), 1233u);
    EXPECT_EQ(chart.points[0].x, 98);
    EXPECT_EQ(chart.points[1].x, 100);

    // a heart rate off the axis (an interval of 0.2 s is 300 bpm) stays off it
    EXPECT_TRUE(HRVarChart(Beats(5, 2000), THRVarAxis::Heartrate).points.empty());
}

} // namespace
} // namespace klt
