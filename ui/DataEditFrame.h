#pragma once
// The data editor: a grid with one row per channel and one column per sample, the same samples
// as a chart above it and a scroll bar over the samples.
#include <QAbstractTableModel>
#include <QWidget>
#include <memory>

#include "app/DataEditModel.h"
#include "ui/SingleChartGraphicControl.h"

class QScrollBar;
class QTableView;

namespace klt {

// The grid's view of the data editor model.
class TDataEditTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit TDataEditTableModel(TDataEditModel& model, QObject* parent = nullptr)
        : QAbstractTableModel(parent), model_(model) {}

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The table behind the model was replaced or reloaded.
    void Reset() {
        beginResetModel();
        endResetModel();
    }
    void CellsChanged(int row, int firstColumn, int lastColumn) {
        emit dataChanged(index(row, firstColumn), index(row, lastColumn));
    }

private:
    TDataEditModel& model_;
};

class TDataEditFrame : public QWidget {
    Q_OBJECT

public:
    TDataEditFrame(TDataEditModel& model, QWidget* parent = nullptr);
    ~TDataEditFrame() override;

    // Shows the table afresh with the scales of the detail diagram, within the marker's samples
    // first..last (counted from 1).
    void Refresh(const TKLTDiagrammEinzDetailData& scales, int first, int last);
    // A key for the editor: typing, Backspace and the arrow keys; whether it was used.
    bool HandleKey(QKeyEvent* event);

    QTableView* Grid() const { return grid_; }
    TKLTChart* Chart() const { return chart_; }
    QScrollBar* ScrollBar() const { return scrollBar_; }

signals:
    void ContextMenuRequested(const QPoint& globalPos);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void MoveTo(int row, int column);
    std::vector<int> SelectedColumns(int row) const;
    void Edited(int row, const std::vector<int>& columns);
    void ScrollTo(int value);

    TDataEditModel& model_;
    TDataEditTableModel* tableModel_;
    TKLTChart* chart_;
    std::unique_ptr<TSingleChartGraphicControl> control_;
    QTableView* grid_;
    QScrollBar* scrollBar_;
    int first_ = 1;
    int last_ = 1;
};

} // namespace klt
