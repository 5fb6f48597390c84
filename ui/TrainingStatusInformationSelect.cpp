#include "ui/TrainingStatusInformationSelect.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace klt {

TTrainingStatusInformationSelect::TTrainingStatusInformationSelect(std::vector<TSectionChoice>& choices,
                                                                   QWidget* parent)
    : QDialog(parent), model_(choices) {
    setObjectName("TrainingStatusInformationSelect");
    setWindowTitle(QString::fromUtf8(kSectionSelectCaption.data(), static_cast<int>(kSectionSelectCaption.size())));
    auto* layout = new QVBoxLayout(this);
    list_ = new QTreeWidget(this);
    list_->setObjectName("SectionList");
    list_->setRootIsDecorated(false);
    list_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    QStringList header;
    header << QString::fromUtf8(TTrainingStatusInformationSelectModel::kUncheckAllSection.data(), 1) << "Training";
    list_->setHeaderLabels(header);
    list_->header()->setSectionsClickable(true);
    for (size_t i = 0; i < model_.Count(); ++i) {
        auto* item = new QTreeWidgetItem(list_);
        item->setText(1, QString::fromStdString(model_.Line(i)));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    }
    layout->addWidget(list_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TTrainingStatusInformationSelect::reject);
    connect(list_->header(), &QHeaderView::sectionClicked, this, [this](int section) {
        if (section == 0) {
            model_.HeaderClicked(TTrainingStatusInformationSelectModel::kUncheckAllSection);
            ShowChecks();
        }
    });
    connect(list_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
        if (column == 0) {
            model_.SetChecked(static_cast<size_t>(list_->indexOfTopLevelItem(item)),
                              item->checkState(0) == Qt::Checked);
        }
    });
    ShowChecks();
    resize(900, 400);
}

void TTrainingStatusInformationSelect::ShowChecks() {
    for (size_t i = 0; i < model_.Count(); ++i) {
        list_->topLevelItem(static_cast<int>(i))->setCheckState(0, model_.Checked(i) ? Qt::Checked : Qt::Unchecked);
    }
}

void TTrainingStatusInformationSelect::reject() {
    model_.Cancel();
    QDialog::reject();
}

} // namespace klt
