#include "flow/DatabaseSink.h"

#include <filesystem>

#include "core/IgnoreCase.h"
#include "core/Exceptions.h"
#include "core/Initials.h"
#include "core/KLTDatabase.h"
#include "core/KLTFile.h"
#include "core/TrainingDataUnit.h"
#include "core/TrainingIndex.h"
#include "device/TrainingDelivery.h"

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

// What a download wrote must be what the disk gives back before the head unit may forget it.
bool SameTraining(const TTrainingData& written, const TTrainingData& read) {
    const TKLTHeader& w = written.Header();
    const TKLTHeader& r = read.Header();
    return w.date == r.date && w.circumference == r.circumference && w.intervalNumerator == r.intervalNumerator &&
           w.intervalDenominator == r.intervalDenominator && w.zeroOffset == r.zeroOffset && w.slope == r.slope &&
           written.Blocks() == read.Blocks() && written.Markers() == read.Markers() &&
           written.Comment() == read.Comment() && SameSamples(written, read);
}

} // namespace

const std::string& TDatabaseSink::RequiredDatabaseDir() const {
    if (databaseDir_.empty()) {
        throw EKLTFileDatabaseError("No training database is set up to receive the trainings.");
    }
    return databaseDir_;
}

std::optional<TStoredTraining> TDatabaseSink::StoredTraining(const std::string& initials, uint16_t day,
                                                             int32_t fromTime, int32_t toTime) {
    TTrainingFilter filter;
    filter.fromDate = filter.toDate = day;
    filter.fromTime = fromTime;
    filter.toTime = toTime;
    const std::string athlete = NormalizeInitials(initials);
    std::optional<TStoredTraining> earliest;
    ForEachTraining(RequiredDatabaseDir(), filter, [&](TKLTFile& file) {
        const TKLTMarker& whole = file.Marker(0);
        if (!EqualsIgnoringCase(NormalizeInitials(whole.name), athlete) ||
            (earliest && earliest->startTime <= whole.startTime)) {
            return true;
        }
        earliest = TStoredTraining{whole.startTime, int64_t{whole.endTime} + 1, whole.last};
        return true;
    });
    return earliest;
}

std::string TDatabaseSink::SaveTraining(const TTrainingData& training) {
    const std::string initials = NormalizeInitials(TrainingInitials(training));
    const std::string path = PlaceNewTraining(RequiredDatabaseDir(), initials, training.Header().date,
                                              [&](const std::string& temporary) { training.WriteTraining(temporary); });
    TTrainingData check;
    try {
        check.ReadTraining(path);
    } catch (const std::exception& error) {
        RemoveTraining(path);
        throw EKLTFileInOutError("'" + path + "': the training cannot be read back: " + error.what());
    }
    if (!SameTraining(training, check)) {
        RemoveTraining(path);
        throw EKLTFileInOutError("'" + path + "': the training read back differs from the one written.");
    }
    UpdateTrainingIndex(databaseDir_, path);
    return path;
}

void TDatabaseSink::RemoveTraining(const std::string& path) {
    std::error_code error;
    std::filesystem::remove(path, error);
    UpdateTrainingIndex(databaseDir_, path);
    RemoveEmptyDirectories(std::filesystem::path(path).parent_path().string(), databaseDir_);
}

void TDatabaseSink::ChooseTrainings(std::vector<TSectionChoice>& choices) {
    if (OnChoose) {
        OnChoose(choices);
    }
}

void TDatabaseSink::Progress(int percent) {
    if (OnProgress) {
        OnProgress(percent);
    }
}

void TDatabaseSink::RemainingTime(int64_t hundredths) {
    if (OnRemainingTime) {
        OnRemainingTime(hundredths);
    }
}

} // namespace klt
