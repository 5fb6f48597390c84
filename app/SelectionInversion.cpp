#include "app/SelectionInversion.h"

#include <algorithm>

namespace klt {

std::vector<TSampleSpan> SelectionInversions(const TSelectionRange& painted, const TSelectionRange& wanted) {
    const bool oldShown = painted.painted && painted.from < painted.to;
    const bool newShown = wanted.painted && wanted.from < wanted.to;
    std::vector<TSampleSpan> spans;
    if (oldShown && newShown && painted.from < wanted.to && wanted.from < painted.to) {
        // Inverting twice restores a pixel: only the symmetric difference changes.
        if (painted.from != wanted.from) {
            spans.push_back({std::min(painted.from, wanted.from), std::max(painted.from, wanted.from)});
        }
        if (painted.to != wanted.to) {
            spans.push_back({std::min(painted.to, wanted.to), std::max(painted.to, wanted.to)});
        }
        return spans;
    }
    if (oldShown) {
        spans.push_back({painted.from, painted.to});
    }
    if (newShown) {
        spans.push_back({wanted.from, wanted.to});
    }
    return spans;
}

} // namespace klt
