#pragma once
// Writing a training that came from a head unit into its place in the training database.
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "device/DownloadResult.h"

namespace klt {

class TKLTFile;

using TDownloadExceptionHandler = std::function<void(const std::exception&)>;

// The training database's folder; EKLTFileDatabaseError when no database is set up.
const std::string& RequiredDatabaseDir();

// Builds a training with `fill`, writes it under the next free canonical name and reads it back;
// returns its path. EKLTFileDatabaseError when no database is set up; EKLTFileInOutError when the
// file read back is not the training written.
std::string SaveDownloadedTraining(const std::function<void(TKLTFile&)>& fill);

// Runs `saveOne` for each of `count` trainings. A klt::Exception of one goes to `handler` (rethrown
// without one) and the next follows. Without a database nothing runs: EKLTFileDatabaseError.
void ForEachDownloadedTraining(size_t count, const std::function<void(size_t)>& saveOne,
                               const TDownloadExceptionHandler& handler);

// Runs a conversion that writes trainings and collects the outcome: the files written and one
// message per failed training, each also passed to `handler`. A failure of the conversion as a
// whole cuts the result and goes to `handler` too (rethrown without one).
TDownloadResult CollectDownloadedTrainings(
    const std::function<std::vector<std::string>(const TDownloadExceptionHandler&)>& convert,
    const TDownloadExceptionHandler& handler = {});

} // namespace klt
