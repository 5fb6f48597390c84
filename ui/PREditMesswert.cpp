#include "ui/PREditMesswert.h"

#include <QApplication>
#include <QLineEdit>
#include <algorithm>

#include "core/Exceptions.h"
#include "core/Prompt.h"
#include "ui/MesswertDisplay.h"

namespace klt {
namespace {

constexpr int kMaxChars = 20;
constexpr int kWidth = 75;

int Acceleration() {
    const Qt::KeyboardModifiers modifiers = QApplication::keyboardModifiers();
    const bool shift = modifiers.testFlag(Qt::ShiftModifier);
    const bool alt = modifiers.testFlag(Qt::AltModifier);
    return shift && alt ? 1000 : alt ? 100 : shift ? 10 : 1;
}

} // namespace

TPREditMesswert::TPREditMesswert(TMesswertArtType kind, QWidget* parent)
    : QAbstractSpinBox(parent), edit_(kind) {
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lineEdit()->setMaxLength(kMaxChars);
    setAccelerated(true);
    setKeyboardTracking(false);
    connect(this, &QAbstractSpinBox::editingFinished, this, &TPREditMesswert::Commit);
    connect(&TMesswertDisplayNotifier::Instance(), &TMesswertDisplayNotifier::Changed, this,
            &TPREditMesswert::Refresh);
    Refresh();
}

void TPREditMesswert::SetMesswertArtType(TMesswertArtType kind) {
    edit_.SetKind(kind);
    Refresh();
}

void TPREditMesswert::SetMesswertNKSt(int decimals) {
    edit_.SetDecimals(decimals);
    Show();
}

void TPREditMesswert::SetMesswertTSep(bool withThousands) {
    edit_.SetWithThousands(withThousands);
    Show();
}

void TPREditMesswert::SetMesswertMin(double raw) {
    edit_.SetMinimum(raw);
}

void TPREditMesswert::SetMesswertMax(double raw) {
    edit_.SetMaximum(raw);
}

double TPREditMesswert::Value() {
    Commit();
    return raw_;
}

void TPREditMesswert::SetValue(double raw) {
    raw_ = raw;
    Show();
}

void TPREditMesswert::Show() {
    if (edit_.Kind() != mwaNone) {
        lineEdit()->setText(ToQString(edit_.ShowValue(raw_)));
    }
}

void TPREditMesswert::Refresh() {
    if (edit_.Kind() == mwaNone) {
        return;
    }
    const TMesswertArt& kind = MesswertArt(edit_.Kind());
    const QString hint = LongHint(kind.EditHint());
    setToolTip(hint);
    setStatusTip(hint);
    ApplyMesswertColour(*this, edit_.Kind());
    Show(); // in the unit and separators now in force
}

void TPREditMesswert::Commit() {
    if (committing_ || edit_.Kind() == mwaNone) {
        return;
    }
    committing_ = true; // the message box takes the focus, which would commit again
    std::string text = lineEdit()->text().toStdString();
    try {
        const double raw = edit_.ReadValue(text);
        if (ToQString(text) != lineEdit()->text()) {
            lineEdit()->setText(ToQString(text)); // replaced by the nearer limit
        }
        if (raw != raw_) {
            raw_ = raw;
            emit ValueEdited(raw_);
        }
    } catch (const EConvertError& error) {
        Prompt().ShowMessage("Warning", error.what());
        Show();
    }
    committing_ = false;
}

void TPREditMesswert::stepBy(int steps) {
    Commit();
    const int count = steps * Acceleration();
    if (stepHandler_) {
        stepHandler_(count);
        return;
    }
    const TMesswertArt& kind = MesswertArt(edit_.Kind());
    lineEdit()->setText(ToQString(edit_.ShowValue(raw_ + count * kind.StepSize(1, edit_.Decimals()))));
    Commit(); // keeps the stepped value inside the accepted range and tells about it
}

QValidator::State TPREditMesswert::validate(QString&, int&) const {
    return QValidator::Acceptable; // anything may be typed; reading it decides
}

QSize TPREditMesswert::sizeHint() const {
    QSize size = QAbstractSpinBox::sizeHint();
    size.setWidth(std::max(size.width(), kWidth));
    return size;
}

QAbstractSpinBox::StepEnabled TPREditMesswert::stepEnabled() const {
    return isReadOnly() || edit_.Kind() == mwaNone ? StepNone : (StepUpEnabled | StepDownEnabled);
}

} // namespace klt
