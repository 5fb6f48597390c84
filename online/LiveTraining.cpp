#include "online/LiveTraining.h"

#include <algorithm>


namespace klt {
namespace {

// Two samples a second.
constexpr uint8_t kIntervalNumerator = 1;
constexpr uint8_t kIntervalDenominator = 2;

} // namespace

TTrainingData LiveTraining(const TKLTOnlineDatas& samples, const TLiveTrainingInfo& info, const std::vector<int64_t>& /*markerTimesMs*/) {
    TTrainingData training;
    TKLTHeader& header = training.EditHeader();
    header.date = info.date;
    header.circumference = info.circumference;
    header.intervalNumerator = kIntervalNumerator;
    header.intervalDenominator = kIntervalDenominator;
    training.SetComment(info.comment);
    std::vector<int> markerStarts;
    const int count = std::min(samples.Count(), TTrainingData::kMaxSamples);
    for (int i = 0; i < count; ++i) {
        const std::optional<TKLTOnlineData> sample = samples.Sample(i);
        if (!sample) {
            break; // a run reset meanwhile: what was read so far
        }
        training.AddSample(*sample);
        if (sample->Marker) {
            markerStarts.push_back(i + 1);
        }
    }
    const int recorded = training.SampleCount();
    if (recorded == 0) {
        return training;
    }
    training.EditBlocks() = {{static_cast<uint32_t>(std::max(0, info.startTime)), static_cast<uint16_t>(recorded)}};
    training.AppendMarker(info.initials, 1, recorded);
    for (size_t m = 0; m < markerStarts.size(); ++m) {
        const int last = m + 1 < markerStarts.size() ? markerStarts[m + 1] - 1 : recorded;
        training.AppendMarker("", markerStarts[m], std::max(markerStarts[m], last));
    }
    return training;
}

TLiveTrainingInfo StartedAt(const TDateTimeMark& start) {
    TLiveTrainingInfo info;
    info.date = start.days >= 0 && start.days < kNoDate ? static_cast<uint16_t>(start.days) : kNoDate;
    info.startTime = start.time >= 0 ? start.time : 0;
    return info;
}

} // namespace klt
