#include "analysis/Analyse.h"

#include <algorithm>

#include "analysis/GlaettungsStufen.h"
#include "analysis/PRBGICanvas.h"
#include "core/MesswertSkalaProperties.h"

namespace klt {
namespace {

// A day; longer delays between effort and heart rate mean nothing and would only cost time.
constexpr int32_t MaxZeitVersatzLimit = 8640000;

} // namespace

void TKLTAnalyseData::Paint(const TDiagramView&, TPRBGICanvas& canvas) {
    const TCanvasSize size = canvas.TextExtent(kAnalysisNotAvailable);
    canvas.SetTextColor(TRgb{});
    canvas.TextOut(std::max(0, (canvas.Width() - size.width) / 2), std::max(0, (canvas.Height() - size.height) / 2),
                   kAnalysisNotAvailable);
}

TKLTAnalyseData::TKLTAnalyseData() : TKLTAnalyseData(TDefaults{true, 24000, 0, 200, 12000}) {}

TKLTAnalyseData::TKLTAnalyseData(const TDefaults& defaults) : defaults_(defaults) {
    SkalaHerzfrequenz.SetStep(8);
    SkalaLeistung.SetStep(10);
    SetToDefaults();
}

void TKLTAnalyseData::SetToDefaults() {
    ShowHistogramm = defaults_.showHistogramm;
    ZeitGlaettung = defaults_.zeitGlaettung;
    MinZeitVersatz = defaults_.minZeitVersatz;
    OfsZeitVersatz = defaults_.ofsZeitVersatz;
    MaxZeitVersatz = defaults_.maxZeitVersatz;
    SkalaHerzfrequenz.SetDisplayRange(true, 190, 70);
    SkalaLeistung.SetDisplayRange(true, 600, 0);
}

void TKLTAnalyseData::VisitProperties(TPropertyVisitor& visitor) {
    visitor.Field("ShowHistogramm", ShowHistogramm);
    visitor.Field("ZeitGlaettung", ZeitGlaettung, GlaettungsStufen.front(), GlaettungsStufen.back());
    visitor.Field("MinZeitVersatz", MinZeitVersatz, 0, MaxZeitVersatzLimit);
    visitor.Field("OfsZeitVersatz", OfsZeitVersatz, 0, MaxZeitVersatzLimit);
    visitor.Field("MaxZeitVersatz", MaxZeitVersatz, 0, MaxZeitVersatzLimit);
    SkalaProperty(visitor, "SkalaHerzfrequenz", SkalaHerzfrequenz);
    SkalaProperty(visitor, "SkalaLeistung", SkalaLeistung);
}

TConconiAnalyseData::TConconiAnalyseData() : TKLTAnalyseData(TDefaults{false, 1500, 0, 0, 0}) {}

} // namespace klt
