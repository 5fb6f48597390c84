#pragma once
// What a download of a generation VI or 7 head unit's memory should give, worked out from the
// sections the simulated head unit holds, so device tests can compare a download sample by sample:
//
//   const auto expected = sim.ExpectedTrainings(); // THeadUnitSimulator, or ExpectedTrainings(sections)
//   // expected[t].samples[i].powerWatts * 8 == file.Sample(i + 1).Power(), and so on
//
// Sections join into one training when the next starts less than the pause limit after the end of
// the current one (start + records x interval) with equal interval, slope, wheel and initials;
// pause records start a new time block when values resume; 65,534 samples end a training and the
// next sample starts another at its own time. A training starts with its first sample: pause
// records before it (--leading-pauses puts them at the head of every section) only move its start.
// Short trainings are not dropped here, and values are as recorded: the download's own corrections
// (cadence stops) are not applied.
//
// Every record a section's blocks carry counts, whatever its header announces (the "extrarecords"
// fault) and however the blocks are cut (--end-every-block).
//
// A section whose header carries an impossible date (the "baddate" fault) is no training: it is
// passed over, and the sections around it join or part as if it were not in the memory.
#include <cstdint>
#include <string>
#include <vector>

#include "tools/sim/SimSections.h"

namespace klt::sim {

// One sample in the units the head unit records, speed already turned into mm/s
// (raw 0.1 km/h x 100000 / 3600, integer division).
struct TExpectedSample {
    int powerWatts = 0, cadenceRpm = 0, heartRateBpm = 0, speedMmPerS = 0, altitudeM = 0;
    int temperatureTenths = 0; // 0.1 degC
    bool operator==(const TExpectedSample&) const = default;
};

// A stretch of samples without a pause; `start` in 1/100 s since midnight of the training's day.
struct TExpectedTimeBlock {
    int firstSample = 0; // index into samples
    int count = 0;
    int64_t start = 0;
    bool operator==(const TExpectedTimeBlock&) const = default;
};

// An interval marker over samples first..last (indices into samples, both included).
struct TExpectedInterval {
    int first = 0, last = 0;
    bool operator==(const TExpectedInterval&) const = default;
};

struct TExpectedTraining {
    uint16_t date = 0;      // days since 1 January 1880
    uint32_t startTime = 0; // 1/100 s since midnight
    int intervalMs = 0;
    int slope = 0;          // raw, as the header carries it
    std::string initials;   // the header's 20 characters, trailing blanks removed
    std::vector<TExpectedSample> samples;
    std::vector<TExpectedTimeBlock> blocks;
    std::vector<TExpectedInterval> intervals;
};

constexpr int kDefaultMaxPauseHundredths = 2160000; // the program's default pause limit (6 h)
constexpr size_t kMaxTrainingSamples = 65534;

std::vector<TExpectedTraining> ExpectedTrainings(const std::vector<TSimSection>& sections,
                                                 int maxPauseHundredths = kDefaultMaxPauseHundredths);
// The trainings in the memory a head unit with these options starts with; `clock` is its clock at
// start (THeadUnitSimulator::StartClock()).
std::vector<TExpectedTraining> ExpectedUsbTrainings(const TSimOptions& options, int64_t clock);

} // namespace klt::sim
