#include "ui/KLTVtrkStateDlg.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace klt {

TKLTVtrkStateDlg::TKLTVtrkStateDlg(TDownloadConfiguration configuration, std::unique_ptr<TVeltrak> veltrak,
                                   QWidget* parent)
    : THeadUnitDialog(parent),
      work_(new THeadUnitWork(this)),
      model_(std::move(configuration), "State of Veltrak %s", work_->WorkPrompt(), std::move(veltrak)) {
    setObjectName("KLTVtrkStateDlg");
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    power_ = AddValue(form, "PowerLabel", "Power:");
    torque_ = AddValue(form, "TorqueLabel", "Torque:");
    cadence_ = AddValue(form, "CadenceLabel", "Cadence:");
    heartRate_ = AddValue(form, "HeartRateLabel", "Heart rate:");
    speed_ = AddValue(form, "SpeedLabel", "Speed:");
    temperature_ = AddValue(form, "TemperatureLabel", "Temperature:");
    temperatureCaption_ = qobject_cast<QLabel*>(form->labelForField(temperature_));
    date_ = AddValue(form, "DateLabel", "Date:");
    time_ = AddValue(form, "TimeLabel", "Time:");
    firmware_ = AddValue(form, "FirmwareLabel", "Firmware:");
    hardware_ = AddValue(form, "HardwareLabel", "Hardware:");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText("&Close");
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &TKLTVtrkStateDlg::reject);

    timer_ = new QTimer(this);
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, &TKLTVtrkStateDlg::Tick);
    connect(this, &QDialog::finished, this, [this] {
        closed_ = true;
        timer_->stop();
    });
    timer_->start(0);
    ShowModel();
}

QLabel* TKLTVtrkStateDlg::AddValue(QFormLayout* form, const char* name, const QString& caption) {
    auto* value = new QLabel(this);
    value->setObjectName(name);
    form->addRow(caption, value);
    return value;
}

TKLTVtrkStateDlg::~TKLTVtrkStateDlg() {
    model_.Close();
    work_->Finish();
}

void TKLTVtrkStateDlg::Tick() {
    timer_->stop();
    SetTalking(true);
    work_->Run([this] { next_ = model_.Tick(); },
               [this] {
                   SetTalking(false);
                   // Closing asked for during a read that did not wait for anything: close now.
                   if (!next_ || model_.Closing()) {
                       done(QDialog::Rejected);
                       return;
                   }
                   ShowModel();
                   if (!closed_) {
                       timer_->start(*next_);
                   }
               });
}

void TKLTVtrkStateDlg::ShowModel() {
    const TVeltrakStateTexts& texts = model_.Texts();
    setWindowTitle(QString::fromStdString(model_.Caption()));
    const std::pair<QLabel*, const std::string*> values[] = {
        {power_, &texts.power}, {torque_, &texts.torque},     {cadence_, &texts.cadence},
        {heartRate_, &texts.heartRate}, {speed_, &texts.speed}, {temperature_, &texts.temperature},
        {date_, &texts.date},   {time_, &texts.time},         {firmware_, &texts.firmware},
        {hardware_, &texts.hardware}};
    for (const auto& [label, text] : values) {
        label->setText(QString::fromStdString(*text));
    }
    temperature_->setVisible(texts.temperatureShown);
    if (temperatureCaption_ != nullptr) {
        temperatureCaption_->setVisible(texts.temperatureShown);
    }
}

} // namespace klt
