#include "ui/HRVarTableModel.h"

#include "online/HeartRateVarianceFile.h"

namespace klt {
namespace {

enum TColumn { ColumnTime, ColumnHRDist, ColumnHeartrate, ColumnVariance, ColumnIndex, ColumnCount };

constexpr const char* kHeaders[ColumnCount] = {"Time", "HRDist", "Heartrate", "HeartrateVariance", "Index"};

} // namespace

THRVarTableModel::THRVarTableModel(const THRDistTable& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table), shown_(static_cast<int>(table.Count())) {}

int THRVarTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : shown_; }

int THRVarTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant THRVarTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= shown_) {
        return {};
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    const THRDistRecord& record = table_.Records()[static_cast<size_t>(index.row())];
    switch (index.column()) {
    case ColumnTime:
        return QString::fromStdString(HRVarianceTimeText(record.time.time));
    case ColumnHRDist:
        return record.hrDist;
    case ColumnHeartrate:
        return record.heartrate;
    case ColumnVariance:
        return record.heartrateVariance ? QVariant(QString::number(*record.heartrateVariance, 'f', 1)) : QVariant();
    case ColumnIndex:
        return record.index;
    default:
        return {};
    }
}

QVariant THRVarTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) {
        return {};
    }
    return section >= 0 && section < ColumnCount ? QVariant(kHeaders[section]) : QVariant();
}

void THRVarTableModel::Refresh() {
    const int count = static_cast<int>(table_.Count());
    if (count > shown_) {
        beginInsertRows({}, shown_, count - 1);
        shown_ = count;
        endInsertRows();
    } else if (count < shown_) {
        beginResetModel();
        shown_ = count;
        endResetModel();
    }
}

} // namespace klt
