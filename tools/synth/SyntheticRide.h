#pragma once
// A believable ride made up from a small model of rider and road: warm-up, hard intervals with
// easy recoveries, a pause between two recording blocks and a cool-down, with heart rate lagging
// the effort, speed following power, a rolling road and a slowly warming day.
#include <cstdint>
#include <string>

#include "core/KLTFile.h"

namespace klt::synth {

struct TRideOptions {
    uint16_t date = 0;                 // days since 1880
    uint32_t startTime = 9 * 360000;   // 1/100 s since midnight
    int intervals = 5;                 // hard efforts in the first block
    int pauseSeconds = 300;            // between the two blocks
    uint32_t seed = 1;                 // same seed, same ride
    std::string initials = "JD";
    std::string comment = "Demonstration ride: warm-up, intervals, cool-down";
    double temperature = 16.5;         // degC at the start; the day warms slowly during the ride
};

// Fills `file` (which is cleared first) with the ride; the result is loaded and marked modified.
void BuildRide(TKLTFile& file, const TRideOptions& options);

} // namespace klt::synth
