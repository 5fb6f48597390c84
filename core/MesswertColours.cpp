#include "core/MesswertColours.h"

#include "core/Exceptions.h"
#include "core/PRMesWrt.h"

#include <array>
#include <string>

namespace klt {
namespace {

// The classic 16-colour order (dark colours, then bright ones), toned down where the pure colour
// is hard to read on a white background.
constexpr std::array<TRgb, PaletteSize> Palette = {{
    {0x00, 0x00, 0x00}, // 0 black
    {0x00, 0x00, 0x80}, // 1 navy
    {0x00, 0x80, 0x00}, // 2 green
    {0x00, 0x80, 0x80}, // 3 teal
    {0x80, 0x00, 0x00}, // 4 maroon
    {0x80, 0x00, 0x80}, // 5 purple
    {0x80, 0x80, 0x00}, // 6 olive
    {0xC0, 0xC0, 0xC0}, // 7 silver
    {0x80, 0x80, 0x80}, // 8 grey
    {0x20, 0x50, 0xE0}, // 9 blue: power
    {0x10, 0xA0, 0x20}, // 10 green: speed
    {0x00, 0x98, 0xB0}, // 11 cyan: heart rate
    {0xE0, 0x20, 0x20}, // 12 red: cadence
    {0xB0, 0x30, 0xC0}, // 13 magenta: altitude
    {0xC0, 0x90, 0x00}, // 14 amber: temperature
    {0xFF, 0xFF, 0xFF}, // 15 white
}};

constexpr int MaxColourPaletteOption = 2;

// Palette colours of the analysis slots, from SlotPowerHistogram on: the power and heart-rate
// colours, a red line, then cool to warm for early to late.
constexpr std::array<int, 10> AnalysisSlotColours = {9, 11, 12, 1, 9, 3, 10, 6, 14, 13};

std::array<TRgb, ColourSlotCount> BuildSlotColours(int paletteOption, bool monochrome, TRgb windowText) {
    std::array<TRgb, ColourSlotCount> slots;
    slots.fill(windowText);
    bool coloured = paletteOption <= MaxColourPaletteOption && !monochrome;
    for (int kind = mwaLeistung; kind <= MesswertArtCount; ++kind) {
        const TMesswertArt& art = MesswertArt(static_cast<TMesswertArtType>(kind));
        if (coloured && art.Colour() != NoColour) {
            slots.at(art.ColourSlot()) = PaletteColour(art.Colour());
        }
    }
    for (size_t i = 0; coloured && i < AnalysisSlotColours.size(); ++i) {
        slots.at(SlotPowerHistogram + i) = PaletteColour(AnalysisSlotColours[i]);
    }
    return slots;
}

std::array<TRgb, ColourSlotCount>& SlotColours() {
    static std::array<TRgb, ColourSlotCount> slots = BuildSlotColours(0, false, TRgb{});
    return slots;
}

} // namespace

TRgb PaletteColour(int number) {
    if (number < 0 || number >= PaletteSize) {
        throw ERangeError("Palette colour " + std::to_string(number) + " out of range");
    }
    return Palette[number];
}

void RebuildSlotColours(int paletteOption, bool monochrome, TRgb windowText) {
    SlotColours() = BuildSlotColours(paletteOption, monochrome, windowText);
}

TRgb SlotColour(int slot) {
    if (slot < 0 || slot >= ColourSlotCount) {
        throw ERangeError("Colour slot " + std::to_string(slot) + " out of range");
    }
    return SlotColours()[slot];
}

} // namespace klt
