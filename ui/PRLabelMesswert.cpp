#include "ui/PRLabelMesswert.h"

#include "app/MesswertControlRules.h"
#include "ui/MesswertDisplay.h"

namespace klt {

TPRMesswertLabel::TPRMesswertLabel(TMesswertArtType kind, QWidget* parent) : QLabel(parent), kind_(kind) {
    connect(&TMesswertDisplayNotifier::Instance(), &TMesswertDisplayNotifier::Changed, this,
            &TPRMesswertLabel::Refresh);
}

void TPRMesswertLabel::SetMesswertArtType(TMesswertArtType kind) {
    kind_ = kind;
    Refresh();
}

void TPRMesswertLabel::Refresh() {
    setText(kind_ == mwaNone ? QString() : ToQString(Text()));
    ApplyMesswertColour(*this, kind_);
}

TPRLabelMesswertUnit::TPRLabelMesswertUnit(TMesswertArtType kind, QWidget* parent)
    : TPRMesswertLabel(kind, parent) {
    Refresh();
}

void TPRLabelMesswertUnit::SetMesswertArtFormat(TMesswertArtFormat format) {
    format_ = format;
    Refresh();
}

void TPRLabelMesswertUnit::SetMesswertAccelChar(char accelerator) {
    accelerator_ = accelerator;
    Refresh();
}

std::string TPRLabelMesswertUnit::Text() const {
    return WithAccelerator(MesswertArt(MesswertArtType()).FormattedUnit(format_), accelerator_);
}

TPRLabelMesswertName::TPRLabelMesswertName(TMesswertArtType kind, QWidget* parent)
    : TPRMesswertLabel(kind, parent) {
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Refresh();
}

void TPRLabelMesswertName::SetMesswertArtName(TMesswertArtName name) {
    name_ = name;
    Refresh();
}

void TPRLabelMesswertName::SetMesswertArtFormat(TMesswertArtFormat format) {
    format_ = format;
    Refresh();
}

std::string TPRLabelMesswertName::Text() const {
    return MesswertArt(MesswertArtType()).FormattedName(name_, format_) + ":";
}

TPRLabelMesswert::TPRLabelMesswert(TMesswertArtType kind, QWidget* parent) : TPRMesswertLabel(kind, parent) {
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Refresh();
}

void TPRLabelMesswert::SetValue(double raw) {
    raw_ = raw;
    Refresh();
}

void TPRLabelMesswert::SetMesswertNKSt(int decimals) {
    decimals_ = decimals;
    Refresh();
}

void TPRLabelMesswert::SetMesswertTSep(bool withThousands) {
    withThousands_ = withThousands;
    Refresh();
}

std::string TPRLabelMesswert::Text() const {
    return MesswertArt(MesswertArtType()).FormatValue(raw_, decimals_, withThousands_);
}

} // namespace klt
