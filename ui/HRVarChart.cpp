#include "ui/HRVarChart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace klt {
namespace {

constexpr TRgb kAxisColour{0, 0, 0};
constexpr TRgb kGridColour{200, 200, 200};
constexpr TRgb kZeroColour{128, 128, 128};
constexpr TRgb kPointColour{200, 0, 0};
constexpr TRgb kLineColour{240, 160, 160};
constexpr double kSmallestVarianceRange = 20; // ms, so that a calm heart is not blown up into noise

struct TScale {
    double minimum = 0;
    double maximum = 1;
    int from = 0; // pixels of the minimum and the maximum
    int to = 1;
    int Pixel(double value) const {
        return from + static_cast<int>(std::lround((value - minimum) / (maximum - minimum) * (to - from)));
    }
};

std::string NumberText(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// The changes shown, widened to whole steps and to take the zero line in.
TScale VarianceScale(const THRVarChart& chart, int top, int bottom) {
    double low = 0, high = 0;
    for (const THRVarChartPoint& point : chart.points) {
        low = std::min(low, point.variance);
        high = std::max(high, point.variance);
    }
    const double middle = (low + high) / 2;
    low = std::min(low, middle - kSmallestVarianceRange / 2);
    high = std::max(high, middle + kSmallestVarianceRange / 2);
    const double step = RoundStep(high - low, 8);
    return {std::floor(low / step) * step, std::ceil(high / step) * step, bottom, top};
}

void DrawTick(TPRBGICanvas& canvas, const TScale& scale, double value, bool horizontal, const TCanvasRect& plot,
              bool grid) {
    const std::string text = NumberText(value);
    const TCanvasSize size = canvas.TextExtent(text);
    const int at = scale.Pixel(value);
    if (grid) {
        canvas.SetPen(kGridColour, 1, TCanvasLineStyle::Dot);
        if (horizontal) {
            canvas.Line({at, plot.top}, {at, plot.bottom - 1});
        } else {
            canvas.Line({plot.left, at}, {plot.right - 1, at});
        }
    }
    canvas.SetPen(kAxisColour, canvas.PenWidth(), TCanvasLineStyle::Solid);
    const int tick = canvas.CharWidth() / 2;
    if (horizontal) {
        canvas.Line({at, plot.bottom}, {at, plot.bottom + tick});
        canvas.TextOut(at - size.width / 2, plot.bottom + tick, text);
    } else {
        canvas.Line({plot.left - tick, at}, {plot.left, at});
        canvas.TextOut(plot.left - tick - size.width - 2, at - size.height / 2, text);
    }
}

void DrawTicks(TPRBGICanvas& canvas, const TScale& scale, bool horizontal, const TCanvasRect& plot, bool grid) {
    const int room = horizontal ? canvas.TextExtent("99999").width * 2 : canvas.CharHeight() * 2;
    const int divisions = std::max(1, std::abs(scale.to - scale.from) / std::max(room, 1));
    const double step = RoundStep(scale.maximum - scale.minimum, divisions);
    for (double value = std::ceil(scale.minimum / step) * step; value <= scale.maximum + step / 1000; value += step) {
        DrawTick(canvas, scale, value, horizontal, plot, grid);
    }
}

} // namespace

double RoundStep(double range, int divisions) {
    if (!(range > 0) || divisions < 1) {
        return 1;
    }
    const double rough = range / divisions;
    const double power = std::pow(10, std::floor(std::log10(rough)));
    for (const double factor : {1.0, 2.0, 5.0}) {
        if (factor * power >= rough) {
            return factor * power;
        }
    }
    return 10 * power;
}

void DrawHRVarChart(TPRBGICanvas& canvas, const THRVarChart& chart) {
    canvas.ClearClip();
    canvas.FillRect({0, 0, canvas.Width(), canvas.Height()}, canvas.WindowColor());
    canvas.SetTextColor(kAxisColour);
    const int charHeight = canvas.CharHeight();
    const TCanvasRect plot{canvas.TextExtent("-99999").width + canvas.CharWidth(), charHeight,
                           canvas.Width() - canvas.TextExtent("99999").width,
                           canvas.Height() - 2 * charHeight - canvas.CharWidth()};
    if (plot.right - plot.left < 10 || plot.bottom - plot.top < 10) {
        return; // too small to show anything
    }
    const bool byHeartrate = chart.axis == THRVarAxis::Heartrate;
    const TScale horizontal{chart.minimum, std::max(chart.maximum, chart.minimum + 1), plot.left, plot.right - 1};
    const TScale vertical = VarianceScale(chart, plot.top, plot.bottom - 1);

    DrawTicks(canvas, horizontal, true, plot, byHeartrate);
    DrawTicks(canvas, vertical, false, plot, byHeartrate);
    const std::string unit = byHeartrate ? "bpm" : "beat";
    canvas.TextOut(plot.right + canvas.CharWidth(), plot.bottom - charHeight / 2, unit);
    canvas.TextOut(plot.left, 0, "ms");

    canvas.SetClip(plot);
    canvas.SetPen(kZeroColour, 1, TCanvasLineStyle::Solid);
    canvas.Line({plot.left, vertical.Pixel(0)}, {plot.right - 1, vertical.Pixel(0)});
    std::vector<TCanvasPoint> pixels;
    pixels.reserve(chart.points.size());
    for (const THRVarChartPoint& point : chart.points) {
        pixels.push_back({horizontal.Pixel(point.x), vertical.Pixel(point.variance)});
    }
    if (!byHeartrate && pixels.size() > 1) {
        canvas.SetPen(kLineColour, 1, TCanvasLineStyle::Solid);
        canvas.Polyline(pixels.data(), static_cast<int>(pixels.size()));
    }
    const int half = std::max(1, canvas.PenWidth());
    for (const TCanvasPoint& pixel : pixels) {
        canvas.FillRect({pixel.x - half, pixel.y - half, pixel.x + half + 1, pixel.y + half + 1}, kPointColour);
    }
    canvas.ClearClip();
    canvas.SetPen(kAxisColour, canvas.PenWidth(), TCanvasLineStyle::Solid);
    canvas.FrameRect(plot);
}

} // namespace klt
