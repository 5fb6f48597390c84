#pragma once
// The display colours of measurement kinds: a 16-colour palette and the slot-colour table that
// labels, edits and value lists look their colour up in by a kind's colour slot.
#include <cstdint>

namespace klt {

struct TRgb {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;

    bool operator==(const TRgb&) const = default;
};

inline constexpr int PaletteSize = 16;
// Slot 0 (kinds without a colour), the slots of the six coloured kinds and the slots of the
// heart-rate analysis: its two histograms, the regression line and seven colours that tell the
// order of time along the line of the pairs.
inline constexpr int ColourSlotCount = 25;
inline constexpr int SlotPowerHistogram = 15;
inline constexpr int SlotHeartRateHistogram = 16;
inline constexpr int SlotRegressionLine = 17;
inline constexpr int SlotTimeOrderFirst = 18;
inline constexpr int SlotTimeOrderLast = 24;

// Colour number 0…15 of the palette; ERangeError for other numbers.
TRgb PaletteColour(int number);

// Refills the slot-colour table after the palette option, the output device or the system's
// window-text colour changed. Options above 2 and monochrome devices show every kind in the
// window-text colour, as do kinds without a colour of their own.
void RebuildSlotColours(int paletteOption, bool monochrome, TRgb windowText);

// Colour of a slot; ERangeError for a slot outside the table. Until the first rebuild the table
// holds the palette colours with black window text.
TRgb SlotColour(int slot);

} // namespace klt
