#pragma once
// The grid of a diagram's rows: value divisions with their axis texts in the margins, helper lines,
// training-zone lines and the time ticks.
#include "analysis/DiagramPaintContext.h"

namespace klt {

struct TGridDivisions {
    int divisions = 1;
    int subDivisions = 1;
};

// Starts from the power scale's step and halves until a division is at least 2.5 character
// heights high (or one division is left).
TGridDivisions GridDivisions(int step, int rowHeight, int charHeight);

// Elapsed time between time ticks (1/100 s): the first round step whose labels do not crowd.
int TimeTickStep(int samplesPerRow, int plotWidth, int interval, int labelWidth);

// Division lines, helper lines as the surface's options ask, zone lines and time ticks.
void DrawGrid(const TDiagramPaintContext& context, const TGridDivisions& divisions);
// The values of the visible scales at each division, the first half at the left margin.
void DrawAxisTexts(const TDiagramPaintContext& context, const TGridDivisions& divisions);
void DrawRowFrames(const TDiagramPaintContext& context);

} // namespace klt
