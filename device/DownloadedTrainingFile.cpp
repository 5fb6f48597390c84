#include "device/DownloadedTrainingFile.h"

#include "core/Exceptions.h"
#include "core/KLTFile.h"
#include "core/TrainingEnvironment.h"

namespace klt {

const std::string& RequiredDatabaseDir() {
    const std::string& databaseDir = TrainingEnvironment().databaseDir;
    if (databaseDir.empty()) {
        throw EKLTFileDatabaseError("No training database is set up to receive the trainings.");
    }
    return databaseDir;
}

namespace {

// A write that the disk did not keep must not count as saved: the head unit's memory is cleared
// only for trainings that are really there.
void CheckWrittenTraining(const TKLTFile& written) {
    TKLTFile check(written.FileName());
    check.ReadFile();
    if (check.SampleCount() != written.SampleCount() || check.Blocks().size() != written.Blocks().size()) {
        throw EKLTFileInOutError("'" + written.FileName() + "': the training read back differs from the one written");
    }
}

} // namespace

std::string SaveDownloadedTraining(const std::function<void(TKLTFile&)>& fill) {
    const std::string& databaseDir = RequiredDatabaseDir();
    // A name inside the database, so that the file is moved to its canonical place.
    TKLTFile file(databaseDir + "/download.klt");
    fill(file);
    file.CanonicalRename();
    file.WriteKLT7(file.FileName(), TDateTimeMark::None());
    CheckWrittenTraining(file);
    return file.FileName();
}

void ForEachDownloadedTraining(size_t count, const std::function<void(size_t)>& saveOne,
                               const TDownloadExceptionHandler& handler) {
    if (count > 0) {
        RequiredDatabaseDir(); // one message, not one per training
    }
    for (size_t i = 0; i < count; ++i) {
        try {
            saveOne(i);
        } catch (const Exception& error) {
            if (!handler) {
                throw;
            }
            handler(error);
        }
    }
}

TDownloadResult CollectDownloadedTrainings(
    const std::function<std::vector<std::string>(const TDownloadExceptionHandler&)>& convert,
    const TDownloadExceptionHandler& handler) {
    TDownloadResult result;
    try {
        result.files = convert([&](const std::exception& error) {
            result.errors.emplace_back(error.what());
            if (handler) {
                handler(error);
            }
        });
    } catch (const std::exception& error) {
        if (!handler) {
            throw;
        }
        result.errors.emplace_back(error.what());
        result.cut = true;
        handler(error);
    }
    return result;
}

} // namespace klt
