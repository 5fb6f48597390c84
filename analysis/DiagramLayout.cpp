#include "analysis/DiagramLayout.h"

#include <algorithm>

namespace klt {

int TDiagramLayout::LastOfRow(int row) const {
    return std::min(last, FirstOfRow(row) + samplesPerRow - 1);
}

int TDiagramLayout::SampleAt(int x, int y) const {
    if (!Valid()) {
        return first;
    }
    const int row = std::clamp((y - top) / std::max(rowHeight, 1), 0, rows - 1);
    const int column = std::clamp(x, left, right - 1) - left;
    const int64_t sample = first + int64_t{row} * samplesPerRow + int64_t{column} * samplesPerRow / width;
    return static_cast<int>(std::clamp<int64_t>(sample, first, last));
}

TCanvasPoint TDiagramLayout::PixelOf(int sample) const {
    return {ColumnOf(sample), RowTop(RowOf(sample))};
}

TDiagramLayout ComputeDiagramLayout(int first, int last, int maxRows, const TDiagramMetrics& m) {
    TDiagramLayout layout;
    layout.first = first;
    layout.last = last;
    layout.left = m.axisMargin;
    layout.right = m.width - m.axisMargin;
    layout.width = layout.right - layout.left;
    if (first < 1 || last < first || layout.width <= 0) {
        return layout;
    }
    const int usable = m.height - TitleLineHeight(m) - m.charHeight;
    for (int rows = maxRows; rows > 0; --rows) {
        const int rowHeight = usable / rows;
        if (rowHeight >= 4 * m.charHeight || (rows == 1 && rowHeight >= 2 * m.charHeight)) {
            layout.rows = rows;
            layout.samplesPerRow = (last - first + rows) / rows;
            layout.rowHeight = rowHeight;
            layout.top = TitleLineHeight(m);
            layout.bottom = layout.top + rows * rowHeight;
            break;
        }
    }
    return layout;
}

} // namespace klt
