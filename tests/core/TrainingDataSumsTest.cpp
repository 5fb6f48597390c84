#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "core/Exceptions.h"
#include "core/RunningSum.h"
#include "core/TrainingDataUnit.h"

namespace klt {
namespace {

TEST(RunningSum, FollowsEveryAppendAndEditLikeAPlainPrefixSum) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> value(-1000, 1000);
    TRunningSum sum;
    std::vector<int64_t> values;
    for (int step = 0; step < 3000; ++step) {
        if (values.empty() || random() % 3 != 0) {
            values.push_back(value(random));
            sum.Append(values.back());
        } else {
            const int at = static_cast<int>(random() % values.size());
            const int delta = value(random);
            values[static_cast<size_t>(at)] += delta;
            sum.Add(at, delta);
        }
        const int probe = static_cast<int>(random() % values.size());
        int64_t expected = 0;
        for (int i = 0; i <= probe; ++i) {
            expected += values[static_cast<size_t>(i)];
        }
        ASSERT_EQ(sum.Through(probe), expected) << "step " << step << " index " << probe;
    }
    EXPECT_EQ(sum.Through(-1), 0);
    EXPECT_THROW(sum.Through(sum.Count()), ERangeError);
    EXPECT_THROW(sum.Add(sum.Count(), 1), ERangeError);
}

class TrainingDataSums : public ::testing::Test {
protected:
    void SetUp() override {
        data_.EditHeader().intervalNumerator = 1;
        data_.EditHeader().intervalDenominator = 2;
        for (int i = 0; i < 10; ++i) {
            data_.AddSample(TData({200, 120, 90, 5000, 0, 0}));
        }
    }
    TTrainingData data_;
};

TEST_F(TrainingDataSums, EditsCarryTheirDifferenceIntoLaterSumsOnly) {
    EXPECT_EQ(data_.RunningSum(dcPower, 9), 2000);
    EXPECT_FALSE(data_.Modified());
    data_.SetValue(4, dcPower, 500);
    EXPECT_TRUE(data_.Modified());
    EXPECT_EQ(data_.RunningSum(dcPower, 3), 800);
    EXPECT_EQ(data_.RunningSum(dcPower, 4), 1300);
    EXPECT_EQ(data_.RunningSum(dcPower, 9), 2300);
    EXPECT_EQ(data_.RunningSum(dcSpeed, 9), 50000); // other channels untouched
    // The stored (clamped) value counts, not the one asked for.
    data_.SetValue(9, dcHeartRate, 1000);
    EXPECT_EQ(data_.Sample(9).Value(dcHeartRate), 255);
    EXPECT_EQ(data_.RunningSum(dcHeartRate, 9), 9 * 120 + 255);
    data_.ClearModified();
    data_.SetValue(0, TData::kChannelCount, 5); // no channel: nothing changes
    EXPECT_FALSE(data_.Modified());
    EXPECT_THROW(data_.SetValue(10, dcPower, 1), ERangeError);
}

TEST_F(TrainingDataSums, WorkAndDistanceFollowTheInterval) {
    EXPECT_DOUBLE_EQ(data_.Work(9), 10 * 200 * 0.5);             // J
    EXPECT_DOUBLE_EQ(data_.Distance(9), 10 * 5000 * 0.5 / 1000); // m
    data_.SetValue(0, dcSpeed, 7000);
    EXPECT_DOUBLE_EQ(data_.Distance(0), 3.5);
    data_.EditHeader().intervalDenominator = 0; // no interval known: one second
    EXPECT_DOUBLE_EQ(data_.Work(0), 200);
    EXPECT_EQ(data_.RunningSum(dcPower, -1), 0);
    EXPECT_EQ(data_.RunningSum(TData::kChannelCount, 5), 0);
    EXPECT_THROW(data_.RunningSum(dcPower, 10), ERangeError);
}

TEST_F(TrainingDataSums, ReadingRebuildsTheSums) {
    TTrainingData other;
    other.AddSample(TData({1, 1, 1, 1, 1, 1}));
    other.SetValue(0, dcPower, 99);
    other.Clear();
    EXPECT_EQ(other.SampleCount(), 0);
    EXPECT_FALSE(other.Modified());
    other.AddSample(TData({7, 0, 0, 0, 0, 0}));
    EXPECT_EQ(other.RunningSum(dcPower, 0), 7);
}

class TVeltrakImageStub : public IVeltrakImageInfo {
public:
    int32_t battery = 0;
    int32_t BatteryValue() const override { return battery; }
    uint32_t SecondBatteryWord() const override { return 0x1234; }
    std::array<uint32_t, 3> FurtherSensorWords() const override { return {11, 22, 33}; }
};

TEST(TrainingDataFromHeadUnit, BatteryToAMultipleOfTenAndSensorWords) {
    TTrainingData data;
    TVeltrakImageStub image;
    const std::vector<std::pair<int32_t, uint32_t>> cases = {
        {1234, 1230}, {1235, 1240}, {0, 0}, {4, 0}, {0xFFFF, 0xFFFF}, {-5, static_cast<uint32_t>(-5)}};
    for (const auto& [reported, stored] : cases) {
        image.battery = reported;
        data.TakeBatteryInfo(image);
        EXPECT_EQ(data.ExtraHeader().batInfo.battery, stored) << reported;
        EXPECT_EQ(data.ExtraHeader().batInfo.battery2, 0x1234u);
    }
    data.TakeSensorInfo(image, 4711);
    EXPECT_EQ(data.ExtraHeader().sensorInfo.words, (std::array<uint32_t, 4>{4711, 11, 22, 33}));
}

} // namespace
} // namespace klt
