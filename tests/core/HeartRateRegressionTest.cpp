#include <gtest/gtest.h>

#include <cmath>

#include "core/KLTFile.h"
#include "tests/support/AnalysisRides.h"
#include "tests/support/MemoryTraining.h"

namespace klt {
namespace {

void ExpectNoLine(const std::optional<THeartRateFit>& fit) {
    ASSERT_TRUE(fit);
    EXPECT_FALSE(fit->HasLine());
    EXPECT_EQ(fit->rSquared, -1);
    for (const double value : {fit->slope, fit->intercept, fit->meanPower, fit->meanHeartRate}) {
        EXPECT_TRUE(std::isfinite(value));
    }
}

TEST(HeartRateFit, FindsSlopeInterceptAndDelayOfARide) {
    TKLTFile file;
    test::FillLineRide(file, {0.25, 60, 30, 3600});
    const auto fit = FitHeartRateOverPower(file, 1, 3600, THeartRateFitParameters{}, {});
    ASSERT_TRUE(fit);
    EXPECT_EQ(fit->delay, 3000);
    EXPECT_NEAR(fit->rSquared, 1.0, 1e-9);
    EXPECT_NEAR(fit->slope * 8 / 64, 0.25, 1e-9); // bpm per W
    EXPECT_NEAR(fit->intercept / 64, 60, 1e-6);
    EXPECT_EQ(fit->averagingSamples, 240);
    EXPECT_EQ(fit->count, 3600 - 240 + 1 - 30);
}

TEST(HeartRateFit, PairsAreThoseTheFitUsed) {
    TKLTFile file;
    test::FillLineRide(file, {0.5, 50, 10, 1200});
    const auto fit = FitHeartRateOverPower(file, 1, 1200, {3000, 0, 2000, 500}, {});
    ASSERT_TRUE(fit);
    ASSERT_EQ(fit->delay, 1000);
    const std::vector<THeartRatePair> pairs = HeartRatePairs(file, 1, 1200, 3000, fit->delay);
    ASSERT_EQ(static_cast<int64_t>(pairs.size()), fit->count);
    double power = 0;
    for (const THeartRatePair& pair : pairs) {
        power += pair.power;
        EXPECT_NEAR(pair.heartRate, fit->slope * pair.power + fit->intercept, 1e-6);
    }
    EXPECT_NEAR(power / double(pairs.size()), fit->meanPower, 1e-6);
    // One-second pairs without delay are the samples themselves.
    const auto seconds = HeartRatePairs(file, 5, 9, 100, 0);
    ASSERT_EQ(seconds.size(), 5u);
    EXPECT_EQ(seconds[0].power, file.Sample(5).Power());
    EXPECT_EQ(seconds[4].heartRate, file.Sample(9).HeartRate());
}

// The least-squares line through pairs, worked out plainly.
struct TPlainLine {
    double slope = 0, intercept = 0, rSquared = 0;
};

TPlainLine PlainLine(const std::vector<THeartRatePair>& pairs) {
    const double n = static_cast<double>(pairs.size());
    double meanX = 0, meanY = 0;
    for (const THeartRatePair& pair : pairs) {
        meanX += pair.power / n;
        meanY += pair.heartRate / n;
    }
    double sxx = 0, sxy = 0, syy = 0;
    for (const THeartRatePair& pair : pairs) {
        sxx += (pair.power - meanX) * (pair.power - meanX);
        sxy += (pair.power - meanX) * (pair.heartRate - meanY);
        syy += (pair.heartRate - meanY) * (pair.heartRate - meanY);
    }
    return {sxy / sxx, meanY - sxy / sxx * meanX, sxy * sxy / (sxx * syy)};
}

TEST(HeartRateFit, LineIsThatOfItsPairsWhateverShareOfWindowsIsPlausible) {
    // A heart rate mostly present, present for half the ride, and present only at its start.
    for (const int pulseUpTo : {600, 300, 90}) {
        TKLTFile file;
        test::FillTraining(file, 600);
        for (int i = 1; i <= 600; ++i) {
            const int watts = 100 + i * 37 % 90;
            const bool pulse = i <= pulseUpTo && i % 13 != 0;
            file.Sample(i).Set(8 * watts, 0, pulse ? 64 * (60 + watts / 3) + i % 5 : 0, 0, 0, 0);
        }
        for (const int delay : {0, 300, 1100}) {
            const auto fit = FitHeartRateOverPower(file, 1, 600, {500, delay, delay, 100}, {});
            const std::vector<THeartRatePair> pairs = HeartRatePairs(file, 1, 600, 500, delay);
            ASSERT_TRUE(fit && fit->HasLine()) << pulseUpTo << " " << delay;
            ASSERT_EQ(fit->count, static_cast<int64_t>(pairs.size()));
            const TPlainLine plain = PlainLine(pairs);
            EXPECT_NEAR(fit->slope, plain.slope, 1e-9 * std::abs(plain.slope)) << pulseUpTo << " " << delay;
            EXPECT_NEAR(fit->intercept, plain.intercept, 1e-9 * std::abs(plain.intercept));
            EXPECT_NEAR(fit->rSquared, plain.rSquared, 1e-9);
        }
    }
}

TEST(HeartRateFit, NoLineWithoutPairsOrWithoutVariation) {
    TKLTFile file;
    test::FillTraining(file, 600);
    // No pairs: the marker is shorter than the averaging window.
    ExpectNoLine(FitHeartRateOverPower(file, 1, 100, {24000, 0, 0, 0}, {}));
    // No pairs: no transmitter.
    for (int i = 1; i <= 600; ++i) {
        file.Sample(i).Set(8 * (100 + i % 50), 0, 0, 0, 0, 0);
    }
    ExpectNoLine(FitHeartRateOverPower(file, 1, 600, {1000, 0, 0, 0}, {}));
    // The same power all the time, heart rate varying.
    for (int i = 1; i <= 600; ++i) {
        file.Sample(i).Set(8 * 173, 0, 64 * 120 + i % 7, 0, 0, 0);
    }
    ExpectNoLine(FitHeartRateOverPower(file, 1, 600, {1000, 0, 0, 0}, {}));
    // The same heart rate all the time, power varying.
    for (int i = 1; i <= 600; ++i) {
        file.Sample(i).Set(8 * (100 + i % 50), 0, 64 * 133 + 17, 0, 0, 0);
    }
    ExpectNoLine(FitHeartRateOverPower(file, 1, 600, {1000, 0, 6000, 200}, {}));
}

TEST(HeartRateFit, DelaysAreTriedInSecondsAtLeastAndAtLeastOnce) {
    TKLTFile file;
    test::FillLineRide(file, {0.25, 60, 7, 900});
    int delays = 0;
    const auto fit = FitHeartRateOverPower(file, 1, 900, {1000, 0, 1000, 0}, [&] { return ++delays > 100; });
    ASSERT_TRUE(fit) << "ended after " << delays << " delays";
    EXPECT_EQ(delays, 11); // 0, 1, ... 10 s
    EXPECT_EQ(fit->delay, 700);
    // A largest delay below the smallest tries the smallest rather than nothing.
    const auto reversed = FitHeartRateOverPower(file, 1, 900, {1000, 700, 0, 200}, {});
    ASSERT_TRUE(reversed && reversed->HasLine());
    EXPECT_EQ(reversed->delay, 700);
}

TEST(HeartRateFit, EditedSamplesAreFittedAfresh) {
    TKLTFile file;
    test::FillLineRide(file, {0.25, 60, 0, 900});
    const THeartRateFitParameters parameters{1000, 0, 0, 0};
    ASSERT_NEAR(file.HeartRateRegression(0, parameters)->slope * 8 / 64, 0.25, 1e-9);
    for (int i = 1; i <= 900; ++i) {
        TSampleElement& s = file.Sample(i);
        s.Set(s.Power(), s.Cadence(), 64 * 40 + 4 * s.Power(), s.Speed(), s.Altitude(), s.Temperature()); // 0.5 bpm/W
    }
    file.SamplesEdited();
    EXPECT_NEAR(file.HeartRateRegression(0, parameters)->slope, 4.0, 1e-9);
}

} // namespace
} // namespace klt
