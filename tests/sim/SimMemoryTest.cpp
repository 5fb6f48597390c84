// The recording memory the simulated head units hold: believable rides, the same for the same seed.
#include <gtest/gtest.h>

#include <algorithm>

#include "tools/sim/SimClock.h"
#include "tools/sim/SimMemory.h"

namespace klt::sim {
namespace {

constexpr int64_t kClock = 1796774400; // 2026-12-09 00:00

TRideSchedule Schedule(uint32_t seed = 5, int rides = 2, int minutes = 30) {
    return {rides, minutes, 10, seed, "KLT", kClock};
}

bool IsBcd(uint8_t value) {
    return (value & 0x0F) <= 9 && (value >> 4) <= 9;
}

TEST(SimMemoryTest, SameSeedSameMemoryOtherSeedOtherMemory) {
    const auto rides = BuildSimRides(Schedule());
    EXPECT_EQ(EncodeBlockMemory(rides, 0x7700, 10), EncodeBlockMemory(BuildSimRides(Schedule()), 0x7700, 10));
    EXPECT_NE(EncodeBlockMemory(rides, 0x7700, 10),
              EncodeBlockMemory(BuildSimRides(Schedule(6)), 0x7700, 10));
}

TEST(SimMemoryTest, RidesLieOnTheDaysBeforeTheClockWithAPauseAndDropouts) {
    const auto rides = BuildSimRides(Schedule());
    ASSERT_EQ(rides.size(), 2u);
    EXPECT_LT(rides[0].segments.front().start, rides[1].segments.front().start);
    for (const TSimRide& ride : rides) {
        ASSERT_EQ(ride.segments.size(), 2u); // a pause splits each half-hour ride
        const TRideSegment& last = ride.segments.back();
        EXPECT_LT(last.start + static_cast<int64_t>(last.samples.size()), kClock);
        EXPECT_GT(ride.segments.front().start, kClock - 3 * 86400);
        size_t samples = 0, heartDropouts = 0, powerDropouts = 0, interval = 0;
        for (const TRideSegment& segment : ride.segments) {
            samples += segment.samples.size();
            for (const TRideSample& s : segment.samples) {
                heartDropouts += s.heartRate == 0;
                powerDropouts += s.powerWatts == 0 && s.speed > 0;
                interval += s.interval;
            }
        }
        EXPECT_EQ(samples, 1800u);
        EXPECT_GT(heartDropouts, 0u);
        EXPECT_GT(powerDropouts, 0u);
        EXPECT_GT(interval, 60u);
    }
}

TEST(SimMemoryTest, RegisterMemoryOpensEachRideWithTimeAndCalibrationAndStoresPausesAsPauseRecords) {
    const auto rides = BuildSimRides(Schedule());
    const TRecordSettings settings{1, 1, 512, 3056, 2105};
    const auto records = EncodeRegisterMemory(rides, settings, 10);
    std::vector<size_t> starts;
    for (size_t i = 0; i < records.size(); ++i) {
        if (records[i][0] == 0x80) {
            starts.push_back(i);
        }
    }
    ASSERT_EQ(starts.size(), 2u);
    const TMemoryRecord& time = records[starts[1]];
    EXPECT_EQ(time[1] | time[2] << 8 | time[3] << 16 | int64_t{time[4]} << 24,
              rides[1].segments.front().start);
    EXPECT_EQ(records[starts[1] + 1], (TMemoryRecord{0x81, 1, 0, 0x00, 0x02}));
    EXPECT_EQ(records[starts[1] + 2], (TMemoryRecord{0x82, 0xF0, 0x0B, 0x39, 0x08}));
    EXPECT_EQ(records[starts[1] + 3], (TMemoryRecord{0x83, 1, 0, 0, 0}));
    // Pause records fill exactly the time between the two segments of the first ride.
    const auto& first = rides[0].segments;
    const int64_t gap = first[1].start - first[0].start - static_cast<int64_t>(first[0].samples.size());
    const auto pauses = std::count(records.begin(), records.begin() + static_cast<long>(starts[1]),
                                   TMemoryRecord{0, 0, 0, 0, 0});
    EXPECT_EQ(pauses, gap);
    EXPECT_EQ(records.size(),
              2 * (4 + 1800) + static_cast<size_t>(pauses) +
                  static_cast<size_t>(rides[1].segments[1].start - rides[1].segments[0].start - 900));
}

TEST(SimMemoryTest, RegisterSampleKeepsTwelveBitsOfPowerAndElevenOfSpeed) {
    TRideSample sample;
    sample.powerWatts = 0x9A7;
    sample.speed = 0x5B3 * 60;
    sample.cadence = 93;
    sample.heartRate = 221; // beyond what a heart does: not stored
    const TMemoryRecord record = EncodeRegisterSample(sample);
    EXPECT_EQ((record[1] & 0x0F) | record[2] << 4, 0x9A7);
    EXPECT_EQ((record[1] >> 4) << 7 | (record[0] & 0x7F), 0x5B3);
    EXPECT_EQ(record[3], 93);
    EXPECT_EQ(record[4], 0);
    EXPECT_LT(record[0], 0x80);
}

TEST(SimMemoryTest, BlocksStartWithBcdTimesMarkRideStartsAndResumesAndNeverHoldFourFFs) {
    const auto rides = BuildSimRides(Schedule());
    const auto memory = EncodeBlockMemory(rides, 0x7700, 10);
    ASSERT_EQ(memory.size() % kBlockSize, 0u);
    int rideStarts = 0, resumes = 0, markerRecords = 0;
    for (size_t at = 0; at < memory.size(); at += kBlockSize) {
        const uint8_t* block = &memory[at];
        rideStarts += (block[0] & 0x40) != 0;
        resumes += (block[1] & 0x20) != 0;
        EXPECT_TRUE(IsBcd(block[0] & 0x3F) && IsBcd(block[1] & 0x1F) && IsBcd(block[2]) && IsBcd(block[3]) &&
                    IsBcd(block[4]));
        EXPECT_LE(block[2], 0x23);
        EXPECT_EQ(std::search_n(block, block + kBlockSize, 4, uint8_t{0xFF}), block + kBlockSize);
        for (int r = 0; r < kBlockRecords; ++r) {
            markerRecords += (block[9 + 5 * r] & 0x80) != 0;
        }
    }
    EXPECT_EQ(rideStarts, 2);
    EXPECT_EQ(resumes, 2);
    EXPECT_GT(markerRecords, 2 * 60);
    // The first block: the ride's start time, the interval byte and the temperature.
    const auto start = ToBcdTime(rides[0].segments.front().start);
    EXPECT_EQ(memory[0], start.bytes[0] | 0x40);
    EXPECT_EQ(memory[1], start.bytes[1]);
    EXPECT_EQ(memory[2], start.bytes[3]);
    EXPECT_EQ(memory[6], 1);
    EXPECT_EQ(memory[8], rides[0].segments.front().samples.front().temperature / 10);
}

TEST(SimMemoryTest, BlockSampleScalesSpeedByFirmware) {
    TSimRide ride;
    TRideSample sample;
    sample.powerWatts = 0x2C5;
    sample.speed = 10000; // 36 km/h
    sample.cadence = 90;
    sample.heartRate = 150;
    ride.segments.push_back({kClock - 3600, {sample}});
    const auto newer = EncodeBlockMemory({ride}, 0x3404, 10);
    EXPECT_EQ((newer[9] & 0x0F) << 8 | newer[10], 0x2C5);
    EXPECT_EQ(((newer[9] & 0x30) << 4 | newer[11]), 180); // 0.2 km/h
    const auto older = EncodeBlockMemory({ride}, 0x3403, 10);
    EXPECT_EQ(((older[9] & 0x70) << 4 | older[11]), 360); // 0.1 km/h
    EXPECT_EQ(newer[12], 90);
    EXPECT_EQ(newer[13], 150);
}

TEST(SimMemoryTest, LongRidesHaveTheirFullLength) {
    const auto rides = BuildSimRides(Schedule(5, 1, 120));
    size_t samples = 0;
    for (const TRideSegment& segment : rides.front().segments) {
        samples += segment.samples.size();
    }
    EXPECT_EQ(samples, 7200u);
}

TEST(SimMemoryTest, IntervalOfAHalfSecondStoresTwiceAsManySamples) {
    TRideSchedule schedule = Schedule(5, 1, 10);
    schedule.intervalTenths = 5;
    size_t samples = 0;
    const auto rides = BuildSimRides(schedule);
    for (const TRideSegment& segment : rides.front().segments) {
        samples += segment.samples.size();
    }
    EXPECT_EQ(samples, 1200u);
    EXPECT_EQ(IntervalByte(5), 0x85);
    EXPECT_EQ(IntervalByte(20), 2);
}

} // namespace
} // namespace klt::sim
