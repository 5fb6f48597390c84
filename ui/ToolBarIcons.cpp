#include "ui/ToolBarIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <cmath>

namespace klt {
namespace {

constexpr int kSize = 32; // drawn large, scaled down crisply by the style

const QColor kInk(60, 64, 72);
const QColor kPower(214, 62, 50);
const QColor kHeart(44, 110, 200);
const QColor kCadence(46, 150, 80);

QPen Pen(const QColor& colour, double width = 2.4) {
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A curve through the row from left to right, `phase` shifting its hills.
QPainterPath Trace(double top, double height, double phase) {
    QPainterPath path;
    for (int x = 3; x <= kSize - 3; ++x) {
        const double y =
            top + height / 2 - height / 2 * std::sin((x + phase) / 4.0) * std::cos((x - phase) / 9.0);
        x == 3 ? path.moveTo(x, y) : path.lineTo(x, y);
    }
    return path;
}

void Frame(QPainter& p) {
    p.setPen(Pen(kInk, 1.6));
    p.drawLine(4, 4, 4, kSize - 4);
    p.drawLine(4, kSize - 4, kSize - 3, kSize - 4);
}

void DrawGlyph(QPainter& p, TToolGlyph glyph) {
    switch (glyph) {
    case TToolGlyph::SingleRow:
        Frame(p);
        p.setPen(Pen(kPower));
        p.drawPath(Trace(7, 18, 0));
        break;
    case TToolGlyph::MultiRow:
        p.setPen(Pen(kPower, 2));
        p.drawPath(Trace(2, 8, 0));
        p.setPen(Pen(kHeart, 2));
        p.drawPath(Trace(12, 8, 5));
        p.setPen(Pen(kCadence, 2));
        p.drawPath(Trace(22, 8, 9));
        break;
    case TToolGlyph::Analyse: {
        Frame(p);
        p.setPen(Qt::NoPen);
        p.setBrush(kHeart);
        const int points[][2] = {{9, 22},  {12, 20}, {14, 21}, {17, 16},
                                 {19, 17}, {22, 12}, {24, 13}, {26, 8}};
        for (const auto& pt : points) {
            p.drawEllipse(QPointF(pt[0], pt[1]), 1.7, 1.7);
        }
        p.setPen(Pen(kPower, 2));
        p.drawLine(7, 25, 28, 7);
        break;
    }
    case TToolGlyph::Statistic:
        Frame(p);
        p.setPen(Qt::NoPen);
        p.setBrush(kHeart);
        for (int i = 0; i < 5; ++i) {
            const int heights[] = {6, 13, 20, 15, 8};
            p.drawRect(QRectF(7 + i * 4.6, kSize - 5 - heights[i], 3.6, heights[i]));
        }
        break;
    case TToolGlyph::Ratio:
        p.setPen(Pen(kInk, 1.4));
        p.setBrush(kCadence);
        p.drawPie(QRectF(4, 4, 24, 24), 90 * 16, 130 * 16);
        p.setBrush(kPower);
        p.drawPie(QRectF(4, 4, 24, 24), 220 * 16, 90 * 16);
        p.setBrush(kHeart);
        p.drawPie(QRectF(4, 4, 24, 24), 310 * 16, 140 * 16);
        break;
    case TToolGlyph::EditData:
        p.setPen(Pen(kInk, 1.4));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4, 5, 24, 22));
        for (int y = 11; y < 27; y += 5) {
            p.drawLine(4, y, 28, y);
        }
        p.drawLine(12, 5, 12, 27);
        p.setPen(Pen(kPower, 2.6));
        p.drawLine(16, 24, 27, 13);
        break;
    case TToolGlyph::Periodic:
        p.setPen(Pen(kInk, 1.6));
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(4, 6, 24, 22), 2, 2);
        p.setBrush(kPower);
        p.drawRect(QRectF(4, 6, 24, 6));
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        for (int row = 0; row < 3; ++row) {
            for (int col = 0; col < 4; ++col) {
                p.drawRect(QRectF(7 + col * 5.5, 15 + row * 4.3, 3, 2.6));
            }
        }
        break;
    case TToolGlyph::Download:
    case TToolGlyph::Upload: {
        const bool down = glyph == TToolGlyph::Download;
        p.setPen(Pen(kInk, 1.6));
        p.drawLine(5, 27, 27, 27);
        p.setPen(Pen(down ? kCadence : kHeart, 3));
        p.drawLine(16, 4, 16, 22);
        const int tip = down ? 22 : 4, back = down ? 15 : 11;
        p.drawLine(16, tip, 10, back);
        p.drawLine(16, tip, 22, back);
        break;
    }
    case TToolGlyph::Setup:
        p.setPen(Pen(kInk, 2));
        for (int i = 0; i < 3; ++i) {
            const int y = 8 + i * 8;
            p.drawLine(5, y, 27, y);
            p.setBrush(i == 1 ? kPower : kHeart);
            p.drawEllipse(QPointF(i == 1 ? 20 : 11, y), 3, 3);
        }
        break;
    case TToolGlyph::Online:
        p.setPen(Pen(kInk, 2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(9, 22), 6, 6);
        p.drawEllipse(QPointF(24, 22), 6, 6);
        p.drawPolyline(QPolygonF({QPointF(9, 22), QPointF(14, 12), QPointF(22, 12), QPointF(24, 22)}));
        p.drawLine(14, 12, 17, 22);
        p.drawLine(17, 22, 22, 12);
        p.setPen(Pen(kPower, 2.4));
        p.drawLine(12, 9, 17, 9);
        break;
    case TToolGlyph::Print:
        p.setPen(Pen(kInk, 1.6));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(9, 4, 14, 10));
        p.setBrush(QColor(200, 204, 212));
        p.drawRoundedRect(QRectF(4, 12, 24, 11), 2, 2);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(9, 19, 14, 9));
        p.drawLine(12, 23, 20, 23);
        break;
    case TToolGlyph::Copy:
        p.setPen(Pen(kInk, 1.6));
        p.setBrush(QColor(225, 229, 236));
        p.drawRect(QRectF(5, 4, 15, 18));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(12, 10, 15, 18));
        p.setPen(Pen(kPower, 1.8));
        p.drawPolyline(QPolygonF({QPointF(14, 24), QPointF(17, 17), QPointF(20, 21), QPointF(25, 14)}));
        break;
    }
}

} // namespace

QIcon ToolGlyphIcon(TToolGlyph glyph) {
    QIcon icon;
    for (const qreal ratio : {1.0, 2.0}) {
        QPixmap pixmap(static_cast<int>(kSize * ratio), static_cast<int>(kSize * ratio));
        pixmap.setDevicePixelRatio(ratio);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        DrawGlyph(painter, glyph);
        painter.end();
        icon.addPixmap(pixmap); // the style greys it out when disabled
    }
    return icon;
}

} // namespace klt
