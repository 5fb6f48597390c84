#include "analysis/AnalyseZoneBands.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "analysis/HeartRateAnalysis.h"
#include "core/KLTDate.h"

namespace klt {
namespace {

std::string Percent(int pairs, int total) {
    return std::to_string(static_cast<int>(std::lround(100.0 * pairs / std::max(total, 1)))) + "%";
}

// Writes the lines centred between two guides when they fit.
void WriteBetween(const TAnalysePaintContext& c, int from, int to, const std::vector<std::string>& lines) {
    int y = c.plot.bottom - c.charHeight * (static_cast<int>(lines.size()) + 1);
    for (const std::string& line : lines) {
        const int width = c.canvas.TextExtent(line).width;
        if (width + c.charWidth <= to - from) {
            c.canvas.TextOut(from + (to - from - width) / 2, y, line);
        }
        y += c.charHeight;
    }
}

} // namespace

std::vector<TZoneShare> ZoneShares(const TTrainingZoneSet& zones, const THeartRateFit& fit,
                                   const std::vector<THeartRatePair>& secondPairs) {
    std::vector<TZoneShare> shares;
    if (!fit.HasLine() || !zones.Enabled || zones.ZoneCount() == 0) {
        return shares;
    }
    const TTrainingZone& firstZone = *zones.Zone(0);
    const bool byPower = firstZone.PowerBegin != 0 || firstZone.PowerEnd != 0;
    std::vector<double> bounds;
    for (const TTrainingZone& zone : zones.Zones()) {
        const double bound = byPower ? zone.PowerBegin : zone.HeartrateBegin;
        THeartRatePair begin;
        if (byPower) {
            begin = {bound, HeartRateAt(fit, bound)};
        } else {
            // Without a rising line a heart-rate bound has no place on it.
            const std::optional<double> power = PowerAtHeartRate(fit, bound);
            if (!power) {
                return {};
            }
            begin = {*power, bound};
        }
        shares.push_back({begin, 0});
        bounds.push_back(bound);
    }
    for (const THeartRatePair& pair : secondPairs) {
        const double value = byPower ? pair.power : pair.heartRate;
        for (size_t i = bounds.size(); i-- > 0;) {
            if (value >= bounds[i]) {
                ++shares[i].pairs;
                break;
            }
        }
    }
    return shares;
}

void DrawAnalyseZoneBands(const TAnalysePaintContext& c, const std::vector<TZoneShare>& shares, int totalPairs,
                          int interval) {
    const TAnalysePlot& p = c.plot;
    c.canvas.SetClip(p.Rect());
    c.canvas.SetPen(c.colours.powerZone, c.penWidth, TCanvasLineStyle::Dash);
    for (const TZoneShare& share : shares) {
        const TCanvasPoint at{p.X(share.begin.power), p.Y(share.begin.heartRate)};
        c.canvas.Line({p.left, at.y}, at);
        c.canvas.Line(at, {at.x, p.bottom});
    }
    c.canvas.ClearClip();
    c.canvas.SetTextColor(c.colours.text);
    int beyond = 0;
    for (size_t i = 0; i < shares.size(); ++i) {
        const int from = std::max(p.X(shares[i].begin.power), p.left);
        const int to = i + 1 < shares.size() ? std::min(p.X(shares[i + 1].begin.power), p.right) : p.right;
        if (from >= p.right) {
            beyond += shares[i].pairs;
            continue;
        }
        const int64_t seconds = int64_t{shares[i].pairs} * interval;
        WriteBetween(c, from, to, {Percent(shares[i].pairs, totalPairs), "(" + FormatTimeOfDay(seconds, false) + ")"});
    }
    if (beyond > 0) {
        const std::string text = Percent(beyond, totalPairs);
        c.canvas.TextOut(p.right - c.canvas.TextExtent(text).width - c.charWidth / 2,
                         p.bottom - 3 * c.charHeight, text);
    }
}

} // namespace klt
