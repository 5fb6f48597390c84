#pragma once
// How diagrams are drawn on a screen or a printer: font, helper lines, zone lines and palette.
#include <cstdint>

#include "analysis/PRBGICanvasOptions.h"
#include "app/FontData.h"
#include "core/Persistent.h"

namespace klt {

class TKLTGraphicData : public TPersistent {
public:
    void SetToDefaults() { *this = TKLTGraphicData(); }
    void VisitProperties(TPropertyVisitor& visitor) override;

    bool HasOption(TPRBGICanvasOption option) const {
        return (PRBGICanvasOptions & CanvasOptionBit(option)) != 0;
    }

    bool UseDefaultFont = true; // the window's font instead of DefaultFont
    TFontData DefaultFont;
    uint32_t PRBGICanvasOptions =
        CanvasOptionBit(PlotHilfsLinieH) | CanvasOptionBit(PlotHilfsLinieV) | CanvasOptionBit(PlotBereiche);
    TPRBGICanvasPalette PRBGICanvasPalette = PaletteColor;
};

} // namespace klt
