#include "ui/canvas/QtCanvas.h"

#include <QFontMetrics>
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

TQtCanvas::TQtCanvas(QPainter& painter) : painter_(painter), pen_(Qt::black), textColor_(Qt::black) {
    painter_.setRenderHint(QPainter::Antialiasing, false);
}

void TQtCanvas::UseLinePen() {
    if (!penSet_) {
        painter_.setPen(pen_);
        penSet_ = true;
    }
}

void TQtCanvas::SetPen(TRgb color, int width, TCanvasLineStyle style) {
    pen_ = QPen(ToQColor(color), width);
    switch (style) {
    case TCanvasLineStyle::Solid:
        pen_.setStyle(Qt::SolidLine);
        break;
    case TCanvasLineStyle::Dash:
        pen_.setStyle(Qt::DashLine);
        break;
    case TCanvasLineStyle::Dot:
        pen_.setStyle(Qt::DotLine);
        break;
    }
    penSet_ = false;
}

void TQtCanvas::Line(TCanvasPoint from, TCanvasPoint to) {
    UseLinePen();
    painter_.drawLine(from.x, from.y, to.x, to.y);
}

void TQtCanvas::Polyline(const TCanvasPoint* points, int count) {
    if (count < 2) {
        return;
    }
    polyline_.resize(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        polyline_[static_cast<size_t>(i)] = QPoint(points[i].x, points[i].y);
    }
    UseLinePen();
    painter_.drawPolyline(polyline_.data(), count);
}

void TQtCanvas::FillRect(const TCanvasRect& rect, TRgb color) {
    painter_.fillRect(ToQRect(rect), ToQColor(color));
}

void TQtCanvas::FrameRect(const TCanvasRect& rect) {
    UseLinePen();
    painter_.setBrush(Qt::NoBrush);
    painter_.drawRect(QRect(rect.left, rect.top, rect.right - rect.left - 1, rect.bottom - rect.top - 1));
}

void TQtCanvas::SetTextColor(TRgb color) {
    textColor_ = ToQColor(color);
}

void TQtCanvas::TextOut(int x, int y, std::string_view utf8) {
    painter_.setPen(textColor_);
    penSet_ = false;
    painter_.drawText(QPoint(x, y + painter_.fontMetrics().ascent()), ToQString(utf8));
}

TCanvasSize TQtCanvas::TextExtent(std::string_view utf8) {
    const QFontMetrics metrics = painter_.fontMetrics();
    return {metrics.horizontalAdvance(ToQString(utf8)), metrics.height()};
}

void TQtCanvas::SetClip(const TCanvasRect& rect) {
    painter_.setClipRect(ToQRect(rect));
    if (Width() > 0 && Height() > 0) {
        painter_.setClipRect(QRect(0, 0, Width(), Height()), Qt::IntersectClip);
    }
}

// A prepared canvas never draws outside its size, which may be a part of a larger page.
void TQtCanvas::ClearClip() {
    if (Width() > 0 && Height() > 0) {
        painter_.setClipRect(QRect(0, 0, Width(), Height()));
    } else {
        painter_.setClipping(false);
    }
}

void TQtCanvas::InvertRect(const TCanvasRect& rect) {
    const QPainter::CompositionMode mode = painter_.compositionMode();
    painter_.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter_.fillRect(ToQRect(rect), Qt::white);
    painter_.setCompositionMode(mode);
}

} // namespace klt
