#include "ui/KLTInfoDlg.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <QtGlobal>

#include "app/ConfigurationPaths.h"
#include "core/TrainingEnvironment.h"
#include "ui/Dialogs.h"
#include "ui/MesswertDisplay.h"

namespace klt {
namespace {

QLabel* SelectableLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

TKLTInfoDlg::TKLTInfoDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("Information"));
    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel(QStringLiteral("KLT Training System"), this);
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 1.5);
    big.setBold(true);
    title->setFont(big);
    layout->addWidget(title);

    auto* form = new QFormLayout;
    const std::string& databaseDir = TrainingEnvironment().databaseDir;
    form->addRow(tr("Version:"), SelectableLabel(QStringLiteral(KLT_VERSION), this));
    form->addRow(tr("Qt:"), SelectableLabel(QString::fromLatin1(qVersion()), this));
    form->addRow(tr("Settings:"), SelectableLabel(ToQString(ConfigurationFilePath()), this));
    form->addRow(tr("Training database:"),
                 SelectableLabel(ToQString(databaseDir.empty() ? DefaultDatabaseDir() : databaseDir), this));
    layout->addLayout(form);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &TKLTInfoDlg::accept);
    layout->addWidget(buttons);
}

void ExecuteInfoDialog(QWidget* parent) {
    TKLTInfoDlg dialog(parent);
    dialog.exec();
}

} // namespace klt
