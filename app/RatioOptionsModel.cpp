#include "app/RatioOptionsModel.h"

#include <algorithm>
#include <cmath>

#include "analysis/RatioChart.h"

namespace klt {
namespace {

int WholeDisplay(double raw, double factor, std::pair<int, int> limits) {
    const double value = raw * factor;
    if (!std::isfinite(value)) {
        return limits.first;
    }
    return static_cast<int>(std::lround(std::clamp(value, static_cast<double>(limits.first), static_cast<double>(limits.second))));
}

} // namespace

TRatioOptionsModel::TRatioOptionsModel(const TKLTRatioDataChartOptionSet& options, int speedUnit)
    : smooting(std::clamp(options.SmootingFct, 0, kMaxSmooting)), drawGrid(options.DrawGrid),
      speedUnit_(speedUnit) {
    for (int c = 0; c < kRatioChannels; ++c) {
        const auto channel = static_cast<TRatioChannel>(c);
        const TRatioSkalaOption& scale = RatioScale(options, channel);
        const double factor = RatioDisplayFactor(channel, speedUnit_);
        const std::pair<int, int> limits = Limits(channel);
        TRatioChannelEdit& edit = channels[static_cast<size_t>(c)];
        edit.enabled = scale.Skala.Visible();
        edit.minimum = WholeDisplay(scale.Skala.Offset(), factor, limits);
        edit.maximum = WholeDisplay(scale.Skala.UpperEnd(), factor, limits);
        edit.classWidth = std::clamp(scale.MergeFct, 1, limits.second);
    }
    shown_ = channels;
    shownSmooting_ = smooting;
}

std::pair<int, int> TRatioOptionsModel::Limits(TRatioChannel channel) const {
    const TMesswertArt& kind = MesswertArt(RatioKind(channel));
    const double factor = RatioDisplayFactor(channel, speedUnit_);
    const int upper = static_cast<int>(std::floor(kind.Maximum() * factor));
    return {static_cast<int>(std::ceil(std::max(kind.Minimum(), 0.0) * factor)), std::min(upper, kRatioBins - 1)};
}

std::optional<TRatioProblem> TRatioOptionsModel::Problem() const {
    for (int c = 0; c < kRatioChannels; ++c) {
        const auto channel = static_cast<TRatioChannel>(c);
        const TRatioChannelEdit& edit = channels[static_cast<size_t>(c)];
        const auto [lowest, highest] = Limits(channel);
        const std::string name = RatioChannelName(channel), unit = " " + RatioUnitName(channel, speedUnit_);
        const std::string range = std::to_string(lowest) + " and " + std::to_string(highest) + unit;
        if (edit.minimum < lowest || edit.minimum > highest) {
            return TRatioProblem{c, TRatioProblem::Minimum, "The " + name + " minimum must lie between " + range + "."};
        }
        if (edit.maximum < lowest || edit.maximum > highest) {
            return TRatioProblem{c, TRatioProblem::Maximum, "The " + name + " maximum must lie between " + range + "."};
        }
        if (edit.maximum <= edit.minimum) {
            return TRatioProblem{c, TRatioProblem::Maximum, "The " + name + " maximum must be above its minimum."};
        }
        if (edit.classWidth < 1 || edit.classWidth > edit.maximum - edit.minimum) {
            return TRatioProblem{c, TRatioProblem::ClassWidth,
                                 "The " + name + " class width must lie between 1 and " +
                                     std::to_string(edit.maximum - edit.minimum) + unit + ", the width of its range."};
        }
    }
    if (smooting < 0 || smooting > kMaxSmooting) {
        return TRatioProblem{-1, TRatioProblem::Smooting,
                             "The smoothing must lie between 0 and " + std::to_string(kMaxSmooting) + " seconds."};
    }
    return std::nullopt;
}

bool TRatioOptionsModel::WriteBack(TKLTRatioDataChartOptionSet& target) const {
    if (Problem()) {
        return false;
    }
    for (int c = 0; c < kRatioChannels; ++c) {
        const auto channel = static_cast<TRatioChannel>(c);
        const TRatioChannelEdit& edit = channels[static_cast<size_t>(c)];
        if (edit == shown_[static_cast<size_t>(c)]) {
            continue;
        }
        const double factor = RatioDisplayFactor(channel, speedUnit_);
        TRatioSkalaOption& scale = RatioScale(target, channel);
        scale.Skala.SetVisible(edit.enabled);
        scale.Skala.SetOffset(0);
        scale.Skala.SetBereich(0);
        scale.Skala.SetOffset(edit.minimum / factor);
        scale.Skala.SetBereich((edit.maximum - edit.minimum) / factor);
        scale.MergeFct = edit.classWidth;
    }
    if (smooting != shownSmooting_) {
        target.SmootingFct = smooting;
    }
    target.DrawGrid = drawGrid;
    return true;
}

} // namespace klt
