#pragma once
// The title line above the rows (legends and the diagram's title) and the bottom line below them
// (the marker's description and the smoothing).
#include <string>

#include "analysis/DiagramPaintContext.h"

namespace klt {

enum class TLegendForm { Long, Medium, Short };

// Long names when an entry has more than 20 character widths, short ones below 12.
TLegendForm LegendFormFor(int widthPerEntry, int charWidth);
std::string LegendName(TMesswertArtType kind, TLegendForm form);

// `text` cut character by character until it is at most `width` wide on the canvas.
std::string FitText(TPRBGICanvas& canvas, std::string text, int width);

void DrawTitleLine(const TDiagramPaintContext& context, const std::string& title);
void DrawBottomLine(const TDiagramPaintContext& context);

} // namespace klt
