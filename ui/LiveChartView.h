#pragma once
// The live chart of one rider: the run's samples drawn through the canvas as the options' scales
// ask, over the sample range the run shows.
#include <QWidget>
#include <string>
#include <utility>
#include <vector>

#include "analysis/LiveChart.h"
#include "online/KLTOnlineData.h"
#include "online/LiveChartWindow.h"
#include "online/OnlineMainChartOptionSet.h"

namespace klt {

// A rider's live samples as the chart reads them, with the markers of "Set Marker" and the run's
// marker times. Markers are only ever set on the newest sample, so each paint looks only at the
// samples that came since the last one.
class TLiveChartSamples : public ILiveChartSamples {
public:
    explicit TLiveChartSamples(const TKLTOnlineDatas& samples) : samples_(samples) {}
    // Elapsed milliseconds, two samples a second.
    void SetMarkerTimes(const std::vector<int64_t>& markerTimes);

    int Count() const override { return samples_.Count(); }
    double Mean(TMesswertArtType kind, int i) const override;
    std::vector<int> Markers(int first, int last) const override;
    // "Set Marker" marks the newest sample: the chart shows it before the next sample comes.
    bool NewestMarked() const;

private:
    void ScanNewSamples() const;

    const TKLTOnlineDatas& samples_;
    std::vector<int> timeMarkers_;
    mutable std::vector<int> setMarkers_;
    mutable int scanned_ = 0; // samples before it were looked at
};

class TLiveChartView : public QWidget {
public:
    TLiveChartView(const TKLTOnlineDatas& samples, const TOnlineMainChartOptionSet& options,
                   std::string title, QWidget* parent = nullptr);

    // What the next paint shows.
    void Show(TSampleRange range, const std::string& note, const std::vector<int64_t>& markerTimes);
    // The frame the next paint draws.
    const TLiveChartFrame& Frame() const { return frame_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const TOnlineMainChartOptionSet& options_;
    TLiveChartSamples samples_;
    TLiveChartFrame frame_;
    std::vector<int64_t> markerTimes_;
    std::pair<int, bool> paintedNewest_{-1, false}; // sample count and its newest's marker when last changed
};

} // namespace klt
