#pragma once
// The colours a diagram paints with, derived from the surface's palette and window colour.
#include "analysis/PRBGICanvas.h"
#include "core/PRMesWrt.h"

namespace klt {

struct TDiagramColours {
    TPRBGICanvasPalette palette = PaletteColor;
    TRgb window;
    TRgb text;       // texts and frames
    TRgb grid;       // division lines
    TRgb fineGrid;   // helper lines
    TRgb barFill;    // marker bars
    TRgb barCurrent; // the bar of the marker shown
    TRgb barText;
    TRgb barCurrentText;
    TRgb powerZone;
    TRgb heartRateZone;
    bool patterned = false; // cadence and heart rate dashed, where colour no longer tells them apart

    // Curve colour of a measurement kind.
    TRgb Curve(TMesswertArtType kind) const;
    // A colour chosen for a kind's series, as this palette shows it: shaded, in the kind's grey
    // tone, or in the text colour.
    TRgb Series(TRgb colour, TMesswertArtType kind) const;
    // Colour of a slot of the slot-colour table; grey palettes give later slots lighter tones.
    TRgb Slot(int slot) const;
};

// Colour palettes shade the kinds' slot colours, grey ones use a grey tone per kind, black and
// white draws everything in the text colour.
TDiagramColours DiagramColours(TPRBGICanvasPalette palette, TRgb window);

// a moved towards b by share (0..1).
TRgb MixColour(TRgb a, TRgb b, double share);

} // namespace klt
