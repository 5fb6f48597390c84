#include "tools/sim/BeatBuffer.h"

#include <algorithm>

namespace klt::sim {

void TBeatBuffer::Add(uint16_t interval) {
    if (intervals_.size() == kCapacity) {
        intervals_.pop_front();
        lost_ = std::min(lost_ + 1, kMaxLost);
    }
    intervals_.push_back(interval);
}

TBeatBatch TBeatBuffer::Take() {
    TBeatBatch batch{{intervals_.begin(), intervals_.end()}, lost_};
    intervals_.clear();
    lost_ = 0;
    return batch;
}

} // namespace klt::sim
