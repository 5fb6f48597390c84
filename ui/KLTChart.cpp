#include "ui/KLTChart.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QtMath>
#include <cmath>

#include "analysis/DiagramInput.h"

namespace klt {

void TChartGraphicControl::Initialize(TTrainingData* data) {
    data_ = data;
    Refresh();
}

void TChartGraphicControl::SetMarker(int first, int last) {
    markerFirst_ = first;
    markerLast_ = last;
    chart_.BottomAxis()->setRange(std::max(first - 1, 0), std::max(last - 1, first));
}

TKLTChart::TKLTChart(QWidget* parent) : QChartView(parent) {
    QChart* c = chart();
    c->setBackgroundBrush(Qt::white);
    c->setBackgroundRoundness(0);
    c->legend()->hide();
    c->setAnimationOptions(QChart::NoAnimation);
    c->setMargins(QMargins(4, 4, 4, 0));
    QFont small(QStringLiteral("Arial"));
    small.setPointSize(8);
    setFont(small);
    c->setFont(small);
    setRenderHint(QPainter::Antialiasing, false);
    setBackgroundBrush(Qt::white);
    setFrameShape(QFrame::NoFrame);

    bottomAxis_ = new QValueAxis(c);
    bottomAxis_->setLabelFormat(QStringLiteral("%.0f"));
    leftAxis_ = new QValueAxis(c);
    rightAxis_ = new QValueAxis(c);
    for (QValueAxis* axis : {bottomAxis_, leftAxis_, rightAxis_}) {
        axis->setLabelsFont(small);
        axis->setTitleFont(small);
        axis->setGridLineColor(QColor(0xE0, 0xE0, 0xE0));
    }
    c->addAxis(bottomAxis_, Qt::AlignBottom);
    c->addAxis(leftAxis_, Qt::AlignLeft);
    c->addAxis(rightAxis_, Qt::AlignRight);
    rightAxis_->setGridLineVisible(false);
}

void TKLTChart::AddSeries(QAbstractSeries* series, bool rightAxis) {
    chart()->addSeries(series);
    series->attachAxis(bottomAxis_);
    series->attachAxis(rightAxis ? rightAxis_ : leftAxis_);
}

void TKLTChart::RemoveAllSeries() {
    chart()->removeAllSeries();
}

void TKLTChart::FitAxis(QValueAxis* axis, double maximum) {
    if (!(maximum > 0) || !std::isfinite(maximum)) {
        maximum = 1;
    }
    // A round upper end: 1, 2 or 5 times a power of ten, with a little headroom.
    const double magnitude = std::pow(10.0, std::floor(std::log10(maximum * 1.05)));
    double upper = magnitude;
    for (double factor : {1.0, 2.0, 5.0, 10.0}) {
        upper = factor * magnitude;
        if (upper >= maximum * 1.05) {
            break;
        }
    }
    axis->setRange(0, upper);
    axis->setTickCount(upper / magnitude <= 2 ? static_cast<int>(std::lround(upper / magnitude * 5)) + 1
                                              : static_cast<int>(std::lround(upper / magnitude)) + 1);
}

void TKLTChart::ReserveLabelRoom(const QString& text) {
    const int width = QFontMetrics(font()).horizontalAdvance(text);
    chart()->setMargins(QMargins(width / 2, 4, width / 2, 0));
}

uint32_t TKLTChart::ShiftState(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
    uint32_t shift = 0;
    shift |= modifiers.testFlag(Qt::ShiftModifier) ? TShift::Shift : 0;
    shift |= modifiers.testFlag(Qt::AltModifier) ? TShift::Alt : 0;
    shift |= modifiers.testFlag(Qt::ControlModifier) ? TShift::Ctrl : 0;
    shift |= buttons.testFlag(Qt::LeftButton) ? TShift::Left : 0;
    shift |= buttons.testFlag(Qt::RightButton) ? TShift::Right : 0;
    shift |= buttons.testFlag(Qt::MiddleButton) ? TShift::Middle : 0;
    return shift;
}

void TKLTChart::drawForeground(QPainter* painter, const QRectF& rect) {
    QChartView::drawForeground(painter, rect);
    if (control_ != nullptr) {
        control_->Paint(*painter);
    }
}

void TKLTChart::mousePressEvent(QMouseEvent* event) {
    QChartView::mousePressEvent(event);
    if (control_ != nullptr) {
        control_->MouseDown(event->button(), ShiftState(event->modifiers(), event->buttons()), event->position());
    }
}

void TKLTChart::mouseMoveEvent(QMouseEvent* event) {
    QChartView::mouseMoveEvent(event);
    if (control_ != nullptr) {
        control_->MouseMove(ShiftState(event->modifiers(), event->buttons()), event->position());
    }
}

void TKLTChart::mouseReleaseEvent(QMouseEvent* event) {
    QChartView::mouseReleaseEvent(event);
    if (control_ != nullptr) {
        control_->MouseUp(event->button(), ShiftState(event->modifiers(), event->buttons()), event->position());
    }
}

void TKLTChart::resizeEvent(QResizeEvent* event) {
    QChartView::resizeEvent(event);
    if (control_ != nullptr) {
        control_->Resize();
    }
}

} // namespace klt
