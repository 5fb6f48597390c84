#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "core/Exceptions.h"
#include "core/KLTDate.h"
#include "core/TrainingDataUnit.h"
#include "device/VeltrakExceptions.h"
#include "device/VeltrakImage.h"
#include "device/usb/SectionDownload.h"
#include "tests/device/FakeDownloadSink.h"
#include "tests/support/SectionMemory.h"

namespace klt {
namespace {

using test::TSampleValues;
using test::TSectionSpec;

uint16_t Day(int year, int month, int day) {
    return static_cast<uint16_t>(DaysSince1880({year, month, day}));
}

class SectionDownloadTest : public ::testing::Test {
protected:
    TDownloadResult Download() { return DownloadTrainingSections(headUnit, image, sink, settings); }
    const TTrainingData& Saved(const TDownloadResult& result, size_t index) const {
        const TTrainingData* training = sink.Find(result.files.at(index));
        if (training == nullptr) {
            throw std::logic_error("not saved: " + result.files.at(index));
        }
        return *training;
    }

    test::TFakeDownloadSink sink;
    test::TSectionHeadUnit headUnit;
    TVeltrakImage image;
    TSectionDownloadSettings settings;
};

constexpr int32_t kEight = 8 * 360000; // 08:00 in hundredths

int Value(const TTrainingData& training, int sample, TDataChannel channel) {
    return training.Sample(sample - 1).Value(channel);
}

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
    const TTrainingData& joined = Saved(result, 0);
    EXPECT_EQ(joined.Header().date, Day(2026, 12, 9));
    EXPECT_EQ(joined.SampleCount(), 180);
    EXPECT_EQ(joined.Blocks(), (std::vector<TBlock>{{kEight, 100}, {kEight + 16000, 80}}));
    ASSERT_EQ(joined.Markers().size(), 1u);
    EXPECT_EQ(joined.Markers()[0].name, "JD");
    EXPECT_EQ(joined.Markers()[0].first, 1);
    EXPECT_EQ(joined.Markers()[0].last, 180);
    EXPECT_EQ(joined.Markers()[0].words[0], 200 * 8); // the average power, as older programs read it
    EXPECT_EQ(joined.Header().circumference, 2095);
    EXPECT_EQ(joined.Header().slope, std::lround(250 * 30.558));
    EXPECT_EQ(joined.Header().zeroOffset, static_cast<uint16_t>(-12));
    EXPECT_EQ(joined.IntervalSeconds(), 1.0);
    EXPECT_EQ(Value(joined, 1, dcPower), 200);
    EXPECT_EQ(Value(joined, 1, dcSpeed), 300 * 100000 / 3600); // 8333 mm/s exactly, not 8320
    EXPECT_EQ(Value(joined, 1, dcAltitude), 500);
    EXPECT_EQ(Value(joined, 1, dcTemperature), 200);
    EXPECT_EQ(Saved(result, 1).Header().circumference, 2100);

    const TVeltrakImageCounters& counters = image.Counters();
    EXPECT_EQ(counters.headersBefore, 3);
    EXPECT_EQ(counters.headersAfter, 3);
    EXPECT_EQ(counters.trainingFiles, 2);
    EXPECT_EQ(counters.recordsInTrainings, 250);
    EXPECT_EQ(counters.timeAfter, 25000);
    // What the memory holds, for the save dialog's gauge.
    EXPECT_EQ(image.HeapCount, 250);
}

TEST_F(SectionDownloadTest, AGapBeyondThePauseLimitOrTheClockSetBackStartsANewTraining) {
    settings.limits.MaxPauseTraining = 6000;
    headUnit.sections.push_back(TSectionSpec{}.Samples(100));
    headUnit.sections.push_back(TSectionSpec{}.At(8, 2, 40).Samples(100)); // 60 s after: not below 60 s
    headUnit.sections.push_back(TSectionSpec{}.At(8, 4, 19).Samples(100)); // 1 s before the end
    EXPECT_EQ(Download().files.size(), 3u);
}

TEST_F(SectionDownloadTest, ARideInTheDatabaseIsNotReadAgainButWhatFollowsItIs) {
    // The morning ride was kept in the head unit; the rider rode on after a pause within the limit.
    sink.Hold("JD", Day(2026, 12, 9), kEight, 190, kEight + 20000); // the first two sections below
    sink.Hold("XY", Day(2026, 12, 9), 15 * 360000, 100); // same start, another athlete
    headUnit.sections.push_back(TSectionSpec{}.Samples(100));
    headUnit.sections.push_back(TSectionSpec{}.At(8, 1, 50).Samples(90));  // continues it
    headUnit.sections.push_back(TSectionSpec{}.At(13, 0).Samples(120));   // continues the ride, after it
    headUnit.sections.push_back(TSectionSpec{}.At(15, 0).Samples(100));

    const TDownloadResult result = Download();
    EXPECT_TRUE(result.Complete()) << (result.incomplete.empty() ? "" : result.incomplete[0]);
    EXPECT_EQ(result.skippedKnown, 1);
    ASSERT_EQ(result.files.size(), 1u);
    const TTrainingData& afternoon = Saved(result, 0);
    // The afternoon is a training of its own at its own time, joined with the section after it.
    EXPECT_EQ(afternoon.Blocks(), (std::vector<TBlock>{{13 * 360000, 120}, {15 * 360000, 100}}));
    // Neither stored section is read again: the afternoon's 120 and 100 records come in four blocks
    // each, and a fifth asks whether there is more.
    EXPECT_EQ(headUnit.Count(32), 5 + 5);
}

TEST_F(SectionDownloadTest, ARideBegunWithPausesIsKnownByItsFirstSample) {
    headUnit.sections.push_back(TSectionSpec{}.Pauses(20).Samples(100));
    const TDownloadResult first = Download();
    ASSERT_EQ(first.files.size(), 1u);
    EXPECT_EQ(Saved(first, 0).Blocks().front().start, kEight + 2000u);

    const TDownloadResult again = Download();
    EXPECT_TRUE(again.files.empty());
    EXPECT_EQ(again.skippedKnown, 1);
    EXPECT_TRUE(again.Complete());
}

TEST_F(SectionDownloadTest, ARideSplitWhenFullIsKnownInBothParts) {
    headUnit.sections.push_back(TSectionSpec{}.Samples(65534 + 100));
    ASSERT_EQ(Download().files.size(), 2u);
    const TDownloadResult again = Download();
    EXPECT_TRUE(again.files.empty());
    EXPECT_EQ(again.skippedKnown, 2);
    EXPECT_TRUE(again.Complete());
}

TEST_F(SectionDownloadTest, NoSectionsIsACompleteDownloadButNoAnswerIsNot) {
    TDownloadResult result = Download();
    EXPECT_TRUE(result.files.empty());
    EXPECT_TRUE(result.Complete());
    EXPECT_TRUE(sink.prompt.shown.empty());

    headUnit.fault = [](int kind, int) { return kind != 29; };
    result = Download();
    EXPECT_FALSE(result.Complete()); // the head unit's memory must not be cleared after this
    ASSERT_EQ(sink.prompt.shown.size(), 1u);
    EXPECT_EQ(sink.prompt.shown[0].text, "Could not download data from Veltrak\r\nPlease try again");
}

TEST_F(SectionDownloadTest, OnlyTheChosenTrainingsAreReadAndTheOthersKeepTheMemory) {
    headUnit.sections.push_back(TSectionSpec{}.Samples(100));
    headUnit.sections.push_back(TSectionSpec{}.At(8, 1, 50).Samples(100));
    headUnit.sections.push_back(TSectionSpec{}.At(14, 5).Samples(120));
    TSectionSpec third = TSectionSpec{}.At(18, 30).Samples(90);
    third.day = 10;
    headUnit.sections.push_back(third);
    std::vector<std::string> lines;
    settings.choose = true;
    sink.choose = [&](std::vector<TSectionChoice>& choices) {
        for (const auto& choice : choices) {
            lines.push_back(choice.line);
        }
        choices.at(1).chosen = false;
    };

    const TDownloadResult result = Download();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].size(), 120u);
    EXPECT_EQ(lines[0].substr(0, 80), std::string("09.12.2026") + "    " + "08:00" + "     " + "25.00" + "         " +
                                          "   -12" + "      " + "2095" + "      " + "0:03:30" + "     " + "     200");
    EXPECT_EQ(lines[0].find_first_not_of(' ', 80), std::string::npos);
    EXPECT_EQ(lines[2].substr(0, 20), "10.12.2026    18:30 ");
    EXPECT_EQ(std::vector<int>(sink.progress.begin(), sink.progress.begin() + 5), (std::vector<int>{0, 20, 40, 60, 80}));

    ASSERT_EQ(result.files.size(), 2u);
    EXPECT_EQ(Saved(result, 0).SampleCount(), 200);
    EXPECT_EQ(Saved(result, 1).Header().date, Day(2026, 12, 10));
    EXPECT_EQ(headUnit.Count(29), 2);
    EXPECT_EQ(headUnit.Count(30), 8);
    EXPECT_EQ(image.Counters().headersBefore, 4); // listing them for the choice does not count them twice
    EXPECT_TRUE(result.errors.empty());
    // The training left out is only in the head unit; the reason says so.
    EXPECT_EQ(result.incomplete, std::vector<std::string>{"1 training was not chosen."});
}

TEST_F(SectionDownloadTest, AHeaderLostTwiceWhileListingFailsTheDownload) {
    headUnit.sections.push_back(TSectionSpec{}.Samples(100));
    headUnit.fault = [](int kind, int) { return kind != 30 && kind != 31; };
    settings.choose = true;
    sink.choose = [](std::vector<TSectionChoice>&) { FAIL() << "nothing to choose from"; };
    const TDownloadResult result = Download();
    EXPECT_FALSE(result.Complete());
    ASSERT_EQ(sink.prompt.shown.size(), 1u);
    EXPECT_EQ(sink.prompt.shown[0].text, "Could not read data section from Veltrak\r\nNot all data were downloaded");
}

TEST_F(SectionDownloadTest, PausesStartNewTimeBlocksAndLostRepliesAreAskedAgain) {
    headUnit.sections.push_back(TSectionSpec{}.Pauses(2).Samples(30).Pauses(3).Samples(40));
    headUnit.fault = [](int kind, int count) { return !(kind == 30 && count == 1) && !(kind == 32 && count == 2); };
    const TDownloadResult result = Download();
    ASSERT_EQ(result.files.size(), 1u);
    EXPECT_EQ(Saved(result, 0).Blocks(), (std::vector<TBlock>{{kEight + 200, 30}, {kEight + 3500, 40}}));
    EXPECT_EQ(headUnit.Count(31), 1);
    EXPECT_GE(headUnit.Count(33), 1);
}

TEST_F(SectionDownloadTest, AnEndRecordEndsItsBlockNotTheSection) {
    // A head unit that ends the data of every block, not only the last, with the end record.
    TSectionSpec section = TSectionSpec{}.Samples(100);
    section.endEveryBlock = true;
    headUnit.sections.push_back(section);
    const TDownloadResult result = Download();
    EXPECT_TRUE(result.Complete());
    ASSERT_EQ(result.files.size(), 1u);
    EXPECT_EQ(Saved(result, 0).SampleCount(), 100);
}

TEST_F(SectionDownloadTest, RecordsBeyondTheAnnouncedCountKeepTheMemory) {
    for (const bool endEveryBlock : {false, true}) {
        TSectionSpec section = TSectionSpec{}.Samples(100);
        section.announcedRecords = 70;
        section.endEveryBlock = endEveryBlock;
        headUnit.sections = {section};
        sink.saved.clear();
        const TDownloadResult result = Download();
        ASSERT_EQ(result.files.size(), 1u) << endEveryBlock;
        EXPECT_EQ(Saved(result, 0).SampleCount(), 70);
        ASSERT_EQ(result.incomplete.size(), 1u) << endEveryBlock;
        EXPECT_NE(result.incomplete[0].find("30 records more"), std::string::npos) << result.incomplete[0];
    }
}

TEST_F(SectionDownloadTest, MarkerBytesOpenAndCloseIntervals) {
    TSectionSpec section;
    section.Samples(60).Samples(5, {.marker = 1}).Samples(10).Samples(20, {.marker = 7});
    headUnit.sections.push_back(section);
    const TDownloadResult result = Download();
    const TTrainingData& training = Saved(result, 0);
    ASSERT_EQ(training.Markers().size(), 3u);
    EXPECT_EQ(training.Markers()[1].first, 61);
    EXPECT_EQ(training.Markers()[1].last, 65);
    EXPECT_EQ(training.Markers()[2].first, 76);
    EXPECT_EQ(training.Markers()[2].last, 95); // still open at the end
}

TEST_F(SectionDownloadTest, ACrankStopClearsThePowerAndCadenceOfTheSecondsBefore) {
    TSectionSpec section;
    section.intervalMs = 500; // three seconds are six samples
    section.Samples(150, {.power = 250, .cadence = 95}).Samples(10, {.power = 0, .cadence = 0});
    headUnit.sections.push_back(section);
    const TDownloadResult result = Download();
    const TTrainingData& training = Saved(result, 0);
    EXPECT_EQ(Value(training, 144, dcPower), 250);
    EXPECT_EQ(Value(training, 144, dcCadence), 95);
    for (int i = 145; i <= 150; ++i) {
        EXPECT_EQ(Value(training, i, dcPower), 0) << i;
        EXPECT_EQ(Value(training, i, dcCadence), 0) << i;
        EXPECT_EQ(Value(training, i, dcHeartRate), 140) << i;
    }
}

TEST_F(SectionDownloadTest, AFullTrainingGoesOnInANewOneAtTheLaterTimeAndACutSavesNoneOfTheRide) {
    headUnit.sections.push_back(TSectionSpec{}.Samples(65534 + 100));
    const TDownloadResult result = Download();
    ASSERT_EQ(result.files.size(), 2u);
    EXPECT_EQ(Saved(result, 0).SampleCount(), 65534);
    const TTrainingData& rest = Saved(result, 1);
    EXPECT_EQ(rest.SampleCount(), 100);
    EXPECT_EQ(rest.Header().date, Day(2026, 12, 10)); // 65,534 s after 08:00 is the next day
    EXPECT_EQ(rest.Blocks().front().start, static_cast<uint32_t>(kEight + 6553400 - 8640000));

    sink.saved.clear();
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
    EXPECT_FALSE(cut.Complete());
    EXPECT_TRUE(cut.files.empty());
    EXPECT_TRUE(sink.saved.empty()); // the first part was taken back
    EXPECT_EQ(sink.removed.size(), 1u);
}

TEST_F(SectionDownloadTest, TrainingsShorterThanTheMinimumAreDropped) {
    headUnit.sections.push_back(TSectionSpec{}.Samples(59));
    headUnit.sections.push_back(TSectionSpec{}.At(15, 0).Samples(60)); // beyond the pause limit
    const TDownloadResult result = Download();
    EXPECT_TRUE(result.Complete());
    ASSERT_EQ(result.files.size(), 1u);
    EXPECT_EQ(Saved(result, 0).SampleCount(), 60);
    EXPECT_EQ(image.Counters().trainingFiles, 1);
    EXPECT_EQ(image.Counters().timeBefore, 11900);

    headUnit.sections = {TSectionSpec{}.Samples(59)};
    EXPECT_TRUE(Download().Complete()); // a memory of only a too-short ride is no lost ride
}

TEST_F(SectionDownloadTest, ATrainingThatCannotBeSavedIsReportedAndItsRideReadAgainNextTime) {
    TSectionSpec november = TSectionSpec{}.Samples(100);
    november.month = 11;
    headUnit.sections.push_back(november);
    headUnit.sections.push_back(TSectionSpec{}.Samples(100));
    sink.failSave = [](const TTrainingData& training) { return training.Header().date == Day(2026, 11, 9); };

    const TDownloadResult result = Download();
    ASSERT_EQ(result.errors.size(), 1u);
    EXPECT_FALSE(result.Complete());
    ASSERT_EQ(result.files.size(), 1u);
    EXPECT_EQ(Saved(result, 0).Header().date, Day(2026, 12, 9));
}

TEST_F(SectionDownloadTest, ALinkLostMidSectionKeepsTheTrainingsBeforeAndNothingOfTheCutOne) {
    headUnit.sections.push_back(TSectionSpec{}.Samples(100));
    headUnit.sections.push_back(TSectionSpec{}.At(15, 0).Samples(100));
    headUnit.sections.push_back(TSectionSpec{}.At(15, 1, 50).Samples(100)); // continues the second
    headUnit.fault = [lost = false](int kind, int count) mutable {
        lost = lost || (kind == 32 && count == 12); // at the third section's second block
        if (lost) {
            throw EVeltrakComError("USB link lost");
        }
        return true;
    };
    const TDownloadResult result = Download();
    ASSERT_EQ(result.files.size(), 1u);
    EXPECT_EQ(sink.saved.size(), 1u);
    EXPECT_EQ(result.incomplete, std::vector<std::string>{"There was a problem during data download\r\nSome data might "
                                                          "be lost.\r\nPlease try again if your are missing data."});
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
    EXPECT_EQ(Saved(result, 0).SampleCount(), 100);
    EXPECT_EQ(Saved(result, 1).SampleCount(), 100);
}

TEST_F(SectionDownloadTest, BlocksLostTwiceOrAnAbortEndTheDownloadKeepingWhatWasFinished) {
    headUnit.sections.push_back(TSectionSpec{}.Samples(100));
    headUnit.sections.push_back(TSectionSpec{}.At(15, 0).Samples(100));
    headUnit.fault = [](int kind, int count) { return !(kind == 32 && count == 7) && kind != 33; };
    TDownloadResult result = Download();
    EXPECT_FALSE(result.Complete());
    EXPECT_EQ(result.files.size(), 1u);
    EXPECT_EQ(sink.saved.size(), 1u);
    ASSERT_FALSE(sink.prompt.shown.empty());
    EXPECT_EQ(sink.prompt.shown.back().text, "There was a problem during data download\r\nSome data might be "
                                             "lost.\r\nPlease try again if your are missing data.");

    // An abort in the middle of a section: asked between requests, not only between sections.
    headUnit.fault = {};
    const int blocksBefore = headUnit.Count(32);
    sink.abort = [&] { return headUnit.Count(32) > blocksBefore + 1; };
    result = Download();
    EXPECT_EQ(result.incomplete, std::vector<std::string>{"The download was cancelled."});
    EXPECT_TRUE(result.errors.empty());
    EXPECT_EQ(result.skippedKnown, 1); // the first training was saved before
    EXPECT_TRUE(result.files.empty());
    EXPECT_EQ(headUnit.Count(32), blocksBefore + 2);
}

TEST_F(SectionDownloadTest, TheAverageTemperatureIsTheCommentInTheChosenUnit) {
    headUnit.sections.push_back(TSectionSpec{}.Samples(60, {.temperature = 196}).Samples(60, {.temperature = 206}));
    EXPECT_EQ(Saved(Download(), 0).Comment(), "20°C");
    sink.saved.clear();
    settings.fahrenheit = true;
    EXPECT_EQ(Saved(Download(), 0).Comment(), "68°F");
    sink.saved.clear();
    headUnit.sections = {TSectionSpec{}.Samples(120, {.temperature = -52})};
    EXPECT_EQ(Saved(Download(), 0).Comment(), "23°F"); // a winter ride
}

TEST_F(SectionDownloadTest, TheBatteryTheHeadUnitReportedGoesWithEveryTraining) {
    image.BatInfo.battery = 1234;
    image.BatInfo.battery2 = 7;
    headUnit.sections.push_back(TSectionSpec{}.Samples(100));
    const TTrainingData& training = Saved(Download(), 0);
    EXPECT_EQ(training.ExtraHeader().batInfo.battery, 1230u);
    EXPECT_EQ(training.ExtraHeader().batInfo.battery2, 7u);
}

TEST_F(SectionDownloadTest, ImpossibleHeadersKeepTheMemoryAndTheOtherSectionsAreRead) {
    TSectionSpec badDate = TSectionSpec{}.Samples(100);
    badDate.day = 31;
    badDate.month = 11;
    TSectionSpec huge = TSectionSpec{}.At(10, 0).Samples(100);
    huge.announcedRecords = 0xFFFFFFFF;
    TSectionSpec oddInterval = TSectionSpec{}.At(11, 0).Samples(100);
    oddInterval.intervalMs = 1234;
    headUnit.sections = {badDate, huge, oddInterval, TSectionSpec{}.At(12, 0).Samples(100)};
    const TDownloadResult result = Download();
    EXPECT_EQ(result.incomplete.size(), 3u);
    ASSERT_EQ(result.files.size(), 1u);
    EXPECT_NE(result.incomplete[0].find("31.11.2026"), std::string::npos);

    headUnit.sections = {badDate};
    sink.saved.clear();
    const TDownloadResult nothing = Download();
    EXPECT_TRUE(nothing.files.empty());
    EXPECT_FALSE(nothing.Complete()); // a memory that holds data but gave no training
}

} // namespace
} // namespace klt
