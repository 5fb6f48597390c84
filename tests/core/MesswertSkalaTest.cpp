#include "core/MesswertSkala.h"

#include "tests/core/MesswertFixture.h"

#include <gtest/gtest.h>

namespace klt {
namespace {

using MesswertSkalaTest = MesswertFixture;

TEST_F(MesswertSkalaTest, StartsWithTheKindsWholeRange) {
    TMesswertSkala power(mwaLeistung);
    EXPECT_TRUE(power.Visible());
    EXPECT_EQ(power.Offset(), 0);
    EXPECT_EQ(power.Bereich(), 32760);
    EXPECT_EQ(power.BereichRounded(), 32760);
    TMesswertSkala none;
    EXPECT_EQ(none.Offset(), 0);
    EXPECT_EQ(none.Bereich(), 1);
    TMesswertSkala distance(mwaStrecke);
    EXPECT_EQ(distance.Bereich(), 2 * UnboundedLimit);
    EXPECT_EQ(distance.OffsetRounded(), -32768);
    EXPECT_EQ(distance.BereichRounded(), 32767);
}

TEST_F(MesswertSkalaTest, SetOffsetShrinksTheWindowToEndAtTheMaximumButKeepsOneStep) {
    TMesswertSkala power(mwaLeistung);
    power.SetOffset(30000);
    EXPECT_EQ(power.Offset(), 30000);
    EXPECT_EQ(power.Bereich(), 2760);
    EXPECT_EQ(power.UpperEnd(), 32760);
    power.SetOffset(-5);
    EXPECT_EQ(power.Offset(), 0);
    EXPECT_EQ(power.Bereich(), 2760);
    power.SetStep(100); // 800 raw
    power.SetOffset(32500);
    EXPECT_EQ(power.Bereich(), 800);
    EXPECT_EQ(power.Offset(), 31960);
}

TEST_F(MesswertSkalaTest, SetBereichIsCutStepwiseAndRaisedToTheMinimum) {
    TMesswertSkala power(mwaLeistung);
    power.SetOffset(1000);
    power.SetBereich(40000);
    EXPECT_EQ(power.Bereich(), 31760);
    power.SetUpperEnd(9000);
    EXPECT_EQ(power.Bereich(), 8000);
    power.SetBereich(-5);
    EXPECT_EQ(power.Bereich(), 0);
    power.SetStep(100);
    power.SetBereich(100);
    EXPECT_EQ(power.Bereich(), 800);
    TMesswertSkala temperature(mwaTemperatur);
    temperature.SetBereich(-1000);
    EXPECT_EQ(temperature.Bereich(), -550);
}

TEST_F(MesswertSkalaTest, OnChangeFiresOnlyForChanges) {
    TMesswertSkala power(mwaLeistung);
    int changes = 0;
    power.SetOnChange([&] { ++changes; });
    power.SetOffset(0);
    power.SetBereich(32760);
    power.SetVisible(true);
    EXPECT_EQ(changes, 0);
    power.SetOffset(100);
    power.SetBereich(50);
    power.SetVisible(false);
    EXPECT_EQ(changes, 3);
    power.SetBereich(50000); // cut to 32660
    EXPECT_EQ(changes, 4);
    power.SetBereich(50000);
    EXPECT_EQ(changes, 4);
}

TEST_F(MesswertSkalaTest, AssignCopiesWithoutClamping) {
    TMesswertSkala source;
    source.SetOffset(-20);
    source.SetBereich(50000);
    source.SetVisible(false);
    TMesswertSkala power(mwaLeistung);
    int changes = 0;
    power.SetOnChange([&] { ++changes; });
    power.Assign(source);
    EXPECT_TRUE(power.Equals(source));
    EXPECT_EQ(power.Offset(), -20);
    EXPECT_EQ(power.Bereich(), 50000);
    EXPECT_FALSE(power.Visible());
    EXPECT_GT(changes, 0);
    power.SetBereich(50000); // the lock is gone again
    EXPECT_EQ(power.Bereich(), 32780);
    EXPECT_FALSE(power.Equals(source));
}

TEST_F(MesswertSkalaTest, SetDisplayRangeTakesDisplayUnits) {
    TMesswertSkala temperature(mwaTemperatur);
    temperature.SetDisplayRange(true, 30, 10);
    EXPECT_EQ(temperature.Offset(), 100);
    EXPECT_EQ(temperature.Bereich(), 200);
    MesswertArt(mwaTemperatur).SetUnit(1);
    temperature.SetDisplayRange(false, 212, 32);
    EXPECT_FALSE(temperature.Visible());
    EXPECT_NEAR(temperature.Offset(), 0, 1e-9);
    EXPECT_NEAR(temperature.Bereich(), 1000, 1e-9);
    TMesswertSkala power(mwaLeistung);
    power.SetDisplayRange(true, 5000, 4000);
    EXPECT_EQ(power.Offset(), 32000);
    EXPECT_EQ(power.Bereich(), 760);
}

TEST_F(MesswertSkalaTest, SteppingSnapsToTheStepGrid) {
    TMesswertSkala power(mwaLeistung);
    power.SetStep(50);
    power.SetOffset(880); // 110 W
    power.StepOffset(+1);
    EXPECT_EQ(power.Offset(), 1200); // 150 W
    power.SetOffset(880);
    power.StepOffset(-1);
    EXPECT_EQ(power.Offset(), 400); // 50 W
    power.SetBereich(8000);
    power.StepBereich(+1);
    EXPECT_EQ(power.Bereich(), 8400);
}

TEST_F(MesswertSkalaTest, SteppingBelowZeroMirrorsSteppingAboveIt) {
    TMesswertSkala temperature(mwaTemperatur);
    temperature.SetStep(5);
    const std::pair<double, int> steps[][2] = {
        {{-100, +1}, {-50, 0}}, {{-100, -1}, {-150, 0}}, {{-120, +1}, {-50, 0}},
        {{100, -1}, {50, 0}},   {{120, -1}, {50, 0}},    {{0, -1}, {-50, 0}},
    };
    for (const auto& [from, to] : steps) {
        temperature.SetOffset(from.first);
        temperature.StepOffset(from.second);
        EXPECT_EQ(temperature.Offset(), to.first) << from.first << " " << from.second;
    }
}

TEST_F(MesswertSkalaTest, SteppingWithoutStepMovesByTheLastShownDecimal) {
    TMesswertSkala power(mwaLeistung);
    power.StepOffset(+1);
    EXPECT_EQ(power.Offset(), 8);
    power.SetDecimals(1);
    power.StepOffset(+1);
    EXPECT_EQ(power.Offset(), 9); // 8.8 rounds to 9
    TMesswertSkala temperature(mwaTemperatur);
    temperature.SetOffset(-100);
    temperature.StepOffset(-1);
    EXPECT_EQ(temperature.Offset(), -101);
    temperature.SetOffset(-550);
    temperature.StepOffset(-1);
    EXPECT_EQ(temperature.Offset(), -550);
}

TEST_F(MesswertSkalaTest, SteppingAWidthInFahrenheitIgnoresTheUnitOffset) {
    MesswertArt(mwaTemperatur).SetUnit(1);
    TMesswertSkala temperature(mwaTemperatur);
    temperature.SetStep(10);
    temperature.SetBereich(1000); // 180 °F wide
    temperature.StepBereich(+1);
    EXPECT_EQ(temperature.Bereich(), 1056); // 190 °F
}

TEST_F(MesswertSkalaTest, AScaleWithoutKindCannotStepButKeepsItsValue) {
    TMesswertSkala none;
    int changes = 0;
    none.SetOnChange([&] { ++changes; });
    none.SetOffset(7);
    none.StepOffset(+1);
    none.StepBereich(-1);
    EXPECT_EQ(none.Offset(), 7);
    EXPECT_EQ(none.Bereich(), 1);
    EXPECT_EQ(changes, 1);
}

TEST_F(MesswertSkalaTest, ToPixelMapsTheRoundedWindowAndClamps) {
    TMesswertSkala power(mwaLeistung);
    EXPECT_EQ(power.ToPixel(8190, 200), 50);
    EXPECT_EQ(power.ToPixelInverted(8190, 200), 150);
    EXPECT_EQ(power.ToPixel(32760, 100000), 32767);
    EXPECT_EQ(power.ToPixelInverted(32760, 100000), 0);
    EXPECT_EQ(power.ToPixel(-32760, 100000), -32768);
    EXPECT_EQ(power.ToPixelInverted(-32760, 100000), 32767);
    TMesswertSkala none;
    none.SetOffset(10.6);
    EXPECT_EQ(none.OffsetRounded(), 11);
    none.SetBereich(0.4);
    EXPECT_EQ(none.BereichRounded(), 0);
    EXPECT_EQ(none.ToPixel(20, 10), 32767);
    EXPECT_EQ(none.ToPixel(11, 10), 0);
}

} // namespace
} // namespace klt
