#include "analysis/Diagramm.h"

#include <algorithm>

#include "analysis/GlaettungsStufen.h"
#include "core/MesswertSkalaProperties.h"
#include "core/PRMesWrt.h"

namespace klt {
namespace {

// Upper ends of the default speed window in km/h, m/s and mph: round numbers of similar speed.
constexpr std::array<double, 3> DefaultSpeedByUnit = {60, 16, 40};

// Altitude and temperature windows are fixed in metres and °C, so that they show the same heights
// and temperatures whichever unit the user reads them in.
constexpr double DefaultAltitudeMetres = 500;
constexpr double DefaultTemperatureTenthsDegree = 250;

void ShowDisplayRange(TMesswertSkala& skala, double lower, double upper) {
    skala.SetDisplayRange(true, upper, lower);
}

// As SetDisplayRange does it, but in raw units, so that no unit conversion rounds the ends.
void ShowRawRange(TMesswertSkala& skala, double lower, double upper) {
    skala.SetVisible(true);
    skala.SetOffset(0);
    skala.SetBereich(0);
    skala.SetOffset(lower);
    skala.SetBereich(upper - lower);
}

} // namespace

TKLTDiagrammMehrZData::TKLTDiagrammMehrZData() : TKLTDiagrammMehrZData(TDefaults{-1, 2, true, 600}) {}

TKLTDiagrammMehrZData::TKLTDiagrammMehrZData(const TDefaults& defaults) : defaults_(defaults) {
    SkalaLeistung.SetStep(8);
    SkalaGeschwindigkeit.SetStep(8);
    SkalaTretfrequenz.SetStep(8);
    SkalaHerzfrequenz.SetStep(8);
    SkalaHoehe.SetStep(10);
    SkalaTemp.SetStep(1);
    SetToDefaults();
}

void TKLTDiagrammMehrZData::SetToDefaults() {
    MaxGlaettung = defaults_.maxGlaettung;
    MaxAnzahlDiagramme = defaults_.maxAnzahlDiagramme;
    PlotMarker = defaults_.plotMarker;
    PlotMarkerInfo = PlotMarkerInfoOben;
    ShowDisplayRange(SkalaLeistung, 0, defaults_.powerWatts);
    const int speedUnit = MesswertArt(mwaGeschwindigkeit).UnitIndex();
    ShowDisplayRange(SkalaGeschwindigkeit, 0,
                     DefaultSpeedByUnit.at(static_cast<size_t>(std::clamp(speedUnit, 0, 2))));
    ShowDisplayRange(SkalaTretfrequenz, 40, 200);
    ShowDisplayRange(SkalaHerzfrequenz, 40, 200);
    ShowRawRange(SkalaHoehe, 0, DefaultAltitudeMetres);
    ShowRawRange(SkalaTemp, 0, DefaultTemperatureTenthsDegree);
}

void TKLTDiagrammMehrZData::VisitProperties(TPropertyVisitor& visitor) {
    visitor.Field("MaxGlaettung", MaxGlaettung, GlaettungsStufen.front(), GlaettungsStufen.back());
    visitor.Field("MaxAnzahlDiagramme", MaxAnzahlDiagramme, 1,
                  static_cast<int64_t>(MesswertArt(mwaMaxAnzahlDiagramme).Maximum()));
    visitor.Field("PlotMarker", PlotMarker);
    visitor.Field("PlotMarkerInfo", PlotMarkerInfo, PlotMarkerInfoNames);
    SkalaProperty(visitor, "SkalaLeistung", SkalaLeistung);
    SkalaProperty(visitor, "SkalaGeschwindigkeit", SkalaGeschwindigkeit);
    SkalaProperty(visitor, "SkalaTretfrequenz", SkalaTretfrequenz);
    SkalaProperty(visitor, "SkalaHerzfrequenz", SkalaHerzfrequenz);
    SkalaProperty(visitor, "SkalaHoehe", SkalaHoehe);
    SkalaProperty(visitor, "SkalaTemp", SkalaTemp);
}

void TKLTDiagrammMehrZData::Assign(const TPersistent& source) {
    TKLTGraphicControl::Assign(source);
    if (const auto* diagramm = dynamic_cast<const TKLTDiagrammMehrZData*>(&source)) {
        TrainingZoneSet = diagramm->TrainingZoneSet;
    }
}

bool TKLTDiagrammMehrZData::Equals(const TPersistent& other) const {
    const auto* diagramm = dynamic_cast<const TKLTDiagrammMehrZData*>(&other);
    return diagramm != nullptr && TrainingZoneSet == diagramm->TrainingZoneSet &&
           TKLTGraphicControl::Equals(other);
}

TKLTDiagrammEinzDetailData::TKLTDiagrammEinzDetailData()
    : TKLTDiagrammMehrZData(TDefaults{-1, 1, true, 600}) {}

TKLTDiagrammEinzTrendData::TKLTDiagrammEinzTrendData()
    : TKLTDiagrammEinzDetailData(TDefaults{-10, 1, false, 400}) {}

} // namespace klt
