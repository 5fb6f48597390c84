#include "core/TrainingStore.h"

#include <filesystem>

#include "core/Exceptions.h"
#include "core/Initials.h"
#include "core/KLTDatabase.h"
#include "core/TrainingIndex.h"

namespace klt {
namespace {

bool SameSamples(const TTrainingData& a, const TTrainingData& b) {
    if (a.SampleCount() != b.SampleCount()) {
        return false;
    }
    for (int i = 0; i < a.SampleCount(); ++i) {
        for (int channel = 0; channel < TData::kChannelCount; ++channel) {
            if (a.Sample(i).Value(channel) != b.Sample(i).Value(channel)) {
                return false;
            }
        }
    }
    return true;
}

// What was written must be what the disk gives back before anyone forgets the ride.
bool SameTraining(const TTrainingData& written, const TTrainingData& read) {
    const TKLTHeader& w = written.Header();
    const TKLTHeader& r = read.Header();
    return w.date == r.date && w.circumference == r.circumference && w.intervalNumerator == r.intervalNumerator &&
           w.intervalDenominator == r.intervalDenominator && w.zeroOffset == r.zeroOffset && w.slope == r.slope &&
           written.Blocks() == read.Blocks() && written.Markers() == read.Markers() &&
           written.Comment() == read.Comment() && SameSamples(written, read);
}

std::string Initials(const TTrainingData& training) {
    return training.Markers().empty() ? std::string() : training.Markers().front().name;
}

} // namespace

std::string StoreNewTraining(const TTrainingData& training, const std::string& databaseDir) {
    const std::string path = PlaceNewTraining(databaseDir, NormalizeInitials(Initials(training)),
                                              training.Header().date,
                                              [&](const std::string& temporary) { training.WriteTraining(temporary); });
    TTrainingData check;
    try {
        check.ReadTraining(path);
    } catch (const std::exception& error) {
        RemoveStoredTraining(path, databaseDir);
        throw EKLTFileInOutError("'" + path + "': the training cannot be read back: " + error.what());
    }
    if (!SameTraining(training, check)) {
        RemoveStoredTraining(path, databaseDir);
        throw EKLTFileInOutError("'" + path + "': the training read back differs from the one written.");
    }
    UpdateTrainingIndex(databaseDir, path);
    return path;
}

void RemoveStoredTraining(const std::string& path, const std::string& databaseDir) {
    std::error_code error;
    std::filesystem::remove(path, error);
    UpdateTrainingIndex(databaseDir, path);
    RemoveEmptyDirectories(std::filesystem::path(path).parent_path().string(), databaseDir);
}

} // namespace klt
