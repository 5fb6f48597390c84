#include "analysis/Analyse.h"

#include "analysis/GlaettungsStufen.h"
#include "core/MesswertSkalaProperties.h"

namespace klt {
namespace {

// A day; longer delays between effort and heart rate mean nothing and would only cost time.
constexpr int32_t MaxZeitVersatzLimit = 8640000;

} // namespace

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

void TKLTAnalyseData::Assign(const TPersistent& source) {
    TKLTGraphicControl::Assign(source);
    if (const auto* analyse = dynamic_cast<const TKLTAnalyseData*>(&source)) {
        TrainingZoneSet = analyse->TrainingZoneSet;
    }
}

bool TKLTAnalyseData::Equals(const TPersistent& other) const {
    const auto* analyse = dynamic_cast<const TKLTAnalyseData*>(&other);
    return analyse != nullptr && TrainingZoneSet == analyse->TrainingZoneSet && TKLTGraphicControl::Equals(other);
}

THeartRateFitParameters TKLTAnalyseData::FitParameters() const {
    return {ZeitGlaettung, MinZeitVersatz, MaxZeitVersatz, OfsZeitVersatz};
}

std::string TKLTAnalyseData::Title() const {
    return "KLT-Data-Analysis";
}

TConconiAnalyseData::TConconiAnalyseData() : TKLTAnalyseData(TDefaults{false, 1500, 0, 0, 0}) {}

std::string TConconiAnalyseData::Title() const {
    return "Conconi-Analysis";
}

} // namespace klt
