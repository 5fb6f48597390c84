#include "analysis/Diagramm.h"
#include "core/KLTFile.h"

namespace klt {

void TKLTGraphicControl::Paint(const TDiagramView&, TPRBGICanvas&) {}

void TKLTGraphicControl::SelectionPaint(const TDiagramView&, TPRBGICanvas&, int, int) {}

bool TKLTGraphicControl::KeyDown(int, uint32_t) {
    return false;
}

void TKLTGraphicControl::MouseDown(const TDiagramView&, TPRBGICanvas&, TMouseButton, uint32_t, int, int) {}

void TKLTGraphicControl::MouseMove(const TDiagramView& view, TPRBGICanvas&, uint32_t, int, int) {
    if (view.host != nullptr) {
        view.host->SetHint({});
    }
    if (view.file != nullptr) {
        TKLTFile& file = *view.file;
        file.SetSelection(file.SelectionActive(), file.SelectionFirst(), file.SelectionLast());
    }
}

void TKLTGraphicControl::MouseUp(const TDiagramView&, TPRBGICanvas&, TMouseButton, uint32_t, int, int) {}

} // namespace klt
