#include <gtest/gtest.h>

#include "core/Exceptions.h"
#include "core/KLTDate.h"
#include "core/TrainingDataUnit.h"
#include "device/VeltrakStatus.h"
#include "device/genv/MemoryVFile.h"
#include "tests/device/FakeDownloadSink.h"

namespace klt {
namespace {

uint16_t Day(int year, int month, int day) {
    return static_cast<uint16_t>(DaysSince1880({year, month, day}));
}

TVeltrakVBlockStart Start(uint8_t day, uint8_t month, uint8_t minute = 30) {
    return {day, month, 9, minute, 15, false, true};
}

TVeltrakStatus Status() {
    TVeltrakStatus status;
    status.ClockDay = Day(2026, 12, 9);
    status.SetInitialen("Jo");
    status.Radumfang = 2100;
    status.SetAbspeicherZeitBruch(1, 2);
    return status;
}

TEST(MemoryVFile, TheTrainingDateIsTheLatestBeforeTheClock) {
    const uint16_t clock = Day(2026, 12, 9);
    EXPECT_EQ(TrainingDayV(Start(1, 12), clock), Day(2026, 12, 1));
    EXPECT_EQ(TrainingDayV(Start(9, 12), clock), clock);
    EXPECT_EQ(TrainingDayV(Start(19, 12), clock), Day(2025, 12, 19));
    EXPECT_EQ(TrainingDayV(Start(29, 2), clock), Day(2024, 2, 29));
    EXPECT_THROW(TrainingDayV(Start(31, 4), clock), EConvertError);
}

TEST(MemoryVFile, SamplesMarkersTimeBlocksAndSettingsReachTheTraining) {
    TVeltrakVTraining recorded;
    recorded.start = Start(1, 12);
    recorded.samples = std::vector<TVeltrakVSample>(10, TVeltrakVSample{250, 9001, 90, 140, -55});
    recorded.markers = {{2, 4}, {7, -1}};
    recorded.blocks = {{Start(1, 12), 6}, {Start(1, 12, 40), 4}}; // a lost block between them

    TTrainingData training;
    FillTrainingV(training, recorded, Status());
    EXPECT_EQ(training.Header().date, Day(2026, 12, 1));
    EXPECT_EQ(training.Header().circumference, 2100);
    EXPECT_EQ(training.IntervalSeconds(), 0.5);
    EXPECT_EQ(training.Blocks(),
              (std::vector<TBlock>{{(9 * 3600 + 30 * 60 + 15) * 100, 6}, {(9 * 3600 + 40 * 60 + 15) * 100, 4}}));
    ASSERT_EQ(training.SampleCount(), 10);
    EXPECT_EQ(training.Sample(0).Value(dcPower), 250);
    EXPECT_EQ(training.Sample(9).Value(dcCadence), 90);
    EXPECT_EQ(training.Sample(4).Value(dcHeartRate), 140);
    EXPECT_EQ(training.Sample(4).Value(dcSpeed), 9001); // exactly, not in steps of 32 mm/s
    EXPECT_EQ(training.Sample(4).Value(dcTemperature), -55);
    ASSERT_EQ(training.Markers().size(), 3u);
    EXPECT_EQ(training.Markers()[0].name, "Jo");
    EXPECT_EQ(training.Markers()[1].first, 3);
    EXPECT_EQ(training.Markers()[1].last, 5);
    EXPECT_EQ(training.Markers()[2].first, 8);
    EXPECT_EQ(training.Markers()[2].last, 10);
}

std::vector<uint8_t> OneRecordBlocks(std::initializer_list<std::pair<uint8_t, uint8_t>> dayMonth) {
    std::vector<uint8_t> memory;
    for (const auto& [day, month] : dayMonth) {
        std::vector<uint8_t> block(kMemoryVBlockSize, 0);
        block[0] = day;
        block[1] = month;
        block[2] = 0x10;
        block[8] = 20;
        block[9] = 0x01;
        memory.insert(memory.end(), block.begin(), block.end());
    }
    return memory;
}

TEST(MemoryVFile, EachTrainingGoesToTheSinkAndAnImpossibleDateDoesNotStopTheOthers) {
    // 1 December, 31 April (no such day), 2 December; each one block with one record.
    const std::vector<uint8_t> memory = OneRecordBlocks({{0x41, 0x12}, {0x71, 0x04}, {0x42, 0x12}});
    test::TFakeDownloadSink sink;
    const TDownloadResult result = CreateTrainingFilesV(memory, {}, Status(), sink);
    EXPECT_EQ(result.errors.size(), 1u);
    EXPECT_FALSE(result.Complete());
    ASSERT_EQ(result.files.size(), 2u);
    EXPECT_EQ(sink.Training(0).Header().date, Day(2026, 12, 1));
    EXPECT_EQ(sink.Training(0).SampleCount(), 1);
    EXPECT_EQ(sink.Training(1).Header().date, Day(2026, 12, 2));
}

TEST(MemoryVFile, ATrainingTheDatabaseHoldsIsNotSavedAgain) {
    const std::vector<uint8_t> memory = OneRecordBlocks({{0x41, 0x12}, {0x42, 0x12}});
    test::TFakeDownloadSink sink;
    ASSERT_EQ(CreateTrainingFilesV(memory, {}, Status(), sink).files.size(), 2u);
    const TDownloadResult again = CreateTrainingFilesV(memory, {}, Status(), sink);
    EXPECT_TRUE(again.files.empty());
    EXPECT_EQ(again.skippedKnown, 2);
    EXPECT_TRUE(again.Complete());
    EXPECT_EQ(sink.saved.size(), 2u);
}

TEST(MemoryVFile, GarbledBlocksKeepTheMemory) {
    const std::vector<uint8_t> memory = OneRecordBlocks({{0x41, 0x12}, {0x42, 0x12}});
    test::TFakeDownloadSink sink;
    const std::vector<size_t> garbled = {1};
    const TDownloadResult result = CreateTrainingFilesV(memory, garbled, Status(), sink);
    EXPECT_EQ(result.files.size(), 1u);
    ASSERT_EQ(result.incomplete.size(), 1u);
    EXPECT_NE(result.incomplete[0].find("garbled"), std::string::npos);
}

} // namespace
} // namespace klt
