#pragma once
// Where a marker's samples go on a surface: the rows they wrap into and the mapping between
// samples and pixels, recomputed for every paint and every input event.
#include "analysis/PRBGICanvas.h"

namespace klt {

// What the layout needs to know of the surface.
struct TDiagramMetrics {
    int width = 0;
    int height = 0;
    int charHeight = 1;
    int penWidth = 1;
    int axisMargin = 0; // room for the axis texts at the left and at the right
};

struct TDiagramLayout {
    int first = 0; // the marker's first and last sample
    int last = -1;
    int rows = 0; // 0: nothing fits
    int samplesPerRow = 1;
    int width = 0; // of the plot area, between left and right
    int left = 0;
    int right = 0;
    int rowHeight = 0;
    int top = 0;    // of the first row
    int bottom = 0; // of the last row

    bool Valid() const { return rows > 0; }
    int RowTop(int row) const { return top + row * rowHeight; }
    int RowOf(int sample) const { return (sample - first) / samplesPerRow; }
    int FirstOfRow(int row) const { return first + row * samplesPerRow; }
    int LastOfRow(int row) const;
    // x of a sample within its row; a sample just past a row's end gives the row's right edge.
    int ColumnOf(int sample) const { return XOfOffset((sample - first) % samplesPerRow); }
    int XOfOffset(int offsetInRow) const {
        return left + static_cast<int>(static_cast<int64_t>(offsetInRow) * width / samplesPerRow);
    }
    // The sample under a pixel: y is clamped into the rows, x into the plot area.
    int SampleAt(int x, int y) const;
    // x of the sample and the top of its row.
    TCanvasPoint PixelOf(int sample) const;
};

// The height of the title line above the rows.
inline int TitleLineHeight(const TDiagramMetrics& m) {
    return m.charHeight + 3 * m.penWidth;
}

// Starts with maxRows and drops rows until each is at least four character heights high (two
// suffice for a single row). An empty marker or a surface too small leaves the layout invalid.
TDiagramLayout ComputeDiagramLayout(int first, int last, int maxRows, const TDiagramMetrics& metrics);

} // namespace klt
