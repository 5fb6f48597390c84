#include "analysis/DiagramColours.h"

#include <cmath>

#include "core/MesswertColours.h"

namespace klt {
namespace {

bool IsDark(TRgb c) {
    return 299 * c.red + 587 * c.green + 114 * c.blue < 128000;
}

bool IsGrey(TPRBGICanvasPalette p) {
    return p == PaletteGray || p == PaletteGrayLight || p == PaletteGrayDark;
}

// Tones far enough apart to tell the curves apart without colour; the patterned kinds share one.
int GreyTone(TMesswertArtType kind) {
    switch (kind) {
    case mwaLeistung:
        return 0x00;
    case mwaGeschwindigkeit:
        return 0x78;
    case mwaTretfrequenz:
    case mwaHerzfrequenz:
        return 0x48;
    case mwaHoehe:
        return 0xA8;
    default:
        return 0x90;
    }
}

// Light palettes move towards the window colour, dark ones towards the text colour.
TRgb Shade(TRgb c, TPRBGICanvasPalette p, TRgb window, TRgb text) {
    switch (p) {
    case PaletteColorLight:
    case PaletteGrayLight:
        return MixColour(c, window, 0.45);
    case PaletteColorDark:
    case PaletteGrayDark:
        return MixColour(c, text, 0.4);
    default:
        return c;
    }
}

} // namespace

TRgb MixColour(TRgb a, TRgb b, double share) {
    auto mix = [share](uint8_t x, uint8_t y) {
        return static_cast<uint8_t>(std::lround(x + (y - x) * share));
    };
    return {mix(a.red, b.red), mix(a.green, b.green), mix(a.blue, b.blue)};
}

TRgb TDiagramColours::Curve(TMesswertArtType kind) const {
    return Series(SlotColour(MesswertArt(kind).ColourSlot()), kind);
}

TRgb TDiagramColours::Series(TRgb colour, TMesswertArtType kind) const {
    if (palette == PaletteBlackAndWhite) {
        return text;
    }
    if (IsGrey(palette)) {
        const auto tone = static_cast<uint8_t>(GreyTone(kind));
        return Shade(MixColour(text, window, tone / 255.0), palette, window, text);
    }
    return Shade(colour, palette, window, text);
}

TRgb TDiagramColours::Slot(int slot) const {
    if (palette == PaletteBlackAndWhite) {
        return text;
    }
    if (IsGrey(palette)) {
        const double tone = slot >= SlotTimeOrderFirst ? (slot - SlotTimeOrderFirst) * 0.1 : 0.3;
        return Shade(MixColour(text, window, tone), palette, window, text);
    }
    return Shade(SlotColour(slot), palette, window, text);
}

TDiagramColours DiagramColours(TPRBGICanvasPalette palette, TRgb window) {
    TDiagramColours c;
    c.palette = palette;
    c.window = window;
    c.text = IsDark(window) ? TRgb{255, 255, 255} : TRgb{0, 0, 0};
    const bool blackAndWhite = palette == PaletteBlackAndWhite;
    c.patterned = blackAndWhite || IsGrey(palette);
    c.grid = blackAndWhite ? c.text : MixColour(window, c.text, 0.35);
    c.fineGrid = blackAndWhite ? c.text : MixColour(window, c.text, 0.15);
    c.barFill = blackAndWhite ? window : MixColour(window, c.text, 0.12);
    c.barText = c.text;
    if (blackAndWhite) {
        c.barCurrent = c.text;
        c.barCurrentText = window;
    } else {
        c.barCurrent =
            c.patterned ? MixColour(window, c.text, 0.3) : MixColour(window, TRgb{255, 200, 0}, 0.55);
        c.barCurrentText = c.text;
    }
    c.powerZone = c.patterned ? c.grid : MixColour(c.Curve(mwaLeistung), window, 0.35);
    c.heartRateZone = c.patterned ? c.grid : MixColour(c.Curve(mwaHerzfrequenz), window, 0.35);
    return c;
}

} // namespace klt
