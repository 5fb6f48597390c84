// What a demo run gives its category and where it ranks there, and the competition window's
// count-down and markers.
#include <gtest/gtest.h>

#include <limits>

#include "online/CompetitionRace.h"
#include "online/DemoResultFile.h"
#include "online/DemoRun.h"
#include "online/DemoRunRecord.h"
#include "online/OnlineOptions.h"
#include "tests/support/RawTraining.h"

namespace klt {
namespace {

// Sample 0 at 0 W, then the powers.
void Ride(TKLTOnlineDatas& samples, std::initializer_list<int> powers) {
    for (int watts : powers) {
        TKLTOnlineData sample;
        sample.SetValue(dcPower, watts);
        samples.Append(sample);
    }
}

TEST(DemoRun, AverageFailureAndMaximumOverEverySample) {
    TKLTDemoCategorie categorie;
    categorie.Watt = 8 * 200 + 7; // the target is 200 W
    TKLTOnlineDatas samples;
    Ride(samples, {190, 200, 210, 220, 200, 200, 200, 200, 200});
    EXPECT_FALSE(DemoRunResult(samples, 0, &categorie, "Ann", "Li")) << "ten samples give no result";
    Ride(samples, {203});
    const std::optional<TKLTDemoResult> result = DemoRunResult(samples, 0, &categorie, " Ann ", "Li");
    ASSERT_TRUE(result);
    EXPECT_EQ(result->AveragePower, 184); // 2023 / 11 = 183.9
    EXPECT_EQ(result->MaxPower, 220);
    EXPECT_EQ(result->Failure, 200 + 10 + 0 + 10 + 20 + 3); // sample 0 stood still
    EXPECT_EQ(result->CategorieWatt, 1607);
    EXPECT_EQ(result->FirstName(), "Ann");
    EXPECT_EQ(result->LastName(), "Li");
    Ride(samples, {205}); // 2228 / 12 = 185.7
    EXPECT_EQ(DemoRunResult(samples, 1, &categorie, "", "")->AveragePower, 186);
    EXPECT_FALSE(DemoRunResult(samples, kDemoModeRace, &categorie, "Ann", "Li"));
}

TEST(DemoRun, WithoutACategoryOrFarOffTheFailureIsTheLargestValue) {
    TKLTOnlineDatas samples;
    Ride(samples, {100, 100, 100, 100, 100, 100, 100, 100, 100, 100, 100});
    const std::optional<TKLTDemoResult> lost = DemoRunResult(samples, 0, nullptr, "Ann", "Li");
    ASSERT_TRUE(lost);
    EXPECT_EQ(lost->Failure, std::numeric_limits<int32_t>::max());
    EXPECT_EQ(lost->AveragePower, 92); // 1100 / 12 = 91.7

    TKLTDemoCategorie categorie; // 0 W: every sample is far off
    TKLTOnlineDatas hours;
    for (int i = 0; i < 40000; ++i) {
        Ride(hours, {65535});
    }
    EXPECT_EQ(DemoRunResult(hours, 0, &categorie, "", "")->Failure, std::numeric_limits<int32_t>::max());
}

TEST(DemoRun, ARecordedRunJoinsItsCategorysResultsAndSharesTheRankOfAnEqualOne) {
    test::TTempDir dir;
    TOnlineOptions options(dir.Path());
    TKLTDemoCategorie categorie;
    categorie.SetName("Open");
    categorie.Watt = 8 * 200;
    options.OnlineDemoModeOptionSet.Categories.PutItem(0, categorie);
    TKLTDemoResults results(dir.Path(), options.OnlineDemoModeOptionSet);
    const auto record = [&](const TKLTOnlineDatas& samples, const char* firstName, int categorie = 0) {
        TDemoPerson person;
        person.SetNames(firstName, "Li");
        person.categorie = categorie;
        return RecordDemoRun(results, options.OnlineDemoModeOptionSet, samples, person);
    };
    TKLTOnlineDatas samples;
    Ride(samples, {200, 200, 200, 200, 200, 200, 200, 200, 200, 200}); // failure 200: sample 0 rode 0 W
    const std::optional<TRecordedDemoRun> first = record(samples, "Ann");
    ASSERT_TRUE(first);
    EXPECT_EQ(first->position, 1);
    EXPECT_EQ(first->file, DemoResultPath(dir.Path(), "Open"));
    const std::optional<TRecordedDemoRun> equal = record(samples, "Bo");
    EXPECT_EQ(equal->position, 1) << "an equal failure shares the place";
    Ride(samples, {100});
    EXPECT_EQ(record(samples, "Cy")->position, 3);
    EXPECT_EQ(ReadDemoResultFile(first->file).size(), 3u);

    EXPECT_THROW(record(samples, "Di", 1), ERangeError);
    TKLTOnlineDatas few;
    Ride(few, {200});
    EXPECT_FALSE(record(few, "Ed")) << "too few samples";
    EXPECT_EQ(ReadDemoResultFile(first->file).size(), 3u);
}

TEST(Competition, TheCountDownWritesTwoDigitSecondsAndTheMarkerCoversTwentyKilometres) {
    EXPECT_EQ(CompetitionCountDown(kCompetitionSeconds), "1:00");
    EXPECT_EQ(CompetitionCountDown(59), "0:59");
    EXPECT_EQ(CompetitionCountDown(9), "0:09");
    EXPECT_EQ(CompetitionCountDown(0), "0:00");
    EXPECT_EQ(CompetitionCountDown(-3), "0:00");
    EXPECT_EQ(CompetitionMarkerPosition(800, 0.0), 0);
    EXPECT_EQ(CompetitionMarkerPosition(800, 500.0), 20);
    EXPECT_EQ(CompetitionMarkerPosition(800, 10000.0), 400);
    EXPECT_EQ(CompetitionMarkerPosition(800, 25000.0), 800);
    EXPECT_EQ(CompetitionMarkerPosition(800, -5.0), 0);
}

} // namespace
} // namespace klt
