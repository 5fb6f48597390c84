#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "device/genv/MemoryV.h"

namespace klt {
namespace {

using TRecord = std::array<uint8_t, 5>;

// One 64-byte block: day, month, hour, minute, second, three unused bytes, the temperature, then up
// to eleven 5-byte records.
std::vector<uint8_t> Block(std::array<uint8_t, 5> dateTime, uint8_t temperature,
                           const std::vector<TRecord>& records) {
    std::vector<uint8_t> block(kMemoryVBlockSize, 0);
    std::copy(dateTime.begin(), dateTime.end(), block.begin());
    block[8] = temperature;
    size_t at = 9;
    for (const TRecord& record : records) {
        std::copy(record.begin(), record.end(), block.begin() + static_cast<std::ptrdiff_t>(at));
        at += record.size();
    }
    return block;
}

std::vector<TRecord> Riding(size_t n) {
    return std::vector<TRecord>(n, TRecord{0x01, 0x2C, 36, 90, 140});
}

constexpr uint16_t kNewFirmware = 0x6500;
constexpr uint16_t kOldFirmware = 0x2B00;

TEST(MemoryV, BlockStartsNeedAValidDateDataAndTheStartFlag) {
    const auto riding = Riding(1);
    const auto start = MemoryVBlockStart(Block({0x59, 0x12, 0x23, 0x59, 0x59}, 20, riding));
    ASSERT_TRUE(start.has_value());
    EXPECT_EQ(*start, (TVeltrakVBlockStart{19, 12, 23, 59, 59, false, true}));

    const auto byMonth = MemoryVBlockStart(Block({0x31, 0x21, 0x80, 0, 0}, 20, riding));
    ASSERT_TRUE(byMonth.has_value());
    EXPECT_TRUE(byMonth->startsTraining);
    EXPECT_TRUE(byMonth->speedPerMinute);
    EXPECT_EQ(byMonth->day, 31);
    EXPECT_EQ(byMonth->month, 1);

    const auto continuation = MemoryVBlockStart(Block({0x15, 0x06, 0x10, 0, 0}, 20, riding));
    ASSERT_TRUE(continuation.has_value());
    EXPECT_FALSE(continuation->startsTraining);

    const std::vector<std::array<uint8_t, 5>> invalid = {
        {0x40, 0x01, 0, 0, 0},    {0x72, 0x01, 0, 0, 0},    {0x41, 0x13, 0, 0, 0},   {0x41, 0x00, 0, 0, 0},
        {0x41, 0x01, 0x24, 0, 0}, {0x41, 0x01, 0, 0x60, 0}, {0x41, 0x01, 0, 0, 0x5A}};
    for (const auto& dateTime : invalid) {
        EXPECT_FALSE(MemoryVBlockStart(Block(dateTime, 20, riding)).has_value())
            << int{dateTime[0]} << " " << int{dateTime[1]} << " " << int{dateTime[2]};
    }
    EXPECT_FALSE(MemoryVBlockStart(Block({0x41, 0x01, 0, 0, 0}, 0, {})).has_value()); // no data
}

TEST(MemoryV, TrainingsCollectTheRecordsOfTheirBlocks) {
    std::vector<uint8_t> memory = Block({0x15, 0x06, 0x08, 0, 0}, 20, Riding(11)); // before any start
    for (const auto& block : {Block({0x41, 0x06, 0x09, 0x30, 0}, 21, Riding(11)),
                              Block({0x01, 0x06, 0x09, 0x30, 0x11}, 21, Riding(4)),
                              Block({0x42, 0x06, 0x18, 0, 0}, 0xF6, {TRecord{0x35, 0x10, 0x20, 60, 120}})}) {
        memory.insert(memory.end(), block.begin(), block.end());
    }
    const TMemoryVParse parse = ParseMemoryV(memory, kNewFirmware, 100);
    const auto& trainings = parse.trainings;
    ASSERT_EQ(trainings.size(), 2u);
    EXPECT_EQ(trainings[0].start.hour, 9);
    EXPECT_EQ(trainings[0].start.minute, 30);
    // A block holds 11 records; the unused slots of a training's last block are no samples.
    EXPECT_EQ(trainings[0].samples.size(), 15u);
    EXPECT_EQ(trainings[0].samples[0], (TVeltrakVSample{0x12C, 36 * 100000 / 3600 * 2, 90, 140, 210}));
    EXPECT_EQ(trainings[0].blocks, (std::vector<TVeltrakVTimeBlock>{{trainings[0].start, 15}}));
    EXPECT_TRUE(trainings[0].markers.empty());

    ASSERT_EQ(trainings[1].samples.size(), 1u);
    const TVeltrakVSample second = trainings[1].samples[0];
    EXPECT_EQ(second.power, 0x510);
    EXPECT_EQ(second.speed, ((0x30 << 4) | 0x20) * 100000 / 3600 * 2);
    EXPECT_EQ(second.temperature, -100); // the temperature byte is signed: a winter ride
    // The data before the first training start belong to no training: the memory must stay.
    EXPECT_EQ(parse.unstartedBlocks, 1);
    EXPECT_EQ(parse.Problems(),
              std::vector<std::string>{"1 block of the Veltrak's memory held data before the first training started."});
}

TEST(MemoryV, ALostBlockKeepsTheSamplesAfterItAtTheirOwnTime) {
    std::vector<uint8_t> memory;
    for (const auto& block : {Block({0x41, 0x06, 0x09, 0x30, 0}, 21, Riding(11)),
                              Block({0x01, 0x06, 0x09, 0x30, 0x0A}, 21, Riding(11)), // no valid time
                              Block({0x01, 0x06, 0x09, 0x30, 0x22}, 21, Riding(11)),
                              Block({0x01, 0x06, 0x09, 0x30, 0x33}, 21, Riding(3))}) {
        memory.insert(memory.end(), block.begin(), block.end());
    }
    const TMemoryVParse parse = ParseMemoryV(memory, kNewFirmware, 100);
    ASSERT_EQ(parse.trainings.size(), 1u);
    const TVeltrakVTraining& training = parse.trainings[0];
    EXPECT_EQ(training.samples.size(), 25u);
    ASSERT_EQ(training.blocks.size(), 2u);
    EXPECT_EQ(training.blocks[0].count, 11);
    EXPECT_EQ(training.blocks[1].count, 14);
    EXPECT_EQ(training.blocks[1].start.second, 22); // 09:30:22, where the next good block says
    EXPECT_EQ(parse.undatedBlocks, 1);

    // A block that stayed garbled in the transfer is left out the same way.
    const std::vector<size_t> garbled = {2};
    const TMemoryVParse noisy = ParseMemoryV(memory, kNewFirmware, 100, garbled);
    EXPECT_EQ(noisy.garbledBlocks, 1);
    EXPECT_EQ(noisy.trainings[0].samples.size(), 14u);
    EXPECT_EQ(noisy.trainings[0].blocks.back().start.second, 33);
    EXPECT_EQ(noisy.Problems().size(), 2u);
}

TEST(MemoryV, SpeedDependsOnFirmwareAndThePerMinuteFlag) {
    const std::vector<TRecord> records = {TRecord{0x70, 0, 0x10, 0, 0}};
    const auto older = ParseMemoryV(Block({0x41, 0x01, 0x10, 0, 0}, 20, records), kOldFirmware, 200).trainings;
    ASSERT_EQ(older.size(), 1u);
    EXPECT_EQ(older[0].samples[0].speed, 0x710 * 100000 / 3600);
    const auto newer = ParseMemoryV(Block({0x41, 0x01, 0x10, 0, 0}, 20, records), kNewFirmware, 200).trainings;
    EXPECT_EQ(newer[0].samples[0].speed, 0x310 * 100000 / 3600 * 2);
    const auto perMinute = ParseMemoryV(Block({0x41, 0x01, 0x90, 0, 0}, 20, records), kNewFirmware, 200).trainings;
    EXPECT_EQ(perMinute[0].samples[0].speed, 0x310 * 1000 / 60 * 2);
}

TEST(MemoryV, TheMarkerBitOpensAndClosesIntervals) {
    const TRecord plain{0x01, 0x2C, 36, 90, 140};
    const TRecord marked{0x81, 0x2C, 36, 90, 140};
    const TRecord markerOnly{0x80, 0, 0, 0, 0};
    const TRecord bit6{0x41, 0x2C, 36, 90, 140};
    const std::vector<TRecord> records = {plain, marked, marked, markerOnly, plain, bit6, marked, marked};

    const auto newer = ParseMemoryV(Block({0x41, 0x01, 0x10, 0, 0}, 20, records), kNewFirmware, 200).trainings;
    ASSERT_EQ(newer.size(), 1u);
    // The marker-only record neither opens nor closes; the last marker is still open at the end.
    EXPECT_EQ(newer[0].markers, (std::vector<TVeltrakVMarker>{{1, 3}, {6, -1}}));

    // Older firmware does not let records with bit 6 toggle the marker.
    const std::vector<TRecord> withBit6 = {marked, bit6, plain};
    const auto older = ParseMemoryV(Block({0x41, 0x01, 0x10, 0, 0}, 20, withBit6), kOldFirmware, 200).trainings;
    EXPECT_EQ(older[0].markers, (std::vector<TVeltrakVMarker>{{0, 1}}));
    const auto newerBit6 = ParseMemoryV(Block({0x41, 0x01, 0x10, 0, 0}, 20, withBit6), kNewFirmware, 200).trainings;
    EXPECT_EQ(newerBit6[0].markers, (std::vector<TVeltrakVMarker>{{0, 0}}));
}

TEST(MemoryV, AStoppedCrankClearsThePowerOfTheLagBeforeIt) {
    std::vector<TRecord> records = Riding(8);
    records.push_back(TRecord{0x00, 0x00, 36, 0, 140});
    const auto fast = ParseMemoryV(Block({0x41, 0x01, 0x10, 0, 0}, 20, records), kNewFirmware, 50).trainings;
    const auto& samples = fast[0].samples;
    // 1.5 s at 0.5 s: the three samples before the stop lose power and cadence.
    EXPECT_EQ(samples[4].cadence, 90);
    EXPECT_EQ(samples[4].power, 0x12C);
    for (size_t i = 5; i <= 8; ++i) {
        EXPECT_EQ(samples[i].cadence, 0) << i;
        EXPECT_EQ(samples[i].power, 0) << i;
        EXPECT_EQ(samples[i].heartRate, 140) << i;
    }
    // Longer intervals keep what was recorded.
    const auto slow = ParseMemoryV(Block({0x41, 0x01, 0x10, 0, 0}, 20, records), kNewFirmware, 200).trainings;
    EXPECT_EQ(slow[0].samples[7].cadence, 90);
}

TRecord Reading(int power, uint8_t cadence) {
    return TRecord{static_cast<uint8_t>(power >> 8), static_cast<uint8_t>(power & 0xFF), 36, cadence, 140};
}

std::vector<TVeltrakVSample> ParsedSamples(std::vector<TRecord> records, uint16_t firmware, int32_t interval) {
    // Eleven records a block, the last reading held to fill it; the blocks after the first continue
    // the training.
    records.resize((records.size() + 10) / 11 * 11, records.back());
    std::vector<uint8_t> memory;
    for (size_t first = 0; first < records.size(); first += 11) {
        const std::vector<TRecord> part(records.begin() + static_cast<std::ptrdiff_t>(first),
                                        records.begin() + static_cast<std::ptrdiff_t>(std::min(first + 11, records.size())));
        const auto block = Block({static_cast<uint8_t>(first == 0 ? 0x41 : 0x01), 0x01, 0x10, 0, 0}, 20, part);
        memory.insert(memory.end(), block.begin(), block.end());
    }
    return ParseMemoryV(memory, firmware, interval).trainings[0].samples;
}

TEST(MemoryV, AHeldReadingIsSpreadOverItsRepeatsAtShortIntervals) {
    // Six samples of warm-up, a change to 200 W held three times, then 260 W.
    std::vector<TRecord> records(6, Reading(100, 80));
    records.insert(records.end(), {Reading(200, 90), Reading(200, 90), Reading(200, 90), Reading(260, 96)});
    const auto samples = ParsedSamples(records, kNewFirmware, 50);
    EXPECT_EQ(samples[6].power, 200);
    EXPECT_EQ(samples[7].power, 220);
    EXPECT_EQ(samples[8].power, 240);
    EXPECT_EQ(samples[8].cadence, 94);
    EXPECT_EQ(samples[9].power, 260);
    // Steady riding at 2 s is what was recorded, and so is a long steady stretch at 0.5 s.
    EXPECT_EQ(ParsedSamples(records, kNewFirmware, 200)[7].power, 200);
    std::vector<TRecord> steady(6, Reading(100, 80));
    steady.insert(steady.end(), 12, Reading(200, 90));
    steady.push_back(Reading(260, 96));
    const auto steadySamples = ParsedSamples(steady, kNewFirmware, 50);
    for (size_t i = 6; i < 18; ++i) {
        EXPECT_EQ(steadySamples[i].power, 200) << i;
    }
    // Rolling out to a stop is no held reading.
    std::vector<TRecord> coasting(6, Reading(100, 80));
    coasting.insert(coasting.end(), {Reading(0, 0), Reading(0, 0), Reading(150, 70)});
    EXPECT_EQ(ParsedSamples(coasting, kNewFirmware, 100)[7].power, 0);
}

TEST(MemoryV, OlderFirmwareLosesSingleCadenceJumpsAtSlowIntervals) {
    std::vector<TRecord> records(6, Reading(150, 90));
    records.insert(records.end(), {Reading(150, 180), Reading(150, 94), Reading(150, 96)});
    const auto corrected = ParsedSamples(records, 0x4000, 200);
    EXPECT_EQ(corrected[6].cadence, 92);
    EXPECT_EQ(ParsedSamples(records, 0x4200, 200)[6].cadence, 180); // newer firmware counts right
    EXPECT_EQ(ParsedSamples(records, 0x4000, 100)[6].cadence, 180); // fast intervals are left alone
    // A climb across 120 rpm that stays there is real.
    std::vector<TRecord> sprint(6, Reading(150, 110));
    sprint.insert(sprint.end(), {Reading(300, 125), Reading(300, 126), Reading(300, 127)});
    EXPECT_EQ(ParsedSamples(sprint, 0x4000, 200)[6].cadence, 125);
}

} // namespace
} // namespace klt
