#pragma once
// Sums over a run of sample records, the work behind every marker's averages. It runs over every
// sample each time a training is read, so it has a vectorised path where the processor allows.
#include <cstddef>
#include <cstdint>

namespace klt {

struct TSampleSums {
    // Stored units (W, rpm, bpm as in the record; speed mm/s; temperature 0.1 degC; climb m).
    int64_t watts = 0;
    int64_t revolutions = 0;
    int64_t beats = 0;
    int64_t speed = 0;
    int64_t temperature = 0;
    int64_t climb = 0;          // every rise of altitude from one sample to the next
    int32_t previousAltitude = 0; // altitude of the sample before the next run

    // Adds `count` consecutive 14-byte sample records.
    void AddRun(const uint8_t* records, size_t count);
};

} // namespace klt
