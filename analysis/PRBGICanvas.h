#pragma once
// The drawing surface diagrams paint on: a window's paint box, a printer page or an image. Only
// what the diagrams need: lines, text with its measured size, rectangles, clipping and inversion.
#include <cstdint>
#include <string_view>

#include "analysis/PRBGICanvasOptions.h"
#include "core/MesswertColours.h"

namespace klt {

struct TCanvasPoint {
    int x = 0;
    int y = 0;
};

// Right and bottom are exclusive.
struct TCanvasRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

struct TCanvasSize {
    int width = 0;
    int height = 0;
};

enum class TCanvasLineStyle : uint8_t { Solid, Dash, Dot };

class TPRBGICanvas {
public:
    virtual ~TPRBGICanvas() = default;

    // The surface for one paint: its size, background, palette and helper-line options.
    void Prepare(TRgb windowColor, TPRBGICanvasPalette palette, uint32_t options, int width, int height) {
        windowColor_ = windowColor;
        palette_ = palette;
        options_ = options;
        width_ = width;
        height_ = height;
    }

    int Width() const { return width_; }
    int Height() const { return height_; }
    TRgb WindowColor() const { return windowColor_; }
    TPRBGICanvasPalette Palette() const { return palette_; }
    bool HasOption(TPRBGICanvasOption option) const { return (options_ & CanvasOptionBit(option)) != 0; }

    virtual void SetPen(TRgb color, int width, TCanvasLineStyle style) = 0;
    virtual void Line(TCanvasPoint from, TCanvasPoint to) = 0;
    virtual void Polyline(const TCanvasPoint* points, int count) = 0;
    virtual void FillRect(const TCanvasRect& rect, TRgb color) = 0;
    virtual void FrameRect(const TCanvasRect& rect) = 0; // with the current pen
    virtual void SetTextColor(TRgb color) = 0;
    virtual void TextOut(int x, int y, std::string_view utf8) = 0; // top-left corner at x, y
    virtual TCanvasSize TextExtent(std::string_view utf8) = 0;
    virtual void SetClip(const TCanvasRect& rect) = 0;
    virtual void ClearClip() = 0;
    // Inverts every pixel of the rectangle; inverting twice restores the image.
    virtual void InvertRect(const TCanvasRect& rect) = 0;

    int CharHeight() { return TextExtent("0").height; }
    int CharWidth() { return TextExtent("0").width; }
    // Room for an axis text of eight digits and a little air.
    int AxisTextMargin() { return TextExtent("99999999").width + CharWidth() / 2; }
    // Lines grow with the font, so that printer pages show them as thick as the screen does.
    int PenWidth() { return CharHeight() / 24 + 1; }

private:
    TRgb windowColor_{255, 255, 255};
    TPRBGICanvasPalette palette_ = PaletteColor;
    uint32_t options_ = 0;
    int width_ = 0;
    int height_ = 0;
};

} // namespace klt
