#include "ui/DataEditFrame.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

namespace klt {

int TDataEditTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : model_.RowCount();
}

int TDataEditTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : model_.ColumnCount();
}

QVariant TDataEditTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return QString::fromStdString(model_.CellText(index.row(), index.column()));
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    }
    return {};
}

QVariant TDataEditTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) {
        return {};
    }
    if (orientation == Qt::Vertical) {
        return QString::fromStdString(TDataEditModel::RowName(section));
    }
    return section + 1; // samples count from 1
}

TDataEditFrame::TDataEditFrame(TDataEditModel& model, QWidget* parent)
    : QWidget(parent), model_(model), tableModel_(new TDataEditTableModel(model, this)),
      chart_(new TKLTChart(this)), control_(std::make_unique<TSingleChartGraphicControl>(*chart_)),
      grid_(new QTableView(this)), scrollBar_(new QScrollBar(Qt::Horizontal, this)) {
    chart_->SetControl(control_.get());

    grid_->setModel(tableModel_);
    grid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid_->setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers); // typing goes through the model's rules
    grid_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid_->setWordWrap(false);
    const QFontMetrics metrics(grid_->font());
    const int rowHeight = metrics.height() + 6; // fits "Power"
    grid_->horizontalHeader()->setDefaultSectionSize(metrics.horizontalAdvance(QStringLiteral("999,99")) +
                                                     12);
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->verticalHeader()->setDefaultSectionSize(rowHeight);
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    QFont titleFont = grid_->verticalHeader()->font();
    titleFont.setBold(true); // the title of the current row is bold
    grid_->verticalHeader()->setFixedWidth(
        QFontMetrics(titleFont).horizontalAdvance(QStringLiteral("Temperatur")) + 16);
    grid_->setFixedHeight(grid_->horizontalHeader()->sizeHint().height() + TData::kChannelCount * rowHeight +
                          2 * grid_->frameWidth());
    grid_->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(chart_, 1);
    layout->addWidget(grid_);
    layout->addWidget(scrollBar_);

    connect(scrollBar_, &QScrollBar::valueChanged, this, &TDataEditFrame::ScrollTo);
    connect(grid_->horizontalScrollBar(), &QScrollBar::valueChanged, this,
            [this](int column) { scrollBar_->setValue(column + 1); });
    connect(grid_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                model_.EndTyping();
                control_->SetCursor(current.isValid() ? current.column() : -1);
            });
    for (QWidget* widget : {static_cast<QWidget*>(grid_), static_cast<QWidget*>(chart_)}) {
        widget->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(widget, &QWidget::customContextMenuRequested, this,
                [this, widget](const QPoint& pos) { emit ContextMenuRequested(widget->mapToGlobal(pos)); });
    }
}

TDataEditFrame::~TDataEditFrame() {
    chart_->SetControl(nullptr);
}

void TDataEditFrame::Refresh(const TKLTDiagrammEinzDetailData& scales, int first, int last) {
    model_.EndTyping();
    tableModel_->Reset();
    const int count = model_.ColumnCount();
    first_ = std::clamp(first, 1, std::max(count, 1));
    last_ = std::clamp(last, first_, std::max(count, 1));

    std::vector<QString> names;
    for (int row = 0; row < model_.RowCount(); ++row) {
        names.push_back(QString::fromStdString(TDataEditModel::RowName(row)));
    }
    control_->SetRowNames(std::move(names));
    control_->SetScales(scales);
    control_->SetUnits(model_.Units());
    control_->SetMarker(first_, last_);
    control_->Initialize(&model_.Data());

    scrollBar_->setRange(1, count > 0 ? count : 1000);
    if (count > 0) {
        MoveTo(0, first_ - 1);
        grid_->horizontalScrollBar()->setValue(first_ - 1); // the marker starts at the left edge
    }
}

void TDataEditFrame::ScrollTo(int value) {
    grid_->horizontalScrollBar()->setValue(value - 1);
}

void TDataEditFrame::MoveTo(int row, int column) {
    row = std::clamp(row, 0, std::max(model_.RowCount() - 1, 0));
    column = std::clamp(column, first_ - 1, last_ - 1);
    const QModelIndex index = tableModel_->index(row, column);
    grid_->setCurrentIndex(index);
    grid_->scrollTo(index);
}

std::vector<int> TDataEditFrame::SelectedColumns(int row) const {
    std::vector<int> columns;
    for (const QModelIndex& index : grid_->selectionModel()->selectedIndexes()) {
        if (index.row() == row) {
            columns.push_back(index.column());
        }
    }
    if (columns.empty() && grid_->currentIndex().isValid()) {
        columns.push_back(grid_->currentIndex().column());
    }
    std::sort(columns.begin(), columns.end());
    return columns;
}

void TDataEditFrame::Edited(int row, const std::vector<int>& columns) {
    if (columns.empty()) {
        return;
    }
    tableModel_->CellsChanged(row, columns.front(), columns.back());
    for (int column : columns) {
        control_->UpdateSample(row, column);
    }
}

bool TDataEditFrame::HandleKey(QKeyEvent* event) {
    const QModelIndex current = grid_->currentIndex();
    const int row = current.isValid() ? current.row() : 0;
    const int column = current.isValid() ? current.column() : first_ - 1;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return true; // nothing to confirm: accepted values are stored as they are typed
    case Qt::Key_Left:
        MoveTo(row, column - 1);
        return true;
    case Qt::Key_Right:
        MoveTo(row, column + 1);
        return true;
    case Qt::Key_Up:
        MoveTo(row - 1, column);
        return true;
    case Qt::Key_Down:
        MoveTo(row + 1, column);
        return true;
    case Qt::Key_Backspace: {
        const std::vector<int> columns = SelectedColumns(row);
        if (model_.Backspace(row, columns)) {
            Edited(row, columns);
        }
        return true;
    }
    default:
        break;
    }
    const QString text = event->text();
    if (text.size() != 1 || !text.at(0).isPrint() || text.at(0).unicode() > 0x7F ||
        (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) != 0) {
        return false;
    }
    // Digits of the numeric keypad arrive as their characters.
    const std::vector<int> columns = SelectedColumns(row);
    if (model_.TypeCharacter(row, columns, text.at(0).toLatin1())) {
        Edited(row, columns);
    }
    return true;
}

bool TDataEditFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grid_ && event->type() == QEvent::KeyPress) {
        return HandleKey(static_cast<QKeyEvent*>(event));
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace klt
