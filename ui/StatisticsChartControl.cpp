#include "ui/StatisticsChartControl.h"

#include <QLineSeries>
#include <algorithm>
#include <cmath>

namespace klt {
namespace {

QColor SeriesColor(TStatisticQuantity quantity) {
    const uint32_t bgr = StatisticSeriesStyle(quantity).color;
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

QString ColouredTitle(TStatisticQuantity quantity, const char* unit) {
    const QString name = QString::fromStdString(MesswertArt(StatisticSeriesStyle(quantity).kind).Name());
    return QStringLiteral("<span style=\"color:%1\">%2 %3</span>")
        .arg(SeriesColor(quantity).name(), name.toHtmlEscaped(), QString::fromLatin1(unit));
}

} // namespace

TStatisticsChartControl::TStatisticsChartControl(TKLTChart& chart, const TStatisticChartOptionSet& options)
    : TChartGraphicControl(chart), statistics_(options) {
    for (QValueAxis* axis : {chart.LeftAxis(), chart.RightAxis()}) {
        axis->setLabelFormat(QStringLiteral("%.1f%%"));
    }
}

void TStatisticsChartControl::SetOptions(const TStatisticChartOptionSet& options, int speedUnit) {
    statistics_.RefreshOptions(options);
    speedUnit_ = speedUnit;
}

void TStatisticsChartControl::Compute(const TKLTFile& file, int marker) {
    if (marker >= 0 && marker < file.MarkerCount() && file.SampleCount() > 0) {
        statistics_.Compute(file, file.Marker(marker));
    } else {
        statistics_.Compute(file, TKLTMarker());
    }
    Refresh();
}

void TStatisticsChartControl::ApplyAxis(QValueAxis* axis, const TChartAxisOption& option, double maximum) {
    if (option.Enabled && option.Maximum > option.Minimum) {
        const double scale = static_cast<double>(TChartAxisOption::kScale);
        axis->setRange(static_cast<double>(option.Minimum) / scale,
                       static_cast<double>(option.Maximum) / scale);
    } else {
        TKLTChart::FitAxis(axis, maximum);
    }
}

void TStatisticsChartControl::Refresh() {
    TKLTChart& chart = Chart();
    chart.RemoveAllSeries();
    double leftMax = 0;
    double rightMax = 0;
    int lastValue = 0;
    for (int q = 0; q < kStatisticQuantityCount; ++q) {
        const auto quantity = static_cast<TStatisticQuantity>(q);
        const TDistributionSeries& points = statistics_.Series(quantity);
        if (points.empty()) {
            continue;
        }
        const bool right = StatisticSeriesStyle(quantity).rightAxis;
        auto* series = new QLineSeries();
        series->setName(QString::fromStdString(MesswertArt(StatisticSeriesStyle(quantity).kind).Name()));
        series->setPen(QPen(SeriesColor(quantity), 2));
        QList<QPointF> line;
        for (const TDistributionPoint& point : points) {
            if (point.percent) { // values outside the scale's window are left out
                line.append(QPointF(point.value, *point.percent));
                (right ? rightMax : leftMax) = std::max(right ? rightMax : leftMax, *point.percent);
                lastValue = std::max(lastValue, point.value);
            }
        }
        series->replace(line);
        chart.AddSeries(series, right);
    }
    const TStatisticChartOptionSet& options = statistics_.Options();
    ApplyAxis(chart.LeftAxis(), options.LeftAxis, leftMax);
    ApplyAxis(chart.RightAxis(), options.RightAxis, rightMax);
    const double last = std::max(lastValue, 1);
    const double step = TKLTChart::NiceStep(last, 8);
    TKLTChart::SetSampleRange(chart.BottomAxis(), 0, std::ceil(last / step) * step); // ends on a mark
    WriteAxisTitles();
}

void TStatisticsChartControl::WriteAxisTitles() {
    static constexpr const char* kSpeedUnits[] = {"(km/h)", "(m/s)", "(mph)"};
    const char* speedUnit = kSpeedUnits[std::clamp(speedUnit_, 0, 2)];
    Chart().LeftAxis()->setTitleText(ColouredTitle(TStatisticQuantity::Power, "(Watt)"));
    Chart().RightAxis()->setTitleText(
        ColouredTitle(TStatisticQuantity::HeartRate, "(1/min)") + QStringLiteral(" ") +
        ColouredTitle(TStatisticQuantity::Cadence, "(R/min)") + QStringLiteral(" ") +
        ColouredTitle(TStatisticQuantity::Speed, speedUnit));
}

} // namespace klt
