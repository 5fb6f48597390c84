#include "analysis/DiagramTitle.h"

#include <algorithm>
#include <vector>

#include "analysis/DiagramSmoothing.h"
#include "analysis/Diagramm.h"
#include "core/KLTFile.h"
#include "core/Utf8Chars.h"

namespace klt {
namespace {

size_t CharCount(const std::string& utf8) {
    size_t count = 0;
    for (const char byte : utf8) {
        count += (static_cast<unsigned char>(byte) & 0xC0) != 0x80 ? 1 : 0;
    }
    return count;
}

struct TLegendEntry {
    TMesswertArtType kind;
    std::string name;
    int width;
};

std::vector<TLegendEntry> LegendEntries(const TDiagramPaintContext& c, TLegendForm form, int sampleWidth) {
    std::vector<TLegendEntry> entries;
    for (const TMesswertArtType kind : DiagramChannels) {
        if (c.diagram.Skala(kind).Visible()) {
            std::string name = LegendName(kind, form);
            const int width = sampleWidth + c.canvas.TextExtent(name).width;
            entries.push_back({kind, std::move(name), width});
        }
    }
    return entries;
}

int TotalWidth(const std::vector<TLegendEntry>& entries, int gap) {
    int total = 0;
    for (const TLegendEntry& e : entries) {
        total += e.width + gap;
    }
    return total;
}

void DrawLegend(const TDiagramPaintContext& c, const TLegendEntry& e, int x, int y, int sampleLength) {
    const TRgb colour = c.colours.Curve(e.kind);
    const int lineY = y + c.metrics.charHeight / 2;
    c.canvas.SetPen(colour, c.metrics.penWidth + 1, TCanvasLineStyle::Solid);
    const bool patterned = c.colours.patterned && (e.kind == mwaTretfrequenz || e.kind == mwaHerzfrequenz);
    if (patterned) {
        const int dash = std::max(sampleLength / 4, 2);
        for (int from = 0; from + dash <= sampleLength; from += 2 * dash) {
            c.canvas.Line({x + from, lineY}, {x + from + dash, lineY});
        }
    } else {
        c.canvas.Line({x, lineY}, {x + sampleLength, lineY});
    }
    c.canvas.SetTextColor(colour);
    c.canvas.TextOut(x + sampleLength + c.canvas.CharWidth() / 2, y, e.name);
}

} // namespace

TLegendForm LegendFormFor(int widthPerEntry, int charWidth) {
    if (widthPerEntry > 20 * charWidth) {
        return TLegendForm::Long;
    }
    return widthPerEntry < 12 * charWidth ? TLegendForm::Short : TLegendForm::Medium;
}

std::string LegendName(TMesswertArtType kind, TLegendForm form) {
    const TMesswertArt& art = MesswertArt(kind);
    switch (form) {
    case TLegendForm::Long:
        return TMesswertArt::NameWithUnit(art.Name(), art.UnitShortName());
    case TLegendForm::Medium:
        return art.Name();
    default:
        return art.ShortName();
    }
}

std::string FitText(TPRBGICanvas& canvas, std::string text, int width) {
    size_t chars = CharCount(text);
    while (!text.empty() && canvas.TextExtent(text).width > width) {
        text = TruncateChars(text, --chars);
    }
    return text;
}

void DrawTitleLine(const TDiagramPaintContext& c, const std::string& title) {
    const int charWidth = std::max(c.canvas.CharWidth(), 1);
    const int y = c.metrics.penWidth;
    const int width = c.metrics.width;
    const int titleWidth = c.canvas.TextExtent(title).width;
    const int sampleLength = 2 * charWidth;
    const int gap = 2 * charWidth;
    const int sampleWidth = sampleLength + charWidth / 2;

    int visible = 0;
    for (const TMesswertArtType kind : DiagramChannels) {
        visible += c.diagram.Skala(kind).Visible() ? 1 : 0;
    }
    const int perEntry = visible > 0 ? (width - titleWidth - 2 * gap) / visible : width;
    // Start with the form the width calls for and shorten the names while they crowd the title.
    auto form = LegendFormFor(perEntry, charWidth);
    std::vector<TLegendEntry> entries = LegendEntries(c, form, sampleWidth);
    while (form != TLegendForm::Short && TotalWidth(entries, gap) + titleWidth + gap > width) {
        form = form == TLegendForm::Long ? TLegendForm::Medium : TLegendForm::Short;
        entries = LegendEntries(c, form, sampleWidth);
    }
    // The title goes before the last legends.
    while (!entries.empty() && TotalWidth(entries, gap) + titleWidth + gap > width) {
        entries.pop_back();
    }

    int leftX = charWidth / 2;
    int rightX = width - charWidth / 2;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (i % 2 == 0) {
            DrawLegend(c, entries[i], leftX, y, sampleLength);
            leftX += entries[i].width + gap;
        } else {
            rightX -= entries[i].width;
            DrawLegend(c, entries[i], rightX, y, sampleLength);
            rightX -= gap;
        }
    }
    c.canvas.SetTextColor(c.colours.text);
    const int titleX = std::clamp((width - titleWidth) / 2, leftX, std::max(leftX, rightX - titleWidth));
    c.canvas.TextOut(titleX, y, FitText(c.canvas, title, std::max(rightX - titleX, 0)));
}

void DrawBottomLine(const TDiagramPaintContext& c) {
    if (c.metrics.height < 2 * c.metrics.charHeight) {
        return;
    }
    const int charWidth = c.canvas.CharWidth();
    const int y = c.metrics.height - c.metrics.charHeight;
    const std::string smoothing = "Smoothing: " + SmoothingText(c.diagram.MaxGlaettung);
    const int smoothingWidth = c.canvas.TextExtent(smoothing).width;
    const int smoothingX = c.metrics.width - charWidth / 2 - smoothingWidth;
    c.canvas.SetTextColor(c.colours.text);
    c.canvas.TextOut(smoothingX, y, smoothing);
    const std::string caption = c.file.MarkerCaption(c.marker, 1 | 4) + "  " +
                                c.file.MarkerDescription(c.marker, TDateForm::Long, true);
    c.canvas.TextOut(charWidth / 2, y, FitText(c.canvas, caption, smoothingX - charWidth - charWidth / 2));
}

} // namespace klt
