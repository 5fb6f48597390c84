// Keys and mouse of the time-series diagrams: smoothing, marker display, scales and selection.
#include "analysis/DiagramValueTexts.h"
#include "analysis/Diagramm.h"
#include "analysis/GlaettungsStufen.h"
#include "core/KLTFile.h"

namespace klt {
namespace {

constexpr uint32_t kModifiers = TShift::Shift | TShift::Alt | TShift::Ctrl;

// The scale the arrow keys move with these modifiers, or none.
TMesswertArtType ArrowKeyScale(uint32_t modifiers) {
    switch (modifiers) {
    case TShift::Alt:
        return mwaLeistung;
    case TShift::Ctrl:
        return mwaHerzfrequenz;
    case TShift::Ctrl | TShift::Alt:
        return mwaGeschwindigkeit;
    case TShift::Ctrl | TShift::Shift:
        return mwaTretfrequenz;
    default:
        return mwaNone;
    }
}

} // namespace

bool TKLTDiagrammMehrZData::KeyDown(int key, uint32_t shift) {
    const uint32_t modifiers = shift & kModifiers;
    if (modifiers == 0 && (key == TKey::F2 || key == TKey::F3)) {
        MaxGlaettung = key == TKey::F2 ? NextGlaettung(MaxGlaettung) : PreviousGlaettung(MaxGlaettung);
        return true;
    }
    if (modifiers == TShift::Ctrl && key == 'Q') {
        PlotMarkerInfo = static_cast<TPlotMarkerInfo>((PlotMarkerInfo + 1) % PlotMarkerInfoNames.size());
        return true;
    }
    if (modifiers == TShift::Ctrl && key == 'W') {
        PlotMarker = !PlotMarker;
        return true;
    }
    const TMesswertArtType kind = ArrowKeyScale(modifiers);
    if (kind == mwaNone || !Skala(kind).Visible()) {
        return false;
    }
    TMesswertSkala& skala = Skala(kind);
    switch (key) {
    case TKey::Left:
        skala.StepOffset(-1);
        return true;
    case TKey::Right:
        skala.StepOffset(1);
        return true;
    case TKey::Up:
        skala.StepBereich(1);
        return true;
    case TKey::Down:
        skala.StepBereich(-1);
        return true;
    default:
        return false;
    }
}

void TKLTDiagrammMehrZData::MouseDown(const TDiagramView& view, TPRBGICanvas& canvas, TMouseButton button,
                                      uint32_t shift, int x, int y) {
    if (button != TMouseButton::Left || (shift & TShift::Double) != 0 || !Layout(view, canvas)) {
        return;
    }
    const int sample = SampleAt(x, y);
    view.file->SetSelection(true, sample, sample);
}

void TKLTDiagrammMehrZData::MouseMove(const TDiagramView& view, TPRBGICanvas& canvas, uint32_t shift, int x,
                                      int y) {
    if (!Layout(view, canvas)) {
        TKLTGraphicControl::MouseMove(view, canvas, shift, x, y);
        return;
    }
    TKLTFile& file = *view.file;
    const int sample = SampleAt(x, y);
    std::string hint;
    if ((shift & TShift::Left) != 0) {
        file.SetSelection(true, file.SelectionFirst(), sample);
        hint = RangeHint(file, file.SelectionFirst(), sample);
    } else {
        file.SetSelection(file.SelectionActive(), file.SelectionFirst(), file.SelectionLast());
        hint = SampleHint(file, sample);
    }
    if (view.host != nullptr) {
        view.host->SetHint(hint);
    }
}

void TKLTDiagrammMehrZData::MouseUp(const TDiagramView& view, TPRBGICanvas&, TMouseButton button,
                                    uint32_t shift, int, int) {
    // A plain click leaves a one-sample selection behind: only a dragged range makes a marker.
    if (button != TMouseButton::Left || (shift & TShift::Double) != 0 || view.file == nullptr ||
        view.host == nullptr) {
        return;
    }
    const TKLTFile& file = *view.file;
    if (file.SelectionActive() && file.SelectionFirst() != file.SelectionLast()) {
        view.host->CreateMarkerFromSelection();
    }
}

} // namespace klt
