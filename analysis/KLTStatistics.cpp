#include "analysis/KLTStatistics.h"

#include <algorithm>
#include <cmath>

namespace klt {
namespace {

// Keeps the counter table small whatever scale a profile brings.
constexpr long kMaxTableValue = 65535;

constexpr std::array<TStatisticSeriesStyle, kStatisticQuantityCount> kStyles = {{
    {mwaLeistung, 0x008000, false},       // green
    {mwaTretfrequenz, 0xFF0000, true},    // blue
    {mwaHerzfrequenz, 0x0000FF, true},    // red
    {mwaGeschwindigkeit, 0x800080, true}, // purple
}};

int RawValue(TStatisticQuantity quantity, const TSampleElement& sample) {
    switch (quantity) {
    case TStatisticQuantity::Power:
        return sample.Power();
    case TStatisticQuantity::Cadence:
        return sample.Cadence();
    case TStatisticQuantity::HeartRate:
        return sample.HeartRate();
    case TStatisticQuantity::Speed:
        return sample.Speed();
    }
    return 0;
}

long WholeDisplayValue(const TMesswertArt& kind, double raw) {
    return std::lround(kind.ToDisplay(raw));
}

} // namespace

const TStatisticSeriesStyle& StatisticSeriesStyle(TStatisticQuantity quantity) {
    return kStyles[static_cast<std::size_t>(quantity)];
}

TDistributionSeries ComputeDistribution(TStatisticQuantity quantity, const TMesswertSkala& skala,
                                        int smooting, const TKLTFile& file, const TKLTMarker& marker) {
    const TMesswertArt& kind = MesswertArt(StatisticSeriesStyle(quantity).kind);
    const long width = std::clamp(smooting, 1, kMaxSmooting);
    const long lower = WholeDisplayValue(kind, skala.Offset());
    const long upper = std::clamp(WholeDisplayValue(kind, skala.UpperEnd()), 0L, kMaxTableValue);
    // Half a window beyond the upper end, so the last visible points are smoothed over full windows.
    const long tableSize = upper + std::lround(static_cast<double>(width) / 2.0);
    const bool countFromLowerEnd = quantity == TStatisticQuantity::HeartRate;

    std::vector<int64_t> counters(static_cast<std::size_t>(tableSize), 0);
    const int first = std::max(marker.first, 1);
    const int last = std::min(marker.last, file.SampleCount());
    for (int i = first; i <= last; ++i) {
        const long value = WholeDisplayValue(kind, RawValue(quantity, file.Sample(i)));
        if (value >= 0 && value < tableSize && (!countFromLowerEnd || value >= lower)) {
            ++counters[static_cast<std::size_t>(value)];
        }
    }

    // Percent of the marker's samples; a marker of one sample (or none) counts as one.
    const double samples = std::max(last - first + 1, 1);
    TDistributionSeries series;
    series.reserve(static_cast<std::size_t>(tableSize + width));
    int64_t windowSum = 0;
    for (long i = 0; i < tableSize + width; ++i) {
        if (i < tableSize) {
            windowSum += counters[static_cast<std::size_t>(i)];
        }
        if (i >= width) {
            windowSum -= counters[static_cast<std::size_t>(i - width)];
        }
        const long value = i - width / 2; // the middle of the window
        TDistributionPoint point{static_cast<int>(value), std::nullopt};
        if (value >= lower && value <= upper) {
            point.percent = static_cast<double>(windowSum) / static_cast<double>(width) / samples * 100.0;
        }
        series.push_back(point);
    }
    return series;
}

void TKLTStatistics::Compute(const TKLTFile& file, const TKLTMarker& marker) {
    for (int q = 0; q < kStatisticQuantityCount; ++q) {
        const auto quantity = static_cast<TStatisticQuantity>(q);
        const TMesswertSkala& skala = Skala(quantity);
        series_[static_cast<std::size_t>(q)] =
            skala.Visible() ? ComputeDistribution(quantity, skala, options_.Smooting, file, marker)
                            : TDistributionSeries{};
    }
}

const TMesswertSkala& TKLTStatistics::Skala(TStatisticQuantity quantity) const {
    switch (quantity) {
    case TStatisticQuantity::Power:
        return options_.PowerSkala;
    case TStatisticQuantity::Cadence:
        return options_.CadenceSkala;
    case TStatisticQuantity::HeartRate:
        return options_.HeartRateSkala;
    case TStatisticQuantity::Speed:
        break;
    }
    return options_.SpeedSkala;
}

} // namespace klt
