#include "online/CompetitionRace.h"

#include <algorithm>
#include <cmath>

namespace klt {
namespace {

constexpr double kTrackKilometres = 20.0;

} // namespace

std::string CompetitionCountDown(int secondsLeft) {
    const int seconds = std::max(secondsLeft, 0);
    return std::to_string(seconds / 60) + (seconds % 60 < 10 ? ":0" : ":") + std::to_string(seconds % 60);
}

int CompetitionMarkerPosition(int trackWidth, double distance) {
    const double position = trackWidth * (distance / 1000.0 / kTrackKilometres);
    if (!(position > 0.0)) { // also NaN
        return 0;
    }
    return position >= trackWidth ? trackWidth : static_cast<int>(position);
}

} // namespace klt
