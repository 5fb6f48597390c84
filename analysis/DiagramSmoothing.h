#pragma once
// The smoothing of a diagram's curves: its window time and how it is shown.
#include <cstdint>
#include <string>

namespace klt {

// Window time (1/100 s) of a smoothing setting for samples first..last recorded every
// `interval` (1/100 s): a negative setting is that percentage of the shown duration.
int SmoothingWindowTime(int32_t maxGlaettung, int first, int last, int interval);

// "n%" for a share of the duration, else the time.
std::string SmoothingText(int32_t maxGlaettung);

} // namespace klt
