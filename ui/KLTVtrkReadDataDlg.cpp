#include "ui/KLTVtrkReadDataDlg.h"

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
      work_(new THeadUnitWork(this)),
      model_(std::move(configuration), readWholeMemory, "Read data from Veltrak %s", "Time remaining: %s",
             work_->WorkPrompt(), std::move(veltrak)),
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

    // The model reports from the download's thread; the window shows a copy on its own.
    model_.OnChanged = [this] { work_->Post([this, view = model_.View()] { ShowView(view); }); };
    model_.OnSelectSections() = [this](std::vector<TSectionChoice>& choices) {
        work_->Invoke([&] {
            TTrainingStatusInformationSelect select(choices, this);
            select.exec();
        });
    };
    ShowView(model_.View());
}

TKLTVtrkReadDataDlg::~TKLTVtrkReadDataDlg() {
    model_.Abort();
    work_->Finish();
}

void TKLTVtrkReadDataDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!activated_) {
        activated_ = true;
        QTimer::singleShot(0, this, &TKLTVtrkReadDataDlg::Download);
    }
}

void TKLTVtrkReadDataDlg::Download() {
    SetTalking(true);
    work_->Run([this] { saveFollows_ = model_.Download(); },
               [this] {
                   SetTalking(false);
                   Downloaded();
               });
}

void TKLTVtrkReadDataDlg::Downloaded() {
    hide();
    if (!saveFollows_) {
        done(QDialog::Rejected);
        return;
    }
    try {
        TKLTVtrkSaveDataDlg save(model_, *work_, knownInitials_, openOptions_, windowTitle(), parentWidget());
        save.exec();
    } catch (const std::exception& error) {
        Prompt().ShowMessage("Warning", error.what());
        done(QDialog::Rejected);
        return;
    }
    done(QDialog::Accepted);
}

void TKLTVtrkReadDataDlg::ShowView(const TReadDataView& view) {
    setWindowTitle(QString::fromStdString(view.caption));
    progress_->setValue(view.progress);
    remaining_->setVisible(view.remainingVisible);
    remaining_->setText(QString::fromStdString(view.remaining));
}

} // namespace klt
