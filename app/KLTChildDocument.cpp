#include "app/KLTChildDocument.h"

#include <algorithm>
#include <utility>

#include "analysis/DiagramInput.h"
#include "app/KLTIniData.h"
#include "app/OptionDataUnit.h"
#include "core/KLTFileRegistry.h"

namespace klt {
namespace {

constexpr int kDocumentChanges = TKLTChange::Caption | TKLTChange::Repaint | TKLTChange::Samples;
constexpr int kMinRows = 2;
constexpr int kMaxRows = 5;

void ToggleCanvasOption(TKLTGraphicData& data, TPRBGICanvasOption option) {
    data.PRBGICanvasOptions ^= CanvasOptionBit(option);
}

} // namespace

const TTrainingZoneSet& ChooseZoneSet(const TAnalyseOptionSet& sets, int32_t trainingDate) {
    for (const TTrainingZoneSet& set : sets.ZoneSets()) {
        if (set.Date > trainingDate) {
            return set;
        }
    }
    return sets.ZoneSets().back(); // the option set always holds one
}

TKLTChildDocument::TKLTChildDocument(const std::string& path, IKLTFileView* view,
                                     IChildDocumentWindow& window, TKLTIniData& configuration,
                                     TOptionDataNew& optionTree)
    : view_(view), window_(window), configuration_(configuration), optionTree_(optionTree) {
    ratio_.SetOptions(&optionTree_.Sets().RatioDataChartOptionSet);
    file_ = &KLTFileRegistry().OpenTraining(path, nullptr);
    BeginUpdate();
    bool registered = false;
    try {
        file_->EnsureLoaded();
        file_->AddView(view_);
        registered = true;
        configuration_.FileHistory.AddFile(file_->FileName());
        options_.Assign(configuration_.OptionData);
        if (options_.KLTGraphicType == gtPeriodical) {
            options_.KLTGraphicType = gtSingleRow;
        }
        ChooseZoneSet();
    } catch (...) {
        configuration_.FileHistory.RemoveFile(path);
        configuration_.FileHistory.RemoveFile(file_->FileName());
        KLTFileRegistry().ReleaseTraining(*file_, registered ? view_ : nullptr);
        throw;
    }
    // The window may not hold the document yet while the file greets its new view.
    pending_ |= TKLTChange::Everything;
}

TKLTChildDocument::~TKLTChildDocument() {
    KLTFileRegistry().ReleaseTraining(*file_, view_);
}

// --- Changes ---

void TKLTChildDocument::TrainingChanged(int changes) {
    pending_ |= changes;
    HandlePending();
}

void TKLTChildDocument::EndUpdate() {
    if (updateDepth_ > 0) {
        --updateDepth_;
    }
    HandlePending();
}

void TKLTChildDocument::HandlePending() {
    while (updateDepth_ == 0 && pending_ != 0) {
        const int changes = std::exchange(pending_, 0);
        BeginUpdate(); // what handling these raises is handled after them
        currentMarker_ = std::clamp(currentMarker_, 0, std::max(file_->MarkerCount() - 1, 0));
        bool repaint = false;
        if ((changes & TKLTChange::Samples) != 0) {
            ratio_.Invalidate();
        }
        if ((changes & TKLTChange::Markers) != 0) {
            RebuildMarkerTabs();
            repaint = true;
        }
        if ((changes & kDocumentChanges) != 0) {
            window_.SetCaption(CaptionText());
            repaint = true;
        }
        if (repaint) {
            window_.StatisticsChanged();
            window_.Repaint();
        } else if ((changes & TKLTChange::Selection) != 0) {
            for (const TSampleSpan& span : SelectionUpdate()) {
                window_.InvertSelection(span.from, span.to);
            }
        }
        --updateDepth_;
    }
}

// --- Markers ---

void TKLTChildDocument::SetCurrentMarker(int marker) {
    marker = std::clamp(marker, 0, std::max(file_->MarkerCount() - 1, 0));
    if (marker == currentMarker_) {
        return;
    }
    currentMarker_ = marker;
    TrainingChanged(TKLTChange::Markers | TKLTChange::Caption);
}

std::vector<std::string> TKLTChildDocument::MarkerTabTexts() const {
    std::vector<std::string> texts;
    for (int i = 0; i < file_->MarkerCount(); ++i) {
        texts.push_back(file_->MarkerCaption(i, 1 | 4) + " ");
    }
    return texts;
}

void TKLTChildDocument::RebuildMarkerTabs() {
    rebuildingTabs_ = true;
    CollapseSelection();
    window_.SetMarkerTabs(MarkerTabTexts(), std::max(currentMarker_, 0));
    rebuildingTabs_ = false;
    if (currentMarker_ != lastMarker_) {
        lastMarker_ = currentMarker_;
        pending_ |= TKLTChange::Caption;
    }
}

bool TKLTChildDocument::SelectTab(int index) {
    if (rebuildingTabs_) {
        return false;
    }
    SetCurrentMarker(index);
    return true;
}

std::string TKLTChildDocument::MarkerInfoText(int index) const {
    if (index < 0 || index >= file_->MarkerCount()) {
        return {};
    }
    return file_->MarkerDescription(index, TDateForm::Long, true);
}

std::string TKLTChildDocument::PreviewTab(int index) {
    if (index < 0 || index >= file_->MarkerCount()) {
        EndPreview();
        return {};
    }
    if (!previewSaved_) {
        previewSaved_ =
            TSavedSelection{file_->SelectionActive(), file_->SelectionFirst(), file_->SelectionLast()};
    }
    const TKLTMarker& marker = file_->Marker(index);
    file_->SetSelection(true, marker.first, marker.last);
    return MarkerInfoText(index);
}

void TKLTChildDocument::EndPreview() {
    if (const std::optional<TSavedSelection> saved = std::exchange(previewSaved_, std::nullopt)) {
        file_->SetSelection(saved->active, saved->first, saved->last);
    }
}

// --- Views and options ---

bool TKLTChildDocument::SetView(TKLTGraphicType view) {
    if (view == gtPeriodical) {
        return true; // the training chart is a window of its own
    }
    if (View() == gtEdit && view != gtEdit && !ResolveTableEdits()) {
        return false;
    }
    TOptionData next;
    next.Assign(options_);
    if (view != View()) {
        next.KLTGraphicType = view;
    } else if (view == gtSingleRow) {
        next.ShowDiagrammEinZTrend = !next.ShowDiagrammEinZTrend;
    } else if (view == gtMultiRow) {
        const int32_t rows = next.DiagrammMehrZ.MaxAnzahlDiagramme;
        next.DiagrammMehrZ.MaxAnzahlDiagramme = rows >= kMinRows && rows < kMaxRows ? rows + 1 : kMinRows;
    } else if (view == gtAnalyse) {
        next.ShowConconiAnalyse = !next.ShowConconiAnalyse;
    }
    window_.RequestOptions(next);
    return true;
}

bool TKLTChildDocument::ViewNeedsRepaint(const TOptionData& options) const {
    if (options.KLTGraphicType != View() || !options.GraphicData.Equals(options_.GraphicData)) {
        return true;
    }
    switch (View()) {
    case gtSingleRow:
        return options.ShowDiagrammEinZTrend != options_.ShowDiagrammEinZTrend ||
               (options.ShowDiagrammEinZTrend
                    ? !options.DiagrammEinZTrend.Equals(options_.DiagrammEinZTrend)
                    : !options.DiagrammEinZDetail.Equals(options_.DiagrammEinZDetail));
    case gtMultiRow:
        return !options.DiagrammMehrZ.Equals(options_.DiagrammMehrZ);
    case gtAnalyse:
        return options.ShowConconiAnalyse != options_.ShowConconiAnalyse ||
               (options.ShowConconiAnalyse ? !options.ConconiAnalyse.Equals(options_.ConconiAnalyse)
                                           : !options.KLTAnalyse.Equals(options_.KLTAnalyse));
    case gtRatio:
        return ratio_.OptionsChanged(); // the profile's settings, changed since the last paint
    default:
        return false;
    }
}

bool TKLTChildDocument::ApplyOptions(const TOptionData& options, bool force) {
    const TKLTGraphicType view = options.KLTGraphicType == gtPeriodical ? View() : options.KLTGraphicType;
    if (View() == gtEdit && view != gtEdit && !ResolveTableEdits()) {
        return false;
    }
    if (view == gtEdit && !PrepareDataEditor()) {
        return false;
    }
    TOptionData next;
    next.Assign(options);
    next.KLTGraphicType = view;
    ratio_.SetSpeedUnit(configuration_.SystemData.UnitsSPD);
    const bool repaint = force || ViewNeedsRepaint(next);
    options_.Assign(next);
    ChooseZoneSet();
    window_.ShowView(view);
    if (repaint) {
        window_.StatisticsChanged();
        window_.Repaint();
    }
    return repaint;
}

void TKLTChildDocument::ChooseZoneSet() {
    const TTrainingZoneSet& set =
        klt::ChooseZoneSet(optionTree_.Sets().AnalyseOptionSet, file_->Header().date);
    options_.DiagrammMehrZ.TrainingZoneSet = set;
    options_.DiagrammEinZDetail.TrainingZoneSet = set;
    options_.DiagrammEinZTrend.TrainingZoneSet = set;
    options_.KLTAnalyse.TrainingZoneSet = set;
    options_.ConconiAnalyse.TrainingZoneSet = set;
}

TKLTGraphicControl* TKLTChildDocument::DiagramOf(TOptionData& options) {
    switch (options.KLTGraphicType) {
    case gtSingleRow:
        return options.ShowDiagrammEinZTrend ? static_cast<TKLTGraphicControl*>(&options.DiagrammEinZTrend)
                                             : &options.DiagrammEinZDetail;
    case gtMultiRow:
        return &options.DiagrammMehrZ;
    case gtAnalyse:
        return options.ShowConconiAnalyse ? static_cast<TKLTGraphicControl*>(&options.ConconiAnalyse)
                                          : &options.KLTAnalyse;
    default:
        return nullptr;
    }
}

TKLTGraphicControl* TKLTChildDocument::Diagram() {
    if (View() == gtRatio) {
        ratio_.SetSpeedUnit(configuration_.SystemData.UnitsSPD);
        return &ratio_;
    }
    return DiagramOf(options_);
}

std::string TKLTChildDocument::DiagramTitle() const {
    switch (View()) {
    case gtSingleRow:
        return optionTree_.Sets().SingleChart.ChartTitle;
    case gtMultiRow:
        return optionTree_.Sets().MultiChart.ChartTitle;
    default:
        return {};
    }
}

bool TKLTChildDocument::KeyDown(int key, uint32_t shift) {
    if (View() == gtEdit) {
        return false;
    }
    TOptionData next;
    next.Assign(options_);
    // The diagram changes a copy, so that applying it tells the difference.
    if (TKLTGraphicControl* diagram = DiagramOf(next); diagram != nullptr && diagram->KeyDown(key, shift)) {
        window_.RequestOptions(next);
        return true;
    }
    const bool ctrl = (shift & TShift::Ctrl) != 0;
    const bool alt = (shift & TShift::Alt) != 0;
    if (ctrl && !alt) {
        TKLTGraphicData& graphic = next.GraphicData;
        switch (key) {
        case 'B':
            graphic.PRBGICanvasPalette =
                graphic.PRBGICanvasPalette == PaletteUnknown
                    ? PaletteColor
                    : static_cast<TPRBGICanvasPalette>(graphic.PRBGICanvasPalette + 1);
            break;
        case 'X':
            ToggleCanvasOption(graphic, PlotHilfsLinieV);
            break;
        case 'Y':
            ToggleCanvasOption(graphic, PlotHilfsLinieH);
            break;
        case 'Z':
            ToggleCanvasOption(graphic, PlotBereiche);
            break;
        default:
            return false;
        }
        window_.RequestOptions(next);
        return true;
    }
    if (ctrl || alt) {
        return false;
    }
    const bool markerKey = key == TKey::Left || key == TKey::Right || key == TKey::Up || key == TKey::Down;
    if (markerKey && file_->MarkerCount() == 0) {
        return false; // a training that went away has no markers to walk
    }
    switch (key) {
    case TKey::Left:
        SetCurrentMarker(std::max(currentMarker_ - 1, 0));
        return true;
    case TKey::Right:
        SetCurrentMarker(currentMarker_ + 1);
        return true;
    case TKey::Up: {
        const TKLTMarker& current = file_->Marker(currentMarker_);
        for (int i = currentMarker_ - 1; i >= 0; --i) {
            const TKLTMarker& outer = file_->Marker(i);
            if (i == 0 || (outer.first <= current.first && outer.last >= current.last)) {
                SetCurrentMarker(i);
                break;
            }
        }
        return true;
    }
    case TKey::Down:
        if (currentMarker_ + 1 < file_->MarkerCount()) {
            const TKLTMarker& current = file_->Marker(currentMarker_);
            const TKLTMarker& inner = file_->Marker(currentMarker_ + 1);
            if (inner.first >= current.first && inner.last <= current.last) {
                SetCurrentMarker(currentMarker_ + 1);
            }
        }
        return true;
    case TKey::F6:
        SetView(View() == gtSingleRow ? gtMultiRow : gtSingleRow);
        return true;
    case TKey::F7:
        SetView(View() == gtAnalyse ? gtMultiRow : gtAnalyse);
        return true;
    default:
        return false;
    }
}

// --- Selection painting ---

TSelectionRange TKLTChildDocument::ShownSelection() const {
    // The distribution has no time axis to show a selection on.
    if (!IsPaintBoxView(View()) || View() == gtRatio || !file_->SelectionActive() || file_->MarkerCount() == 0 ||
        file_->SampleCount() == 0) {
        return {};
    }
    const TKLTMarker& marker = file_->Marker(currentMarker_);
    const int from = std::max(std::min(file_->SelectionFirst(), file_->SelectionLast()), marker.first);
    const int last = std::min(std::max(file_->SelectionFirst(), file_->SelectionLast()), marker.last);
    if (from > last) {
        return {};
    }
    return {true, from, last + 1};
}

std::vector<TSampleSpan> TKLTChildDocument::SelectionUpdate() {
    const TSelectionRange wanted = ShownSelection();
    std::vector<TSampleSpan> spans = SelectionInversions(painted_, wanted);
    painted_ = wanted;
    return spans;
}

void TKLTChildDocument::CollapseSelection() {
    file_->SetSelection(false, file_->SelectionLast(), file_->SelectionLast());
}

// --- Caption ---

int TKLTChildDocument::ViewNumber() const {
    const std::vector<IKLTFileView*>& views = file_->Views();
    const auto it = std::find(views.begin(), views.end(), view_);
    return it == views.end() ? 0 : static_cast<int>(it - views.begin()) + 1;
}

std::string TKLTChildDocument::CaptionText() const {
    std::string text = file_->MarkerCount() > 0
                           ? file_->MarkerDescription(currentMarker_, TDateForm::Short, false)
                           : file_->FileName();
    if (file_->Views().size() > 1) {
        text += ";" + std::to_string(ViewNumber());
    }
    return text;
}

} // namespace klt
