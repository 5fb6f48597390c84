#include "ui/LiveChartView.h"

#include <QPainter>
#include <algorithm>
#include <utility>

#include "ui/canvas/QtCanvas.h"

namespace klt {
namespace {

constexpr int kSamplesPerSecond = TLiveChartFrame::kSamplesPerSecond;

} // namespace

void TLiveChartSamples::SetMarkerTimes(const std::vector<int64_t>& markerTimes) {
    timeMarkers_.clear();
    for (int64_t ms : markerTimes) {
        timeMarkers_.push_back(static_cast<int>(ms * kSamplesPerSecond / 1000));
    }
}

double TLiveChartSamples::Mean(TMesswertArtType kind, int i) const {
    // the chart draws raw units: 1/8 W, 1/64 and 1/32 per minute, mm/s
    switch (kind) {
    case mwaHerzfrequenz:
        return samples_.WindowMean(TOnlineChannel::HeartRate, i) * 64.0;
    case mwaTretfrequenz:
        return samples_.WindowMean(TOnlineChannel::Cadence, i) * 32.0;
    case mwaGeschwindigkeit:
        return samples_.WindowMean(TOnlineChannel::Speed, i);
    default:
        return samples_.WindowMean(TOnlineChannel::Power, i) * 8.0;
    }
}

bool TLiveChartSamples::NewestMarked() const {
    const std::optional<TKLTOnlineData> newest = samples_.Sample(samples_.Count() - 1);
    return newest && newest->Marker;
}

void TLiveChartSamples::ScanNewSamples() const {
    const int count = samples_.Count();
    if (count < scanned_) { // a new run
        setMarkers_.clear();
        scanned_ = 0;
    }
    // the newest sample may have been marked since it was looked at
    for (int i = std::max(0, scanned_ - 1); i < count; ++i) {
        const std::optional<TKLTOnlineData> sample = samples_.Sample(i);
        const bool known = !setMarkers_.empty() && setMarkers_.back() == i;
        if (sample && sample->Marker && !known) {
            setMarkers_.push_back(i);
        }
    }
    scanned_ = count;
}

std::vector<int> TLiveChartSamples::Markers(int first, int last) const {
    ScanNewSamples();
    std::vector<int> markers;
    for (const std::vector<int>* list : {static_cast<const std::vector<int>*>(&setMarkers_), &timeMarkers_}) {
        for (auto it = std::lower_bound(list->begin(), list->end(), first); it != list->end() && *it <= last;
             ++it) {
            markers.push_back(*it);
        }
    }
    std::sort(markers.begin(), markers.end());
    return markers;
}

TLiveChartView::TLiveChartView(const TKLTOnlineDatas& samples, const TOnlineMainChartOptionSet& options,
                               std::string title, QWidget* parent)
    : QWidget(parent), options_(options), samples_(samples) {
    frame_.title = std::move(title);
    setMinimumSize(320, 200);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TLiveChartView::Show(TSampleRange range, const std::string& note,
                          const std::vector<int64_t>& markerTimes) {
    TLiveChartFrame frame = frame_;
    frame.first = range.first;
    frame.last = range.last;
    frame.note = note;
    frame.scales.clear();
    for (const TOnlineSkalaOption* scale :
         {&options_.PowerSkala, &options_.HeartRateSkala, &options_.CadenceSkala, &options_.SpeedSkala}) {
        if (scale->Skala.Visible()) {
            frame.scales.push_back({scale->Skala.Kind(), scale->Skala.Offset(), scale->Skala.UpperEnd()});
        }
    }
    // the window asks every 48 ms, a sample comes every 500 ms: paint only what changed
    const std::pair<int, bool> newest{samples_.Count(), samples_.NewestMarked()};
    if (frame == frame_ && markerTimes == markerTimes_ && newest == paintedNewest_) {
        return;
    }
    frame_ = std::move(frame);
    markerTimes_ = markerTimes;
    paintedNewest_ = newest;
    samples_.SetMarkerTimes(markerTimes);
    update();
}

void TLiveChartView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QFont font = painter.font();
    font.setPointSizeF(font.pointSizeF() * 1.15);
    painter.setFont(font);
    TQtCanvas canvas(painter);
    canvas.Prepare({255, 255, 255}, PaletteColor, 0, width(), height());
    DrawLiveChart(canvas, samples_, frame_);
}

} // namespace klt
