#pragma once
// What the parts of a diagram's painting share: surface, layout, colours, options and training.
#include "analysis/DiagramColours.h"
#include "analysis/DiagramLayout.h"
#include "analysis/PRBGICanvas.h"

namespace klt {

class TKLTDiagrammMehrZData;
class TKLTFile;

struct TDiagramPaintContext {
    TPRBGICanvas& canvas;
    const TDiagramMetrics& metrics;
    const TDiagramLayout& layout;
    const TDiagramColours& colours;
    const TKLTDiagrammMehrZData& diagram;
    const TKLTFile& file;
    int marker;

    int RowBottom(int row) const { return layout.RowTop(row) + layout.rowHeight; }
    // The plot area of a row, with its bottom line.
    TCanvasRect RowRect(int row) const {
        return {layout.left, layout.RowTop(row), layout.right + 1, RowBottom(row) + 1};
    }
};

} // namespace klt
