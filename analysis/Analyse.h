#pragma once
// The option objects of the heart-rate/power analysis: one for ordinary trainings and one for
// step tests, alike but for their defaults.
#include <cstdint>
#include <string>

#include "analysis/Diagramm.h"
#include "core/HeartRateRegression.h"
#include "core/KLTTrBer.h"
#include "core/MesswertSkala.h"

namespace klt {

class TKLTAnalyseData : public TKLTGraphicControl {
public:
    TKLTAnalyseData();

    void SetToDefaults();
    void VisitProperties(TPropertyVisitor& visitor) override;
    // Heart rate over power with the fitted line, histograms, zone shares and the values.
    void Paint(const TDiagramView& view, TPRBGICanvas& canvas) override;
    // Properties and the zone set.
    void Assign(const TPersistent& source) override;
    bool Equals(const TPersistent& other) const override;

    THeartRateFitParameters FitParameters() const;
    // "KLT-Data-Analysis" or "Conconi-Analysis".
    virtual std::string Title() const;
    // Whether the view also looks for the step test's deflection point.
    virtual bool IsStepTest() const { return false; }

    bool ShowHistogramm{};
    // Averaging time in 1/100 s; negative: percent of the marker's duration.
    int32_t ZeitGlaettung{};
    // The heart-rate delays tried, in 1/100 s: from Min to Max in steps of Ofs.
    int32_t MinZeitVersatz{};
    int32_t OfsZeitVersatz{};
    int32_t MaxZeitVersatz{};
    TMesswertSkala SkalaHerzfrequenz{mwaHerzfrequenz};
    TMesswertSkala SkalaLeistung{mwaLeistung};
    // The zones whose shares are written along the line; not a stored property.
    TTrainingZoneSet TrainingZoneSet;

protected:
    struct TDefaults {
        bool showHistogramm;
        int32_t zeitGlaettung;
        int32_t minZeitVersatz;
        int32_t ofsZeitVersatz;
        int32_t maxZeitVersatz;
    };
    explicit TKLTAnalyseData(const TDefaults& defaults);

private:
    TDefaults defaults_;
};

// The Conconi step test: short averaging, one fixed delay, no histograms.
class TConconiAnalyseData : public TKLTAnalyseData {
public:
    TConconiAnalyseData();

    std::string Title() const override;
    bool IsStepTest() const override { return true; }
};

} // namespace klt
