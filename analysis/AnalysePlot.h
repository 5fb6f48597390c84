#pragma once
// Where the heart-rate/power analysis draws: the plot area between its axes, the mapping of raw
// power (across) and heart rate (up) to pixels, and what the painting parts share.
#include "analysis/DiagramColours.h"
#include "analysis/PRBGICanvas.h"
#include "core/MesswertSkala.h"

namespace klt {

struct TAnalysePlot {
    // The plot area; right and bottom are its last pixels.
    int left = 0, top = 0, right = -1, bottom = -1;
    const TMesswertSkala* power = nullptr;
    const TMesswertSkala* heartRate = nullptr;

    bool Valid() const { return right > left && bottom > top && power != nullptr && heartRate != nullptr; }
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    int X(double rawPower) const { return left + power->ToPixel(rawPower, Width()); }
    int Y(double rawHeartRate) const { return top + heartRate->ToPixelInverted(rawHeartRate, Height()); }
    bool Contains(TCanvasPoint p) const { return p.x >= left && p.x <= right && p.y >= top && p.y <= bottom; }
    // For clipping, right and bottom exclusive.
    TCanvasRect Rect() const { return {left, top, right + 1, bottom + 1}; }
};

struct TAnalysePaintContext {
    TPRBGICanvas& canvas;
    const TDiagramColours& colours;
    const TAnalysePlot& plot;
    int charHeight;
    int charWidth;
    int penWidth;
};

} // namespace klt
