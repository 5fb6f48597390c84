#pragma once
// A drawing surface that remembers what was drawn where, with texts measured in fixed cells.
#include <string>
#include <vector>

#include "analysis/PRBGICanvas.h"

namespace klt::test {

class TRecordingCanvas : public TPRBGICanvas {
public:
    static constexpr int kCharWidth = 8;
    static constexpr int kCharHeight = 16;

    struct TText {
        int x, y;
        std::string text;
        TRgb colour;
    };
    struct TStroke {
        std::vector<TCanvasPoint> points;
        TRgb colour;
        TCanvasRect clip;
    };

    TRecordingCanvas(int width, int height) { Prepare({255, 255, 255}, PaletteColor, 0, width, height); }

    void SetPen(TRgb color, int, TCanvasLineStyle) override { pen_ = color; }
    void Line(TCanvasPoint from, TCanvasPoint to) override { strokes.push_back({{from, to}, pen_, clip_}); }
    void Polyline(const TCanvasPoint* points, int count) override {
        strokes.push_back({{points, points + count}, pen_, clip_});
    }
    void FillRect(const TCanvasRect& rect, TRgb color) override { fills.push_back({rect, color}); }
    void FrameRect(const TCanvasRect& rect) override { frames.push_back(rect); }
    void SetTextColor(TRgb color) override { textColour_ = color; }
    void TextOut(int x, int y, std::string_view utf8) override {
        texts.push_back({x, y, std::string(utf8), textColour_});
    }
    TCanvasSize TextExtent(std::string_view utf8) override {
        return {static_cast<int>(utf8.size()) * kCharWidth, kCharHeight};
    }
    void SetClip(const TCanvasRect& rect) override { clip_ = rect; }
    void ClearClip() override { clip_ = {0, 0, Width(), Height()}; }
    void InvertRect(const TCanvasRect& rect) override { inverted.push_back(rect); }

    const TText* FindText(const std::string& text) const {
        for (const TText& t : texts) {
            if (t.text == text) {
                return &t;
            }
        }
        return nullptr;
    }
    // Strokes drawn in a colour.
    int StrokesIn(TRgb colour) const {
        int count = 0;
        for (const TStroke& s : strokes) {
            count += s.colour == colour ? 1 : 0;
        }
        return count;
    }
    void Forget() {
        strokes.clear();
        texts.clear();
        fills.clear();
        frames.clear();
        inverted.clear();
    }

    std::vector<TStroke> strokes;
    std::vector<TText> texts;
    std::vector<std::pair<TCanvasRect, TRgb>> fills;
    std::vector<TCanvasRect> frames;
    std::vector<TCanvasRect> inverted;

private:
    TRgb pen_;
    TRgb textColour_;
    TCanvasRect clip_{};
};

} // namespace klt::test
