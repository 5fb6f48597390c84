#include <gtest/gtest.h>

#include "core/Exceptions.h"
#include "device/usb/SectionRecords.h"
#include "device/usb/SectionTraining.h"
#include "tests/support/SectionMemory.h"
#include "tests/support/TempDatabase.h"

namespace klt {
namespace {

using test::TSectionSpec;

TEST(SectionRecords, AHeaderGivesItsFieldsAndRefusesWhatCannotBe) {
    TSectionSpec spec;
    spec.At(23, 59, 58).Samples(3);
    spec.intervalMs = 100;
    spec.initials = "A. B";
    const TVeltrakDataHeader header = ParseSectionHeader(spec.HeaderBytes());
    EXPECT_EQ(header.day, test::Day(2026, 12, 9));
    EXPECT_EQ(header.startTime, (23 * 3600 + 59 * 60 + 58) * 100);
    EXPECT_EQ(header.Interval(), 10);
    EXPECT_EQ(header.InitialsText(), "A. B");
    EXPECT_EQ(header.records, 3u);
    EXPECT_EQ(header.End(), header.Start() + 30);

    auto bytes = spec.HeaderBytes();
    EXPECT_THROW(ParseSectionHeader(std::span(bytes).first(38)), EConvertError);
    for (auto [at, value] : std::vector<std::pair<int, int>>{{0, 0}, {1, 13}, {4, 24}, {5, 60}, {6, 60}, {8, 0}}) {
        auto damaged = bytes;
        damaged[static_cast<size_t>(at)] = static_cast<uint8_t>(value);
        EXPECT_THROW(ParseSectionHeader(damaged), EConvertError) << at;
    }
}

TEST(SectionRecords, StorageIntervalsBecomeTheFileFractions) {
    auto fraction = [](uint16_t ms) {
        const TIntervalFraction f = IntervalFraction(ms);
        return std::pair{int{f.numerator}, int{f.denominator}};
    };
    EXPECT_EQ(fraction(100), std::pair(1, 10));
    EXPECT_EQ(fraction(1500), std::pair(3, 2));
    EXPECT_EQ(fraction(60000), std::pair(60, 1));
    EXPECT_EQ(fraction(1230), std::pair(123, 100));
    EXPECT_THROW(IntervalFraction(0), EConvertError);
    EXPECT_THROW(IntervalFraction(65530), EConvertError); // 6553/100 s: no byte holds 6553
}

TEST(SectionRecords, TheRecordsOfABlockEndAtItsEndRecord) {
    auto bytes = [](std::initializer_list<test::TRecordBytes> records) {
        std::vector<uint8_t> b;
        for (const auto& r : records) {
            b.insert(b.end(), r.begin(), r.end());
        }
        return b;
    };
    const auto sample = test::SampleRecord({.power = 1000, .speed = 360, .altitude = -20, .temperature = -55});
    TSectionBlock block = ParseSectionBlock(bytes({sample, test::PauseRecord(), test::EndRecord(), sample}));
    ASSERT_EQ(block.records.size(), 2u);
    EXPECT_EQ(block.records[0].power, 1000);
    EXPECT_EQ(block.records[0].speed, 10000);
    EXPECT_EQ(block.records[0].altitude, -20);
    EXPECT_EQ(block.records[0].temperature, -55);
    EXPECT_FALSE(block.records[0].pause);
    EXPECT_TRUE(block.records[1].pause);

    std::vector<uint8_t> full;
    for (int i = 0; i < 32; ++i) {
        full.insert(full.end(), sample.begin(), sample.end());
    }
    EXPECT_EQ(ParseSectionBlock(full).records.size(), 32u);
    EXPECT_EQ(ParseSectionBlock(std::span(full).first(31 * 16)).records.size(), 31u);
    EXPECT_TRUE(ParseSectionBlock(bytes({test::EndRecord()})).records.empty()); // no more data
    full.push_back(0);
    EXPECT_FALSE(IsSectionBlockReply(full));
    EXPECT_FALSE(IsSectionBlockReply({}));
    EXPECT_THROW(ParseSectionBlock(std::span(full).first(17)), EConvertError);
}

TEST(SectionTraining, ATrainingIsFullAtTheMostBlocksAFileCanHold) {
    const TVeltrakDataHeader header = ParseSectionHeader(TSectionSpec{}.HeaderBytes());
    TSectionTraining training(header, header.Start());
    const TSectionRecord sample{.power = 100, .cadence = 80};
    const TSectionRecord pause{.pause = true};
    for (int i = 0; i < TKLTFile::kMaxBlocks; ++i) {
        ASSERT_TRUE(training.Add(sample));
        ASSERT_TRUE(training.Add(pause));
    }
    EXPECT_FALSE(training.Add(sample));
    EXPECT_EQ(training.SampleCount(), TKLTFile::kMaxBlocks);
    EXPECT_EQ(training.NextTime(), header.Start() + 2 * TKLTFile::kMaxBlocks * 100);
}

} // namespace
} // namespace klt
