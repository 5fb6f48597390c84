#pragma once
// A live run saved as a training: its samples two a second in one block from the run's start,
// marker 0 over the whole ride named with the athlete's initials, and a marker from each sample
// where "Set Marker" was pressed to the next one (or the end).
#include <cstdint>
#include <string>
#include <vector>

#include "core/KLTDate.h"
#include "core/TrainingDataUnit.h"
#include "online/KLTOnlineData.h"

namespace klt {

struct TLiveTrainingInfo {
    uint16_t date = kNoDate;  // days since 1880
    int32_t startTime = 0;    // 1/100 s since midnight
    std::string initials;
    std::string comment;       // cut to what a training file holds
    uint16_t circumference = 1000; // mm: the ergometer's flywheel
};

// The training of samples 0..LastIndex(); none for a run without samples.
TTrainingData LiveTraining(const TKLTOnlineDatas& samples, const TLiveTrainingInfo& info,
                           const std::vector<int64_t>& markerTimesMs = {});

// The date and start time of a run started at `start`.
TLiveTrainingInfo StartedAt(const TDateTimeMark& start);

} // namespace klt
