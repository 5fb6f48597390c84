#include "app/GraphicData.h"

namespace klt {

void TKLTGraphicData::VisitProperties(TPropertyVisitor& visitor) {
    visitor.Field("UseDefaultFont", UseDefaultFont);
    visitor.Object("DefaultFont", DefaultFont);
    visitor.FlagsField("PRBGICanvasOptions", PRBGICanvasOptions, PRBGICanvasOptionNames);
    visitor.Field("PRBGICanvasPalette", PRBGICanvasPalette, PRBGICanvasPaletteNames);
}

} // namespace klt
