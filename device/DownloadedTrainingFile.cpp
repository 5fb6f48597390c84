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

std::string SaveDownloadedTraining(const std::function<void(TKLTFile&)>& fill) {
    const std::string& databaseDir = RequiredDatabaseDir();
    // A name inside the database, so that the file is moved to its canonical place.
    TKLTFile file(databaseDir + "/download.klt");
    fill(file);
    file.CanonicalRename();
    file.WriteKLT7(file.FileName(), TDateTimeMark::None());
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

} // namespace klt
