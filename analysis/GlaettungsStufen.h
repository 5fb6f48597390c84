#pragma once
// The smoothing times a diagram steps through (F2 larger, F3 smaller), in 1/100 s; negative ones
// are percentages of the shown duration.
#include <array>
#include <cstdint>

namespace klt {

inline constexpr std::array<int32_t, 29> GlaettungsStufen = {
    -200,  -100,   -50,    -30,    -20,     -10,     -5,      -3,      -2,      -1,
    0,     500,    1000,   3000,   6000,    9000,    12000,   18000,   24000,   30000,
    60000, 180000, 360000, 720000, 1080000, 2160000, 4320000, 8640000, 17280000};

// The first step above current; the last step when there is none.
int32_t NextGlaettung(int32_t current);
// The last step below current; the first step when there is none.
int32_t PreviousGlaettung(int32_t current);

} // namespace klt
