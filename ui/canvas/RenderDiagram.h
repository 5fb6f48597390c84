#pragma once
// Draws a diagram onto part of a QPainter: shared by the document window, printing and `klt plot`,
// so that every output shows the same picture.
#include <QFont>
#include <QPainter>
#include <QRect>

#include "analysis/Diagramm.h"
#include "app/GraphicData.h"
#include "ui/canvas/QtCanvas.h"

namespace klt {

// Where a diagram goes and what the window around it gives it.
struct TDiagramSurface {
    QRect area;
    QFont font; // the window's font, used unless the graphic settings name their own
    TRgb windowColor{255, 255, 255};
};

// The font a diagram is drawn in under these graphic settings.
QFont DiagramFont(const TKLTGraphicData& graphic, const QFont& windowFont);

// Sets the painter and the canvas up for the surface: origin and clip at the area, the diagram's
// font, crisp one-pixel lines, and the canvas's size, palette and options.
void PrepareDiagramCanvas(QPainter& painter, TQtCanvas& canvas, const TDiagramSurface& surface,
                          const TKLTGraphicData& graphic);

void RenderDiagram(QPainter& painter, const TDiagramSurface& surface, TKLTGraphicControl& diagram,
                   const TDiagramView& view, const TKLTGraphicData& graphic);
// Inverts the samples from..to (exclusive) as painted by RenderDiagram on the same surface.
void RenderDiagramSelection(QPainter& painter, const TDiagramSurface& surface, TKLTGraphicControl& diagram,
                            const TDiagramView& view, const TKLTGraphicData& graphic, int from, int to);

} // namespace klt
