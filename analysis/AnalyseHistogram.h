#pragma once
// How often each power and heart rate was held: the one-second pairs of a marker counted in
// classes of 20 W and 5 bpm, drawn as bars along the axes.
#include <array>
#include <vector>

#include "analysis/AnalysePlot.h"
#include "core/HeartRateRegression.h"

namespace klt {

struct TAnalyseHistogram {
    static constexpr int kClasses = 51;           // 0 to 50; the last takes everything above
    static constexpr int kPowerClass = 160;       // raw power: 20 W
    static constexpr int kHeartRateClass = 320;   // raw heart rate: 5 bpm
    std::array<int, kClasses> power{};
    std::array<int, kClasses> heartRate{};
    int total = 0;
};

// Each value goes into the class whose centre is nearest.
TAnalyseHistogram CountHistogram(const std::vector<THeartRatePair>& pairs);

// Power bars rise from the bottom of the plot area, heart-rate bars reach in from its left edge;
// the largest share fills a quarter of the area, and that share is written at the axes.
void DrawAnalyseHistogram(const TAnalysePaintContext& context, const TAnalyseHistogram& histogram);

} // namespace klt
