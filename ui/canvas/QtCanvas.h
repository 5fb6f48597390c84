#pragma once
// The drawing surface on a QPainter: a paint box, a printer page or an image.
#include <QFont>
#include <QPainter>
#include <vector>

#include "analysis/PRBGICanvas.h"

namespace klt {

class TQtCanvas : public TPRBGICanvas {
public:
    // The painter must outlive the canvas; its font is the one texts are measured in. Lines are
    // drawn without antialiasing, so that one-pixel curves stay crisp.
    explicit TQtCanvas(QPainter& painter);

    void SetPen(TRgb color, int width, TCanvasLineStyle style) override;
    void Line(TCanvasPoint from, TCanvasPoint to) override;
    void Polyline(const TCanvasPoint* points, int count) override;
    void FillRect(const TCanvasRect& rect, TRgb color) override;
    void FrameRect(const TCanvasRect& rect) override;
    void SetTextColor(TRgb color) override;
    void TextOut(int x, int y, std::string_view utf8) override;
    TCanvasSize TextExtent(std::string_view utf8) override;
    void SetClip(const TCanvasRect& rect) override;
    void ClearClip() override;
    void InvertRect(const TCanvasRect& rect) override;

private:
    // Text is drawn with a pen of the text colour; lines put the line pen back only when needed.
    void UseLinePen();

    QPainter& painter_;
    QPen pen_;
    bool penSet_ = false;
    QColor textColor_;
    std::vector<QPoint> polyline_; // reused, so that long curves allocate once
};

} // namespace klt
