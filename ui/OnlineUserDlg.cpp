#include "ui/OnlineUserDlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "core/Prompt.h"
#include "online/KLTDemoResult.h"
#include "ui/MesswertDisplay.h"

namespace klt {

TOnlineUserDlg::TOnlineUserDlg(const TDemoPerson& person, const TOnlineDemoModeOptionSet& demo, QWidget* parent)
    : QDialog(parent), person_(person), firstName_(new QLineEdit(ToQString(person.firstName), this)),
      lastName_(new QLineEdit(ToQString(person.lastName), this)), categorie_(new QComboBox(this)) {
    setWindowTitle(tr("User"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    for (QLineEdit* name : {firstName_, lastName_}) {
        name->setMaxLength(static_cast<int>(TKLTDemoResult::kMaxNameChars));
    }
    for (const std::string& name : CategorieNames(demo)) {
        categorie_->addItem(ToQString(name));
    }
    categorie_->setCurrentIndex(person.categorie >= 0 && person.categorie < categorie_->count() ? person.categorie
                                                                                                : 0);
    form->addRow(tr("&First Name:"), firstName_);
    form->addRow(tr("&Last Name:"), lastName_);
    form->addRow(tr("&Categorie:"), categorie_);
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &TOnlineUserDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TOnlineUserDlg::reject);
    layout->addWidget(buttons);
    setMinimumWidth(320);
}

bool TOnlineUserDlg::Edit(TDemoPerson& person, const TOnlineDemoModeOptionSet& demo, QWidget* parent) {
    TOnlineUserDlg dialog(person, demo, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    person = dialog.Person();
    return true;
}

void TOnlineUserDlg::accept() {
    TDemoPerson typed = person_;
    typed.SetNames(firstName_->text().toStdString(), lastName_->text().toStdString());
    if (!typed.HasName()) {
        Prompt().ShowMessage("Attention", "Please enter the rider's name.");
        firstName_->setFocus();
        return;
    }
    typed.categorie = std::max(categorie_->currentIndex(), 0);
    person_ = typed;
    QDialog::accept();
}

} // namespace klt
