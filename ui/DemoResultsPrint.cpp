#include "ui/DemoResultsPrint.h"

#include <algorithm>
#include <numeric>

#include "ui/canvas/QtCanvas.h"

namespace klt {
namespace {

constexpr TRgb kInk{0, 0, 0};
constexpr TRgb kHeadShade{225, 225, 225};
constexpr TRgb kRowShade{242, 242, 242};

// Column widths in parts of the page: the names take the room, numbers what their heads need.
std::vector<int> ColumnWidths(const TDemoResultsView& view, int width) {
    std::vector<int> parts;
    for (const std::string& title : view.Columns()) {
        parts.push_back(title == "Pos" ? 2 : IsDemoGridNameColumn(title) ? 6 : 4);
    }
    const int total = std::accumulate(parts.begin(), parts.end(), 0);
    for (int& part : parts) {
        part = width * part / total;
    }
    return parts;
}

// One line of cells, numbers right-aligned, each kept inside its column.
void CellLine(TPRBGICanvas& canvas, const TDemoResultsView& view, const std::vector<std::string>& cells,
              const std::vector<int>& widths, int y, int rowHeight) {
    const int pad = canvas.CharWidth() / 2;
    int x = 0;
    for (size_t i = 0; i < cells.size() && i < widths.size(); ++i) {
        canvas.SetClip({x, y, x + widths[i], y + rowHeight});
        const int textWidth = canvas.TextExtent(cells[i]).width;
        const int left = view.NumberColumn(i) ? x + widths[i] - pad - textWidth : x + pad;
        canvas.TextOut(left, y + (rowHeight - canvas.CharHeight()) / 2, cells[i]);
        x += widths[i];
    }
    canvas.ClearClip();
}

QFont Scaled(QFont font, int factor, bool bold) {
    if (font.pointSizeF() > 0) {
        font.setPointSizeF(font.pointSizeF() * factor);
    } else {
        font.setPixelSize(font.pixelSize() * factor);
    }
    font.setBold(bold);
    return font;
}

} // namespace

int PaintDemoResultsPage(QPainter& painter, const QRect& area, const TDemoResultsView& view, int firstRow) {
    const std::vector<std::vector<std::string>> rows = view.Rows();
    painter.save();
    painter.translate(area.topLeft());
    TQtCanvas canvas(painter);
    canvas.Prepare({255, 255, 255}, PaletteColor, 0, area.width(), area.height());
    canvas.ClearClip();
    canvas.SetTextColor(kInk);

    const QFont tableFont = painter.font();
    painter.setFont(Scaled(tableFont, 2, true));
    canvas.TextOut(0, 0, "Categorie: " + view.CategorieName());
    const int titleHeight = canvas.CharHeight();
    painter.setFont(tableFont);
    canvas.TextOut(0, titleHeight, "Sort By: " + TDemoResultsView::SortNames()[static_cast<size_t>(view.SortKind())]);

    const int rowHeight = canvas.CharHeight() * 3 / 2;
    const std::vector<int> widths = ColumnWidths(view, area.width());
    int y = titleHeight + rowHeight * 2;
    canvas.FillRect({0, y, area.width(), y + rowHeight}, kHeadShade);
    painter.setFont(Scaled(tableFont, 1, true));
    CellLine(canvas, view, view.Columns(), widths, y, rowHeight);
    painter.setFont(tableFont);
    canvas.SetPen(kInk, canvas.PenWidth(), TCanvasLineStyle::Solid);
    canvas.Line({0, y + rowHeight}, {area.width(), y + rowHeight});
    y += rowHeight;

    int row = std::clamp(firstRow, 0, static_cast<int>(rows.size()));
    for (; row < static_cast<int>(rows.size()) && y + rowHeight <= area.height(); ++row, y += rowHeight) {
        if (row % 2 == 1) {
            canvas.FillRect({0, y, area.width(), y + rowHeight}, kRowShade);
        }
        CellLine(canvas, view, rows[static_cast<size_t>(row)], widths, y, rowHeight);
    }
    painter.restore();
    return row;
}

bool PrintDemoResults(QPagedPaintDevice& device, const TDemoResultsView& view) {
    QPainter painter;
    if (!painter.begin(&device)) {
        return false;
    }
    painter.setFont(QFont("Sans Serif", 11));
    const QRect area(0, 0, device.width(), device.height());
    const int rows = static_cast<int>(view.Rows().size());
    int row = 0;
    bool fits = true;
    do {
        const int next = PaintDemoResultsPage(painter, area, view, row);
        fits = next == rows || next > row; // a page without room for one row would never end
        row = next;
    } while (fits && row < rows && device.newPage());
    return painter.end() && fits;
}

} // namespace klt
