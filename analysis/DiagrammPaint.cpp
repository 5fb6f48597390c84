// Painting of the time-series diagrams: layout, grid, marker bars, curves, texts and selection.
#include <algorithm>

#include "analysis/DiagramAxes.h"
#include "analysis/DiagramCurves.h"
#include "analysis/DiagramMarkerBars.h"
#include "analysis/DiagramSmoothing.h"
#include "analysis/DiagramTitle.h"
#include "analysis/Diagramm.h"
#include "core/KLTFile.h"

namespace klt {
namespace {

TDiagramMetrics MetricsOf(TPRBGICanvas& canvas) {
    return {canvas.Width(), canvas.Height(), std::max(canvas.CharHeight(), 1), canvas.PenWidth(),
            canvas.AxisTextMargin()};
}

} // namespace

const TMesswertSkala& TKLTDiagrammMehrZData::Skala(TMesswertArtType kind) const {
    switch (kind) {
    case mwaLeistung:
        return SkalaLeistung;
    case mwaGeschwindigkeit:
        return SkalaGeschwindigkeit;
    case mwaTretfrequenz:
        return SkalaTretfrequenz;
    case mwaHerzfrequenz:
        return SkalaHerzfrequenz;
    case mwaHoehe:
        return SkalaHoehe;
    default:
        return SkalaTemp;
    }
}

TMesswertSkala& TKLTDiagrammMehrZData::Skala(TMesswertArtType kind) {
    return const_cast<TMesswertSkala&>(static_cast<const TKLTDiagrammMehrZData&>(*this).Skala(kind));
}

std::string TKLTDiagrammMehrZData::Title(const TDiagramView& view) const {
    return view.title;
}

std::string TKLTDiagrammEinzTrendData::Title(const TDiagramView&) const {
    return "Trend of Training";
}

bool TKLTDiagrammMehrZData::Layout(const TDiagramView& view, TPRBGICanvas& canvas) {
    int first = 0, last = -1;
    if (view.file != nullptr && view.file->SampleCount() > 0 && view.marker >= 0 &&
        view.marker < view.file->MarkerCount()) {
        const TKLTMarker& marker = view.file->Marker(view.marker);
        first = marker.first;
        last = std::min(marker.last, view.file->SampleCount());
    }
    layout_ = ComputeDiagramLayout(first, last, MaxAnzahlDiagramme, MetricsOf(canvas));
    return layout_.Valid();
}

void TKLTDiagrammMehrZData::Paint(const TDiagramView& view, TPRBGICanvas& canvas) {
    canvas.FillRect({0, 0, canvas.Width(), canvas.Height()}, canvas.WindowColor());
    if (!Layout(view, canvas)) {
        return;
    }
    const TDiagramMetrics metrics = MetricsOf(canvas);
    const TDiagramColours colours = DiagramColours(canvas.Palette(), canvas.WindowColor());
    const TDiagramPaintContext context{canvas, metrics, layout_, colours, *this, *view.file, view.marker};
    const TGridDivisions divisions =
        GridDivisions(SkalaLeistung.Step(), layout_.rowHeight, metrics.charHeight);
    DrawGrid(context, divisions);
    DrawMarkerBars(context);
    DrawCurves(context,
               SmoothingWindowTime(MaxGlaettung, layout_.first, layout_.last, view.file->Interval()));
    DrawRowFrames(context);
    DrawAxisTexts(context, divisions);
    DrawTitleLine(context, Title(view));
    DrawBottomLine(context);
}

void TKLTDiagrammMehrZData::SelectionPaint(const TDiagramView& view, TPRBGICanvas& canvas, int from, int to) {
    if (!Layout(view, canvas)) {
        return;
    }
    const TDiagramLayout& l = layout_;
    from = std::clamp(from, l.first, l.last + 1);
    to = std::clamp(to, l.first, l.last + 1);
    if (from > to) {
        std::swap(from, to);
    }
    if (from == to) {
        return;
    }
    const int firstRow = l.RowOf(from);
    const int lastRow = l.RowOf(to - 1);
    const int endX = l.XOfOffset((to - 1 - l.first) % l.samplesPerRow + 1);
    for (int row = firstRow; row <= lastRow; ++row) {
        const int left = row == firstRow ? l.ColumnOf(from) : l.left;
        const int right = row == lastRow ? endX : l.right;
        canvas.InvertRect({left, l.RowTop(row), right, l.RowTop(row) + l.rowHeight});
    }
}

} // namespace klt
