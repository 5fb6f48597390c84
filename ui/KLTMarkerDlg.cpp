#include "ui/KLTMarkerDlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "core/Exceptions.h"
#include "core/KLTDate.h"
#include "core/KLTFile.h"
#include "core/Prompt.h"
#include "ui/Dialogs.h"
#include "ui/MesswertDisplay.h"
#include "ui/PRLabelMesswert.h"

namespace klt {
namespace {

struct TShownValue {
    TMesswertArtType kind;
    TMesswertArtName name;
    int64_t (*value)(const TKLTMarker&);
    const char* caption = nullptr; // instead of the kind's name
};

const std::array<TShownValue, 8> kShownValues = {{
    {mwaArbeit, mwnAny, [](const TKLTMarker& m) { return m.Work(); }},
    {mwaStrecke, mwnAny, [](const TKLTMarker& m) { return m.Distance(); }},
    {mwaLeistung, mwnAVR, [](const TKLTMarker& m) { return m.AvgPower(); }},
    {mwaHerzfrequenz, mwnAVR, [](const TKLTMarker& m) { return m.AvgHeartRate(); }},
    {mwaTretfrequenz, mwnAVR, [](const TKLTMarker& m) { return m.AvgCadence(); }},
    {mwaGeschwindigkeit, mwnAVR, [](const TKLTMarker& m) { return m.AvgSpeed(); }},
    {mwaTemperatur, mwnAVR, [](const TKLTMarker& m) { return m.AvgTemperature(); }},
    {mwaHoehe, mwnAny, [](const TKLTMarker& m) { return m.climb; }, QT_TR_NOOP("Climb:")},
}};

} // namespace

TKLTMarkerDlg::TKLTMarkerDlg(TKLTFile& file, int index, int enclosing, QWidget* parent)
    : QDialog(parent), model_(file, index, enclosing) {
    setWindowTitle(model_.IsNew() ? tr("New marker") : tr("Marker"));
    auto* layout = new QVBoxLayout(this);

    auto* nameRow = new QFormLayout;
    name_ = new QComboBox(this);
    name_->setEditable(true);
    name_->setInsertPolicy(QComboBox::NoInsert);
    name_->setMinimumContentsLength(30);
    for (const std::string& recent : TMarkerEditModel::RecentNames()) {
        name_->addItem(ToQString(recent));
    }
    name_->lineEdit()->setMaxLength(TKLTFile::kMarkerNameLength);
    name_->setEditText(ToQString(model_.Name()));
    name_->setToolTip(model_.RangeEditable() ? tr("Name of the marker; the list holds the names given last")
                                             : tr("The whole training is named by the athlete's initials"));
    nameRow->addRow(model_.RangeEditable() ? tr("&Name:") : tr("&Initials:"), name_);
    layout->addLayout(nameRow);
    layout->addWidget(CreateRange());
    layout->addWidget(CreateValues());

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &TKLTMarkerDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TKLTMarkerDlg::reject);
    layout->addWidget(buttons);
    ShowRange();
    name_->setFocus();
    name_->lineEdit()->selectAll();
}

QWidget* TKLTMarkerDlg::CreateRange() {
    auto* group = new QGroupBox(tr("Range"), this);
    auto* grid = new QGridLayout(group);
    fromTime_ = new QTimeEdit(group);
    toTime_ = new QTimeEdit(group);
    fromSample_ = new QSpinBox(group);
    toSample_ = new QSpinBox(group);
    for (QTimeEdit* edit : {fromTime_, toTime_}) {
        edit->setDisplayFormat("HH:mm:ss");
        edit->setToolTip(tr("Time of day of the sample"));
    }
    for (QSpinBox* edit : {fromSample_, toSample_}) {
        edit->setRange(model_.LowestSample(), model_.HighestSample());
        edit->setAlignment(Qt::AlignRight);
        edit->setKeyboardTracking(false); // a half-typed number must not push the other end
        edit->setToolTip(
            tr("Sample number, from %1 to %2").arg(model_.LowestSample()).arg(model_.HighestSample()));
    }
    auto* fromLabel = new QLabel(tr("&From:"), group);
    fromLabel->setBuddy(fromTime_);
    auto* toLabel = new QLabel(tr("&To:"), group);
    toLabel->setBuddy(toTime_);
    auto* fromSampleLabel = new QLabel(tr("&sample"), group);
    fromSampleLabel->setBuddy(fromSample_);
    auto* toSampleLabel = new QLabel(tr("s&ample"), group);
    toSampleLabel->setBuddy(toSample_);
    grid->addWidget(fromLabel, 0, 0);
    grid->addWidget(fromTime_, 0, 1);
    grid->addWidget(fromSampleLabel, 0, 2, Qt::AlignRight);
    grid->addWidget(fromSample_, 0, 3);
    grid->addWidget(toLabel, 1, 0);
    grid->addWidget(toTime_, 1, 1);
    grid->addWidget(toSampleLabel, 1, 2, Qt::AlignRight);
    grid->addWidget(toSample_, 1, 3);
    grid->setColumnStretch(2, 1);
    group->setEnabled(model_.RangeEditable());

    connect(fromTime_, &QTimeEdit::editingFinished, this, [this] {
        model_.SetFirstTime(Hundredths(fromTime_->time()));
        ShowRange();
    });
    connect(toTime_, &QTimeEdit::editingFinished, this, [this] {
        model_.SetLastTime(Hundredths(toTime_->time()));
        ShowRange();
    });
    connect(fromSample_, &QSpinBox::valueChanged, this, [this](int sample) {
        model_.SetFirst(sample);
        ShowRange();
    });
    connect(toSample_, &QSpinBox::valueChanged, this, [this](int sample) {
        model_.SetLast(sample);
        ShowRange();
    });
    return group;
}

QWidget* TKLTMarkerDlg::CreateValues() {
    auto* group = new QGroupBox(tr("Values"), this);
    auto* grid = new QGridLayout(group);
    grid->addWidget(new QLabel(tr("Duration:"), group), 0, 0, Qt::AlignRight);
    duration_ = new QLabel(group);
    duration_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(duration_, 0, 1);
    grid->addWidget(new QLabel(tr("h"), group), 0, 2);
    int row = 1;
    for (const TShownValue& shown : kShownValues) {
        QLabel* name = nullptr;
        if (shown.caption != nullptr) {
            name = new QLabel(tr(shown.caption), group);
            name->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        } else {
            auto* kindName = new TPRLabelMesswertName(shown.kind, group);
            kindName->SetMesswertArtName(shown.name);
            name = kindName;
        }
        auto* value = new TPRLabelMesswert(shown.kind, group);
        value->SetMesswertTSep(true);
        grid->addWidget(name, row, 0);
        grid->addWidget(value, row, 1);
        grid->addWidget(new TPRLabelMesswertUnit(shown.kind, group), row, 2);
        values_.emplace_back(value, shown.value);
        ++row;
    }
    grid->setColumnMinimumWidth(1, fontMetrics().horizontalAdvance(QStringLiteral("000,000.0")));
    grid->setColumnStretch(3, 1);
    return group;
}

void TKLTMarkerDlg::ShowRange() {
    const QSignalBlocker blocks[] = {QSignalBlocker(fromTime_), QSignalBlocker(toTime_),
                                     QSignalBlocker(fromSample_), QSignalBlocker(toSample_)};
    fromTime_->setTime(TimeOfDay(model_.FirstTime()));
    toTime_->setTime(TimeOfDay(model_.LastTime()));
    fromSample_->setValue(model_.First());
    toSample_->setValue(model_.Last());
    const TKLTMarker& values = model_.Values();
    duration_->setText(ToQString(FormatTimeOfDay(values.Duration(), false)));
    for (auto& [label, value] : values_) {
        label->SetValue(static_cast<double>(value(values)));
    }
}

void TKLTMarkerDlg::accept() {
    model_.SetName(name_->currentText().toStdString());
    try {
        model_.Apply();
    } catch (const Exception& error) {
        Prompt().ShowMessage("Warning", error.what());
        return;
    }
    QDialog::accept();
}

bool ExecuteMarkerDialog(QWidget* parent, TKLTFile& file, int index, int enclosing) {
    file.EnsureLoaded();
    TKLTMarkerDlg dialog(file, index, enclosing, parent);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace klt
