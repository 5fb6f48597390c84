#include "ui/KLTFilePropertyDlg.h"

#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <cmath>

#include "core/Exceptions.h"
#include "core/KLTDate.h"
#include "core/KLTFile.h"
#include "core/Prompt.h"
#include "ui/Dialogs.h"
#include "ui/MesswertDisplay.h"
#include "ui/PREditMesswert.h"
#include "ui/PRLabelMesswert.h"

namespace klt {
namespace {

constexpr int kMaxInitialsChars = 20;

// An edit of a kind with its unit beside it.
QWidget* WithUnit(TPREditMesswert* edit, QWidget* parent) {
    auto* box = new QWidget(parent);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(edit);
    row->addWidget(new TPRLabelMesswertUnit(edit->MesswertArtType(), box));
    row->addStretch(1);
    return box;
}

TPREditMesswert* KindEdit(TMesswertArtType kind, double raw, QWidget* parent) {
    auto* edit = new TPREditMesswert(kind, parent);
    edit->SetMesswertMin(MesswertArt(kind).Minimum());
    edit->SetMesswertMax(MesswertArt(kind).Maximum());
    edit->SetValue(raw);
    return edit;
}

} // namespace

TKLTFilePropertyDlg::TKLTFilePropertyDlg(TKLTFile& file, QWidget* parent) : QDialog(parent), model_(file) {
    setWindowTitle(tr("Training properties"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(CreateTraining());
    layout->addWidget(CreateCalibration());
    layout->addWidget(CreateSummary());
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &TKLTFilePropertyDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TKLTFilePropertyDlg::reject);
    layout->addWidget(buttons);
}

QWidget* TKLTFilePropertyDlg::CreateTraining() {
    const TFileProperties& current = model_.Current();
    auto* group = new QGroupBox(tr("Training"), this);
    auto* form = new QFormLayout(group);
    date_ = new QDateEdit(DateOfDays(current.date), group);
    date_->setCalendarPopup(true);
    date_->setDisplayFormat("yyyy-MM-dd");
    startTime_ = new QTimeEdit(TimeOfDay(current.startTime), group);
    startTime_->setDisplayFormat("HH:mm:ss");
    initials_ = new QLineEdit(ToQString(current.initials), group);
    initials_->setMaxLength(kMaxInitialsChars);
    initials_->setToolTip(
        tr("Letters, digits, blanks, \",\" and \".\"; the training moves to this athlete's folder"));
    comment_ = new QLineEdit(ToQString(current.comment), group);
    comment_->setMaxLength(TKLTFile::kCommentLength);
    comment_->setMinimumWidth(comment_->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 50);
    form->addRow(tr("&Date:"), date_);
    form->addRow(tr("&Start time:"), startTime_);
    form->addRow(tr("&Initials:"), initials_);
    form->addRow(tr("&Comment:"), comment_);
    return group;
}

QWidget* TKLTFilePropertyDlg::CreateCalibration() {
    const TFileProperties& current = model_.Current();
    auto* group = new QGroupBox(tr("Calibration"), this);
    group->setToolTip(tr("Changing these values recomputes power, speed and altitude of every sample"));
    auto* form = new QFormLayout(group);
    zeroOffset_ = KindEdit(mwaNullstelle, current.zeroOffset, group);
    slope_ = KindEdit(mwaSteigung, current.slope, group);
    altitude_ = KindEdit(mwaHoehe, current.altitudeAtStart, group);
    circumference_ = KindEdit(mwaRadumfang, current.circumference, group);
    form->addRow(tr("&Zero offset:"), WithUnit(zeroOffset_, group));
    form->addRow(tr("S&lope:"), WithUnit(slope_, group));
    form->addRow(tr("&Altitude at start:"), WithUnit(altitude_, group));
    form->addRow(tr("Ci&rcumference:"), WithUnit(circumference_, group));
    // The labels of a form point at the row's container: give the accelerators to the edits.
    for (TPREditMesswert* edit : {zeroOffset_, slope_, altitude_, circumference_}) {
        if (auto* label = qobject_cast<QLabel*>(form->labelForField(edit->parentWidget()))) {
            label->setBuddy(edit);
        }
    }
    return group;
}

QWidget* TKLTFilePropertyDlg::CreateSummary() {
    const TFileSummary summary = model_.Summary();
    auto* group = new QGroupBox(tr("File"), this);
    auto* form = new QFormLayout(group);
    auto* path = new QLabel(ToQString(summary.path), group);
    path->setTextInteractionFlags(Qt::TextSelectableByMouse);
    path->setWordWrap(true);
    form->addRow(tr("Path:"), path);
    form->addRow(tr("Version:"), new QLabel(QStringLiteral("KLT%1").arg(QChar(summary.version)), group));
    form->addRow(tr("Samples:"), new QLabel(QString::number(summary.samples), group));
    form->addRow(tr("Interval:"), new QLabel(tr("%1 s").arg(summary.interval / 100.0, 0, 'f', 2), group));
    form->addRow(tr("Duration:"), new QLabel(ToQString(FormatTimeOfDay(summary.duration, false)), group));
    return group;
}

TFileProperties TKLTFilePropertyDlg::Wanted() {
    const TFileProperties& current = model_.Current();
    TFileProperties wanted = current;
    wanted.date = DaysOfDate(date_->date());
    if (startTime_->time() != TimeOfDay(current.startTime)) {
        wanted.startTime = Hundredths(startTime_->time()); // untouched, the hundredths stay
    }
    wanted.comment = comment_->text().toStdString();
    wanted.initials = initials_->text().toStdString();
    wanted.zeroOffset = static_cast<int>(std::lround(zeroOffset_->Value()));
    wanted.slope = static_cast<int>(std::lround(slope_->Value()));
    wanted.altitudeAtStart = static_cast<int>(std::lround(altitude_->Value()));
    wanted.circumference = static_cast<int>(std::lround(circumference_->Value()));
    return wanted;
}

void TKLTFilePropertyDlg::accept() {
    try {
        changed_ = model_.Apply(Wanted()) || changed_;
    } catch (const Exception& error) {
        changed_ = true; // the edits before the failing one stay applied
        Prompt().ShowMessage("Warning", error.what());
        return; // the dialog stays for another try or Cancel
    }
    QDialog::accept();
}

bool ExecuteFilePropertyDialog(QWidget* parent, TKLTFile& file) {
    file.EnsureLoaded();
    TKLTFilePropertyDlg dialog(file, parent);
    dialog.exec();
    return dialog.Changed();
}

} // namespace klt
