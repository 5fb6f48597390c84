#include <gtest/gtest.h>

#include "core/KLTFile.h"
#include "core/TrainingEnvironment.h"
#include "tests/support/MemoryTraining.h"

namespace klt {
namespace {

// A view that records what it was told.
struct TRecordingView : IKLTFileView {
    std::vector<int> changes;
    int closed = 0;
    void TrainingChanged(TKLTFile&, int bits) override { changes.push_back(bits); }
    void CloseView(TKLTFile& file) override {
        ++closed;
        file.RemoveView(this);
    }
};

class TrainingDocument : public ::testing::Test {
protected:
    void SetUp() override {
        test::FillTraining(file_, 20, {{3600000, 10}, {3700000, 10}});
        file_.AddView(&view_);
        view_.changes.clear();
        TrainingEnvironment().markerNames = &names_;
    }
    void TearDown() override { TrainingEnvironment().markerNames = nullptr; }

    TKLTFile file_;
    TRecordingView view_;
    TMarkerIdentList names_;
};

TEST_F(TrainingDocument, ChangesAreAnnouncedOnceAfterNestedUpdates) {
    file_.BeginUpdate();
    file_.BeginUpdate();
    file_.AddMarker(TKLTMarker("Sprint", 3, 6));
    file_.SetSelection(true, 2, 5);
    file_.EndUpdate();
    EXPECT_TRUE(view_.changes.empty());
    file_.EndUpdate();
    ASSERT_EQ(view_.changes.size(), 1u);
    EXPECT_EQ(view_.changes[0], TKLTChange::Modified | TKLTChange::Markers | TKLTChange::Selection);
    EXPECT_TRUE(file_.Modified());
    EXPECT_EQ(names_.Items().front(), "Sprint");
}

TEST_F(TrainingDocument, MarkerAddRemoveAndCaptions) {
    file_.AddMarker(TKLTMarker("Climb", 2, 8));
    file_.AddMarker(TKLTMarker("Renamed", 2, 8)); // same range: replaces
    ASSERT_EQ(file_.MarkerCount(), 2);
    EXPECT_EQ(file_.Marker(1).name, "Renamed");
    file_.RemoveMarker(0);
    EXPECT_EQ(file_.MarkerCount(), 2);

    EXPECT_EQ(file_.MarkerCaption(0, 4), "File");
    EXPECT_EQ(file_.MarkerCaption(1, 4), "Renamed");
    EXPECT_EQ(file_.MarkerCaption(1, 1 | 2 | 4), "(&1) Renamed");
    EXPECT_EQ(file_.MarkerCaption(1, 1 | 4), "(1) Renamed");
    file_.RemoveMarker(1);
    EXPECT_EQ(file_.MarkerCount(), 1);
}

TEST_F(TrainingDocument, DescriptionNamesDateTimesAthleteMarkerAndValues) {
    file_.SetCommentText("Hill repeats");
    file_.AddMarker(TKLTMarker("Climb", 2, 8));
    EXPECT_EQ(file_.MarkerDescription(1, TDateForm::Short, false), "2025-02-09 10:00-10:00 JD/Climb Hill repeats");
    const std::string full = file_.MarkerDescription(0, TDateForm::Long, true);
    EXPECT_EQ(full.rfind("Sunday, 9 February 2025 10:00-10:16 JD 00:00:20 h ", 0), 0u) << full;
    EXPECT_NE(full.find(" kJ "), std::string::npos) << full;
}

TEST_F(TrainingDocument, StartTimeShiftsEveryBlock) {
    file_.SetStartTime(3600000 + 6000);
    EXPECT_EQ(file_.Blocks()[0].start, 3606000u);
    EXPECT_EQ(file_.Blocks()[1].start, 3706000u);
    EXPECT_EQ(file_.Marker(0).startTime, 3606000);

    TKLTFile plain;
    test::FillTraining(plain, 5);
    plain.SetStartTime(1000);
    ASSERT_EQ(plain.Blocks().size(), 1u);
    EXPECT_EQ(plain.Blocks()[0].start, 1000u);
    EXPECT_EQ(plain.Blocks()[0].count, 5);
}

TEST_F(TrainingDocument, InitialsAreNormalised) {
    file_.SetInitials("  Jo-Ann Mü!ller 12345678901234567 ");
    EXPECT_EQ(file_.Marker(0).name, "JoAnn Mller 12345678");
}

TEST_F(TrainingDocument, OnlyOneTrainingHoldsTheSelection) {
    TKLTFile other;
    test::FillTraining(other, 10);
    TRecordingView otherView;
    other.AddView(&otherView);
    file_.SetSelection(true, 0, 99);
    EXPECT_EQ(file_.SelectionFirst(), 1);
    EXPECT_EQ(file_.SelectionLast(), 20);
    other.SetSelection(true, 2, 3);
    EXPECT_FALSE(file_.SelectionActive());
    EXPECT_TRUE(other.SelectionActive());
    EXPECT_EQ(view_.changes.back(), TKLTChange::Selection);
    other.RemoveView(&otherView);
}

TEST_F(TrainingDocument, RecalibrationWithoutChangesLeavesSamplesAlone) {
    const TKLTHeader h = file_.Header();
    file_.Recalibrate(h.zeroOffset, h.slope, 0, h.circumference);
    EXPECT_FALSE(file_.Modified());
    file_.Recalibrate(h.zeroOffset, h.slope, 100, h.circumference);
    for (int i = 1; i <= 20; ++i) {
        EXPECT_EQ(file_.Sample(i).Power(), 8 * i);
        EXPECT_EQ(file_.Sample(i).Speed(), i * 32 / 32 * 32);
        EXPECT_EQ(file_.Sample(i).Altitude(), (i % 3) * 10 + 100 - 10); // sample 1 now at 100 m
    }
}

TEST_F(TrainingDocument, RecalibrationCarriesRoundingIntoTheNextSample) {
    // Slope 3000 -> 2000: power * 1.5; circumference 2000 -> 3000: speed * 1.5.
    file_.Recalibrate(500, 2000, 0, 3000);
    int64_t powerSum = 0, speedSum = 0;
    for (int i = 1; i <= 20; ++i) {
        powerSum += file_.Sample(i).Power();
        speedSum += file_.Sample(i).Speed();
    }
    // Sums keep their exact scaled values up to the last sample's remainder.
    EXPECT_NEAR(static_cast<double>(powerSum), 1.5 * 8 * 210, 8);
    EXPECT_NEAR(static_cast<double>(speedSum), 1.5 * 32 * 210, 32);
    EXPECT_EQ(file_.Header().slope, 2000);
    EXPECT_EQ(file_.Header().circumference, 3000);
    EXPECT_EQ(file_.Marker(0).sumPower, powerSum);
}

TEST_F(TrainingDocument, ZeroOffsetChangeMovesPowerByCadence) {
    // Z 500 -> 501 with slope 3000: power falls by cadence * 8 / 3000 per sample (raw units).
    file_.Recalibrate(501, 3000, 0, 2000);
    const int64_t drop = int64_t{32 * 90} * 8; // cadence raw * 8 * (Z - Z0), in power * slope units
    int64_t expected = 0, remainder = 0, low = 0, total = 0;
    for (int i = 1; i <= 20; ++i) {
        const int64_t p = std::max<int64_t>(0, int64_t{8 * i} * 3000 + remainder - drop);
        const int64_t w = p / 3000;
        remainder = p % 3000;
        expected = w + low;
        low = (low + w) % 8;
        total += expected / 8 * 8;
        ASSERT_EQ(file_.Sample(i).Power(), expected / 8 * 8) << i;
    }
    EXPECT_EQ(file_.Marker(0).sumPower, total);
}

} // namespace
} // namespace klt
