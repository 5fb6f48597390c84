#pragma once
// Handing a finished training to the download's sink, the same way for every generation: a
// training the database holds already (same athlete, same first sample, same number of samples) is
// counted as known instead of being saved twice, and a failed save is noted in the result, which
// then keeps the head unit's memory.
#include <optional>
#include <string>

#include "device/DownloadResult.h"
#include "device/DownloadSink.h"

namespace klt {

class TTrainingData;

// The saved path; none when the training was known or could not be saved.
std::optional<std::string> DeliverTraining(const TTrainingData& training, IDownloadSink& sink, TDownloadResult& result);

// The athlete's initials of a training, from its marker 0.
std::string TrainingInitials(const TTrainingData& training);

} // namespace klt
