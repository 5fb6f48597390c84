#include "analysis/RatioView.h"

#include "core/KLTFile.h"

namespace klt {

TRatioDataGraphicControl::TRatioDataGraphicControl()
    : tables_{TRatioData(rcPower), TRatioData(rcHeartRate), TRatioData(rcCadence), TRatioData(rcSpeed)} {}

bool TRatioDataGraphicControl::OptionsChanged() const {
    return !Options().Equals(shown_) || speedUnit_ != shownSpeedUnit_;
}

TRatioDataGraphicControl::TCounted TRatioDataGraphicControl::CountedFrom(const TKLTFile& file, int marker) const {
    TCounted counted{&file, file.Stamp(), file.ModificationMark(), file.SampleCount(), 1, file.SampleCount(),
                     Options().SmootingFct, speedUnit_};
    if (marker >= 0 && marker < file.MarkerCount()) {
        counted.first = file.Marker(marker).first;
        counted.last = file.Marker(marker).last;
    }
    return counted;
}

bool TRatioDataGraphicControl::Refresh(const TDiagramView& view) {
    if (view.file == nullptr) {
        return false;
    }
    const TCounted wanted = CountedFrom(*view.file, view.marker);
    if (counted_ == wanted) {
        return false;
    }
    samples_.Read(*view.file, wanted.first, wanted.last, wanted.speedUnit);
    for (TRatioData& table : tables_) {
        table.Fill(samples_, wanted.smooting);
    }
    counted_ = wanted;
    return true;
}

std::vector<TRatioChart> TRatioDataGraphicControl::LayOut(const TDiagramView& view, TPRBGICanvas& canvas) {
    Refresh(view);
    shown_.Assign(Options());
    shownSpeedUnit_ = speedUnit_;
    const int w = canvas.Width(), h = canvas.Height();
    const std::array<TCanvasRect, kRatioChannels> areas = {
        {{0, 0, w / 2, h / 2}, {w / 2, 0, w, h / 2}, {0, h / 2, w / 2, h}, {w / 2, h / 2, w, h}}};
    std::vector<TRatioChart> charts;
    for (int key = 0; key < kRatioChannels; ++key) {
        const auto channel = static_cast<TRatioChannel>(key);
        std::optional<std::string> note;
        if (!RatioScale(Options(), channel).Skala.Visible()) {
            note = "Switched off in the options";
        } else if (samples_.Count() == 0) {
            note = "No samples in this marker";
        }
        charts.emplace_back(Data(channel), Options(), areas[static_cast<size_t>(key)], canvas, note);
    }
    return charts;
}

void TRatioDataGraphicControl::Paint(const TDiagramView& view, TPRBGICanvas& canvas) {
    canvas.FillRect({0, 0, canvas.Width(), canvas.Height()}, canvas.WindowColor());
    if (view.file == nullptr) {
        return;
    }
    const TDiagramColours colours = DiagramColours(canvas.Palette(), canvas.WindowColor());
    for (const TRatioChart& chart : LayOut(view, canvas)) {
        chart.Paint(canvas, colours);
    }
}

void TRatioDataGraphicControl::MouseMove(const TDiagramView& view, TPRBGICanvas& canvas, uint32_t, int x, int y) {
    if (view.host == nullptr || view.file == nullptr) {
        return;
    }
    std::string text;
    for (const TRatioChart& chart : LayOut(view, canvas)) {
        if (chart.Contains(x, y)) {
            text = chart.ReadOut(x, y);
            break;
        }
    }
    view.host->SetHint(text);
}

} // namespace klt
