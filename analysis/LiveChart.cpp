#include "analysis/LiveChart.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "analysis/DiagramColours.h"

namespace klt {
namespace {

constexpr int kValueDivisions = 5;
constexpr int kColumnsPerPoint = 2;
constexpr std::array kTimeSteps = {5, 10, 15, 30, 60, 120, 300, 600, 900, 1800, 3600, 7200};
constexpr TRgb kMarkerColour{200, 110, 0};

std::string TimeLabel(int seconds) {
    char text[32];
    if (seconds >= 3600) {
        std::snprintf(text, sizeof text, "%d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
    } else {
        std::snprintf(text, sizeof text, "%d:%02d", seconds / 60, seconds % 60);
    }
    return text;
}

struct TPlot {
    TCanvasRect area;
    int first;
    int last;

    int Width() const { return area.right - area.left; }
    int Height() const { return area.bottom - area.top; }
    int X(double sample) const {
        return area.left + static_cast<int>((sample - first) * Width() / std::max(1, last - first));
    }
    int Y(const TLiveChartScale& scale, double raw) const {
        const double share = (raw - scale.lower) / std::max(1e-9, scale.upper - scale.lower);
        return area.bottom - static_cast<int>(std::clamp(share, 0.0, 1.0) * Height());
    }
};

std::string ScaleName(TMesswertArtType kind) {
    const TMesswertArt& art = MesswertArt(kind);
    return art.DisplayName() + " [" + art.UnitShortName() + "]";
}

void DrawValueAxes(TPRBGICanvas& canvas, const TPlot& plot, const TLiveChartFrame& frame,
                   const TDiagramColours& colours) {
    canvas.SetPen(colours.grid, 1, TCanvasLineStyle::Solid);
    const int charHeight = canvas.CharHeight();
    for (int division = 0; division <= kValueDivisions; ++division) {
        const int y = plot.area.bottom - plot.Height() * division / kValueDivisions;
        canvas.Line({plot.area.left, y}, {plot.area.right, y});
        for (size_t side = 0; side < std::min<size_t>(2, frame.scales.size()); ++side) {
            const TLiveChartScale& scale = frame.scales[side];
            const double raw = scale.lower + (scale.upper - scale.lower) * division / kValueDivisions;
            const std::string text = MesswertArt(scale.kind).FormatValue(raw, 0);
            const int width = canvas.TextExtent(text).width;
            const int x = side == 0 ? plot.area.left - width - canvas.CharWidth() / 2
                                    : plot.area.right + canvas.CharWidth() / 2;
            canvas.SetTextColor(colours.Curve(scale.kind));
            canvas.TextOut(x, y - charHeight / 2, text);
        }
    }
}

void DrawTimeAxis(TPRBGICanvas& canvas, const TPlot& plot, const TDiagramColours& colours) {
    const int firstSecond = plot.first / TLiveChartFrame::kSamplesPerSecond;
    const int lastSecond = plot.last / TLiveChartFrame::kSamplesPerSecond;
    const int step = LiveChartTimeStep(lastSecond - firstSecond, plot.Width(),
                                       canvas.TextExtent(TimeLabel(lastSecond)).width);
    canvas.SetTextColor(colours.text);
    for (int second = (firstSecond + step - 1) / step * step; second <= lastSecond; second += step) {
        const int x = plot.X(second * TLiveChartFrame::kSamplesPerSecond);
        canvas.SetPen(colours.fineGrid, 1, TCanvasLineStyle::Dot);
        canvas.Line({x, plot.area.top}, {x, plot.area.bottom});
        const std::string label = TimeLabel(second);
        canvas.TextOut(x - canvas.TextExtent(label).width / 2, plot.area.bottom + canvas.CharHeight() / 3,
                       label);
    }
}

void DrawMarkers(TPRBGICanvas& canvas, const TPlot& plot, const std::vector<int>& markers) {
    canvas.SetPen(kMarkerColour, canvas.PenWidth(), TCanvasLineStyle::Dash);
    for (int marker : markers) {
        const int x = plot.X(marker);
        canvas.Line({x, plot.area.top}, {x, plot.area.bottom});
    }
}

// A point per sample, or per pair of pixel columns once the samples outnumber them: the means
// change slowly, and the curve stays as smooth as a point per column drew it.
void DrawCurves(TPRBGICanvas& canvas, const TPlot& plot, const ILiveChartSamples& samples,
                const TLiveChartFrame& frame, const TDiagramColours& colours) {
    const int newest = std::min(plot.last, samples.Count() - 1);
    if (newest < plot.first) {
        return;
    }
    std::vector<int> indices;
    const int span = plot.last - plot.first;
    const int pointCount = std::max(1, plot.Width() / kColumnsPerPoint);
    if (span > pointCount) {
        for (int point = 0; point <= pointCount; ++point) {
            const int i = plot.first + static_cast<int>(static_cast<int64_t>(point) * span / pointCount);
            if (i > newest) {
                break;
            }
            indices.push_back(i);
        }
        if (indices.empty() || indices.back() != newest) {
            indices.push_back(newest);
        }
    } else {
        for (int i = plot.first; i <= newest; ++i) {
            indices.push_back(i);
        }
    }
    std::vector<TCanvasPoint> points(indices.size());
    canvas.SetClip(plot.area);
    for (const TLiveChartScale& scale : frame.scales) {
        for (size_t p = 0; p < indices.size(); ++p) {
            points[p] = {plot.X(indices[p]), plot.Y(scale, samples.Mean(scale.kind, indices[p]))};
        }
        // thin lines laid side by side where the font asks for thicker ones: wide pens are stroked
        // as outlines, many times slower
        canvas.SetPen(colours.Curve(scale.kind), 1, TCanvasLineStyle::Solid);
        for (int line = 0; line < canvas.PenWidth(); ++line) {
            canvas.Polyline(points.data(), static_cast<int>(points.size()));
            for (TCanvasPoint& point : points) {
                ++point.y;
            }
        }
    }
    canvas.ClearClip();
}

void DrawLegend(TPRBGICanvas& canvas, const TLiveChartFrame& frame, const TDiagramColours& colours, int y) {
    int x = canvas.CharWidth();
    canvas.SetTextColor(colours.text);
    if (!frame.title.empty()) {
        canvas.TextOut(x, y, frame.title);
        x += canvas.TextExtent(frame.title).width + 2 * canvas.CharWidth();
    }
    const int swatch = 2 * canvas.CharWidth();
    const int middle = y + canvas.CharHeight() / 2;
    for (const TLiveChartScale& scale : frame.scales) {
        canvas.SetPen(colours.Curve(scale.kind), 2 * canvas.PenWidth(), TCanvasLineStyle::Solid);
        canvas.Line({x, middle}, {x + swatch, middle});
        x += swatch + canvas.CharWidth() / 2;
        const std::string name = ScaleName(scale.kind);
        canvas.SetTextColor(colours.Curve(scale.kind));
        canvas.TextOut(x, y, name);
        x += canvas.TextExtent(name).width + 2 * canvas.CharWidth();
    }
}

void DrawNote(TPRBGICanvas& canvas, const TPlot& plot, const std::string& note,
              const TDiagramColours& colours) {
    const TCanvasSize size = canvas.TextExtent(note);
    const int x = (plot.area.left + plot.area.right - size.width) / 2;
    const int y = (plot.area.top + plot.area.bottom - size.height) / 2;
    const int pad = canvas.CharWidth();
    const TCanvasRect box{x - pad, y - pad / 2, x + size.width + pad, y + size.height + pad / 2};
    canvas.FillRect(box, colours.window);
    canvas.SetPen(colours.text, canvas.PenWidth(), TCanvasLineStyle::Solid);
    canvas.FrameRect(box);
    canvas.SetTextColor(colours.text);
    canvas.TextOut(x, y, note);
}

} // namespace

int LiveChartTimeStep(int seconds, int plotWidth, int labelWidth) {
    for (int step : kTimeSteps) {
        const int labels = seconds / step + 1;
        if (labels * labelWidth * 2 <= plotWidth) {
            return step;
        }
    }
    return kTimeSteps.back();
}

void DrawLiveChart(TPRBGICanvas& canvas, const ILiveChartSamples& samples, const TLiveChartFrame& frame) {
    const TDiagramColours colours = DiagramColours(canvas.Palette(), canvas.WindowColor());
    canvas.FillRect({0, 0, canvas.Width(), canvas.Height()}, colours.window);
    const int charHeight = canvas.CharHeight();
    const int axisWidth = canvas.TextExtent("0000").width + canvas.CharWidth();
    const TCanvasRect area{axisWidth, 2 * charHeight,
                           canvas.Width() - (frame.scales.size() > 1 ? axisWidth : canvas.CharWidth()),
                           canvas.Height() - 3 * charHeight / 2};
    if (area.right - area.left < 2 || area.bottom - area.top < 2) {
        return; // nothing fits
    }
    const TPlot plot{area, frame.first, std::max(frame.last, frame.first + 1)};
    DrawValueAxes(canvas, plot, frame, colours);
    DrawTimeAxis(canvas, plot, colours);
    DrawMarkers(canvas, plot, samples.Markers(plot.first, plot.last));
    DrawCurves(canvas, plot, samples, frame, colours);
    canvas.SetPen(colours.text, 1, TCanvasLineStyle::Solid);
    canvas.FrameRect(area);
    DrawLegend(canvas, frame, colours, charHeight / 2);
    if (!frame.note.empty()) {
        DrawNote(canvas, plot, frame.note, colours);
    }
}

} // namespace klt
