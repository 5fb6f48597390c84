#include "analysis/DiagramCurves.h"

#include <algorithm>
#include <cstdlib>

#include "analysis/Diagramm.h"
#include "core/KLTFile.h"

namespace klt {

std::vector<TCanvasPoint> CurvePoints(const TDiagramLayout& layout, int row, const std::vector<int>& values,
                                      const TMesswertSkala& skala) {
    std::vector<TCanvasPoint> points;
    const int rowFirst = layout.FirstOfRow(row);
    const int rowLast = layout.LastOfRow(row);
    const int count = static_cast<int>(values.size());
    if (rowFirst > rowLast || rowLast > count) {
        return points;
    }
    const int top = layout.RowTop(row);
    auto value = [&](int sample) { return values[static_cast<size_t>(sample - 1)]; };
    auto y = [&](int v) { return top + skala.ToPixelInverted(v, layout.rowHeight); };
    const int columns = std::min(layout.width, rowLast - rowFirst + 1) + 2;
    points.reserve(static_cast<size_t>(columns));

    const int firstValue = rowFirst > 1 ? (value(rowFirst) + value(rowFirst - 1)) / 2 : value(rowFirst);
    points.push_back({layout.left, y(firstValue)});

    // The column advances by width / samplesPerRow per sample; carrying the remainder avoids a
    // division per sample.
    const int64_t perRow = layout.samplesPerRow;
    int column = layout.left;
    int64_t remainder = 0;
    int64_t sum = 0;
    int gathered = 0;
    for (int s = rowFirst; s <= rowLast; ++s) {
        sum += value(s);
        ++gathered;
        remainder += layout.width;
        const int step = static_cast<int>(remainder / perRow);
        remainder -= step * perRow;
        if (step > 0 || s == rowLast) {
            const int64_t mean = (sum + (sum >= 0 ? gathered / 2 : -(gathered / 2))) / gathered;
            points.push_back({column, y(static_cast<int>(mean))});
            column += step;
            sum = 0;
            gathered = 0;
        }
    }

    const int lastValue = rowLast < count ? (value(rowLast) + value(rowLast + 1)) / 2 : value(rowLast);
    points.push_back({layout.XOfOffset((rowLast - layout.first) % layout.samplesPerRow + 1), y(lastValue)});
    return points;
}

namespace {

void DrawSolid(TPRBGICanvas& canvas, const std::vector<TCanvasPoint>& points, int rowBottom) {
    // Runs of drawable segments become one polyline each.
    size_t runStart = 0;
    for (size_t i = 1; i <= points.size(); ++i) {
        const bool drawable = i < points.size() && (points[i - 1].y <= rowBottom || points[i].y <= rowBottom);
        if (!drawable) {
            if (i - runStart >= 2) {
                canvas.Polyline(&points[runStart], static_cast<int>(i - runStart));
            }
            runStart = i;
        }
    }
}

void DrawPatterned(TPRBGICanvas& canvas, const std::vector<TCanvasPoint>& points, int rowBottom,
                   int distance) {
    if (points.empty()) {
        return;
    }
    TCanvasPoint anchor = points.front();
    bool drawing = true;
    for (size_t i = 1; i < points.size(); ++i) {
        const TCanvasPoint p = points[i];
        if (std::max(std::abs(p.x - anchor.x), std::abs(p.y - anchor.y)) < distance) {
            continue;
        }
        if (drawing && (anchor.y <= rowBottom || p.y <= rowBottom)) {
            canvas.Line(anchor, p);
        }
        drawing = !drawing;
        anchor = p;
    }
}

} // namespace

void DrawCurve(TPRBGICanvas& canvas, const std::vector<TCanvasPoint>& points, int rowBottom, bool patterned,
               int patternDistance) {
    if (patterned) {
        DrawPatterned(canvas, points, rowBottom, patternDistance);
    } else {
        DrawSolid(canvas, points, rowBottom);
    }
}

void DrawCurves(const TDiagramPaintContext& c, int windowTime) {
    const TDiagramLayout& layout = c.layout;
    for (const TMesswertArtType kind : DiagramChannels) {
        const TMesswertSkala& skala = c.diagram.Skala(kind);
        if (!skala.Visible()) {
            continue;
        }
        const std::vector<int> values = c.file.MovingAverages(kind, windowTime);
        const bool patterned = c.colours.patterned && (kind == mwaTretfrequenz || kind == mwaHerzfrequenz);
        const int patternDistance = kind == mwaTretfrequenz ? 6 * c.metrics.penWidth : 3 * c.metrics.penWidth;
        c.canvas.SetPen(c.colours.Curve(kind), c.metrics.penWidth, TCanvasLineStyle::Solid);
        for (int row = 0; row < layout.rows; ++row) {
            c.canvas.SetClip(c.RowRect(row));
            DrawCurve(c.canvas, CurvePoints(layout, row, values, skala), c.RowBottom(row), patterned,
                      patternDistance);
        }
    }
    c.canvas.ClearClip();
}

} // namespace klt
