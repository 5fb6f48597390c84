#pragma once
// The paint box of the diagram views: the diagram is drawn onto a cached image through the
// drawing surface, and the selection is inverted on top of it. Mouse input goes to the diagram.
#include <QImage>
#include <QWidget>
#include <functional>

#include "analysis/DiagramInput.h"
#include "ui/canvas/RenderDiagram.h"

namespace klt {

class TKLTChildDocument;
class TPRBGICanvas;

class TDiagramPaintBox : public QWidget {
    Q_OBJECT

public:
    explicit TDiagramPaintBox(QWidget* parent = nullptr);

    // What is drawn, and who hears the diagram's hints; `isActive` tells whether input reaches
    // the diagram (only while the window and the application are active).
    void SetDocument(TKLTChildDocument* document, IDiagramHost* host, std::function<bool()> isActive);
    // The view changed: draw it afresh at the next paint.
    void Invalidate();
    // Inverts samples from..to-1 on the drawn image.
    void InvertSelection(int from, int to);
    // Draws the diagram of the document's view into rect of the painter (printing, images).
    void Render(QPainter& painter, const QRect& rect, bool withSelection);
    // The drawn image as it is shown, for tests and copying.
    const QImage& Image();

signals:
    void DoubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    bool CanDraw() const;
    TDiagramSurface Surface(const QRect& area) const;
    TDiagramView View() const;
    void RenderCache();
    // Runs an input event on a surface of the paint box's size and font, so the diagram can lay
    // itself out as it would for painting.
    void WithInputCanvas(const std::function<void(TPRBGICanvas&)>& input);

    TKLTChildDocument* document_ = nullptr;
    IDiagramHost* host_ = nullptr;
    std::function<bool()> isActive_;
    QImage cache_;
    bool dirty_ = true;
    bool afterDoubleClick_ = false;
};

} // namespace klt
