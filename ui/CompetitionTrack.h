#pragma once
// The competition's 20 km track with both riders' markers, drawn on a canvas so that the window
// and a test draw the same picture.
#include "analysis/PRBGICanvas.h"
#include "online/CompetitionRaceState.h"

namespace klt {

// Rider 1 or 2's colour, shared by his marker and his displays.
TRgb CompetitionRiderColour(int rider);

// Fills the prepared canvas: two lanes from the start line to the finish, kilometre marks, and a
// marker per rider (his number, the metres ridden) whose front stands at his distance.
void DrawCompetitionTrack(TPRBGICanvas& canvas, const TCompetitionRaceState& race);

// Where rider 1 or 2's marker front stands on a canvas of this size, and the lane's middle.
TCanvasPoint CompetitionMarkerFront(TCanvasSize canvas, int rider, double metres);

} // namespace klt
