#pragma once
// A live run saved as a training: its samples on the nominal grid of the recording interval (see
// TLiveSampleGrid), marker 0 over the whole ride named with the athlete's initials, a marker for
// each stretch between two consecutive marker times of the run, and one from each sample where
// "Set Marker" was pressed to the next one (or the end).
#include <cstdint>
#include <string>
#include <vector>

#include "core/KLTDate.h"
#include "core/TrainingDataUnit.h"
#include "online/KLTOnlineData.h"

namespace klt {

struct TLiveTrainingInfo {
    uint16_t date = kNoDate;  // days since 1880
    int32_t startTime = 0;    // 1/100 s since midnight; the first sample's wall time wins
    std::string initials;
    std::string comment;       // cut to what a training file holds
    uint16_t circumference = 1000; // mm: the ergometer's flywheel
    double intervalSeconds = 0.5;  // telemetry records one sample a second
};

// The training of samples 0..LastIndex(), as far as a file holds them; none for a run without
// samples. `markerTimesMs` are elapsed times of the run; empty or reversed stretches are left out.
TTrainingData LiveTraining(const TKLTOnlineDatas& samples, const TLiveTrainingInfo& info,
                           const std::vector<int64_t>& markerTimesMs = {});

// The date and start time of a run started at `start`.
TLiveTrainingInfo StartedAt(const TDateTimeMark& start);

} // namespace klt
