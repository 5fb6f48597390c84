#include "ui/OnlineOptionsDlg.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "ui/ErgoProgramPage.h"
#include "ui/OnlineOptionPages.h"

namespace klt {

TOnlineOptionsDlg::TOnlineOptionsDlg(TOnlineOptions& live, const std::string& databaseDir, QWidget* parent)
    : QDialog(parent), editor_(live, databaseDir), pages_(new QTabWidget(this)),
      programPage_(new TErgoProgramPage(editor_, pages_)) {
    setWindowTitle(tr("Options"));
    auto* layout = new QVBoxLayout(this);
    const TOptionsChanged changed = [this] { Changed(); };
    pages_->addTab(CreateCommonOptionsPage(editor_, changed, pages_), tr("Common"));
    pages_->addTab(CreateChartOptionsPage(editor_, changed, pages_), tr("Chart"));
    pages_->addTab(CreateErgometerModePage(editor_, changed, pages_), tr("Ergometer Mode"));
    pages_->addTab(programPage_, tr("Predefined File"));
    pages_->addTab(CreateDemoOptionsPage(editor_, changed, pages_), tr("Demo Mode"));
    connect(programPage_, &TErgoProgramPage::Changed, this, &TOnlineOptionsDlg::Changed);
    layout->addWidget(pages_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply,
                                         this);
    apply_ = buttons->button(QDialogButtonBox::Apply);
    apply_->setText(tr("&Apply"));
    // No mnemonic: every letter of it is taken on some page, and it undoes all settings.
    reset_ = buttons->addButton(tr("RESET Software"), QDialogButtonBox::ResetRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &TOnlineOptionsDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TOnlineOptionsDlg::reject);
    connect(apply_, &QPushButton::clicked, this, &TOnlineOptionsDlg::Apply);
    connect(reset_, &QPushButton::clicked, this, &TOnlineOptionsDlg::ResetSoftware);
    layout->addWidget(buttons);
    Changed();
    resize(820, 560);
}

void TOnlineOptionsDlg::Changed() {
    apply_->setEnabled(editor_.Modified());
    // Apply, OK and also "Create" (which offers to apply first) replace the live options.
    if (editor_.Applications() != reported_) {
        reported_ = editor_.Applications();
        emit Applied();
    }
}

void TOnlineOptionsDlg::Apply() {
    editor_.Apply();
    programPage_->ShowProgram(); // saving may have unselected a program it could not write
    Changed();
}

void TOnlineOptionsDlg::Close(bool accepted) {
    const TOptionsClose answer = editor_.Close();
    Changed();
    if (answer == TOptionsClose::Stay) {
        return;
    }
    if (accepted) {
        QDialog::accept();
    } else {
        QDialog::reject();
    }
}

void TOnlineOptionsDlg::accept() {
    Close(true);
}

void TOnlineOptionsDlg::reject() {
    Close(false);
}

void TOnlineOptionsDlg::ResetSoftware() {
    if (editor_.ResetSoftware()) {
        Changed();
        QDialog::accept();
    }
}

} // namespace klt
