#include <gtest/gtest.h>

#include <numeric>

#include "analysis/KLTStatistics.h"

namespace klt {
namespace {

struct TSampleValues {
    int watts = 0;
    int bpm = 0;
    int speed = 0; // mm/s
};

// A training whose samples carry these values; cadence is always 90 rpm.
void Fill(TKLTFile& file, const std::vector<TSampleValues>& values) {
    file.SetSampleCount(static_cast<int>(values.size()));
    for (std::size_t i = 0; i < values.size(); ++i) {
        const TSampleValues& v = values[i];
        file.Sample(static_cast<int>(i) + 1).Set(v.watts * 8, 90 * 32, v.bpm * 64, v.speed, 0, 0);
    }
}

const TDistributionPoint& PointAt(const TDistributionSeries& series, int value) {
    auto it = std::find_if(series.begin(), series.end(),
                           [&](const TDistributionPoint& p) { return p.value == value; });
    EXPECT_NE(it, series.end()) << "no point for " << value;
    return *it;
}

double PercentAt(const TDistributionSeries& series, int value) {
    return PointAt(series, value).percent.value_or(-1);
}

double VisibleTotal(const TDistributionSeries& series) {
    return std::accumulate(series.begin(), series.end(), 0.0, [](double sum, const TDistributionPoint& p) {
        return sum + p.percent.value_or(0);
    });
}

class Distribution : public ::testing::Test {
protected:
    TKLTFile file;
    TMesswertSkala power{mwaLeistung};
    TMesswertSkala heartRate{mwaHerzfrequenz};
    void SetUp() override {
        power.SetDisplayRange(true, 400, 0);
        heartRate.SetDisplayRange(true, 200, 40);
    }
};

TEST_F(Distribution, WidthOneGivesThePlainPercentagePerValue) {
    Fill(file, {{100}, {100}, {200}, {300}});
    TDistributionSeries series =
        ComputeDistribution(TStatisticQuantity::Power, power, 1, file, TKLTMarker("", 1, 4));
    EXPECT_DOUBLE_EQ(PercentAt(series, 100), 50.0);
    EXPECT_DOUBLE_EQ(PercentAt(series, 200), 25.0);
    EXPECT_DOUBLE_EQ(PercentAt(series, 300), 25.0);
    EXPECT_DOUBLE_EQ(PercentAt(series, 101), 0.0);
    // Every sample is counted once: the percentages of the marker add up to 100.
    EXPECT_DOUBLE_EQ(VisibleTotal(series), 100.0);
    EXPECT_EQ(series.front().value, 0);
}

TEST_F(Distribution, OneSampleMarkerIsAHundredPercentOfItsValue) {
    Fill(file, {{150}, {250}});
    TDistributionSeries series =
        ComputeDistribution(TStatisticQuantity::Power, power, 1, file, TKLTMarker("", 2, 2));
    EXPECT_DOUBLE_EQ(PercentAt(series, 250), 100.0);
    EXPECT_DOUBLE_EQ(PercentAt(series, 150), 0.0);
}

TEST_F(Distribution, RunningSumIsCentredAndRunsOneWindowPastTheTable) {
    Fill(file, {{100}, {100}});
    TDistributionSeries series =
        ComputeDistribution(TStatisticQuantity::Power, power, 3, file, TKLTMarker("", 1, 2));
    for (int value : {99, 100, 101}) {
        EXPECT_NEAR(PercentAt(series, value), 100.0 / 3, 1e-9) << value;
    }
    EXPECT_DOUBLE_EQ(PercentAt(series, 98), 0.0);
    EXPECT_DOUBLE_EQ(PercentAt(series, 102), 0.0);
    // Table: 400 W and half a window (2); steps: the table plus one window (3), centred by 1.
    ASSERT_EQ(series.size(), 405u);
    EXPECT_EQ(series.front().value, -1);
    EXPECT_EQ(series.back().value, 403);
}

TEST_F(Distribution, ValuesOutsideTheVisibleWindowAreGaps) {
    power.SetDisplayRange(true, 200, 100);
    Fill(file, {{50}, {150}, {250}});
    TDistributionSeries series =
        ComputeDistribution(TStatisticQuantity::Power, power, 1, file, TKLTMarker("", 1, 3));
    EXPECT_FALSE(PointAt(series, 50).percent.has_value());
    EXPECT_FALSE(PointAt(series, 201).percent.has_value());
    EXPECT_NEAR(PercentAt(series, 150), 100.0 / 3, 1e-9);
    EXPECT_NEAR(PercentAt(series, 200), 0.0, 1e-9);
}

TEST_F(Distribution, HeartRateBelowTheScaleIsNotCountedButStillPartOfTheMarker) {
    Fill(file, {{0, 30}, {0, 120}});
    TDistributionSeries series =
        ComputeDistribution(TStatisticQuantity::HeartRate, heartRate, 1, file, TKLTMarker("", 1, 2));
    EXPECT_DOUBLE_EQ(PercentAt(series, 120), 50.0);
    EXPECT_FALSE(PointAt(series, 30).percent.has_value());
    EXPECT_DOUBLE_EQ(VisibleTotal(series), 50.0);
}

TEST_F(Distribution, SpeedIsCountedInTheDisplayUnit) {
    TMesswertSkala speed(mwaGeschwindigkeit);
    speed.SetDisplayRange(true, 60, 0);
    Fill(file, {{0, 0, 10000}}); // 36 km/h
    TDistributionSeries series =
        ComputeDistribution(TStatisticQuantity::Speed, speed, 1, file, TKLTMarker("", 1, 1));
    EXPECT_DOUBLE_EQ(PercentAt(series, 36), 100.0);
}

TEST_F(Distribution, MarkerRangesAndWidthsFromDamagedSettingsStayInBounds) {
    Fill(file, {{100}});
    // A width of 0 counts as 1; a marker beyond the samples counts only the samples there are.
    TDistributionSeries series =
        ComputeDistribution(TStatisticQuantity::Power, power, 0, file, TKLTMarker("", 0, 9));
    EXPECT_DOUBLE_EQ(PercentAt(series, 100), 100.0);
    series = ComputeDistribution(TStatisticQuantity::Power, power, 1'000'000, file, TKLTMarker("", 1, 1));
    EXPECT_LE(series.size(), 400u + 1500u + 1u);
}

TEST(KLTStatistics, ComputesOnlyTheVisibleQuantitiesWithItsOwnCopyOfTheSettings) {
    TStatisticChartOptionSet options;
    options.Smooting = 1;
    options.CadenceSkala.SetVisible(false);
    TKLTStatistics statistics(options);
    options.Smooting = 7; // the statistics keep the settings they were given until refreshed
    TKLTFile file;
    Fill(file, {{100, 120, 5000}});
    statistics.Compute(file, TKLTMarker("", 1, 1));
    EXPECT_DOUBLE_EQ(PercentAt(statistics.Series(TStatisticQuantity::Power), 100), 100.0);
    EXPECT_TRUE(statistics.Series(TStatisticQuantity::Cadence).empty());
    EXPECT_FALSE(statistics.Series(TStatisticQuantity::HeartRate).empty());
    statistics.RefreshOptions(options);
    EXPECT_EQ(statistics.Options().Smooting, 7);
}

} // namespace
} // namespace klt
