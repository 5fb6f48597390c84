#include "tools/sim/SimBlockMemory.h"

#include <algorithm>

#include "tools/sim/SimMemory.h"

namespace klt::sim {
namespace {

constexpr size_t kMinuteByte = 3;
constexpr int64_t kWrappedRideEnd = 8 * 3600; // of the day before the oldest ride

// What is left of older rides after the memory wrapped around: `count` blocks of samples up to the
// morning before the oldest ride, their training start overwritten long ago.
std::vector<uint8_t> WrappedAroundBlocks(const TSimOptions& options, const TRideSchedule& schedule,
                                         const std::vector<TSimRide>& rides, int count) {
    const int64_t oldest = rides.empty() ? schedule.now : rides.front().segments.front().start;
    const size_t samples = static_cast<size_t>(count) * kBlockRecords;
    const int64_t end = (oldest / 86400 - 1) * 86400 + kWrappedRideEnd;
    const int64_t start = end - static_cast<int64_t>(samples) * options.intervalTenths / 10;
    TSimRide wrapped;
    wrapped.segments.push_back(RepeatedRideSegment(schedule, start, samples));
    std::vector<uint8_t> blocks = EncodeBlockMemory({wrapped}, options.Firmware(), options.intervalTenths);
    blocks[0] &= static_cast<uint8_t>(~kRideStartFlag); // one stretch: only its first block was marked
    return blocks;
}

// The "baddate" fault: every n-th block (counted from 1) gets a minute byte whose low digit is 0xA.
void SpoilBlockTimes(std::vector<uint8_t>& memory, int every) {
    if (every <= 0) {
        return;
    }
    const size_t step = size_t{kBlockSize} * static_cast<size_t>(every);
    for (size_t at = step - kBlockSize + kMinuteByte; at < memory.size(); at += step) {
        memory[at] = static_cast<uint8_t>((memory[at] & 0xF0) | 0x0A);
    }
}

} // namespace

std::vector<uint8_t> BuildBlockMemory(const TSimOptions& options, int64_t now) {
    const TRideSchedule schedule = RideScheduleFor(options, now);
    const std::vector<TSimRide> rides = BuildSimRides(schedule);
    std::vector<uint8_t> memory;
    if (options.faults.headlessBlocks > 0) {
        memory = WrappedAroundBlocks(options, schedule, rides, options.faults.headlessBlocks);
    }
    const std::vector<uint8_t> recorded =
        EncodeBlockMemory(rides, options.Firmware(), options.intervalTenths);
    memory.insert(memory.end(), recorded.begin(), recorded.end());
    // A full memory: the head unit stopped recording.
    memory.resize(std::min(memory.size(), size_t{kBlockMemoryBlocks} * kBlockSize));
    SpoilBlockTimes(memory, options.faults.badDateEvery);
    return memory;
}

} // namespace klt::sim
