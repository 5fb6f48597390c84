#include "flow/DatabaseSink.h"

#include "core/IgnoreCase.h"
#include "core/Exceptions.h"
#include "core/Initials.h"
#include "core/KLTDatabase.h"
#include "core/KLTFile.h"
#include "core/TrainingStore.h"

namespace klt {

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
    return StoreNewTraining(training, RequiredDatabaseDir());
}

void TDatabaseSink::RemoveTraining(const std::string& path) { RemoveStoredTraining(path, databaseDir_); }

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
