#pragma once
// The printout of a category's ranking: a title and the table of the results window, over as many
// pages as it takes. One routine draws a page, on a printer, a PDF or an image.
#include <QPagedPaintDevice>
#include <QPainter>
#include <QRect>

#include "online/DemoResultsView.h"

namespace klt {

// Draws the rows from firstRow on that fit the area; the first row that did not fit, the row count
// once all did. Every page repeats the title and the column heads.
int PaintDemoResultsPage(QPainter& painter, const QRect& area, const TDemoResultsView& view, int firstRow);

// Prints every page; false when the device could not be painted on or its page holds no row.
bool PrintDemoResults(QPagedPaintDevice& device, const TDemoResultsView& view);

} // namespace klt
