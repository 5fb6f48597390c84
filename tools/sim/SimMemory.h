#pragma once
// The recording memory of a simulated head unit: synthetic rides (warm-up, intervals, a pause,
// cool-down, with heart-rate and power-meter dropouts) stored the way each generation stores them.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/sim/SimOptions.h"

namespace klt::sim {

// One stored sample, in the units the head unit measures in.
struct TRideSample {
    int powerWatts = 0;
    int cadence = 0;       // rpm
    int heartRate = 0;     // bpm; 0 while the chest strap is not heard
    int speed = 0;         // mm/s
    int temperature = 0;   // 0.1 degC
    int altitude = 0;      // m
    bool interval = false; // the rider had the interval key pressed
};

// A stretch recorded without a pause, at the storage interval.
struct TRideSegment {
    int64_t start = 0; // head-unit clock seconds
    std::vector<TRideSample> samples;
};

struct TSimRide {
    std::vector<TRideSegment> segments;
};

struct TRideSchedule {
    int rides = 2;
    int rideMinutes = 30;
    int intervalTenths = 10;
    uint32_t seed = 1;
    std::string initials = "KLT";
    int64_t now = 0; // clock seconds; the rides lie on the days before
    int ridesPerDay = 1; // 2: a morning and an evening ride, far enough apart to stay two trainings
    int longRideSamples = 0; // above 0: one more ride of that many samples, on a day of its own before
                             // the others, starting shortly after midnight
    std::optional<int> temperature = std::nullopt; // degC at the start of every ride; default a mild day
};

// The rides a head unit with these options recorded before `now`, one a day.
TRideSchedule RideScheduleFor(const TSimOptions& options, int64_t now);

// One ride of the schedule's length, seed and interval that starts at `start`.
TSimRide BuildRideAt(const TRideSchedule& schedule, int64_t start);
// `count` samples from `start` without a pause: an ordinary hour's ride over and over.
TRideSegment RepeatedRideSegment(const TRideSchedule& schedule, int64_t start, size_t count);

// The rides of a memory, oldest first; the same schedule gives the same rides.
std::vector<TSimRide> BuildSimRides(const TRideSchedule& schedule);

// The number of storage intervals between two clock times (none when `to` is not later).
int64_t IntervalsBetween(int64_t from, int64_t to, int intervalTenths);
// What a head unit stores for a heart rate: 0 for a value no chest strap sends.
uint8_t ValidHeartRate(int bpm);

// Calibration and interval written into the register-protocol memory ahead of each ride.
struct TRecordSettings {
    int numerator = 1, denominator = 1;
    int zeroOffset = 0, slope = 0, wheel = 0;
};

using TMemoryRecord = std::array<uint8_t, 5>;
constexpr int kRegisterMemoryRecords = 26214; // 128 KiB of 5-byte records

// Register-protocol memory: per ride a date-and-time record, the calibration records, then the
// measurements, with pause records for the seconds the rider stood still.
std::vector<TMemoryRecord> EncodeRegisterMemory(const std::vector<TSimRide>& rides,
                                                const TRecordSettings& settings, int intervalTenths);
TMemoryRecord EncodeRegisterSample(const TRideSample& sample);

constexpr int kBlockSize = 64;
constexpr int kBlockRecords = 11; // after the 9 header bytes
constexpr int kBlockMemoryBlocks = 8192;

constexpr uint8_t kRideStartFlag = 0x40; // in a block's day byte
constexpr uint8_t kResumeFlag = 0x20;    // in a block's month byte

// Generation V memory: 64-byte blocks each starting with its BCD time; the first block of a ride is
// marked in the day byte, the first after a pause in the month byte.
std::vector<uint8_t> EncodeBlockMemory(const std::vector<TSimRide>& rides, int firmware, int intervalTenths);
// The storage interval as the "R" command and the block headers carry it.
uint8_t IntervalByte(int intervalTenths);

} // namespace klt::sim
