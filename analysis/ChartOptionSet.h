#pragma once
// Settings shared by the chart-component views: the two value axes, value marks on the series, the
// zone bar in the background and the value window.
#include "analysis/ChartAxisOption.h"

namespace klt {

struct TChartValueWindowOption {
    bool Enabled = true;
    bool TotalValues = true;
    bool AverageValues = true;
    bool TrainingZoneValues = true;

    bool operator==(const TChartValueWindowOption&) const = default;
};

struct TChartOptionSet {
    TChartAxisOption LeftAxis;
    TChartAxisOption RightAxis;
    bool Marks = false;         // value marks on the series
    bool BackgroundBar = false; // training zones as a bar behind the series
    TChartValueWindowOption ValueWindow;

    void Defaults() { *this = {}; }
    bool operator==(const TChartOptionSet&) const = default;
};

} // namespace klt
