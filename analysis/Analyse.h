#pragma once
// The option objects of the heart-rate/power analysis: one for ordinary trainings and one for
// step tests, alike but for their defaults.
#include <cstdint>
#include <string_view>

#include "analysis/Diagramm.h"
#include "core/MesswertSkala.h"

namespace klt {

inline constexpr std::string_view kAnalysisNotAvailable = "The heart rate and power analysis is not available yet";

class TKLTAnalyseData : public TKLTGraphicControl {
public:
    TKLTAnalyseData();

    void SetToDefaults();
    void VisitProperties(TPropertyVisitor& visitor) override;
    // Until the analysis is drawn, the view says so instead of staying blank.
    void Paint(const TDiagramView& view, TPRBGICanvas& canvas) override;

    bool ShowHistogramm{};
    // Averaging time in 1/100 s; negative: percent of the marker's duration.
    int32_t ZeitGlaettung{};
    // The heart-rate delays tried, in 1/100 s: from Min to Max in steps of Ofs.
    int32_t MinZeitVersatz{};
    int32_t OfsZeitVersatz{};
    int32_t MaxZeitVersatz{};
    TMesswertSkala SkalaHerzfrequenz{mwaHerzfrequenz};
    TMesswertSkala SkalaLeistung{mwaLeistung};

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
};

} // namespace klt
