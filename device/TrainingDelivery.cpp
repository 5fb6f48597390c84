#include "device/TrainingDelivery.h"

#include "core/TrainingDataUnit.h"

namespace klt {

std::string TrainingInitials(const TTrainingData& training) {
    return training.Markers().empty() ? std::string() : training.Markers().front().name;
}

std::optional<std::string> DeliverTraining(const TTrainingData& training, IDownloadSink& sink, TDownloadResult& result) {
    if (training.SampleCount() == 0 || training.Blocks().empty()) {
        return std::nullopt;
    }
    const auto start = static_cast<int32_t>(training.Blocks().front().start);
    const std::optional<TStoredTraining> stored =
        sink.StoredTraining(TrainingInitials(training), training.Header().date, start, start);
    if (stored && stored->samples == training.SampleCount()) {
        ++result.skippedKnown;
        return std::nullopt;
    }
    try {
        std::string path = sink.SaveTraining(training);
        result.files.push_back(path);
        return path;
    } catch (const std::exception& error) {
        result.FailedSave(error.what());
        return std::nullopt;
    }
}

} // namespace klt
