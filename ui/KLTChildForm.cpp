// Placeholder document window until the real one lands: opens, captions and releases its file.
#include "ui/KLTChildForm.h"

#include <QCloseEvent>

#include "app/KLTIniData.h"
#include "core/KLTFile.h"
#include "core/KLTFileRegistry.h"
#include "ui/DocumentHost.h"

namespace klt {

TKLTChildForm::TKLTChildForm(const std::string& path, IDocumentHost& host, QWidget* parent)
    : QWidget(parent), host_(host) {
    file_ = &KLTFileRegistry().OpenTraining(path, this);
    options_.Assign(host_.Configuration().OptionData);
    setWindowTitle(QString::fromStdString(CaptionText()));
}

TKLTChildForm::~TKLTChildForm() {
    KLTFileRegistry().ReleaseTraining(*file_, this);
}

void TKLTChildForm::SetCurrentMarker(int marker) {
    currentMarker_ = marker;
}

void TKLTChildForm::SetView(TKLTGraphicType view) {
    options_.KLTGraphicType = view;
}

void TKLTChildForm::ApplyOptions(const TOptionData& options, bool) {
    options_.Assign(options);
}

bool TKLTChildForm::Save(bool) {
    return file_->Save();
}

bool TKLTChildForm::CloseQuery() {
    return true;
}

std::string TKLTChildForm::CaptionText() const {
    return file_->MarkerCaption(currentMarker_, 0);
}

bool TKLTChildForm::IsPaintBoxView() const {
    return View() == gtSingleRow || View() == gtMultiRow || View() == gtAnalyse;
}

void TKLTChildForm::PrintTo(QPainter&, const QRect&) {}

int TKLTChildForm::MarkerTabAt(const QPoint&) const {
    return -2;
}

void TKLTChildForm::TrainingChanged(TKLTFile& file, int) {
    // Registering announces a change before OpenTraining has returned the training.
    setWindowTitle(QString::fromStdString(file.MarkerCount() > currentMarker_ ? file.MarkerCaption(currentMarker_, 0) : ""));
}

void TKLTChildForm::CloseView(TKLTFile&) {
    close();
}

void TKLTChildForm::closeEvent(QCloseEvent* event) {
    if (CloseQuery()) {
        event->accept();
    } else {
        event->ignore();
    }
}

} // namespace klt
