#pragma once
// The settings of one time-series diagram: smoothing, rows, marker bars and values, and the
// window of each of its six curves.
#include <QWidget>

class QCheckBox;
class QComboBox;
class QSpinBox;

namespace klt {

class TKLTDiagrammMehrZData;
class TPRGroupboxMesswertSkala;

class TDiagramOptionsPage : public QWidget {
    Q_OBJECT

public:
    // Edits `diagram` directly (not owned); `withRows` offers the number of rows.
    TDiagramOptionsPage(TKLTDiagrammMehrZData& diagram, bool withRows, QWidget* parent = nullptr);

    QComboBox& SmoothingBox() const { return *smoothing_; }
    QSpinBox* RowsEdit() const { return rows_; }
    QCheckBox& MarkerBox() const { return *marker_; }
    QComboBox& MarkerInfoBox() const { return *markerInfo_; }

private:
    TKLTDiagrammMehrZData& data_;
    QComboBox* smoothing_;
    QSpinBox* rows_ = nullptr;
    QCheckBox* marker_;
    QComboBox* markerInfo_;
};

} // namespace klt
