#pragma once
// The beat-to-beat intervals a generation VI or 7 head unit collects from the heart-rate strap and
// hands over on request (docs/usb-beats.md).
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace klt {

struct TBeatIntervals {
    // Oldest first, in tenths of a millisecond.
    std::vector<uint16_t> intervals;
    // Beats the head unit had to drop, the oldest first, because nobody read them in time; they lay
    // just before the first interval given.
    int lost = 0;
};

// The head unit keeps this many intervals between two reads.
inline constexpr size_t kMaxBeatIntervals = 64;

// The reply's payload after class and code: a count, the lost beats and the count's 16-bit
// big-endian intervals. The invalid-data error for a count above kMaxBeatIntervals or a payload
// of another length than the count says.
TBeatIntervals DecodeBeatIntervals(std::span<const uint8_t> payload);

} // namespace klt
