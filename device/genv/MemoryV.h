#pragma once
// The recording memory of generation V head units: 64-byte blocks, each opening with its BCD date
// and time and a temperature, followed by 5-byte records. Flagged blocks start a new training.
#include <cstdint>
#include <optional>
#include <span>
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

struct TVeltrakVSample {
    int32_t power = 0;
    int32_t speed = 0;
    int32_t cadence = 0;
    int32_t heartRate = 0;
    bool operator==(const TVeltrakVSample&) const = default;
};

// Sample indices; `last` is -1 while the marker is still open at the end of the training.
struct TVeltrakVMarker {
    int first = 0;
    int last = -1;
    bool operator==(const TVeltrakVMarker&) const = default;
};

struct TVeltrakVTraining {
    TVeltrakVBlockStart start;
    int32_t temperature = 0; // tenths of a degree
    std::vector<TVeltrakVSample> samples;
    std::vector<TVeltrakVMarker> markers;
};

// Splits the memory into trainings. Blocks before the first training start are passed over.
// `intervalHundredths` is the storage interval the head unit recorded with.
std::vector<TVeltrakVTraining> ParseMemoryV(std::span<const uint8_t> memory, uint16_t firmware,
                                            int32_t intervalHundredths);

} // namespace klt
