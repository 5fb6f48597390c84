#include "ui/KLTOptionDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/KLTIniData.h"
#include "app/OptionDataUnit.h"
#include "core/Prompt.h"
#include "ui/AnalyseOptionsPage.h"
#include "ui/DiagramOptionsPage.h"
#include "ui/Dialogs.h"
#include "ui/MesswertDisplay.h"
#include "ui/PRComboBoxMesswertUnit.h"
#include "ui/RatioOptionsPage.h"

namespace klt {
namespace {

// Which canvas option a check box switches.
void BindCanvasOption(QCheckBox* box, uint32_t& options, TPRBGICanvasOption option) {
    box->setChecked((options & CanvasOptionBit(option)) != 0);
    QObject::connect(box, &QCheckBox::toggled, box, [&options, option](bool on) {
        options = on ? options | CanvasOptionBit(option) : options & ~CanvasOptionBit(option);
    });
}

} // namespace

TKLTOptionDlg::TKLTOptionDlg(TOptionData& options, TKLTIniData& configuration, TOptionDataNew* optionTree,
                             QWidget* parent)
    : QDialog(parent), options_(options), configuration_(configuration),
      model_(options, configuration.SystemData), optionTree_(optionTree) {
    setWindowTitle(tr("Options"));
    auto* layout = new QVBoxLayout(this);
    pages_ = new QTabWidget(this);
    pages_->addTab(CreateViewPage(), tr("View"));
    detail_ = new TDiagramOptionsPage(model_.options.DiagrammEinZDetail, false, pages_);
    trend_ = new TDiagramOptionsPage(model_.options.DiagrammEinZTrend, false, pages_);
    multiRow_ = new TDiagramOptionsPage(model_.options.DiagrammMehrZ, true, pages_);
    pages_->addTab(detail_, tr("Single row"));
    pages_->addTab(trend_, tr("Trend"));
    pages_->addTab(multiRow_, tr("Multi row"));
    analysis_ = new TAnalyseOptionsPage(model_.options.KLTAnalyse, pages_);
    conconi_ = new TAnalyseOptionsPage(model_.options.ConconiAnalyse, pages_);
    pages_->addTab(analysis_, tr("Analysis"));
    pages_->addTab(conconi_, tr("Conconi"));
    if (optionTree_ != nullptr) {
        ratio_ = std::make_unique<TRatioOptionsModel>(optionTree_->Sets().RatioDataChartOptionSet,
                                                      configuration.SystemData.UnitsSPD);
        ratioPage_ = new TRatioOptionsPage(*ratio_, pages_);
        pages_->addTab(ratioPage_, tr("Distribution"));
    }
    pages_->addTab(CreateUnitsPage(), tr("Units"));
    pages_->addTab(CreateGeneralPage(), tr("General"));
    layout->addWidget(pages_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &TKLTOptionDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TKLTOptionDlg::reject);
    layout->addWidget(buttons);
}

QCheckBox* TKLTOptionDlg::OptionBox(const QString& text, bool& value, QWidget* parent) {
    auto* box = new QCheckBox(text, parent);
    box->setChecked(value);
    connect(box, &QCheckBox::toggled, this, [&value](bool on) { value = on; });
    return box;
}

QWidget* TKLTOptionDlg::CreateViewPage() {
    TOptionData& o = model_.options;
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);

    auto* viewGroup = new QGroupBox(tr("Document"), page);
    auto* viewForm = new QFormLayout(viewGroup);
    auto* view = new QComboBox(viewGroup);
    view->addItems({tr("Single row"), tr("Multi row"), tr("Analysis"), tr("Statistics"), tr("Distribution"),
                    tr("Periods"), tr("Data editor")});
    view->setCurrentIndex(o.KLTGraphicType);
    connect(view, &QComboBox::currentIndexChanged, this,
            [&o](int index) { o.KLTGraphicType = static_cast<TKLTGraphicType>(index); });
    viewForm->addRow(tr("&View:"), view);
    viewForm->addRow(QString(),
                     OptionBox(tr("Single row shows the &trend"), o.ShowDiagrammEinZTrend, viewGroup));
    viewForm->addRow(QString(),
                     OptionBox(tr("Analysis shows the &Conconi test"), o.ShowConconiAnalyse, viewGroup));
    layout->addWidget(viewGroup);

    TKLTGraphicData& graphic = o.GraphicData;
    auto* drawGroup = new QGroupBox(tr("Drawing"), page);
    auto* drawForm = new QFormLayout(drawGroup);
    auto* horizontal = new QCheckBox(tr("&Horizontal helper lines"), drawGroup);
    auto* vertical = new QCheckBox(tr("V&ertical helper lines"), drawGroup);
    auto* zones = new QCheckBox(tr("Training &zones"), drawGroup);
    BindCanvasOption(horizontal, graphic.PRBGICanvasOptions, PlotHilfsLinieH);
    BindCanvasOption(vertical, graphic.PRBGICanvasOptions, PlotHilfsLinieV);
    BindCanvasOption(zones, graphic.PRBGICanvasOptions, PlotBereiche);
    drawForm->addRow(QString(), horizontal);
    drawForm->addRow(QString(), vertical);
    drawForm->addRow(QString(), zones);

    auto* palette = new QComboBox(drawGroup);
    palette->addItems({tr("Colour"), tr("Colour, light"), tr("Colour, dark"), tr("Grey"), tr("Grey, light"),
                       tr("Grey, dark"), tr("Black and white")});
    palette->setCurrentIndex(std::min<int>(graphic.PRBGICanvasPalette, palette->count() - 1));
    connect(palette, &QComboBox::currentIndexChanged, this,
            [&graphic](int index) { graphic.PRBGICanvasPalette = static_cast<TPRBGICanvasPalette>(index); });
    drawForm->addRow(tr("&Palette:"), palette);

    auto* fontRow = new QWidget(drawGroup);
    auto* fontLayout = new QHBoxLayout(fontRow);
    fontLayout->setContentsMargins(0, 0, 0, 0);
    auto* family = new QFontComboBox(fontRow);
    family->setCurrentFont(QFont(ToQString(graphic.DefaultFont.Name)));
    auto* size = new QSpinBox(fontRow);
    size->setRange(1, TFontData::kMaxSize);
    size->setValue(graphic.DefaultFont.Size);
    size->setSuffix(tr(" pt"));
    fontLayout->addWidget(family, 1);
    fontLayout->addWidget(size);
    auto* useDefault = OptionBox(tr("Use the &window's font"), graphic.UseDefaultFont, drawGroup);
    fontRow->setEnabled(!graphic.UseDefaultFont);
    connect(useDefault, &QCheckBox::toggled, fontRow, [fontRow](bool on) { fontRow->setEnabled(!on); });
    connect(family, &QFontComboBox::currentFontChanged, this,
            [&graphic](const QFont& font) { graphic.DefaultFont.Name = font.family().toStdString(); });
    connect(size, &QSpinBox::valueChanged, this,
            [&graphic](int points) { graphic.DefaultFont.Size = points; });
    drawForm->addRow(QString(), useDefault);
    drawForm->addRow(tr("&Font:"), fontRow);
    layout->addWidget(drawGroup);
    layout->addStretch(1);
    return page;
}

QWidget* TKLTOptionDlg::CreateUnitsPage() {
    TOptionDialogSystem& s = model_.system;
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    auto* group = new QGroupBox(tr("Values are shown and typed in"), page);
    auto* form = new QFormLayout(group);
    const std::array<std::tuple<TMesswertArtType, QString, int*>, 5> units = {{
        {mwaGeschwindigkeit, tr("&Speed:"), &s.unitsSPD},
        {mwaTemperatur, tr("&Temperature:"), &s.unitsTMP},
        {mwaHoehe, tr("&Altitude:"), &s.unitsAlt},
        {mwaStreckeKurz, tr("&Distance:"), &s.unitsDST},
        {mwaRadumfang, tr("&Circumference of tire:"), &s.unitsCOW},
    }};
    for (const auto& [kind, label, value] : units) {
        auto* box = new TPRComboBoxMesswertUnit(kind, group);
        box->SetUnitIndex(*value);
        int* unit = value;
        connect(box, &QComboBox::currentIndexChanged, this, [unit](int index) { *unit = index; });
        form->addRow(label, box);
    }
    layout->addWidget(group);
    layout->addStretch(1);
    return page;
}

QWidget* TKLTOptionDlg::CreateGeneralPage() {
    TOptionDialogSystem& s = model_.system;
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    auto* display = new QGroupBox(tr("Main window"), page);
    auto* displayLayout = new QVBoxLayout(display);
    displayLayout->addWidget(OptionBox(tr("Show the tool&bar"), s.showSpeedbar, display));
    displayLayout->addWidget(OptionBox(tr("Show the status &line"), s.showStatusLine, display));
    layout->addWidget(display);

    auto* applyTo = new QGroupBox(tr("Apply these options"), page);
    auto* applyLayout = new QVBoxLayout(applyTo);
    applyLayout->addWidget(OptionBox(tr("As defaults for &new files"), s.defaultNewFiles, applyTo));
    applyLayout->addWidget(OptionBox(tr("To &all open files"), s.defaultAllFiles, applyTo));
    layout->addWidget(applyTo);
    layout->addStretch(1);
    return page;
}

bool TKLTOptionDlg::TakeRatioOptions() {
    TKLTRatioDataChartOptionSet& profile = optionTree_->Sets().RatioDataChartOptionSet;
    TKLTRatioDataChartOptionSet edited(profile);
    if (!ratio_->WriteBack(edited) || edited.Equals(profile)) {
        return false;
    }
    profile.Assign(edited);
    optionTree_->Save();
    return true;
}

void TKLTOptionDlg::accept() {
    if (const auto problem = model_.Problem()) {
        pages_->setCurrentWidget(problem->conconi ? conconi_ : analysis_);
        Prompt().ShowMessage("Warning", problem->text);
        return;
    }
    if (const std::optional<TRatioProblem> problem = ratio_ ? ratio_->Problem() : std::nullopt) {
        pages_->setCurrentWidget(ratioPage_);
        Prompt().ShowMessage("Warning", problem->text);
        ratioPage_->FocusProblem();
        return; // the dialog stays open with every value as typed
    }
    model_.WriteBack(options_, configuration_.SystemData);
    ratioChanged_ = ratio_ && TakeRatioOptions();
    QDialog::accept();
}

bool ExecuteOptionDialog(QWidget* parent, TOptionData& options, TKLTIniData& configuration,
                         TOptionDataNew& optionTree) {
    TKLTOptionDlg dialog(options, configuration, &optionTree, parent);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    if (accepted && dialog.RatioChanged()) {
        TMesswertDisplayNotifier::Instance().Notify(); // every window's distribution view follows the profile
    }
    return accepted;
}

} // namespace klt
