#pragma once
// Settings of the statistics view: how wide the distribution is smoothed, the two value axes and
// the visible window of each quantity.
#include <cstdint>

#include "analysis/ChartAxisOption.h"
#include "core/MesswertSkala.h"

namespace klt {

class TStatisticChartOptionSet {
public:
    TStatisticChartOptionSet();
    TStatisticChartOptionSet(const TStatisticChartOptionSet& other);
    TStatisticChartOptionSet& operator=(const TStatisticChartOptionSet& other);

    void Defaults();
    void Assign(const TStatisticChartOptionSet& other);
    bool Equals(const TStatisticChartOptionSet& other) const;

    int32_t Smooting = 0;       // width of the running sum, in whole display units of the quantity
    TChartAxisOption LeftAxis;  // percentages of power
    TChartAxisOption RightAxis; // percentages of cadence, heart rate and speed
    TMesswertSkala PowerSkala{mwaLeistung};
    TMesswertSkala HeartRateSkala{mwaHerzfrequenz};
    TMesswertSkala SpeedSkala{mwaGeschwindigkeit};
    TMesswertSkala CadenceSkala{mwaTretfrequenz};
};

} // namespace klt
