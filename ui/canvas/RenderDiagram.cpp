#include "ui/canvas/RenderDiagram.h"

namespace klt {

QFont DiagramFont(const TKLTGraphicData& graphic, const QFont& windowFont) {
    QFont font = windowFont;
    if (!graphic.UseDefaultFont) {
        const TFontData& data = graphic.DefaultFont;
        font = QFont(QString::fromStdString(data.Name), data.Size);
        auto has = [&](TFontStyle style) { return (data.Style & (1u << style)) != 0; };
        font.setBold(has(fsBold));
        font.setItalic(has(fsItalic));
        font.setUnderline(has(fsUnderline));
        font.setStrikeOut(has(fsStrikeOut));
    }
    // Colour fringes of sub-pixel text would tint grey and black-and-white pictures, images and
    // printouts.
    font.setStyleStrategy(QFont::NoSubpixelAntialias);
    return font;
}

void PrepareDiagramCanvas(QPainter& painter, TQtCanvas& canvas, const TDiagramSurface& surface,
                          const TKLTGraphicData& graphic) {
    painter.translate(surface.area.topLeft());
    painter.setClipRect(QRect(QPoint(0, 0), surface.area.size()));
    painter.setFont(DiagramFont(graphic, surface.font));
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    canvas.Prepare(surface.windowColor, graphic.PRBGICanvasPalette, graphic.PRBGICanvasOptions,
                   surface.area.width(), surface.area.height());
}

void RenderDiagram(QPainter& painter, const TDiagramSurface& surface, TKLTGraphicControl& diagram,
                   const TDiagramView& view, const TKLTGraphicData& graphic) {
    painter.save();
    TQtCanvas canvas(painter);
    PrepareDiagramCanvas(painter, canvas, surface, graphic);
    diagram.Paint(view, canvas);
    painter.restore();
}

void RenderDiagramSelection(QPainter& painter, const TDiagramSurface& surface, TKLTGraphicControl& diagram,
                            const TDiagramView& view, const TKLTGraphicData& graphic, int from, int to) {
    painter.save();
    TQtCanvas canvas(painter);
    PrepareDiagramCanvas(painter, canvas, surface, graphic);
    diagram.SelectionPaint(view, canvas, from, to);
    painter.restore();
}

} // namespace klt
