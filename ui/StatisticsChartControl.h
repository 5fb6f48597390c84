#pragma once
// The statistics view on a chart: how often each value of power, cadence, heart rate and speed
// occurs in the current marker, with the value axes titled in the colours of their lines.
#include "analysis/KLTStatistics.h"
#include "ui/KLTChart.h"

namespace klt {

class TStatisticsChartControl : public TChartGraphicControl {
public:
    TStatisticsChartControl(TKLTChart& chart, const TStatisticChartOptionSet& options);

    // Takes the profile's statistics settings again, and the speed unit the titles name.
    void SetOptions(const TStatisticChartOptionSet& options, int speedUnit);
    // Shows the distributions of the marker of the training.
    void Compute(const TKLTFile& file, int marker);
    const TKLTStatistics& Statistics() const { return statistics_; }

    void Refresh() override;

private:
    void ApplyAxis(QValueAxis* axis, const TChartAxisOption& option, double maximum);
    void WriteAxisTitles();

    TKLTStatistics statistics_;
    int speedUnit_ = 0;
};

} // namespace klt
