#include "tests/support/AnalysisRides.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "tests/support/MemoryTraining.h"

namespace klt::test {
namespace {

int RawHeartRate(double bpm) {
    return static_cast<int>(std::lround(64 * bpm));
}

} // namespace

void FillLineRide(TKLTFile& file, const TLineRide& ride) {
    static constexpr std::array<int, 8> levels = {100, 200, 160, 300, 240, 120, 280, 180};
    auto watts = [](int second) { return levels[static_cast<size_t>(std::max(second, 0) / 180) % levels.size()]; };
    FillTraining(file, ride.samples);
    for (int i = 1; i <= ride.samples; ++i) {
        const double bpm = ride.intercept + ride.slope * watts(i - 1 - ride.delay);
        file.Sample(i).Set(8 * watts(i - 1), 32 * 90, RawHeartRate(bpm), 8000, 100, 200);
    }
    file.Normalise();
}

void FillStepTest(TKLTFile& file, bool deflection) {
    constexpr int steps = 14, seconds = 60;
    FillTraining(file, steps * seconds);
    for (int i = 1; i <= steps * seconds; ++i) {
        const double watts = 100 + 20 * ((i - 1) / seconds);
        const double bpm = deflection && watts > kStepTestDeflectionWatts
                               ? kStepTestDeflectionBpm + 0.1 * (watts - kStepTestDeflectionWatts)
                               : 100 + 0.3 * (watts - 100);
        file.Sample(i).Set(static_cast<int>(8 * watts), 32 * 90, RawHeartRate(bpm), 9000, 100, 200);
    }
    file.Normalise();
}

void WriteLineRide(const std::string& path) {
    TKLTFile file(path);
    FillLineRide(file);
    file.WriteKLT7(path, TDateTimeMark::None());
}

void WriteStepTest(const std::string& path, bool deflection) {
    TKLTFile file(path);
    FillStepTest(file, deflection);
    file.WriteKLT7(path, TDateTimeMark::None());
}

} // namespace klt::test
