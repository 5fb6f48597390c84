#pragma once
// The curves of a diagram: one per visible channel and row, samples gathered per pixel column.
#include <vector>

#include "analysis/DiagramPaintContext.h"
#include "core/MesswertSkala.h"

namespace klt {

// The points of one channel's curve in one row: the first point between the row's first sample
// and the one before it, one point per pixel column (the rounded mean of the samples on it), the
// last point between the row's last sample and the one after it. `values` holds the smoothed
// value of every sample of the training (element 0 for sample 1).
std::vector<TCanvasPoint> CurvePoints(const TDiagramLayout& layout, int row, const std::vector<int>& values,
                                      const TMesswertSkala& skala);

// Draws the segments of which at least one end lies above the row's bottom; a patterned curve
// draws every second stretch of at least `patternDistance` pixels.
void DrawCurve(TPRBGICanvas& canvas, const std::vector<TCanvasPoint>& points, int rowBottom, bool patterned,
               int patternDistance);

// All channels with a visible scale, in channel order, for the window time given.
void DrawCurves(const TDiagramPaintContext& context, int windowTime);

} // namespace klt
