#pragma once
// The download's sink of the window and of `klt`: trainings go into the training database, each put
// in its place without replacing a file and read back once; questions go to the prompt the caller
// gives; progress, the choice of trainings and the time left go to the caller's handlers. The abort
// request may come from another thread than the one the download runs on.
#include <atomic>
#include <functional>
#include <string>

#include "device/DownloadSink.h"

namespace klt {

class TDatabaseSink : public IDownloadSink {
public:
    TDatabaseSink(std::string databaseDir, IPrompt& prompt) : databaseDir_(std::move(databaseDir)), prompt_(prompt) {}

    std::optional<TStoredTraining> StoredTraining(const std::string& initials, uint16_t day, int32_t fromTime,
                                                  int32_t toTime) override;
    // EKLTFileDatabaseError without a database.
    std::string SaveTraining(const TTrainingData& training) override;
    void RemoveTraining(const std::string& path) override;
    IPrompt& UserPrompt() override { return prompt_; }
    void ChooseTrainings(std::vector<TSectionChoice>& choices) override;
    void Progress(int percent) override;
    void RemainingTime(int64_t hundredths) override;
    bool AbortRequested() override { return abort_; }

    void RequestAbort() { abort_ = true; }
    void ClearAbort() { abort_ = false; }
    const std::string& DatabaseDir() const { return databaseDir_; }

    // Without a handler every training is read and nothing is shown.
    std::function<void(std::vector<TSectionChoice>& choices)> OnChoose;
    std::function<void(int percent)> OnProgress;
    std::function<void(int64_t hundredths)> OnRemainingTime;

private:
    const std::string& RequiredDatabaseDir() const;

    std::string databaseDir_;
    IPrompt& prompt_;
    std::atomic<bool> abort_ = false;
};

} // namespace klt
