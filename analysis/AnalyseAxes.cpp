#include "analysis/AnalyseAxes.h"

#include <algorithm>
#include <string>

#include "core/PRMesWrt.h"

namespace klt {
namespace {

std::string AxisValue(const TMesswertSkala& skala, int index, int divisions) {
    return MesswertArt(skala.Kind()).FormatValue(skala.OffsetRounded() + double(skala.BereichRounded()) * index / divisions);
}

std::string AxisName(TMesswertArtType kind) {
    const TMesswertArt& art = MesswertArt(kind);
    return TMesswertArt::NameWithUnit(art.Name(), art.UnitShortName());
}

int WidestLabel(TPRBGICanvas& canvas, const TMesswertSkala& skala) {
    return std::max(canvas.TextExtent(AxisValue(skala, 0, 1)).width, canvas.TextExtent(AxisValue(skala, 1, 1)).width);
}

} // namespace

int AxisDivisions(int step, int extent, int labelExtent) {
    int divisions = std::max(step, 1);
    const int needed = labelExtent + labelExtent / 2 + 1;
    while (divisions > 1 && extent / divisions < needed) {
        divisions /= 2;
    }
    return divisions;
}

int AnalyseLeftMargin(TPRBGICanvas& canvas) {
    return canvas.TextExtent("99999").width + canvas.CharWidth();
}

int AnalyseBottomMargin(TPRBGICanvas& canvas) {
    return 2 * canvas.CharHeight() + canvas.CharHeight() / 2;
}

void DrawAnalyseAxes(const TAnalysePaintContext& c) {
    const TAnalysePlot& p = c.plot;
    const int powerDivisions = AxisDivisions(p.power->Step(), p.Width(), WidestLabel(c.canvas, *p.power));
    const int heartDivisions = AxisDivisions(p.heartRate->Step(), p.Height(), c.charHeight);
    const bool fine = c.canvas.HasOption(PlotHilfsLinieH) || c.canvas.HasOption(PlotHilfsLinieV);
    c.canvas.SetPen(fine ? c.colours.grid : c.colours.fineGrid, c.penWidth, TCanvasLineStyle::Dot);
    for (int i = 1; i < powerDivisions; ++i) {
        const int x = p.left + p.Width() * i / powerDivisions;
        c.canvas.Line({x, p.top + 1}, {x, p.bottom - 1});
    }
    for (int i = 1; i < heartDivisions; ++i) {
        const int y = p.bottom - p.Height() * i / heartDivisions;
        c.canvas.Line({p.left + 1, y}, {p.right - 1, y});
    }
    c.canvas.SetPen(c.colours.text, c.penWidth, TCanvasLineStyle::Solid);
    c.canvas.FrameRect(p.Rect());

    const int gap = c.charWidth / 2 + 1;
    c.canvas.SetTextColor(c.colours.Curve(mwaLeistung));
    int lastRight = p.left - c.charWidth;
    for (int i = 0; i <= powerDivisions; ++i) {
        const std::string text = AxisValue(*p.power, i, powerDivisions);
        const int width = c.canvas.TextExtent(text).width;
        const int x = std::clamp(p.left + p.Width() * i / powerDivisions - width / 2, p.left - gap, p.right + gap - width);
        if (x > lastRight) {
            c.canvas.TextOut(x, p.bottom + gap, text);
            lastRight = x + width + gap;
        }
    }
    const std::string powerName = AxisName(mwaLeistung);
    c.canvas.TextOut(p.left + (p.Width() - c.canvas.TextExtent(powerName).width) / 2, p.bottom + gap + c.charHeight,
                     powerName);

    c.canvas.SetTextColor(c.colours.Curve(mwaHerzfrequenz));
    for (int i = 0; i <= heartDivisions; ++i) {
        const std::string text = AxisValue(*p.heartRate, i, heartDivisions);
        const int y = std::clamp(p.bottom - p.Height() * i / heartDivisions - c.charHeight / 2, p.top,
                                 p.bottom - c.charHeight);
        c.canvas.TextOut(p.left - gap - c.canvas.TextExtent(text).width, y, text);
    }
    c.canvas.TextOut(std::max(p.left - gap - c.canvas.TextExtent("999").width, 0), p.top - c.charHeight - gap,
                     AxisName(mwaHerzfrequenz));
}

} // namespace klt
