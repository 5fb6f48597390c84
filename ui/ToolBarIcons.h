#pragma once
// The glyphs of the speed-button bar that the desktop's icon set has no picture for.
#include <QIcon>

namespace klt {

enum class TToolGlyph {
    SingleRow,
    MultiRow,
    Analyse,
    Statistic,
    Ratio,
    EditData,
    Periodic,
    Download,
    Setup,
    Online,
    Upload,
    Print,
    Copy
};

QIcon ToolGlyphIcon(TToolGlyph glyph);

} // namespace klt
