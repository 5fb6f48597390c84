#pragma once
// The four brake values the computer writes into the ergometer's head unit: the brake's working
// point (offset), the limit speed of cadence control, the slope that switches that control on and
// the divisor of the excitation. Request 3/1 carries them (docs/usb-brake.md).
#include <cstdint>

namespace klt::sim {

struct TBrakeValues {
    uint32_t offset = 0;
    uint32_t limit = 0;
    uint32_t slope = 0;
    uint8_t divisor = 1;
    bool operator==(const TBrakeValues&) const = default;
};

} // namespace klt::sim
