#pragma once
// One chart of the distribution view laid out on part of the canvas: the time spent in each class
// of the key channel as bars, the other channels' means per class as points joined by lines,
// power on the left value axis and heart rate, cadence and speed on the right one.
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "analysis/DiagramColours.h"
#include "analysis/PRBGICanvas.h"
#include "analysis/RatioData.h"
#include "analysis/RatioDataChartOptionSet.h"

namespace klt {

// The member of the option set that holds a channel's settings.
TRatioSkalaOption TKLTRatioDataChartOptionSet::*RatioScaleMember(TRatioChannel channel);
inline const TRatioSkalaOption& RatioScale(const TKLTRatioDataChartOptionSet& options, TRatioChannel channel) {
    return options.*RatioScaleMember(channel);
}
inline TRatioSkalaOption& RatioScale(TKLTRatioDataChartOptionSet& options, TRatioChannel channel) {
    return options.*RatioScaleMember(channel);
}
TMesswertArtType RatioKind(TRatioChannel channel);
// "Power", "Heartrate", "Cadence", "Speed".
const char* RatioChannelName(TRatioChannel channel);
// "watt", "bpm", "rpm", or the speed unit's short name.
std::string RatioUnitName(TRatioChannel channel, int speedUnit);
// The series colour of a channel before the palette has its say: power green, heart rate red,
// cadence blue, speed purple.
TRgb RatioBaseColour(TRatioChannel channel);
// "H:NN:SS".
std::string RatioTimeText(int seconds);

class TRatioChart {
public:
    // Lays the chart of `data` out in `area`; `note`, when given, is shown instead of the chart.
    TRatioChart(const TRatioData& data, const TKLTRatioDataChartOptionSet& options, const TCanvasRect& area,
                TPRBGICanvas& canvas, std::optional<std::string> note);

    void Paint(TPRBGICanvas& canvas, const TDiagramColours& colours) const;
    bool Contains(int x, int y) const;
    // A mean's value with one decimal or a bar's time; empty elsewhere.
    std::string ReadOut(int x, int y) const;

    struct TBar {
        TCanvasRect rect;
        int seconds = 0;
        double percent = 0;
    };
    struct TMeanPoint {
        TCanvasPoint at;
        double value = 0;
    };
    struct TSeries {
        TRatioChannel channel = rcPower;
        bool rightAxis = false;
        std::vector<std::optional<TMeanPoint>> points; // one per class
    };
    const std::vector<TBar>& Bars() const { return bars_; }
    const std::vector<TSeries>& Series() const { return series_; }

private:
    // A value axis: its channel (the first visible series on its side) and its range.
    struct TValueAxis {
        TRatioChannel channel = rcPower;
        double lower = 0;
        double upper = 1;
    };

    void LayOut(const TRatioData& data, const TKLTRatioDataChartOptionSet& options, TPRBGICanvas& canvas);
    int XOf(int value) const;
    int YOf(const TValueAxis& axis, double value) const;
    void PaintNote(TPRBGICanvas& canvas, const TDiagramColours& colours) const;
    void PaintGrid(TPRBGICanvas& canvas, const TDiagramColours& colours) const;
    void PaintBars(TPRBGICanvas& canvas, const TDiagramColours& colours) const;
    void PaintSeries(TPRBGICanvas& canvas, const TDiagramColours& colours) const;
    void PaintKeyAxis(TPRBGICanvas& canvas, const TDiagramColours& colours) const;
    void PaintValueAxis(TPRBGICanvas& canvas, const TDiagramColours& colours, const TValueAxis& axis,
                        bool right) const;
    TRgb Colour(const TDiagramColours& colours, TRatioChannel channel) const;

    TRatioChannel key_;
    int speedUnit_;
    TCanvasRect area_;
    TCanvasRect plot_;
    std::string title_;
    std::optional<std::string> note_;
    bool drawGrid_ = true;
    int lower_ = 0;   // the key axis: lower .. end (exclusive)
    int end_ = 1;
    int charHeight_ = 1;
    int charWidth_ = 1;
    int pointSize_ = 2;
    std::vector<TRatioClass> classes_;
    std::vector<TBar> bars_;
    std::vector<TSeries> series_;
    std::array<std::optional<TValueAxis>, 2> axes_; // left (power), right
};

} // namespace klt
