#pragma once
// The option objects of the time-series diagrams: what each diagram shows and how, kept in the
// option tree and compared to decide whether a view needs redrawing.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "analysis/DiagramInput.h"
#include "analysis/DiagramLayout.h"
#include "analysis/PRBGICanvas.h"
#include "core/KLTTrBer.h"
#include "core/MesswertSkala.h"
#include "core/Persistent.h"

namespace klt {

// Base of every diagram object: its settings are published properties; it paints the view it is
// given and handles the input of the window showing it. Layout is recomputed from the canvas at
// every paint and every input event, so the canvas comes with each of them.
class TKLTGraphicControl : public TPersistent {
public:
    virtual void Paint(const TDiagramView& view, TPRBGICanvas& canvas);
    // Inverts the pixels of samples from..to; doing it twice restores the image.
    virtual void SelectionPaint(const TDiagramView& view, TPRBGICanvas& canvas, int from, int to);
    // Whether the key was used (the window then redraws).
    virtual bool KeyDown(int key, uint32_t shift);
    virtual void MouseDown(const TDiagramView& view, TPRBGICanvas& canvas, TMouseButton button,
                           uint32_t shift, int x, int y);
    // Clears the hint and re-announces the file's selection unchanged.
    virtual void MouseMove(const TDiagramView& view, TPRBGICanvas& canvas, uint32_t shift, int x, int y);
    virtual void MouseUp(const TDiagramView& view, TPRBGICanvas& canvas, TMouseButton button, uint32_t shift,
                         int x, int y);
};

enum TPlotMarkerInfo : uint8_t {
    PlotMarkerInfoAus,
    PlotMarkerInfoOben,
    PlotMarkerInfoBeide,
    PlotMarkerInfoUnten
};

inline constexpr std::array<std::string_view, 4> PlotMarkerInfoNames = {
    "PlotMarkerInfoAus", "PlotMarkerInfoOben", "PlotMarkerInfoBeide", "PlotMarkerInfoUnten"};

// The channels a time-series diagram draws, in drawing order.
inline constexpr std::array<TMesswertArtType, 6> DiagramChannels = {
    mwaLeistung, mwaGeschwindigkeit, mwaTretfrequenz, mwaHerzfrequenz, mwaHoehe, mwaTemperatur};

// The multi-row diagram: curves of the marker wrapped into several rows.
class TKLTDiagrammMehrZData : public TKLTGraphicControl {
public:
    TKLTDiagrammMehrZData();

    void Paint(const TDiagramView& view, TPRBGICanvas& canvas) override;
    void SelectionPaint(const TDiagramView& view, TPRBGICanvas& canvas, int from, int to) override;
    bool KeyDown(int key, uint32_t shift) override;
    void MouseDown(const TDiagramView& view, TPRBGICanvas& canvas, TMouseButton button, uint32_t shift, int x,
                   int y) override;
    void MouseMove(const TDiagramView& view, TPRBGICanvas& canvas, uint32_t shift, int x, int y) override;
    void MouseUp(const TDiagramView& view, TPRBGICanvas& canvas, TMouseButton button, uint32_t shift, int x,
                 int y) override;

    // Lays the view's marker out on the canvas; false when no row fits (nothing is drawn then).
    bool Layout(const TDiagramView& view, TPRBGICanvas& canvas);
    // The layout of the last paint or input event.
    const TDiagramLayout& LayoutState() const { return layout_; }
    int SampleAt(int x, int y) const { return layout_.SampleAt(x, y); }
    TCanvasPoint PixelOf(int sample) const { return layout_.PixelOf(sample); }

    // The scale of one of the DiagramChannels.
    const TMesswertSkala& Skala(TMesswertArtType kind) const;
    TMesswertSkala& Skala(TMesswertArtType kind);

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

    // The text in the middle of the title line.
    virtual std::string Title(const TDiagramView& view) const;

private:
    TDefaults defaults_;
    TDiagramLayout layout_;
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

protected:
    std::string Title(const TDiagramView& view) const override;
};

} // namespace klt
