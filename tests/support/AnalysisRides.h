#pragma once
// Rides whose heart rate answers power in a known way, for the heart-rate/power analysis.
#include <string>

#include "core/KLTFile.h"

namespace klt::test {

// Heart rate = intercept + slope * power, `delay` seconds after the power, over one-second
// samples of power steps between 100 and 300 W, each held for three minutes.
struct TLineRide {
    double slope = 0.25;     // bpm per W
    double intercept = 60;   // bpm
    int delay = 30;          // s
    int samples = 3600;
};
void FillLineRide(TKLTFile& file, const TLineRide& ride = {});

// A step test of one-second samples: a minute at each of 100, 120, ... 360 W. The heart rate
// rises by 0.3 bpm per W from 100 bpm; with a deflection only by 0.1 bpm per W above 260 W
// (148 bpm).
void FillStepTest(TKLTFile& file, bool deflection);
inline constexpr double kStepTestDeflectionWatts = 260;
inline constexpr double kStepTestDeflectionBpm = 148;

// Such a ride written as a KLT7 file.
void WriteLineRide(const std::string& path);
void WriteStepTest(const std::string& path, bool deflection);

} // namespace klt::test
