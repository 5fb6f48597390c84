#pragma once
// What the heart-rate/power analysis of a marker shows: the best line, the pairs it was fitted
// to, and the one-second pairs the histograms and zone shares count.
#include <optional>
#include <string>
#include <vector>

#include "core/HeartRateRegression.h"

namespace klt {

class TKLTFile;

struct THeartRateAnalysis {
    THeartRateFit fit;                         // rSquared -1 when no line could be fitted
    std::vector<THeartRatePair> pairs;         // at the best delay (the smallest without a line)
    std::vector<THeartRatePair> secondPairs;   // one-second averages, no delay
    int interval = 100;                        // of the training, 1/100 s

    bool HasLine() const { return fit.HasLine(); }
};

// The analysis of a marker with these parameters, the fit taken from the marker's cache when it
// holds one for them. Nothing when `cancel` stopped it.
std::optional<THeartRateAnalysis> AnalyseHeartRate(TKLTFile& file, int marker,
                                                   const THeartRateFitParameters& parameters,
                                                   const std::function<bool()>& cancel = {});

// Why there is no line, for the view and `klt analyse`; empty when there is one.
std::string NoLineNote(const THeartRateAnalysis& analysis);

// Raw heart rate on the line at a raw power.
double HeartRateAt(const THeartRateFit& fit, double power);
// Raw power at which the line reaches a raw heart rate: none without a rising line or outside
// 0 to 4095 W.
std::optional<double> PowerAtHeartRate(const THeartRateFit& fit, double heartRate);

} // namespace klt
