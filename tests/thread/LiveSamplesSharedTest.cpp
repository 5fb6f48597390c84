// The live samples shared by the window, which appends, and the head-unit thread, whose brake step
// reads the latest samples and stores its offset: no sample or sum is lost or torn.
#include <gtest/gtest.h>

#include <thread>

#include "online/KLTOnlineData.h"

namespace klt {
namespace {

TEST(LiveSamplesShared, AppendingWhileTheBrakeStepReadsAndWritesKeepsEverySum) {
    constexpr int kSamples = 2000;
    TKLTOnlineDatas datas;
    std::thread brake([&] {
        for (int step = 0; step < kSamples; ++step) {
            const int last = datas.LastIndex();
            std::optional<TKLTOnlineData> sample = datas.Sample(last);
            ASSERT_TRUE(sample);
            EXPECT_EQ(sample->PowerSum, 100LL * last);
            datas.MeanOver(TOnlineChannel::Power, last, 4);
            datas.SetBrakeOffset(last, 32768 + step % 100);
        }
    });
    for (int i = 0; i < kSamples; ++i) {
        TKLTOnlineData reading;
        reading.SetValue(dcPower, 100);
        datas.Append(reading);
        datas.WindowMean(TOnlineChannel::Power, datas.LastIndex());
    }
    brake.join();
    EXPECT_EQ(datas.LastIndex(), kSamples);
    EXPECT_EQ(datas.Sample(kSamples)->PowerSum, 100LL * kSamples);
}

TEST(LiveSamplesShared, ATargetSetWhileSamplesArriveHoldsForEverySampleAfterIt) {
    constexpr int kTargets = 2000;
    TKLTOnlineDatas datas;
    std::thread brake([&] {
        for (int target = 1; target <= kTargets; ++target) {
            datas.SetSetPowerOfLast(target);
        }
    });
    for (int i = 0; i < kTargets; ++i) {
        datas.Append(TKLTOnlineData());
    }
    brake.join();
    // Targets only rise, so no sample may hold a lower one than the sample before it.
    int previous = 0;
    for (int i = 0; i <= datas.LastIndex(); ++i) {
        const int target = datas.Sample(i)->SetPower;
        ASSERT_GE(target, previous) << "sample " << i;
        previous = target;
    }
    EXPECT_EQ(previous, kTargets);
}

} // namespace
} // namespace klt
