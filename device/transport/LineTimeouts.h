#pragma once
// The read interval that means "do not wait between bytes": with a zero constant a read returns at
// once with whatever has arrived.
#include <climits>

namespace klt {

inline constexpr int kNoWaitInterval = INT_MAX;

} // namespace klt
