#include <gtest/gtest.h>

#include "core/Exceptions.h"
#include "core/KLTDate.h"
#include "core/KLTFile.h"
#include "device/VeltrakStatus.h"
#include "device/genv/MemoryVFile.h"

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

} // namespace
} // namespace klt
