#pragma once
// The competition window's race of two riders over a 20 km track for one minute.

#include <string>

namespace klt {

constexpr int kCompetitionSeconds = 60;

// The count-down as shown: minutes ":" two-digit seconds ("1:00", "0:09"); never below "0:00".
std::string CompetitionCountDown(int secondsLeft);

// Where a rider's marker stands on a track `trackWidth` pixels wide after `distance` metres of
// the 20 km: 0 at the start, trackWidth at the end and beyond.
int CompetitionMarkerPosition(int trackWidth, double distance);

} // namespace klt
