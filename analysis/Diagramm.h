#pragma once
// The option objects of the time-series diagrams: what each diagram shows and how, kept in the
// option tree and compared to decide whether a view needs redrawing.
#include <array>
#include <cstdint>
#include <string_view>

#include "core/KLTTrBer.h"
#include "core/MesswertSkala.h"
#include "core/Persistent.h"

namespace klt {

// Base of every diagram object: its settings are published properties, its painting and input
// handling come with the drawing layer.
class TKLTGraphicControl : public TPersistent {};

enum TPlotMarkerInfo : uint8_t {
    PlotMarkerInfoAus,
    PlotMarkerInfoOben,
    PlotMarkerInfoBeide,
    PlotMarkerInfoUnten
};

inline constexpr std::array<std::string_view, 4> PlotMarkerInfoNames = {
    "PlotMarkerInfoAus", "PlotMarkerInfoOben", "PlotMarkerInfoBeide", "PlotMarkerInfoUnten"};

// The multi-row diagram: curves of the marker wrapped into several rows.
class TKLTDiagrammMehrZData : public TKLTGraphicControl {
public:
    TKLTDiagrammMehrZData();

    // The defaults of this kind of diagram; the speed scale's follows the speed unit in use.
    void SetToDefaults();
    void VisitProperties(TPropertyVisitor& visitor) override;
    // Properties and the zone set.
    void Assign(const TPersistent& source) override;
    bool Equals(const TPersistent& other) const override;

    // Negative: percent of the shown duration; 0: none; positive: 1/100 s.
    int32_t MaxGlaettung{};
    int32_t MaxAnzahlDiagramme{};
    bool PlotMarker{};
    TPlotMarkerInfo PlotMarkerInfo{};
    TMesswertSkala SkalaLeistung{mwaLeistung};
    TMesswertSkala SkalaGeschwindigkeit{mwaGeschwindigkeit};
    TMesswertSkala SkalaTretfrequenz{mwaTretfrequenz};
    TMesswertSkala SkalaHerzfrequenz{mwaHerzfrequenz};
    TMesswertSkala SkalaHoehe{mwaHoehe};
    TMesswertSkala SkalaTemp{mwaTemperatur};
    // The zones drawn as lines; not a stored property.
    TTrainingZoneSet TrainingZoneSet;

protected:
    struct TDefaults {
        int32_t maxGlaettung;
        int32_t maxAnzahlDiagramme;
        bool plotMarker;
        double powerWatts; // upper end of the power scale
    };
    explicit TKLTDiagrammMehrZData(const TDefaults& defaults);

private:
    TDefaults defaults_;
};

// The one-row detail diagram.
class TKLTDiagrammEinzDetailData : public TKLTDiagrammMehrZData {
public:
    TKLTDiagrammEinzDetailData();

protected:
    using TKLTDiagrammMehrZData::TKLTDiagrammMehrZData;
};

// The one-row trend diagram: smoothed harder, without marker bars.
class TKLTDiagrammEinzTrendData : public TKLTDiagrammEinzDetailData {
public:
    TKLTDiagrammEinzTrendData();
};

} // namespace klt
