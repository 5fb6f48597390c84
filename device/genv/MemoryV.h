#pragma once
// The recording memory of generation V head units: 64-byte blocks, each opening with its BCD date
// and time and a temperature, followed by 5-byte records. Flagged blocks start a new training.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace klt {

inline constexpr size_t kMemoryVBlockSize = 64;

struct TVeltrakVBlockStart {
    uint8_t day = 0;
    uint8_t month = 0;
    uint8_t hour = 0;
    uint8_t minute = 0;
    uint8_t second = 0;
    bool speedPerMinute = false;
    bool startsTraining = false;
    bool operator==(const TVeltrakVBlockStart&) const = default;
};

// The block's date and time; none when the block holds no date or no data.
std::optional<TVeltrakVBlockStart> MemoryVBlockStart(std::span<const uint8_t> block);
// Whether the block holds recorded data (bytes 8 to 63 not all zero).
bool MemoryVBlockHoldsData(std::span<const uint8_t> block);

struct TVeltrakVSample {
    int32_t power = 0;
    int32_t speed = 0;
    int32_t cadence = 0;
    int32_t heartRate = 0;
    int32_t temperature = 0; // tenths of a degree, from its block
    bool operator==(const TVeltrakVSample&) const = default;
};

// Sample indices; `last` is -1 while the marker is still open at the end of the training.
struct TVeltrakVMarker {
    int first = 0;
    int last = -1;
    bool operator==(const TVeltrakVMarker&) const = default;
};

// Samples recorded one after the other from the time of the block that begins them.
struct TVeltrakVTimeBlock {
    TVeltrakVBlockStart start;
    int count = 0;
    bool operator==(const TVeltrakVTimeBlock&) const = default;
};

struct TVeltrakVTraining {
    TVeltrakVBlockStart start;
    std::vector<TVeltrakVSample> samples;
    std::vector<TVeltrakVMarker> markers;
    // One, unless a block of the training was lost: the samples after it go on at their own time.
    std::vector<TVeltrakVTimeBlock> blocks;
};

struct TMemoryVParse {
    std::vector<TVeltrakVTraining> trainings;
    int undatedBlocks = 0;   // data without a valid date and time
    int unstartedBlocks = 0; // data before the first training start
    int garbledBlocks = 0;   // still garbled after the download's attempts

    // What of the memory became no training, as reasons for keeping it; empty when nothing.
    std::vector<std::string> Problems() const;
};

// Splits the memory into trainings. `intervalHundredths` is the storage interval the head unit
// recorded with; `garbled` holds the indices of blocks that came garbled, whose records are no
// samples. The last block of a training holds no samples after its last recorded one.
TMemoryVParse ParseMemoryV(std::span<const uint8_t> memory, uint16_t firmware, int32_t intervalHundredths,
                           std::span<const size_t> garbled = {});

} // namespace klt
