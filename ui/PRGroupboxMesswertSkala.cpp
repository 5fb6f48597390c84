#include "ui/PRGroupboxMesswertSkala.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <algorithm>
#include <cmath>

#include "app/MesswertControlRules.h"
#include "core/MesswertSkala.h"
#include "ui/MesswertDisplay.h"
#include "ui/PREditMesswert.h"

namespace klt {
namespace {

constexpr int kDefaultFieldWidth = 60;

} // namespace

TPRGroupboxMesswertSkala::TPRGroupboxMesswertSkala(QWidget* parent)
    : QGroupBox(parent), visible_(new QCheckBox(tr("&Visible"), this)),
      from_(new TPREditMesswert(mwaNone, this)), to_(new TPREditMesswert(mwaNone, this)),
      distance_(new TPREditMesswert(mwaNone, this)), fromLabel_(new QLabel(tr("&From:"), this)),
      toLabel_(new QLabel(tr("&To:"), this)), distanceLabel_(new QLabel(tr("&Distance:"), this)) {
    auto* grid = new QGridLayout(this);
    grid->addWidget(visible_, 0, 0, 1, 2);
    const std::array<std::pair<QLabel*, TPREditMesswert*>, 3> rows = {
        {{fromLabel_, from_}, {toLabel_, to_}, {distanceLabel_, distance_}}};
    for (int row = 0; row < 3; ++row) {
        auto [label, edit] = rows[static_cast<size_t>(row)];
        label->setBuddy(edit);
        grid->addWidget(label, row + 1, 0);
        grid->addWidget(edit, row + 1, 1);
    }
    grid->setColumnStretch(0, 1);
    SetFieldWidth(kDefaultFieldWidth);

    connect(visible_, &QCheckBox::toggled, this, [this](bool on) {
        if (skala_ != nullptr && !allwaysVisible_) {
            skala_->SetVisible(on);
            emit SkalaChanged();
        }
    });
    connect(from_, &TPREditMesswert::ValueEdited, this, [this](double raw) {
        if (skala_ != nullptr) {
            skala_->SetOffset(raw);
            Changed();
        }
    });
    connect(to_, &TPREditMesswert::ValueEdited, this, [this](double raw) {
        if (skala_ != nullptr) {
            skala_->SetUpperEnd(raw);
            Changed();
        }
    });
    connect(distance_, &TPREditMesswert::ValueEdited, this, [this](double raw) {
        if (skala_ != nullptr) {
            SetSkalaDistance(*skala_, raw);
            Changed();
        }
    });
    from_->SetStepHandler([this](int count) { Step(&TMesswertSkala::StepOffset, count); });
    to_->SetStepHandler([this](int count) { Step(&TMesswertSkala::StepBereich, count); });
    distance_->SetStepHandler([this](int count) { Step(&TMesswertSkala::StepBereich, count); });
    connect(&TMesswertDisplayNotifier::Instance(), &TMesswertDisplayNotifier::Changed, this,
            &TPRGroupboxMesswertSkala::Refresh);
    setEnabled(false);
}

TMesswertArtType TPRGroupboxMesswertSkala::Kind() const {
    return skala_ != nullptr ? skala_->Kind() : mwaNone;
}

void TPRGroupboxMesswertSkala::SetSkala(TMesswertSkala* skala) {
    skala_ = skala;
    for (TPREditMesswert* edit : {from_, to_, distance_}) {
        edit->SetMesswertArtType(Kind());
    }
    setEnabled(Kind() != mwaNone);
    SetLimits();
    Refresh();
}

void TPRGroupboxMesswertSkala::SetShowCheckboxVisible(bool show) {
    visible_->setVisible(show);
}

void TPRGroupboxMesswertSkala::SetAllwaysVisible(bool always) {
    allwaysVisible_ = always;
    if (always && skala_ != nullptr) {
        skala_->SetVisible(true);
    }
    visible_->setEnabled(!always);
    ShowValues();
}

void TPRGroupboxMesswertSkala::SetFieldWidth(int width) {
    for (TPREditMesswert* edit : {from_, to_, distance_}) {
        edit->setFixedWidth(width + edit->sizeHint().height()); // room for the arrows
    }
}

void TPRGroupboxMesswertSkala::SetMesswertNKSt(int decimals) {
    for (TPREditMesswert* edit : {from_, to_, distance_}) {
        edit->SetMesswertNKSt(decimals);
    }
}

void TPRGroupboxMesswertSkala::SetMesswertTSep(bool withThousands) {
    for (TPREditMesswert* edit : {from_, to_, distance_}) {
        edit->SetMesswertTSep(withThousands);
    }
}

void TPRGroupboxMesswertSkala::SetMesswertMin(double raw) {
    minimum_ = raw;
    SetLimits();
}

void TPRGroupboxMesswertSkala::SetMesswertMax(double raw) {
    maximum_ = raw;
    SetLimits();
}

void TPRGroupboxMesswertSkala::SetMesswertAccelChar(char accelerator) {
    accelerator_ = accelerator;
    Refresh();
}

void TPRGroupboxMesswertSkala::SetLimits() {
    double low = minimum_;
    double high = maximum_;
    if (Kind() != mwaNone) {
        low = std::max(low, MesswertArt(Kind()).Minimum());
        high = std::min(high, MesswertArt(Kind()).Maximum());
    }
    for (TPREditMesswert* edit : {from_, to_}) {
        edit->SetMesswertMin(low);
        edit->SetMesswertMax(high);
    }
    // A negative width is taken back from the upper end.
    const double span = std::isfinite(high - low) ? high - low : 2e14;
    distance_->SetMesswertMin(-span);
    distance_->SetMesswertMax(span);
}

void TPRGroupboxMesswertSkala::Refresh() {
    if (Kind() == mwaNone) {
        setTitle(QString());
        return;
    }
    const TMesswertArt& kind = MesswertArt(Kind());
    setTitle(ToQString(
        WithAccelerator(TMesswertArt::NameWithUnit(kind.Name(), kind.UnitShortName()), accelerator_)));
    ApplyMesswertColour(*this, Kind());
    ShowValues();
}

void TPRGroupboxMesswertSkala::ShowValues() {
    if (skala_ == nullptr) {
        return;
    }
    const QSignalBlocker block(visible_);
    visible_->setChecked(skala_->Visible());
    from_->SetValue(skala_->Offset());
    to_->SetValue(skala_->UpperEnd());
    distance_->SetValue(skala_->Bereich());
}

void TPRGroupboxMesswertSkala::Step(void (TMesswertSkala::*step)(int), int count) {
    if (skala_ == nullptr) {
        return;
    }
    for (int i = 0; i < std::abs(count); ++i) {
        (skala_->*step)(count > 0 ? 1 : -1);
    }
    Changed();
}

void TPRGroupboxMesswertSkala::Changed() {
    ShowValues();
    emit SkalaChanged();
}

} // namespace klt
