#include "ui/OnlineSaveDataDialog.h"

#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "core/Prompt.h"
#include "online/SaveDetailsCheck.h"
#include "ui/MesswertDisplay.h"

namespace klt {

TOnlineSaveDataDialog::TOnlineSaveDataDialog(const TSaveDetails& proposed, QWidget* parent)
    : QDialog(parent), details_(proposed), initials_(new QLineEdit(ToQString(proposed.initials), this)),
      date_(new QDateEdit(proposed.date == kNoDate ? QDate::currentDate() : DateOfDays(proposed.date), this)),
      time_(new QTimeEdit(TimeOfDay(proposed.startTime), this)),
      comment_(new QLineEdit(ToQString(proposed.comment), this)) {
    setWindowTitle(tr("Save Data"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    initials_->setMaxLength(static_cast<int>(kMaxSaveInitialsChars));
    initials_->setToolTip(tr("Letters, digits, blanks, \",\" and \".\"; the training is filed under them"));
    date_->setCalendarPopup(true);
    date_->setDisplayFormat("yyyy-MM-dd");
    time_->setDisplayFormat("HH:mm:ss");
    comment_->setMaxLength(static_cast<int>(kMaxSaveCommentChars));
    comment_->setMinimumWidth(comment_->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 50);
    form->addRow(tr("&Initials:"), initials_);
    form->addRow(tr("&Date:"), date_);
    form->addRow(tr("&Time:"), time_);
    form->addRow(tr("&Comment:"), comment_);
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &TOnlineSaveDataDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TOnlineSaveDataDialog::reject);
    layout->addWidget(buttons);
    initials_->setFocus();
}

std::optional<TSaveDetails> TOnlineSaveDataDialog::Ask(const TSaveDetails& proposed, QWidget* parent) {
    TOnlineSaveDataDialog dialog(proposed, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.Details();
}

void TOnlineSaveDataDialog::accept() {
    TSaveDetails typed = details_;
    typed.initials = initials_->text().toStdString();
    typed.date = DaysOfDate(date_->date());
    // An untouched time keeps the hundredths it was proposed with.
    if (time_->time() != TimeOfDay(details_.startTime)) {
        typed.startTime = Hundredths(time_->time());
    }
    typed.comment = comment_->text().toStdString();
    if (std::optional<std::string> problem = CheckSaveDetails(typed)) {
        Prompt().ShowMessage("Attention", *problem);
        initials_->setFocus();
        return;
    }
    details_ = typed;
    QDialog::accept();
}

} // namespace klt
