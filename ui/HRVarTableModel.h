#pragma once
// The heart-rate-variability table as the window's grid shows it: one row per beat with its time,
// interval, heart rate, change of interval and place.
#include <QAbstractTableModel>

#include "online/HeartRateVariance.h"

namespace klt {

class THRVarTableModel : public QAbstractTableModel {
public:
    THRVarTableModel(const THRDistTable& table, QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // After the table changed: new beats are added as rows, anything else shows the table afresh.
    void Refresh();

private:
    const THRDistTable& table_;
    int shown_ = 0;
};

} // namespace klt
