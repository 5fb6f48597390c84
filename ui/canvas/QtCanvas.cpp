#include "ui/canvas/QtCanvas.h"

#include <QFontMetrics>
#include <QPolygon>
#include <QString>

namespace klt {
namespace {

QColor ToQColor(TRgb c) {
    return QColor(c.red, c.green, c.blue);
}

QString ToQString(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QRect ToQRect(const TCanvasRect& r) {
    return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
}

} // namespace

TQtCanvas::TQtCanvas(QPainter& painter) : painter_(painter), pen_(Qt::black), textColor_(Qt::black) {}

void TQtCanvas::SetPen(TRgb color, int width, TCanvasLineStyle style) {
    pen_ = QPen(ToQColor(color), width);
    switch (style) {
    case TCanvasLineStyle::Solid: pen_.setStyle(Qt::SolidLine); break;
    case TCanvasLineStyle::Dash: pen_.setStyle(Qt::DashLine); break;
    case TCanvasLineStyle::Dot: pen_.setStyle(Qt::DotLine); break;
    }
    painter_.setPen(pen_);
}

void TQtCanvas::Line(TCanvasPoint from, TCanvasPoint to) {
    painter_.setPen(pen_);
    painter_.drawLine(from.x, from.y, to.x, to.y);
}

void TQtCanvas::Polyline(const TCanvasPoint* points, int count) {
    if (count < 2) {
        return;
    }
    QPolygon polygon(count);
    for (int i = 0; i < count; ++i) {
        polygon.setPoint(i, points[i].x, points[i].y);
    }
    painter_.setPen(pen_);
    painter_.drawPolyline(polygon);
}

void TQtCanvas::FillRect(const TCanvasRect& rect, TRgb color) {
    painter_.fillRect(ToQRect(rect), ToQColor(color));
}

void TQtCanvas::FrameRect(const TCanvasRect& rect) {
    painter_.setPen(pen_);
    painter_.setBrush(Qt::NoBrush);
    painter_.drawRect(QRect(rect.left, rect.top, rect.right - rect.left - 1, rect.bottom - rect.top - 1));
}

void TQtCanvas::SetTextColor(TRgb color) {
    textColor_ = ToQColor(color);
}

void TQtCanvas::TextOut(int x, int y, std::string_view utf8) {
    painter_.setPen(textColor_);
    painter_.drawText(QPoint(x, y + painter_.fontMetrics().ascent()), ToQString(utf8));
    painter_.setPen(pen_);
}

TCanvasSize TQtCanvas::TextExtent(std::string_view utf8) {
    const QFontMetrics metrics = painter_.fontMetrics();
    return {metrics.horizontalAdvance(ToQString(utf8)), metrics.height()};
}

void TQtCanvas::SetClip(const TCanvasRect& rect) {
    painter_.setClipRect(ToQRect(rect));
}

void TQtCanvas::ClearClip() {
    painter_.setClipping(false);
}

void TQtCanvas::InvertRect(const TCanvasRect& rect) {
    const QPainter::CompositionMode mode = painter_.compositionMode();
    painter_.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter_.fillRect(ToQRect(rect), Qt::white);
    painter_.setCompositionMode(mode);
}

} // namespace klt
