// The ride of a run stored in the database, and kept beside it until then.
#include <filesystem>

#include "core/TrainingStore.h"
#include "online/LiveTraining.h"
#include "online/OnlineRunController.h"

namespace klt {

std::optional<std::string> TOnlineRunController::Save(const TSaveDetails& details) {
    TLiveTrainingInfo info;
    info.initials = details.initials;
    info.date = details.date;
    info.startTime = details.startTime;
    info.comment = details.comment;
    try {
        const TTrainingData training = LiveTraining(samples_[0], info, markerTimes_);
        std::string path = details.path;
        if (path.empty()) {
            path = StoreNewTraining(training, parts_.databaseDir);
        } else {
            training.WriteTraining(path);
        }
        recording_ = false;
        if (recovery_) {
            recovery_->Discard();
        }
        parts_.prompt.ShowMessage("Success", "File saved");
        parts_.owner.TrainingStored(path);
        return path;
    } catch (const std::exception&) {
        parts_.prompt.ShowMessage(
            "Warning", "File could not be saved\r\nIf the problem persist please download the data from Veltrak");
        return std::nullopt;
    }
}

void TOnlineRunController::KeepRide(bool now) {
    if (!recovery_ || !recording_) {
        return;
    }
    if (!now && elapsedMs_ - lastKeptMs_ < kRecoveryEveryMs) {
        return;
    }
    lastKeptMs_ = elapsedMs_;
    const std::optional<TKLTOnlineData> first = samples_[0].Sample(0);
    TLiveTrainingInfo info = StartedAt(parts_.clock.Now());
    if (first && first->WallTime > 0) {
        const auto days = static_cast<int32_t>(first->WallTime);
        info = StartedAt({days, static_cast<int32_t>((first->WallTime - days) * 8'640'000.0)});
    }
    recovery_->Keep(LiveTraining(samples_[0], info, markerTimes_), true);
}

void TOnlineRunController::OfferLeftBehindRide() {
    if (!recovery_ || recording_ || !std::filesystem::exists(recovery_->Path())) {
        return;
    }
    const TPromptAnswer answer = parts_.prompt.Ask(
        "Attention", "A ride was not stored when its run ended.\r\nStore it as a training now?", TPromptButtons::YesNo);
    if (answer != TPromptAnswer::Yes) {
        recovery_->Discard();
        return;
    }
    try {
        if (const std::optional<std::string> path = StoreLeftBehindRide(parts_.databaseDir)) {
            parts_.owner.TrainingStored(*path);
        }
    } catch (const std::exception& error) {
        parts_.prompt.ShowMessage("Warning", error.what());
    }
}

} // namespace klt
