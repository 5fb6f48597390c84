#pragma once
// A ride that reached the program is never lost: while a run records, the samples so far are kept
// as a training in "LiveRecovery" below the database, replaced atomically every few seconds. A
// crash, a killed program or a lost link leaves that file behind, and the next run stores it in
// the database before it starts. Once the ride is saved, the file goes.
#include <chrono>
#include <optional>
#include <string>

#include "core/TrainingDataUnit.h"

namespace klt {

class TLiveRecovery {
public:
    static constexpr std::chrono::seconds kDefaultInterval{10};

    explicit TLiveRecovery(const std::string& databaseDir, std::chrono::milliseconds interval = kDefaultInterval);

    const std::string& Path() const { return path_; }
    // Replaces the kept ride when `interval` has passed since the last time (or always with
    // `now`). A failure to write is kept for Failure() and never stops the run.
    void Keep(const TTrainingData& ride, bool now = false);
    // What the last write failed with; empty while the ride is kept.
    const std::string& Failure() const { return failure_; }
    // The ride is safe elsewhere.
    void Discard();

private:
    std::string path_;
    std::chrono::milliseconds interval_;
    std::optional<std::chrono::steady_clock::time_point> lastWrite_;
    std::string failure_;
};

// Stores a ride an earlier run left behind in the database and removes it; the path it got, or
// nothing when there was none. A kept ride that does not read stays where it is and the error
// (naming it) is thrown, so it can be looked at.
std::optional<std::string> StoreLeftBehindRide(const std::string& databaseDir);

} // namespace klt
