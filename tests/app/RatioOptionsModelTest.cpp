#include <gtest/gtest.h>

#include <limits>

#include "app/RatioOptionsModel.h"

namespace klt {
namespace {

TEST(RatioOptionsModel, ShowsTheProfileInDisplayUnitsAndWritesItBack) {
    TKLTRatioDataChartOptionSet profile;
    const TRatioOptionsModel kmh(profile, 0);
    EXPECT_EQ(kmh.channels[rcPower].minimum, 5);
    EXPECT_EQ(kmh.channels[rcPower].maximum, 400);
    EXPECT_EQ(kmh.channels[rcPower].classWidth, 50);
    EXPECT_EQ(kmh.channels[rcSpeed].maximum, 60);
    EXPECT_EQ(kmh.smooting, 10);
    EXPECT_EQ(kmh.Limits(rcPower), (std::pair{0, 4095}));
    EXPECT_EQ(kmh.Limits(rcHeartRate), (std::pair{0, 240}));

    TRatioOptionsModel ms(profile, 1); // speed in m/s
    EXPECT_EQ(ms.channels[rcSpeed].maximum, 17);
    // Values left as shown keep what the profile stores: 60 km/h is no whole number of m/s.
    TKLTRatioDataChartOptionSet untouched;
    ASSERT_TRUE(ms.WriteBack(untouched));
    EXPECT_TRUE(untouched.Equals(profile));
    ms.channels[rcSpeed] = {false, 2, 30, 4};
    ms.channels[rcHeartRate].minimum = 60;
    ms.smooting = 0;
    ms.drawGrid = false;
    ASSERT_FALSE(ms.Problem());
    ASSERT_TRUE(ms.WriteBack(profile));
    EXPECT_FALSE(profile.SpeedSkala.Skala.Visible());
    EXPECT_DOUBLE_EQ(profile.SpeedSkala.Skala.Offset(), 2000); // mm/s
    EXPECT_DOUBLE_EQ(profile.SpeedSkala.Skala.UpperEnd(), 30000);
    EXPECT_EQ(profile.SpeedSkala.MergeFct, 4);
    EXPECT_DOUBLE_EQ(profile.HeartRateSkala.Skala.Offset(), 60 * 64);
    EXPECT_EQ(profile.SmootingFct, 0);
    EXPECT_FALSE(profile.DrawGrid);
    const TRatioOptionsModel again(profile, 0);
    EXPECT_EQ(again.channels[rcSpeed].minimum, 7); // 2 m/s in km/h
    EXPECT_EQ(again.channels[rcSpeed].maximum, 108);
}

TEST(RatioOptionsModel, NamesTheFirstValueItCannotTakeAndWritesNothing) {
    const TKLTRatioDataChartOptionSet defaults;
    TRatioOptionsModel model(defaults, 0);
    auto expectProblem = [&](int channel, TRatioProblem::TField field, const std::string& text) {
        const std::optional<TRatioProblem> problem = model.Problem();
        ASSERT_TRUE(problem) << text;
        EXPECT_EQ(problem->channel, channel);
        EXPECT_EQ(problem->field, field);
        EXPECT_EQ(problem->text, text);
        TKLTRatioDataChartOptionSet target;
        target.DrawGrid = false;
        EXPECT_FALSE(model.WriteBack(target));
        EXPECT_FALSE(target.DrawGrid); // untouched
        model = TRatioOptionsModel(defaults, 0);
    };
    model.channels[rcPower].minimum = -1;
    expectProblem(rcPower, TRatioProblem::Minimum, "The Power minimum must lie between 0 and 4095 watt.");
    model.channels[rcCadence].maximum = 300;
    expectProblem(rcCadence, TRatioProblem::Maximum, "The Cadence maximum must lie between 0 and 240 rpm.");
    model.channels[rcHeartRate].maximum = 0;
    expectProblem(rcHeartRate, TRatioProblem::Maximum, "The Heartrate maximum must be above its minimum.");
    model.channels[rcPower].classWidth = 396;
    expectProblem(rcPower, TRatioProblem::ClassWidth,
                  "The Power class width must lie between 1 and 395 watt, the width of its range.");
    model.channels[rcSpeed].classWidth = 0;
    expectProblem(rcSpeed, TRatioProblem::ClassWidth,
                  "The Speed class width must lie between 1 and 55 km/h, the width of its range.");
    model.smooting = 3601;
    expectProblem(-1, TRatioProblem::Smooting, "The smoothing must lie between 0 and 3600 seconds.");
}

TEST(RatioOptionsModel, AHostileProfileOpensWithinTheLimits) {
    TKLTRatioDataChartOptionSet profile;
    TMesswertSkala hostile; // a scale without a kind takes any value
    hostile.SetOffset(std::numeric_limits<double>::quiet_NaN());
    hostile.SetBereich(1e300);
    profile.PowerSkala.Skala.Assign(hostile);
    profile.PowerSkala.MergeFct = std::numeric_limits<int>::min();
    profile.SmootingFct = std::numeric_limits<int>::max();
    const TRatioOptionsModel model(profile, 7);
    const TRatioChannelEdit& power = model.channels[rcPower];
    EXPECT_EQ(power.minimum, 0);
    EXPECT_EQ(power.maximum, 0);
    EXPECT_EQ(power.classWidth, 1);
    EXPECT_EQ(model.smooting, TRatioOptionsModel::kMaxSmooting);
    EXPECT_TRUE(model.Problem()); // the user is told before anything is taken
}

} // namespace
} // namespace klt
