#pragma once
// Settings of the distribution (ratio) charts: per key channel the visible range and the class
// width, the smoothing applied before counting and the grid.
#include <cstdint>

#include "core/MesswertSkala.h"

namespace klt {

// The range of one channel and the width of its classes (display units) when it is the key.
class TRatioSkalaOption {
public:
    explicit TRatioSkalaOption(TMesswertArtType kind) : Skala(kind) {}
    TRatioSkalaOption(const TRatioSkalaOption&) = delete;
    TRatioSkalaOption& operator=(const TRatioSkalaOption&) = delete;

    void Assign(const TRatioSkalaOption& other);
    bool Equals(const TRatioSkalaOption& other) const;

    TMesswertSkala Skala;
    int32_t MergeFct = 1;
};

class TKLTRatioDataChartOptionSet {
public:
    TKLTRatioDataChartOptionSet();
    TKLTRatioDataChartOptionSet(const TKLTRatioDataChartOptionSet& other);
    TKLTRatioDataChartOptionSet& operator=(const TKLTRatioDataChartOptionSet& other);

    void Defaults();
    void Assign(const TKLTRatioDataChartOptionSet& other);
    bool Equals(const TKLTRatioDataChartOptionSet& other) const;

    TRatioSkalaOption PowerSkala{mwaLeistung};
    TRatioSkalaOption HeartRateSkala{mwaHerzfrequenz};
    TRatioSkalaOption CadenceSkala{mwaTretfrequenz};
    TRatioSkalaOption SpeedSkala{mwaGeschwindigkeit};
    int32_t SmootingFct = 10; // seconds
    bool DrawGrid = true;
};

} // namespace klt
