// What the options of a generation VI or 7 head unit change in the memory a download reads: the
// temperature recorded, impossible dates, pauses before the first sample, headers that count too
// few records, and blocks that all end with the end record.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/sim/UsbSectionFixture.h"

namespace klt::sim {
namespace {

using namespace klt::sim::test;

void Winter(TSimOptions& options) {
    options.temperature = -12;
}
using UsbWinterTest = UsbSectionVariant<Winter>;

TEST_F(UsbWinterTest, RecordsCarryTheColdInTenthsAndTheExpectedTrainingsToo) {
    ASSERT_EQ(Count(), 3);
    ParseHeader(ReplyData(Ask(2)));
    std::vector<int> temperatures;
    for (const TBytes& record : SampleRecords(ReadBlocks())) {
        temperatures.push_back(static_cast<int16_t>(Word(record, 8)));
    }
    ASSERT_FALSE(temperatures.empty());
    EXPECT_EQ(temperatures.front(), -120);
    EXPECT_TRUE(
        std::all_of(temperatures.begin(), temperatures.end(), [](int t) { return t >= -120 && t <= -100; }));
    const auto expected = sim_.ExpectedTrainings();
    ASSERT_FALSE(expected.empty());
    ASSERT_EQ(expected[0].samples.size(), temperatures.size());
    for (size_t i = 0; i < temperatures.size(); ++i) {
        ASSERT_EQ(expected[0].samples[i].temperatureTenths, temperatures[i]) << i;
    }
}

void EverySecondDateBad(TSimOptions& options) {
    options.faults.badDateEvery = 2;
}
using UsbBadDateTest = UsbSectionVariant<EverySecondDateBad>;

TEST_F(UsbBadDateTest, EveryNthHeaderSaysMonthThirteenOverRecordsThatStayTheSame) {
    ASSERT_EQ(Count(), 3);
    std::vector<int> months;
    std::vector<size_t> records;
    for (int s = 0; s < 3; ++s) {
        const THeader header = ParseHeader(ReplyData(Ask(2)));
        months.push_back(header.month);
        size_t count = 0;
        for (const TBytes& block : ReadBlocks()) {
            count += block.size() / 16;
        }
        records.push_back(count - 1);
        EXPECT_EQ(records.back(), header.records) << s;
    }
    EXPECT_EQ(months, (std::vector<int>{12, 13, 12}));
    const auto sections = BuildSectionMemory(Options(), kClock);
    for (size_t s = 0; s < sections.size(); ++s) {
        EXPECT_EQ(records[s], sections[s].records.size()) << s;
    }
}

void FivePausesFirst(TSimOptions& options) {
    options.leadingPauses = 5;
}
using UsbLeadingPausesTest = UsbSectionVariant<FivePausesFirst>;

TEST_F(UsbLeadingPausesTest, EverySectionStartsWithPauseRecordsBeforeItsFirstSample) {
    const auto plain = BuildSectionMemory(Options(), kClock);
    ASSERT_EQ(Count(), static_cast<int>(plain.size()));
    for (const TSimSection& section : plain) {
        const THeader header = ParseHeader(ReplyData(Ask(2)));
        EXPECT_EQ(header.secondOfDay, section.start % 86400 - 5);
        EXPECT_EQ(header.records, section.records.size() + 5);
        const TBytes first = ReplyData(Ask(4));
        ASSERT_EQ(first.size(), 32u * 16);
        EXPECT_EQ(TBytes(first.begin(), first.begin() + 5 * 16), TBytes(5 * 16, 0));
        EXPECT_EQ(TBytes(first.begin() + 5 * 16, first.begin() + 6 * 16),
                  TBytes(section.records[0].begin(), section.records[0].end()));
    }
}

void ThreeRecordsUnannounced(TSimOptions& options) {
    options.faults.extraRecords = 3;
}
using UsbExtraRecordsTest = UsbSectionVariant<ThreeRecordsUnannounced>;

TEST_F(UsbExtraRecordsTest, HeadersCountFewerRecordsThanTheBlocksDeliver) {
    const auto held = BuildSectionMemory(Options(), kClock);
    ASSERT_EQ(Count(), static_cast<int>(held.size()));
    for (const TSimSection& section : held) {
        EXPECT_EQ(ParseHeader(ReplyData(Ask(2))).records, section.records.size() - 3);
        size_t delivered = 0;
        for (const TBytes& block : ReadBlocks()) {
            delivered += block.size() / 16;
        }
        EXPECT_EQ(delivered, section.records.size() + 1) << "every record and the end record";
    }
    const auto expected = sim_.ExpectedTrainings();
    const auto unfaulted = ExpectedUsbTrainings(Options(), kClock);
    ASSERT_EQ(expected.size(), unfaulted.size());
    for (size_t t = 0; t < expected.size(); ++t) {
        EXPECT_EQ(expected[t].samples, unfaulted[t].samples) << t;
    }
}

void EndInEveryBlock(TSimOptions& options) {
    options.rides = 0;
    options.longRideSamples = 64;
    options.endEveryBlock = true;
}
using UsbEndEveryBlockTest = UsbSectionVariant<EndInEveryBlock>;

TEST_F(UsbEndEveryBlockTest, EveryBlockEndsWithTheEndRecordYetTheSectionGoesOn) {
    ASSERT_EQ(Count(), 1);
    EXPECT_EQ(ParseHeader(ReplyData(Ask(2))).records, 64u);
    std::vector<size_t> sizes;
    TBytes records;
    for (int b = 0; b < 5; ++b) {
        const TBytes block = ReplyData(Ask(4));
        ASSERT_GE(block.size(), 16u);
        ASSERT_EQ(block.size() % 16, 0u);
        EXPECT_EQ(block[block.size() - 16 + 10], 0xFF) << b;
        sizes.push_back(block.size() / 16);
        records.insert(records.end(), block.begin(), block.end() - 16);
    }
    EXPECT_EQ(sizes, (std::vector<size_t>{32, 32, 3, 1, 1})) << "31, 31 and 2 records, then the end alone";
    const auto sections = BuildSectionMemory(sim_.Options(), kClock);
    TBytes held;
    for (const TSectionRecord& record : sections.front().records) {
        held.insert(held.end(), record.begin(), record.end());
    }
    EXPECT_EQ(records, held);
}

} // namespace
} // namespace klt::sim
