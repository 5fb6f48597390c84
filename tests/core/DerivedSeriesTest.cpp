#include <gtest/gtest.h>

#include <random>

#include "core/KLTFile.h"
#include "tests/support/MemoryTraining.h"

namespace klt {
namespace {

int NaiveAverage(const TKLTFile& file, int window, int index) {
    const int h = window / file.Interval();
    const int first = std::max(1, index - h / 2);
    const int last = std::min(file.SampleCount(), index + (h - h / 2));
    int64_t sum = 0;
    for (int i = first; i <= last; ++i) {
        sum += file.Sample(i).Power();
    }
    return static_cast<int>(sum / (last - first + 1));
}

TEST(DerivedSeries, MovingAverageMatchesAFreshSumInAnyOrder) {
    TKLTFile file;
    test::FillTraining(file, 300);
    std::mt19937 random(3);
    for (int i = 1; i <= 300; ++i) {
        ASSERT_EQ(file.MovingAverage(1, 3000, i), NaiveAverage(file, 3000, i)) << i;
    }
    for (int n = 0; n < 200; ++n) { // jumps back and forth, window changes
        const int index = static_cast<int>(random() % 300) + 1;
        const int window = n % 3 == 0 ? 1000 : 3000;
        ASSERT_EQ(file.MovingAverage(1, window, index), NaiveAverage(file, window, index)) << index;
    }
    EXPECT_EQ(file.MovingAverage(3, 0, 7), file.Sample(7).HeartRate());

    for (int kind = 1; kind <= 6; ++kind) { // the whole series in one pass gives the same
        for (const int window : {0, 50, 100, 2000}) { // windows under two samples are the raw values
            const std::vector<int> series = file.MovingAverages(kind, window);
            for (int i = 1; i <= 300; i += 7) {
                ASSERT_EQ(series[static_cast<size_t>(i - 1)], file.MovingAverage(kind, window, i))
                    << kind << " " << window << " " << i;
            }
        }
    }
}

TEST(DerivedSeries, MovingAverageOutsideTheSamplesIsThatOfTheNearestSample) {
    TKLTFile file;
    test::FillTraining(file, 30);
    const int atEnd = NaiveAverage(file, 200, 30);
    for (const int index : {31, 32, 33, 1000, 2147483647}) {
        EXPECT_EQ(file.MovingAverage(1, 200, index), atEnd) << index;
    }
    const int atStart = NaiveAverage(file, 200, 1);
    for (const int index : {0, -5, -2147483647 - 1}) {
        EXPECT_EQ(file.MovingAverage(1, 200, index), atStart) << index;
    }
    EXPECT_EQ(file.MovingAverage(1, 2147483647, 15), NaiveAverage(file, 10000, 15)); // the whole file
    EXPECT_EQ(file.MovingAverage(1, -300, 15), file.Sample(15).Power()); // no window: the sample itself
    TKLTFile empty;
    EXPECT_EQ(empty.MovingAverage(1, 200, 5), 0);
}

TEST(DerivedSeries, CumulativeAmountsAndTheirInverse) {
    TKLTFile file;
    test::FillTraining(file, 10); // speed 32 * i mm/s, power 8 * i, one-second interval
    EXPECT_EQ(file.CumulativeDistance(3, true), 100 * 32 * (1 + 2 + 3));
    EXPECT_EQ(file.CumulativeDistance(3, false), 100 * 32 * (1 + 2));
    EXPECT_EQ(file.CumulativeDistance(0, true), 100 * 32);
    EXPECT_EQ(file.CumulativeDistance(99, true), 100 * 32 * 55);
    EXPECT_EQ(file.CumulativeWork(2, true), 100 * 8 * 3);

    // Half of a sample's value decides whether the distance reaches it.
    EXPECT_EQ(file.IndexAtDistance(0, false), 1);
    EXPECT_EQ(file.IndexAtDistance(100 * 32 * 1, false), 2);
    EXPECT_EQ(file.IndexAtDistance(100 * (32 + 32), false), 3);   // b = 64: 64 - 32 = 32 >= 32
    EXPECT_EQ(file.IndexAtDistance(100 * (32 + 31), false), 2);   // 31 < half of 64
    EXPECT_EQ(file.IndexAtDistance(100 * (32 + 96), true), 3);    // strict: 96 >= 3 * 32
    EXPECT_EQ(file.IndexAtDistance(100 * (32 + 95), true), 2);
    EXPECT_EQ(file.IndexAtWork(int64_t{100} * 8 * 55 * 2, false), 10); // never beyond the last sample
}

// Heart rate follows power exactly, 30 s late: the fit must find the line and the delay.
TEST(HeartRateRegression, FindsTheLineAndTheDelay) {
    TKLTFile file;
    test::FillTraining(file, 1200);
    auto power = [](int i) { return 100 + (i / 60 % 4) * 50; }; // watts, in steps
    for (int i = 1; i <= 1200; ++i) {
        const int heartRate = 60 + power(std::max(1, i - 30)) / 5; // bpm
        file.Sample(i).Set(8 * power(i), 32 * 90, 64 * heartRate, 8000, 0, 0);
    }
    file.Normalise();
    THeartRateFitParameters parameters{1000, 0, 6000, 500};
    const std::optional<THeartRateFit> fit = file.HeartRateRegression(0, parameters);
    ASSERT_TRUE(fit);
    EXPECT_EQ(fit->delay, 3000);
    EXPECT_NEAR(fit->rSquared, 1.0, 1e-9);
    EXPECT_NEAR(fit->slope, 64.0 / 5 / 8, 1e-9); // raw heart rate per raw power
    EXPECT_NEAR(fit->intercept, 64.0 * 60, 1e-6);
    EXPECT_EQ(fit->averagingSamples, 10);

    // Cached for the same parameters, recomputed (and cancellable) for others.
    int asked = 0;
    EXPECT_TRUE(file.HeartRateRegression(0, parameters, [&] { return ++asked > 0; }));
    EXPECT_EQ(asked, 0);
    parameters.maxDelay = 3000;
    EXPECT_FALSE(file.HeartRateRegression(0, parameters, [&] { return ++asked > 2; }));
}

TEST(HeartRateRegression, ImplausibleHeartRatesAreLeftOut) {
    TKLTFile file;
    test::FillTraining(file, 200);
    for (int i = 1; i <= 200; ++i) {
        const int watts = 100 + i % 50;
        file.Sample(i).Set(8 * watts, 0, 64 * (i % 10 == 0 ? 0 : 50 + watts / 2), 0, 0, 0);
    }
    const auto fit = FitHeartRateOverPower(file, 1, 200, {500, 0, 0, 100}, {});
    ASSERT_TRUE(fit);
    // Windows of 5 samples containing a dropout (every 10th) produce no pair.
    EXPECT_EQ(fit->count, 196 - 5 * 20 + 4);
    EXPECT_GT(fit->rSquared, 0.9);
}

} // namespace
} // namespace klt
