#include "analysis/AnalyseHistogram.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/MesswertColours.h"

namespace klt {
namespace {

int ClassOf(double raw, int width) {
    return std::clamp(static_cast<int>((std::max(raw, 0.0) + width / 2) / width), 0, TAnalyseHistogram::kClasses - 1);
}

// The share (in percent) the bars' full length stands for: the largest share rounded up to 5 %.
int FullShare(const std::array<int, TAnalyseHistogram::kClasses>& counts, int total) {
    const int largest = *std::max_element(counts.begin(), counts.end());
    const int percent = static_cast<int>(std::ceil(100.0 * largest / total));
    return std::clamp((percent + 4) / 5 * 5, 5, 100);
}

} // namespace

TAnalyseHistogram CountHistogram(const std::vector<THeartRatePair>& pairs) {
    TAnalyseHistogram h;
    for (const THeartRatePair& pair : pairs) {
        ++h.power[static_cast<size_t>(ClassOf(pair.power, TAnalyseHistogram::kPowerClass))];
        ++h.heartRate[static_cast<size_t>(ClassOf(pair.heartRate, TAnalyseHistogram::kHeartRateClass))];
        ++h.total;
    }
    return h;
}

void DrawAnalyseHistogram(const TAnalysePaintContext& c, const TAnalyseHistogram& h) {
    if (h.total == 0) {
        return;
    }
    const TAnalysePlot& p = c.plot;
    const int powerFull = FullShare(h.power, h.total);
    const int heartFull = FullShare(h.heartRate, h.total);
    const int maxHeight = p.Height() / 4;
    const int maxWidth = p.Width() / 4;
    const TRgb powerColour = c.colours.Slot(SlotPowerHistogram);
    const TRgb heartColour = c.colours.Slot(SlotHeartRateHistogram);
    c.canvas.SetClip(p.Rect());
    for (int i = 0; i < TAnalyseHistogram::kClasses; ++i) {
        const auto index = static_cast<size_t>(i);
        if (h.power[index] > 0) {
            const double centre = double(i) * TAnalyseHistogram::kPowerClass;
            const int height = static_cast<int>(std::lround(100.0 * maxHeight * h.power[index] / h.total / powerFull));
            const int from = p.X(centre - TAnalyseHistogram::kPowerClass / 2) + 1;
            const int to = std::max(p.X(centre + TAnalyseHistogram::kPowerClass / 2), from + 1);
            c.canvas.FillRect({from, p.bottom - height, to, p.bottom}, powerColour);
        }
        if (h.heartRate[index] > 0) {
            const double centre = double(i) * TAnalyseHistogram::kHeartRateClass;
            const int width = static_cast<int>(std::lround(100.0 * maxWidth * h.heartRate[index] / h.total / heartFull));
            const int from = p.Y(centre + TAnalyseHistogram::kHeartRateClass / 2) + 1;
            const int to = std::max(p.Y(centre - TAnalyseHistogram::kHeartRateClass / 2), from + 1);
            c.canvas.FillRect({p.left + 1, from, p.left + 1 + width, to}, heartColour);
        }
    }
    c.canvas.ClearClip();
    // The share the full bar length stands for, where the bars end.
    const int gap = c.charWidth / 2 + 1;
    const std::string powerText = std::to_string(powerFull) + "%";
    c.canvas.SetPen(powerColour, c.penWidth, TCanvasLineStyle::Solid);
    c.canvas.Line({p.right - gap, p.bottom - maxHeight}, {p.right, p.bottom - maxHeight});
    c.canvas.SetTextColor(powerColour);
    c.canvas.TextOut(p.right - 2 * gap - c.canvas.TextExtent(powerText).width, p.bottom - maxHeight - c.charHeight / 2,
                     powerText);
    const std::string heartText = std::to_string(heartFull) + "%";
    c.canvas.SetPen(heartColour, c.penWidth, TCanvasLineStyle::Solid);
    c.canvas.Line({p.left + maxWidth, p.top}, {p.left + maxWidth, p.top + gap});
    c.canvas.SetTextColor(heartColour);
    c.canvas.TextOut(p.left + maxWidth - c.canvas.TextExtent(heartText).width / 2, p.top + gap, heartText);
}

} // namespace klt
