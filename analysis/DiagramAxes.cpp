#include "analysis/DiagramAxes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "analysis/Diagramm.h"
#include "core/KLTDate.h"
#include "core/KLTFile.h"
#include "core/Utf8Chars.h"

namespace klt {
namespace {

constexpr int kMaxAxisChars = 8;

// The scale the zone lines are drawn on, or none.
const TMesswertSkala* ZoneSkala(const TDiagramPaintContext& c) {
    const TTrainingZoneSet& zones = c.diagram.TrainingZoneSet;
    if (!c.canvas.HasOption(PlotBereiche) || !zones.Enabled || zones.ZoneCount() == 0) {
        return nullptr;
    }
    const TTrainingZone& firstZone = *zones.Zone(0);
    const bool power = firstZone.PowerBegin != 0 || firstZone.PowerEnd != 0;
    return &c.diagram.Skala(power ? mwaLeistung : mwaHerzfrequenz);
}

int DivisionY(const TDiagramPaintContext& c, int row, int index, int count) {
    return c.RowBottom(row) - static_cast<int>(int64_t{c.layout.rowHeight} * index / count);
}

void HorizontalLine(const TDiagramPaintContext& c, int y) {
    c.canvas.Line({c.layout.left, y}, {c.layout.right, y});
}

void DrawZoneLines(const TDiagramPaintContext& c, const TMesswertSkala& skala) {
    const bool power = skala.Kind() == mwaLeistung;
    c.canvas.SetPen(power ? c.colours.powerZone : c.colours.heartRateZone, c.metrics.penWidth,
                    TCanvasLineStyle::Dash);
    for (const TTrainingZone& zone : c.diagram.TrainingZoneSet.Zones()) {
        const int bound = power ? zone.PowerBegin : zone.HeartrateBegin;
        if (bound <= 0) {
            continue;
        }
        for (int row = 0; row < c.layout.rows; ++row) {
            const int y = c.layout.RowTop(row) + skala.ToPixelInverted(bound, c.layout.rowHeight);
            if (y > c.layout.RowTop(row) && y < c.RowBottom(row)) {
                HorizontalLine(c, y);
            }
        }
    }
}

void DrawTimeTicks(const TDiagramPaintContext& c) {
    const TDiagramLayout& l = c.layout;
    const int interval = std::max(c.file.Interval(), 1);
    const int labelWidth = c.canvas.TextExtent("00:00:00").width;
    const int step = TimeTickStep(l.samplesPerRow, l.width, interval, labelWidth);
    if (step <= 0) {
        return;
    }
    const bool lines = c.canvas.HasOption(PlotHilfsLinieV);
    const int tick = std::max(c.metrics.charHeight / 3, 2);
    c.canvas.SetTextColor(c.colours.text);
    for (int row = 0; row < l.rows; ++row) {
        const int64_t rowStart = int64_t{row} * l.samplesPerRow * interval;
        const int64_t rowEnd = rowStart + int64_t{l.samplesPerRow} * interval;
        for (int64_t t = (rowStart + step - 1) / step * step; t < rowEnd; t += step) {
            const int x =
                l.left + static_cast<int>((t - rowStart) * l.width / (int64_t{l.samplesPerRow} * interval));
            const int bottom = c.RowBottom(row);
            if (lines && x > l.left) {
                c.canvas.SetPen(c.colours.fineGrid, c.metrics.penWidth, TCanvasLineStyle::Dot);
                c.canvas.Line({x, l.RowTop(row) + 1}, {x, bottom - 1});
            }
            c.canvas.SetPen(c.colours.text, c.metrics.penWidth, TCanvasLineStyle::Solid);
            c.canvas.Line({x, bottom - tick}, {x, bottom});
            if (x + 2 + labelWidth < l.right) {
                c.canvas.TextOut(x + 2, bottom - tick - c.metrics.charHeight, FormatTimeOfDay(t, false));
            }
        }
    }
}

// Visible scales in channel order, and the zone scale even when its curve is hidden.
std::vector<const TMesswertSkala*> LabelledScales(const TDiagramPaintContext& c) {
    const TMesswertSkala* zone = ZoneSkala(c);
    std::vector<const TMesswertSkala*> scales;
    for (const TMesswertArtType kind : DiagramChannels) {
        const TMesswertSkala& skala = c.diagram.Skala(kind);
        if (skala.Visible() || &skala == zone) {
            scales.push_back(&skala);
        }
    }
    return scales;
}

std::string AxisText(const TMesswertSkala& skala, int index, int count) {
    const double raw = skala.OffsetRounded() + double(skala.BereichRounded()) * index / count;
    return TruncateChars(MesswertArt(skala.Kind()).FormatValue(raw), kMaxAxisChars);
}

void DrawSideTexts(const TDiagramPaintContext& c, const std::vector<const TMesswertSkala*>& scales,
                   bool leftSide, int divisions) {
    if (scales.empty()) {
        return;
    }
    const int ch = c.metrics.charHeight;
    const int spacing = std::max(c.layout.rowHeight / divisions, 1);
    const int perDivision = std::clamp(spacing / ch, 1, static_cast<int>(scales.size()));
    const int gap = c.canvas.CharWidth() / 3 + 1;
    for (int row = 0; row < c.layout.rows; ++row) {
        const int block = perDivision * ch;
        // Texts at the row's edges are pushed inside it; they are left out where that would run
        // them into the texts of the next division.
        const bool edges = 2 * spacing >= 3 * block;
        for (int i = edges ? 0 : 1; i <= (edges ? divisions : divisions - 1); ++i) {
            const int lineY = DivisionY(c, row, i, divisions);
            const int top = std::clamp(lineY - block / 2, c.layout.RowTop(row) + 1, c.RowBottom(row) - block);
            for (int k = 0; k < perDivision; ++k) {
                // Where not every scale fits at a division, the divisions take turns.
                const size_t which = (static_cast<size_t>(i * perDivision) + k) % scales.size();
                const TMesswertSkala& skala = *scales[which];
                const std::string text = AxisText(skala, i, divisions);
                const int width = c.canvas.TextExtent(text).width;
                c.canvas.SetTextColor(c.colours.Curve(skala.Kind()));
                c.canvas.TextOut(leftSide ? c.layout.left - gap - width : c.layout.right + gap, top + k * ch,
                                 text);
            }
        }
    }
}

} // namespace

TGridDivisions GridDivisions(int step, int rowHeight, int charHeight) {
    TGridDivisions d;
    d.divisions = std::max(step, 1);
    const int perDivisionText = std::max(static_cast<int>(std::lround(2.5 * charHeight)), 1);
    const int fitting = rowHeight / perDivisionText;
    while (fitting / d.divisions < 1 && d.divisions > 1) {
        d.divisions /= 2;
    }
    const int quotient = fitting / d.divisions;
    d.subDivisions = quotient <= 1 ? 1 : quotient <= 4 ? 2 : 4;
    return d;
}

int TimeTickStep(int samplesPerRow, int plotWidth, int interval, int labelWidth) {
    static constexpr std::array<int, 17> steps = {1,   2,   5,    10,   15,   30,    60,    120,  300,
                                                  600, 900, 1800, 3600, 7200, 10800, 21600, 43200};
    if (samplesPerRow <= 0 || plotWidth <= 0) {
        return 0;
    }
    const double pixelsPerHundredth = double(plotWidth) / (double(samplesPerRow) * interval);
    for (const int seconds : steps) {
        const int step = seconds * 100;
        if (step >= interval && step * pixelsPerHundredth >= 1.5 * labelWidth) {
            return step;
        }
    }
    return 0;
}

void DrawGrid(const TDiagramPaintContext& c, const TGridDivisions& d) {
    const int fine = d.divisions * d.subDivisions;
    if (d.subDivisions > 1 && c.canvas.HasOption(PlotHilfsLinieH)) {
        c.canvas.SetPen(c.colours.fineGrid, c.metrics.penWidth, TCanvasLineStyle::Dot);
        for (int row = 0; row < c.layout.rows; ++row) {
            for (int i = 1; i < fine; ++i) {
                if (i % d.subDivisions != 0) {
                    HorizontalLine(c, DivisionY(c, row, i, fine));
                }
            }
        }
    }
    c.canvas.SetPen(c.colours.grid, c.metrics.penWidth, TCanvasLineStyle::Dot);
    for (int row = 0; row < c.layout.rows; ++row) {
        for (int i = 1; i < d.divisions; ++i) {
            HorizontalLine(c, DivisionY(c, row, i, d.divisions));
        }
    }
    if (const TMesswertSkala* zone = ZoneSkala(c)) {
        DrawZoneLines(c, *zone);
    }
    DrawTimeTicks(c);
}

void DrawAxisTexts(const TDiagramPaintContext& c, const TGridDivisions& d) {
    const std::vector<const TMesswertSkala*> scales = LabelledScales(c);
    const auto half = static_cast<std::ptrdiff_t>((scales.size() + 1) / 2);
    DrawSideTexts(c, {scales.begin(), scales.begin() + half}, true, d.divisions);
    DrawSideTexts(c, {scales.begin() + half, scales.end()}, false, d.divisions);
}

void DrawRowFrames(const TDiagramPaintContext& c) {
    c.canvas.SetPen(c.colours.text, c.metrics.penWidth, TCanvasLineStyle::Solid);
    for (int row = 0; row < c.layout.rows; ++row) {
        c.canvas.FrameRect(c.RowRect(row));
    }
}

} // namespace klt
