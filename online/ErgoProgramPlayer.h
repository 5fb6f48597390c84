#pragma once
// Where an ergo program stands at a time of the run: which step is in force and what it asks of
// the rider, in watts and beats and revolutions per minute.
#include <cstdint>
#include <vector>

#include "online/KLTErgoFile.h"

namespace klt {

struct TErgoTargets {
    TErgoControl control = TErgoControl::None;
    int watts = 0;
    int heartRate = 0; // 1/min
    int cadence = 0;   // 1/min
    bool operator==(const TErgoTargets&) const = default;
};

class TErgoProgramPlayer {
public:
    explicit TErgoProgramPlayer(const TKLTErgoFile& program);

    int StepCount() const { return static_cast<int>(starts_.size()); }
    // The sum of the steps' times.
    int64_t TotalMs() const { return totalMs_; }
    // The step in force `elapsedMs` into the run; -1 once the program is over. Steps without time
    // are passed over.
    int StepAt(int64_t elapsedMs) const;
    int64_t StepStartMs(int step) const;
    // Nothing asked of the rider for a step outside the program.
    TErgoTargets Targets(int step) const;

private:
    std::vector<int64_t> starts_; // of every step, and the end after the last
    std::vector<TErgoTargets> targets_;
    int64_t totalMs_ = 0;
};

} // namespace klt
