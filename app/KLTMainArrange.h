#pragma once
// The order in which Cascade and Tile lay out the child windows: every other window by its caption
// first, then the trainings by the caption of their shown marker (which carries ";" and the view
// number when a training has several windows).
#include <cstddef>
#include <string>
#include <vector>

namespace klt {

struct TArrangedWindow {
    bool documentWithMarker = false; // a training document window showing a marker
    std::string caption;             // the document's marker caption, else the window's title
};

std::string ArrangementKey(const TArrangedWindow& window);

// Indices into `windows` in layout order; equal keys keep their order.
std::vector<size_t> ArrangementOrder(const std::vector<TArrangedWindow>& windows);

struct TWindowRect {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const TWindowRect&) const = default;
};

// Places for `count` windows in an area: cascaded from the top left, each offset by `step`.
std::vector<TWindowRect> CascadeRects(size_t count, int width, int height, int step);
// Places for `count` windows filling an area: side by side when `vertical`, stacked otherwise; more
// than three windows share a grid.
std::vector<TWindowRect> TileRects(size_t count, int width, int height, bool vertical);

} // namespace klt
