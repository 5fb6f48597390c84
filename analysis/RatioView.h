#pragma once
// The distribution view of a training document: four charts, keyed by power, heart rate, cadence
// and speed, over the marker shown (two by two on the canvas).
#include <array>
#include <optional>
#include <vector>

#include "analysis/Diagramm.h"
#include "analysis/RatioChart.h"
#include "analysis/RatioData.h"
#include "analysis/RatioDataChartOptionSet.h"
#include "core/KLTDate.h"

namespace klt {

class TRatioDataGraphicControl : public TKLTGraphicControl {
public:
    TRatioDataGraphicControl();

    // The profile's settings (not owned; none: the defaults), read at every paint.
    void SetOptions(const TKLTRatioDataChartOptionSet* options) { options_ = options; }
    void SetSpeedUnit(int speedUnit) { speedUnit_ = speedUnit; }
    // The samples changed in place: count them again at the next paint.
    void Invalidate() { counted_.reset(); }
    // Whether the settings or the speed unit differ from those of the last paint.
    bool OptionsChanged() const;

    // Counts the view's marker again when the training, the marker, the smoothing or the speed
    // unit changed since the last count; whether it did.
    bool Refresh(const TDiagramView& view);
    const TRatioData& Data(TRatioChannel key) const { return tables_[static_cast<size_t>(key)]; }

    void Paint(const TDiagramView& view, TPRBGICanvas& canvas) override;
    // The read-out of the mean or bar under the mouse through the host's hint.
    void MouseMove(const TDiagramView& view, TPRBGICanvas& canvas, uint32_t shift, int x, int y) override;
    // The settings live in the profile, not in the document's options.
    void VisitProperties(TPropertyVisitor&) override {}

    // The charts as the canvas shows them, power, heart rate, cadence, speed.
    std::vector<TRatioChart> LayOut(const TDiagramView& view, TPRBGICanvas& canvas);

private:
    // What the tables were counted from.
    struct TCounted {
        const TKLTFile* file = nullptr;
        int64_t stamp = 0;
        TDateTimeMark modified;
        int sampleCount = 0;
        int first = 0;
        int last = 0;
        int smooting = 0;
        int speedUnit = 0;
        bool operator==(const TCounted&) const = default;
    };
    const TKLTRatioDataChartOptionSet& Options() const { return options_ != nullptr ? *options_ : defaults_; }
    TCounted CountedFrom(const TKLTFile& file, int marker) const;

    std::array<TRatioData, kRatioChannels> tables_;
    TRatioSamples samples_; // reused between counts
    const TKLTRatioDataChartOptionSet* options_ = nullptr;
    TKLTRatioDataChartOptionSet defaults_;
    TKLTRatioDataChartOptionSet shown_; // the settings of the last paint
    int speedUnit_ = 0;
    int shownSpeedUnit_ = 0;
    std::optional<TCounted> counted_;
};

} // namespace klt
