// The heart-rate-variability table with its computed fields and sums, and its text file written,
// named, read back and refused when damaged.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/Exceptions.h"
#include "online/HeartRateVariance.h"
#include "online/HeartRateVarianceFile.h"
#include "tests/support/RawTraining.h"

namespace klt {
namespace {

const TDateTimeMark kNoon{53672, 12 * 360000};

TDateTimeMark At(int32_t hundredths) {
    return {kNoon.days, kNoon.time + hundredths};
}

TEST(HeartRateVarianceTable, FieldsAreComputedOncePerBeatAsTheRecordArrives) {
    EXPECT_EQ(HeartrateOfInterval(6000), 100); // 600 ms
    EXPECT_EQ(HeartrateOfInterval(4615), 130);
    EXPECT_EQ(HeartrateOfInterval(0), 0);
    EXPECT_EQ(HeartrateOfInterval(-5), 0);

    THRDistTable table;
    for (const int32_t hrDist : {6000, 7000, 5000, 5400}) {
        table.Append(At(static_cast<int32_t>(table.Count()) * 50), hrDist);
    }
    const std::vector<THRDistRecord>& r = table.Records();
    EXPECT_FALSE(r[0].heartrateVariance);             // nothing before the first beat
    EXPECT_EQ(r[1].heartrateVariance, -100.0);        // slowing by 100 ms: kept
    EXPECT_FALSE(r[2].heartrateVariance);             // speeding by 200 ms: a double detection
    EXPECT_EQ(r[3].heartrateVariance, -40.0);
    EXPECT_EQ(r[1].heartrate, 86);
    EXPECT_EQ(r[3].index, 4);
    EXPECT_EQ(r[0].index, 1); // each record keeps its own place
    EXPECT_EQ(r[2].time, At(100));

    // per heart rate of the later beat: |previous - current| summed once per pair
    const auto& changes = table.ChangesByHeartrate();
    ASSERT_EQ(changes.size(), 3u);
    EXPECT_EQ(changes.at(86).sumTenthsMs, 1000);
    EXPECT_EQ(changes.at(120).sumTenthsMs, 2000);
    EXPECT_EQ(changes.at(111).count, 1);
    table.Append(At(200), 5400);
    EXPECT_EQ(table.ChangesByHeartrate().at(111).count, 2);
    EXPECT_EQ(table.ChangesByHeartrate().at(111).sumTenthsMs, 400);

    table.Clear();
    EXPECT_TRUE(table.Empty());
    EXPECT_TRUE(table.ChangesByHeartrate().empty());
    table.Append(kNoon, 6000);
    EXPECT_EQ(table.Records()[0].index, 1);
}

TEST(HeartRateVarianceTable, SummaryAndTheChartsLastBeats) {
    THRDistTable table;
    EXPECT_EQ(table.Summary().beats, 0u);
    EXPECT_EQ(table.Summary().meanHeartrate, 0);
    for (const int32_t hrDist : {6000, 7000, 5000}) {
        table.Append(kNoon, hrDist);
    }
    const THRVarianceSummary summary = table.Summary();
    EXPECT_EQ(summary.beats, 3u);
    EXPECT_DOUBLE_EQ(summary.meanHeartrate, 100); // three beats in 1.8 s
    EXPECT_NEAR(summary.rmssdMs, 158.11, 0.01);   // sqrt((100² + 200²) / 2)

    EXPECT_FALSE(LastBeatsMinimum(500));
    EXPECT_EQ(LastBeatsMinimum(501), 1.0);
    EXPECT_EQ(LastBeatsMinimum(1234), 734.0);
}

TEST(HeartRateVarianceFile, AnEmptyTableWritesNoFile) {
    test::TTempDir database;
    EXPECT_FALSE(SaveHRVariance(THRDistTable(), database.Path()));
    EXPECT_TRUE(std::filesystem::is_empty(database.Path()));
}

TEST(HeartRateVarianceFile, SavedBelowTheDatabaseInColumnsAndReadBack) {
    test::TTempDir database;
    THRDistTable table;
    table.Append({53672, 45296'37}, 6000);  // 12:34:56.37
    table.Append({53672, 45296'99}, 12000); // a five-digit interval
    table.Append({53673, 5}, 600);          // past midnight
    const std::optional<std::string> path = SaveHRVariance(table, database.Path());
    ASSERT_TRUE(path);
    EXPECT_EQ(*path, database.File("HRVariance/Heartrate53672.52426354.txt"));
    EXPECT_EQ(HRVarianceText(table.Records()), "12:34:56.3 6000\n12:34:56.912000\n00:00:00.0  600\n");
    EXPECT_EQ(ReadHRVarianceFile(*path), (std::vector<THRVarianceLine>{{45296'30, 6000}, {45296'90, 12000}, {0, 600}}));
    EXPECT_EQ(HRVarianceFileName({53672, 0}), "Heartrate53672.00000000.txt");
    EXPECT_EQ(HRVarianceFileName({53672, 8639999}), "Heartrate53672.99999988.txt");
}

TEST(HeartRateVarianceFile, DamagedLinesAreRefusedNamingTheLine) {
    EXPECT_EQ(ParseHRVarianceText(" 1:02:03.4 5000\r\n"), (std::vector<THRVarianceLine>{{3723'40, 5000}}));
    EXPECT_TRUE(ParseHRVarianceText("").empty());
    for (const char* text : {"12:34:56.3", "12:34:56.3     \n", "24:00:00.0 6000\n", "12:60:00.0 6000\n",
                             "12:34:56.3 60x0\n", "12:34:56.3 99999999999\n", "12:34:56.3 6000\n\n",
                             "ab:cd:ef.g 6000\n", "0:00:00.412000\n", "12:34:56.3 6000\n-1:00:00.0 6000\n", "12:34:56.3 +6000\n"}) {
        EXPECT_THROW(ParseHRVarianceText(text), EInOutError) << text;
    }
    try {
        ParseHRVarianceText("12:34:56.3 6000\n12:34:56.3 6x00\n");
        FAIL();
    } catch (const EInOutError& error) {
        EXPECT_NE(std::string(error.what()).find("line 2"), std::string::npos) << error.what();
    }
    EXPECT_THROW(ReadHRVarianceFile("/nonexistent/Heartrate.txt"), EInOutError);
}

} // namespace
} // namespace klt
