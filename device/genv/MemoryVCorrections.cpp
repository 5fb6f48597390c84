#include "device/genv/MemoryVCorrections.h"

#include <algorithm>
#include <cmath>

namespace klt {
namespace {

constexpr size_t kFirstCorrectedSample = 5; // corrections start with the sixth sample
constexpr int32_t kCadenceStopHundredths = 150;
// A held value is only a late reading when the hold is short; longer steady stretches are real.
constexpr int32_t kLongestHeldHundredths = 300;
constexpr int32_t kCadenceJumpRpm = 120;

bool SameReading(const TVeltrakVSample& a, const TVeltrakVSample& b) {
    return a.power == b.power && a.cadence == b.cadence;
}

int32_t Between(int32_t from, int32_t to, size_t step, size_t steps) {
    return from + static_cast<int32_t>(std::lround(static_cast<double>(to - from) * static_cast<double>(step) /
                                                   static_cast<double>(steps)));
}

// A stopped crank shows up in the samples only some time after the rider stopped pedalling; the
// samples of that lag still carry the last power and cadence.
void ClearCadenceStop(std::vector<TVeltrakVSample>& samples, int32_t interval) {
    const size_t last = samples.size() - 1;
    if (interval > 100 || samples[last].cadence != 0 || samples[last - 1].cadence == 0) {
        return;
    }
    const auto lag = static_cast<size_t>(std::lround(static_cast<double>(kCadenceStopHundredths) / interval));
    for (size_t i = last - std::min(lag, last); i < last; ++i) {
        samples[i].power = 0;
        samples[i].cadence = 0;
    }
}

// When the newest sample changes the reading, the run of repeats before it was the head unit
// holding one late reading: spread the change over it. Standing still (cadence 0) is never a hold.
void InterpolateHeldRun(std::vector<TVeltrakVSample>& samples, int32_t interval) {
    const size_t last = samples.size() - 1;
    if (interval >= 200 || SameReading(samples[last], samples[last - 1])) {
        return;
    }
    size_t first = last - 1; // the first sample of the run of repeats ending at last - 1
    while (first > 0 && SameReading(samples[first - 1], samples[last - 1])) {
        --first;
    }
    const size_t steps = last - first;
    if (steps < 2 || first == 0 || static_cast<int64_t>(steps - 1) * interval > kLongestHeldHundredths ||
        samples[first].cadence == 0 || samples[last].cadence == 0) {
        return;
    }
    const TVeltrakVSample from = samples[first];
    for (size_t i = first + 1; i < last; ++i) {
        samples[i].power = Between(from.power, samples[last].power, i - first, steps);
        samples[i].cadence = Between(from.cadence, samples[last].cadence, i - first, steps);
    }
}

// Older firmware at slow intervals now and then counts one cadence reading across 120 rpm while
// its neighbours stay on the other side; the reading between them is taken as their mean.
void SmoothCadenceJump(std::vector<TVeltrakVSample>& samples) {
    const size_t last = samples.size() - 1;
    TVeltrakVSample& middle = samples[last - 1];
    const int32_t before = samples[last - 2].cadence, after = samples[last].cadence;
    const bool above = middle.cadence > kCadenceJumpRpm;
    if (above == (before > kCadenceJumpRpm) || above == (after > kCadenceJumpRpm)) {
        return;
    }
    middle.cadence = (before + after) / 2;
}

} // namespace

void TMemoryVCorrections::AfterSample(std::vector<TVeltrakVSample>& samples) const {
    if (intervalHundredths <= 0 || samples.size() <= kFirstCorrectedSample) {
        return;
    }
    if (firmware < kFirstSteadyCadenceFirmware && intervalHundredths > 100) {
        SmoothCadenceJump(samples);
    }
    ClearCadenceStop(samples, intervalHundredths);
    InterpolateHeldRun(samples, intervalHundredths);
}

} // namespace klt
