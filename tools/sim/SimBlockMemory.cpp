#include "tools/sim/SimBlockMemory.h"

#include <algorithm>

#include "tools/sim/SimMemory.h"

namespace klt::sim {
namespace {

constexpr size_t kMinuteByte = 3;

} // namespace

void SpoilBlockTimes(std::vector<uint8_t>& memory, int every) {
    if (every <= 0) {
        return;
    }
    const size_t step = size_t{kBlockSize} * static_cast<size_t>(every);
    for (size_t at = step - kBlockSize + kMinuteByte; at < memory.size(); at += step) {
        memory[at] = static_cast<uint8_t>((memory[at] & 0xF0) | 0x0A);
    }
}

std::vector<uint8_t> BuildBlockMemory(const TSimOptions& options, int64_t now) {
    std::vector<uint8_t> memory =
        EncodeBlockMemory(BuildSimRides(RideScheduleFor(options, now)), options.Firmware(), options.intervalTenths);
    SpoilBlockTimes(memory, options.faults.badDateEvery);
    return memory;
}

} // namespace klt::sim
