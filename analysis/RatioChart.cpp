#include "analysis/RatioChart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/PRMesWrt.h"

namespace klt {
namespace {

constexpr int kValueIncrements = 8;

// Room beside the plot for the widest axis text.
constexpr const char* kAxisTextRoom = "9999";

bool Inside(const TCanvasRect& r, int x, int y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

// Whole numbers where the steps are wide enough that a decimal tells nothing.
std::string AxisText(double value, double step) {
    char text[32];
    const bool whole = step >= 5 || std::abs(step - std::round(step)) < 1e-6;
    std::snprintf(text, sizeof text, whole ? "%.0f" : "%.1f", value);
    return text;
}

std::string ShareText(double percent) {
    char text[16];
    std::snprintf(text, sizeof text, percent < 0.5 ? "<1%%" : "%.0f%%", percent);
    return text;
}

} // namespace

TRatioSkalaOption TKLTRatioDataChartOptionSet::*RatioScaleMember(TRatioChannel channel) {
    static constexpr std::array<TRatioSkalaOption TKLTRatioDataChartOptionSet::*, kRatioChannels> members = {
        &TKLTRatioDataChartOptionSet::PowerSkala, &TKLTRatioDataChartOptionSet::HeartRateSkala,
        &TKLTRatioDataChartOptionSet::CadenceSkala, &TKLTRatioDataChartOptionSet::SpeedSkala};
    return members[static_cast<size_t>(channel)];
}

TMesswertArtType RatioKind(TRatioChannel channel) {
    static constexpr std::array<TMesswertArtType, kRatioChannels> kinds = {mwaLeistung, mwaHerzfrequenz,
                                                                          mwaTretfrequenz, mwaGeschwindigkeit};
    return kinds[static_cast<size_t>(channel)];
}

const char* RatioChannelName(TRatioChannel channel) {
    static constexpr std::array<const char*, kRatioChannels> names = {"Power", "Heartrate", "Cadence", "Speed"};
    return names[static_cast<size_t>(channel)];
}

std::string RatioUnitName(TRatioChannel channel, int speedUnit) {
    return channel == rcSpeed ? RatioSpeedUnit(speedUnit).shortName : MesswertArt(RatioKind(channel)).UnitShortName();
}

TRgb RatioBaseColour(TRatioChannel channel) {
    static constexpr std::array<int, kRatioChannels> paletteNumbers = {2, 12, 9, 5}; // green, red, blue, purple
    return PaletteColour(paletteNumbers[static_cast<size_t>(channel)]);
}

std::string RatioTimeText(int seconds) {
    seconds = std::max(seconds, 0);
    char text[32];
    std::snprintf(text, sizeof text, "%d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return text;
}

TRatioChart::TRatioChart(const TRatioData& data, const TKLTRatioDataChartOptionSet& options,
                         const TCanvasRect& area, TPRBGICanvas& canvas, std::optional<std::string> note)
    : key_(data.Key()), speedUnit_(data.SpeedUnit()), area_(area), note_(std::move(note)),
      drawGrid_(options.DrawGrid) {
    title_ = std::string(RatioChannelName(key_)) + " (" + RatioUnitName(key_, speedUnit_) + ")";
    charHeight_ = std::max(canvas.CharHeight(), 1);
    charWidth_ = std::max(canvas.CharWidth(), 1);
    pointSize_ = std::max(2, charHeight_ / 6);
    if (!note_) {
        LayOut(data, options, canvas);
    }
}

void TRatioChart::LayOut(const TRatioData& data, const TKLTRatioDataChartOptionSet& options, TPRBGICanvas& canvas) {
    classes_ = data.Classes(RatioScale(options, key_));
    if (classes_.empty()) {
        note_ = "No classes: check this range and its class width in the options";
        return;
    }
    if (data.TotalSamples() == 0) {
        note_ = key_ == rcHeartRate ? "No heart rate above 20 bpm in this marker" : "No samples in this marker";
        return;
    }
    const int margin = canvas.TextExtent(kAxisTextRoom).width + charWidth_;
    plot_ = {area_.left + margin, area_.top + charWidth_ / 2 + charHeight_ * 3 / 2, area_.right - margin,
             area_.bottom - charHeight_ - charWidth_};
    if (plot_.right - plot_.left < 2 * charWidth_ || plot_.bottom - plot_.top < 2 * charHeight_) {
        note_ = std::string(); // no room: the title alone
        return;
    }
    lower_ = classes_.front().from;
    end_ = classes_.back().to;

    for (int c = 0; c < kRatioChannels; ++c) {
        const auto channel = static_cast<TRatioChannel>(c);
        const TMesswertSkala& skala = RatioScale(options, channel).Skala;
        if (channel == key_ || !skala.Visible()) {
            continue;
        }
        const bool right = channel != rcPower;
        std::optional<TValueAxis>& axis = axes_[right ? 1 : 0];
        if (!axis) { // the first visible series of a side sets its range
            const double factor = RatioDisplayFactor(channel, speedUnit_);
            const double lower = skala.Offset() * factor, upper = skala.UpperEnd() * factor;
            axis = TValueAxis{channel, std::isfinite(lower) ? lower : 0.0, 0.0};
            axis->upper = std::isfinite(upper) && upper > axis->lower ? upper : axis->lower + 1;
        }
        TSeries series{channel, right, {}};
        for (const TRatioClass& cls : classes_) {
            const std::optional<double> mean = data.MeanValue(cls.from, cls.to - 1, channel);
            series.points.push_back(
                mean ? std::optional<TMeanPoint>({{(XOf(cls.from) + XOf(cls.to)) / 2, YOf(*axis, *mean)}, *mean})
                     : std::nullopt);
        }
        series_.push_back(std::move(series));
    }

    int most = 0;
    for (const TRatioClass& cls : classes_) {
        most = std::max(most, cls.samples);
    }
    // The longest bar leaves room above it for its share.
    const int64_t height = std::max(plot_.bottom - plot_.top - charHeight_ - 2, 1);
    for (const TRatioClass& cls : classes_) {
        const int left = XOf(cls.from), right = XOf(cls.to);
        const int gap = std::max(1, (right - left) / 8);
        TBar bar{{left + gap, plot_.bottom, std::max(right - gap, left + gap + 1), plot_.bottom}, cls.seconds,
                 cls.percent};
        if (cls.samples > 0) {
            bar.rect.top = plot_.bottom - static_cast<int>(std::max<int64_t>(height * cls.samples / most, 1));
        }
        bars_.push_back(bar);
    }
}

int TRatioChart::XOf(int value) const {
    const int64_t width = plot_.right - plot_.left;
    return plot_.left + static_cast<int>(width * (int64_t{value} - lower_) / std::max(end_ - lower_, 1));
}

int TRatioChart::YOf(const TValueAxis& axis, double value) const {
    const double share = (value - axis.lower) / (axis.upper - axis.lower);
    const double y = plot_.bottom - share * (plot_.bottom - plot_.top);
    return static_cast<int>(std::lround(std::clamp(y, -1e6, 1e6)));
}

TRgb TRatioChart::Colour(const TDiagramColours& colours, TRatioChannel channel) const {
    return colours.Series(RatioBaseColour(channel), RatioKind(channel));
}

bool TRatioChart::Contains(int x, int y) const {
    return Inside(area_, x, y);
}

std::string TRatioChart::ReadOut(int x, int y) const {
    if (note_) {
        return {};
    }
    const int reach = pointSize_ + 2;
    for (const TSeries& series : series_) {
        for (const std::optional<TMeanPoint>& point : series.points) {
            if (point && std::abs(point->at.x - x) <= reach && std::abs(point->at.y - y) <= reach) {
                char text[48];
                std::snprintf(text, sizeof text, "%.1f ", point->value);
                return text + RatioUnitName(series.channel, speedUnit_);
            }
        }
    }
    for (const TBar& bar : bars_) {
        if (bar.rect.bottom > bar.rect.top && Inside(bar.rect, x, y)) {
            return RatioTimeText(bar.seconds);
        }
    }
    return {};
}

void TRatioChart::Paint(TPRBGICanvas& canvas, const TDiagramColours& colours) const {
    const TCanvasSize titleSize = canvas.TextExtent(title_);
    canvas.SetTextColor(Colour(colours, key_));
    canvas.TextOut(area_.left + (area_.right - area_.left - titleSize.width) / 2, area_.top + charWidth_ / 2, title_);
    if (note_) {
        PaintNote(canvas, colours);
        return;
    }
    if (drawGrid_) {
        PaintGrid(canvas, colours);
    }
    PaintBars(canvas, colours);
    PaintSeries(canvas, colours);
    canvas.SetPen(colours.text, 1, TCanvasLineStyle::Solid);
    canvas.FrameRect(plot_);
    PaintKeyAxis(canvas, colours);
    for (size_t side = 0; side < axes_.size(); ++side) {
        if (axes_[side]) {
            PaintValueAxis(canvas, colours, *axes_[side], side == 1);
        }
    }
}

void TRatioChart::PaintNote(TPRBGICanvas& canvas, const TDiagramColours& colours) const {
    const TCanvasSize size = canvas.TextExtent(*note_);
    canvas.SetTextColor(colours.text);
    canvas.TextOut(area_.left + (area_.right - area_.left - size.width) / 2,
                   area_.top + (area_.bottom - area_.top - size.height) / 2, *note_);
}

void TRatioChart::PaintGrid(TPRBGICanvas& canvas, const TDiagramColours& colours) const {
    canvas.SetPen(colours.grid, 1, TCanvasLineStyle::Dot);
    for (int i = 1; i < kValueIncrements; ++i) {
        const int y = plot_.bottom - (plot_.bottom - plot_.top) * i / kValueIncrements;
        canvas.Line({plot_.left, y}, {plot_.right, y});
    }
    for (size_t k = 1; k < classes_.size(); ++k) {
        const int x = XOf(classes_[k].from);
        canvas.Line({x, plot_.top}, {x, plot_.bottom});
    }
}

void TRatioChart::PaintBars(TPRBGICanvas& canvas, const TDiagramColours& colours) const {
    const TRgb edge = Colour(colours, key_);
    const TRgb fill = colours.palette == PaletteBlackAndWhite ? colours.window : MixColour(edge, colours.window, 0.55);
    canvas.SetPen(edge, 1, TCanvasLineStyle::Solid);
    canvas.SetTextColor(colours.text);
    for (const TBar& bar : bars_) {
        if (bar.rect.bottom <= bar.rect.top) {
            continue;
        }
        canvas.FillRect(bar.rect, fill);
        canvas.FrameRect(bar.rect);
        const std::string share = ShareText(bar.percent);
        const TCanvasSize size = canvas.TextExtent(share);
        if (size.width <= bar.rect.right - bar.rect.left + charWidth_) {
            canvas.TextOut((bar.rect.left + bar.rect.right - size.width) / 2, bar.rect.top - size.height, share);
        }
    }
}

void TRatioChart::PaintSeries(TPRBGICanvas& canvas, const TDiagramColours& colours) const {
    canvas.SetClip(plot_);
    const int pen = std::max(2, canvas.PenWidth());
    for (const TSeries& series : series_) {
        const TRgb colour = Colour(colours, series.channel);
        canvas.SetPen(colour, pen, TCanvasLineStyle::Solid);
        // Classes without a mean break the line.
        std::vector<TCanvasPoint> run;
        auto flush = [&] {
            if (run.size() > 1) {
                canvas.Polyline(run.data(), static_cast<int>(run.size()));
            }
            run.clear();
        };
        for (const std::optional<TMeanPoint>& point : series.points) {
            if (point) {
                run.push_back(point->at);
            } else {
                flush();
            }
        }
        flush();
        for (const std::optional<TMeanPoint>& point : series.points) {
            if (point) {
                canvas.FillRect({point->at.x - pointSize_, point->at.y - pointSize_, point->at.x + pointSize_ + 1,
                                 point->at.y + pointSize_ + 1},
                                colour);
            }
        }
    }
    canvas.ClearClip();
}

void TRatioChart::PaintKeyAxis(TPRBGICanvas& canvas, const TDiagramColours& colours) const {
    canvas.SetTextColor(colours.text);
    const int y = plot_.bottom + charWidth_ / 2;
    int freeFrom = area_.left;
    auto label = [&](int x, int value) {
        const std::string text = std::to_string(value);
        const int width = canvas.TextExtent(text).width;
        const int left = std::max(x - width / 2, area_.left);
        if (left < freeFrom || left + width > area_.right) {
            return; // too close to the one before
        }
        canvas.TextOut(left, y, text);
        freeFrom = left + width + charWidth_;
    };
    for (const TRatioClass& cls : classes_) {
        label(XOf(cls.from), cls.from);
    }
    label(plot_.right, end_ - 1); // the scale's upper end, the last value counted
}

void TRatioChart::PaintValueAxis(TPRBGICanvas& canvas, const TDiagramColours& colours, const TValueAxis& axis,
                                 bool right) const {
    canvas.SetTextColor(Colour(colours, axis.channel));
    const int stepHeight = (plot_.bottom - plot_.top) / kValueIncrements;
    const int every = stepHeight >= charHeight_ ? 1 : (charHeight_ + std::max(stepHeight, 1) - 1) / std::max(stepHeight, 1);
    const double step = (axis.upper - axis.lower) / kValueIncrements;
    for (int i = 0; i <= kValueIncrements; i += every) {
        const std::string text = AxisText(axis.lower + step * i, step);
        const TCanvasSize size = canvas.TextExtent(text);
        const int y = plot_.bottom - (plot_.bottom - plot_.top) * i / kValueIncrements - size.height / 2;
        const int x = right ? plot_.right + charWidth_ / 2 : plot_.left - charWidth_ / 2 - size.width;
        canvas.TextOut(x, y, text);
    }
}

} // namespace klt
