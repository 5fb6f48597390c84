#include "app/KLTMainArrange.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace klt {

std::string ArrangementKey(const TArrangedWindow& window) {
    return (window.documentWithMarker ? "1" : "0") + window.caption;
}

std::vector<size_t> ArrangementOrder(const std::vector<TArrangedWindow>& windows) {
    std::vector<std::string> keys;
    keys.reserve(windows.size());
    for (const TArrangedWindow& window : windows) {
        keys.push_back(ArrangementKey(window));
    }
    std::vector<size_t> order(windows.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return keys[a] < keys[b]; });
    return order;
}

std::vector<TWindowRect> CascadeRects(size_t count, int width, int height, int step) {
    std::vector<TWindowRect> rects;
    const int windowWidth = std::max(width * 2 / 3, 1);
    const int windowHeight = std::max(height * 2 / 3, 1);
    // Offsets wrap around before a window would leave the area.
    const int fit = std::max(
        1,
        std::min((width - windowWidth) / std::max(step, 1), (height - windowHeight) / std::max(step, 1)) + 1);
    for (size_t i = 0; i < count; ++i) {
        const int offset = static_cast<int>(i % static_cast<size_t>(fit)) * step;
        rects.push_back({offset, offset, windowWidth, windowHeight});
    }
    return rects;
}

std::vector<TWindowRect> TileRects(size_t count, int width, int height, bool vertical) {
    std::vector<TWindowRect> rects;
    if (count == 0) {
        return rects;
    }
    const int n = static_cast<int>(count);
    const int lines = n <= 3 ? n : static_cast<int>(std::ceil(std::sqrt(static_cast<double>(n))));
    const int across = (n + lines - 1) / lines; // windows in each line
    const int lineCount = (n + across - 1) / across;
    for (int i = 0; i < n; ++i) {
        const int line = i / across;
        const int inLine = i % across;
        // The last line may hold fewer windows; they share its whole length.
        const int inThisLine = line == lineCount - 1 ? n - line * across : across;
        // Vertical tiling puts lines side by side as columns, horizontal tiling stacks them as rows.
        const int lineLength = vertical ? height : width;
        const int lineThickness = (vertical ? width : height) / lineCount;
        const int cell = lineLength / inThisLine;
        const TWindowRect along{line * lineThickness, inLine * cell, lineThickness, cell};
        rects.push_back(vertical ? TWindowRect{along.x, along.y, along.width, along.height}
                                 : TWindowRect{along.y, along.x, along.height, along.width});
    }
    return rects;
}

} // namespace klt
