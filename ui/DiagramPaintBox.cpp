#include "ui/DiagramPaintBox.h"

#include <QMouseEvent>
#include <QPainter>

#include "app/KLTChildDocument.h"
#include "ui/InputMapping.h"
#include "ui/canvas/RenderDiagram.h"

namespace klt {
namespace {

TMouseButton Button(Qt::MouseButton button) {
    switch (button) {
    case Qt::RightButton:
        return TMouseButton::Right;
    case Qt::MiddleButton:
        return TMouseButton::Middle;
    default:
        return TMouseButton::Left;
    }
}

} // namespace

TDiagramPaintBox::TDiagramPaintBox(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
}

void TDiagramPaintBox::SetDocument(TKLTChildDocument* document, IDiagramHost* host,
                                   std::function<bool()> isActive) {
    document_ = document;
    host_ = host;
    isActive_ = std::move(isActive);
    Invalidate();
}

void TDiagramPaintBox::Invalidate() {
    dirty_ = true;
    update();
}

bool TDiagramPaintBox::CanDraw() const {
    // Nothing is drawn while the training has no samples loaded.
    return document_ != nullptr && document_->Diagram() != nullptr && document_->File().SampleCount() > 0;
}

TDiagramView TDiagramPaintBox::View() const {
    return {&document_->File(), document_->CurrentMarker(), document_->DiagramTitle(), host_};
}

TDiagramSurface TDiagramPaintBox::Surface(const QRect& area) const {
    const QColor window = palette().color(QPalette::Base);
    return {area, font(),
            {static_cast<uint8_t>(window.red()), static_cast<uint8_t>(window.green()),
             static_cast<uint8_t>(window.blue())}};
}

void TDiagramPaintBox::Render(QPainter& painter, const QRect& rect, bool withSelection) {
    painter.fillRect(rect, palette().color(QPalette::Base));
    if (!CanDraw()) {
        return;
    }
    const TDiagramSurface surface = Surface(rect);
    const TKLTGraphicData& graphic = document_->Options().GraphicData;
    TKLTGraphicControl& diagram = *document_->Diagram();
    const TDiagramView view = View();
    RenderDiagram(painter, surface, diagram, view, graphic);
    if (withSelection) {
        document_->SelectionErased();
        for (const TSampleSpan& span : document_->SelectionUpdate()) {
            RenderDiagramSelection(painter, surface, diagram, view, graphic, span.from, span.to);
        }
    }
}

void TDiagramPaintBox::RenderCache() {
    dirty_ = false;
    if (width() <= 0 || height() <= 0) {
        cache_ = QImage();
        return;
    }
    const qreal ratio = devicePixelRatioF();
    cache_ = QImage(size() * ratio, QImage::Format_ARGB32_Premultiplied);
    cache_.setDevicePixelRatio(ratio);
    QPainter painter(&cache_);
    Render(painter, rect(), true);
}

const QImage& TDiagramPaintBox::Image() {
    if (dirty_ || cache_.size() != size() * devicePixelRatioF()) {
        RenderCache();
    }
    return cache_;
}

void TDiagramPaintBox::InvertSelection(int from, int to) {
    if (dirty_ || !CanDraw() || cache_.isNull()) {
        return; // the next drawing shows the selection as it is then
    }
    QPainter painter(&cache_);
    RenderDiagramSelection(painter, Surface(rect()), *document_->Diagram(), View(),
                           document_->Options().GraphicData, from, to);
    update();
}

void TDiagramPaintBox::paintEvent(QPaintEvent*) {
    const QImage& image = Image();
    if (!image.isNull()) {
        QPainter painter(this);
        painter.drawImage(0, 0, image);
    }
}

void TDiagramPaintBox::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Invalidate();
}

void TDiagramPaintBox::WithInputCanvas(const std::function<void(TPRBGICanvas&)>& input) {
    if (!CanDraw()) {
        return;
    }
    QImage scratch(4, 4, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&scratch);
    TQtCanvas canvas(painter);
    PrepareDiagramCanvas(painter, canvas, Surface(rect()), document_->Options().GraphicData);
    input(canvas);
}

void TDiagramPaintBox::mousePressEvent(QMouseEvent* event) {
    if (!isActive_ || !isActive_()) {
        return;
    }
    const uint32_t shift = ShiftState(event->modifiers(), event->buttons());
    const QPoint at = event->position().toPoint();
    WithInputCanvas([&](TPRBGICanvas& canvas) {
        document_->Diagram()->MouseDown(View(), canvas, Button(event->button()), shift, at.x(), at.y());
    });
}

void TDiagramPaintBox::mouseMoveEvent(QMouseEvent* event) {
    if (document_ == nullptr) {
        return;
    }
    if (!isActive_ || !isActive_()) {
        // An inactive window only shows the selection as it is and leaves the hint to others.
        TKLTFile& file = document_->File();
        file.SetSelection(file.SelectionActive(), file.SelectionFirst(), file.SelectionLast());
        if (host_ != nullptr) {
            host_->SetHint({});
        }
        return;
    }
    const uint32_t shift = ShiftState(event->modifiers(), event->buttons());
    const QPoint at = event->position().toPoint();
    WithInputCanvas([&](TPRBGICanvas& canvas) {
        document_->Diagram()->MouseMove(View(), canvas, shift, at.x(), at.y());
    });
}

void TDiagramPaintBox::mouseReleaseEvent(QMouseEvent* event) {
    const bool afterDoubleClick = std::exchange(afterDoubleClick_, false);
    if (!isActive_ || !isActive_()) {
        return;
    }
    const uint32_t shift =
        ShiftState(event->modifiers(), event->buttons()) | (afterDoubleClick ? TShift::Double : 0);
    const QPoint at = event->position().toPoint();
    WithInputCanvas([&](TPRBGICanvas& canvas) {
        document_->Diagram()->MouseUp(View(), canvas, Button(event->button()), shift, at.x(), at.y());
    });
}

void TDiagramPaintBox::mouseDoubleClickEvent(QMouseEvent* event) {
    afterDoubleClick_ = true;
    if (event->button() == Qt::LeftButton && isActive_ && isActive_()) {
        emit DoubleClicked();
    }
}

} // namespace klt
