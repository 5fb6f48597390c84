#include "ui/AnalyseOptionsPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

#include "analysis/Analyse.h"
#include "app/OptionDialogModel.h"
#include "ui/MesswertDisplay.h"
#include "ui/PRGroupboxMesswertSkala.h"

namespace klt {

TAnalyseOptionsPage::TAnalyseOptionsPage(TKLTAnalyseData& analyse, QWidget* parent)
    : QWidget(parent), data_(analyse), histogram_(new QCheckBox(tr("Show hi&stograms"), this)),
      averaging_(new QComboBox(this)), minDelay_(DelayEdit(analyse.MinZeitVersatz)),
      delayStep_(DelayEdit(analyse.OfsZeitVersatz)), maxDelay_(DelayEdit(analyse.MaxZeitVersatz)),
      power_(new TPRGroupboxMesswertSkala(this)), heartRate_(new TPRGroupboxMesswertSkala(this)),
      defaults_(new QPushButton(tr("De&faults"), this)) {
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    connect(histogram_, &QCheckBox::toggled, this, [this](bool on) { data_.ShowHistogramm = on; });
    form->addRow(QString(), histogram_);
    averaging_->setToolTip(tr("Power and heart rate are averaged over this time before they are paired"));
    connect(averaging_, &QComboBox::activated, this,
            [this](int index) { data_.ZeitGlaettung = averaging_->itemData(index).toInt(); });
    form->addRow(tr("&Averaging:"), averaging_);
    delayStep_->setToolTip(tr("0 tries every second"));
    form->addRow(tr("Smallest de&lay:"), minDelay_);
    form->addRow(tr("Delay s&tep:"), delayStep_);
    form->addRow(tr("Lar&gest delay:"), maxDelay_);

    auto* scales = new QHBoxLayout;
    layout->addLayout(scales);
    power_->SetMesswertAccelChar('P');
    heartRate_->SetMesswertAccelChar('H');
    scales->addWidget(power_);
    scales->addWidget(heartRate_);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(defaults_);
    layout->addLayout(buttons);
    layout->addStretch(1);
    connect(defaults_, &QPushButton::clicked, this, [this] {
        data_.SetToDefaults();
        Load();
    });
    Load();
}

QSpinBox* TAnalyseOptionsPage::DelayEdit(int32_t& hundredths) {
    auto* edit = new QSpinBox(this);
    edit->setRange(0, TOptionDialogModel::kMaxDelaySeconds);
    edit->setSuffix(tr(" s"));
    edit->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(edit, &QSpinBox::valueChanged, this,
            [&hundredths](int seconds) { hundredths = TOptionDialogModel::DelayHundredths(seconds); });
    return edit;
}

void TAnalyseOptionsPage::Load() {
    const QSignalBlocker blockHistogram(histogram_);
    const QSignalBlocker blockMin(minDelay_);
    const QSignalBlocker blockStep(delayStep_);
    const QSignalBlocker blockMax(maxDelay_);
    histogram_->setChecked(data_.ShowHistogramm);
    averaging_->clear();
    for (const TSmoothingChoice& choice : TOptionDialogModel::SmoothingChoices(data_.ZeitGlaettung)) {
        averaging_->addItem(ToQString(choice.text), choice.value);
        if (choice.value == data_.ZeitGlaettung) {
            averaging_->setCurrentIndex(averaging_->count() - 1);
        }
    }
    minDelay_->setValue(TOptionDialogModel::DelaySeconds(data_.MinZeitVersatz));
    delayStep_->setValue(TOptionDialogModel::DelaySeconds(data_.OfsZeitVersatz));
    maxDelay_->setValue(TOptionDialogModel::DelaySeconds(data_.MaxZeitVersatz));
    power_->SetSkala(&data_.SkalaLeistung);
    heartRate_->SetSkala(&data_.SkalaHerzfrequenz);
}

} // namespace klt
