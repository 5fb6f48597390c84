#include "analysis/DiagramSmoothing.h"

#include <cmath>
#include <cstdlib>

#include "core/KLTDate.h"

namespace klt {

int SmoothingWindowTime(int32_t maxGlaettung, int first, int last, int interval) {
    if (maxGlaettung >= 0) {
        return maxGlaettung;
    }
    const double duration = double(last - first + 1) * interval;
    return static_cast<int>(std::lround(duration * std::abs(maxGlaettung) / 100.0));
}

std::string SmoothingText(int32_t maxGlaettung) {
    if (maxGlaettung < 0) {
        return std::to_string(-maxGlaettung) + "%";
    }
    return FormatTimeOfDay(maxGlaettung, false);
}

} // namespace klt
