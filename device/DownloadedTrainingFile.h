#pragma once
// Writing a training that came from a head unit into its place in the training database.
#include <exception>
#include <functional>
#include <string>

namespace klt {

class TKLTFile;

using TDownloadExceptionHandler = std::function<void(const std::exception&)>;

// The training database's folder; EKLTFileDatabaseError when no database is set up.
const std::string& RequiredDatabaseDir();

// Builds a training with `fill` and writes it under the next free canonical name; returns its path.
// EKLTFileDatabaseError when no database is set up.
std::string SaveDownloadedTraining(const std::function<void(TKLTFile&)>& fill);

// Runs `saveOne` for each of `count` trainings. A klt::Exception of one goes to `handler` (rethrown
// without one) and the next follows. Without a database nothing runs: EKLTFileDatabaseError.
void ForEachDownloadedTraining(size_t count, const std::function<void(size_t)>& saveOne,
                               const TDownloadExceptionHandler& handler);

} // namespace klt
