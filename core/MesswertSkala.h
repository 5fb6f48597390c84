#pragma once
// The visible window of one measurement kind on a chart axis or in an editor, in raw units.
#include "core/PRMesWrt.h"

#include <cstdint>
#include <functional>

namespace klt {

class TMesswertSkala {
public:
    // A scale for a kind shows the kind's whole range; one without a kind starts 1 wide at 0.
    explicit TMesswertSkala(TMesswertArtType kind = mwaNone);
    // Scales are copied with Assign, which leaves the change handler alone.
    TMesswertSkala(const TMesswertSkala&) = delete;
    TMesswertSkala& operator=(const TMesswertSkala&) = delete;

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    // Lower end of the window. Moving it towards the kind's maximum shrinks the window to end at
    // the maximum, but never below one step; it never goes below the kind's minimum.
    double Offset() const { return offset_; }
    void SetOffset(double offset);
    // Width of the window, cut to end at the kind's maximum, at least one step, and raised to the
    // kind's minimum.
    double Bereich() const { return bereich_; }
    void SetBereich(double bereich);
    double UpperEnd() const { return offset_ + bereich_; }
    void SetUpperEnd(double upperEnd) { SetBereich(upperEnd - offset_); }

    TMesswertArtType Kind() const { return kind_; }
    // Step in display units the window snaps to when stepped; 0 steps by the last shown decimal.
    int Step() const { return step_; }
    void SetStep(int step) { step_ = step; }
    // Decimals of that last shown decimal, as FormatValue takes them.
    int Decimals() const { return decimals_; }
    void SetDecimals(int decimals) { decimals_ = decimals; }

    // Offset and Bereich rounded to 16 bits for pixel mapping.
    int16_t OffsetRounded() const { return offsetRounded_; }
    int16_t BereichRounded() const { return bereichRounded_; }

    // Called after Visible, Offset or Bereich changed.
    void SetOnChange(std::function<void()> onChange) { onChange_ = std::move(onChange); }

    // Copies Visible, Bereich and Offset as they are, without clamping.
    void Assign(const TMesswertSkala& source);
    bool Equals(const TMesswertSkala& other) const;
    // Shows lower…upper, both in display units.
    void SetDisplayRange(bool visible, double upper, double lower);

    // Moves the lower end or the width one step up (+1) or down (-1).
    void StepOffset(int direction);
    void StepBereich(int direction);

    // Pixel position of a raw value on an axis of extent pixels, clamped to 16 bits;
    // the inverted form counts from the far end, for y axes growing upwards.
    int ToPixel(double value, int extent) const;
    int ToPixelInverted(double value, int extent) const;

private:
    const TMesswertArt* KindObject() const;
    double StepRaw(const TMesswertArt& kind) const;
    double SteppedValue(double value, bool isWidth, int direction) const;
    double PixelPosition(double value, int extent) const;
    void Change(double offset, double bereich);

    bool visible_ = true;
    double offset_ = 0.0;
    double bereich_ = 1.0;
    TMesswertArtType kind_;
    int step_ = 0;
    int decimals_ = -1;
    int16_t offsetRounded_ = 0;
    int16_t bereichRounded_ = 1;
    bool locked_ = false;
    std::function<void()> onChange_;
};

} // namespace klt
