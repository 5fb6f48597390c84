#include "ui/RatioOptionsPage.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

#include "analysis/RatioChart.h"
#include "ui/MesswertDisplay.h"

namespace klt {
namespace {

QSpinBox* Edit(QWidget* parent, std::pair<int, int> range, int& value, const QString& suffix) {
    auto* box = new QSpinBox(parent);
    box->setRange(range.first, range.second);
    box->setValue(value);
    box->setSuffix(suffix);
    QObject::connect(box, &QSpinBox::valueChanged, box, [&value](int v) { value = v; });
    return box;
}

} // namespace

TRatioOptionsPage::TRatioOptionsPage(TRatioOptionsModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    layout->addLayout(grid);
    grid->addWidget(new QLabel(tr("Minimum"), this), 0, 1);
    grid->addWidget(new QLabel(tr("Maximum"), this), 0, 2);
    grid->addWidget(new QLabel(tr("Class width"), this), 0, 3);
    const std::array<QString, kRatioChannels> captions = {tr("&Power"), tr("&Heart rate"), tr("&Cadence"),
                                                          tr("&Speed")};
    for (int c = 0; c < kRatioChannels; ++c) {
        const auto channel = static_cast<TRatioChannel>(c);
        TRatioChannelEdit& edit = model_.channels[static_cast<size_t>(c)];
        TChannelFields& fields = fields_[static_cast<size_t>(c)];
        const QString unit = QStringLiteral(" ") + ToQString(RatioUnitName(channel, model_.SpeedUnit()));
        const std::pair<int, int> limits = model_.Limits(channel);
        fields.enabled = new QCheckBox(captions[static_cast<size_t>(c)], this);
        fields.enabled->setChecked(edit.enabled);
        fields.enabled->setToolTip(tr("Show this channel's chart and its means in the other charts"));
        connect(fields.enabled, &QCheckBox::toggled, this, [&edit](bool on) { edit.enabled = on; });
        fields.minimum = Edit(this, limits, edit.minimum, unit);
        fields.maximum = Edit(this, limits, edit.maximum, unit);
        fields.classWidth = Edit(this, {1, limits.second}, edit.classWidth, unit);
        const int row = c + 1;
        grid->addWidget(fields.enabled, row, 0);
        grid->addWidget(fields.minimum, row, 1);
        grid->addWidget(fields.maximum, row, 2);
        grid->addWidget(fields.classWidth, row, 3);
    }

    auto* smoothingRow = new QHBoxLayout;
    smooting_ = Edit(this, {0, TRatioOptionsModel::kMaxSmooting}, model_.smooting, tr(" s"));
    smooting_->setToolTip(tr("Each value is averaged over this time before it is counted"));
    auto* smoothingLabel = new QLabel(tr("Sm&oothing:"), this);
    smoothingLabel->setBuddy(smooting_);
    smoothingRow->addWidget(smoothingLabel);
    smoothingRow->addWidget(smooting_);
    smoothingRow->addStretch(1);
    layout->addLayout(smoothingRow);

    grid_ = new QCheckBox(tr("Draw the &grid"), this);
    grid_->setChecked(model_.drawGrid);
    connect(grid_, &QCheckBox::toggled, this, [this](bool on) { model_.drawGrid = on; });
    layout->addWidget(grid_);
    layout->addStretch(1);
}

void TRatioOptionsPage::FocusProblem() {
    const std::optional<TRatioProblem> problem = model_.Problem();
    if (!problem) {
        return;
    }
    QSpinBox* field = smooting_;
    if (problem->channel >= 0) {
        const TChannelFields& fields = fields_[static_cast<size_t>(problem->channel)];
        field = problem->field == TRatioProblem::Minimum   ? fields.minimum
                : problem->field == TRatioProblem::Maximum ? fields.maximum
                                                           : fields.classWidth;
    }
    field->setFocus();
    field->selectAll();
}

} // namespace klt
