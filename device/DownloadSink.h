#pragma once
// Where a download hands what it reads. The program around the head unit (the training database,
// the user, the progress display) sits behind this one interface, so the download itself never
// writes a file, reads the configuration or asks the user; the window, `klt` and tests each
// provide their own.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/Prompt.h"

namespace klt {

class TTrainingData;

// A training the database holds already.
struct TStoredTraining {
    int32_t startTime = 0; // its first sample, hundredths of its day
    int64_t endTime = 0;   // the end of its last block, hundredths from the start of its day
    int samples = 0;
};

// A training a head unit offers before its data are read: one line of the choice.
struct TSectionChoice {
    std::string line; // 120 characters, blank-filled
    bool chosen = true;
};

class IDownloadSink {
public:
    virtual ~IDownloadSink() = default;

    // The training of these initials (compared as training folders compare them) whose first
    // sample on `day` lies within fromTime..toTime (hundredths of the day); the earliest such, or
    // none.
    virtual std::optional<TStoredTraining> StoredTraining(const std::string& initials, uint16_t day, int32_t fromTime,
                                                          int32_t toTime) = 0;
    // Puts a new training into its place without replacing any file and reads it back once;
    // returns its path. Throws, naming the file, when it is not there as it was given.
    virtual std::string SaveTraining(const TTrainingData& training) = 0;
    // Takes back a training this download saved: the ride it belongs to could not be read whole.
    virtual void RemoveTraining(const std::string& path) = 0;

    // Questions and messages for the user.
    virtual IPrompt& UserPrompt() = 0;
    // The user unticks the trainings not to read; they stay in the head unit.
    virtual void ChooseTrainings(std::vector<TSectionChoice>& choices) = 0;
    virtual void Progress(int percent) = 0;
    // How long reading the rest will take (hundredths), where it can be told.
    virtual void RemainingTime(int64_t hundredths) = 0;
    // Whether the user asked the download to stop. Asked between requests and records.
    virtual bool AbortRequested() = 0;
};

} // namespace klt
