#include "core/MesswertUnitSelection.h"

#include "tests/core/MesswertFixture.h"

#include <gtest/gtest.h>

namespace klt {
namespace {

using MesswertUnitSelectionTest = MesswertFixture;

TEST_F(MesswertUnitSelectionTest, LongDistanceFollowsTheDistanceChoice) {
    const char* expected[][2] = {{"m", "km"}, {"km", "km"}, {"mi", "mi"}};
    for (int choice = 0; choice < 3; ++choice) {
        SelectMesswertUnits(TMesswertUnitSettings{.unitsDST = choice});
        EXPECT_EQ(MesswertArt(mwaStreckeKurz).UnitShortName(), expected[choice][0]) << choice;
        EXPECT_EQ(MesswertArt(mwaStrecke).UnitShortName(), expected[choice][1]) << choice;
    }
}

TEST_F(MesswertUnitSelectionTest, EveryConfiguredKindTakesItsUnit) {
    SelectMesswertUnits(TMesswertUnitSettings{1, 1, 1, 1, 1, 1});
    EXPECT_EQ(MesswertArt(mwaGeschwindigkeit).UnitShortName(), "m/s");
    EXPECT_EQ(MesswertArt(mwaTemperatur).UnitShortName(), "°F");
    EXPECT_EQ(MesswertArt(mwaHoehe).UnitShortName(), "ft");
    EXPECT_EQ(MesswertArt(mwaRadumfang).UnitShortName(), "in");
    EXPECT_EQ(MesswertArt(mwaPapiermass).UnitShortName(), "in");
}

TEST_F(MesswertUnitSelectionTest, ReportsWhetherAnyUnitChanged) {
    EXPECT_FALSE(SelectMesswertUnits(TMesswertUnitSettings{}));
    EXPECT_TRUE(SelectMesswertUnits(TMesswertUnitSettings{.unitsSPD = 2}));
    EXPECT_FALSE(SelectMesswertUnits(TMesswertUnitSettings{.unitsSPD = 2}));
    EXPECT_FALSE(
        SelectMesswertUnits(TMesswertUnitSettings{.unitsSPD = 2, .unitsTMP = 9})); // no such unit: stays °C
    EXPECT_EQ(MesswertArt(mwaTemperatur).UnitIndex(), 0);
}

} // namespace
} // namespace klt
