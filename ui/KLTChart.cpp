#include "ui/KLTChart.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QtMath>
#include <cmath>

#include "ui/InputMapping.h"

namespace klt {

void TChartGraphicControl::Initialize(TTrainingData* data) {
    data_ = data;
    Refresh();
}

void TChartGraphicControl::SetMarker(int first, int last) {
    markerFirst_ = first;
    markerLast_ = last;
    TKLTChart::SetSampleRange(chart_.BottomAxis(), std::max(first - 1, 0), std::max(last - 1, first));
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
    leftAxis_ = new QValueAxis(c);
    rightAxis_ = new QValueAxis(c);
    for (QValueAxis* axis : {bottomAxis_, leftAxis_, rightAxis_}) {
        axis->setLabelFormat(QStringLiteral("%.0f")); // whole numbers unless a view wants more
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
    const double top = maximum > 0 && std::isfinite(maximum) ? maximum * 1.05 : 1; // a little headroom
    const double step = NiceStep(top, 5);
    axis->setRange(0, std::ceil(top / step) * step);
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0);
    axis->setTickInterval(step);
}

double TKLTChart::NiceStep(double span, int marks) {
    if (!(span > 0) || !std::isfinite(span)) {
        return 1;
    }
    const double rough = span / std::max(marks, 1);
    const double magnitude = std::pow(10.0, std::floor(std::log10(rough)));
    for (double factor : {1.0, 2.0, 5.0}) {
        if (factor * magnitude >= rough) {
            return factor * magnitude;
        }
    }
    return 10 * magnitude;
}

void TKLTChart::SetSampleRange(QValueAxis* axis, double from, double to) {
    axis->setRange(from, to);
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0);
    axis->setTickInterval(std::max(NiceStep(to - from, 8), 1.0));
}

void TKLTChart::ReserveLabelRoom(const QString& text) {
    const int width = QFontMetrics(font()).horizontalAdvance(text);
    chart()->setMargins(QMargins(width / 2, 4, width / 2, 0));
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
        control_->MouseDown(event->button(), ShiftState(event->modifiers(), event->buttons()),
                            event->position());
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
        control_->MouseUp(event->button(), ShiftState(event->modifiers(), event->buttons()),
                          event->position());
    }
}

void TKLTChart::keyPressEvent(QKeyEvent* event) {
    const int key = VirtualKey(event->key());
    if (control_ == nullptr || key == 0 ||
        !control_->KeyDown(key, ShiftState(event->modifiers(), Qt::NoButton))) {
        QChartView::keyPressEvent(event);
    }
}

void TKLTChart::resizeEvent(QResizeEvent* event) {
    QChartView::resizeEvent(event);
    if (control_ != nullptr) {
        control_->Resize();
    }
}

} // namespace klt
