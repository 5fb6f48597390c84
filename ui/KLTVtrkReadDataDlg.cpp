#include "ui/KLTVtrkReadDataDlg.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "core/Prompt.h"
#include "ui/KLTVtrkSaveDataDlg.h"
#include "ui/TrainingStatusInformationSelect.h"

namespace klt {

TKLTVtrkReadDataDlg::TKLTVtrkReadDataDlg(TDownloadConfiguration configuration, bool readWholeMemory,
                                         std::vector<std::string> knownInitials, TOpenDownloadOptions openOptions,
                                         std::unique_ptr<TVeltrak> veltrak, QWidget* parent)
    : THeadUnitDialog(parent),
      model_(std::move(configuration), readWholeMemory, "Read data from Veltrak %s", "Time remaining: %s",
             std::move(veltrak)),
      knownInitials_(std::move(knownInitials)),
      openOptions_(std::move(openOptions)) {
    setObjectName("KLTVtrkReadDataDlg");
    auto* layout = new QVBoxLayout(this);
    progress_ = new QProgressBar(this);
    progress_->setObjectName("ProgressBar");
    progress_->setRange(0, 100);
    layout->addWidget(progress_);
    remaining_ = new QLabel(this);
    remaining_->setObjectName("RemainingLabel");
    layout->addWidget(remaining_);
    abort_ = new QPushButton("&Abort", this);
    abort_->setObjectName("AbortButton");
    layout->addWidget(abort_, 0, Qt::AlignHCenter);
    connect(abort_, &QPushButton::clicked, this, [this] { model_.Abort(); });
    setMinimumWidth(360);

    model_.OnChanged = [this] { ShowModel(); };
    model_.SetEventPump([] { QCoreApplication::processEvents(); });
    model_.OnSelectSections = [this](std::vector<TSectionChoice>& choices) {
        TTrainingStatusInformationSelect select(choices, this);
        select.exec();
    };
    ShowModel();
}

void TKLTVtrkReadDataDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!activated_) {
        activated_ = true;
        QTimer::singleShot(0, this, &TKLTVtrkReadDataDlg::Download);
    }
}

void TKLTVtrkReadDataDlg::Download() {
    const bool saveFollows = Talking([this] { return model_.Download(); });
    hide();
    if (!saveFollows) {
        done(QDialog::Rejected);
        return;
    }
    try {
        TKLTVtrkSaveDataDlg save(model_, knownInitials_, openOptions_, windowTitle(), parentWidget());
        save.exec();
    } catch (const std::exception& error) {
        Prompt().ShowMessage("Warning", error.what());
        done(QDialog::Rejected);
        return;
    }
    done(QDialog::Accepted);
}

void TKLTVtrkReadDataDlg::ShowModel() {
    setWindowTitle(QString::fromStdString(model_.Caption()));
    progress_->setValue(model_.Progress());
    remaining_->setVisible(model_.RemainingTimeVisible());
    remaining_->setText(QString::fromStdString(model_.RemainingTime()));
}

} // namespace klt
