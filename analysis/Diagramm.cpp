#include "analysis/Diagramm.h"

#include <algorithm>
#include <array>
#include <utility>

#include "analysis/GlaettungsStufen.h"
#include "core/MesswertSkalaProperties.h"
#include "core/PRMesWrt.h"

namespace klt {
namespace {

// Default windows in display units, by unit: round numbers of about the same speeds, heights
// and temperatures. Speed in km/h, m/s and mph; altitude in m and ft; temperature in °C and °F.
constexpr std::array<double, 3> DefaultSpeedByUnit = {60, 16, 40};
constexpr std::array<double, 2> DefaultAltitudeByUnit = {500, 1600};
constexpr std::array<std::pair<double, double>, 2> DefaultTemperatureByUnit = {{{0, 25}, {32, 77}}};

// The entry of `table` for the unit the kind is shown in.
template <class Table> const auto& ForUnit(const Table& table, TMesswertArtType kind) {
    const int unit = std::clamp(MesswertArt(kind).UnitIndex(), 0, static_cast<int>(table.size()) - 1);
    return table[static_cast<size_t>(unit)];
}

void ShowDisplayRange(TMesswertSkala& skala, double lower, double upper) {
    skala.SetDisplayRange(true, upper, lower);
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
    ShowDisplayRange(SkalaGeschwindigkeit, 0, ForUnit(DefaultSpeedByUnit, mwaGeschwindigkeit));
    ShowDisplayRange(SkalaTretfrequenz, 40, 200);
    ShowDisplayRange(SkalaHerzfrequenz, 40, 200);
    ShowDisplayRange(SkalaHoehe, 0, ForUnit(DefaultAltitudeByUnit, mwaHoehe));
    const auto& [coldest, warmest] = ForUnit(DefaultTemperatureByUnit, mwaTemperatur);
    ShowDisplayRange(SkalaTemp, coldest, warmest);
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
