#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <fstream>

#include "core/Exceptions.h"
#include "core/KLTDatabase.h"
#include "core/KLTFile.h"
#include "device/VeltrakExceptions.h"
#include "device/VeltrakImage.h"
#include "device/usb/SectionDownload.h"
#include "tests/support/ScriptedPrompt.h"
#include "tests/support/SectionMemory.h"
#include "tests/support/TempDatabase.h"

namespace klt {
namespace {

using test::Day;
using test::TSampleValues;
using test::TSectionSpec;

class SectionDownloadTest : public ::testing::Test {
protected:
    TDownloadResult Download(const TSectionDownloadHooks& hooks = {}) {
        return DownloadTrainingSections(headUnit, image, hooks, settings);
    }
    static std::unique_ptr<TKLTFile> Read(const std::string& path) {
        auto file = std::make_unique<TKLTFile>(path);
        file->ReadFile();
        return file;
    }
    size_t FilesOnDisk() const {
        size_t n = 0;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(database.Path())) {
            n += entry.is_regular_file() ? 1 : 0;
        }
        return n;
    }

    test::TTempDatabase database;
    test::TScriptedPrompt prompt;
    test::TSectionHeadUnit headUnit;
    TVeltrakImage image;
    TSectionDownloadSettings settings;
};

constexpr int32_t kEight = 8 * 360000; // 08:00 in hundredths

TEST_F(SectionDownloadTest, ContinuedSectionsFormOneTrainingAndDifferingSettingsStartAnother) {
    // 08:00 for 100 s; 08:02:40 (a minute after its end); the same again with another wheel.
    headUnit.sections.push_back(TSectionSpec{}.Samples(100));
    headUnit.sections.push_back(TSectionSpec{}.At(8, 2, 40).Samples(80));
    TSectionSpec otherWheel = TSectionSpec{}.At(8, 5, 0).Samples(70);
    otherWheel.wheel = 2100;
    headUnit.sections.push_back(otherWheel);

    const TDownloadResult result = Download();
    EXPECT_TRUE(result.Complete());
    ASSERT_EQ(result.files.size(), 2u);
    const auto joined = Read(result.files[0]);
    EXPECT_EQ(joined->Header().date, Day(2026, 12, 9));
    EXPECT_EQ(joined->SampleCount(), 180);
    EXPECT_EQ(joined->Blocks(), (std::vector<TKLTBlock>{{kEight, 100}, {kEight + 16000, 80}}));
    EXPECT_EQ(joined->Marker(0).name, "JD");
    EXPECT_EQ(joined->Header().circumference, 2095);
    EXPECT_EQ(joined->Header().slope, std::lround(250 * 30.558));
    EXPECT_EQ(joined->Header().zeroOffset, static_cast<uint16_t>(-12));
    EXPECT_EQ(joined->Interval(), 100);
    EXPECT_EQ(joined->Sample(1).Power(), 200 * 8);
    EXPECT_EQ(joined->Sample(1).Speed(), 300 * 100000 / 3600 / 32 * 32); // files keep steps of 32 mm/s
    EXPECT_EQ(joined->Sample(1).Altitude(), 500);
    EXPECT_EQ(joined->Sample(1).Temperature(), 200);
    EXPECT_EQ(Read(result.files[1])->Header().circumference, 2100);

    const TVeltrakImageCounters& counters = image.Counters();
    EXPECT_EQ(counters.headersBefore, 3);
    EXPECT_EQ(counters.headersAfter, 3);
    EXPECT_EQ(counters.trainingFiles, 2);
    EXPECT_EQ(counters.recordsInTrainings, 250);
    EXPECT_EQ(counters.timeAfter, 25000);
}

TEST_F(SectionDownloadTest, AGapBeyondThePauseLimitOrTheClockSetBackStartsANewTraining) {
    settings.limits.MaxPauseTraining = 6000;
    headUnit.sections.push_back(TSectionSpec{}.Samples(100));
    headUnit.sections.push_back(TSectionSpec{}.At(8, 2, 40).Samples(100)); // 60 s after: not below 60 s
    headUnit.sections.push_back(TSectionSpec{}.At(8, 4, 19).Samples(100)); // 1 s before the end
    EXPECT_EQ(Download().files.size(), 3u);
}

TEST_F(SectionDownloadTest, ATrainingAlreadyInTheDatabaseIsNotReadAgain) {
    database.Put("XY", Day(2026, 12, 9), kEight, 30); // same day and start, other athlete even
    headUnit.sections.push_back(TSectionSpec{}.Samples(100));
    headUnit.sections.push_back(TSectionSpec{}.At(8, 1, 50).Samples(100)); // continues it
    headUnit.sections.push_back(TSectionSpec{}.At(15, 0).Samples(100));

    const TDownloadResult result = Download();
    EXPECT_TRUE(result.Complete()) << (result.errors.empty() ? "" : result.errors[0]);
    EXPECT_EQ(result.skippedKnown, 1);
    ASSERT_EQ(result.files.size(), 1u);
    EXPECT_EQ(Read(result.files[0])->Blocks().front().start, 15u * 360000);
    EXPECT_EQ(headUnit.Count(32), 4); // only the third section's data: 100 records and the end
}

TEST_F(SectionDownloadTest, NoSectionsIsACompleteDownloadButNoAnswerIsNot) {
    TDownloadResult result = Download();
    EXPECT_TRUE(result.files.empty());
    EXPECT_TRUE(result.Complete());
    EXPECT_TRUE(prompt.shown.empty());

    headUnit.fault = [](int kind, int) { return kind != 29; };
    result = Download();
    EXPECT_FALSE(result.Complete()); // the head unit's memory must not be cleared after this
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, "Could not download data from Veltrak\r\nPlease try again");
}

TEST_F(SectionDownloadTest, OnlyTheChosenTrainingsAreRead) {
    headUnit.sections.push_back(TSectionSpec{}.Samples(100));
    headUnit.sections.push_back(TSectionSpec{}.At(8, 1, 50).Samples(100));
    headUnit.sections.push_back(TSectionSpec{}.At(14, 5).Samples(120));
    TSectionSpec third = TSectionSpec{}.At(18, 30).Samples(90);
    third.day = 10;
    headUnit.sections.push_back(third);
    std::vector<int> gauge;
    std::vector<std::string> lines;
    TSectionDownloadHooks hooks;
    hooks.progress = [&](int percent) { gauge.push_back(percent); };
    hooks.select = [&](std::vector<TSectionChoice>& choices) {
        for (const auto& choice : choices) {
            lines.push_back(choice.line);
        }
        choices.at(1).chosen = false;
    };

    const TDownloadResult result = Download(hooks);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].size(), 120u);
    EXPECT_EQ(lines[0].substr(0, 80), std::string("09.12.2026") + "    " + "08:00" + "     " + "25.00" + "         " +
                                          "   -12" + "      " + "2095" + "      " + "0:03:30" + "     " + "     200");
    EXPECT_EQ(lines[0].find_first_not_of(' ', 80), std::string::npos);
    EXPECT_EQ(lines[2].substr(0, 20), "10.12.2026    18:30 ");
    EXPECT_EQ(std::vector<int>(gauge.begin(), gauge.begin() + 5), (std::vector<int>{0, 20, 40, 60, 80}));

    ASSERT_EQ(result.files.size(), 2u);
    EXPECT_EQ(Read(result.files[0])->SampleCount(), 200);
    EXPECT_EQ(Read(result.files[1])->Header().date, Day(2026, 12, 10));
    EXPECT_EQ(headUnit.Count(29), 2);
    EXPECT_EQ(headUnit.Count(30), 8);
    EXPECT_FALSE(result.Complete()); // the training left out is still only in the head unit
    EXPECT_TRUE(result.errors.empty());
}

TEST_F(SectionDownloadTest, AHeaderLostTwiceWhileListingFailsTheDownload) {
    headUnit.sections.push_back(TSectionSpec{}.Samples(100));
    headUnit.fault = [](int kind, int) { return kind != 30 && kind != 31; };
    TSectionDownloadHooks hooks;
    hooks.select = [](std::vector<TSectionChoice>&) { FAIL() << "nothing to choose from"; };
    EXPECT_THROW(Download(hooks), EVeltrakComError);
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, "Could not read data section from Veltrak\r\nNot all data were downloaded");
}

TEST_F(SectionDownloadTest, PausesStartNewTimeBlocksAndLostRepliesAreAskedAgain) {
    headUnit.sections.push_back(TSectionSpec{}.Pauses(2).Samples(30).Pauses(3).Samples(40));
    headUnit.fault = [](int kind, int count) { return !(kind == 30 && count == 1) && !(kind == 32 && count == 2); };
    const TDownloadResult result = Download();
    ASSERT_EQ(result.files.size(), 1u);
    EXPECT_EQ(Read(result.files[0])->Blocks(), (std::vector<TKLTBlock>{{kEight + 200, 30}, {kEight + 3500, 40}}));
    EXPECT_EQ(headUnit.Count(31), 1);
    EXPECT_EQ(headUnit.Count(33), 1);
}

TEST_F(SectionDownloadTest, MarkerBytesOpenAndCloseIntervals) {
    TSectionSpec section;
    section.Samples(60).Samples(5, {.marker = 1}).Samples(10).Samples(20, {.marker = 7});
    headUnit.sections.push_back(section);
    const auto file = Read(Download().files.at(0));
    ASSERT_EQ(file->MarkerCount(), 3);
    EXPECT_EQ(file->Marker(1).first, 61);
    EXPECT_EQ(file->Marker(1).last, 65);
    EXPECT_EQ(file->Marker(2).first, 76);
    EXPECT_EQ(file->Marker(2).last, 95); // still open at the end
}

TEST_F(SectionDownloadTest, ACrankStopClearsThePowerAndCadenceOfTheSecondsBefore) {
    TSectionSpec section;
    section.intervalMs = 500; // three seconds are six samples
    section.Samples(150, {.power = 250, .cadence = 95}).Samples(10, {.power = 0, .cadence = 0});
    headUnit.sections.push_back(section);
    const auto file = Read(Download().files.at(0));
    EXPECT_EQ(file->Sample(144).Power(), 250 * 8);
    EXPECT_EQ(file->Sample(144).Cadence(), 95 * 32);
    for (int i = 145; i <= 150; ++i) {
        EXPECT_EQ(file->Sample(i).Power(), 0) << i;
        EXPECT_EQ(file->Sample(i).Cadence(), 0) << i;
        EXPECT_EQ(file->Sample(i).HeartRate(), 140 * 64) << i;
    }
}

TEST_F(SectionDownloadTest, AFullTrainingGoesOnInANewOneAtTheLaterTimeAndACutSavesNoneOfTheRide) {
    headUnit.sections.push_back(TSectionSpec{}.Samples(65534 + 100));
    const TDownloadResult result = Download();
    ASSERT_EQ(result.files.size(), 2u);
    EXPECT_EQ(Read(result.files[0])->SampleCount(), 65534);
    const auto rest = Read(result.files[1]);
    EXPECT_EQ(rest->SampleCount(), 100);
    EXPECT_EQ(rest->Header().date, Day(2026, 12, 10)); // 65,534 s after 08:00 is the next day
    EXPECT_EQ(rest->Blocks().front().start, static_cast<uint32_t>(kEight + 6553400 - 8640000));

    for (const std::string& path : result.files) {
        std::filesystem::remove(path);
    }
    const int blocksBefore = headUnit.Count(32);
    // in the second training the link is lost: nothing answers any more
    headUnit.fault = [=, lost = false](int kind, int count) mutable {
        lost = lost || (kind == 32 && count == blocksBefore + 2050);
        if (lost) {
            throw EVeltrakComError("USB link lost");
        }
        return true;
    };
    const TDownloadResult cut = Download();
    EXPECT_TRUE(cut.cut);
    EXPECT_TRUE(cut.files.empty());
    EXPECT_EQ(FilesOnDisk(), 0u);
}

TEST_F(SectionDownloadTest, TrainingsShorterThanTheMinimumAreDropped) {
    headUnit.sections.push_back(TSectionSpec{}.Samples(59));
    headUnit.sections.push_back(TSectionSpec{}.At(15, 0).Samples(60)); // beyond the pause limit
    const TDownloadResult result = Download();
    EXPECT_TRUE(result.Complete());
    ASSERT_EQ(result.files.size(), 1u);
    EXPECT_EQ(Read(result.files[0])->SampleCount(), 60);
    EXPECT_EQ(image.Counters().trainingFiles, 1);
    EXPECT_EQ(image.Counters().timeBefore, 11900);
}

TEST_F(SectionDownloadTest, ATrainingThatCannotBeWrittenIsReportedAndTheOthersFollow) {
    TSectionSpec november = TSectionSpec{}.Samples(100);
    november.month = 11;
    headUnit.sections.push_back(november);
    headUnit.sections.push_back(TSectionSpec{}.Samples(100));
    // A file where November's folder belongs.
    const std::string month = CanonicalDirectory(database.Path(), "JD", Day(2026, 11, 9));
    std::filesystem::create_directories(std::filesystem::path(month).parent_path().parent_path());
    std::ofstream(std::filesystem::path(month).parent_path()) << "in the way";

    const TDownloadResult result = Download();
    ASSERT_EQ(result.errors.size(), 1u);
    EXPECT_NE(result.errors[0].find("2026_11.KLT"), std::string::npos) << result.errors[0];
    EXPECT_FALSE(result.Complete());
    ASSERT_EQ(result.files.size(), 1u);
    EXPECT_EQ(Read(result.files[0])->Header().date, Day(2026, 12, 9));
}

TEST_F(SectionDownloadTest, ALinkLostMidSectionKeepsTheTrainingsBeforeAndNothingOfTheCutOne) {
    headUnit.sections.push_back(TSectionSpec{}.Samples(100));
    headUnit.sections.push_back(TSectionSpec{}.At(15, 0).Samples(100));
    headUnit.sections.push_back(TSectionSpec{}.At(15, 1, 50).Samples(100)); // continues the second
    headUnit.fault = [lost = false](int kind, int count) mutable {
        lost = lost || (kind == 32 && count == 10); // at the third section's second block
        if (lost) {
            throw EVeltrakComError("USB link lost");
        }
        return true;
    };
    const TDownloadResult result = Download();
    EXPECT_TRUE(result.cut);
    ASSERT_EQ(result.files.size(), 1u);
    EXPECT_EQ(FilesOnDisk(), 1u);
    ASSERT_EQ(result.errors.size(), 1u);
    EXPECT_EQ(result.errors[0], "There was a problem during data download\r\nSome data might be lost.\r\nPlease "
                                "try again if your are missing data.");
    EXPECT_EQ(image.Counters().trainingFiles, 1);
}

TEST_F(SectionDownloadTest, AGarbledHeaderOrBlockIsAskedForAgainAndNothingIsLost) {
    headUnit.sections.push_back(TSectionSpec{}.Samples(100));
    headUnit.fault = [](int kind, int count) {
        if ((kind == 30 || kind == 32) && count == 2) {
            throw Exception("Invalid data from Veltrak received\r\n Please try again later");
        }
        return true;
    };
    headUnit.sections.push_back(TSectionSpec{}.At(15, 0).Samples(100));
    const TDownloadResult result = Download();
    EXPECT_TRUE(result.Complete());
    ASSERT_EQ(result.files.size(), 2u);
    EXPECT_EQ(Read(result.files[0])->SampleCount(), 100);
    EXPECT_EQ(Read(result.files[1])->SampleCount(), 100);
}

TEST_F(SectionDownloadTest, BlocksLostTwiceOrTheAbortFlagEndTheDownloadBetweenTrainings) {
    headUnit.sections.push_back(TSectionSpec{}.Samples(100));
    headUnit.sections.push_back(TSectionSpec{}.At(15, 0).Samples(100));
    headUnit.fault = [](int kind, int count) { return !(kind == 32 && count == 6) && kind != 33; };
    TDownloadResult result = Download();
    EXPECT_TRUE(result.cut);
    EXPECT_EQ(result.files.size(), 1u);
    EXPECT_EQ(FilesOnDisk(), 1u);
    ASSERT_FALSE(prompt.shown.empty());
    EXPECT_EQ(prompt.shown.back().text, "There was a problem during data download\r\nSome data might be lost.\r\nPlease "
                                        "try again if your are missing data.");

    headUnit.fault = {};
    TSectionDownloadHooks hooks;
    const int headersBefore = headUnit.Count(30);
    hooks.aborted = [&] { return headUnit.Count(30) > headersBefore; };
    result = Download(hooks);
    EXPECT_TRUE(result.cut);
    EXPECT_TRUE(result.errors.empty());
    EXPECT_EQ(result.skippedKnown, 1); // the first training was saved before
    EXPECT_TRUE(result.files.empty());
}

TEST_F(SectionDownloadTest, TheAverageTemperatureIsTheCommentInTheChosenUnit) {
    headUnit.sections.push_back(TSectionSpec{}.Samples(60, {.temperature = 196}).Samples(60, {.temperature = 206}));
    EXPECT_EQ(Read(Download().files.at(0))->Comment(), "20°C");
    std::filesystem::remove_all(database.Path() + "/_JD.KLT");
    settings.fahrenheit = true;
    EXPECT_EQ(Read(Download().files.at(0))->Comment(), "68°F");
}

TEST_F(SectionDownloadTest, ImpossibleHeadersAreReportedAndTheOtherSectionsRead) {
    TSectionSpec badDate = TSectionSpec{}.Samples(100);
    badDate.day = 31;
    badDate.month = 11;
    TSectionSpec huge = TSectionSpec{}.At(10, 0).Samples(100);
    huge.announcedRecords = 0xFFFFFFFF;
    TSectionSpec oddInterval = TSectionSpec{}.At(11, 0).Samples(100);
    oddInterval.intervalMs = 1234;
    headUnit.sections = {badDate, huge, oddInterval, TSectionSpec{}.At(12, 0).Samples(100)};
    const TDownloadResult result = Download();
    EXPECT_EQ(result.errors.size(), 3u);
    EXPECT_FALSE(result.Complete());
    ASSERT_EQ(result.files.size(), 1u);
    EXPECT_NE(result.errors[0].find("31.11.2026"), std::string::npos);
}

} // namespace
} // namespace klt
