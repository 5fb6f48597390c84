#pragma once
// Live samples laid on a training's nominal grid by their wall times. The head unit's reads come
// late or bunched up; a training holds one sample per interval in blocks of unbroken recording:
// a sample more than one interval early is dropped, one that is late by more than one interval
// is preceded by copies of the sample before it until it is on time again, and one that is late
// by ten intervals or more starts a new block at its own time. Each block's grid counts from its
// first sample, so the samples after a long gap are on time again.
#include <cstdint>
#include <vector>

#include "core/TrainingDataUnit.h"
#include "online/KLTOnlineData.h"

namespace klt {

class TLiveSampleGrid {
public:
    // Lays samples into `training` at its interval; the first block starts at the first sample's
    // time of day, or at `startWithoutWallTime` (1/100 s since midnight) when it has none.
    TLiveSampleGrid(TTrainingData& training, int32_t startWithoutWallTime);

    // False once the training holds as many samples or blocks as a file can: later samples are
    // left out. A sample without a wall time, or in a block whose first sample has none, is
    // taken as on time.
    bool Lay(const TKLTOnlineData& sample);

    // 1-based positions of the samples where "Set Marker" was pressed; a dropped sample passes
    // its mark on to the next one laid.
    const std::vector<int>& MarkedPositions() const { return marked_; }

private:
    bool OpenBlock(const TKLTOnlineData& sample);
    bool WriteLive(const TKLTOnlineData& sample);
    bool Write(const TData& sample, bool marked);
    uint32_t TimeOfDay(double wallTime) const;

    TTrainingData& training_;
    const double intervalMs_; // whole milliseconds
    const int32_t startWithoutWallTime_;
    double blockWallTime_ = 0;  // of the current block's first sample; 0 none
    double originDay_ = 0;      // the day of the first sample: later blocks count on past midnight
    bool markPending_ = false;
    std::vector<int> marked_;
};

} // namespace klt
