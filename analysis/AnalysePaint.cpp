// Painting of the heart-rate/power analysis: title, axes, histograms, the pairs in the order of
// time, the fitted line with the zone shares, the step test's results and the value column.
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "analysis/Analyse.h"
#include "analysis/AnalyseAxes.h"
#include "analysis/AnalyseHistogram.h"
#include "analysis/AnalyseValueColumn.h"
#include "analysis/AnalyseZoneBands.h"
#include "analysis/ConconiAnalysis.h"
#include "analysis/DiagramTitle.h"
#include "analysis/HeartRateAnalysis.h"
#include "core/KLTFile.h"
#include "core/MesswertColours.h"

namespace klt {
namespace {

constexpr int kTimeOrderSegments = 6;

// The title in the middle and, at the right, six colour segments from early to late.
void DrawAnalyseTitle(const TAnalysePaintContext& c, const std::string& title) {
    const int y = c.penWidth;
    const int width = c.canvas.Width();
    const std::string early = "start", late = "end";
    const int segment = 2 * c.charWidth;
    const int legendWidth = c.canvas.TextExtent(early).width + c.canvas.TextExtent(late).width +
                            kTimeOrderSegments * segment + c.charWidth;
    int right = width - c.charWidth / 2;
    const int titleWidth = c.canvas.TextExtent(title).width;
    if (legendWidth + titleWidth + 4 * c.charWidth <= width) {
        int x = right - legendWidth;
        right = x - c.charWidth;
        c.canvas.SetTextColor(c.colours.text);
        c.canvas.TextOut(x, y, early);
        x += c.canvas.TextExtent(early).width + c.charWidth / 2;
        const int lineY = y + c.charHeight / 2;
        for (int i = 0; i < kTimeOrderSegments; ++i) {
            c.canvas.SetPen(c.colours.Slot(SlotTimeOrderFirst + i), c.penWidth + 2, TCanvasLineStyle::Solid);
            c.canvas.Line({x, lineY}, {x + segment - 1, lineY});
            x += segment;
        }
        c.canvas.TextOut(x + c.charWidth / 2, y, late);
    }
    c.canvas.SetTextColor(c.colours.text);
    const int titleX = std::clamp((width - titleWidth) / 2, c.charWidth / 2, std::max(c.charWidth / 2, right - titleWidth));
    c.canvas.TextOut(titleX, y, FitText(c.canvas, title, std::max(right - titleX, 0)));
}

void DrawCaption(const TAnalysePaintContext& c, const TKLTFile& file, int marker) {
    const std::string caption =
        file.MarkerCaption(marker, 1 | 4) + "  " + file.MarkerDescription(marker, TDateForm::Long, false);
    c.canvas.SetTextColor(c.colours.text);
    c.canvas.TextOut(c.charWidth / 2, c.canvas.Height() - c.charHeight,
                     FitText(c.canvas, caption, c.canvas.Width() - c.charWidth));
}

// Successive pairs joined by lines; the colour moves on every sixth of the pairs. Pairs without
// power or heart rate break the line.
void DrawPairs(const TAnalysePaintContext& c, const std::vector<THeartRatePair>& pairs) {
    const size_t n = pairs.size();
    const size_t perColour = std::max<size_t>((n + kTimeOrderSegments - 1) / kTimeOrderSegments, 1);
    std::vector<TCanvasPoint> run;
    int runSlot = SlotTimeOrderFirst;
    auto flush = [&] {
        if (run.size() > 1) {
            c.canvas.SetPen(c.colours.Slot(runSlot), c.penWidth, TCanvasLineStyle::Solid);
            c.canvas.Polyline(run.data(), static_cast<int>(run.size()));
        }
    };
    c.canvas.SetClip(c.plot.Rect());
    for (size_t i = 0; i < n; ++i) {
        const THeartRatePair& pair = pairs[i];
        if (!(pair.power > 0) || !(pair.heartRate > 0)) {
            flush();
            run.clear();
            continue;
        }
        const int slot = std::min(SlotTimeOrderFirst + static_cast<int>(i / perColour), SlotTimeOrderLast);
        const TCanvasPoint point{c.plot.X(pair.power), c.plot.Y(pair.heartRate)};
        if (slot != runSlot) {
            flush();
            const std::optional<TCanvasPoint> joint = run.empty() ? std::nullopt : std::optional(run.back());
            run.clear();
            if (joint) {
                run.push_back(*joint); // the next colour goes on from where the last one ended
            }
            runSlot = slot;
        }
        if (run.empty() || run.back().x != point.x || run.back().y != point.y) {
            run.push_back(point);
        }
    }
    flush();
    c.canvas.ClearClip();
}

void DrawRegressionLine(const TAnalysePaintContext& c, const THeartRateFit& fit) {
    const double from = c.plot.power->Offset();
    const double to = c.plot.power->UpperEnd();
    c.canvas.SetClip(c.plot.Rect());
    c.canvas.SetPen(c.colours.Slot(SlotRegressionLine), c.penWidth + 1, TCanvasLineStyle::Solid);
    c.canvas.Line({c.plot.X(from), c.plot.Y(HeartRateAt(fit, from))}, {c.plot.X(to), c.plot.Y(HeartRateAt(fit, to))});
    c.canvas.ClearClip();
}

// The steps' means as small squares and the deflection point as a cross.
void DrawSteps(const TAnalysePaintContext& c, const TConconiResult& conconi) {
    const int half = std::max(c.charWidth / 3, 2);
    c.canvas.SetClip(c.plot.Rect());
    for (const TConconiStep& step : conconi.steps) {
        const int x = c.plot.X(step.power), y = c.plot.Y(step.heartRate);
        c.canvas.FillRect({x - half, y - half, x + half + 1, y + half + 1}, c.colours.text);
    }
    if (conconi.deflection) {
        const int x = c.plot.X(conconi.deflection->power), y = c.plot.Y(conconi.deflection->heartRate);
        const int arm = 3 * half;
        c.canvas.SetPen(c.colours.text, c.penWidth + 1, TCanvasLineStyle::Solid);
        c.canvas.Line({x - arm, y - arm}, {x + arm, y + arm});
        c.canvas.Line({x - arm, y + arm}, {x + arm, y - arm});
        c.canvas.SetTextColor(c.colours.text);
        c.canvas.TextOut(x + arm + c.charWidth / 2, y - arm - c.charHeight, "Deflection");
    }
    c.canvas.ClearClip();
}

void DrawNote(const TAnalysePaintContext& c, const std::string& note, int y) {
    const std::string text = FitText(c.canvas, note, c.plot.Width() - c.charWidth);
    c.canvas.SetTextColor(c.colours.text);
    c.canvas.TextOut(c.plot.left + (c.plot.Width() - c.canvas.TextExtent(text).width) / 2, y, text);
}

} // namespace

void TKLTAnalyseData::Paint(const TDiagramView& view, TPRBGICanvas& canvas) {
    canvas.FillRect({0, 0, canvas.Width(), canvas.Height()}, canvas.WindowColor());
    if (view.file == nullptr || view.file->SampleCount() == 0 || view.marker < 0 ||
        view.marker >= view.file->MarkerCount()) {
        return;
    }
    const std::optional<THeartRateAnalysis> analysis = AnalyseHeartRate(*view.file, view.marker, FitParameters());
    if (!analysis) {
        return;
    }
    std::optional<TConconiResult> conconi;
    if (IsStepTest()) {
        conconi = AnalyseConconi(analysis->pairs, analysis->fit.averagingSamples, analysis->fit);
    }
    const TDiagramColours colours = DiagramColours(canvas.Palette(), canvas.WindowColor());
    const int charHeight = std::max(canvas.CharHeight(), 1);
    const int charWidth = std::max(canvas.CharWidth(), 1);
    const std::vector<TValueLine> values =
        AnalyseValueLines(*this, *analysis, conconi ? &*conconi : nullptr, *view.file, view.marker);
    const int columnWidth = std::min(ValueColumnWidth(canvas, values), canvas.Width() / 3);
    const bool caption = canvas.Height() >= 2 * charHeight;

    TAnalysePlot plot;
    plot.power = &SkalaLeistung;
    plot.heartRate = &SkalaHerzfrequenz;
    plot.left = AnalyseLeftMargin(canvas);
    plot.top = canvas.PenWidth() + 2 * charHeight + charHeight / 2;
    plot.right = canvas.Width() - columnWidth - 2 * charWidth;
    plot.bottom = canvas.Height() - (caption ? charHeight : 0) - AnalyseBottomMargin(canvas);
    const TAnalysePaintContext context{canvas, colours, plot, charHeight, charWidth, canvas.PenWidth()};

    DrawAnalyseTitle(context, Title());
    if (caption) {
        DrawCaption(context, *view.file, view.marker);
    }
    if (plot.Width() < 4 * charWidth || plot.Height() < 3 * charHeight) {
        return; // no room for a plot
    }
    const int columnLeft = plot.right + 2 * charWidth - charWidth / 2;
    DrawValueColumn(canvas, colours, values, {columnLeft, plot.top, columnLeft + columnWidth, plot.bottom});
    if (ShowHistogramm) {
        DrawAnalyseHistogram(context, CountHistogram(analysis->secondPairs));
    }
    DrawAnalyseAxes(context);
    DrawPairs(context, analysis->pairs);
    if (analysis->HasLine()) {
        DrawRegressionLine(context, analysis->fit);
        if (canvas.HasOption(PlotBereiche)) {
            DrawAnalyseZoneBands(context, ZoneShares(TrainingZoneSet, analysis->fit, analysis->secondPairs),
                                 static_cast<int>(analysis->secondPairs.size()), analysis->interval);
        }
    } else {
        DrawNote(context, NoLineNote(*analysis), plot.top + (plot.Height() - charHeight) / 2);
    }
    if (conconi) {
        DrawSteps(context, *conconi);
        if (!conconi->note.empty() && analysis->HasLine()) {
            DrawNote(context, conconi->note, plot.top + charHeight / 2);
        }
    }
}

} // namespace klt
