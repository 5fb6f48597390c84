#pragma once
// The axes of the heart-rate/power analysis: grid, values at the divisions and the axis names.
#include "analysis/AnalysePlot.h"

namespace klt {

// Divisions of an axis: its scale's step, halved until a label of `labelExtent` pixels (plus a
// little air) fits into each division of `extent` pixels.
int AxisDivisions(int step, int extent, int labelExtent);

// Room the axis texts need left of and below the plot area.
int AnalyseLeftMargin(TPRBGICanvas& canvas);
int AnalyseBottomMargin(TPRBGICanvas& canvas);

// The frame, the division lines and their values; the power name below the values, the
// heart-rate name above the plot area.
void DrawAnalyseAxes(const TAnalysePaintContext& context);

} // namespace klt
