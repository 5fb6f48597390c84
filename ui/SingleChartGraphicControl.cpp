#include "ui/SingleChartGraphicControl.h"

#include <QLineSeries>
#include <QPainter>
#include <algorithm>
#include <limits>

namespace klt {

void TSingleChartGraphicControl::SetScales(const TKLTDiagrammEinzDetailData& detail) {
    power_.Assign(detail.SkalaLeistung);
    heartRate_.Assign(detail.SkalaHerzfrequenz);
    cadence_.Assign(detail.SkalaTretfrequenz);
}

TKLTLineSeries TSingleChartGraphicControl::Describe(const QString& name) const {
    TKLTLineSeries line;
    line.title = name;
    line.color = Qt::darkGray;
    if (name.contains(QLatin1String("Power"))) {
        line = {name, QColor(0x00, 0x80, 0x00), &power_, 8, power_.Visible(), false};
    } else if (name.contains(QLatin1String("Heartrate"))) {
        line = {name, QColor(0xFF, 0x00, 0x00), &heartRate_, 64, heartRate_.Visible(), false};
    } else if (name.contains(QLatin1String("Cadence"))) {
        line = {name, QColor(0x00, 0x00, 0xFF), &cadence_, 32, cadence_.Visible(), false};
    }
    return line;
}

void TSingleChartGraphicControl::Refresh() {
    TKLTChart& chart = Chart();
    chart.RemoveAllSeries();
    lines_.clear();
    series_.clear();
    TTrainingData* data = Data();
    if (data == nullptr) {
        return;
    }
    bool firstVisible = true;
    double rightLow = std::numeric_limits<double>::max();
    double rightHigh = 0;
    for (int row = 0; row < static_cast<int>(rowNames_.size()); ++row) {
        TKLTLineSeries line = Describe(rowNames_[static_cast<size_t>(row)]);
        QLineSeries* series = nullptr;
        if (line.visible) {
            // The first visible line has the left axis to itself; the others share the right one.
            line.rightAxis = !firstVisible;
            const double low = line.skala->Offset() / line.divisor;
            const double high = line.skala->UpperEnd() / line.divisor;
            if (firstVisible) {
                chart.LeftAxis()->setRange(low, high);
            } else {
                rightLow = std::min(rightLow, low);
                rightHigh = std::max(rightHigh, high);
            }
            firstVisible = false;

            series = new QLineSeries();
            series->setName(line.title);
            series->setPen(QPen(line.color, 1));
            QList<QPointF> points;
            points.reserve(data->SampleCount());
            for (int i = 0; i < data->SampleCount(); ++i) {
                points.append(QPointF(i, data->Sample(i).DisplayValue(row, units_)));
            }
            series->replace(points);
            chart.AddSeries(series, line.rightAxis);
        }
        lines_.push_back(line);
        series_.push_back(series);
    }
    chart.RightAxis()->setVisible(rightHigh > 0);
    if (rightHigh > 0) {
        chart.RightAxis()->setRange(rightLow, rightHigh);
    }
    chart.ReserveLabelRoom(QStringLiteral("9999"));
    SetMarker(MarkerFirst(), MarkerLast());
}

void TSingleChartGraphicControl::UpdateSample(int row, int column) {
    if (row < 0 || row >= static_cast<int>(series_.size()) || Data() == nullptr) {
        return;
    }
    QLineSeries* series = series_[static_cast<size_t>(row)];
    if (series != nullptr && column >= 0 && column < series->count()) {
        series->replace(column, QPointF(column, Data()->Sample(column).DisplayValue(row, units_)));
    }
}

void TSingleChartGraphicControl::SetCursor(int column) {
    cursor_ = column;
    Chart().viewport()->update();
}

void TSingleChartGraphicControl::Paint(QPainter& painter) {
    const auto first =
        std::find_if(series_.begin(), series_.end(), [](QLineSeries* s) { return s != nullptr; });
    if (cursor_ < 0 || first == series_.end()) {
        return;
    }
    QChart* chart = Chart().chart();
    const QRectF plot = chart->plotArea();
    const double x = chart->mapToPosition(QPointF(cursor_, 0), *first).x();
    if (x < plot.left() || x > plot.right()) {
        return;
    }
    painter.save();
    painter.setPen(QPen(QColor(0x80, 0x80, 0x80), 1, Qt::DashLine));
    painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
    painter.restore();
}

} // namespace klt
