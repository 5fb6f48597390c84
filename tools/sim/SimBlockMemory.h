#pragma once
// The recording memory a generation V head unit starts with: the rides of its options in 64-byte
// blocks, with the memory faults laid over them.
#include <cstdint>
#include <vector>

#include "tools/sim/SimOptions.h"

namespace klt::sim {

// `now` is the head unit's clock; the rides lie on the days before.
std::vector<uint8_t> BuildBlockMemory(const TSimOptions& options, int64_t now);

// The "baddate" fault: every n-th block (counted from 1) gets a minute byte whose low digit is 0xA.
void SpoilBlockTimes(std::vector<uint8_t>& memory, int every);

} // namespace klt::sim
