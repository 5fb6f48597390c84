#pragma once
// The chart component of the views that use the charting facility instead of the drawing
// surface: a white chart without legend, with a small font and a whole-number sample axis at the
// bottom, that hands its drawing, mouse and size events to one attached chart control.
#include <QChartView>
#include <QValueAxis>
#include <cstdint>

#include "core/TrainingDataUnit.h"

namespace klt {

class TKLTChart;

// What a chart shows and how it answers input. The base keeps the chart, the sample table and the
// marker range; descendants build their series in Refresh.
class TChartGraphicControl {
public:
    explicit TChartGraphicControl(TKLTChart& chart) : chart_(chart) {}
    virtual ~TChartGraphicControl() = default;
    TChartGraphicControl(const TChartGraphicControl&) = delete;
    TChartGraphicControl& operator=(const TChartGraphicControl&) = delete;

    TKLTChart& Chart() const { return chart_; }
    TTrainingData* Data() const { return data_; }
    int MarkerFirst() const { return markerFirst_; }
    int MarkerLast() const { return markerLast_; }

    // Takes the sample table and rebuilds the series.
    virtual void Initialize(TTrainingData* data);
    // Rebuilds the series from the table.
    virtual void Refresh() {}
    // The samples first..last (counted from 1) of a marker: the bottom axis shows them, counted
    // from 0.
    virtual void SetMarker(int first, int last);
    // After the chart drew itself.
    virtual void Paint(QPainter&) {}
    // Keys and shift bits as the engine counts them (ui/InputMapping.h).
    virtual bool KeyDown(int, uint32_t) { return false; }
    virtual void MouseDown(Qt::MouseButton, uint32_t, QPointF) {}
    virtual void MouseMove(uint32_t, QPointF) {}
    virtual void MouseUp(Qt::MouseButton, uint32_t, QPointF) {}
    virtual void Resize() {}

private:
    TKLTChart& chart_;
    TTrainingData* data_ = nullptr;
    int markerFirst_ = 0;
    int markerLast_ = 0;
};

class TKLTChart : public QChartView {
    Q_OBJECT

public:
    explicit TKLTChart(QWidget* parent = nullptr);

    // The control that draws and answers input (not owned); nullptr detaches it.
    void SetControl(TChartGraphicControl* control) { control_ = control; }
    TChartGraphicControl* Control() const { return control_; }

    QValueAxis* BottomAxis() const { return bottomAxis_; }
    QValueAxis* LeftAxis() const { return leftAxis_; }
    QValueAxis* RightAxis() const { return rightAxis_; }
    // Adds a series on the bottom axis and the left or right value axis.
    void AddSeries(QAbstractSeries* series, bool rightAxis);
    void RemoveAllSeries();
    // Value axes with an automatic range: from 0 up to a little above the largest value.
    static void FitAxis(QValueAxis* axis, double maximum);

    // A round distance (1, 2 or 5 times a power of ten) that divides span into about `marks` parts.
    static double NiceStep(double span, int marks);
    // Whole-number axis from..to with marks at round distances.
    static void SetSampleRange(QValueAxis* axis, double from, double to);
    // Leaves `text` room at the left and right of the plot area.
    void ReserveLabelRoom(const QString& text);

protected:
    void drawForeground(QPainter* painter, const QRectF& rect) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    TChartGraphicControl* control_ = nullptr;
    QValueAxis* bottomAxis_;
    QValueAxis* leftAxis_;
    QValueAxis* rightAxis_;
};

} // namespace klt
