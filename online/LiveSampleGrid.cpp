#include "online/LiveSampleGrid.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace klt {
namespace {

constexpr double kMsPerDay = 86'400'000.0;
constexpr double kHundredthsPerDay = 8'640'000.0;
constexpr double kNewBlockIntervals = 10.0;

bool HasWallTime(double wallTime) { return std::isfinite(wallTime) && wallTime > 0; }

} // namespace

TLiveSampleGrid::TLiveSampleGrid(TTrainingData& training, int32_t startWithoutWallTime)
    : training_(training), intervalMs_(std::round(training.IntervalSeconds() * 1000)),
      startWithoutWallTime_(std::max(0, startWithoutWallTime)) {}

bool TLiveSampleGrid::Lay(const TKLTOnlineData& sample) {
    std::vector<TKLTBlock>& blocks = training_.EditBlocks();
    if (blocks.empty()) {
        return OpenBlock(sample) && WriteLive(sample);
    }
    if (!HasWallTime(sample.WallTime) || !HasWallTime(blockWallTime_)) {
        return WriteLive(sample);
    }
    // How far the sample comes after its place on the grid, in whole milliseconds (the times'
    // resolution) so that a sample exactly one interval off is not taken for more by a rounding.
    const double sinceBlockMs = std::round((sample.WallTime - blockWallTime_) * kMsPerDay);
    double lateMs = sinceBlockMs - blocks.back().count * intervalMs_;
    if (lateMs < -intervalMs_) {
        markPending_ = markPending_ || sample.Marker;
        return true;
    }
    if (lateMs >= kNewBlockIntervals * intervalMs_) {
        return OpenBlock(sample) && WriteLive(sample);
    }
    for (; lateMs > intervalMs_; lateMs -= intervalMs_) {
        // A missed read: the rider went on as last measured, so holding the values keeps work,
        // distance and the averages near the truth where zeros would show a stop that never was.
        const TData previous = training_.Sample(training_.SampleCount() - 1);
        if (!Write(previous, false)) {
            return false;
        }
    }
    return WriteLive(sample);
}

bool TLiveSampleGrid::OpenBlock(const TKLTOnlineData& sample) {
    std::vector<TKLTBlock>& blocks = training_.EditBlocks();
    if (blocks.size() >= TKLTFile::kMaxBlocks || training_.SampleCount() >= TTrainingData::kMaxSamples) {
        return false;
    }
    const bool timed = HasWallTime(sample.WallTime); // always so after the first block
    if (blocks.empty() && timed) {
        originDay_ = std::floor(sample.WallTime);
    }
    blocks.push_back({timed ? TimeOfDay(sample.WallTime) : static_cast<uint32_t>(startWithoutWallTime_), 0});
    blockWallTime_ = timed ? sample.WallTime : 0;
    return true;
}

bool TLiveSampleGrid::WriteLive(const TKLTOnlineData& sample) {
    const bool marked = markPending_ || sample.Marker;
    markPending_ = false;
    return Write(sample, marked);
}

bool TLiveSampleGrid::Write(const TData& sample, bool marked) {
    if (training_.SampleCount() >= TTrainingData::kMaxSamples) {
        return false;
    }
    training_.AddSample(sample);
    ++training_.EditBlocks().back().count;
    if (marked) {
        marked_.push_back(training_.SampleCount());
    }
    return true;
}

uint32_t TLiveSampleGrid::TimeOfDay(double wallTime) const {
    const double hundredths = std::round((wallTime - originDay_) * kHundredthsPerDay);
    return static_cast<uint32_t>(std::clamp(hundredths, 0.0, double{std::numeric_limits<uint32_t>::max()}));
}

} // namespace klt
