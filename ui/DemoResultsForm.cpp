#include "ui/DemoResultsForm.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QShortcut>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/Prompt.h"
#include "ui/DemoResultsPrint.h"

namespace klt {
namespace {

// The podium's rows stand out.
QColor PositionShade(const std::string& position) {
    if (position == "1") {
        return QColor(255, 226, 128);
    }
    if (position == "2") {
        return QColor(220, 224, 230);
    }
    if (position == "3") {
        return QColor(236, 196, 160);
    }
    return QColor();
}

QStringList ToQStrings(const std::vector<std::string>& texts) {
    QStringList list;
    for (const std::string& text : texts) {
        list << QString::fromStdString(text);
    }
    return list;
}

QLabel* Buddy(const QString& text, QWidget* field) {
    auto* label = new QLabel(text);
    label->setBuddy(field);
    return label;
}

} // namespace

TDemoResultsForm::TDemoResultsForm(TOnlineOptions& options, int categorie, QWidget* parent)
    : QDialog(parent), view_(options, categorie) {
    setWindowTitle("Demo Results");
    resize(900, 640);
    QFont readable = font(); // read from a few steps away
    readable.setPointSizeF(readable.pointSizeF() * 1.25);
    setFont(readable);

    categorie_ = new QComboBox;
    categorie_->addItems(ToQStrings(view_.CategorieNames()));
    categorie_->setCurrentIndex(view_.Categorie());
    sort_ = new QComboBox;
    sort_->addItems(ToQStrings(TDemoResultsView::SortNames()));
    sort_->setCurrentIndex(static_cast<int>(view_.SortKind()));

    auto* choices = new QHBoxLayout;
    choices->addWidget(Buddy("Cate&gorie:", categorie_));
    choices->addWidget(categorie_, 2);
    choices->addSpacing(24);
    choices->addWidget(Buddy("&Sort By:", sort_));
    choices->addWidget(sort_, 1);

    grid_ = new QTableWidget;
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->verticalHeader()->hide();
    grid_->setAlternatingRowColors(true);
    QFont tableFont = font();
    tableFont.setPointSizeF(tableFont.pointSizeF() * 1.3);
    grid_->setFont(tableFont);
    tableFont.setBold(true);
    grid_->horizontalHeader()->setFont(tableFont);
    grid_->verticalHeader()->setDefaultSectionSize(QFontMetrics(grid_->font()).height() * 3 / 2);

    clearCategorie_ = new QPushButton("C&lear Categorie");
    clearAll_ = new QPushButton("Clear &All");
    print_ = new QPushButton("&Print");
    print_->setToolTip("Print the ranking (Ctrl+P)");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    buttons->addButton(clearCategorie_, QDialogButtonBox::ActionRole);
    buttons->addButton(clearAll_, QDialogButtonBox::ActionRole);
    buttons->addButton(print_, QDialogButtonBox::ActionRole);
    for (QPushButton* button : {clearCategorie_, clearAll_, print_}) {
        button->setAutoDefault(false);
    }

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addWidget(grid_, 1);
    layout->addWidget(buttons);
    setTabOrder(categorie_, sort_);
    setTabOrder(sort_, grid_);

    connect(categorie_, &QComboBox::currentIndexChanged, this, [this](int index) {
        view_.SelectCategorie(index);
        ShowRows();
    });
    connect(sort_, &QComboBox::currentIndexChanged, this, [this](int index) {
        view_.SetSortKind(static_cast<TDemoSortKind>(index));
        ShowRows();
    });
    connect(clearCategorie_, &QPushButton::clicked, this, &TDemoResultsForm::ClearCategorie);
    connect(clearAll_, &QPushButton::clicked, this, &TDemoResultsForm::ClearAll);
    connect(print_, &QPushButton::clicked, this, &TDemoResultsForm::Print);
    connect(new QShortcut(QKeySequence::Print, this), &QShortcut::activated, this, &TDemoResultsForm::Print);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    ShowRows();
    categorie_->setFocus();
}

void TDemoResultsForm::ShowRows() {
    const std::vector<std::string> columns = view_.Columns();
    const std::vector<std::vector<std::string>> rows = view_.Rows();
    grid_->clear();
    grid_->setColumnCount(static_cast<int>(columns.size()));
    grid_->setHorizontalHeaderLabels(ToQStrings(columns));
    grid_->setRowCount(static_cast<int>(rows.size()));
    for (size_t row = 0; row < rows.size(); ++row) {
        const QColor shade = PositionShade(rows[row].front());
        for (size_t column = 0; column < rows[row].size(); ++column) {
            auto* item = new QTableWidgetItem(QString::fromStdString(rows[row][column]));
            item->setTextAlignment(view_.NumberColumn(column) ? Qt::AlignRight | Qt::AlignVCenter
                                                              : Qt::AlignLeft | Qt::AlignVCenter);
            if (shade.isValid()) {
                item->setBackground(shade);
            }
            grid_->setItem(static_cast<int>(row), static_cast<int>(column), item);
        }
    }
    QHeaderView& header = *grid_->horizontalHeader();
    for (int column = 0; column < grid_->columnCount(); ++column) {
        header.setSectionResizeMode(column, view_.NumberColumn(static_cast<size_t>(column))
                                                ? QHeaderView::ResizeToContents
                                                : QHeaderView::Stretch);
    }
    const bool any = view_.Categorie() >= 0;
    clearCategorie_->setEnabled(any && !rows.empty());
    clearAll_->setEnabled(any);
    print_->setEnabled(any);
}

void TDemoResultsForm::ClearCategorie() {
    view_.ClearCategorie();
    ShowRows();
}

void TDemoResultsForm::ClearAll() {
    view_.ClearAll();
    ShowRows();
}

void TDemoResultsForm::Print() {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted) {
        PrintTo(printer);
    }
}

bool TDemoResultsForm::PrintTo(QPagedPaintDevice& device) {
    if (!PrintDemoResults(device, view_)) {
        Prompt().ShowMessage("Attention", "The ranking could not be printed");
        return false;
    }
    return true;
}

} // namespace klt
