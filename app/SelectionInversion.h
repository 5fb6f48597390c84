#pragma once
// The selection is shown by inverting pixels, so moving it means inverting only what changed.
#include <vector>

namespace klt {

// Samples from..to-1 shown inverted, or nothing when not painted.
struct TSelectionRange {
    bool painted = false;
    int from = 0;
    int to = 0; // one past the last sample

    bool operator==(const TSelectionRange&) const = default;
};

struct TSampleSpan {
    int from = 0;
    int to = 0; // one past the last sample

    bool operator==(const TSampleSpan&) const = default;
};

// The spans to invert so that an image showing `painted` shows `wanted` instead: overlapping
// ranges change only at their ends, separate ones are inverted back and inverted anew.
std::vector<TSampleSpan> SelectionInversions(const TSelectionRange& painted, const TSelectionRange& wanted);

} // namespace klt
