#pragma once
// A named interval of a training (marker 0 is the whole ride and carries the athlete's initials)
// with the sums its averages, work and distance derive from.
#include <cstdint>
#include <optional>
#include <string>

#include "core/HeartRateRegression.h"

namespace klt {

class TKLTMarker {
public:
    TKLTMarker() = default;
    TKLTMarker(std::string markerName, int firstIndex, int lastIndex)
        : name(std::move(markerName)), first(firstIndex), last(lastIndex) {}

    std::string name;
    int first = 0; // 1-based sample index; 0 = empty
    int last = 0;
    int32_t startTime = 0; // 1/100 s, time of day of the first sample
    int32_t endTime = 0;   // time of the last sample + interval - 1
    int interval = 0;      // recording interval (1/100 s) the values were computed with

    // Raw-unit sums over the marker's samples; wide enough for any 16-bit sample count.
    int64_t sumPower = 0;
    int64_t sumHeartRate = 0;
    int64_t sumSpeed = 0;
    int64_t sumCadence = 0;
    int64_t sumTemperature = 0;
    int64_t climb = 0; // every rise of altitude from one sample to the next

    // The last heart-rate fit, reused while its parameters stay the same.
    std::optional<THeartRateFit> heartRateFit;

    bool SameRange(const TKLTMarker& other) const { return first == other.first && last == other.last; }
    int SampleCount() const { return last == 0 || last < first ? 0 : last - first + 1; }

    // Rounded mean of a sum over the marker's samples; a one-sample marker yields the sum itself.
    int64_t Average(int64_t sum) const;
    int64_t AvgPower() const { return Average(sumPower); }
    int64_t AvgHeartRate() const { return Average(sumHeartRate); }
    int64_t AvgCadence() const { return Average(sumCadence); }
    int64_t AvgSpeed() const { return Average(sumSpeed); }
    int64_t AvgTemperature() const { return Average(sumTemperature); }

    int64_t Duration() const { return int64_t{SampleCount()} * interval; } // 1/100 s
    int64_t TimeSpan() const { return int64_t{endTime} - startTime + 1; }
    int64_t Work() const { return int64_t{interval} * sumPower; }     // 1/800 J
    int64_t Distance() const { return int64_t{interval} * sumSpeed; } // 0.01 mm
};

} // namespace klt
