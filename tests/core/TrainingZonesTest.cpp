#include <gtest/gtest.h>

#include "core/Exceptions.h"
#include "core/KLTTrBer.h"

namespace klt {
namespace {

constexpr int32_t kToday = 53000;

TEST(AnalyseOptionSet, DefaultsAreOneFiveZoneSetForAYearAndEightEnabledPanels) {
    TAnalyseOptionSet analyse(kToday);
    ASSERT_EQ(analyse.ZoneSetCount(), 1);
    const TTrainingZoneSet& set = *analyse.ZoneSet(0);
    EXPECT_EQ(set.Date, kToday + 365);
    ASSERT_EQ(set.ZoneCount(), 5);
    EXPECT_EQ(set.Zone(4)->Name, "SB");
    EXPECT_EQ(set.Zone(4)->PowerBegin, 2880);
    EXPECT_EQ(set.Zone(4)->PowerEnd, 16000);
    EXPECT_EQ(set.Zone(2)->Color, 0x005E00u);
    EXPECT_EQ(analyse.MaxPanel(0), (TMaxPanel{true, 500, 0x0000FF}));
    EXPECT_EQ(analyse.MaxPanel(7), (TMaxPanel{true, 360000, 0x808000}));
    // Indexes past the eighth panel give the eighth.
    EXPECT_EQ(&analyse.MaxPanel(8), &analyse.MaxPanel(7));
    EXPECT_EQ(&analyse.MaxPanel(-1), &analyse.MaxPanel(0));
}

TEST(AnalyseOptionSet, AddingASetEndsTheLastOneTodayAndContinuesItUntilItsOldEnd) {
    TAnalyseOptionSet analyse(kToday - 100); // valid until kToday + 265
    analyse.AddZoneSet(kToday);
    ASSERT_EQ(analyse.ZoneSetCount(), 2);
    EXPECT_EQ(analyse.ZoneSet(0)->Date, kToday);
    EXPECT_EQ(analyse.ZoneSet(1)->Date, kToday + 265);
    EXPECT_EQ(analyse.ZoneSet(1)->Zones(), analyse.ZoneSet(0)->Zones());
}

TEST(AnalyseOptionSet, AddingASetAfterTheLastHasRunOutKeepsTheSetsInDateOrder) {
    TAnalyseOptionSet analyse(kToday - 1000); // ran out 635 days ago
    analyse.AddZoneSet(kToday);
    EXPECT_EQ(analyse.ZoneSet(0)->Date, kToday);
    EXPECT_EQ(analyse.ZoneSet(1)->Date, kToday + 365);
}

TEST(AnalyseOptionSet, SetsSortByDateStablyAndTheLastSetCannotBeDeleted) {
    TAnalyseOptionSet analyse(kToday);
    TTrainingZoneSet late(kToday + 50), early(kToday - 50), sameDay(kToday - 50);
    sameDay.Enabled = false;
    analyse.SetZoneSet(0, late);
    analyse.SetZoneSet(5, early); // past the end: appended
    analyse.SetZoneSet(2, sameDay);
    EXPECT_THROW(analyse.SetZoneSet(-1, late), ERangeError);
    analyse.SortZoneSets();
    ASSERT_EQ(analyse.ZoneSetCount(), 3);
    EXPECT_EQ(analyse.ZoneSet(0)->Date, kToday - 50);
    EXPECT_TRUE(analyse.ZoneSet(0)->Enabled);
    EXPECT_FALSE(analyse.ZoneSet(1)->Enabled);
    EXPECT_EQ(analyse.ZoneSet(2)->Date, kToday + 50);
    EXPECT_EQ(analyse.ZoneSet(3), nullptr);

    analyse.DeleteZoneSet(0);
    analyse.DeleteZoneSet(7);
    analyse.DeleteZoneSet(0);
    analyse.DeleteZoneSet(0);
    ASSERT_EQ(analyse.ZoneSetCount(), 1);
    EXPECT_EQ(analyse.ZoneSet(0)->Date, kToday + 50);
}

TEST(AnalyseOptionSet, EqualityComparesEveryZoneAndTheNumberOfZones) {
    TAnalyseOptionSet a(kToday), b(kToday);
    EXPECT_TRUE(a.Equals(b));
    TTrainingZoneSet longer = *a.ZoneSet(0);
    longer.SetZone(longer.ZoneCount(), TTrainingZone{});
    b.SetZoneSet(0, longer);
    // A set with an extra zone differs, whichever side it is on.
    EXPECT_FALSE(a.Equals(b));
    EXPECT_FALSE(b.Equals(a));
    a.Assign(b);
    EXPECT_TRUE(a.Equals(b));
    a.MaxPanel(3).Time = 1;
    EXPECT_FALSE(a.Equals(b));
}

TEST(TrainingZoneSet, NewSetHoldsOneClearedZoneAndZonesMoveUpOnDelete) {
    TTrainingZoneSet set(kToday);
    ASSERT_EQ(set.ZoneCount(), 1);
    EXPECT_EQ(*set.Zone(0), TTrainingZone{});
    EXPECT_EQ(set.Zone(0)->Color, 0xFF0000u);
    TTrainingZoneSet defaults = TTrainingZoneSet::Default(kToday);
    defaults.DeleteZone(0);
    defaults.DeleteZone(9);
    ASSERT_EQ(defaults.ZoneCount(), 4);
    EXPECT_EQ(defaults.Zone(0)->Name, "GA1");
    EXPECT_EQ(defaults.Zone(4), nullptr);
    EXPECT_EQ(defaults.Zone(-1), nullptr);
}

TEST(TrainingsBereiche, BoundsAreTakenForNormalisedInitialsAndDate) {
    TKLTTrainingsBereiche zones;
    EXPECT_EQ(zones.BoundsFor("  J/D!  ", 53000), TKLTTrainingsBereiche::kDefaultBounds);
    EXPECT_EQ(zones.Initials(), "JD");
    EXPECT_EQ(zones.Date(), 53000);
    EXPECT_EQ(zones.Bounds()[4], 0xFFFF);
}

} // namespace
} // namespace klt
