#include "analysis/DiagramMarkerBars.h"

#include <algorithm>

#include "analysis/DiagramValueTexts.h"
#include "analysis/Diagramm.h"
#include "core/KLTFile.h"
#include "core/Utf8Chars.h"

namespace klt {
namespace {

constexpr size_t kMaxBarChars = 5;

bool Overlaps(const TKLTMarker& m, int first, int last) {
    return m.SampleCount() > 0 && m.first <= last && m.last >= first;
}

struct TBarBand {
    int barTop = 0; // offset from the row top
    int barHeight = 0;
    int aboveTop = -1; // offset of the value line above the bar; -1 none
    int belowTop = -1;
};

TBarBand BarBand(const TDiagramPaintContext& c) {
    const int ch = c.metrics.charHeight;
    const int pen = c.metrics.penWidth;
    const TPlotMarkerInfo info = c.diagram.PlotMarkerInfo;
    TBarBand band;
    int y = pen;
    if (info == PlotMarkerInfoOben || info == PlotMarkerInfoBeide) {
        band.aboveTop = y;
        y += ch;
    }
    band.barTop = y;
    band.barHeight = ch + 2 * pen;
    y += band.barHeight;
    if (info == PlotMarkerInfoUnten || info == PlotMarkerInfoBeide) {
        band.belowTop = y;
    }
    return band;
}

// Where a marker's visible stretch of a row ends (exclusive x).
int EndX(const TDiagramLayout& l, int row, int lastSample) {
    return l.XOfOffset(std::min(lastSample, l.LastOfRow(row)) - l.FirstOfRow(row) + 1);
}

void DrawPieceInRow(const TDiagramPaintContext& c, const TMarkerBarPiece& piece, int row,
                    const TBarBand& band) {
    const TDiagramLayout& l = c.layout;
    const int from = std::max(piece.first, l.FirstOfRow(row));
    const int to = std::min(piece.last, l.LastOfRow(row));
    if (from > to) {
        return;
    }
    const bool current = piece.index == c.marker;
    const int top = l.RowTop(row) + band.barTop;
    const TCanvasRect rect{l.ColumnOf(from), top, EndX(l, row, to), top + band.barHeight};
    c.canvas.FillRect(rect, current ? c.colours.barCurrent : c.colours.barFill);
    c.canvas.SetPen(c.colours.grid, c.metrics.penWidth, TCanvasLineStyle::Solid);
    c.canvas.FrameRect(rect);
    if (!piece.markerStart || from != piece.first) {
        return;
    }
    // The marker's number, and its name where there is room.
    const TKLTMarker& marker = c.file.Marker(piece.index);
    const std::string number = TruncateChars(std::to_string(piece.index), kMaxBarChars);
    const std::string named = number + " " + TruncateChars(marker.name, kMaxBarChars);
    const int room = rect.right - rect.left - c.canvas.CharWidth() / 2;
    const std::string& text = c.canvas.TextExtent(named).width <= room ? named : number;
    if (c.canvas.TextExtent(text).width <= room) {
        c.canvas.SetTextColor(current ? c.colours.barCurrentText : c.colours.barText);
        c.canvas.TextOut(rect.left + c.canvas.CharWidth() / 4 + 1, top + c.metrics.penWidth, text);
    }
}

void DrawValues(const TDiagramPaintContext& c, const TMarkerBarPiece& piece, const TBarBand& band) {
    const TDiagramLayout& l = c.layout;
    const TKLTMarker& marker = c.file.Marker(piece.index);
    const int row = l.RowOf(piece.first);
    const int endX = EndX(l, row, marker.last);
    const int x = l.ColumnOf(piece.first) + 1;
    const std::string text = MarkerValuesText(c.file, marker);
    c.canvas.SetTextColor(c.colours.text);
    for (const int offset : {band.aboveTop, band.belowTop}) {
        if (offset >= 0) {
            const int y = l.RowTop(row) + offset;
            c.canvas.SetClip({x, y, endX, y + c.metrics.charHeight});
            c.canvas.TextOut(x, y, text);
        }
    }
    c.canvas.ClearClip();
}

} // namespace

std::vector<TMarkerBarPiece> MarkerBarPieces(const TKLTFile& file, int first, int last) {
    std::vector<int> cuts{first, last + 1};
    for (int i = 1; i < file.MarkerCount(); ++i) {
        const TKLTMarker& m = file.Marker(i);
        if (Overlaps(m, first, last)) {
            cuts.push_back(std::max(m.first, first));
            cuts.push_back(std::min(m.last, last) + 1);
        }
    }
    std::sort(cuts.begin(), cuts.end());
    cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());

    std::vector<TMarkerBarPiece> pieces;
    for (size_t k = 0; k + 1 < cuts.size(); ++k) {
        const int from = cuts[k];
        const int to = cuts[k + 1] - 1;
        // The covering marker that began last owns the stretch; of markers beginning together,
        // the one with the smaller number.
        int owner = 0;
        for (int i = 1; i < file.MarkerCount(); ++i) {
            const TKLTMarker& m = file.Marker(i);
            if (m.SampleCount() > 0 && m.first <= from && m.last >= to &&
                (owner == 0 || m.first > file.Marker(owner).first)) {
                owner = i;
            }
        }
        if (owner == 0) {
            continue;
        }
        const int start = std::max(file.Marker(owner).first, first);
        if (!pieces.empty() && pieces.back().index == owner && pieces.back().last + 1 == from) {
            pieces.back().last = to;
        } else {
            pieces.push_back({owner, from, to, from == start});
        }
    }
    return pieces;
}

void DrawMarkerBars(const TDiagramPaintContext& c) {
    if (!c.diagram.PlotMarker) {
        return;
    }
    const TBarBand band = BarBand(c);
    if (band.barTop + band.barHeight > c.layout.rowHeight) {
        return;
    }
    const std::vector<TMarkerBarPiece> pieces = MarkerBarPieces(c.file, c.layout.first, c.layout.last);
    for (const TMarkerBarPiece& piece : pieces) {
        for (int row = c.layout.RowOf(piece.first); row <= c.layout.RowOf(piece.last); ++row) {
            DrawPieceInRow(c, piece, row, band);
        }
    }
    if (c.diagram.PlotMarkerInfo != PlotMarkerInfoAus) {
        for (const TMarkerBarPiece& piece : pieces) {
            if (piece.markerStart) {
                DrawValues(c, piece, band);
            }
        }
    }
}

} // namespace klt
