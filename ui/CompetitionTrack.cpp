#include "ui/CompetitionTrack.h"

#include <algorithm>

#include "core/NumberFormat.h"
#include "online/CompetitionRace.h"

namespace klt {
namespace {

constexpr TRgb kGround{27, 31, 36};
constexpr TRgb kLane{58, 64, 72};
constexpr TRgb kLine{235, 235, 235};
constexpr TRgb kMarkText{170, 176, 184};
constexpr int kKilometreStep = 5;

// The track's geometry on a canvas: room for a marker before the start line and the kilometre
// texts below the lanes.
struct TTrackLayout {
    int start;  // x of the start line
    int finish; // x of the finish line
    int top;    // top of lane 1
    int laneHeight;
    int gap;

    explicit TTrackLayout(TCanvasSize size) {
        const int margin = std::max(size.width / 40, 4);
        start = margin + MarkerWidth(size);
        finish = std::max(size.width - margin, start + 1);
        top = margin;
        gap = margin / 2;
        laneHeight = std::max((size.height - 2 * margin - gap) * 2 / 5, 1);
    }
    static int MarkerWidth(TCanvasSize size) { return std::max(size.width / 16, 12); }
    int LaneTop(int rider) const { return top + (rider - 1) * (laneHeight + gap); }
    int Bottom() const { return LaneTop(2) + laneHeight; }
};

void DrawMarker(TPRBGICanvas& canvas, const TTrackLayout& layout, int rider, double metres) {
    const TCanvasSize size{canvas.Width(), canvas.Height()};
    const int front = CompetitionMarkerFront(size, rider, metres).x;
    const int width = TTrackLayout::MarkerWidth(size);
    const int inset = layout.laneHeight / 8;
    const TCanvasRect marker{front - width, layout.LaneTop(rider) + inset, front,
                             layout.LaneTop(rider) + layout.laneHeight - inset};
    canvas.FillRect(marker, CompetitionRiderColour(rider));
    canvas.SetTextColor({255, 255, 255});
    const std::string number = std::to_string(rider);
    const TCanvasSize text = canvas.TextExtent(number);
    canvas.TextOut(marker.left + (width - text.width) / 2, marker.top + (marker.bottom - marker.top - text.height) / 2,
                   number);

    // The metres ridden beside the marker, before it once it nears the finish.
    const std::string ridden = FormatFloatFixed(metres, 0, true, FormatSettings()) + " m";
    const TCanvasSize label = canvas.TextExtent(ridden);
    const int pad = canvas.CharWidth() / 2;
    const int x = front + pad + label.width <= layout.finish ? front + pad : marker.left - pad - label.width;
    canvas.SetTextColor(kLine);
    canvas.TextOut(x, marker.top + (marker.bottom - marker.top - label.height) / 2, ridden);
}

} // namespace

TRgb CompetitionRiderColour(int rider) {
    return rider == 2 ? TRgb{0, 150, 255} : TRgb{255, 90, 40};
}

TCanvasPoint CompetitionMarkerFront(TCanvasSize canvas, int rider, double metres) {
    const TTrackLayout layout(canvas);
    return {layout.start + CompetitionMarkerPosition(layout.finish - layout.start, metres),
            layout.LaneTop(rider) + layout.laneHeight / 2};
}

void DrawCompetitionTrack(TPRBGICanvas& canvas, const TCompetitionRaceState& race) {
    const TTrackLayout layout({canvas.Width(), canvas.Height()});
    canvas.FillRect({0, 0, canvas.Width(), canvas.Height()}, kGround);
    for (int rider = 1; rider <= 2; ++rider) {
        const int top = layout.LaneTop(rider);
        canvas.FillRect({0, top, canvas.Width(), top + layout.laneHeight}, kLane);
    }

    const int thick = canvas.PenWidth() * 3;
    const int length = layout.finish - layout.start;
    canvas.SetTextColor(kMarkText);
    for (int km = 0; km <= static_cast<int>(kCompetitionTrackMetres / 1000); km += kKilometreStep) {
        const int x = layout.start + length * km * 1000 / static_cast<int>(kCompetitionTrackMetres);
        const bool end = km == 0 || km * 1000 == static_cast<int>(kCompetitionTrackMetres);
        canvas.SetPen(kLine, end ? thick : canvas.PenWidth(), end ? TCanvasLineStyle::Solid : TCanvasLineStyle::Dash);
        canvas.Line({x, layout.top}, {x, layout.Bottom()});
        const std::string text = std::to_string(km) + " km";
        const int width = canvas.TextExtent(text).width;
        canvas.TextOut(std::clamp(x - width / 2, 0, canvas.Width() - width), layout.Bottom() + thick, text);
    }

    for (int rider = 1; rider <= 2; ++rider) {
        if (race.MarkerVisible(rider)) {
            DrawMarker(canvas, layout, rider, race.Metres(rider));
        }
    }
}

} // namespace klt
