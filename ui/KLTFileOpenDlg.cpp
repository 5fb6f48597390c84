#include "ui/KLTFileOpenDlg.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/Exceptions.h"
#include "core/KLTDate.h"
#include "core/Prompt.h"
#include "ui/DateFilterEdit.h"
#include "ui/Dialogs.h"
#include "ui/MesswertDisplay.h"

namespace klt {
namespace {

QDate ShownDate(uint16_t days) {
    return days == kNoDate ? QDate() : DateOfDays(days);
}

uint16_t DaysShown(const QDate& date) {
    return date.isValid() ? DaysOfDate(date) : kNoDate;
}

} // namespace

TKLTFileOpenDlg::TKLTFileOpenDlg(TKLTIniData& configuration, TOpen open, QWidget* parent)
    : QDialog(parent), controller_(configuration), openTraining_(std::move(open)) {
    setWindowTitle(tr("Open training from the database"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(CreateFilter());

    grid_ = new QTableWidget(this);
    SetUpGrid();
    layout->addWidget(grid_, 1);
    count_ = new QLabel(this);
    layout->addWidget(count_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    open_ = buttons->addButton(tr("&Open"), QDialogButtonBox::ActionRole);
    delete_ = buttons->addButton(tr("&Delete"), QDialogButtonBox::ActionRole);
    properties_ = buttons->addButton(tr("P&roperties..."), QDialogButtonBox::ActionRole);
    open_->setToolTip(tr("Open the selected training and keep this list"));
    delete_->setToolTip(tr("Delete the selected training from the database"));
    properties_->setToolTip(
        tr("Date, start time, comment, initials and calibration of the selected training"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &TKLTFileOpenDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TKLTFileOpenDlg::reject);
    connect(open_, &QPushButton::clicked, this, &TKLTFileOpenDlg::OpenSelected);
    connect(delete_, &QPushButton::clicked, this, &TKLTFileOpenDlg::DeleteSelected);
    connect(properties_, &QPushButton::clicked, this, &TKLTFileOpenDlg::ShowProperties);

    ShowDates();
    ShowRows();
    resize(960, 520);
}

QWidget* TKLTFileOpenDlg::CreateFilter() {
    auto* filter = new QWidget(this);
    auto* row = new QHBoxLayout(filter);
    row->setContentsMargins(0, 0, 0, 0);

    initials_ = new QComboBox(filter);
    initials_->setEditable(true);
    initials_->setInsertPolicy(QComboBox::NoInsert);
    initials_->setMinimumContentsLength(16);
    for (const std::string& known : controller_.KnownInitials()) {
        initials_->addItem(ToQString(known));
    }
    initials_->setEditText(ToQString(controller_.Initials()));
    initials_->setToolTip(tr("Initials of the athletes to list; several patterns separated by \";\", "
                             "\"*\" and \"?\" as wildcards; empty lists everyone"));
    auto* initialsLabel = new QLabel(tr("&Initials:"), filter);
    initialsLabel->setBuddy(initials_);

    from_ = new TDateFilterEdit(filter);
    to_ = new TDateFilterEdit(filter);
    auto* fromLabel = new QLabel(tr("&From:"), filter);
    fromLabel->setBuddy(from_);
    auto* toLabel = new QLabel(tr("&To:"), filter);
    toLabel->setBuddy(to_);
    auto* fromAll = new QPushButton(tr("All"), filter);
    auto* toAll = new QPushButton(tr("All"), filter);
    for (QPushButton* all : {fromAll, toAll}) {
        all->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
        all->setMaximumWidth(all->fontMetrics().horizontalAdvance(all->text()) * 3);
    }
    fromAll->setToolTip(tr("List trainings of any date before the end date"));
    toAll->setToolTip(tr("List trainings of any date after the start date"));

    row->addWidget(initialsLabel);
    row->addWidget(initials_, 1);
    row->addSpacing(12);
    row->addWidget(fromLabel);
    row->addWidget(from_);
    row->addWidget(fromAll);
    row->addSpacing(12);
    row->addWidget(toLabel);
    row->addWidget(to_);
    row->addWidget(toAll);

    connect(initials_, &QComboBox::editTextChanged, this,
            [this](const QString& text) { Refresh([&] { controller_.SetInitials(text.toStdString()); }); });
    connect(from_, &TDateFilterEdit::DateChanged, this,
            [this](const QDate& date) { Refresh([&] { controller_.SetFromDate(DaysShown(date)); }); });
    connect(to_, &TDateFilterEdit::DateChanged, this,
            [this](const QDate& date) { Refresh([&] { controller_.SetToDate(DaysShown(date)); }); });
    connect(fromAll, &QPushButton::clicked, from_, &TDateFilterEdit::Clear);
    connect(toAll, &QPushButton::clicked, to_, &TDateFilterEdit::Clear);
    return filter;
}

void TKLTFileOpenDlg::SetUpGrid() {
    grid_->setColumnCount(TKLTFileOpenController::kColumnCount);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setWordWrap(false);
    grid_->verticalHeader()->hide();
    grid_->horizontalHeader()->setSectionsMovable(true);
    grid_->horizontalHeader()->setHighlightSections(false);
    const QFontMetrics metrics(grid_->font());
    grid_->verticalHeader()->setDefaultSectionSize(metrics.height() + 2);
    const int zero = metrics.horizontalAdvance(QLatin1Char('0'));
    for (int column = 0; column < TKLTFileOpenController::kColumnCount; ++column) {
        auto* title = new QTableWidgetItem(ToQString(TKLTFileOpenController::ColumnTitle(column)));
        const TMesswertArtType kind = TKLTFileOpenController::ColumnKind(column);
        if (kind != mwaNone) {
            title->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            title->setToolTip(ToQString(MesswertArt(kind).Name()));
        }
        grid_->setHorizontalHeaderItem(column, title);
        grid_->setColumnWidth(column, TKLTFileOpenController::ColumnWidthChars(column) * zero + 2 * zero);
    }
    connect(grid_, &QTableWidget::currentCellChanged, this, [this](int row) {
        if (!showing_) {
            controller_.Select(row);
        }
    });
    connect(grid_, &QTableWidget::cellDoubleClicked, this, [this] { OpenSelected(); });
}

void TKLTFileOpenDlg::Refresh(const std::function<void()>& change) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    change();
    QApplication::restoreOverrideCursor();
    ShowRows();
}

void TKLTFileOpenDlg::ShowDates() {
    from_->SetDate(ShownDate(controller_.FromDate()));
    to_->SetDate(ShownDate(controller_.ToDate()));
}

void TKLTFileOpenDlg::ShowRows() {
    showing_ = true;
    const auto& rows = controller_.Rows();
    grid_->setRowCount(static_cast<int>(rows.size()));
    for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
        for (int column = 0; column < TKLTFileOpenController::kColumnCount; ++column) {
            auto* item = new QTableWidgetItem(
                ToQString(rows[static_cast<size_t>(row)].cells[static_cast<size_t>(column)]));
            const TMesswertArtType kind = TKLTFileOpenController::ColumnKind(column);
            if (kind != mwaNone) {
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                if (const QColor colour = MesswertColour(kind); colour.isValid()) {
                    item->setForeground(colour);
                }
            }
            grid_->setItem(row, column, item);
        }
        grid_->item(row, 0)->setToolTip(ToQString(rows[static_cast<size_t>(row)].path));
    }
    const bool any = controller_.HasRows();
    grid_->setVisible(any);
    for (QPushButton* button : {open_, delete_, properties_, ok_}) {
        button->setEnabled(any);
    }
    if (any) {
        grid_->setCurrentCell(controller_.Selected(), 0);
        grid_->scrollToItem(grid_->item(controller_.Selected(), 0));
    } else {
        initials_->setFocus();
    }
    count_->setText(rows.size() == 1 ? tr("1 training") : tr("%1 trainings").arg(rows.size()));
    showing_ = false;
}

void TKLTFileOpenDlg::OpenSelected() {
    const std::string path = controller_.SelectedPath();
    if (path.empty()) {
        return;
    }
    try {
        openTraining_(path);
    } catch (const std::exception& error) {
        Prompt().ShowMessage("Warning", "'" + path + "' " + error.what());
    }
}

void TKLTFileOpenDlg::accept() {
    if (!controller_.HasRows()) {
        return;
    }
    OpenSelected();
    QDialog::accept();
}

void TKLTFileOpenDlg::DeleteSelected() {
    Refresh([this] { controller_.DeleteSelected(); });
}

void TKLTFileOpenDlg::ShowProperties() {
    controller_.ChangeSelected([this](TKLTFile& file) { return ExecuteFilePropertyDialog(this, file); });
    ShowRows();
}

void ExecuteFileOpenDialog(QWidget* parent, TKLTIniData& configuration,
                           const std::function<void(const std::string& path)>& open) {
    TKLTFileOpenDlg dialog(configuration, open, parent);
    dialog.exec();
}

} // namespace klt
