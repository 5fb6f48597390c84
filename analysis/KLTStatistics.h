#pragma once
// The statistics view as data: for a marker of a training, how often each value of power, cadence,
// heart rate and speed occurs, smoothed over neighbouring values and in percent of the samples.
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "analysis/StatisticChartOptionSet.h"
#include "core/KLTFile.h"
#include "core/KLTMarker.h"

namespace klt {

enum class TStatisticQuantity { Power, Cadence, HeartRate, Speed };
inline constexpr int kStatisticQuantityCount = 4;

// How a quantity's series is drawn. Colours are 0x00BBGGRR.
struct TStatisticSeriesStyle {
    TMesswertArtType kind;
    uint32_t color;
    bool rightAxis;
};
const TStatisticSeriesStyle& StatisticSeriesStyle(TStatisticQuantity quantity);

struct TDistributionPoint {
    int value;                     // whole display units (watts, rpm, bpm, km/h, ...)
    std::optional<double> percent; // none outside the scale's visible window: a gap in the line
};
using TDistributionSeries = std::vector<TDistributionPoint>;

// Widths beyond this add nothing but work.
inline constexpr int kMaxSmooting = 1000;

// The distribution of one quantity over the marker's samples: a point per value of the quantity
// from 0 up to one smoothing window past the scale's upper end.
TDistributionSeries ComputeDistribution(TStatisticQuantity quantity, const TMesswertSkala& skala,
                                        int smooting, const TKLTFile& file, const TKLTMarker& marker);

class TKLTStatistics {
public:
    explicit TKLTStatistics(const TStatisticChartOptionSet& options) : options_(options) {}

    // Takes the profile's statistics settings again.
    void RefreshOptions(const TStatisticChartOptionSet& options) { options_.Assign(options); }
    const TStatisticChartOptionSet& Options() const { return options_; }

    // Recomputes the series of every quantity whose scale is visible; the others become empty.
    void Compute(const TKLTFile& file, const TKLTMarker& marker);
    const TDistributionSeries& Series(TStatisticQuantity quantity) const {
        return series_[static_cast<std::size_t>(quantity)];
    }

private:
    const TMesswertSkala& Skala(TStatisticQuantity quantity) const;

    TStatisticChartOptionSet options_;
    std::array<TDistributionSeries, kStatisticQuantityCount> series_;
};

} // namespace klt
