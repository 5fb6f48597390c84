#pragma once
// The marker bars at the top of each row: which marker owns which stretch of samples, drawn with
// the markers' numbers and names, the shown marker highlighted, their values written beside.
#include <vector>

#include "analysis/DiagramPaintContext.h"

namespace klt {

// A stretch of samples first..last whose bar belongs to marker `index`.
struct TMarkerBarPiece {
    int index = 0;
    int first = 0;
    int last = 0;
    bool markerStart = false; // the marker's own start (or the shown range's) lies here
};

// Markers 1… that overlap first..last, cut where other markers begin or end; each stretch
// belongs to the marker that began last of those covering it.
std::vector<TMarkerBarPiece> MarkerBarPieces(const TKLTFile& file, int first, int last);

void DrawMarkerBars(const TDiagramPaintContext& context);

} // namespace klt
