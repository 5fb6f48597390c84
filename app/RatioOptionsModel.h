#pragma once
// The "Distribution" page of the options dialog without its window: the profile's distribution
// settings in whole display units, checked before they are taken.
#include <array>
#include <optional>
#include <string>
#include <utility>

#include "analysis/RatioData.h"
#include "analysis/RatioDataChartOptionSet.h"

namespace klt {

// One channel's line on the page.
struct TRatioChannelEdit {
    bool enabled = true;
    int minimum = 0;
    int maximum = 0;
    int classWidth = 1;
    bool operator==(const TRatioChannelEdit&) const = default;
};

// A value that cannot be taken: where it is and what to tell the user.
struct TRatioProblem {
    enum TField { Minimum, Maximum, ClassWidth, Smooting };
    int channel = -1; // none for the smoothing
    TField field = Smooting;
    std::string text;
};

class TRatioOptionsModel {
public:
    static constexpr int kMaxSmooting = 3600; // seconds

    // `speedUnit` is the unit the speed line is shown in (0 km/h, 1 m/s, 2 mph).
    TRatioOptionsModel(const TKLTRatioDataChartOptionSet& options, int speedUnit);

    // What the page edits, by TRatioChannel.
    std::array<TRatioChannelEdit, kRatioChannels> channels;
    int smooting = 0;
    bool drawGrid = true;

    // The values a channel's range may take, in its display unit.
    std::pair<int, int> Limits(TRatioChannel channel) const;
    int SpeedUnit() const { return speedUnit_; }
    // The first value that cannot be taken; none when all can.
    std::optional<TRatioProblem> Problem() const;
    // Writes the values into `target` when there is no problem; whether it did. What the user left
    // as shown keeps its stored value, which whole display units may only approximate.
    bool WriteBack(TKLTRatioDataChartOptionSet& target) const;

private:
    int speedUnit_;
    std::array<TRatioChannelEdit, kRatioChannels> shown_;
    int shownSmooting_ = 0;
};

} // namespace klt
