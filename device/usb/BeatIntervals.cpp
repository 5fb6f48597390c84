#include "device/usb/BeatIntervals.h"

#include "core/Exceptions.h"
#include "device/usb/RequestKinds.h"
#include "device/usb/UsbRequest.h"
#include "device/usb/VeltrakVI.h"

namespace klt {
namespace {

constexpr size_t kHeaderSize = 2; // count, lost

} // namespace

TBeatIntervals DecodeBeatIntervals(std::span<const uint8_t> payload) {
    if (payload.size() < kHeaderSize) {
        throw Exception(kInvalidDataText);
    }
    const size_t count = payload[0];
    // Anything but exactly the intervals announced is a reply of something else.
    if (count > kMaxBeatIntervals || payload.size() != kHeaderSize + 2 * count) {
        throw Exception(kInvalidDataText);
    }
    TBeatIntervals beats;
    beats.lost = payload[1];
    for (size_t i = 0; i < count; ++i) {
        const size_t at = kHeaderSize + 2 * i;
        beats.intervals.push_back(static_cast<uint16_t>(payload[at] << 8 | payload[at + 1]));
    }
    return beats;
}

TBeatIntervals TVeltrakVI::ReadBeatIntervals() {
    if (!UsesRequests()) {
        throw Exception("Beat-to-beat intervals come only from a Veltrak VI or 7");
    }
    RequiredRequest(TRequestKindNumber::BeatIntervals);
    return DecodeBeatIntervals(Payload());
}

} // namespace klt
