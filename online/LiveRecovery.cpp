#include "online/LiveRecovery.h"

#include <filesystem>

#include "core/TrainingStore.h"

namespace klt {
namespace {

std::string RecoveryPath(const std::string& databaseDir) {
    return (std::filesystem::path(databaseDir) / "LiveRecovery" / "ride.klt").string();
}

} // namespace

TLiveRecovery::TLiveRecovery(const std::string& databaseDir, std::chrono::milliseconds interval)
    : path_(RecoveryPath(databaseDir)), interval_(interval) {}

void TLiveRecovery::Keep(const TTrainingData& ride, bool now) {
    const auto time = std::chrono::steady_clock::now();
    if (!now && lastWrite_ && time - *lastWrite_ < interval_) {
        return;
    }
    lastWrite_ = time;
    if (ride.SampleCount() == 0) {
        return;
    }
    try {
        ride.WriteTraining(path_);
        failure_.clear();
    } catch (const std::exception& error) {
        failure_ = error.what();
    }
}

void TLiveRecovery::Discard() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
    std::filesystem::remove(std::filesystem::path(path_).parent_path(), ignored); // only when empty
    lastWrite_.reset();
}

std::optional<std::string> StoreLeftBehindRide(const std::string& databaseDir) {
    const std::string path = RecoveryPath(databaseDir);
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return std::nullopt;
    }
    TTrainingData ride;
    ride.ReadTraining(path);
    const std::string stored = StoreNewTraining(ride, databaseDir);
    TLiveRecovery(databaseDir).Discard();
    return stored;
}

} // namespace klt
