#include <gtest/gtest.h>

#include "online/KLTOnlineData.h"

namespace klt {
namespace {

TKLTOnlineData Measured(int watts) {
    TKLTOnlineData sample;
    sample.SetValue(dcPower, watts);
    return sample;
}

// Samples 1..count after the empty sample 0, power 100 each.
void AppendSteady(TKLTOnlineDatas& datas, int count) {
    for (int i = 0; i < count; ++i) {
        datas.Append(Measured(100));
    }
}

TEST(KLTOnlineDatas, ANewRunHoldsOnlyAnEmptySampleZero) {
    TKLTOnlineDatas datas;
    EXPECT_EQ(datas.LastIndex(), 0);
    EXPECT_EQ(datas.Count(), 1);
    ASSERT_TRUE(datas.Sample(0));
    EXPECT_EQ(datas.Sample(0)->Power(), 0);
    EXPECT_FALSE(datas.Sample(-1));
    EXPECT_FALSE(datas.Sample(1));
    EXPECT_FALSE(datas.SetPower(1, 50));
    EXPECT_FALSE(datas.SetBrakeOffset(-1, 50));
    EXPECT_EQ(datas.WindowMean(TOnlineChannel::Power, 7), 0);
    EXPECT_EQ(datas.MeanOver(TOnlineChannel::Power, -1, 3), 0);
}

TEST(KLTOnlineDatas, ChangingASampleInTheMiddleCarriesTheDifferenceIntoEveryLaterSum) {
    TKLTOnlineDatas datas;
    AppendSteady(datas, 10);
    ASSERT_TRUE(datas.SetPower(5, 120));
    for (int i = 0; i <= 10; ++i) {
        const int64_t expected = 100 * i + (i >= 5 ? 20 : 0);
        EXPECT_EQ(datas.Sample(i)->PowerSum, expected) << "sample " << i;
    }
    // Set values are clamped to what the sample holds, and the sums follow the stored value.
    ASSERT_TRUE(datas.SetCadence(10, 300));
    EXPECT_EQ(datas.Sample(10)->Cadence(), 255);
    EXPECT_EQ(datas.Sample(10)->CadenceSum, 255);
    ASSERT_TRUE(datas.SetBrakeOffset(10, -5));
    EXPECT_EQ(datas.Sample(10)->BrakeOffset, 0);
}

TEST(KLTOnlineDatas, APutSampleHasItsSumsComputedWhateverItCarries) {
    TKLTOnlineDatas datas;
    AppendSteady(datas, 3);
    TKLTOnlineData put = Measured(200);
    put.PowerSum = 999'999;
    put.SetPower = 150;
    put.SetPowerSum = -7;
    ASSERT_TRUE(datas.PutSample(2, put));
    EXPECT_EQ(datas.Sample(2)->PowerSum, 300);
    EXPECT_EQ(datas.Sample(3)->PowerSum, 400);
    EXPECT_EQ(datas.Sample(3)->SetPowerSum, 150);
    ASSERT_TRUE(datas.PutSample(4, put)); // the next index appends
    EXPECT_EQ(datas.LastIndex(), 4);
    EXPECT_FALSE(datas.PutSample(6, put));
    EXPECT_EQ(datas.LastIndex(), 4);
}

TEST(KLTOnlineDatas, AnAppendedSampleInheritsTheTargetInForce) {
    TKLTOnlineDatas datas;
    ASSERT_TRUE(datas.SetSetPower(0, 180));
    TKLTOnlineData reading = Measured(150);
    reading.SetPower = 999;
    const int index = datas.Append(reading);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(datas.Sample(1)->SetPower, 180);
    EXPECT_EQ(datas.Sample(1)->SetPowerSum, 360);
    EXPECT_EQ(datas.Sample(1)->Power(), 150);
}

TEST(KLTOnlineDatas, WindowMeansLeaveOutTheSampleBeforeTheWindow) {
    TKLTOnlineDatas datas;
    ASSERT_TRUE(datas.SetPower(0, 1000)); // never part of a window past sample 0
    for (int watts : {90, 120, 150, 200}) {
        datas.Append(Measured(watts));
    }
    EXPECT_EQ(datas.WindowMean(TOnlineChannel::Power, 0), 1000);
    EXPECT_EQ(datas.WindowMean(TOnlineChannel::Power, 3), 120); // samples 1..3
    datas.SetWindow(2);
    EXPECT_EQ(datas.WindowMean(TOnlineChannel::Power, 4), 175);
    datas.SetWindow(0); // a window of nothing is one sample, never a division by zero
    EXPECT_EQ(datas.Window(), 1);
    EXPECT_EQ(datas.WindowMean(TOnlineChannel::Power, 4), 200);
    // The last k samples, as far as there are samples.
    EXPECT_EQ(datas.MeanOver(TOnlineChannel::Power, 4, 2), 175);
    EXPECT_EQ(datas.MeanOver(TOnlineChannel::Power, 4, 0), 200);
    EXPECT_EQ(datas.MeanOver(TOnlineChannel::Power, 1, 10), 545);
}

TEST(KLTOnlineDatas, SpeedAndVarianceMeansAreShownInTheirUnits) {
    TKLTOnlineDatas datas;
    TKLTOnlineData sample;
    sample.SetValue(dcSpeed, 10'000);
    sample.HeartRateVariance = 125;
    ASSERT_TRUE(datas.PutSample(0, sample));
    EXPECT_DOUBLE_EQ(datas.WindowMeanSpeed(0, 0), 36.0);
    EXPECT_DOUBLE_EQ(datas.WindowMeanSpeed(0, 1), 10.0);
    EXPECT_DOUBLE_EQ(datas.WindowMeanSpeed(0, 2), 36.0 / 1.61);
    EXPECT_DOUBLE_EQ(datas.WindowMeanSpeed(0, 3), 10.0 / 60.0);
    EXPECT_DOUBLE_EQ(datas.WindowMeanSpeed(0, 4), 0.0);
    EXPECT_EQ(datas.WindowMeanHeartRateVariance(0), 13);
}

TEST(KLTOnlineDatas, IndexAtTimeFindsTheSampleInForce) {
    constexpr double kHalfSecond = 500.0 / 86'400'000.0;
    TKLTOnlineDatas datas;
    for (int i = 1; i <= 6; ++i) {
        TKLTOnlineData sample;
        // Sample 4 came without a time; sample 5 came late.
        sample.ElapsedTime = i == 4 ? 0.0 : (i + (i == 5 ? 0.6 : 0.0)) * kHalfSecond;
        datas.Append(sample);
    }
    EXPECT_EQ(datas.IndexAtTime(0.0), 0);
    EXPECT_EQ(datas.IndexAtTime(2.5 * kHalfSecond), 2);
    EXPECT_EQ(datas.IndexAtTime(4.1 * kHalfSecond), 3);
    EXPECT_EQ(datas.IndexAtTime(5.2 * kHalfSecond), 3);
    EXPECT_EQ(datas.IndexAtTime(5.7 * kHalfSecond), 5);
    EXPECT_EQ(datas.IndexAtTime(100.0 * kHalfSecond), 6);
    EXPECT_EQ(datas.IndexAtTime(-kHalfSecond), -1);
}

TEST(KLTOnlineDatas, ARunLongerThanTheReservedHalfHourKeepsItsSums) {
    TKLTOnlineDatas datas;
    AppendSteady(datas, TKLTOnlineDatas::kHalfHourSlots + 500);
    const int last = datas.LastIndex();
    EXPECT_EQ(last, TKLTOnlineDatas::kHalfHourSlots + 500);
    EXPECT_EQ(datas.Sample(last)->PowerSum, 100 * last);
    ASSERT_TRUE(datas.SetPower(1, 0));
    EXPECT_EQ(datas.Sample(last)->PowerSum, 100 * last - 100);
    datas.Resize(10); // never drops samples
    EXPECT_EQ(datas.LastIndex(), last);
    datas.Reset();
    EXPECT_EQ(datas.LastIndex(), 0);
    EXPECT_EQ(datas.Sample(0)->PowerSum, 0);
}

} // namespace
} // namespace klt
