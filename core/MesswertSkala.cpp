#include "core/MesswertSkala.h"

#include "core/Exceptions.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace klt {
namespace {

// Nearest 16-bit integer; NaN (0/0 on an empty window) maps to 0.
int ClampToInt16(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    return static_cast<int>(std::clamp(std::round(value), -32768.0, 32767.0));
}

// Widths convert without the unit's offset, which only moves positions (°F).
double DisplayWidth(const TMesswertArt& kind, double rawWidth) {
    return kind.ToDisplay(rawWidth) - kind.ToDisplay(0);
}
double RawWidth(const TMesswertArt& kind, double displayWidth) {
    return kind.ToRaw(displayWidth) - kind.ToRaw(0);
}

} // namespace

TMesswertSkala::TMesswertSkala(TMesswertArtType kind) : kind_(kind) {
    if (const TMesswertArt* art = KindObject()) {
        Change(art->Minimum(), art->Maximum() - art->Minimum());
    }
}

const TMesswertArt* TMesswertSkala::KindObject() const {
    return kind_ == mwaNone ? nullptr : &MesswertArt(kind_);
}

double TMesswertSkala::StepRaw(const TMesswertArt& kind) const {
    return std::round(RawWidth(kind, step_));
}

void TMesswertSkala::SetVisible(bool visible) {
    if (visible != visible_) {
        visible_ = visible;
        if (onChange_) {
            onChange_();
        }
    }
}

void TMesswertSkala::SetOffset(double offset) {
    double bereich = bereich_;
    if (const TMesswertArt* kind = locked_ ? nullptr : KindObject()) {
        if (offset + bereich > kind->Maximum()) {
            bereich = kind->Maximum() - offset;
            if (step_ != 0 && bereich < StepRaw(*kind)) {
                bereich = StepRaw(*kind);
                offset = kind->Maximum() - bereich;
            }
        }
        offset = std::max(offset, kind->Minimum());
    }
    Change(offset, bereich);
}

void TMesswertSkala::SetBereich(double bereich) {
    if (const TMesswertArt* kind = locked_ ? nullptr : KindObject()) {
        bereich = std::min(bereich, kind->Maximum() - offset_);
        if (step_ != 0) {
            bereich = std::max(bereich, StepRaw(*kind));
        }
        bereich = std::max(bereich, kind->Minimum());
    }
    Change(offset_, bereich);
}

void TMesswertSkala::Change(double offset, double bereich) {
    bool changed = offset != offset_ || bereich != bereich_;
    offset_ = offset;
    bereich_ = bereich;
    offsetRounded_ = static_cast<int16_t>(ClampToInt16(offset));
    bereichRounded_ = static_cast<int16_t>(ClampToInt16(bereich));
    if (changed && onChange_) {
        onChange_();
    }
}

void TMesswertSkala::Assign(const TMesswertSkala& source) {
    struct TLock {
        bool& flag;
        bool saved;
        ~TLock() { flag = saved; }
    } lock{locked_, std::exchange(locked_, true)};
    SetVisible(source.visible_);
    SetBereich(source.bereich_);
    SetOffset(source.offset_);
}

bool TMesswertSkala::Equals(const TMesswertSkala& other) const {
    return visible_ == other.visible_ && offset_ == other.offset_ && bereich_ == other.bereich_;
}

void TMesswertSkala::SetDisplayRange(bool visible, double upper, double lower) {
    const TMesswertArt& kind = MesswertArt(kind_);
    SetVisible(visible);
    SetOffset(0);
    SetBereich(0);
    SetOffset(kind.ToRaw(lower));
    SetBereich(RawWidth(kind, upper - lower));
}

// Snaps to the step grid (or moves by the last shown decimal) and rounds to a whole raw value,
// rounding down with small upward biases; a negative result is recomputed rounding up with the
// biases mirrored, so that stepping behaves alike on both sides of zero.
double TMesswertSkala::SteppedValue(double value, bool isWidth, int direction) const {
    const TMesswertArt& kind = MesswertArt(kind_);
    auto roundDown = [](double x) { return std::floor(x); };
    auto roundUp = [](double x) { return std::ceil(x); };
    if (step_ == 0) {
        double delta = direction * kind.StepSize(1, decimals_);
        double next = roundDown(value + delta + 0.5);
        return next < 0 ? roundUp(value + delta - 0.5) : next;
    }
    double display = isWidth ? DisplayWidth(kind, value) : kind.ToDisplay(value);
    auto stepped = [&](double bias, auto round) {
        double grid = round(round(display + bias * 0.01) / step_) * step_ + direction * step_;
        double raw = isWidth ? RawWidth(kind, grid) : kind.ToRaw(grid);
        return round(raw + bias * 0.5);
    };
    double next = stepped(1.0, roundDown);
    return next < 0 ? stepped(-1.0, roundUp) : next;
}

void TMesswertSkala::StepOffset(int direction) {
    double next = offset_;
    try {
        next = SteppedValue(offset_, false, direction);
    } catch (const Exception&) {
        // A scale that cannot step keeps its value; setting it again still applies the limits.
    }
    SetOffset(next);
}

void TMesswertSkala::StepBereich(int direction) {
    double next = bereich_;
    try {
        next = SteppedValue(bereich_, true, direction);
    } catch (const Exception&) {
        // As in StepOffset.
    }
    SetBereich(next);
}

double TMesswertSkala::PixelPosition(double value, int extent) const {
    return (value - offsetRounded_) * extent / bereichRounded_;
}

int TMesswertSkala::ToPixel(double value, int extent) const {
    return ClampToInt16(PixelPosition(value, extent));
}

int TMesswertSkala::ToPixelInverted(double value, int extent) const {
    return ClampToInt16(extent - PixelPosition(value, extent));
}

} // namespace klt
