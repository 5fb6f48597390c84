#include "ui/KLTVtrkSaveDataDlg.h"

#include <QComboBox>
#include <QFormLayout>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace klt {
namespace {

constexpr int kFlashMs = 500;
constexpr int kBatteryNarrow = 12;
constexpr int kBatteryWide = 40;

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

QPushButton* AddButton(QHBoxLayout* row, QWidget* parent, const char* name, const QString& text) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    row->addWidget(button);
    return button;
}

void Colour(QWidget* widget, const char* style) {
    widget->setStyleSheet(style);
}

} // namespace

TKLTVtrkSaveDataDlg::TKLTVtrkSaveDataDlg(TKLTVtrkReadDataModel& read, THeadUnitWork& work,
                                         std::vector<std::string> knownInitials, TOpenDownloadOptions openOptions,
                                         const QString& caption, QWidget* parent)
    : THeadUnitDialog(parent),
      work_(work),
      model_(read.Image(), read.Veltrak(), read.Downloaded(), read.Sink(), read.Configuration(),
             std::move(knownInitials)),
      openOptions_(std::move(openOptions)) {
    setObjectName("KLTVtrkSaveDataDlg");
    setWindowTitle(caption);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    fileCount_ = new QLabel(this);
    fileCount_->setObjectName("FileCountLabel");
    form->addRow("Number of training files:", fileCount_);
    totalTime_ = new QLabel(this);
    totalTime_->setObjectName("TotalTimeLabel");
    form->addRow("Total time:", totalTime_);
    memoryCaption_ = new QLabel("Veltrak memory utilization:", this);
    memory_ = new QProgressBar(this);
    memory_->setObjectName("MemoryGauge");
    memory_->setRange(0, TKLTVtrkSaveDataModel::kUsbMemoryBytes);
    memory_->setTextVisible(false);
    form->addRow(memoryCaption_, memory_);
    timeLeftCaption_ = new QLabel("Time left", this);
    timeLeft_ = new QLabel(this);
    timeLeft_->setObjectName("TimeLeftLabel");
    form->addRow(timeLeftCaption_, timeLeft_);
    auto* batteryRow = new QHBoxLayout;
    batteryShape_ = new QFrame(this);
    batteryShape_->setObjectName("BatteryShape");
    batteryShape_->setFixedHeight(14);
    battery_ = new QLabel(this);
    battery_->setObjectName("BatteryLabel");
    batteryRow->addWidget(batteryShape_);
    batteryRow->addWidget(battery_);
    batteryRow->addStretch();
    form->addRow("Power meter battery:", batteryRow);
    for (QWidget* usbOnly : std::initializer_list<QWidget*>{memoryCaption_, memory_, timeLeftCaption_, timeLeft_,
                                                            batteryShape_, battery_}) {
        usbOnly->setVisible(model_.MemoryShown());
    }
    form->labelForField(batteryRow)->setVisible(model_.MemoryShown());

    interval_ = new QComboBox(this);
    interval_->setObjectName("IntervalBox");
    for (const TStorageInterval& interval : model_.Intervals()) {
        interval_->addItem(Text(interval.text));
    }
    interval_->setCurrentIndex(model_.SelectedInterval());
    form->addRow("&Storage interval:", interval_);
    initials_ = new QComboBox(this);
    initials_->setObjectName("InitialsBox");
    initials_->setEditable(true);
    for (const std::string& known : model_.InitialsList()) {
        initials_->addItem(Text(known));
    }
    initials_->setEditText(Text(model_.Initials()));
    form->addRow("&Initials:", initials_);

    buttons_ = new QWidget(this);
    auto* buttons = new QHBoxLayout(buttons_);
    buttons->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(buttons_);
    QPushButton* clear = AddButton(buttons, buttons_, "DeleteButton", "&Delete data from Veltrak");
    clear->setDefault(true);
    QPushButton* keep = AddButton(buttons, buttons_, "KeepButton", "&Keep data in Veltrak");
    QPushButton* clearOnly = AddButton(buttons, buttons_, "DeleteOnlyButton", "Delete &only");
    QPushButton* options = AddButton(buttons, buttons_, "OptionsButton", "&Options...");

    connect(interval_, &QComboBox::currentIndexChanged, this, [this](int index) {
        model_.SelectInterval(index);
        ShowModel();
    });
    connect(initials_, &QComboBox::editTextChanged, this, [this](const QString& text) {
        model_.SetInitials(text.toStdString());
        ShowModel();
    });
    connect(clear, &QPushButton::clicked, this, [this] {
        Act([this, keepImage = KeepImageRequested()] { return model_.SaveAndClear(keepImage); });
    });
    connect(keep, &QPushButton::clicked, this, [this] {
        Act([this, keepImage = KeepImageRequested()] { return model_.SaveAndKeep(keepImage); });
    });
    connect(clearOnly, &QPushButton::clicked, this, [this] { Act([this] { return model_.ClearOnly(); }); });
    connect(options, &QPushButton::clicked, this, [this] {
        if (openOptions_) {
            model_.Refresh(openOptions_());
            ShowModel();
        }
    });
    flash_ = new QTimer(this);
    flash_->setObjectName("FlashTimer");
    flash_->setInterval(kFlashMs);
    connect(flash_, &QTimer::timeout, this, [this] {
        model_.Tick();
        ShowFlashing();
    });
    ShowModel();
}

bool TKLTVtrkSaveDataDlg::KeepImageRequested() {
    const Qt::KeyboardModifiers held = QGuiApplication::queryKeyboardModifiers();
    return held.testFlag(Qt::ShiftModifier) && held.testFlag(Qt::ControlModifier);
}

void TKLTVtrkSaveDataDlg::ShowModel() {
    fileCount_->setText(QString::number(model_.TrainingFileCount()));
    totalTime_->setText(Text(model_.TotalTime()));
    memory_->setValue(model_.MemoryUsed());
    timeLeft_->setText(Text(model_.TimeLeft()));
    battery_->setText(Text(model_.Battery()));
    initials_->lineEdit()->setStyleSheet(model_.InitialsUnknown() ? "background-color: red;" : "");
    const bool flashes = model_.MemoryAlert() || model_.BatteryFlashing();
    if (flashes && !flash_->isActive()) {
        flash_->start();
    } else if (!flashes) {
        flash_->stop();
    }
    ShowFlashing();
}

void TKLTVtrkSaveDataDlg::ShowFlashing() {
    const bool red = model_.FlashPhase();
    const char* alert = model_.MemoryAlert() && red ? "color: red;" : "color: black;";
    Colour(timeLeft_, alert);
    Colour(memory_, model_.MemoryAlert() && red ? "QProgressBar::chunk { background-color: red; }" : "");
    const bool narrow = model_.BatteryFlashing() && red;
    batteryShape_->setFixedWidth(narrow ? kBatteryNarrow : kBatteryWide);
    Colour(batteryShape_, narrow ? "background-color: red;" : "background-color: green;");
}

TKLTVtrkSaveDataDlg::~TKLTVtrkSaveDataDlg() {
    work_.Finish();
}

void TKLTVtrkSaveDataDlg::Act(std::function<bool()> action) {
    buttons_->setEnabled(false);
    SetTalking(true);
    work_.Run([this, action = std::move(action)] { closes_ = action(); },
              [this] {
                  SetTalking(false);
                  buttons_->setEnabled(true);
                  ShowModel();
                  if (closes_) {
                      accept();
                  }
              });
}

} // namespace klt
