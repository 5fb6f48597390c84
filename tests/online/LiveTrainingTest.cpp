// A live run as a training: samples on the nominal grid of the recording interval by their wall
// times, new blocks after long gaps, markers from the run's marker times and "Set Marker", and a
// training that stops at what a file holds.
#include <gtest/gtest.h>

#include <vector>

#include "online/LiveTraining.h"

namespace klt {
namespace {

constexpr double kDay = 53000;               // days since 1880
constexpr uint32_t kTenOClock = 36000 * 100; // 1/100 s

// Sample i has power 100 + i and arrives offsets[i] intervals after ten o'clock.
void Record(TKLTOnlineDatas& live, const std::vector<double>& offsets, double interval = 0.5) {
    for (size_t i = 0; i < offsets.size(); ++i) {
        TKLTOnlineData sample;
        sample.SetValue(dcPower, 100 + static_cast<int>(i));
        sample.WallTime = kDay + (36000 + offsets[i] * interval) / 86400;
        live.PutSample(static_cast<int>(i), sample);
    }
}

// n samples, one every `every` intervals.
std::vector<double> Steady(size_t n, double every = 1) {
    std::vector<double> offsets(n);
    for (size_t i = 0; i < n; ++i) {
        offsets[i] = static_cast<double>(i) * every;
    }
    return offsets;
}

std::vector<int> Powers(const TTrainingData& training) {
    std::vector<int> powers;
    for (int i = 0; i < training.SampleCount(); ++i) {
        powers.push_back(training.Sample(i).Value(dcPower));
    }
    return powers;
}

TLiveTrainingInfo Info(double interval = 0.5) {
    TLiveTrainingInfo info;
    info.date = static_cast<uint16_t>(kDay);
    info.startTime = 12345; // the samples' own times win
    info.initials = "JD";
    info.intervalSeconds = interval;
    return info;
}

TEST(LiveTraining, OnTimeSamplesMapOneToOneFromTheFirstSamplesTimeOfDay) {
    TKLTOnlineDatas live;
    Record(live, {0, 1.3, 1.6, 3, 4.9}); // within one interval of their places
    const TTrainingData training = LiveTraining(live, Info());
    EXPECT_EQ(Powers(training), (std::vector<int>{100, 101, 102, 103, 104}));
    EXPECT_EQ(training.Blocks(), (std::vector<TKLTBlock>{{kTenOClock, 5}}));
    EXPECT_EQ(training.Header().intervalNumerator, 1);
    EXPECT_EQ(training.Header().intervalDenominator, 2);
    EXPECT_EQ(training.Header().date, 53000);
    ASSERT_EQ(training.Markers().size(), 1u);
    EXPECT_EQ(training.Markers()[0].name, "JD");
    EXPECT_EQ(training.Markers()[0].last, 5);
}

TEST(LiveTraining, ALateSampleIsPrecededByTheValuesBeforeItUntilItIsOnTime) {
    TKLTOnlineDatas live;
    Record(live, {0, 1, 2, 3 + 3.2, 4 + 3.2}); // sample 3 comes 3.2 intervals late
    const TTrainingData training = LiveTraining(live, Info());
    EXPECT_EQ(Powers(training), (std::vector<int>{100, 101, 102, 102, 102, 102, 103, 104}));
    EXPECT_EQ(training.Blocks(), (std::vector<TKLTBlock>{{kTenOClock, 8}}));
    EXPECT_EQ(training.RunningSum(dcPower, 7), 100 + 101 + 102 * 4 + 103 + 104);
}

TEST(LiveTraining, TenIntervalsLateStartsANewBlockWhoseGridCountsFromIt) {
    TKLTOnlineDatas live;
    // sample 3 is 12 intervals late; 4 and 5 are on time after it; 6 is 9.5 late, 7 exactly 10;
    // 8 comes at midnight and its block counts on from the ride's day
    Record(live, {0, 1, 2, 3 + 12, 4 + 12, 5 + 12, 6 + 21.5, 7 + 31.5, 14 * 3600 * 2});
    const TTrainingData training = LiveTraining(live, Info());
    EXPECT_EQ(training.Blocks(), (std::vector<TKLTBlock>{{kTenOClock, 3},
                                                         {kTenOClock + 15 * 50, 3 + 9 + 1},
                                                         {kTenOClock + 385 * 5, 1},
                                                         {24 * 3600 * 100, 1}}));
    EXPECT_EQ(training.SampleCount(), 3 + 13 + 1 + 1);
    EXPECT_EQ(training.Sample(6).Value(dcPower), 105); // the first filler before sample 6
    EXPECT_EQ(training.Sample(15).Value(dcPower), 106);
}

TEST(LiveTraining, AnEarlySampleIsDroppedAndItsMarkGoesToTheNextSample) {
    TKLTOnlineDatas live;
    Record(live, {0, 1, 2, 1.9, 4, 5, 6 - 1}); // 3 is 1.1 intervals early, 6 exactly one
    live.SetMarker(1, true);
    live.SetMarker(3, true);
    const TTrainingData training = LiveTraining(live, Info());
    EXPECT_EQ(Powers(training), (std::vector<int>{100, 101, 102, 104, 105, 106}));
    ASSERT_EQ(training.Markers().size(), 3u);
    EXPECT_EQ(training.Markers()[1].first, 2);
    EXPECT_EQ(training.Markers()[1].last, 3);
    EXPECT_EQ(training.Markers()[2].first, 4);
    EXPECT_EQ(training.Markers()[2].last, 6);
}

TEST(LiveTraining, EachStretchBetweenTwoMarkerTimesBecomesAMarkerWithinTheSamples) {
    TKLTOnlineDatas live;
    Record(live, Steady(20));
    // empty (2000, 2000) and reversed (5000, 4000) stretches are left out; the last ends with the ride
    const TTrainingData training = LiveTraining(live, Info(), {-700, 2000, 2000, 5000, 4000, 99999});
    std::vector<std::pair<int, int>> ranges;
    for (const TStructurArray& marker : training.Markers()) {
        ranges.emplace_back(marker.first, marker.last);
    }
    EXPECT_EQ(ranges, (std::vector<std::pair<int, int>>{{1, 20}, {1, 4}, {5, 10}, {9, 20}}));
}

TEST(LiveTraining, AOneSecondIntervalIsStoredAsWholeSecondsAndLaysTheGrid) {
    TKLTOnlineDatas live;
    Record(live, {0, 1, 2 + 1.5}, 1.0);
    const TTrainingData training = LiveTraining(live, Info(1.0), {0, 2000});
    EXPECT_EQ(training.Header().intervalNumerator, 1);
    EXPECT_EQ(training.Header().intervalDenominator, 1);
    EXPECT_EQ(Powers(training), (std::vector<int>{100, 101, 101, 102}));
    ASSERT_EQ(training.Markers().size(), 2u);
    EXPECT_EQ(training.Markers()[1].last, 2);
}

TEST(LiveTraining, ATrainingStopsAtTheMostSamplesAndBlocksAFileHolds) {
    TKLTOnlineDatas longRide(TTrainingData::kMaxSamples + 3);
    std::vector<double> offsets = Steady(TTrainingData::kMaxSamples - 1);
    offsets.push_back(static_cast<double>(offsets.size()) + 5); // fillers run past the limit
    Record(longRide, offsets);
    const TTrainingData full = LiveTraining(longRide, Info());
    EXPECT_EQ(full.SampleCount(), TTrainingData::kMaxSamples);
    EXPECT_EQ(full.Blocks().back().count, TTrainingData::kMaxSamples);

    TKLTOnlineDatas gappy;
    Record(gappy, Steady(TKLTFile::kMaxBlocks + 2, 20));
    const TTrainingData blocks = LiveTraining(gappy, Info());
    EXPECT_EQ(blocks.Blocks().size(), static_cast<size_t>(TKLTFile::kMaxBlocks));
    EXPECT_EQ(blocks.SampleCount(), TKLTFile::kMaxBlocks);
}

} // namespace
} // namespace klt
