#pragma once
// The heart-rate-variability chart: the change of interval of each beat as a point over the beat's
// place or its heart rate, with the zero line and axis texts; drawn on the canvas, so that a test
// renders it into an image as the window does.
#include "analysis/PRBGICanvas.h"
#include "online/HRVarRecorder.h"

namespace klt {

// The first round step (1, 2 or 5 times a power of ten) that divides `range` into at most
// `divisions` parts.
double RoundStep(double range, int divisions);

// Fills the whole canvas (its size from Prepare).
void DrawHRVarChart(TPRBGICanvas& canvas, const THRVarChart& chart);

} // namespace klt
