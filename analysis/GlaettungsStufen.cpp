#include "analysis/GlaettungsStufen.h"

#include <algorithm>

namespace klt {

int32_t NextGlaettung(int32_t current) {
    const auto next = std::upper_bound(GlaettungsStufen.begin(), GlaettungsStufen.end(), current);
    return next == GlaettungsStufen.end() ? GlaettungsStufen.back() : *next;
}

int32_t PreviousGlaettung(int32_t current) {
    const auto atOrAbove = std::lower_bound(GlaettungsStufen.begin(), GlaettungsStufen.end(), current);
    return atOrAbove == GlaettungsStufen.begin() ? GlaettungsStufen.front() : *std::prev(atOrAbove);
}

} // namespace klt
