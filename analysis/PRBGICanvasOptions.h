#pragma once
// Settings of the diagrams' drawing surface: which helper lines it draws and its colour palette.
#include <array>
#include <cstdint>
#include <string_view>

namespace klt {

// Bit numbers in a set of canvas options.
enum TPRBGICanvasOption : uint8_t { PlotHilfsLinieH, PlotHilfsLinieV, PlotBereiche };

inline constexpr std::array<std::string_view, 3> PRBGICanvasOptionNames = {"PlotHilfsLinieH",
                                                                           "PlotHilfsLinieV", "PlotBereiche"};

constexpr uint32_t CanvasOptionBit(TPRBGICanvasOption option) {
    return 1u << option;
}

// Palettes above PaletteColorDark draw every measurement kind in the window-text colour.
enum TPRBGICanvasPalette : uint8_t {
    PaletteColor,
    PaletteColorLight,
    PaletteColorDark,
    PaletteGray,
    PaletteGrayLight,
    PaletteGrayDark,
    PaletteBlackAndWhite,
    PaletteUnknown
};

inline constexpr std::array<std::string_view, 8> PRBGICanvasPaletteNames = {
    "PaletteColor",     "PaletteColorLight", "PaletteColorDark",     "PaletteGray",
    "PaletteGrayLight", "PaletteGrayDark",   "PaletteBlackAndWhite", "PaletteUnknown"};

} // namespace klt
