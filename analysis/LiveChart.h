#pragma once
// The live ergometer's chart: the windowed means of the enabled quantities over the samples in
// view, with value axes, a time axis counting the ride's seconds, marker lines and a note across
// the chart ("Start pedaling"). Its cost depends on the chart's width, never on the ride's length:
// only the samples in view are read, and at most one per two pixel columns.
#include <string>
#include <vector>

#include "analysis/PRBGICanvas.h"
#include "core/PRMesWrt.h"

namespace klt {

// The samples the chart reads; the owner's live samples behind it.
class ILiveChartSamples {
public:
    virtual ~ILiveChartSamples() = default;
    virtual int Count() const = 0;
    // The windowed mean of a kind at sample i, in the kind's raw units.
    virtual double Mean(TMesswertArtType kind, int i) const = 0;
    // The samples first..last that carry a marker, ascending.
    virtual std::vector<int> Markers(int first, int last) const = 0;
};

struct TLiveChartScale {
    TMesswertArtType kind = mwaLeistung;
    double lower = 0; // raw units
    double upper = 1;
    bool operator==(const TLiveChartScale&) const = default;
};

struct TLiveChartFrame {
    static constexpr int kSamplesPerSecond = 2;

    int first = 0; // the samples the time axis spans
    int last = 0;
    std::vector<TLiveChartScale> scales; // the enabled ones; the first two label the axes
    std::string title;                   // top left, e.g. the rider
    std::string note;                    // across the middle
    bool operator==(const TLiveChartFrame&) const = default;
};

// Paints the whole canvas (Prepare() sets its size and window colour).
void DrawLiveChart(TPRBGICanvas& canvas, const ILiveChartSamples& samples, const TLiveChartFrame& frame);

// Seconds between time labels: the first of the usual steps whose labels do not crowd.
int LiveChartTimeStep(int seconds, int plotWidth, int labelWidth);

} // namespace klt
