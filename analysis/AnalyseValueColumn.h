#pragma once
// The column of values at the right of the heart-rate/power analysis: the fit, the step test's
// results and the marker's values.
#include <string>
#include <vector>

#include "analysis/AnalysePlot.h"
#include "core/PRMesWrt.h"

namespace klt {

class TKLTAnalyseData;
class TKLTFile;
struct TConconiResult;
struct THeartRateAnalysis;

struct TValueLine {
    std::string text;
    TMesswertArtType kind = mwaNone; // its colour; none: the text colour
};

// The lines in their order; `conconi` adds the deflection point and PWC values.
std::vector<TValueLine> AnalyseValueLines(const TKLTAnalyseData& options, const THeartRateAnalysis& analysis,
                                          const TConconiResult* conconi, const TKLTFile& file, int marker);

// Width the widest line needs.
int ValueColumnWidth(TPRBGICanvas& canvas, const std::vector<TValueLine>& lines);

// From the top at x, each cut to `width`; the lines that no longer fit above `bottom` are left out.
void DrawValueColumn(TPRBGICanvas& canvas, const TDiagramColours& colours, const std::vector<TValueLine>& lines,
                     const TCanvasRect& column);

} // namespace klt
