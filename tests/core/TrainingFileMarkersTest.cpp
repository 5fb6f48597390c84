#include <gtest/gtest.h>

#include <random>
#include <tuple>

#include "core/Exceptions.h"
#include "core/KLTFile.h"
#include "tests/support/MemoryTraining.h"
#include "tests/support/RawTraining.h"

namespace klt {
namespace {

class TrainingMarkers : public ::testing::Test {
protected:
    void Build(int count, std::vector<TKLTBlock> blocks = {}) { test::FillTraining(file_, count, std::move(blocks)); }

    TKLTFile file_;
};

TEST_F(TrainingMarkers, SumsAveragesClimbWorkAndDistance) {
    Build(10);
    TKLTMarker m;
    file_.ComputeMarker(m, 2, 5);
    EXPECT_EQ(m.sumPower, 8 * (2 + 3 + 4 + 5));
    EXPECT_EQ(m.AvgPower(), (8 * 14 + 2) / 4);
    EXPECT_EQ(m.AvgHeartRate(), 64 * 103 + 32); // 64 * 103.5 rounds up
    EXPECT_EQ(m.AvgTemperature(), (-14 + 2) / 4);
    // altitudes 1..6: 10 20 0 10 20 0; rises into 2 (from 1), 4 and 5
    EXPECT_EQ(m.climb, 10 + 10 + 10);
    EXPECT_EQ(m.Duration(), 400);
    EXPECT_EQ(m.Work(), 100 * m.sumPower);
    EXPECT_EQ(m.Distance(), 100 * 32 * 14);
    EXPECT_EQ(m.startTime, 100);
    EXPECT_EQ(m.endTime, 499);

    TKLTMarker one;
    file_.ComputeMarker(one, 7, 7);
    EXPECT_EQ(one.AvgPower(), 56);
    EXPECT_EQ(file_.Marker(0).first, 1);
    EXPECT_EQ(file_.Marker(0).last, 10);
    EXPECT_EQ(file_.Marker(0).climb, 10 + 10 + 10 + 10 + 10 + 10);
}

TEST_F(TrainingMarkers, RangesAreNormalised) {
    Build(10);
    TKLTMarker m;
    file_.ComputeMarker(m, 8, 3);
    EXPECT_EQ(m.first, 3);
    EXPECT_EQ(m.last, 8);
    file_.ComputeMarker(m, 0, 99);
    EXPECT_EQ(m.first, 1);
    EXPECT_EQ(m.last, 10);
    file_.ComputeMarker(m, 50, 99);
    EXPECT_EQ(m.first, 10);
    EXPECT_EQ(m.last, 10);
    file_.SetSampleCount(0);
    EXPECT_THROW(file_.ComputeMarker(m, 1, 5), EKLTFileInOutError);
}

TEST_F(TrainingMarkers, WideSumsDoNotOverflow) {
    file_.Clear();
    file_.EditHeader().intervalNumerator = 1;
    file_.EditHeader().intervalDenominator = 1;
    file_.SetSampleCount(65534);
    for (int i = 1; i <= 65534; ++i) {
        file_.Sample(i).Set(8 * 4095, 0, 0, 65504, 0, 0);
    }
    file_.Normalise();
    EXPECT_EQ(file_.Marker(0).AvgSpeed(), 65504);
    EXPECT_EQ(file_.Marker(0).Distance(), int64_t{100} * 65504 * 65534);
}

TEST_F(TrainingMarkers, ListStaysSortedAndSameRangeReplaces) {
    Build(20);
    file_.InsertMarker(TKLTMarker("b", 5, 9));
    file_.InsertMarker(TKLTMarker("a", 2, 3));
    file_.InsertMarker(TKLTMarker("c", 5, 12));
    file_.InsertMarker(TKLTMarker("d", 5, 6));
    ASSERT_EQ(file_.MarkerCount(), 5);
    EXPECT_EQ(file_.Marker(1).name, "a");
    EXPECT_EQ(file_.Marker(2).name, "c");
    EXPECT_EQ(file_.Marker(3).name, "b");
    EXPECT_EQ(file_.Marker(4).name, "d");

    EXPECT_EQ(file_.FindMarkerSlot(TKLTMarker("", 5, 9)), 3);
    EXPECT_EQ(file_.FindMarkerSlot(TKLTMarker("", 1, 1)), -1);
    EXPECT_EQ(file_.FindMarkerSlot(TKLTMarker("", 19, 20)), -5);
    file_.InsertMarker(TKLTMarker("renamed", 5, 9));
    EXPECT_EQ(file_.MarkerCount(), 5);
    EXPECT_EQ(file_.Marker(3).name, "renamed");

    file_.DeleteMarker(0);
    EXPECT_EQ(file_.MarkerCount(), 5);
    file_.DeleteMarker(3);
    EXPECT_EQ(file_.MarkerCount(), 4);
    EXPECT_EQ(file_.Marker(3).name, "d");
}

// Beyond a few dozen markers their sums come from running sums over the samples: the same values,
// and a file of markers in any order still reads sorted, one marker per range, the later winning.
TEST(TrainingMarkerFile, ManyMarkersInAnyOrderGetTheSumsOfTheirRanges) {
    test::TTempDir dir;
    test::TRawTraining raw = test::SimpleTraining('7', 500);
    std::mt19937 random(7);
    for (int i = 0; i < 3000; ++i) {
        const auto a = static_cast<uint16_t>(random() % 520);
        const auto b = static_cast<uint16_t>(random() % 520);
        raw.markers.push_back({"m" + std::to_string(i), 1, a, b}); // reversed, empty and beyond the end too
    }
    raw.markers.push_back({"first", 1, 10, 20});
    raw.markers.push_back({"later", 1, 20, 10});
    raw.WriteTo(dir.File("many.klt"));
    TKLTFile file(dir.File("many.klt"));
    file.ReadFile();
    ASSERT_GT(file.MarkerCount(), 2000);
    for (int i = 1; i < file.MarkerCount(); ++i) {
        const TKLTMarker& m = file.Marker(i);
        TKLTMarker fresh;
        file.ComputeMarker(fresh, m.first, m.last);
        ASSERT_EQ(std::tie(m.sumPower, m.sumHeartRate, m.sumSpeed, m.sumCadence, m.sumTemperature, m.climb,
                           m.startTime, m.endTime),
                  std::tie(fresh.sumPower, fresh.sumHeartRate, fresh.sumSpeed, fresh.sumCadence,
                           fresh.sumTemperature, fresh.climb, fresh.startTime, fresh.endTime))
            << i;
        if (i > 1) {
            const TKLTMarker& before = file.Marker(i - 1);
            ASSERT_TRUE(before.first < m.first || (before.first == m.first && before.last > m.last)) << i;
        }
        if (m.first == 10 && m.last == 20) {
            EXPECT_EQ(m.name, "later");
        }
    }
}

TEST_F(TrainingMarkers, SampleTimesFollowTheBlocks) {
    Build(10);
    EXPECT_EQ(file_.SampleTime(1), 0);
    EXPECT_EQ(file_.SampleTime(4), 300);
    EXPECT_EQ(file_.IndexAtTime(-5), 1);
    EXPECT_EQ(file_.IndexAtTime(350), 4);
    EXPECT_EQ(file_.IndexAtTime(99999), 10);

    Build(10, {{1000, 4}, {5000, 3}, {9000, 3}});
    EXPECT_EQ(file_.SampleTime(1), 1000);
    EXPECT_EQ(file_.SampleTime(4), 1300);
    EXPECT_EQ(file_.SampleTime(5), 5000);
    EXPECT_EQ(file_.SampleTime(10), 9200);
    EXPECT_EQ(file_.SampleTime(12), 9400); // beyond the last block it goes on
    EXPECT_EQ(file_.IndexAtTime(500), 1);
    EXPECT_EQ(file_.IndexAtTime(1250), 3);
    EXPECT_EQ(file_.IndexAtTime(2000), 5); // in the pause: the next block's first sample
    EXPECT_EQ(file_.IndexAtTime(5100), 6);
    EXPECT_EQ(file_.IndexAtTime(20000), 10);
    EXPECT_EQ(file_.Marker(0).startTime, 1000);
    EXPECT_EQ(file_.Marker(0).endTime, 9299);
    for (int i = 1; i <= 10; ++i) {
        EXPECT_EQ(file_.IndexAtTime(file_.SampleTime(i)), i);
    }
}

TEST_F(TrainingMarkers, TimesNearTheEndOfTheClockDoNotOverflow) {
    Build(3, {{0x7FFFFFF0u, 3}});
    EXPECT_EQ(file_.Marker(0).startTime, 0x7FFFFFF0);
    EXPECT_LT(file_.Marker(0).endTime, 0); // wrapped like the stored 32-bit field
    EXPECT_EQ(file_.IndexAtTime(0x7FFFFFF5), 1);
    EXPECT_LT(file_.SampleTime(2), 0);
}

TEST_F(TrainingMarkers, ClearEmptiesEverything) {
    Build(10, {{1000, 10}});
    file_.SetCommentText("  hello  ");
    EXPECT_EQ(file_.Comment(), "hello");
    file_.MarkModified();
    file_.Clear();
    EXPECT_EQ(file_.SampleCount(), 0);
    EXPECT_EQ(file_.MarkerCount(), 0);
    EXPECT_TRUE(file_.Blocks().empty());
    EXPECT_TRUE(file_.Comment().empty());
    EXPECT_EQ(file_.LoadState(), TLoadState::Empty);
    EXPECT_EQ(file_.Stamp(), -1);
    EXPECT_TRUE(file_.ModificationMark().IsNone());
    EXPECT_FALSE(file_.Modified());
}

TEST(TrainingComment, KeepsSeventyCharactersOfUtf8) {
    TKLTFile file;
    std::string longText;
    for (int i = 0; i < 80; ++i) {
        longText += "ä";
    }
    file.SetCommentText(longText);
    EXPECT_EQ(file.Comment().size(), 140u);
}

} // namespace
} // namespace klt
