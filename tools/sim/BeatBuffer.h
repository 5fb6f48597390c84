#pragma once
// The head unit's store of detected beat intervals between two reads: bounded, the newest kept,
// the dropped ones counted (docs/usb-beats.md).
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

namespace klt::sim {

struct TBeatBatch {
    std::vector<uint16_t> intervals; // oldest first
    int lost = 0;                    // dropped before the first, up to 255
};

class TBeatBuffer {
public:
    static constexpr size_t kCapacity = 64;
    static constexpr int kMaxLost = 255;

    void Add(uint16_t interval);
    // Everything kept since the previous take; the buffer starts afresh.
    TBeatBatch Take();

private:
    std::deque<uint16_t> intervals_;
    int lost_ = 0;
};

} // namespace klt::sim
