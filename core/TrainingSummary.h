#pragma once
// What lists of trainings show of one ride without loading its samples: the values of marker 0
// and of the header, as the training database's index keeps them.
#include <cstdint>
#include <string>

namespace klt {

class TKLTFile;

struct TTrainingSummary {
    uint16_t date = 0;      // days since 1880; kNoDate = none
    int32_t startTime = 0;  // 1/100 s, marker 0
    int32_t endTime = 0;    // 1/100 s, marker 0
    uint16_t blockCount = 0;
    int64_t duration = 0;   // 1/100 s
    int64_t work = 0;       // raw units of the kinds
    int64_t distance = 0;
    int64_t avgPower = 0;
    int64_t avgHeartRate = 0;
    int64_t avgSpeed = 0;
    int64_t avgCadence = 0;
    int64_t climb = 0;
    int64_t avgTemperature = 0;
    uint16_t slope = 0;
    uint16_t zeroOffset = 0;
    uint16_t circumference = 0;
    std::string initials; // marker 0's name
    std::string comment;

    bool operator==(const TTrainingSummary&) const = default;
};

// The summary of a loaded training (one with a marker 0).
TTrainingSummary SummaryOf(const TKLTFile& file);

} // namespace klt
