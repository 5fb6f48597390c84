#pragma once
// The data editor's chart: one line per channel of the sample table, power, heart rate and
// cadence in their colours and on the scales of the detail diagram, and a cursor at the sample
// being edited.
#include <vector>

#include "analysis/Diagramm.h"
#include "core/MesswertSkala.h"
#include "ui/KLTChart.h"

class QLineSeries;

namespace klt {

// How one row of the table is drawn.
struct TKLTLineSeries {
    QString title;
    QColor color;
    const TMesswertSkala* skala = nullptr; // none: not drawn
    double divisor = 1;                    // raw scale units per shown unit
    bool visible = false;
    bool rightAxis = false;
};

class TSingleChartGraphicControl : public TChartGraphicControl {
public:
    using TChartGraphicControl::TChartGraphicControl;

    // The power, heart-rate and cadence scales to draw with.
    void SetScales(const TKLTDiagrammEinzDetailData& detail);
    void SetUnits(const TDataUnits& units) { units_ = units; }
    // The sample marked by the cursor (counted from 0), or -1.
    void SetCursor(int column);
    // Row names of the table, in order.
    void SetRowNames(std::vector<QString> names) { rowNames_ = std::move(names); }
    // Moves one sample's point of a row after an edit.
    void UpdateSample(int row, int column);

    void Refresh() override;
    void Paint(QPainter& painter) override;

    const std::vector<TKLTLineSeries>& Lines() const { return lines_; }

private:
    TKLTLineSeries Describe(const QString& name) const;

    TMesswertSkala power_{mwaLeistung};
    TMesswertSkala heartRate_{mwaHerzfrequenz};
    TMesswertSkala cadence_{mwaTretfrequenz};
    TDataUnits units_;
    std::vector<QString> rowNames_;
    std::vector<TKLTLineSeries> lines_;
    std::vector<QLineSeries*> series_; // by row; nullptr for rows not drawn
    int cursor_ = -1;
};

} // namespace klt
