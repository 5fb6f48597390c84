#pragma once
// A value axis of a chart: automatic, or fixed to the given limits.
#include <cstdint>

namespace klt {

struct TChartAxisOption {
    // Limits are stored as integers scaled by 10^8, so fractional percentages survive the profile.
    static constexpr int64_t kScale = 100'000'000;

    bool Enabled = false; // fixed limits instead of automatic ones
    int64_t Minimum = 0;
    int64_t Maximum = 0;

    bool operator==(const TChartAxisOption&) const = default;
};

} // namespace klt
