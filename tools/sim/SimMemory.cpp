#include "tools/sim/SimMemory.h"

#include <algorithm>
#include <random>

#include "core/KLTFile.h"
#include "tools/sim/SimClock.h"
#include "tools/synth/SyntheticRide.h"

namespace klt::sim {
namespace {

// A training starts at this many seconds of the day, give or take the seed's whim.
constexpr int kMorning = 8 * 3600;
// With two rides a day: the morning ride ends by 10:10 at the latest, the evening one starts at 17:00.
constexpr int kEarlyMorning = 7 * 3600, kEvening = 17 * 3600;
constexpr int kAfterMidnight = 30 * 60;

void Put16(uint8_t* at, int value) {
    at[0] = static_cast<uint8_t>(value & 0xFF);
    at[1] = static_cast<uint8_t>((value >> 8) & 0xFF);
}

// Chest strap out of reach for a while, power meter out of reach for a few seconds.
void AddDropouts(std::vector<TRideSample>& samples, std::mt19937& random, int intervalTenths) {
    if (samples.size() < 40) {
        return;
    }
    auto stretch = [&](int minSeconds, int maxSeconds, auto&& spoil) {
        const int length =
            std::uniform_int_distribution<int>(minSeconds, maxSeconds)(random) * 10 / intervalTenths;
        const int first = std::uniform_int_distribution<int>(0, static_cast<int>(samples.size()) - 1)(random);
        for (int i = first; i < std::min<int>(first + std::max(length, 1), static_cast<int>(samples.size()));
             ++i) {
            spoil(samples[static_cast<size_t>(i)]);
        }
    };
    const int minutes = static_cast<int>(samples.size()) * intervalTenths / 600;
    for (int n = 0; n <= minutes / 20; ++n) {
        stretch(5, 20, [](TRideSample& s) { s.heartRate = 0; });
    }
    for (int n = 0; n < (minutes + 15) / 30; ++n) {
        stretch(3, 8, [](TRideSample& s) { s.powerWatts = s.cadence = 0; });
    }
}

int DaysBeforeToday(const TRideSchedule& schedule, int index) {
    return (schedule.rides - index + schedule.ridesPerDay - 1) / schedule.ridesPerDay;
}

TSimRide OneRide(const TRideSchedule& schedule, int index, std::mt19937& random) {
    const int64_t today = schedule.now / 86400;
    const int64_t day = today - DaysBeforeToday(schedule, index);
    const int rideSeconds = schedule.rideMinutes * 60;

    synth::TRideOptions options;
    options.date = static_cast<uint16_t>(day + kClockEpochDay);
    const int whim = std::uniform_int_distribution<int>(0, 20)(random);
    int startSecond = kMorning + whim * 300;
    if (schedule.ridesPerDay > 1) {
        const bool evening = (schedule.rides - 1 - index) % schedule.ridesPerDay == 0;
        startSecond = (evening ? kEvening : kEarlyMorning) + whim * 180;
    }
    options.startTime = static_cast<uint32_t>(startSecond) * 100;
    // Enough five-minute intervals (warm-up 600 s, cool-down blocks 1380 s) to fill the ride.
    options.intervals = std::clamp((rideSeconds - 1980 + 299) / 300, 1, 20);
    options.pauseSeconds = std::uniform_int_distribution<int>(60, 420)(random);
    options.seed = schedule.seed * 7919u + static_cast<uint32_t>(index);
    options.initials = schedule.initials;
    if (schedule.temperature) {
        options.temperature = *schedule.temperature;
    }
    TKLTFile file;
    synth::BuildRide(file, options);

    std::vector<bool> interval(static_cast<size_t>(file.SampleCount()) + 1, false);
    for (int m = 1; m < file.MarkerCount(); ++m) {
        const TKLTMarker& marker = file.Marker(m);
        if (marker.name.rfind("Interval", 0) == 0) {
            for (int i = marker.first; i <= marker.last; ++i) {
                interval[static_cast<size_t>(i)] = true;
            }
        }
    }

    TSimRide ride;
    int firstSample = 1;
    int recorded = 0;
    for (const TKLTBlock& block : file.Blocks()) {
        const int seconds = std::min<int>(block.count, rideSeconds - recorded);
        if (seconds <= 0) {
            break;
        }
        TRideSegment segment;
        segment.start = day * 86400 + block.start / 100;
        for (int tenths = 0; tenths < seconds * 10; tenths += schedule.intervalTenths) {
            const int i = firstSample + tenths / 10;
            const TSampleElement& element = file.Sample(i);
            segment.samples.push_back({element.Power() / 8, element.Cadence() / 32, element.HeartRate() / 64,
                                       element.Speed(), element.Temperature(), element.Altitude(),
                                       interval[static_cast<size_t>(i)]});
        }
        AddDropouts(segment.samples, random, schedule.intervalTenths);
        ride.segments.push_back(std::move(segment));
        recorded += seconds;
        firstSample += block.count;
    }
    return ride;
}

void EncodeBlockSample(const TRideSample& sample, bool newSpeedScale, uint8_t* record) {
    const int power = std::clamp(sample.powerWatts, 0, 0xFFF);
    // Newer firmware counts speed in 0.2 km/h in ten bits, older in 0.1 km/h in eleven.
    const int speed = newSpeedScale ? std::clamp(sample.speed * 18 / 1000, 0, 0x3FF)
                                    : std::clamp(sample.speed * 36 / 1000, 0, 0x7FF);
    const int speedHigh = newSpeedScale ? (speed >> 8) & 0x03 : (speed >> 8) & 0x07;
    record[0] = static_cast<uint8_t>((sample.interval ? 0x80 : 0) | speedHigh << 4 | power >> 8);
    record[1] = static_cast<uint8_t>(power & 0xFF);
    record[2] = static_cast<uint8_t>(speed & 0xFF);
    record[3] = static_cast<uint8_t>(std::clamp(sample.cadence, 0, 255));
    record[4] = ValidHeartRate(sample.heartRate);
}

// A ride far longer than one training file holds, on a day of its own before the others.
TSimRide LongRide(const TRideSchedule& schedule) {
    const int64_t day = schedule.now / 86400 - DaysBeforeToday(schedule, 0) - 1;
    TSimRide ride;
    ride.segments.push_back(RepeatedRideSegment(schedule, day * 86400 + kAfterMidnight,
                                                static_cast<size_t>(schedule.longRideSamples)));
    return ride;
}

} // namespace

TSimRide BuildRideAt(const TRideSchedule& schedule, int64_t start) {
    TRideSchedule one = schedule;
    one.rides = 1;
    one.ridesPerDay = 1;
    one.now = start + 86400; // the ride of the day before, moved to its time
    std::mt19937 random(schedule.seed);
    TSimRide ride = OneRide(one, 0, random);
    const int64_t shift = start - ride.segments.front().start;
    for (TRideSegment& segment : ride.segments) {
        segment.start += shift;
    }
    return ride;
}

TRideSegment RepeatedRideSegment(const TRideSchedule& schedule, int64_t start, size_t count) {
    TRideSchedule one = schedule;
    one.rides = 1;
    one.ridesPerDay = 1;
    one.rideMinutes = 60;
    std::mt19937 random(schedule.seed ^ 0x5EEDu);
    const TSimRide model = OneRide(one, 0, random);
    std::vector<TRideSample> lap;
    for (const TRideSegment& segment : model.segments) {
        lap.insert(lap.end(), segment.samples.begin(), segment.samples.end());
    }
    TRideSegment segment;
    segment.start = start;
    for (size_t i = 0; i < count && !lap.empty(); ++i) {
        segment.samples.push_back(lap[i % lap.size()]);
    }
    return segment;
}

TRideSchedule RideScheduleFor(const TSimOptions& options, int64_t now) {
    TRideSchedule schedule;
    schedule.rides = options.rides;
    schedule.rideMinutes = options.rideMinutes;
    schedule.intervalTenths = options.intervalTenths;
    schedule.seed = options.seed;
    schedule.initials = options.initials;
    schedule.now = now;
    schedule.temperature = options.temperature;
    return schedule;
}

int64_t IntervalsBetween(int64_t from, int64_t to, int intervalTenths) {
    return std::max<int64_t>(0, (to - from) * 10 / intervalTenths);
}

uint8_t ValidHeartRate(int bpm) {
    return bpm >= 20 && bpm <= 220 ? static_cast<uint8_t>(bpm) : 0;
}

std::vector<TSimRide> BuildSimRides(const TRideSchedule& schedule) {
    std::mt19937 random(schedule.seed);
    std::vector<TSimRide> rides;
    if (schedule.longRideSamples > 0) {
        rides.push_back(LongRide(schedule));
    }
    for (int k = 0; k < schedule.rides; ++k) {
        rides.push_back(OneRide(schedule, k, random));
    }
    return rides;
}

TMemoryRecord EncodeRegisterSample(const TRideSample& sample) {
    const int power = std::clamp(sample.powerWatts, 0, 0xFFF);
    const int speed = std::clamp(sample.speed / 60, 0, 0x7FF); // in 60 mm/s
    return {static_cast<uint8_t>(speed & 0x7F), static_cast<uint8_t>((power & 0x0F) | (speed >> 7) << 4),
            static_cast<uint8_t>(power >> 4), static_cast<uint8_t>(std::clamp(sample.cadence, 0, 255)),
            ValidHeartRate(sample.heartRate)};
}

std::vector<TMemoryRecord> EncodeRegisterMemory(const std::vector<TSimRide>& rides,
                                                const TRecordSettings& settings, int intervalTenths) {
    std::vector<TMemoryRecord> records;
    for (const TSimRide& ride : rides) {
        if (ride.segments.empty()) {
            continue;
        }
        const auto start = static_cast<uint32_t>(ride.segments.front().start);
        records.push_back({0x80, static_cast<uint8_t>(start), static_cast<uint8_t>(start >> 8),
                           static_cast<uint8_t>(start >> 16), static_cast<uint8_t>(start >> 24)});
        TMemoryRecord calibration{0x81, static_cast<uint8_t>(settings.denominator), 0, 0, 0};
        Put16(&calibration[3], settings.zeroOffset);
        records.push_back(calibration);
        TMemoryRecord wheel{0x82, 0, 0, 0, 0};
        Put16(&wheel[1], settings.slope);
        Put16(&wheel[3], settings.wheel);
        records.push_back(wheel);
        records.push_back({0x83, static_cast<uint8_t>(settings.numerator), 0, 0, 0});
        int64_t end = ride.segments.front().start;
        for (const TRideSegment& segment : ride.segments) {
            // The rider stood still: one pause record per storage interval.
            records.insert(records.end(),
                           static_cast<size_t>(IntervalsBetween(end, segment.start, intervalTenths)),
                           TMemoryRecord{0, 0, 0, 0, 0});
            for (const TRideSample& sample : segment.samples) {
                records.push_back(EncodeRegisterSample(sample));
            }
            end = segment.start + static_cast<int64_t>(segment.samples.size()) * intervalTenths / 10;
        }
    }
    if (records.size() > kRegisterMemoryRecords) {
        records.resize(kRegisterMemoryRecords); // memory full: the head unit stopped recording
    }
    return records;
}

uint8_t IntervalByte(int intervalTenths) {
    return intervalTenths < 10 ? static_cast<uint8_t>(0x80 | intervalTenths)
                               : static_cast<uint8_t>(intervalTenths / 10);
}

std::vector<uint8_t> EncodeBlockMemory(const std::vector<TSimRide>& rides, int firmware, int intervalTenths) {
    const bool newSpeedScale = firmware > 0x3403;
    std::vector<uint8_t> memory;
    for (const TSimRide& ride : rides) {
        bool firstOfRide = true;
        for (const TRideSegment& segment : ride.segments) {
            for (size_t first = 0; first < segment.samples.size(); first += kBlockRecords) {
                const int64_t at = segment.start + static_cast<int64_t>(first) * intervalTenths / 10;
                const TBcdTime time = ToBcdTime(at);
                uint8_t block[kBlockSize]{};
                block[0] = static_cast<uint8_t>(time.bytes[0] | (firstOfRide ? kRideStartFlag : 0));
                block[1] = static_cast<uint8_t>(time.bytes[1] | (!firstOfRide && first == 0 ? kResumeFlag : 0));
                block[2] = time.bytes[3];
                block[3] = time.bytes[4];
                block[4] = time.bytes[5];
                block[5] = time.bytes[2];
                block[6] = IntervalByte(intervalTenths);
                block[8] = static_cast<uint8_t>(static_cast<int8_t>(segment.samples[first].temperature / 10));
                // Cadence and heart rate never reach 255, so no record holds a run of four 0xFF bytes.
                for (size_t r = 0; r < kBlockRecords && first + r < segment.samples.size(); ++r) {
                    EncodeBlockSample(segment.samples[first + r], newSpeedScale, &block[9 + 5 * r]);
                }
                memory.insert(memory.end(), block, block + kBlockSize);
                firstOfRide = false;
            }
        }
    }
    if (memory.size() > size_t{kBlockMemoryBlocks} * kBlockSize) {
        memory.resize(size_t{kBlockMemoryBlocks} * kBlockSize);
    }
    return memory;
}

} // namespace klt::sim
