#pragma once
// A whole ergo program ridden on the ergometer without a window: the read thread polls the head
// unit, the brake regulator follows the program's targets, and the run records a sample per read,
// two a second. `klt ergo run` and the regulation benchmark drive it.
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/KLTDate.h"
#include "device/kltcomm.h"
#include "online/CollectedWarnings.h"
#include "online/ErgoProgramPlayer.h"
#include "online/KLTOnlineData.h"
#include "online/LiveRecovery.h"
#include "online/LiveTraining.h"
#include "online/OnlineCommonOptionSet.h"
#include "online/RegulationFigures.h"

namespace klt {

struct TErgoRunSettings {
    // Real time between two samples: half a second, shorter against a simulator that runs faster.
    std::chrono::milliseconds cycle{500};
    // Below it the reader's and the regulator's logs; none when empty.
    std::string logDirectory;
    TOnlineCommonOptionSet options;
    // How many samples the rider may take to start pedalling before the run gives up.
    int startSamples = 120;
    // Who rides and what the training is to say; its date and start time are the run's.
    TLiveTrainingInfo ride;
    // Below it the ride so far is kept while it records (none when empty); see TLiveRecovery.
    std::string recoveryDirectory;
};

struct TErgoRunProgress {
    int sample = 0;
    int step = 0;
    int64_t elapsedMs = 0; // of the program, two samples a second
    int64_t totalMs = 0;
    int targetWatts = 0;
    int watts = 0;
};

class TErgoRun {
public:
    TErgoRun(TVeltrakOld& veltrak, const TKLTErgoFile& program, TErgoRunSettings settings);

    // Waits for the rider to pedal, then plays the program to its end; `progress` after each sample.
    // Returns early once `cancelled` says so (asked at least every few cycles). The brake is released however the run ends; a lost
    // head unit, a failing brake or a rider who never starts throw after that.
    void Run(const std::function<void(const TErgoRunProgress&)>& progress, const std::function<bool()>& cancelled);

    const TKLTOnlineDatas& Samples() const { return samples_; }
    // The ride as a training (none before the rider started); the recovery copy stays until the caller has stored it and calls
    // RideStored().
    TTrainingData Training() const;
    void RideStored();
    // Seconds, target and measured power of every sample, for MeasureRegulation.
    std::vector<TRegulationSample> RegulationSamples() const;
    std::vector<std::string> Warnings() const { return warnings_.Texts(); }

private:
    void Ride(const std::function<void(const TErgoRunProgress&)>& progress, const std::function<bool()>& cancelled);

    TVeltrakOld& veltrak_;
    TErgoProgramPlayer player_;
    TErgoRunSettings settings_;
    TKLTOnlineDatas samples_;
    TCollectedWarnings warnings_;
    TDateTimeMark started_;
    std::optional<TLiveRecovery> recovery_;
};

} // namespace klt
