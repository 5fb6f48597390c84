// The recording memory of the simulated generation VI and 7 head unit, read over its socket the way
// docs/usb-sections.md lays it out: count and rewind, headers with their fallback, blocks ending in
// the end record, clearing, and a cable pulled in the middle of a download.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/sim/UsbSectionFixture.h"

namespace klt::sim {
namespace {

using namespace klt::sim::test;

TEST_F(UsbSectionTest, CountRewindsAndHeadersWalkTheSectionsWithTheirFallback) {
    // Two rides: the older in one section, the newer recorded as two a short pause apart.
    ASSERT_EQ(Count(), 3);
    std::vector<THeader> headers;
    for (int s = 0; s < 3; ++s) {
        headers.push_back(ParseHeader(ReplyData(Ask(2))));
        EXPECT_EQ(ParseHeader(ReplyData(Ask(3))).secondOfDay, headers.back().secondOfDay) << "again, same";
    }
    EXPECT_EQ(Ask(2), Reply({0xFF, 4})) << "no fourth section";
    for (const THeader& h : headers) {
        EXPECT_EQ(h.intervalMs, 1000);
        EXPECT_EQ(h.initials, "KLT" + std::string(17, ' '));
        EXPECT_EQ(h.year, 2026);
        EXPECT_GT(h.records, 0u);
    }
    // Morning and evening of the same day, and the evening ride split.
    EXPECT_EQ(headers[0].day, 8);
    EXPECT_EQ(headers[0].day, headers[1].day);
    EXPECT_GE(headers[1].secondOfDay - (headers[0].secondOfDay + static_cast<int>(headers[0].records)), 6 * 3600);
    const int gap = headers[2].secondOfDay - (headers[1].secondOfDay + static_cast<int>(headers[1].records));
    EXPECT_GT(gap, 0);
    EXPECT_LT(gap, 3600);

    ASSERT_EQ(Count(), 3);
    EXPECT_EQ(ParseHeader(ReplyData(Ask(2))).secondOfDay, headers[0].secondOfDay) << "rewound";
    EXPECT_EQ(sim_.State().sectionCounts, 2);
    EXPECT_EQ(sim_.State().sectionsRead, 4);
    EXPECT_EQ(sim_.State().headerRepeats, 3);
}

TEST_F(UsbSectionTest, RequestsOutOfPlaceAreRefused) {
    ASSERT_EQ(Count(), 3);
    EXPECT_EQ(Ask(3), Reply({0xFF, 4})) << "no section yet";
    EXPECT_EQ(Ask(4), Reply({0xFF, 4}));
    EXPECT_EQ(Ask(5), Reply({0xFF, 4})) << "no block yet";
}

TEST_F(UsbSectionTest, BlocksCarryTheRecordsTheHeaderCountsAndEndWithTheEndRecord) {
    const auto expected = sim_.ExpectedTrainings();
    ASSERT_EQ(expected.size(), 2u) << "the split ride joins again";
    ASSERT_EQ(Count(), 3);
    std::vector<TBytes> samples; // of the first section, pause records left out
    const THeader header = ParseHeader(ReplyData(Ask(2)));
    const std::vector<TBytes> blocks = ReadBlocks();
    size_t records = 0;
    for (size_t b = 0; b < blocks.size(); ++b) {
        const TBytes& block = blocks[b];
        ASSERT_EQ(block.size() % 16, 0u);
        ASSERT_LE(block.size(), 32u * 16);
        if (b + 1 < blocks.size()) {
            EXPECT_EQ(block.size(), 32u * 16) << "only the last block is short";
        }
        for (size_t at = 0; at < block.size(); at += 16) {
            const TBytes record(block.begin() + static_cast<long>(at), block.begin() + static_cast<long>(at + 16));
            if (record[10] == 0xFF) {
                EXPECT_EQ(at + 16, block.size()) << "the end record comes last";
                continue;
            }
            ++records;
            if (std::any_of(record.begin(), record.begin() + 6, [](uint8_t v) { return v != 0; })) {
                samples.push_back(record);
            }
        }
    }
    ASSERT_FALSE(blocks.empty());
    EXPECT_EQ(blocks.back()[blocks.back().size() - 16 + 10], 0xFF);
    EXPECT_EQ(records, header.records);
    EXPECT_GT(records, samples.size()) << "the ride has a pause";

    // The same samples the expected training lists, in the units the download keeps.
    const TExpectedTraining& first = expected[0];
    ASSERT_EQ(first.samples.size(), samples.size());
    for (size_t i = 0; i < samples.size(); ++i) {
        const TBytes& r = samples[i];
        const TExpectedSample& e = first.samples[i];
        ASSERT_EQ(e.powerWatts, Word(r, 0)) << i;
        ASSERT_EQ(e.cadenceRpm, r[2]) << i;
        ASSERT_EQ(e.speedMmPerS, Word(r, 3) * 100000 / 3600) << i;
        ASSERT_EQ(e.heartRateBpm, r[5]) << i;
        ASSERT_EQ(e.altitudeM, static_cast<int16_t>(Word(r, 6))) << i;
        ASSERT_EQ(e.temperatureTenths, static_cast<int16_t>(Word(r, 8))) << i;
    }
    EXPECT_EQ(first.startTime, static_cast<uint32_t>(header.secondOfDay) * 100);
    EXPECT_FALSE(first.intervals.empty()) << "interval markers through the marker byte";

    // The last block again, then on to the next section without reading the rest.
    EXPECT_EQ(ReplyData(Ask(5)), blocks.back());
    EXPECT_EQ(ParseHeader(ReplyData(Ask(2))).day, header.day);
    EXPECT_EQ(sim_.State().blocksSent, static_cast<int>(blocks.size()) + 1);
    EXPECT_EQ(sim_.State().blockRepeats, 1);
}

void LongRideOnly(TSimOptions& options) {
    options.rides = 0;
    options.longRideSamples = 64;
}
using UsbFullBlockTest = UsbSectionVariant<LongRideOnly>;

TEST_F(UsbFullBlockTest, SamplesFillingWholeBlocksAreFollowedByTheEndRecordAlone) {
    ASSERT_EQ(Count(), 1);
    EXPECT_EQ(ParseHeader(ReplyData(Ask(2))).records, 64u);
    const std::vector<TBytes> blocks = ReadBlocks();
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_EQ(blocks[2].size(), 16u);
    EXPECT_EQ(blocks[2][10], 0xFF);
    EXPECT_EQ(ReplyData(Ask(4)), blocks[2]) << "asked past the end: the end again";
}

TEST_F(UsbSectionTest, NewRecordingClearsTheMemoryAndKeepsTheHeadUnitBusyAWhile) {
    ASSERT_EQ(Count(), 3);
    EXPECT_EQ(usb_->Ask(Request(4, 7)), Reply({4, 7}));
    EXPECT_EQ(usb_->Ask(Request(1, 6)), Reply({0xFF, 5}));
    EXPECT_EQ(usb_->Ask(Request(1, 6)), Reply({0xFF, 5}));
    EXPECT_EQ(usb_->Ask(Request(1, 6)).size(), 17u) << "ready again";
    EXPECT_EQ(sim_.State().intervalTenths, 10);
    EXPECT_EQ(usb_->Ask(Request(2, 6, {0x01, 0xF4})), Reply({2, 6})); // recording at 0.5 s from now on
    EXPECT_EQ(sim_.State().intervalTenths, 5);
    EXPECT_EQ(Count(), 0);
    EXPECT_EQ(Ask(2), Reply({0xFF, 4}));
    EXPECT_EQ(sim_.State().memoryClears, 1);
    EXPECT_EQ(sim_.State().recordingsStarted, 1);
}

void UnplugAfterTwo(TSimOptions& options) {
    options.faults.unplugAfterBlocks = 2;
}
using UsbUnplugTest = UsbSectionVariant<UnplugAfterTwo>;

TEST_F(UsbUnplugTest, PulledOutAfterTheNthBlockAndPluggedInWithItsMemoryIntact) {
    ASSERT_EQ(Count(), 3);
    const TBytes header = Ask(2);
    const TBytes first = Ask(4);
    EXPECT_EQ(ReplyData(Ask(5)), ReplyData(first)) << "the repeat counts as a block reply";
    EXPECT_TRUE(usb_->HungUp());
    EXPECT_EQ(sim_.State().usbUnplugs, 1);

    usb_ = std::make_unique<TUsbClient>(sim_.SocketPath());
    ASSERT_EQ(usb_->Identity(), "VELTRAK 7");
    ASSERT_EQ(Count(), 3);
    EXPECT_EQ(Ask(2), header);
    EXPECT_EQ(Ask(4), first);
    EXPECT_EQ(ReplyData(Ask(4)).size() % 16, 0u) << "no second unplug";
    EXPECT_EQ(sim_.State().usbUnplugs, 1);
}

} // namespace
} // namespace klt::sim
