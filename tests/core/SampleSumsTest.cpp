#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "core/SampleElement.h"
#include "core/SampleSums.h"

namespace klt {
namespace {

// The sums written out plainly, to hold the optimised paths against.
TSampleSums Reference(const std::vector<TSampleElement>& records, int32_t previousAltitude) {
    TSampleSums sums;
    for (const TSampleElement& s : records) {
        sums.watts += s.StoredPower();
        sums.revolutions += s.StoredCadence();
        sums.beats += s.StoredHeartRate();
        sums.speed += s.Speed();
        sums.temperature += s.Temperature();
        if (s.Altitude() > previousAltitude) {
            sums.climb += int64_t{s.Altitude()} - previousAltitude;
        }
        previousAltitude = s.Altitude();
    }
    sums.previousAltitude = previousAltitude;
    return sums;
}

void ExpectSame(const TSampleSums& a, const TSampleSums& b) {
    EXPECT_EQ(a.watts, b.watts);
    EXPECT_EQ(a.revolutions, b.revolutions);
    EXPECT_EQ(a.beats, b.beats);
    EXPECT_EQ(a.speed, b.speed);
    EXPECT_EQ(a.temperature, b.temperature);
    EXPECT_EQ(a.climb, b.climb);
    EXPECT_EQ(a.previousAltitude, b.previousAltitude);
}

TEST(SampleSums, MatchPlainSumsForAnyBytesAndLength) {
    std::mt19937 random(7);
    // Lengths around the vector width and the batch size, bytes anywhere in their range: extreme
    // altitudes make 32-bit differences overflow, high bytes make temperatures negative.
    for (size_t count : {0u, 1u, 2u, 3u, 15u, 16u, 17u, 4681u, 16384u, 16385u, 20001u}) {
        std::vector<TSampleElement> records(count);
        for (TSampleElement& r : records) {
            for (uint8_t& b : r.bytes) {
                b = static_cast<uint8_t>(random());
            }
        }
        if (count > 4) {
            records[1].bytes[11] = 0x7F; // near INT32_MAX
            records[2].bytes[11] = 0x80; // near INT32_MIN
            records[3].bytes[11] = 0x7F;
        }
        TSampleSums sums;
        sums.previousAltitude = -5;
        sums.AddRun(records.empty() ? nullptr : records.front().bytes, count);
        SCOPED_TRACE(count);
        ExpectSame(sums, Reference(records, -5));
    }
}

TEST(SampleSums, RunsAddUpLikeOneRun) {
    std::vector<TSampleElement> records(101);
    for (size_t i = 0; i < records.size(); ++i) {
        records[i].Set(int(8 * i), 32 * 90, 64 * 120, 320, int(i % 7) * 3 - 5, -int(i));
    }
    TSampleSums split;
    split.previousAltitude = records[0].Altitude();
    split.AddRun(records[0].bytes, 50);
    split.AddRun(records[50].bytes, 51);
    ExpectSame(split, Reference(records, records[0].Altitude()));
}

} // namespace
} // namespace klt
