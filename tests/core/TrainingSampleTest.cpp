#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/NumberFormat.h"
#include "core/TrainingSample.h"

namespace klt {
namespace {

constexpr TDataUnits kMetric{};
constexpr TDataUnits kImperial{2, 1, 1};

TEST(TrainingSample, ChannelsByIndexWithinWhatAFileHolds) {
    TData d;
    for (int channel = -1; channel <= TData::kChannelCount; ++channel) {
        EXPECT_EQ(d.Value(channel), 0) << channel;
    }
    d.SetValue(TData::kChannelCount, 77); // ignored, as is a negative index
    d.SetValue(-1, 77);
    EXPECT_EQ(TData({0, 0, 0, 0, 0, 0}).Value(dcPower), d.Value(dcPower));

    const TData high({70000, 300, 256, 70000, 9000, 40000});
    EXPECT_EQ(high.Value(dcPower), 65535);
    EXPECT_EQ(high.Value(dcHeartRate), 255);
    EXPECT_EQ(high.Value(dcCadence), 255);
    EXPECT_EQ(high.Value(dcSpeed), 65535);
    EXPECT_EQ(high.Value(dcAltitude), 9000);
    EXPECT_EQ(high.Value(dcTemperature), 32767);
    const TData low({-1, -1, -1, -1, -400, -40000});
    EXPECT_EQ(low.Value(dcPower), 0);
    EXPECT_EQ(low.Value(dcSpeed), 0);
    EXPECT_EQ(low.Value(dcAltitude), -400);
    EXPECT_EQ(low.Value(dcTemperature), -32768);
}

TEST(TrainingSample, SpeedInEachUnit) {
    TData d({0, 0, 0, 10000, 0, 0});
    EXPECT_DOUBLE_EQ(d.DisplayValue(dcSpeed, kMetric), 36.0);
    EXPECT_DOUBLE_EQ(d.DisplayValue(dcSpeed, {1, 0, 0}), 10.0);
    EXPECT_NEAR(d.DisplayValue(dcSpeed, {2, 0, 0}), 36.0 / 1.61, 1e-9);
    EXPECT_DOUBLE_EQ(d.DisplayValue(dcSpeed, {7, 0, 0}), 36.0); // unknown unit: km/h
    for (int unit = 0; unit <= 2; ++unit) {
        TData back;
        back.SetDisplayValue(dcSpeed, d.DisplayValue(dcSpeed, {unit, 0, 0}), {unit, 0, 0});
        EXPECT_EQ(back.Value(dcSpeed), 10000) << unit;
    }
    d.SetDisplayValue(dcSpeed, 25.0, kImperial); // mph
    EXPECT_EQ(d.Value(dcSpeed), 11181);
}

TEST(TrainingSample, AltitudeInFeet) {
    TData d({0, 0, 0, 0, 1000, 0});
    EXPECT_EQ(d.DisplayValue(dcAltitude, kMetric), 1000.0);
    EXPECT_EQ(d.DisplayValue(dcAltitude, kImperial), 3281.0);
    d.SetDisplayValue(dcAltitude, 3281, kImperial);
    EXPECT_EQ(d.Value(dcAltitude), 1000);
    d.SetDisplayValue(dcAltitude, -100, kImperial);
    EXPECT_EQ(d.Value(dcAltitude), -30);
}

TEST(TrainingSample, TemperatureInDegrees) {
    TData d;
    d.SetDisplayValue(dcTemperature, 68, kImperial);
    EXPECT_EQ(d.Value(dcTemperature), 200);
    EXPECT_DOUBLE_EQ(d.DisplayValue(dcTemperature, kImperial), 68.0);
    EXPECT_DOUBLE_EQ(d.DisplayValue(dcTemperature, kMetric), 20.0);
    d.SetDisplayValue(dcTemperature, -4, kImperial); // -20 degC
    EXPECT_EQ(d.Value(dcTemperature), -200);
    d.SetDisplayValue(dcTemperature, 21.46, kMetric);
    EXPECT_EQ(d.Value(dcTemperature), 215);
}

TEST(TrainingSample, TextWithOneDecimalForSpeedAndTemperature) {
    TFormatSettingsScope german({",", "."});
    TData d({250, 142, 91, 8333, 1234, 215});
    EXPECT_EQ(d.Text(dcPower, kMetric), "250");
    EXPECT_EQ(d.Text(dcHeartRate, kMetric), "142");
    EXPECT_EQ(d.Text(dcSpeed, kMetric), "30,0");
    EXPECT_EQ(d.Text(dcAltitude, kImperial), "4049");
    EXPECT_EQ(d.Text(dcTemperature, kMetric), "21,5");
    EXPECT_EQ(d.Text(dcTemperature, kImperial), "70,7");
    EXPECT_EQ(d.Text(TData::kChannelCount, kMetric), "0");

    EXPECT_TRUE(d.SetText(dcSpeed, "36,0", kMetric));
    EXPECT_EQ(d.Value(dcSpeed), 10000);
    EXPECT_TRUE(d.SetText(dcAltitude, "-12", kMetric));
    EXPECT_EQ(d.Value(dcAltitude), -12);
    EXPECT_FALSE(d.SetText(dcPower, "12x", kMetric));
    EXPECT_FALSE(d.SetText(dcPower, "", kMetric));
    EXPECT_EQ(d.Value(dcPower), 250);
}

TEST(TrainingSample, ValuesThatAreNoNumbersChangeNothing) {
    TData d({250, 142, 91, 8333, 1234, 215});
    for (double bad : {std::nan(""), std::numeric_limits<double>::infinity()}) {
        for (int channel = 0; channel < TData::kChannelCount; ++channel) {
            d.SetDisplayValue(channel, bad, kImperial);
        }
    }
    EXPECT_EQ(d.Value(dcPower), 250);
    EXPECT_EQ(d.Value(dcTemperature), 215);
    d.SetDisplayValue(dcAltitude, 1e300, kImperial); // clamped, not undefined
    EXPECT_EQ(d.Value(dcAltitude), std::numeric_limits<int32_t>::max());
}

} // namespace
} // namespace klt
