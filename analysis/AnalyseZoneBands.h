#pragma once
// The training zones along the fitted line: where each zone begins on the line and how much of
// the marker's time was spent in it.
#include <vector>

#include "analysis/AnalysePlot.h"
#include "core/HeartRateRegression.h"
#include "core/KLTTrBer.h"

namespace klt {

struct TZoneShare {
    THeartRatePair begin; // the zone's lower bound on the line, raw
    int pairs = 0;        // one-second pairs in the zone
};

// Counted by power when the first zone has power bounds, else by heart rate: every pair goes to
// the last zone whose lower bound it reaches. Empty without zones or without a line.
std::vector<TZoneShare> ZoneShares(const TTrainingZoneSet& zones, const THeartRateFit& fit,
                                   const std::vector<THeartRatePair>& secondPairs);

// A horizontal and a vertical guide from each zone's begin on the line, and between successive
// guides the zone's share ("n%") and time; the zones beyond the power axis share one text.
void DrawAnalyseZoneBands(const TAnalysePaintContext& context, const std::vector<TZoneShare>& shares,
                          int totalPairs, int interval);

} // namespace klt
