#include "ui/DiagramOptionsPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QSpinBox>
#include <QVBoxLayout>

#include "analysis/Diagramm.h"
#include "app/OptionDialogModel.h"
#include "ui/MesswertDisplay.h"
#include "ui/PRGroupboxMesswertSkala.h"

namespace klt {

TDiagramOptionsPage::TDiagramOptionsPage(TKLTDiagrammMehrZData& diagram, bool withRows, QWidget* parent)
    : QWidget(parent), data_(diagram), smoothing_(new QComboBox(this)),
      marker_(new QCheckBox(tr("Show marker &bars"), this)), markerInfo_(new QComboBox(this)) {
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);

    for (const TSmoothingChoice& choice : TOptionDialogModel::SmoothingChoices(data_.MaxGlaettung)) {
        smoothing_->addItem(ToQString(choice.text), choice.value);
        if (choice.value == data_.MaxGlaettung) {
            smoothing_->setCurrentIndex(smoothing_->count() - 1);
        }
    }
    smoothing_->setToolTip(
        tr("Moving average over a time or a share of the shown time (F2 and F3 in the view)"));
    connect(smoothing_, &QComboBox::currentIndexChanged, this,
            [this](int index) { data_.MaxGlaettung = smoothing_->itemData(index).toInt(); });
    form->addRow(tr("Sm&oothing:"), smoothing_);

    if (withRows) {
        rows_ = new QSpinBox(this);
        const TMesswertArt& rows = MesswertArt(mwaMaxAnzahlDiagramme);
        rows_->setRange(static_cast<int>(rows.Minimum()), static_cast<int>(rows.Maximum()));
        rows_->setValue(data_.MaxAnzahlDiagramme);
        rows_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        rows_->setToolTip(tr("Rows wanted; fewer are drawn when the window is too low for them"));
        connect(rows_, &QSpinBox::valueChanged, this,
                [this](int value) { data_.MaxAnzahlDiagramme = value; });
        form->addRow(tr("&Rows:"), rows_);
    }

    marker_->setChecked(data_.PlotMarker);
    connect(marker_, &QCheckBox::toggled, this, [this](bool on) { data_.PlotMarker = on; });
    form->addRow(QString(), marker_);

    markerInfo_->addItems({tr("nowhere"), tr("above the bars"), tr("above and below"), tr("below the bars")});
    markerInfo_->setCurrentIndex(data_.PlotMarkerInfo);
    connect(markerInfo_, &QComboBox::currentIndexChanged, this,
            [this](int index) { data_.PlotMarkerInfo = static_cast<TPlotMarkerInfo>(index); });
    form->addRow(tr("Marker i&nfo:"), markerInfo_);

    auto* scales = new QGridLayout;
    layout->addLayout(scales);
    const std::array<std::pair<TMesswertSkala*, char>, 6> shown = {{{&data_.SkalaLeistung, 'P'},
                                                                    {&data_.SkalaGeschwindigkeit, 'S'},
                                                                    {&data_.SkalaTretfrequenz, 'C'},
                                                                    {&data_.SkalaHerzfrequenz, 'H'},
                                                                    {&data_.SkalaHoehe, 'A'},
                                                                    {&data_.SkalaTemp, 'e'}}};
    for (int i = 0; i < static_cast<int>(shown.size()); ++i) {
        auto* box = new TPRGroupboxMesswertSkala(this);
        box->SetMesswertAccelChar(shown[static_cast<size_t>(i)].second);
        box->SetSkala(shown[static_cast<size_t>(i)].first);
        scales->addWidget(box, i / 3, i % 3);
    }
    layout->addStretch(1);
}

} // namespace klt
