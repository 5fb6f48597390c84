#pragma once
// The recording memory a generation V head unit starts with: the rides of its options in 64-byte
// blocks, with the memory faults laid over them.
#include <cstdint>
#include <vector>

#include "tools/sim/SimOptions.h"

namespace klt::sim {

// `now` is the head unit's clock; the rides lie on the days before.
std::vector<uint8_t> BuildBlockMemory(const TSimOptions& options, int64_t now);

} // namespace klt::sim
