#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

#include "analysis/RatioData.h"
#include "analysis/RatioDataChartOptionSet.h"
#include "tests/support/MemoryTraining.h"

namespace klt {
namespace {

struct TValues {
    int watts = 0;
    int bpm = 0;
    int rpm = 0;
    int speed = 0; // mm/s
};

// A one-second training of these samples, with pauses where `blocks` say.
void Fill(TKLTFile& file, const std::vector<TValues>& values, std::vector<TKLTBlock> blocks = {}) {
    test::FillTraining(file, static_cast<int>(values.size()), std::move(blocks));
    for (size_t i = 0; i < values.size(); ++i) {
        const TValues& v = values[i];
        file.Sample(static_cast<int>(i) + 1).Set(v.watts * 8, v.rpm * 32, v.bpm * 64, v.speed, 0, 0);
    }
}

TRatioData Filled(const TKLTFile& file, TRatioChannel key, int smooting = 0, int speedUnit = 0) {
    TRatioData data(key);
    data.Fill(file, 1, file.SampleCount(), smooting, speedUnit);
    return data;
}

TEST(RatioData, CountsEachSampleUnderItsKeyWithTheOtherChannelsMeans) {
    TKLTFile file;
    Fill(file, {{100, 120, 80, 5000}, {100, 130, 90, 5000}, {150, 140, 100, 10000}, {199, 150, 70, 0}});
    const TRatioData power = Filled(file, rcPower);
    EXPECT_EQ(power.TotalSamples(), 4);
    EXPECT_EQ(power.Samples(100, 100), 2);
    EXPECT_EQ(power.Samples(100, 199), 4);
    EXPECT_EQ(power.Samples(101, 149), 0);
    EXPECT_EQ(power.Samples(150, 100), 0); // reversed range
    EXPECT_EQ(power.Time(100, 150), 3);
    EXPECT_EQ(power.Mean(100, 100, rcHeartRate), 125);
    EXPECT_EQ(power.Mean(100, 100, rcSpeed), 18); // 5000 mm/s is 18 km/h
    EXPECT_EQ(power.Mean(101, 149, rcCadence), 0);
    EXPECT_FALSE(power.MeanValue(101, 149, rcCadence));
    EXPECT_FALSE(power.MeanValue(0, 4095, rcPower)); // the key has no mean of its own
    // Means weigh every sample: three samples at 90 rpm and one at 70 do not average to 80.
    TKLTFile uneven;
    Fill(uneven, {{100, 0, 90, 0}, {100, 0, 90, 0}, {100, 0, 90, 0}, {110, 0, 70, 0}});
    EXPECT_EQ(Filled(uneven, rcPower).Mean(100, 110, rcCadence), 85);
    // Ranges outside the table are cut to it.
    EXPECT_EQ(power.Samples(-50, 100000), 4);

    const TRatioData cadence = Filled(file, rcCadence);
    EXPECT_EQ(cadence.Samples(70, 70), 1);
    EXPECT_EQ(cadence.Mean(80, 100, rcPower), 117); // (100 + 100 + 150) / 3
    const TRatioData speed = Filled(file, rcSpeed);
    EXPECT_EQ(speed.Samples(18, 18), 2);
    EXPECT_EQ(speed.Samples(36, 36), 1);
    EXPECT_EQ(speed.Samples(0, 0), 1);
}

TEST(RatioData, HeartRatesOfTwentyAndBelowAreNoPulse) {
    TKLTFile file;
    Fill(file, {{100, 0, 90, 0}, {100, 20, 90, 0}, {100, 21, 90, 0}, {200, 160, 90, 0}});
    const TRatioData heartRate = Filled(file, rcHeartRate);
    EXPECT_EQ(heartRate.TotalSamples(), 2);
    EXPECT_EQ(heartRate.Samples(0, 20), 0);
    EXPECT_EQ(heartRate.Samples(21, 21), 1);
    const TRatioData power = Filled(file, rcPower);
    EXPECT_EQ(power.Samples(100, 100), 3); // the time still counts
    EXPECT_EQ(power.Mean(100, 100, rcHeartRate), 21);
    EXPECT_EQ(power.Mean(100, 200, rcHeartRate), 91); // (21 + 160) / 2
}

TEST(RatioData, SmoothsTheKeyWithinEachStretchWithoutAPause) {
    TKLTFile file;
    Fill(file, {{100}, {200}, {300}, {400}});
    // Less than two recording intervals counts the raw values.
    for (const int seconds : {-5, 0, 1}) {
        const TRatioData raw = Filled(file, rcPower, seconds);
        EXPECT_EQ(raw.Samples(100, 100), 1) << seconds;
        EXPECT_EQ(raw.Samples(400, 400), 1) << seconds;
    }
    // Two seconds: the sample and the next one; the last has no next.
    const TRatioData two = Filled(file, rcPower, 2);
    EXPECT_EQ(two.Samples(150, 150), 1);
    EXPECT_EQ(two.Samples(250, 250), 1);
    EXPECT_EQ(two.Samples(350, 350), 1);
    EXPECT_EQ(two.Samples(400, 400), 1);

    // A pause after the second sample: the stretches are never averaged together.
    TKLTFile paused;
    Fill(paused, {{100}, {100}, {300}, {300}}, {{3600000, 2}, {3700000, 2}});
    const TRatioData smoothed = Filled(paused, rcPower, 10);
    EXPECT_EQ(smoothed.Samples(100, 100), 2);
    EXPECT_EQ(smoothed.Samples(300, 300), 2);
    // The pause also holds inside a marker that starts after the first sample.
    TRatioData inner(rcPower);
    inner.Fill(paused, 2, 4, 10, 0);
    EXPECT_EQ(inner.Samples(100, 100), 1);
    EXPECT_EQ(inner.Samples(300, 300), 2);
    // Hostile smoothing times stay within the samples.
    EXPECT_EQ(Filled(paused, rcPower, std::numeric_limits<int>::max()).TotalSamples(), 4);
}

TEST(RatioData, SmoothedKeysAreTheRoundedMeansOfWindowsCutAtPauses) {
    // Two stretches long enough for whole windows inside and cut ones at either end.
    const int firstStretch = 9, samples = 16;
    std::vector<TValues> values;
    for (int i = 0; i < samples; ++i) {
        values.push_back({100 + i * i * 7 % 61, 0, 0, 1000 + i * 37 % 500});
    }
    TKLTFile file;
    Fill(file, values, {{3600000, firstStretch}, {3700000, samples - firstStretch}});
    for (const TRatioChannel key : {rcPower, rcSpeed}) {
        for (const int seconds : {4, 5}) {
            const int half = (seconds + 1) / 2;
            std::vector<int> expected(kRatioBins);
            for (int i = 0; i < samples; ++i) {
                const int start = i < firstStretch ? 0 : firstStretch, end = i < firstStretch ? firstStretch : samples;
                const int lo = std::max(start, i - half + 1), hi = std::min(end, i + half + 1);
                int sum = 0;
                for (int k = lo; k < hi; ++k) {
                    const TSampleElement& sample = file.Sample(k + 1); // speed as stored
                    sum += key == rcPower ? sample.StoredPower() : sample.Speed();
                }
                const int mean = (sum + (hi - lo) / 2) / (hi - lo);
                ++expected[static_cast<size_t>(
                    key == rcPower ? mean : static_cast<int>(mean * RatioDisplayFactor(rcSpeed, 0) + 0.5))];
            }
            const TRatioData table = Filled(file, key, seconds);
            EXPECT_EQ(table.TotalSamples(), samples);
            for (int bin = 0; bin < kRatioBins; ++bin) {
                EXPECT_EQ(table.Samples(bin, bin), expected[static_cast<size_t>(bin)])
                    << "key " << key << ", " << seconds << " s, bin " << bin;
            }
        }
    }
}

TEST(RatioData, PowerBeyondTheMeterIsADropoutAndSpeedFollowsItsUnit) {
    TKLTFile file;
    Fill(file, {{0, 0, 0, 10000}, {4095, 0, 0, 10000}});
    file.Sample(1).bytes[0] = 5000 & 0xFF; // a stored 5000 W, which no setter writes
    file.Sample(1).bytes[1] = 5000 >> 8;
    const TRatioData power = Filled(file, rcPower);
    EXPECT_EQ(power.Samples(0, 0), 1);
    EXPECT_EQ(power.Samples(4095, 4095), 1);
    EXPECT_EQ(Filled(file, rcSpeed, 0, 0).Samples(36, 36), 2); // km/h
    EXPECT_EQ(Filled(file, rcSpeed, 0, 1).Samples(10, 10), 2); // m/s
    EXPECT_EQ(Filled(file, rcSpeed, 0, 2).Samples(22, 22), 2); // mph
    EXPECT_EQ(Filled(file, rcSpeed, 0, 99).Samples(36, 36), 2); // an unknown unit is the first
}

TEST(RatioData, OneSampleCountsAsItIsAndNoSamplesGiveAnEmptyTable) {
    TKLTFile file;
    Fill(file, {{100, 120, 90, 1000}, {200, 130, 95, 1000}});
    TRatioData data = Filled(file, rcPower);
    ASSERT_EQ(data.TotalSamples(), 2);
    data.Fill(file, 2, 2, 10, 0); // smoothing over 10 s has only the sample itself
    EXPECT_EQ(data.TotalSamples(), 1);
    EXPECT_EQ(data.Samples(200, 200), 1);
    EXPECT_EQ(data.Mean(200, 200, rcHeartRate), 130);
    data.Fill(file, 2, 1, 10, 0);
    EXPECT_EQ(data.TotalSamples(), 0);
    TKLTFile empty;
    data.Fill(empty, 1, 0, 10, 0);
    EXPECT_EQ(data.TotalSamples(), 0);
    TKLTRatioDataChartOptionSet options;
    for (const TRatioClass& c : data.Classes(options.PowerSkala)) {
        EXPECT_EQ(c.samples, 0);
        EXPECT_EQ(c.percent, 0.0);
        EXPECT_FALSE(c.means[rcHeartRate]);
    }
    // A new key starts afresh.
    TRatioData keyed = Filled(file, rcPower);
    keyed.SetKey(rcCadence);
    EXPECT_EQ(keyed.Key(), rcCadence);
    EXPECT_EQ(keyed.TotalSamples(), 0);
}

TEST(RatioData, ClassesCoverTheKeyScaleInWidthSteps) {
    TKLTFile file;
    Fill(file, {{5, 100}, {54, 110}, {55, 120}, {399, 130}, {400, 140}, {401, 150}, {3, 160}, {200, 170}});
    const TRatioData data = Filled(file, rcPower);
    TKLTRatioDataChartOptionSet options; // power 5 .. 400 W in classes of 50
    const std::vector<TRatioClass> classes = data.Classes(options.PowerSkala);
    ASSERT_EQ(classes.size(), 8u);
    EXPECT_EQ(classes[0].from, 5);
    EXPECT_EQ(classes[0].to, 55);
    EXPECT_EQ(classes[0].samples, 2);
    EXPECT_DOUBLE_EQ(classes[0].percent, 25.0);
    EXPECT_EQ(classes[0].means[rcHeartRate], 105);
    EXPECT_FALSE(classes[0].means[rcPower]);
    EXPECT_EQ(classes[1].from, 55);
    EXPECT_EQ(classes[1].samples, 1);
    EXPECT_EQ(classes[2].samples, 0);
    EXPECT_FALSE(classes[2].means[rcHeartRate]); // no time, no mean
    EXPECT_EQ(classes[2].seconds, 0);
    // The last class ends with the scale: 400 W counts, 401 W and 3 W are in no class.
    EXPECT_EQ(classes[7].from, 355);
    EXPECT_EQ(classes[7].to, 401);
    EXPECT_EQ(classes[7].samples, 2);
    EXPECT_EQ(classes[7].seconds, 2);
    EXPECT_DOUBLE_EQ(classes[7].percent, 25.0);

    // Rounding down: the last class is wider.
    options.PowerSkala.Skala.SetDisplayRange(true, 420, 0);
    const std::vector<TRatioClass> wide = data.Classes(options.PowerSkala);
    ASSERT_EQ(wide.size(), 8u);
    EXPECT_EQ(wide[7].from, 350);
    EXPECT_EQ(wide[7].to, 421);
    // A class wider than the scale leaves one class.
    options.PowerSkala.MergeFct = 5000;
    EXPECT_EQ(data.Classes(options.PowerSkala).size(), 1u);
}

TEST(RatioData, SettingsFromAProfileNeverBreakTheClasses) {
    TKLTFile file;
    Fill(file, {{100}, {200}});
    const TRatioData data = Filled(file, rcPower);
    TKLTRatioDataChartOptionSet options;
    for (const int width : {0, -50, std::numeric_limits<int>::min()}) {
        options.PowerSkala.MergeFct = width;
        EXPECT_TRUE(data.Classes(options.PowerSkala).empty()) << width;
    }
    options.PowerSkala.MergeFct = 1;
    EXPECT_EQ(data.Classes(options.PowerSkala).size(), 395u);
    options.PowerSkala.MergeFct = std::numeric_limits<int>::max();
    EXPECT_EQ(data.Classes(options.PowerSkala).size(), 1u);

    // Scale ends that are no number, reversed, or far beyond the table.
    TMesswertSkala hostile; // a scale without a kind takes any value
    for (const auto& [offset, width] : std::vector<std::pair<double, double>>{
             {std::numeric_limits<double>::quiet_NaN(), 100.0},
             {3200.0, -800.0},
             {-1e300, 1e300},
             {std::numeric_limits<double>::infinity(), 1.0}}) {
        hostile.SetOffset(offset);
        hostile.SetBereich(width);
        options.PowerSkala.Skala.Assign(hostile);
        options.PowerSkala.MergeFct = 50;
        for (const TRatioClass& c : data.Classes(options.PowerSkala)) {
            EXPECT_LE(c.from, c.to);
            EXPECT_LE(c.to, kRatioBins);
        }
    }
}

} // namespace
} // namespace klt
