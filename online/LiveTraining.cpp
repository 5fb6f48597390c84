#include "online/LiveTraining.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "online/LiveSampleGrid.h"

namespace klt {
namespace {

// Whole seconds as n/1, shorter intervals in tenths reduced (0.5 s as 1/2), as the head units
// store them; the grid then runs at exactly the interval the file states.
void SetInterval(TKLTHeader& header, double seconds) {
    if (!(seconds > 0) || !std::isfinite(seconds)) {
        seconds = TLiveTrainingInfo{}.intervalSeconds;
    }
    if (seconds >= 1) {
        header.intervalNumerator = static_cast<uint8_t>(std::min(std::lround(seconds), 255L));
        header.intervalDenominator = 1;
        return;
    }
    const int tenths = static_cast<int>(std::clamp(std::lround(seconds * 10), 1L, 9L));
    const int common = std::gcd(tenths, 10);
    header.intervalNumerator = static_cast<uint8_t>(tenths / common);
    header.intervalDenominator = static_cast<uint8_t>(10 / common);
}

bool RoomForMarker(const TTrainingData& training) {
    return training.Markers().size() <= TKLTFile::kMaxMarkers;
}

// The 1-based sample recorded at an elapsed time, within 0..count + 1.
int SampleAt(int64_t ms, double intervalMs, int count) {
    return static_cast<int>(std::clamp(std::round(static_cast<double>(ms) / intervalMs), 0.0, count + 1.0));
}

void AppendTimedMarkers(TTrainingData& training, const std::vector<int64_t>& timesMs) {
    const int count = training.SampleCount();
    const double intervalMs = training.IntervalSeconds() * 1000;
    for (size_t m = 0; m + 1 < timesMs.size() && RoomForMarker(training); ++m) {
        if (timesMs[m + 1] <= timesMs[m]) {
            continue;
        }
        const int first = std::max(1, SampleAt(timesMs[m], intervalMs, count) + 1);
        const int last = std::min(count, SampleAt(timesMs[m + 1], intervalMs, count));
        if (first <= last) {
            training.AppendMarker("", first, last);
        }
    }
}

void AppendSetMarkers(TTrainingData& training, const std::vector<int>& starts) {
    for (size_t m = 0; m < starts.size() && RoomForMarker(training); ++m) {
        const int last = m + 1 < starts.size() ? starts[m + 1] - 1 : training.SampleCount();
        training.AppendMarker("", starts[m], std::max(starts[m], last));
    }
}

} // namespace

TTrainingData LiveTraining(const TKLTOnlineDatas& samples, const TLiveTrainingInfo& info,
                           const std::vector<int64_t>& markerTimesMs) {
    TTrainingData training;
    TKLTHeader& header = training.EditHeader();
    header.date = info.date;
    header.circumference = info.circumference;
    SetInterval(header, info.intervalSeconds);
    training.SetComment(info.comment);
    TLiveSampleGrid grid(training, info.startTime);
    for (int i = 0; i < samples.Count(); ++i) {
        const std::optional<TKLTOnlineData> sample = samples.Sample(i);
        if (!sample || !grid.Lay(*sample)) {
            break; // a run reset meanwhile, or a full file: what is laid so far
        }
    }
    if (training.SampleCount() == 0) {
        return training;
    }
    training.AppendMarker(info.initials, 1, training.SampleCount());
    AppendTimedMarkers(training, markerTimesMs);
    AppendSetMarkers(training, grid.MarkedPositions());
    return training;
}

TLiveTrainingInfo StartedAt(const TDateTimeMark& start) {
    TLiveTrainingInfo info;
    info.date = start.days >= 0 && start.days < kNoDate ? static_cast<uint16_t>(start.days) : kNoDate;
    info.startTime = start.time >= 0 ? start.time : 0;
    return info;
}

} // namespace klt
