#include "core/KLTMarker.h"

namespace klt {

int64_t TKLTMarker::Average(int64_t sum) const {
    const int64_t n = SampleCount();
    if (n <= 1) {
        return n == 1 ? sum : 0;
    }
    return (sum + n / 2) / n;
}

} // namespace klt
