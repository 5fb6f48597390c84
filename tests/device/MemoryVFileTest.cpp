#include <gtest/gtest.h>

#include "core/Exceptions.h"
#include "core/KLTDatabase.h"
#include "core/KLTDate.h"
#include "core/KLTFile.h"
#include "core/TrainingEnvironment.h"
#include "device/VeltrakStatus.h"
#include "device/genv/MemoryVFile.h"
#include "tests/support/RawTraining.h"

namespace klt {
namespace {

uint16_t Day(int year, int month, int day) {
    return static_cast<uint16_t>(DaysSince1880({year, month, day}));
}

TVeltrakVBlockStart Start(uint8_t day, uint8_t month) {
    return {day, month, 9, 30, 15, false, true};
}

TEST(MemoryVFile, TheTrainingDateIsTheLatestBeforeTheClock) {
    const uint16_t clock = Day(2026, 12, 9);
    EXPECT_EQ(TrainingDayV(Start(1, 12), clock), Day(2026, 12, 1));
    EXPECT_EQ(TrainingDayV(Start(9, 12), clock), clock);
    EXPECT_EQ(TrainingDayV(Start(19, 12), clock), Day(2025, 12, 19));
    EXPECT_EQ(TrainingDayV(Start(29, 2), clock), Day(2024, 2, 29));
    EXPECT_THROW(TrainingDayV(Start(31, 4), clock), EConvertError);
}

TEST(MemoryVFile, SamplesMarkersAndSettingsReachTheFile) {
    TVeltrakVTraining training;
    training.start = Start(1, 12);
    training.temperature = 215;
    training.samples = std::vector<TVeltrakVSample>(10, TVeltrakVSample{250, 9000, 90, 140});
    training.markers = {{2, 4}, {7, -1}};
    TVeltrakStatus status;
    status.ClockDay = Day(2026, 12, 9);
    status.SetInitialen("Jo");
    status.Radumfang = 2100;
    status.SetAbspeicherZeitBruch(1, 2);

    TKLTFile file;
    FillTrainingFileV(file, training, status);
    EXPECT_EQ(file.Header().date, Day(2026, 12, 1));
    EXPECT_EQ(file.Header().circumference, 2100);
    EXPECT_EQ(file.Interval(), 50);
    EXPECT_EQ(file.Blocks(), (std::vector<TKLTBlock>{{(9 * 3600 + 30 * 60 + 15) * 100, 10}}));
    ASSERT_EQ(file.SampleCount(), 10);
    EXPECT_EQ(file.Sample(1).Power(), 250 * 8);
    EXPECT_EQ(file.Sample(10).Cadence(), 90 * 32);
    EXPECT_EQ(file.Sample(5).HeartRate(), 140 * 64);
    EXPECT_EQ(file.Sample(5).Temperature(), 215);
    EXPECT_EQ(file.Marker(0).name, "Jo");
    ASSERT_EQ(file.MarkerCount(), 3);
    EXPECT_EQ(file.Marker(1).first, 3);
    EXPECT_EQ(file.Marker(1).last, 5);
    EXPECT_EQ(file.Marker(2).first, 8);
    EXPECT_EQ(file.Marker(2).last, 10);
}

TEST(MemoryVFile, EachTrainingOfTheMemoryIsWrittenAndAnImpossibleDateDoesNotStopTheOthers) {
    test::TTempDir dir;
    TrainingEnvironment().databaseDir = dir.Path();
    std::vector<uint8_t> memory;
    // 1 December, 31 April (no such day), 2 December; each one block with a record.
    for (const auto& [day, month] : {std::pair{0x41, 0x12}, std::pair{0x71, 0x04}, std::pair{0x42, 0x12}}) {
        std::vector<uint8_t> block(kMemoryVBlockSize, 0);
        block[0] = static_cast<uint8_t>(day);
        block[1] = static_cast<uint8_t>(month);
        block[2] = 0x10;
        block[8] = 20;
        block[9] = 0x01;
        memory.insert(memory.end(), block.begin(), block.end());
    }
    TVeltrakStatus status;
    status.ClockDay = Day(2026, 12, 9);
    status.SetInitialen("Jo");
    int errors = 0;
    const auto paths = CreateTrainingFilesV(memory, status, [&](const std::exception&) { ++errors; });
    TrainingEnvironment().databaseDir.clear();

    EXPECT_EQ(errors, 1);
    ASSERT_EQ(paths.size(), 2u);
    EXPECT_EQ(paths[1], CanonicalDirectory(dir.Path(), "Jo", Day(2026, 12, 2)) +
                            CanonicalStem("Jo", Day(2026, 12, 2)) + "A.klt");
    TKLTFile first(paths[0]);
    first.ReadFile();
    EXPECT_EQ(first.Header().date, Day(2026, 12, 1));
    EXPECT_EQ(first.SampleCount(), 11);
}

} // namespace
} // namespace klt
